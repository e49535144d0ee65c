// Shortcuts under Wine: the editor's Create with its save dialog, the file read back by an
// independent parser, the overwrite question and the limits, the written shortcut opened through
// the shell, and a dropped shortcut loaded back into the editor.
// Timeout: 600
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <vector>

#include "app/MainLayout.h"
#include "app/Shortcut_win.h"

using namespace driver;
using namespace norvanex;

namespace {

struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What lnkinfo (liblnk, a parser of its own) reads from a shortcut: its "name : value" lines.
std::map<std::string, std::string> LnkInfo(const std::string& path) {
    std::string output;
    const std::optional<int> status = RunHost("lnkinfo " + QuoteArg(UnixPath(path)), &output);
    std::map<std::string, std::string> fields;
    if (!status || *status != 0) {
        check::Log("lnkinfo failed: " + output);
        return fields;
    }
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(start, end - start);
        start = end + 1;
        const size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        auto trim = [](std::string text) {
            while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.erase(0, 1);
            while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.pop_back();
            return text;
        };
        fields[trim(line.substr(0, colon))] = trim(line.substr(colon + 2));
    }
    return fields;
}

std::string Field(const std::map<std::string, std::string>& fields, const std::string& name) {
    const auto it = fields.find(name);
    return it == fields.end() ? std::string("(none)") : it->second;
}

// The four fields that Create writes, as the independent parser reads them.
void CheckLnkInfo(const std::string& file, const std::string& target, const std::string& arguments,
                  const std::string& icon) {
    const std::map<std::string, std::string> info = LnkInfo(file);
    CHECK_EQ(Field(info, "Local path"), target);
    CHECK_EQ(Field(info, "Command line arguments"), arguments);
    CHECK_EQ(Field(info, "Icon location"), icon);
    CHECK_EQ(Field(info, "Icon index"), "0");
    const std::string description = Field(info, "Description");
    CHECK(description == "" || description == "(none)");
}

// Insert, "Insert programfile...", the open dialog: one program to end.
bool AddProgram(const Editor& editor, const std::string& path, const char* title = "Chose programms to kill") {
    const int before = editor.Entries();
    PostMessageA(editor.main, WM_COMMAND, kSelectFile, 0);
    return ConfirmTitledDialog(editor.process, title, path) &&
           CHECK(WaitUntil([&] { return editor.Entries() == before + 1; }));
}

// Choose, the open dialog: the program to start.
bool ChooseProgram(const Editor& editor, const std::string& path) {
    Click(editor.Get(kBitBtn5));
    // The label shows the name, cut when it is long; the hint holds the path.
    return ConfirmTitledDialog(editor.process, "Chose programm to run", path) &&
           CHECK(WaitUntil([&] { return Hint(editor.Get(kLabel2)).value_or("") == path; }));
}

// Create, then the save dialog with a typed name.
bool SaveAs(const Editor& editor, const std::string& typed, const char* title = "Save as",
            const std::string& screenshot = "", bool closes = true) {
    Click(editor.Get(kBitBtn1));
    return ConfirmTitledDialog(editor.process, title, typed, screenshot, closes);
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) joined += text + "|";
    return joined;
}

// Opens a shortcut as Explorer does, answers the question when `ask`, and checks the kill run:
// the victims end, the result window lists them, the program to start starts once.
void OpenThroughTheShell(const std::string& shortcut, bool ask, const std::vector<std::string>& victims,
                         const std::string& helper) {
    const std::string marker = ScratchFolder() + "\\shortcut-marker.log";
    DeleteFileA(marker.c_str());
    SetEnvironmentVariableA("NORVANEX_MARKER", marker.c_str());
    for (const std::string& victim : victims) REQUIRE(!StartWindowless(victim, 1).empty());

    const auto opened = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", shortcut.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    CHECK(opened > 32);
    if (ask) {
        HWND question = WaitDialog(0, "Bestätigung");
        REQUIRE(question != nullptr);
        Click(ButtonByCaption(question, "&Ja"));
    }
    HWND result = nullptr;
    REQUIRE(WaitUntil([&] { return (result = FindTopWindow(0, "Norvanex 4.3", "TMainForm")) != nullptr; }));
    DWORD since = GetTickCount();
    for (const std::string& victim : victims) {
        const std::string name = victim.substr(victim.find_last_of('\\') + 1);
        CHECK(WaitUntil([&] { return ProcessesNamed(name).empty(); }));
    }
    CHECK_EQ(Joined(LvTexts(ChildById(result, kListView1))), Joined(victims));
    // The program to start, once (1 s after the walk); none without one.
    if (!helper.empty() && CHECK(WaitUntil([&] { return !FileLines(marker).empty(); }, 5000))) {
        since = TickOf(FileLines(marker)[0]);
    }
    WaitOutStartTimer(since);
    const std::vector<std::string> lines = FileLines(marker);
    CHECK_EQ(lines.size(), helper.empty() ? 0u : 1u);
    if (!lines.empty()) CHECK(lines[0].find(helper) != std::string::npos);
    Click(ChildById(result, kBitBtn1));
    CHECK(WaitUntil([&] { return !IsWindow(result); }));
    SetEnvironmentVariableA("NORVANEX_MARKER", nullptr);
}

