// The ANSI text rules under real code pages: a to z fold only in single-byte characters, and a
// trail byte that looks like a letter or a backslash is never taken for one.
#include <gtest/gtest.h>

#include <string>

#include "base/AnsiText.h"
#include "fakes/CodePages.h"

using namespace norvanex;
using fake::LeadBytesOf;

TEST(AnsiText, EqualsIgnoringAsciiCase) {
    struct Case {
        unsigned codePage;
        std::string a, b;
        bool equal;
    } cases[] = {
        {1252, "winword.exe", "WINWORD.EXE", true},
        {1252, "Word.Exe", "wORD.eXE", true},
        {1252, "\xE4pfel.exe", "\xC4PFEL.EXE", false},  // ä / Ä: only a to z fold
        {1252, "a[b]", "A{B}", false},
        {1252, "x@y", "X`Y", false},
        {1252, "abc", "abcd", false},
        {1252, "", "", true},
        // 932: ア (83 41) and ヂ (83 61) differ only in a trail byte that looks like A / a.
        {932, "\x83\x41.exe", "\x83\x61.exe", false},
        {932, "\x83\x41.exe", "\x83\x41.EXE", true},
        {932, "\x83\x5A", "\x83\x7A", false},  // セ / ホ
        {932, "a\x95\x5C" "b", "A\x95\x5C" "B", true},  // letters around 表 still fold
        // A byte that leads in 932 but trails in the text's other half: 0x95 stands alone at the end.
        {932, "ab\x95", "AB\x95", true},
        // 936, 949, 950: trail bytes 0x41-0x5A against 0x61-0x7A.
        {936, "\x81\x41", "\x81\x61", false},  // 丄 / 乤
        {936, "\xB1\x5A.exe", "\xB1\x7A.EXE", false},  // 盳 / 眤
        {936, "\xB1\x5A.exe", "\xB1\x5A.EXE", true},
        {949, "\x81\x41", "\x81\x61", false},  // 갂 / 갵
        {949, "\xB1\x5A", "\xB1\x7A", false},  // 켣 / 콄
        {950, "\xA5\x41", "\xA5\x61", false},  // 丕 / 仟
        {950, "\xB3\x5A.exe", "\xB3\x7A.exe", false},  // 訣 / 透
        // The same bytes under 1252 are two single-byte characters each, and fold.
        {1252, "\x83\x41.exe", "\x83\x61.exe", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b, LeadBytesOf(c.codePage)), c.equal)
            << c.codePage << ": \"" << c.a << "\" / \"" << c.b << '"';
    }
}

TEST(AnsiText, PartAfterTheLastSeparator) {
    struct Case {
        unsigned codePage;
        std::string text;
        std::string separators;
        std::string part;
    } cases[] = {
        {1252, "C:\\Office\\winword.exe", "\\", "winword.exe"},
        {1252, "C:\\Office\\winword.exe", "\\:", "winword.exe"},
        {1252, "C:winword.exe", "\\:", "winword.exe"},
        {1252, "winword.exe", "\\:", "winword.exe"},
        {1252, "C:\\Office\\", "\\", ""},
        {1252, "", "\\", ""},
        // Trail byte 0x5C: 表 (932), ソ (932), 乗 (936), 許 and 功 (950) are whole characters.
        {932, "\x95\x5C.exe", "\\:", "\x95\x5C.exe"},
        {932, "C:\\\x83\x5C\\\x95\x5C.exe", "\\:", "\x95\x5C.exe"},
        {932, "C:\\\x8F\x5C", "\\", "\x8F\x5C"},  // 十 at the end
        {936, "D:\\\x81\x5C\\a\x81\x5C.exe", "\\:", "a\x81\x5C.exe"},
        {950, "\xB3\x5C\xA5\x5C.exe", "\\", "\xB3\x5C\xA5\x5C.exe"},
        {950, "C:\\\xB3\x5C\\x.exe", "\\", "x.exe"},
        // A lead byte as the last byte of a cut text stands alone; a backslash after it counts.
        {932, "a\\\x95", "\\", "\x95"},
        // Under 1252 the same bytes hold a real backslash.
        {1252, "\x95\x5C.exe", "\\:", ".exe"},
    };
    for (const Case& c : cases) {
        const std::size_t start = NamePartStart(c.text, c.separators, LeadBytesOf(c.codePage));
        EXPECT_EQ(c.text.substr(start), c.part) << c.codePage << ": \"" << c.text << '"';
        if (c.separators == "\\") {
            EXPECT_EQ(std::string(AfterLastBackslash(c.text, LeadBytesOf(c.codePage))), c.part)
                << c.codePage << ": \"" << c.text << '"';
        }
    }
}

// The exact conversion over the conversion call of a code page: the real code pages' model, and
// UTF-8 as the ANSI code page, where one UTF-16 unit takes up to three bytes.
TEST(AnsiText, ExactConversion) {
    const auto codePage = [](unsigned cp) -> AnsiConversionFn {
        return [cp](std::u16string_view wide, char* out, int outSize, bool& usedDefault) {
            const std::string ansi = fake::EncodeAnsi(cp, wide, true, &usedDefault);
            const int size = static_cast<int>(ansi.size());
            if (outSize != 0 && outSize < size) return 0;
            if (outSize != 0) ansi.copy(out, ansi.size());
            return size;
        };
    };
    const AnsiConversionFn utf8 = [](std::u16string_view wide, char* out, int outSize, bool& usedDefault) {
        usedDefault = false;
        std::string bytes;
        for (const char16_t c : wide) {
            if (c >= 0xD800 && c <= 0xDFFF) return 0;  // an unpaired surrogate fails the call
            if (c < 0x80) {
                bytes += static_cast<char>(c);
            } else if (c < 0x800) {
                bytes += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
            } else {
                bytes += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                          static_cast<char>(0x80 | (c & 0x3F))};
            }
        }
        if (outSize != 0 && outSize < static_cast<int>(bytes.size())) return 0;
        if (outSize != 0) bytes.copy(out, bytes.size());
        return static_cast<int>(bytes.size());
    };
    struct Case {
        const char* what;
        AnsiConversionFn convert;
        std::u16string wide;
        bool exact;
        std::string ansi;
    } cases[] = {
        {"empty", codePage(1252), u"", true, ""},
        {"in the code page", codePage(1252), u"\u00e4pfel.exe", true, "\xE4pfel.exe"},
        {"the default character stands in", codePage(1252), u"\u65e5.exe", false, "?.exe"},
        {"double-byte", codePage(932), u"\u65e5\u672c.exe", true, "\x93\xFA\x96\x7B.exe"},
        {"UTF-8: three bytes a unit", utf8, u"\u65e5\u672c\u65e5\u672c", true,
         "\xE6\x97\xA5\xE6\x9C\xAC\xE6\x97\xA5\xE6\x9C\xAC"},
        {"UTF-8: an unpaired surrogate", utf8, u"a\xD800", false, ""},
    };
    for (const Case& c : cases) {
        std::string ansi = "left over";
        EXPECT_EQ(ExactAnsi(c.wide, ansi, c.convert), c.exact) << c.what;
        EXPECT_EQ(ansi, c.ansi) << c.what;
    }
}
