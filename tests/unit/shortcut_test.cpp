// The shortcut file's rules: its name, its icon, and which dropped shortcuts the editor loads.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/Shortcut.h"
#include "app/ShortcutChain.h"
#include "fakes/CodePages.h"

using namespace norvanex;
using fake::DoubleByteNext;
using fake::SingleByteNext;
using fake::TestLeadByte;

TEST(Shortcut, LinkFileName) {
    struct Case { std::string typed; std::string written; } cases[] = {
        {"C:\\Links\\kill word", "C:\\Links\\kill word.lnk"},
        {"C:\\Links\\A.LNK", "C:\\Links\\A.LNK"},
        {"a.Lnk", "a.Lnk"},
        {"x.lnk.txt", "x.lnk.txt.lnk"},
        {".lnk", ".lnk"},
        {"lnk", "lnk.lnk"},
        {"a.lnk ", "a.lnk .lnk"},
        {"C:\\x.LN\xCB", "C:\\x.LN\xCB.lnk"},  // no fold beyond a to z
        // ".lnk" that begins inside a double-byte character is not the ending.
        {"\x81.lnk", "\x81.lnk.lnk"},
        {"\x81x.lnk", "\x81x.lnk"},
    };
    for (const auto& c : cases) EXPECT_EQ(LinkFileName(c.typed, TestLeadByte), c.written) << c.typed;
    EXPECT_EQ(LinkFileName("\x81.lnk", NoLeadBytes), "\x81.lnk");
}

// A fake code page: every character up to 0xFF converts, nothing beyond.
static bool Latin1Exact(std::u16string_view wide, std::string& ansi) {
    ansi.clear();
    for (const char16_t c : wide) {
        if (c > 0xFF) return false;
        ansi.push_back(static_cast<char>(c));
    }
    return true;
}

TEST(Shortcut, InexactShortcutPart) {
    using Part = std::optional<std::u16string>;
    struct Case { std::u16string target; std::u16string arguments; Part part; } cases[] = {
        {u"C:\\N\\Norvanex.exe", u"~ask~ m\u00E4il.exe r:C:\\x.exe", std::nullopt},
        {u"C:\\N\\Norvanex.exe", u"m\u0101il.exe", u"m\u0101il.exe"},
        {u"C:\\N\\Norvanex.exe", u"a.exe r:C:\\\u65E5\u672C.exe", u"r:C:\\\u65E5\u672C.exe"},
        {u"C:\\N\\Norvanex.exe", u"a.exe \"my m\u0101il.exe\" b.exe", u"my m\u0101il.exe"},
        {u"C:\\\u65E5\\Norvanex.exe", u"a.exe", u"C:\\\u65E5\\Norvanex.exe"},
        {u"C:\\N\\Norvanex.exe", u"a.exe \u2003 b.exe", u"\u2003"},  // a wide blank is no separator
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InexactShortcutPart(c.target, c.arguments, Latin1Exact), c.part);
    }
}

TEST(Shortcut, DeviceNames) {
    struct Case { const char* name; bool device; } cases[] = {
        {"CON", true}, {"NUL.lnk", true}, {"C:\\Links\\prn.lnk", true}, {"aux.txt.lnk", true},
        {"Com1", true}, {"LPT9.lnk", true}, {"C:/Links/nul", true}, {"nul .lnk", true}, {"C:con", true},
        {"CONIN$", true}, {"conout$.lnk", true}, {"Clock$.txt", true}, {"CONIN$ .lnk", true}, {"NUL...", true},
        {"COM\xB9", true}, {"LPT\xB2.txt", true}, {"com\xB3.lnk", true}, {"COM\xB9 . .lnk", true},
        {"COM\xBC.lnk", false}, {"CONIN.lnk", false}, {"CONERR$.lnk", false}, {"CLOCK.lnk", false},
        {"COM0.lnk", false}, {"COM10.lnk", false}, {"LPT", false}, {"console.lnk", false},
        {"my con.lnk", false}, {"CON\\x.lnk", false}, {"xnul.lnk", false}, {"", false},
        {"\x81" "CON.lnk", false},  // a double-byte character before the letters
    };
    for (const auto& c : cases) EXPECT_EQ(IsDeviceName(c.name, TestLeadByte), c.device) << c.name;
}