// A shortcut of this program with two programs to end and one to start, and one of another
// program, both required to be made in the scratch folder.
constexpr char kOurArguments[] = "\"my victim.exe\" winword.exe r:\"C:\\Program Files\\Sync\\sync.exe\"";

std::string OurShortcut() {
    const std::string path = ScratchFolder() + "\\edit me.lnk";
    REQUIRE(CreateShortcut(NorvanexExe(), kOurArguments, path, NorvanexExe(), ""));
    return path;
}

std::string ForeignShortcut() {
    const std::string path = ScratchFolder() + "\\notepad.lnk";
    REQUIRE(CreateShortcut("C:\\windows\\notepad.exe", "winword.exe", path, "C:\\windows\\notepad.exe", ""));
    return path;
}

}  // namespace

// The editor filled through its dialogs, Create, a typed name: the file the shell can open, with
// the fields read back by lnkinfo; then opened through the shell, it does what the editor showed.
CASE(CreateWritesAShortcutThatRuns) {
    ComScope com;
    CreateDirectoryA((ScratchFolder() + "\\with blanks").c_str(), nullptr);
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    const std::string excel = CopyToScratch("victim.exe", "excel.exe");
    const std::string blank = CopyToScratch("victim.exe", "with blanks\\my victim.exe");
    const std::string helper = CopyToScratch("marker.exe", "helper.exe");
    const std::string blankHelper = CopyToScratch("marker.exe", "with blanks\\run me.exe");
    const std::string ghost = "C:\\nowhere\\ghost";  // no such file, no type: the unknown-file icon
    const std::string folder = ScratchFolder() + "\\";
    OwnIconType iconType;
    const std::string picture = ScratchFolder() + "\\picture.nvxicon";
    { std::ofstream(picture) << "a file with an icon of its own"; }

    struct Case {
        const char* what;
        std::vector<std::string> programs;
        std::vector<std::string> dropped;  // dropped on the list after the programs
        std::string start;
        bool ask;
        std::string typed, written, arguments, icon;
        std::vector<std::string> victims;  // opened through the shell when not empty
    } cases[] = {
        {"two programs, asked", {word, excel}, {}, "", true, folder + "kill word", folder + "kill word.lnk",
         "~ask~ winword.exe excel.exe", NorvanexExe(), {word, excel}},
        {"program to start gives the icon", {word, ghost}, {picture}, helper, false, folder + "A.LNK", folder + "A.LNK",
         "winword.exe ghost picture.nvxicon r:" + helper, helper, {word}},
        {"the one other icon in the list", {ghost, word}, {picture}, "", false, folder + "x.lnk.txt",
         folder + "x.lnk.txt.lnk", "ghost winword.exe picture.nvxicon", picture, {}},
        {"blanks", {blank}, {}, blankHelper, false, folder + "with blanks\\a.Lnk", folder + "with blanks\\a.Lnk",
         "\"my victim.exe\" r:\"" + blankHelper + "\"", blankHelper, {blank}},
    };
    for (const Case& c : cases) {
        check::Log(c.what);
        DeleteFileA(c.written.c_str());
        Editor editor;
        for (const std::string& program : c.programs) REQUIRE(AddProgram(editor, program));
        if (!c.dropped.empty()) {
            HWND list = editor.Get(kListView1);
            const RECT where = RectInParent(list);
            REQUIRE(DropFiles(editor.main, POINT{where.left + 20, where.top + 20}, c.dropped));
            REQUIRE(WaitUntil([&] { return editor.Entries() == static_cast<int>(c.programs.size() + c.dropped.size()); }));
        }
        if (!c.start.empty()) REQUIRE(ChooseProgram(editor, c.start));
        if (!c.ask) Click(editor.Get(kCheckBox1));
        REQUIRE(WaitUntil([&] { return CheckState(editor.Get(kCheckBox1)) == (c.ask ? BST_CHECKED : BST_UNCHECKED); }));
        REQUIRE(SaveAs(editor, c.typed));
        REQUIRE(WaitUntil([&] { return Exists(c.written); }));
        CheckLnkInfo(c.written, NorvanexExe(), c.arguments, c.icon);
        // The editor keeps its state for the next shortcut.
        CHECK_EQ(editor.Entries(), static_cast<int>(c.programs.size() + c.dropped.size()));
        CHECK(Enabled(editor.Get(kBitBtn1)));
        if (!c.victims.empty()) OpenThroughTheShell(c.written, c.ask, c.victims, c.start);
    }
}

namespace {

// The message box of the program with this title, and whether it shows `message`.
HWND WaitBox(const Process& process, const char* title) { return process.WaitDialog(title); }
bool ShowsText(HWND box, const std::string& message) {
    for (HWND child : Children(box)) {
        if (Text(child) == message) return true;
    }
    return false;
}

}  // namespace

