// The shortcut editor's window-free rules: which programs the list takes, the file-name part shown
// for the program to start, the buttons after each user action, and the open dialog's file list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Editor.h"
#include "base/AppInfo.h"
#include "fakes/CodePages.h"

using namespace norvanex;

namespace {

// Code page 932, whose trail bytes include 0x5C and the letters.
const LeadByteFn ShiftJisLead = fake::LeadBytesOf(932);

const char kOwnPath[] = "C:\\Tools\\Norvanex.exe";

// A stand-in for the shell's icon lookup: a distinct number per call, and a count of calls.
struct Icons {
    int calls = 0;
    EditorLists::IconLookup Lookup() {
        return [this](const std::string&) { return 100 + calls++; };
    }
};

std::vector<std::string> Captions(const EditorLists& lists) {
    std::vector<std::string> captions;
    for (const EditorEntry& entry : lists.Entries()) captions.push_back(entry.caption);
    return captions;
}

}  // namespace

TEST(EditorLists, AddsEachProgramOnceAndNeverItself) {
    struct Case {
        const char* name;
        LeadByteFn lead;
        std::vector<std::string> added;
        std::vector<Addition> results;
        std::vector<std::string> listed;
    } cases[] = {
        {"a to z fold", NoLeadBytes, {"C:\\Tools\\a.exe", "c:\\tools\\A.EXE"},
         {Addition::Added, Addition::Duplicate}, {"C:\\Tools\\a.exe"}},
        {"other drive", NoLeadBytes, {"C:\\Tools\\a.exe", "D:\\a.exe"},
         {Addition::Added, Addition::Added}, {"C:\\Tools\\a.exe", "D:\\a.exe"}},
        {"own path in other case", NoLeadBytes, {"c:\\TOOLS\\norvanex.EXE", "C:\\Tools\\Norvanex.exe"},
         {Addition::OwnPath, Addition::OwnPath}, {}},
        {"own file name alone is another program", NoLeadBytes, {"Norvanex.exe"}, {Addition::Added},
         {"Norvanex.exe"}},
        {"bare name and path differ", NoLeadBytes, {"a.exe", "C:\\Tools\\a.exe"},
         {Addition::Added, Addition::Added}, {"a.exe", "C:\\Tools\\a.exe"}},
        {"umlauts do not fold", NoLeadBytes, {"C:\\\xC4.exe", "c:\\\xE4.exe", "C:\\\xC4.EXE"},
         {Addition::Added, Addition::Added, Addition::Duplicate}, {"C:\\\xC4.exe", "c:\\\xE4.exe"}},
        {"trail byte A is no letter", ShiftJisLead, {"C:\\\x83\x41.exe", "C:\\\x83\x61.exe", "c:\\\x83\x41.EXE"},
         {Addition::Added, Addition::Added, Addition::Duplicate}, {"C:\\\x83\x41.exe", "C:\\\x83\x61.exe"}},
        {"same bytes folded in a single-byte code page", NoLeadBytes, {"C:\\\x83\x41.exe", "C:\\\x83\x61.exe"},
         {Addition::Added, Addition::Duplicate}, {"C:\\\x83\x41.exe"}},
        {"empty text is a caption like any", NoLeadBytes, {"", ""}, {Addition::Added, Addition::Duplicate}, {""}},
    };
    for (const Case& c : cases) {
        EditorLists lists(kOwnPath, c.lead);
        Icons icons;
        std::vector<Addition> results;
        for (const std::string& path : c.added) results.push_back(lists.Add(path, icons.Lookup()));
        EXPECT_EQ(results, c.results) << c.name;
        EXPECT_EQ(Captions(lists), c.listed) << c.name;
        EXPECT_EQ(icons.calls, static_cast<int>(c.listed.size())) << c.name << ": only added programs are looked up";
    }
}

TEST(EditorLists, OwnPathWithDoubleByteCharacters) {
    // The program in a folder whose name holds a trail byte 'a': another trail byte is another
    // folder, the same one in other ASCII case around it is the program.
    const std::string own = "C:\\\x83\x61\\Norvanex.exe";
    struct Case { const char* path; Addition expected; } cases[] = {
        {"c:\\\x83\x61\\NORVANEX.EXE", Addition::OwnPath},
        {"C:\\\x83\x41\\Norvanex.exe", Addition::Added},
    };
    for (const Case& c : cases) {
        EditorLists lists(own, ShiftJisLead);
        EXPECT_EQ(lists.Classify(c.path), c.expected) << c.path;
    }
}

