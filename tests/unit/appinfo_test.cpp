// Version text, help file path, icon lookup path and DPI scaling.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/AppInfo.h"
#include "fakes/CodePages.h"

using namespace norvanex;

TEST(AppInfo, FileVersionText) {
    EXPECT_EQ(FormatFileVersion(0x00040003, 0x00000000), "4.3.0.0");
    EXPECT_EQ(FormatFileVersion(0xFFFFFFFF, 0x0001000A), "65535.65535.1.10");
}

TEST(AppInfo, CaptionVersionNeverLoops) {
    struct Case { const char* version; const char* expected; } cases[] = {
        {"4.3.0.0", "4.3"}, {"10.20.30.40", "10.20"}, {"4.3.0", "4"}, {"4.3", "4"},
        {"4", "4"}, {"", ""}, {"...", "."}, {"4.3.", "4"},
    };
    for (const auto& c : cases) EXPECT_EQ(MajorMinor(c.version), c.expected) << c.version;
}

TEST(AppInfo, HelpFileBesideTheExecutable) {
    struct Case { const char* exe; const char* expected; unsigned codePage = 1252; } cases[] = {
        {"C:\\Tools\\Norvanex.exe", "C:\\Tools\\Norvanex.hlp"},
        {"C:\\Norvanex.exe", "C:\\Norvanex.hlp"},
        {"\\\\server\\share\\n.exe", "\\\\server\\share\\Norvanex.hlp"},
        {"C:n.exe", "C:\\Norvanex.hlp"},
        // Japanese: the trail byte 0x5C of 0x95 0x5C (a kanji) in the file name is no backslash.
        {"C:\\Tools\\\x95\x5C.exe", "C:\\Tools\\Norvanex.hlp", 932},
        {"C:\\\x95\x5C\\n.exe", "C:\\\x95\x5C\\Norvanex.hlp", 932},
        // The same bytes in code page 1252 are two characters, the second a backslash.
        {"C:\\Tools\\\x95\x5C.exe", "C:\\Tools\\\x95\\Norvanex.hlp"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HelpFilePath(c.exe, fake::LeadBytesOf(c.codePage)), c.expected) << c.exe << " in " << c.codePage;
    }
}