// Saving over a shortcut asks first, also when the typed name lacks ".lnk"; No leaves the file as
// it was, byte for byte, Yes writes the editor's line over it.
CASE(SavingOverAShortcutAsksFirst) {
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    struct Case { const char* locale; const char* caption; const char* title; const char* question; const char* shot; } cases[] = {
        {"en_US.UTF-8", kEditorCaptionEn, "Save as", "Should i overwrite the existing file?", "save-dialog-en"},
        {"de_DE.UTF-8", kEditorCaptionDe, "Speichern unter",
         "Soll die vorhandene Datei überschrieben werden?", "save-dialog-de"},
    };
    for (const Case& c : cases) {
        const std::string typed = ScratchFolder() + "\\again";
        const std::string file = typed + ".lnk";
        DeleteFileA(file.c_str());
        Editor editor(c.locale, c.caption);
        REQUIRE(AddProgram(editor, word, c.locale[0] == 'd' ? "Zu beendende Programme wählen" : "Chose programms to kill"));
        REQUIRE(SaveAs(editor, typed, c.title, c.shot));
        REQUIRE(WaitUntil([&] { return Exists(file); }));
        const std::string first = FileBytes(file);
        CHECK_EQ(Field(LnkInfo(file), "Command line arguments"), "~ask~ winword.exe");

        Click(editor.Get(kCheckBox1));  // the line changes: "winword.exe" alone
        for (const bool yes : {false, true}) {
            Click(editor.Get(kBitBtn1));
            HWND dialog = editor.process.WaitDialog(c.title);
            REQUIRE(dialog != nullptr);
            // The name was emptied before this showing.
            CHECK_EQ(Text(FileNameField(dialog)), "");
            REQUIRE(SetText(FileNameField(dialog), typed));
            Click(ChildById(dialog, IDOK));
            HWND question = WaitBox(editor.process, "Bestätigung");
            REQUIRE(question != nullptr);
            CHECK(ShowsText(question, c.question));
            CHECK(IsWindow(dialog));  // asked while the save dialog is still open
            if (!yes) CHECK(!Screenshot(std::string("overwrite-") + (c.locale[0] == 'd' ? "de" : "en"), question).empty());
            Click(ButtonByCaption(question, yes ? "&Ja" : "&Nein"));
            CHECK(WaitUntil([&] { return !IsWindow(dialog); }));
            if (!yes) CHECK(FileBytes(file) == first);
        }
        CHECK(WaitUntil([&] { return Field(LnkInfo(file), "Command line arguments") == "winword.exe"; }, 3000));
    }
}

// The line's limit counts every character, quotes included: 260 opens the save dialog, 261 shows
// the error box in the user's language and no dialog. A line within the limit whose program to
// start is longer than the editor writes (256 characters) gets a box of its own.
CASE(LineOverTheLimitShowsTheErrorBox) {
    // "~ask~ " and two names of 127 and 126 (or 127) characters, one blank between them.
    const std::string a127 = "C:\\" + std::string(123, 'a') + ".exe";
    const std::string b126 = "C:\\" + std::string(122, 'b') + ".exe", b127 = "C:\\" + std::string(123, 'b') + ".exe";
    const std::string start256 = "C:\\" + std::string(249, 's') + ".exe";  // "a r:C:\sss...": 260
    struct Case {
        const char* locale;
        const char* caption;
        std::vector<std::string> programs;
        std::string start;
        const char* message;  // nullptr: the save dialog opens
        const char* shot;
    } cases[] = {
        {"en_US.UTF-8", kEditorCaptionEn, {a127, b126}, "", nullptr, ""},
        {"en_US.UTF-8", kEditorCaptionEn, {a127, b127}, "",
         "Too much entrys!\r\rOne call sould have max. 260 chars, your will have 261 chars.\r"
         "Please remove one or more files from the list.", "create-too-long-en"},
        {"de_DE.UTF-8", kEditorCaptionDe, {a127, b127}, "",
         "Zu viele Einträge!\r\rEin Aufruf sollte maximal 260 Zeichen enthalten, dieser würde 261 Zeichen lang "
         "sein.\rBitte entfernen Sie eine oder mehrere Dateien aus der Liste.", "create-too-long-de"},
        {"en_US.UTF-8", kEditorCaptionEn, {"C:\\a"}, start256,
         "The path of the program to run is too long!\r\rA call starts programs whose path has at most 255 chars, "
         "this one has 256 chars.\rPlease choose a program with a shorter path.", "create-start-too-long-en"},
    };
    for (const Case& c : cases) {
        const bool german = c.locale[0] == 'd';
        const char* openTitle = german ? "Zu beendende Programme wählen" : "Chose programms to kill";
        Editor editor(c.locale, c.caption);
        for (const std::string& program : c.programs) REQUIRE(AddProgram(editor, program, openTitle));
        if (!c.start.empty()) {
            REQUIRE(ChooseProgram(editor, c.start));
            Click(editor.Get(kCheckBox1));
            REQUIRE(WaitUntil([&] { return CheckState(editor.Get(kCheckBox1)) == BST_UNCHECKED; }));
        }
        Click(editor.Get(kBitBtn1));
        const char* saveTitle = german ? "Speichern unter" : "Save as";
        if (!c.message) {
            HWND dialog = editor.process.WaitDialog(saveTitle);
            REQUIRE(dialog != nullptr);
            Click(ChildById(dialog, IDCANCEL));
            CHECK(WaitUntil([&] { return !IsWindow(dialog); }));
            continue;
        }
        HWND box = WaitBox(editor.process, "Fehler");
        REQUIRE(box != nullptr);
        CHECK(ShowsText(box, c.message));
        CHECK(!Screenshot(c.shot, box).empty());
        Click(ButtonByCaption(box, "OK"));
        CHECK(WaitUntil([&] { return !IsWindow(box); }));
        // Create's handler is over and opened no save dialog, which would have disabled the editor.
        CHECK(Answers(editor.main));
        CHECK(Enabled(editor.main));
        CHECK(FindDialog(editor.process.pid(), saveTitle) == nullptr);
        CHECK_EQ(editor.Entries(), static_cast<int>(c.programs.size()));
    }
}