TEST(EditorLists, FileNamePartOfTheProgramToStart) {
    struct Case { LeadByteFn lead; const char* path; const char* shown; } cases[] = {
        {NoLeadBytes, "C:\\dir\\", ""},
        {NoLeadBytes, "notepad.exe", "notepad.exe"},
        {NoLeadBytes, "C:\\Program Files\\Sync\\sync.exe", "sync.exe"},
        {NoLeadBytes, "C:sync.exe", "C:sync.exe"},        // a colon does not separate
        {NoLeadBytes, "C:\\a/b.exe", "a/b.exe"},          // nor does a slash
        {NoLeadBytes, "\\\\server\\share\\x.exe", "x.exe"},
        {ShiftJisLead, "C:\\dir\\\x95\x5C.exe", "\x95\x5C.exe"},  // 0x95 0x5C is one character
        {ShiftJisLead, "C:\\\x95\x5C", "\x95\x5C"},
        {NoLeadBytes, "C:\\\x95\x5C", ""},                // in code page 1252 that is a backslash
    };
    for (const Case& c : cases) {
        EditorLists lists(kOwnPath, c.lead);
        lists.ChooseProgramToStart(c.path, 7);
        EXPECT_EQ(lists.ProgramToStartName(), c.shown) << c.path;
        EXPECT_EQ(lists.ProgramToStart(), c.path);
    }
}

// The buttons (Create, Delete, Remove) and the list's hint after each step of a user.
TEST(EditorLists, ButtonsFollowTheUsersSteps) {
    // The selection comes from the mouse or the keys alike (SelectFirst: the first row selected,
    // SelectNone: none left selected, SelectPast: a row index the list no longer holds).
    enum Step {
        Add, AddAgain, AddOwn, SelectFirst, SelectNone, SelectPast, DeleteSelected, DeleteNone, DeleteAll, Choose, Remove
    };
    struct After {
        Step step;
        EditorButtons buttons;  // create, del, remove
        bool hint;
    };
    const std::vector<std::vector<After>> sequences = {
        // Fill, select, delete down to nothing.
        {{Add, {true, false, false}, true},
         {SelectFirst, {true, true, false}, true},
         {Add, {true, true, false}, true},
         {DeleteSelected, {true, false, false}, true},
         {SelectFirst, {true, true, false}, true},
         {DeleteSelected, {false, false, false}, false},
         {SelectFirst, {false, false, false}, false}},
        // A selection in an empty list, a delete with nothing selected, refused additions; Delete
        // goes when the selection goes (a click beside the rows), not only when a row is deleted.
        {{SelectFirst, {false, false, false}, false},
         {DeleteNone, {false, false, false}, false},
         {AddOwn, {false, false, false}, false},
         {Add, {true, false, false}, true},
         {AddAgain, {true, false, false}, true},
         {DeleteNone, {true, false, false}, true},
         {SelectNone, {true, false, false}, true},
         {SelectFirst, {true, true, false}, true},
         {SelectNone, {true, false, false}, true},
         {SelectPast, {true, false, false}, true}},
        // The program to start does not enable Create; Remove disables only itself.
        {{Choose, {false, false, true}, false},
         {Choose, {false, false, true}, false},
         {Remove, {false, false, false}, false},
         {Add, {true, false, false}, true},
         {SelectFirst, {true, true, false}, true},
         {Choose, {true, true, true}, true},
         {Remove, {true, true, false}, true}},
        // A loaded shortcut empties the list first: the selected entry goes with the others, the
        // program to start stays until the shortcut names its own.
        {{Add, {true, false, false}, true},
         {Add, {true, false, false}, true},
         {SelectFirst, {true, true, false}, true},
         {Choose, {true, true, true}, true},
         {DeleteAll, {false, false, true}, false},
         {DeleteAll, {false, false, true}, false}},
    };
    for (std::size_t s = 0; s < sequences.size(); ++s) {
        EditorLists lists(kOwnPath, NoLeadBytes);
        EXPECT_EQ(lists.Buttons(), (EditorButtons{false, false, false}));
        int added = 0;
        for (std::size_t i = 0; i < sequences[s].size(); ++i) {
            SCOPED_TRACE("sequence " + std::to_string(s) + " step " + std::to_string(i));
            const After& after = sequences[s][i];
            switch (after.step) {
                case Add: lists.Add("C:\\p" + std::to_string(added++) + ".exe", nullptr); break;
                case AddAgain: lists.Add("c:\\P0.EXE", nullptr); break;
                case AddOwn: lists.Add(kOwnPath, nullptr); break;
                case SelectFirst: lists.Select(0); break;
                case SelectNone: lists.Select(-1); break;
                case SelectPast: lists.Select(static_cast<int>(lists.Entries().size())); break;
                case DeleteSelected: EXPECT_TRUE(lists.Delete(0)); break;
                case DeleteNone: EXPECT_FALSE(lists.Delete(-1)); break;
                case DeleteAll:
                    lists.DeleteAll();
                    EXPECT_TRUE(lists.Entries().empty());
                    break;
                case Choose: lists.ChooseProgramToStart("C:\\start.exe", 3); break;
                case Remove: lists.RemoveProgramToStart(); break;
            }
            const EditorButtons& b = lists.Buttons();
            EXPECT_EQ(b.create, after.buttons.create);
            EXPECT_EQ(b.del, after.buttons.del);
            EXPECT_EQ(b.remove, after.buttons.remove);
            EXPECT_EQ(lists.ListHint(), after.hint);
        }
    }
}

