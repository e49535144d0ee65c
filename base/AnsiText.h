// 8-bit ANSI text as the program compares and cuts it: letters a to z fold, nothing else does, and
// the two bytes of a double-byte character (code pages 932, 936, 949, 950) always stay together.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace norvanex {

// An English and a German form; SelectText picks one when the text is set.
struct TextPair {
    const char* english;
    const char* german;
};

// Whether a byte opens a double-byte character in the ANSI code page (IsDBCSLeadByte on Windows).
// The question is injected so that every rule here is tested with real double-byte pairs natively.
using LeadByteFn = bool (*)(unsigned char byte);

// The answer of every single-byte code page, 1252 among them: no byte leads.
bool NoLeadBytes(unsigned char byte);

// True when a and b hold the same characters, where a to z and A to Z are compared without regard
// to case in single-byte characters only: the trail byte of a double-byte character is compared
// exactly, whatever letter it looks like.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b, LeadByteFn isLeadByte);

// Where the part after the last separator starts: one past the last single-byte character that
// `separators` lists, 0 when there is none. A trail byte that looks like a separator is none.
std::size_t NamePartStart(std::string_view text, std::string_view separators, LeadByteFn isLeadByte);

// Everything after the last backslash; the whole text without one, empty when it ends in one.
std::string_view AfterLastBackslash(std::string_view text, LeadByteFn isLeadByte);

// The program's own texts are code page 1252 under every system; a name that comes from the
// system (a path, a file name, its words for an error) is in the system's ANSI code page. A text
// shown to the user that holds both marks each such name, so that every part is shown from its
// own code page (WideText). The marks are control characters no file name holds.
inline constexpr char kNameOpen = '\x02';
inline constexpr char kNameClose = '\x03';
std::string MarkedName(std::string_view name);

// One conversion call into the system's ANSI code page that refuses look-alikes: `wide` (its units,
// no terminating NUL) into `out` of `outSize` bytes, or with outSize 0 the size it takes. Returns
// the bytes written or needed, 0 when the call refuses; usedDefault tells whether the default
// character stands for a character the code page lacks. SystemAnsiConversion (AnsiText_win.h) is
// the one on Windows; process access reaches it through its platform.
using AnsiConversionFn = std::function<int(std::u16string_view wide, char* out, int outSize, bool& usedDefault)>;

// The exact conversion: true when `wide` has its very form in the ANSI code page, neither a
// look-alike (best fit, "ā" as "a") nor the default character standing in. `ansi` holds what the
// call gave (with the default character where not exact), empty where it refused.
bool ExactAnsi(std::u16string_view wide, std::string& ansi, const AnsiConversionFn& convert);
// ExactAnsi with its conversion bound: what the rules that take a name in UTF-16 are given.
using ExactAnsiFn = std::function<bool(std::u16string_view wide, std::string& ansi)>;

// Whether a text names a folder besides its file name: a backslash, slash or drive colon of its
// own, never a trail byte that looks like one (the 0x5C of a Japanese character).
bool HasFolderPart(std::string_view text, LeadByteFn isLeadByte);

}  // namespace norvanex