// A shortcut of this program dropped on the editor replaces its state with what the call line
// says, each program as a bare name; written again over the same file (after the question), the
// line is the same. A shortcut of another program is refused and the editor stays as it was.
CASE(DroppedShortcutLoadsIntoTheEditor) {
    ComScope com;
    const std::string ours = OurShortcut();
    const std::string foreign = ForeignShortcut();

    Editor editor;
    REQUIRE(AddProgram(editor, CopyToScratch("victim.exe", "excel.exe")));  // replaced by the load
    HWND list = editor.Get(kListView1);
    const RECT where = RectInParent(list);
    REQUIRE(DropFiles(editor.main, POINT{where.left + 20, where.top + 20}, {ours}));
    REQUIRE(WaitUntil([&] { return Text(editor.Get(kLabel2)) == "sync.exe"; }));
    CHECK_EQ(Joined(LvTexts(list)), "my victim.exe|winword.exe|");
    CHECK_EQ(CheckState(editor.Get(kCheckBox1)), BST_UNCHECKED);
    CHECK(Enabled(editor.Get(kBitBtn1)));
    CHECK(Enabled(editor.Get(kBitBtn6)));

    // Saved over the same file: asked first, and the line comes out as it went in.
    REQUIRE(SaveAs(editor, ours, "Save as", "", false));
    HWND question = WaitBox(editor.process, "Bestätigung");
    REQUIRE(question != nullptr);
    Click(ButtonByCaption(question, "&Ja"));
    CHECK(WaitUntil([&] { return Field(LnkInfo(ours), "Icon location") == "C:\\Program Files\\Sync\\sync.exe"; }, 3000));
    CHECK_EQ(Field(LnkInfo(ours), "Command line arguments"), std::string(kOurArguments));

    const std::string before = Joined(LvTexts(list));
    REQUIRE(PostDropFiles(editor.main, POINT{where.left + 20, where.top + 20}, {foreign}));
    HWND box = WaitBox(editor.process, "Fehler");
    REQUIRE(box != nullptr);
    CHECK(ShowsText(box, "The shortcut\r" + foreign + "\rdoes not call Norvanex and cannot be edited here."));
    CHECK(!Screenshot("drop-foreign-shortcut-en", box).empty());
    Click(ButtonByCaption(box, "OK"));
    CHECK(WaitUntil([&] { return !IsWindow(box); }));
    CHECK_EQ(Joined(LvTexts(list)), before);
    CHECK_EQ(Text(editor.Get(kLabel2)), "sync.exe");
    CHECK_EQ(CheckState(editor.Get(kCheckBox1)), BST_UNCHECKED);

    // On the picture of the program to start, the other program's shortcut becomes that program,
    // and the shortcut written with it carries its target's icon; ours still loads there.
    const RECT picture = RectInParent(editor.Get(kProgImg));
    const POINT onPicture{picture.left + 8, picture.top + 8};
    REQUIRE(DropFiles(editor.main, onPicture, {foreign}));
    CHECK(WaitUntil([&] { return Text(editor.Get(kLabel2)) == "notepad.lnk"; }));
    CHECK_EQ(Joined(LvTexts(list)), before);
    const std::string written = ScratchFolder() + "\\starts notepad.lnk";
    REQUIRE(SaveAs(editor, written, "Save as", "", false));
    CHECK(WaitUntil([&] { return Exists(written); }, 3000));
    CHECK_EQ(Field(LnkInfo(written), "Command line arguments"), "\"my victim.exe\" winword.exe r:" + foreign);
    CHECK_EQ(Field(LnkInfo(written), "Icon location"), "C:\\windows\\notepad.exe");
    REQUIRE(DropFiles(editor.main, onPicture, {ours}));
    CHECK(WaitUntil([&] { return Text(editor.Get(kLabel2)) == "sync.exe"; }));
}