TEST(Shortcut, IconSource) {
    const std::string own = "C:\\Tools\\Norvanex.exe";
    constexpr int kUnknown = 3;
    struct Case { const char* what; std::string start; std::vector<IconCandidate> entries; std::string source; } cases[] = {
        {"program to start wins", "C:\\x\\run.exe", {{"C:\\a.exe", 7}}, "C:\\x\\run.exe"},
        {"one singled out", "", {{"winword.exe", kUnknown}, {"C:\\a.exe", 7}, {"b.exe", kUnknown}}, "C:\\a.exe"},
        {"two singled out", "", {{"C:\\a.exe", 7}, {"C:\\b.exe", 8}}, own},
        {"none singled out", "", {{"winword.exe", kUnknown}, {"excel.exe", kUnknown}}, own},
        {"empty list", "", {}, own},
        {"icon 0 differs too", "", {{"a.exe", 0}}, "a.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseIconSource(c.start, c.entries, kUnknown, own), c.source) << c.what;
}

TEST(Shortcut, TargetIsProgram) {
    const std::string own = "C:\\Tools\\Norvanex.exe";
    struct Case { std::string target; bool ours; } cases[] = {
        {"C:\\Tools\\Norvanex.exe", true},
        {"c:\\tools\\NORVANEX.EXE", true},
        {"D:\\elsewhere\\norvanex.exe", true},
        {"Norvanex.exe", true},
        {"C:\\Tools\\Norvanex.exe.bak", false},
        {"C:\\Windows\\notepad.exe", false},
        {"C:\\Tools\\", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(TargetIsProgram(c.target, own, NoLeadBytes), c.ours) << c.target;
    // The trail byte 0x5C of a double-byte character is no folder separator.
    EXPECT_FALSE(TargetIsProgram("C:\\\x81\\Norvanex.exe", "C:\\Norvanex.exe", TestLeadByte));
    EXPECT_TRUE(TargetIsProgram("C:\\\x81\\Norvanex.exe", "D:\\\x81\\NORVANEX.exe", TestLeadByte));
}

// A loaded shortcut gives the editor what its line says, each program to end as the line names it;
// what the editor writes from that state is the same line again.
TEST(Shortcut, ArgumentsBackToTheEditor) {
    struct Case { std::string arguments; CallRequest request; } cases[] = {
        // A full path ends only that folder's copy: it stays a full path.
        {"C:\\Tools\\odd\\bang!.exe", {false, {"C:\\Tools\\odd\\bang!.exe"}, "", {}}},
        {"\"C:\\My Tools\\a.exe\" b.exe", {false, {"C:\\My Tools\\a.exe", "b.exe"}, "", {}}},
        {"~ask~ winword.exe excel.exe", {true, {"winword.exe", "excel.exe"}, "", {}}},
        {"winword.exe r:C:\\Windows\\notepad.exe", {false, {"winword.exe"}, "C:\\Windows\\notepad.exe", {}}},
        {"\"My Tool.exe\" r:\"C:\\Program Files\\x.exe\"", {false, {"My Tool.exe"}, "C:\\Program Files\\x.exe", {}}},
        {"~ASK~ a.exe", {false, {"~ASK~", "a.exe"}, "", {}}},
        {"~ask~ ~close:45~ x.exe", {true, {"x.exe"}, "", {}, true, 45}},
        {"~close~ x.exe ~close~", {false, {"x.exe", "~close~"}, "", {}, true, 0}},
        {"r:C:\\first.exe a.exe R:C:\\second.exe", {false, {"a.exe"}, "C:\\second.exe", {}}},
        {"", {false, {}, "", {}}},
    };
    for (const auto& c : cases) {
        const CallRequest request = RequestFromArguments(c.arguments, SingleByteNext);
        EXPECT_EQ(request.ask, c.request.ask) << c.arguments;
        EXPECT_EQ(request.captions, c.request.captions) << c.arguments;
        EXPECT_EQ(request.programToStart, c.request.programToStart) << c.arguments;
        EXPECT_EQ(request.close, c.request.close) << c.arguments;
        EXPECT_EQ(request.closeSeconds, c.request.closeSeconds) << c.arguments;
    }
    const std::string line = "~ask~ \"\x82\" a.exe\" b.exe r:\"C:\\x y\\\x83 .exe\"";
    const CallRequest request = RequestFromArguments(line, DoubleByteNext);
    EXPECT_EQ(ComposeCallLine(request, TestLeadByte), line);
}

// What the editor could not write back unchanged is not loaded: an "r:" path that the kill run
// never starts would be lost. Everything else comes back as the same line.
TEST(Shortcut, LoadsOnlyWhatItWritesBack) {
    const std::string path255 = "C:\\" + std::string(248, 'p') + ".exe";
    const std::string path256 = "C:\\" + std::string(249, 'p') + ".exe";
    struct Case { std::string arguments; bool loads; std::string writtenBack; } cases[] = {
        {"C:\\Tools\\odd\\bang!.exe r:" + path255, true, "C:\\Tools\\odd\\bang!.exe r:" + path255},
        {"a.exe r:" + path256, false, ""},
        {"a.exe r:", false, ""},
        {"a.exe r:\"\"", false, ""},
        // The last "r:" counts for the kill run and for the editor alike.
        {"r:" + path256 + " a.exe r:C:\\b.exe", true, "a.exe r:C:\\b.exe"},
        // Quotes the reader drops anyway, and doubled blanks, are written the editor's way.
        {"\"a.exe\"   b.exe", true, "a.exe b.exe"},
        // The marker's wait as it was written; a text that is no marker stays a name.
        {"~ask~ ~close:45~ x.exe", true, "~ask~ ~close:45~ x.exe"},
        {"~close:30~ x.exe", true, "~close:30~ x.exe"},
        {"~close:045~ ~close~ x.exe", true, "~close:045~ ~close~ x.exe"},
    };
    for (const auto& c : cases) {
        const std::optional<CallRequest> request = LoadableRequest(c.arguments, NoLeadBytes, SingleByteNext);
        ASSERT_EQ(request.has_value(), c.loads) << c.arguments;
        if (request) {
            EXPECT_EQ(ComposeCallLine(*request, NoLeadBytes), c.writtenBack) << c.arguments;
        }
    }
}

// A chain of shortcuts is followed link by link up to 8 of them; one that loops or goes on is
// refused before the shell's resolver runs into it. Only the links' own targets are read.
TEST(ShortcutChain, IsShortcutPath) {
    struct Case { std::u16string path; bool shortcut; } cases[] = {
        {u"C:\\m\\run.lnk", true}, {u"A.LNK", true}, {u"a.Lnk", true}, {u".lnk", true},
        {u"lnk", false}, {u"", false}, {u"x.lnk.txt", false}, {u"a.lnk ", false},
        {u"C:\\x.LN\u00CB", false},  // no fold beyond a to z
        {u"a\x0Elnk", false},        // a control character is no dot in any letter case
        {u"a/lnk", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsShortcutPath(c.path), c.shortcut) << "case " << &c - cases;
}

TEST(ShortcutChain, FollowsAtMostEightLinks) {
    const std::map<std::u16string, std::u16string> links = {
        {u"C:\\m\\loopA.lnk", u"C:\\m\\loopB.lnk"}, {u"C:\\m\\loopB.lnk", u"c:/M/LOOPA.LNK"},
        {u"C:\\m\\self.LNK", u"C:\\m\\self.LNK"},  {u"C:\\m\\run.lnk", u"C:\\tools\\run.exe"},
        {u"C:\\m\\blank.lnk", u""},
    };
    // "C:\m\N.lnk" points to "C:\m\N-1.lnk", and 1.lnk to the program: N links in a row.
    const auto targetOf = [&](const std::u16string& link) -> std::optional<std::u16string> {
        if (const auto it = links.find(link); it != links.end()) return it->second;
        if (link.size() == 10 && link[5] >= u'1' && link[5] <= u'9') {
            return link[5] == u'1' ? u"C:\\tools\\run.exe" : u"C:\\m\\" + std::u16string(1, link[5] - 1) + u".lnk";
        }
        return std::nullopt;
    };
    struct Case { std::u16string path; ChainEnd end; std::u16string last; int links; } cases[] = {
        {u"C:\\tools\\run.exe", ChainEnd::Target, u"C:\\tools\\run.exe", 0},
        {u"C:\\m\\run.lnk", ChainEnd::Target, u"C:\\tools\\run.exe", 1},
        {u"C:\\m\\8.lnk", ChainEnd::Target, u"C:\\tools\\run.exe", 8},
        {u"C:\\m\\9.lnk", ChainEnd::TooLong, u"C:\\m\\1.lnk", 8},
        {u"C:\\m\\loopA.lnk", ChainEnd::Loop, u"c:/M/LOOPA.LNK", 2},
        {u"C:\\m\\self.LNK", ChainEnd::Loop, u"C:\\m\\self.LNK", 1},
        {u"C:\\m\\missing.lnk", ChainEnd::Unreadable, u"C:\\m\\missing.lnk", 1},
        {u"C:\\m\\blank.lnk", ChainEnd::Unreadable, u"C:\\m\\blank.lnk", 1},
    };
    for (const Case& c : cases) {
        const ShortcutChain chain = WalkShortcutChain(c.path, targetOf);
        EXPECT_EQ(chain.end, c.end) << std::string(c.path.begin(), c.path.end());
        EXPECT_EQ(chain.last, c.last) << std::string(c.path.begin(), c.path.end());
        EXPECT_EQ(chain.links, c.links) << std::string(c.path.begin(), c.path.end());
    }
}