TEST(EditorLists, DeleteLeavesTheOthersAsTheyWere) {
    struct Case { int deleted; std::vector<std::string> left; std::vector<int> icons; bool done; } cases[] = {
        {0, {"C:\\b.exe", "C:\\c.exe"}, {101, 102}, true},
        {1, {"C:\\a.exe", "C:\\c.exe"}, {100, 102}, true},
        {2, {"C:\\a.exe", "C:\\b.exe"}, {100, 101}, true},
        {3, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"}, {100, 101, 102}, false},
        {-1, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"}, {100, 101, 102}, false},
    };
    for (const Case& c : cases) {
        EditorLists lists(kOwnPath, NoLeadBytes);
        Icons icons;
        for (const char* path : {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"}) lists.Add(path, icons.Lookup());
        EXPECT_EQ(lists.Delete(c.deleted), c.done) << c.deleted;
        EXPECT_EQ(Captions(lists), c.left) << c.deleted;
        std::vector<int> left;
        for (const EditorEntry& entry : lists.Entries()) left.push_back(entry.icon);
        EXPECT_EQ(left, c.icons) << c.deleted;
    }
}

// The list view's rows brought to the entries: what the editor's steps do (one appended, one
// deleted, all replaced by a loaded shortcut), and rows that begin and end alike counted once.
TEST(RowEditOf, KeepsTheRowsAtBothEnds) {
    using Rows = std::vector<std::string>;
    struct Case { Rows shown; Rows wanted; RowEdit edit; } cases[] = {
        {{"a", "b"}, {"a", "b", "c"}, {2, 0, 1}},
        {{"a", "b", "c"}, {"b", "c"}, {0, 1, 0}},
        {{"a", "b", "c"}, {"a", "c"}, {1, 1, 0}},
        {{"a", "b", "c"}, {"a", "b"}, {2, 1, 0}},
        {{"a", "b"}, {"a", "b"}, {2, 0, 0}},
        {{"a", "b"}, {}, {0, 2, 0}},
        {{}, {"a", "b"}, {0, 0, 2}},
        {{}, {}, {0, 0, 0}},
        {{"a", "b"}, {"c", "d"}, {0, 2, 2}},
        {{"a", "b", "c"}, {"a", "x", "c"}, {1, 1, 1}},
        {{"a", "a"}, {"a"}, {1, 1, 0}},
        {{"a"}, {"a", "a"}, {1, 0, 1}},
        {{"a", "b", "a"}, {"a"}, {1, 2, 0}},
    };
    for (const Case& c : cases) {
        const RowEdit edit = RowEditOf(static_cast<int>(c.shown.size()), static_cast<int>(c.wanted.size()),
                                       [&](int row, int wanted) { return c.shown[row] == c.wanted[wanted]; });
        SCOPED_TRACE(::testing::PrintToString(c.shown) + " -> " + ::testing::PrintToString(c.wanted));
        EXPECT_EQ(edit.first, c.edit.first);
        EXPECT_EQ(edit.removed, c.edit.removed);
        EXPECT_EQ(edit.inserted, c.edit.inserted);
        Rows rows = c.shown;
        rows.erase(rows.begin() + edit.first, rows.begin() + edit.first + edit.removed);
        rows.insert(rows.begin() + edit.first, c.wanted.begin() + edit.first,
                    c.wanted.begin() + edit.first + edit.inserted);
        EXPECT_EQ(rows, c.wanted);
    }
}

TEST(EditorLists, RemovingTheProgramToStartEmptiesItsImage) {
    EditorLists lists(kOwnPath, NoLeadBytes);
    EXPECT_EQ(lists.ProgramToStartIcon(), -1);
    lists.ChooseProgramToStart("C:\\one.exe", 5);
    lists.RemoveProgramToStart();
    EXPECT_FALSE(lists.HasProgramToStart());
    EXPECT_EQ(lists.ProgramToStartIcon(), -1);
    EXPECT_EQ(lists.ProgramToStart(), "");
    lists.ChooseProgramToStart("C:\\two.exe", 9);
    EXPECT_EQ(lists.ProgramToStartIcon(), 9);
}

TEST(OpenDialogFiles, SplitsTheDialogsBuffer) {
    using Files = std::vector<std::string>;
    struct Case { LeadByteFn lead; std::string buffer; Files files; } cases[] = {
        {NoLeadBytes, std::string("C:\\Tools\\a.exe\0\0", 16), {"C:\\Tools\\a.exe"}},
        {NoLeadBytes, std::string("C:\\Tools\0c.exe\0a.exe\0b.exe\0\0", 29),
         {"C:\\Tools\\c.exe", "C:\\Tools\\a.exe", "C:\\Tools\\b.exe"}},
        {NoLeadBytes, std::string("C:\\\0a.exe\0b.exe\0\0", 17), {"C:\\a.exe", "C:\\b.exe"}},
        // A folder ending in a double-byte character whose trail byte is 0x5C still needs its backslash.
        {ShiftJisLead, std::string("C:\\\x95\x5C\0a.exe\0b.exe\0\0", 19),
         {"C:\\\x95\x5C\\a.exe", "C:\\\x95\x5C\\b.exe"}},
        {NoLeadBytes, std::string("\0\0", 2), {}},
        {NoLeadBytes, std::string(), {}},
        // A buffer without its closing empty text ends at its end.
        {NoLeadBytes, std::string("C:\\x\0a.exe\0b.e", 14), {"C:\\x\\a.exe", "C:\\x\\b.e"}},
    };
    for (const Case& c : cases) EXPECT_EQ(OpenDialogFiles(c.buffer, c.lead), c.files) << c.buffer;
}

TEST(TypedDialogPaths, JoinsEachNameToTheFolder) {
    using Paths = std::vector<std::u16string>;
    const std::u16string folder = u"C:\\Links";
    struct Case { std::u16string folder; std::u16string typed; Paths paths; } cases[] = {
        {folder, u"kill word", {u"C:\\Links\\kill word"}},
        {folder, u"D:\\x.exe", {u"D:\\x.exe"}},
        {folder, u"//server/share/x", {u"//server/share/x"}},
        {folder, u"\\\\?\\C:\\x", {u"\\\\?\\C:\\x"}},
        {folder, u"..\\x", {u"C:\\Links\\..\\x"}},  // as the dialog joins it, before resolving
        {folder, u"\\x", {u"C:\\Links\\\\x"}},
        {folder, u"\"a.exe\" \"D:\\b.exe\" \"\" \"c", {u"C:\\Links\\a.exe", u"D:\\b.exe", u"C:\\Links\\c"}},
        {u"C:\\", u"x", {u"C:\\x"}},
        {folder, u"\u65E5:\\x", {u"C:\\Links\\\u65E5:\\x"}},  // no drive letter
        {u"", u"x", {u"x"}},
        {folder, u"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(TypedDialogPaths(c.folder, c.typed), c.paths);
}

// The program itself in every spelling of its path, and folders, are refused; a bare name of the
// same file is another program's name and is listed.
TEST(EditorLists, RefusesItselfInAnySpellingAndFolders) {
    const auto canonical = [](const std::string& path) {
        std::string full = CanonicalPath(path, "C:\\work", NoLeadBytes);
        return full == "C:\\TOOLS\\NORVAN~1.EXE" ? std::string("C:\\Tools\\Norvanex.exe") : full;  // a short name
    };
    const auto isFolder = [](const std::string& path) { return path == "C:\\Tools" || path == "C:\\" || path == "C:\\Tools\\"; };
    struct Case { const char* path; Addition result; } cases[] = {
        {"C:\\Tools\\Norvanex.exe", Addition::OwnPath},
        {"c:\\tools\\.\\NORVANEX.EXE", Addition::OwnPath},
        {"C:\\work\\..\\Tools\\Norvanex.exe", Addition::OwnPath},
        {"..\\Tools\\Norvanex.exe", Addition::OwnPath},
        {"C:\\TOOLS\\NORVAN~1.EXE", Addition::OwnPath},
        {"\\\\?\\C:\\Tools\\Norvanex.exe", Addition::OwnPath},
        {"//?/C:/Tools/norvanex.exe", Addition::OwnPath},
        {"Norvanex.exe", Addition::Added},
        {"C:\\Other\\Norvanex.exe", Addition::Added},
        {"C:\\Tools", Addition::Folder},
        {"C:\\", Addition::Folder},
        // The same file through a linked folder or another drive letter: one identity.
        {"S:\\Norvanex.exe", Addition::OwnPath},
        {"S:\\Copy\\Norvanex.exe", Addition::Added},
    };
    const auto isOwnFile = [](const std::string& path) { return path == "S:\\Norvanex.exe"; };
    for (const auto& c : cases) {
        EditorLists lists(kOwnPath, NoLeadBytes, canonical, isFolder, isOwnFile);
        Icons icons;
        EXPECT_EQ(lists.Add(c.path, icons.Lookup()), c.result) << c.path;
        EXPECT_EQ(lists.Entries().size(), c.result == Addition::Added ? 1u : 0u) << c.path;
        EXPECT_EQ(icons.calls, c.result == Addition::Added ? 1 : 0) << c.path;
    }
}

// One file is one entry: added in any spelling, it is listed under its one spelling, and another
// spelling of it adds nothing. Bare names, and relative paths written as they stand, stay as given.
TEST(EditorLists, OneFileOneEntry) {
    const auto canonical = [](const std::string& path) {
        std::string full = CanonicalPath(path, "C:\\work", NoLeadBytes);
        return full == "C:\\TOOLS\\WINWOR~1.EXE" ? std::string("C:\\Tools\\winword.exe") : full;
    };
    struct Case { const char* first; bool whole; const char* caption; const char* again; } cases[] = {
        {"C:\\TOOLS\\WINWOR~1.EXE", false, "C:\\Tools\\winword.exe", "C:/Tools/winword.exe"},
        {"C:/Tools/winword.exe", false, "C:\\Tools\\winword.exe", "C:\\TOOLS\\WINWOR~1.EXE"},
        {"C:\\work\\..\\Tools\\.\\winword.exe", false, "C:\\Tools\\winword.exe", "\\\\?\\C:\\Tools\\winword.exe"},
        {"\\\\?\\C:\\Tools\\winword.exe", true, "C:\\Tools\\winword.exe", "c:\\tools\\\\winword.exe"},
        {"C:\\Tools\\winword.exe", true, "C:\\Tools\\winword.exe", "C:\\TOOLS\\WINWOR~1.EXE"},
        {"winword.exe", false, "winword.exe", "WINWORD.EXE"},
        {"sub\\winword.exe", true, "sub\\winword.exe", "sub\\WINWORD.exe"},
    };
    for (const auto& c : cases) {
        EditorLists lists(kOwnPath, NoLeadBytes, canonical);
        Icons icons;
        EXPECT_EQ(lists.Add(c.first, icons.Lookup(), c.whole), Addition::Added) << c.first;
        ASSERT_EQ(lists.Entries().size(), 1u) << c.first;
        EXPECT_EQ(lists.Entries()[0].caption, c.caption) << c.first;
        EXPECT_EQ(lists.Add(c.again, icons.Lookup(), c.whole), Addition::Duplicate) << c.again;
    }
}