// By keys alone: Ctrl+O opens a dialog for shortcuts; another program's shortcut is refused with
// the drop's words, ours loads as a dropped one does, and its program to start names the picture
// for a screen reader. Then the arrow keys select, and Delete follows the selection.
CASE(CtrlOLoadsAShortcutAndArrowKeysEnableDelete) {
    ComScope com;
    const std::string ours = OurShortcut();
    const std::string foreign = ForeignShortcut();

    Editor editor;
    HWND list = editor.List();
    auto open = [&](const std::string& file, const char* shot) {
        REQUIRE(PressKey(list, 'O', {VK_CONTROL}));
        HWND dialog = editor.process.WaitDialog("Open a shortcut of Norvanex");
        REQUIRE(dialog != nullptr);
        HWND field = FileNameField(dialog);
        REQUIRE(field != nullptr);
        REQUIRE(TypeText(field, std::wstring(file.begin(), file.end())));
        if (*shot) {
            CHECK(WaitPainted(dialog) && WaitCaretOff(dialog));
            CHECK(!Screenshot(shot, dialog).empty());
        }
        SendKey(VK_RETURN);
        CHECK(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    };

    open(foreign, "open-shortcut-en");
    HWND box = WaitBox(editor.process, "Fehler");
    REQUIRE(box != nullptr);
    CHECK(ShowsText(box, "The shortcut\r" + foreign + "\rdoes not call Norvanex and cannot be edited here."));
    REQUIRE(PressKey(ButtonByCaption(box, "OK"), VK_RETURN));
    CHECK(WaitUntil([&] { return !IsWindow(box); }));
    CHECK_EQ(LvCount(list), 0);

    open(ours, "");
    REQUIRE(WaitUntil([&] { return Text(editor.Get(kLabel2)) == "sync.exe"; }));
    CHECK_EQ(Joined(LvTexts(list)), "my victim.exe|winword.exe|");
    CHECK_EQ(CheckState(editor.Get(kCheckBox1)), BST_UNCHECKED);
    const std::wstring started = L"C:\\Program Files\\Sync\\sync.exe";
    const std::optional<std::wstring> picture = AccessibleName(editor.Get(kProgImg));
    check::Log(std::string("the picture's accessible name: ") + (picture ? "given" : "none"));
    CHECK(picture == started);

    // Create, Delete, Remove after each key: the selection alone says whether Delete may act.
    struct Key { UINT vk; int entries; std::vector<bool> buttons; } keys[] = {
        {0, 2, {true, false, true}},
        {VK_DOWN, 2, {true, true, true}},
        {VK_DOWN, 2, {true, true, true}},
        {VK_DELETE, 1, {true, false, true}},
        {VK_SPACE, 1, {true, true, true}},  // the first row has the focus, unselected: Space selects it
        {VK_DELETE, 0, {false, false, true}},
        {VK_DOWN, 0, {false, false, true}},
    };
    for (const Key& key : keys) {
        if (key.vk != 0) REQUIRE(PressKey(list, key.vk));
        CHECK(WaitUntil([&] { return LvCount(list) == key.entries && editor.Buttons() == key.buttons; }, 3000));
        if (!CHECK_EQ(editor.Buttons(), key.buttons)) {
            const std::optional<LvItem> first = LvGet(list, 0);
            check::Log("rows selected " + std::to_string(LvSelected(list).size()) + ", first row's state " +
                       std::to_string(first ? first->state : 0));
        }
    }
}

// A shortcut whose call names a program by its full path, loaded and saved again unchanged, keeps
// its arguments byte for byte: the full path stays, and ends only that folder's copy. One whose
// program to run the kill run would never start is not loaded; the editor stays as it was.
CASE(LoadedFullPathsStayWhole) {
    ComScope com;
    const std::string ours = ScratchFolder() + "\\full paths.lnk";
    const std::string arguments = "~ask~ \"C:\\My Tools\\odd\\bang!.exe\" C:\\Tools\\x.exe winword.exe r:C:\\Tools\\y.exe";
    REQUIRE(CreateShortcut(NorvanexExe(), arguments, ours, NorvanexExe(), ""));
    const std::string lost = ScratchFolder() + "\\lost start.lnk";
    REQUIRE(CreateShortcut(NorvanexExe(), "a.exe r:C:\\" + std::string(253, 'p'), lost, NorvanexExe(), ""));

    Editor editor;
    HWND list = editor.Get(kListView1);
    const RECT where = RectInParent(list);
    const POINT at{where.left + 20, where.top + 20};
    REQUIRE(DropFiles(editor.main, at, {ours}));
    REQUIRE(WaitUntil([&] { return Text(editor.Get(kLabel2)) == "y.exe"; }));
    CHECK_EQ(Joined(LvTexts(list)), "C:\\My Tools\\odd\\bang!.exe|C:\\Tools\\x.exe|winword.exe|");
    REQUIRE(SaveAs(editor, ours, "Save as", "", false));
    HWND question = WaitBox(editor.process, "Bestätigung");
    REQUIRE(question != nullptr);
    Click(ButtonByCaption(question, "&Ja"));
    CHECK(WaitUntil([&] { return Field(LnkInfo(ours), "Icon location") == "C:\\Tools\\y.exe"; }, 3000));
    CHECK_EQ(Field(LnkInfo(ours), "Command line arguments"), arguments);

    REQUIRE(PostDropFiles(editor.main, at, {lost}));
    HWND box = WaitBox(editor.process, "Fehler");
    REQUIRE(box != nullptr);
    CHECK(ShowsText(box, "The shortcut\r" + lost +
                             "\rnames a program to run that Norvanex would never start. Saved again from the editor "
                             "it would do something else, so it is not loaded."));
    Click(ButtonByCaption(box, "OK"));
    CHECK(WaitUntil([&] { return !IsWindow(box); }));
    CHECK_EQ(Joined(LvTexts(list)), "C:\\My Tools\\odd\\bang!.exe|C:\\Tools\\x.exe|winword.exe|");
    CHECK_EQ(Text(editor.Get(kLabel2)), "y.exe");
}

// "Close programs first" ticked with the real mouse writes the close marker after "~ask~". A
// shortcut whose marker carries a wait of its own, dropped on the editor, ticks the box and is
// written back byte for byte.
CASE(CloseFirstWritesTheMarkerAndKeepsALoadedWait) {
    ComScope com;
    const std::string created = ScratchFolder() + "\\close first.lnk";
    DeleteFileA(created.c_str());
    const std::string loaded = ScratchFolder() + "\\wait 45.lnk";
    const std::string arguments = "~ask~ ~close:45~ x.exe";
    REQUIRE(CreateShortcut(NorvanexExe(), arguments, loaded, NorvanexExe(), ""));

    Editor editor;
    HWND box = editor.Get(kCheckBox2);
    CHECK_EQ(CheckState(box), BST_UNCHECKED);
    REQUIRE(AddProgram(editor, CopyToScratch("victim.exe", "winword.exe")));
    CHECK(MouseClick(CenterOnScreen(box), box));
    REQUIRE(WaitUntil([&] { return CheckState(box) == BST_CHECKED; }));
    REQUIRE(SaveAs(editor, created));
    CHECK(WaitUntil([&] { return Field(LnkInfo(created), "Command line arguments") == "~ask~ ~close~ winword.exe"; }, 3000));

    CHECK(MouseClick(CenterOnScreen(box), box));
    REQUIRE(WaitUntil([&] { return CheckState(box) == BST_UNCHECKED; }));
    const RECT where = RectInParent(editor.List());
    REQUIRE(DropFiles(editor.main, POINT{where.left + 20, where.top + 20}, {loaded}));
    REQUIRE(WaitUntil([&] { return Joined(LvTexts(editor.List())) == "x.exe|"; }));
    CHECK_EQ(CheckState(box), BST_CHECKED);
    CHECK_EQ(CheckState(editor.Get(kCheckBox1)), BST_CHECKED);
    REQUIRE(SaveAs(editor, loaded, "Save as", "", false));
    HWND question = WaitBox(editor.process, "Bestätigung");
    REQUIRE(question != nullptr);
    Click(ButtonByCaption(question, "&Ja"));
    // The save dialog closes once the shortcut is written.
    CHECK(WaitUntil([&] { return FindDialog(editor.process.pid(), "Save as") == nullptr; }));
    CHECK_EQ(Field(LnkInfo(loaded), "Command line arguments"), arguments);
}

// A name typed beyond what a path can hold, into the save dialog or the open dialog, a device's
// name and a folder's as the save name, are refused with a message while the dialog stays open for
// another name (the dialog itself would overrun its path buffer: the editor's stack); the editor
// lives on with its list, and nothing is written.
CASE(TooLongAndDeviceNamesAreRefused) {
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    Editor editor;
    REQUIRE(AddProgram(editor, word));
    const std::string tooLong = ScratchFolder() + "\\" + std::string(250, 'a');
    const auto tooLongText = [](const std::string& path) {
        return "The name\r" + path + "\ris too long: its path has " + std::to_string(path.size()) +
               " chars, at most 259 are possible.\rPlease choose a shorter name or folder.";
    };
    const auto deviceText = [](const std::string& path) {
        return "The name\r" + path + "\ris reserved by Windows for a device; no shortcut can be saved under it."
                                       "\rPlease choose another name.";
    };
    const std::string folder = ScratchFolder() + "\\dir";
    REQUIRE(CreateDirectoryA((folder + ".lnk").c_str(), nullptr));
    struct Case { bool save; std::string typed; std::string message; } cases[] = {
        {true, tooLong, tooLongText(tooLong + ".lnk")},
        {false, tooLong + ".exe", tooLongText(tooLong + ".exe")},
        {false, "\"x.exe\" \"" + std::string(250, 'b') + ".exe\"", tooLongText(ScratchFolder() + "\\" + std::string(250, 'b') + ".exe")},
        {true, ScratchFolder() + "\\NUL.lnk", deviceText(ScratchFolder() + "\\NUL.lnk")},
        {true, ScratchFolder() + "\\com7", deviceText(ScratchFolder() + "\\com7.lnk")},
        {true, ScratchFolder() + "\\COM\xB9", deviceText(ScratchFolder() + "\\COM\xB9.lnk")},  // COM¹
        {true, ScratchFolder() + "\\CONIN$", deviceText(ScratchFolder() + "\\CONIN$.lnk")},
        {true, folder, "A folder of this name exists:\r" + folder + ".lnk\rNo shortcut can be saved under its name."
                       "\rPlease choose another name."},
    };
    for (const Case& c : cases) {
        if (c.save) {
            Click(editor.Get(kBitBtn1));
        } else {
            PostMessageA(editor.main, WM_COMMAND, kSelectFile, 0);
        }
        HWND dialog = editor.process.WaitDialog(c.save ? "Save as" : "Chose programms to kill");
        REQUIRE(dialog != nullptr);
        HWND field = FileNameField(dialog);
        REQUIRE(field != nullptr);
        std::wstring typed;  // code page 1252 is Latin-1 in all that these names hold
        for (const unsigned char code : c.typed) typed += static_cast<wchar_t>(code);
        REQUIRE(TypeText(field, typed));
        REQUIRE(WaitUntil([&] { return Text(field) == c.typed; }));
        REQUIRE(PressKey(field, VK_RETURN));
        HWND box = WaitBox(editor.process, "Fehler");
        REQUIRE(box != nullptr);
        CHECK(ShowsText(box, c.message));
        if (c.typed == tooLong) CHECK(!Screenshot("save-name-too-long-en", box).empty());
        if (c.typed == folder) CHECK(!Screenshot("save-name-folder-en", box).empty());
        Click(ButtonByCaption(box, "OK"));
        CHECK(WaitUntil([&] { return !IsWindow(box); }));
        CHECK(IsWindow(dialog));
        Click(ChildById(dialog, IDCANCEL));
        CHECK(WaitUntil([&] { return !IsWindow(dialog); }));
        CHECK(editor.process.Running());
        CHECK_EQ(Joined(LvTexts(editor.Get(kListView1))), word + "|");
    }
}

namespace {

// A shortcut as the shell writes one for a file it knows by its ID list alone: the header, the ID
// list and the arguments, but no link information with a path.
bool WriteIdListShortcut(const std::string& file, const std::string& target, const std::wstring& arguments) {
    const PIDLIST_ABSOLUTE ids = ILCreateFromPathA(target.c_str());
    if (ids == nullptr) return false;
    std::string bytes(0x4C, '\0');
    const auto put = [&](size_t at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    put(0, 0x4C, 4);  // HeaderSize
    static const unsigned char kShellLink[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    bytes.replace(4, 16, reinterpret_cast<const char*>(kShellLink), 16);
    put(0x14, 0x01 | 0x20 | 0x80, 4);  // HasLinkTargetIDList, HasArguments, IsUnicode
    put(0x3C, SW_SHOWNORMAL, 4);
    const UINT size = ILGetSize(ids);
    bytes.append(2, '\0');
    put(bytes.size() - 2, size, 2);
    bytes.append(reinterpret_cast<const char*>(ids), size);
    ILFree(ids);
    bytes.append(2, '\0');
    put(bytes.size() - 2, static_cast<std::uint32_t>(arguments.size()), 2);
    for (wchar_t c : arguments) {
        bytes.append(2, '\0');
        put(bytes.size() - 2, c, 2);
    }
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

// Shortcuts that lead elsewhere: a chain that loops is refused on the picture of the program to
// start with a word, the editor as it was; a shortcut chosen in Insert programfile gives the
// program it leads to; a shortcut of this program that names it by its ID list alone loads.
CASE(ShortcutsAreFollowedToTheirPrograms) {
    ComScope com;
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    const std::string loopA = LoopingShortcuts();
    const std::string toWord = ScratchFolder() + "\\word.lnk";
    REQUIRE(CreateShortcut(word, "", toWord, "", ""));
    const std::string byIds = ScratchFolder() + "\\by ids.lnk";
    REQUIRE(WriteIdListShortcut(byIds, NorvanexExe(), L"excel.exe r:C:\\run.exe"));

    Editor editor;
    const RECT picture = RectInParent(editor.Get(kProgImg));
    REQUIRE(PostDropFiles(editor.main, POINT{picture.left + 8, picture.top + 8}, {loopA}));
    HWND box = WaitBox(editor.process, "Fehler");
    REQUIRE(box != nullptr);
    CHECK(ShowsText(box, "The shortcut\r" + loopA +
                             "\rleads through a chain of shortcuts back to itself: Windows would never reach a program "
                             "through it, so it is not taken."));
    CHECK(!Screenshot("chain-refused-en", box).empty());
    Click(ButtonByCaption(box, "OK"));
    CHECK(WaitUntil([&] { return !IsWindow(box); }));
    CHECK(!Enabled(editor.Get(kBitBtn6)));  // no program to start

    REQUIRE(AddProgram(editor, toWord));
    CHECK_EQ(Joined(LvTexts(editor.List())), word + "|");

    const RECT list = RectInParent(editor.List());
    REQUIRE(DropFiles(editor.main, POINT{list.left + 20, list.top + 20}, {byIds}));
    CHECK(WaitUntil([&] { return Text(editor.Get(kLabel2)) == "run.exe"; }));
    CHECK_EQ(Joined(LvTexts(editor.List())), "excel.exe|");
}

// A shortcut that could not be written (its file locked, the overwrite question answered Yes)
// says so, with the system's reason; the file and the editor stay as they were.
CASE(ShortcutNotWrittenSaysWhy) {
    const std::string locked = ScratchFolder() + "\\locked.lnk";
    { std::ofstream(locked) << "in use"; }
    Editor editor;
    HANDLE hold = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(hold != INVALID_HANDLE_VALUE);
    REQUIRE(AddProgram(editor, CopyToScratch("victim.exe", "winword.exe")));
    REQUIRE(SaveAs(editor, locked, "Save as", "", false));
    HWND question = WaitBox(editor.process, "Bestätigung");
    REQUIRE(question != nullptr);
    Click(ButtonByCaption(question, "&Ja"));
    HWND box = WaitBox(editor.process, "Fehler");
    REQUIRE(box != nullptr);
    const std::string says = "The shortcut\r" + locked + "\rwas not written:\r";
    std::string shown;
    for (HWND child : Children(box)) {
        if (Text(child).rfind(says, 0) == 0) shown = Text(child);
    }
    check::Log("shown: " + shown);
    CHECK(shown.size() > says.size() + 10);  // the system's reason follows
    CHECK(!Screenshot("not-written-en", box).empty());
    Click(ButtonByCaption(box, "OK"));
    CHECK(WaitUntil([&] { return !IsWindow(box); }));
    CloseHandle(hold);
    CHECK_EQ(FileBytes(locked), "in use");
    CHECK_EQ(editor.Entries(), 1);
    CHECK(Enabled(editor.Get(kBitBtn1)));
}

// The about box, the task chooser, COM for the shell's dialogs and link object, and the shell's
// image lists are built when first used, not at start: in a fresh editor each works the first time.
CASE(WhatIsBuiltAtItsFirstUseWorksTheFirstTime) {
    const std::string victim = CopyToScratch("victim.exe", "firstuse.exe");
    const std::string tool = CopyToScratch("Norvanex.exe", "firsttool.exe");
    const std::string written = ScratchFolder() + "\\first use.lnk";
    DeleteFileA(written.c_str());
    REQUIRE(StartWindowless(victim, 1).size() == 1u);
    Editor editor;
    const DWORD pid = editor.process.pid();
    for (HWND window : TopWindows(pid, false)) {
        CHECK(ClassOf(window) != "TInfos");
        CHECK(ClassOf(window) != "TTaskSelect");
    }

    // Insert from the task list: the chooser, and the list's first entry with its icon.
    HWND tasks = nullptr;
    HWND chooser = editor.OpenChooser(&tasks);
    REQUIRE(chooser != nullptr);
    const std::vector<std::string> rows = LvTexts(tasks);
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [](const std::string& text) { return text.find("firstuse.exe") != std::string::npos; });
    REQUIRE(row != rows.end());
    REQUIRE(LvSelect(tasks, static_cast<int>(row - rows.begin())) && PressKey(tasks, VK_SPACE));
    Click(GetDlgItem(chooser, IDOK));
    HWND list = editor.Get(kListView1);
    REQUIRE(WaitUntil([&] { return editor.Entries() == 1; }));
    const std::optional<RECT> icon = LvItemRect(list, 0, LVIR_ICON);
    REQUIRE(icon.has_value());
    POINT corner{icon->left, icon->top};
    ClientToScreen(list, &corner);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const RECT corner16{corner.x, corner.y, corner.x + 16, corner.y + 16};
    CHECK(WaitUntil([&] { return Capture(corner16).DistinctColors() > 4; }));

    // Info: the about box, modal over the editor, closed by its OK button.
    Click(editor.Get(kBitBtn9));
    HWND box = nullptr;
    REQUIRE(WaitUntil([&] { return (box = FindTopWindow(pid, "Info", "TInfos")) != nullptr; }));
    CHECK(!Enabled(editor.main));
    CHECK_EQ(ClientSize(box).cx, 297);
    Click(ButtonByCaption(box, "OK"));
    CHECK(WaitUntil([&] { return !Visible(box) && Enabled(editor.main); }));

    // Choose, the open dialog: the program to start with its icon.
    REQUIRE(ChooseProgram(editor, tool));
    HWND image = editor.Get(kProgImg);
    RedrawWindow(image, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(WaitUntil([&] { return Capture(ScreenRect(image)).DistinctColors() > 4; }));

    // Create, the save dialog and the link object: the shortcut as the editor shows it.
    REQUIRE(SaveAs(editor, written));
    REQUIRE(WaitUntil([&] { return Exists(written); }));
    CheckLnkInfo(written, NorvanexExe(), "~ask~ firstuse.exe r:" + tool, tool);
}
