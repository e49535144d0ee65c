// The program name match: case of a-z only, file-name part or whole candidate, names taken as
// given.
#include <gtest/gtest.h>

#include <string>

#include "fakes/CodePages.h"
#include "process/FileIdentity.h"
#include "process/ProgramName.h"

using norvanex::NamedProgram;
using norvanex::ProgramNameMatches;
using norvanex::fake::LeadBytesOf;

TEST(ProgramNameMatch, Table) {
    struct Case {
        std::string candidate;
        std::string name;
        bool matches;
        unsigned codePage = 1252;
    } cases[] = {
        {"winword.exe", "winword.exe", true},
        {"WINWORD.EXE", "winword.exe", true},
        {"Word.Exe", "WORD.EXE", true},
        {"winword.exe", "winword", false},  // no extension is added
        {"winword", "winword", true},       // a performance-data name
        {"winword", "winword.exe", false},
        {"winword.exe ", "winword.exe", false},  // no blank is removed
        // Full-path candidates: through the file-name part, or as a whole.
        {"C:\\Programs\\app.exe", "app.exe", true},
        {"C:\\Programs\\app.exe", "C:\\PROGRAMS\\APP.EXE", true},
        {"C:\\Programs\\app.exe", "Programs\\app.exe", false},
        {"C:app.exe", "app.exe", true},  // ':' ends a drive or stream prefix too
        {"\\\\server\\share\\app.exe", "APP.EXE", true},
        // A program name given as a full path matches only that whole path.
        {"app.exe", "C:\\Programs\\app.exe", false},
        {"D:\\Programs\\app.exe", "C:\\Programs\\app.exe", false},
        // ... in any spelling of it: slashes, "." and "..", doubled backslashes, the "\\?\" prefix.
        {"C:\\Programs\\app.exe", "C:/Programs/app.exe", true},
        {"C:\\Programs\\app.exe", "C:\\Tools\\..\\Programs\\.\\app.exe", true},
        {"C:\\Programs\\app.exe", "C:\\\\Programs\\\\app.exe", true},
        {"C:\\Programs\\app.exe", "\\\\?\\C:\\Programs\\app.exe", true},
        {"\\\\server\\share\\app.exe", "\\\\?\\UNC\\server\\share\\app.exe", true},
        {"C:\\Programs\\app.exe", "C:\\Programs\\..\\app.exe", false},
        {"app.exe", "C:/Programs/app.exe", false},
        {"C:\\Programs\\app.exe", "Programs/app.exe", false},  // no full path: taken as given
        // A full path that ends in a separator names no file, though its one spelling would.
        {"C:\\Programs\\app.exe", "C:\\Programs\\app.exe\\", false},
        {"C:\\Programs\\app.exe", "C:/Programs/app.exe/", false},
        {"C:\\\x95\x5C", "C:\\\x95\x5C", true, 932},  // a trail byte 0x5C is no separator
        // Only a-z fold: accented letters of code page 1252 and the punctuation that sits 0x20
        // below or above a letter are compared exactly.
        {"\xE4pfel.exe", "\xC4PFEL.EXE", false},  // ä / Ä
        {"\xE4pfel.exe", "\xE4PFEL.EXE", true},
        {"caf\xE9.exe", "CAF\xC9.EXE", false},  // é / É
        {"a[b].exe", "A{B}.EXE", false},
        {"x@y.exe", "X`Y.EXE", false},
        {"prog_1.exe", "PROG\x7F" "1.EXE", false},
        // Double-byte names: ア.exe never matches ヂ.exe (trail 0x41 / 0x61), and the trail byte 0x5C
        // of 表 (932), 乗 (936) and 許 (950) is no backslash, so no file-name part ".exe" appears.
        {"\x83\x61.exe", "\x83\x41.exe", false, 932},
        {"\x83\x41.EXE", "\x83\x41.exe", true, 932},
        {"\x95\x5C.exe", ".exe", false, 932},
        {"C:\\\x95\x5C\\\x83\x41.exe", "\x83\x41.EXE", true, 932},
        {"C:\\\x95\x5C.exe", "\x95\x5C.exe", true, 932},
        {"\x81\x5C.exe", ".exe", false, 936},
        {"\xB1\x5A.exe", "\xB1\x7A.exe", false, 936},
        {"\x81\x41.exe", "\x81\x61.exe", false, 949},
        {"\xB3\x5C.exe", ".exe", false, 950},
        {"\xA5\x41.exe", "\xA5\x61.EXE", false, 950},
        // The same bytes under 1252 are single-byte characters: a letter pair folds, 0x5C cuts.
        {"\x83\x61.exe", "\x83\x41.exe", true},
        {"\x95\x5C.exe", ".exe", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramNameMatches(c.candidate, c.name, LeadBytesOf(c.codePage)), c.matches)
            << c.codePage << ": \"" << c.candidate << "\" vs \"" << c.name << '"';
        // The same answer from the name made once, with its comparable form kept.
        EXPECT_EQ(NamedProgram(c.name, LeadBytesOf(c.codePage), {}).Matches(c.candidate), c.matches)
            << c.codePage << ": \"" << c.candidate << "\" vs \"" << c.name << '"';
    }
}