TEST(AppInfo, DriveLettersLookUpTheirRoot) {
    struct Case { const char* path; const char* expected; } cases[] = {
        {"C", "C:\\"}, {"C:", "C:\\"}, {"C:\\", "C:\\"}, {"", ""}, {"ab", "ab"},
        {"C:\\x.exe", "C:\\x.exe"}, {"x.exe", "x.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(IconLookupPath(c.path), c.expected) << c.path;
}

TEST(AppInfo, SystemFolderOfA64BitProgram) {
    struct Case { const char* path; const char* windows; const char* expected; unsigned codePage = 1252; } cases[] = {
        {"C:\\Windows\\System32\\notepad.exe", "C:\\Windows", "C:\\Windows\\Sysnative\\notepad.exe"},
        {"c:\\WINDOWS\\system32\\drivers\\x.exe", "C:\\Windows", "C:\\Windows\\Sysnative\\drivers\\x.exe"},
        {"C:\\Windows\\SysWOW64\\notepad.exe", "C:\\Windows", ""},
        {"C:\\Windows\\System32", "C:\\Windows", ""},
        {"D:\\Windows\\System32\\a.exe", "C:\\Windows", ""},
        {"C:\\System32\\a.exe", "C:\\", "C:\\Sysnative\\a.exe"},
        {"C:\\Tools\\a.exe", "", ""},
        // A folder ending in a double-byte character with trail byte 0x5C has no backslash at its end.
        {"C:\\\x95\x5C\\System32\\a.exe", "C:\\\x95\x5C", "C:\\\x95\x5C\\Sysnative\\a.exe", 932},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SysnativePath(c.path, c.windows, fake::LeadBytesOf(c.codePage)), c.expected) << c.path;
    }
    struct Folder { const char* path; bool system32; } folders[] = {
        {"C:\\Windows\\System32", true}, {"c:\\windows\\SYSTEM32", true}, {"C:\\Windows\\System32\\drivers", false},
        {"C:\\Windows\\System32x", false}, {"C:\\Windows", false}, {"D:\\Windows\\System32", false},
    };
    for (const auto& f : folders) EXPECT_EQ(IsSystem32Folder(f.path, "C:\\Windows", fake::LeadBytesOf(1252)), f.system32) << f.path;
}

TEST(AppInfo, DesignPositionsScale) {
    struct Case { int value, dpi, expected; } cases[] = {
        {377, 96, 377}, {377, 144, 566}, {305, 120, 381}, {49, 144, 74}, {1, 144, 2}, {-49, 144, -74}, {0, 144, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
}

// The one spelling of a path, as the own-path rule compares it (the long names come from the file
// system on top of this).
TEST(AppInfo, CanonicalPath) {
    struct Case { const char* path; const char* expected; const char* current = "C:\\work"; unsigned codePage = 1252; } cases[] = {
        {"C:\\app\\Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"C:\\app\\.\\Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"C:\\work\\..\\app\\Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"C:/app/Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"C:\\app\\\\Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"C:\\app\\Norvanex.exe. ", "C:\\app\\Norvanex.exe"},
        {"C:\\..\\..\\app\\Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"..\\app\\Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"app\\.\\Norvanex.exe", "C:\\work\\app\\Norvanex.exe"},
        {"\\app\\Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"C:Norvanex.exe", "C:\\work\\Norvanex.exe"},
        {"D:Norvanex.exe", "D:\\Norvanex.exe"},
        {"C:\\", "C:\\"},
        {"C:\\app\\..", "C:\\"},
        {"\\\\server\\share\\app\\..\\n.exe", "\\\\server\\share\\n.exe"},
        {"n.exe", "\\\\server\\share\\dir\\n.exe", "\\\\server\\share\\dir"},
        {"\\n.exe", "\\\\server\\share\\n.exe", "\\\\server\\share\\dir"},
        {"\\\\?\\C:\\app\\Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"//?/C:/app/../app/Norvanex.exe", "C:\\app\\Norvanex.exe"},
        {"\\\\?\\UNC\\server\\share\\n.exe", "\\\\server\\share\\n.exe"},
        // Code page 932: the trail byte 0x5C of 表 (95 5C) is no separator.
        {"C:\\\x95\x5C\\.\\n.exe", "C:\\\x95\x5C\\n.exe", "C:\\work", 932},
        {"C:\\a\\\x95\x5C\\..\\n.exe", "C:\\a\\n.exe", "C:\\work", 932},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CanonicalPath(c.path, c.current, fake::LeadBytesOf(c.codePage)), c.expected) << c.path;
    }
}

// The long names of a path where the system has no GetLongPathNameA (Windows 95, NT 4): each part
// looked up in its folder on a fake file system that stores long names and answers short ones too.
TEST(AppInfo, LongPathPartByPart) {
    const std::map<std::string, std::string> disk = {
        // What FindFirstFileA finds for a path, a to z folded; the answer is the name on disk.
        {"C:\\PROGRA~1", "Program Files"}, {"C:\\PROGRAM FILES", "Program Files"},
        {"C:\\Program Files\\NORVAN~1", "Norvanex Tools"},
        {"C:\\Program Files\\Norvanex Tools\\NORVAN~1.EXE", "Norvanex.exe"},
        {"C:\\Program Files\\Norvanex Tools\\NORVANEX.EXE", "Norvanex.exe"},
        {"\\\\server\\share\\DOCUME~1", "Documents"},
        {"C:\\\x95\x5C", "\x95\x5C"},
        {"C:\\\x95\x5C\\A.EXE", "a.exe"},
    };
    std::vector<std::string> asked;
    const LongNameLookup lookup = [&](const std::string& path) -> std::optional<std::string> {
        asked.push_back(path);
        std::string key = path;
        for (char& c : key) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        for (const auto& [stored, name] : disk) {
            std::string folded = stored;
            for (char& c : folded) {
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            }
            if (folded == key) return name;
        }
        return std::nullopt;
    };
    struct Case { const char* path; const char* expected; unsigned codePage = 1252; size_t lookups = 0; } cases[] = {
        {"C:\\PROGRA~1\\NORVAN~1\\NORVAN~1.EXE", "C:\\Program Files\\Norvanex Tools\\Norvanex.exe", 1252, 3},
        {"c:\\program files\\norvan~1\\norvanex.exe", "c:\\Program Files\\Norvanex Tools\\Norvanex.exe", 1252, 3},
        {"C:\\", "C:\\", 1252, 0},
        {"C:\\PROGRA~1", "C:\\Program Files", 1252, 1},
        // Missing parts: nothing, and nothing asked below the first one missing.
        {"C:\\PROGRA~1\\gone\\x.exe", "", 1252, 2},
        {"C:\\nowhere", "", 1252, 1},
        // A wildcard is refused before FindFirstFileA could match something else with it.
        {"C:\\PROGRA~1\\*", "", 1252, 1},
        {"C:\\PROGRA?~1", "", 1252, 0},
        {"\\\\server\\share\\DOCUME~1", "\\\\server\\share\\Documents", 1252, 1},
        {"x.exe", "", 1252, 0},
        // The trail byte 0x5C of a kanji is part of the name, not a separator.
        {"C:\\\x95\x5C\\A.EXE", "C:\\\x95\x5C\\a.exe", 932, 2},
    };
    for (const auto& c : cases) {
        asked.clear();
        EXPECT_EQ(LongPathByParts(c.path, lookup, fake::LeadBytesOf(c.codePage)), c.expected) << c.path;
        EXPECT_EQ(asked.size(), c.lookups) << c.path;
    }
}
