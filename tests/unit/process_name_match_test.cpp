// The program name match: case of a-z only, file-name part or whole candidate, names taken as
// given.
#include <gtest/gtest.h>

#include <string>

#include "process/ProgramName.h"

using norvanex::ProgramNameMatches;

TEST(ProgramNameMatch, Table) {
    struct Case {
        std::string candidate;
        std::string name;
        bool matches;
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
        // Only a-z fold: accented letters of code page 1252 and the punctuation that sits 0x20
        // below or above a letter are compared exactly.
        {"\xE4pfel.exe", "\xC4PFEL.EXE", false},  // ä / Ä
        {"\xE4pfel.exe", "\xE4PFEL.EXE", true},
        {"caf\xE9.exe", "CAF\xC9.EXE", false},  // é / É
        {"a[b].exe", "A{B}.EXE", false},
        {"x@y.exe", "X`Y.EXE", false},
        {"prog_1.exe",
         "PROG\x7F"
         "1.EXE",
         false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramNameMatches(c.candidate, c.name), c.matches)
            << '"' << c.candidate << "\" vs \"" << c.name << '"';
    }
}
