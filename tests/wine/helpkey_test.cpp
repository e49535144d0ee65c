// The help key under Wine: the help viewer opens at the index topic in the user's language from
// the editor, the kill run's result window and the about box; F1 in the task chooser opens nothing;
// without a WinHelp viewer or its file the HTML help opens in the browser at the same topic, and
// without that too a message says so.
// Timeout: 500
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <fstream>
#include <memory>
#include <vector>

#include "app/MainLayout.h"
#include "ui/InfoLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

struct Language {
    const char* lcAll;
    const char* editorCaption;
    const char* topicTitle;  // the first line of the index topic
    const char* topic;
    const char* page;
};
const Language kEnglish{"en_US.UTF-8", kEditorCaptionEn, "Norvanex help", "hlp_index_e", "Norvanex.html"};
const Language kGerman{"de_DE.UTF-8", kEditorCaptionDe, "Norvanex-Hilfe", "hlp_index",
                       "Norvanex_de.html"};

// Waits for the viewer to show a topic that starts with `title`, keeps a screenshot when a name is
// given, and closes the viewer again.
bool ViewerShows(const std::string& title, const std::string& shot = "") {
    HWND viewer = nullptr;
    const DWORD start = GetTickCount();
    const bool shown = WaitUntil([&] {
        viewer = ViewerWindow();
        return viewer && ViewerTopicText(viewer).compare(0, title.size(), title) == 0;
    });
    if (shown) check::Log("topic shown " + std::to_string(GetTickCount() - start) + " ms after the key");
    if (!shown) {
        check::Log("viewer: " + (viewer ? "'" + ViewerTopicText(viewer).substr(0, 80) + "'" : std::string("none")));
    }
    if (viewer && !shot.empty()) {
        CHECK(WaitPainted(viewer));  // the viewer draws its button bar after the topic
        CHECK(!Screenshot(shot, viewer).empty());
    }
    CloseViewers();
    return shown;
}

// Moves a file aside for as long as it lives.
class FileAside {
public:
    explicit FileAside(std::string path) : path_(std::move(path)), aside_(path_ + ".aside") {
        moved_ = MoveFileExA(path_.c_str(), aside_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }
    ~FileAside() {
        if (moved_) MoveFileExA(aside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    FileAside(const FileAside&) = delete;
    FileAside& operator=(const FileAside&) = delete;
    bool moved() const { return moved_; }

private:
    std::string path_, aside_;
    bool moved_ = false;
};

std::string WindowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
}

}  // namespace

CASE(F1InTheEditorOpensTheIndexInTheUsersLanguage) {
    struct Case { const Language* language; const char* shot; } cases[] = {
        {&kEnglish, "f1-en"}, {&kGerman, "f1-de"},
    };
    for (const Case& c : cases) {
        check::Log(std::string("locale ") + c.language->lcAll);
        Editor editor(MarkerOptions(c.language->lcAll), c.language->editorCaption);
        HWND main = editor.main;
        // Once the editor has come to the front (Timer2), so that it does not cover the viewer's picture.
        CHECK(editor.WaitSettled());
        // From a button and from the list: both pass F1 up to the window.
        CHECK(PressKey(ChildById(main, kBitBtn2), VK_F1));
        CHECK(ViewerShows(c.language->topicTitle, c.shot));
        CHECK(PressKey(ChildById(main, kListView1), VK_F1));
        CHECK(ViewerShows(c.language->topicTitle));
        CHECK(editor.process.Running());
        CHECK(editor.Close());
    }
}

CASE(F1InTheResultWindowOpensTheIndexInTheUsersLanguage) {
    const std::string victim = CopyToScratch("victim.exe", "helpvictim.exe");
    for (const Language* language : {&kEnglish, &kGerman}) {
        check::Log(std::string("locale ") + language->lcAll);
        REQUIRE(!StartWindowless(victim, 1).empty());
        Process norvanex = Start(NorvanexExe(), MarkerOptions(language->lcAll, "helpvictim.exe"));
        HWND main = ResultWindow(norvanex);
        CHECK(PressKey(ChildById(main, kListView1), VK_F1));
        CHECK(ViewerShows(language->topicTitle));
        CHECK(PressOk(norvanex, main));
    }
}

CASE(F1InTheAboutBoxOpensTheIndexAndTheBoxStays) {
    for (const Language* language : {&kEnglish, &kGerman}) {
        check::Log(std::string("locale ") + language->lcAll);
        Editor editor(MarkerOptions(language->lcAll), language->editorCaption);
        HWND main = editor.main;
        Click(ChildById(main, kBitBtn9));
        HWND box = nullptr;
        REQUIRE(WaitUntil([&] { return (box = FindTopWindow(editor.process.pid(), "Info", "TInfos")) != nullptr; }));
        CHECK(PressKey(ChildById(box, kInfoBitBtn1), VK_F1));
        CHECK(ViewerShows(language->topicTitle));
        CHECK(Visible(box));
        Click(ChildById(box, kInfoBitBtn1));
        CHECK(WaitUntil([&] { return !Visible(box); }));
        CHECK(editor.Close());
    }
}

// Only F1 alone opens help, and only in the main window and the about box. The chooser's F1
// travels up to the main window that owns it, which must not answer.
CASE(OtherKeysAndTheTaskChooserOpenNothing) {
    Editor editor(MarkerOptions(kEnglish.lcAll), kEnglish.editorCaption);
    HWND main = editor.main;
    // The chooser comes last: as it goes, the display's focus moves back to the main window, and
    // Wine then takes the modifiers' state from the X server, which knows nothing of keys sent with
    // SendInput; a Shift sent just then may count as let go before the F1 after it arrives.
    struct Case { const char* name; bool inChooser; std::initializer_list<UINT> modifiers; } cases[] = {
        {"Shift+F1", false, {VK_SHIFT}},
        {"Ctrl+F1", false, {VK_CONTROL}},
        {"F1 in the chooser", true, {}},
    };
    for (const Case& c : cases) {
        check::Log(c.name);
        HWND chooser = nullptr;
        if (c.inChooser) {
            PostMessageA(main, WM_COMMAND, kSelectTask, 0);
            REQUIRE((chooser = editor.process.WaitDialog("Choose tasks to kill")) != nullptr);
        }
        HWND target = c.inChooser ? chooser : ChildById(main, kBitBtn2);
        CHECK(PressKey(target, VK_F1, c.modifiers));
        // Keys are read in order: once Tab has moved the focus on, the key before it was handled,
        // and help, had it been asked for, would have started its viewer by then.
        SendKey(VK_TAB);
        CHECK(WaitUntil([&] { return FocusOf(target) != target; }));
        CHECK(ProcessesNamed("winhlp32.exe").empty());
        CloseViewers();  // one that came up anyway
        if (c.inChooser) {
            Click(GetDlgItem(chooser, IDCANCEL));
            REQUIRE(WaitUntil([&] { return !Visible(chooser) && Enabled(main); }));
        }
    }
    // F1 alone in the editor itself does open help: the keys reached the program.
    CHECK(PressKey(ChildById(main, kBitBtn2), VK_F1));
    CHECK(ViewerShows(kEnglish.topicTitle));
    CHECK(editor.Close());
}

// Without winhlp32.exe in the Windows folder, or without Norvanex.hlp, F1 hands the HTML page at the
// index topic to the shell (its association is recorded instead of opening a browser); without the
// page too, a message says what is missing.
CASE(WithoutAViewerOrItsFileF1OpensTheHtmlHelp) {
    ShellOpenRecorder recorder({".html", "file", "http", "https"});
    REQUIRE(recorder.ok());
    struct Case {
        bool viewer, hlp, html;
        const char* message;  // the start of the message, for each language; nullptr: the page opens
        const char* german;
    } cases[] = {
        {false, true, true, nullptr, nullptr},
        {true, false, true, nullptr, nullptr},
        {true, false, false, "The help cannot be opened: neither Norvanex.hlp nor Norvanex.html",
         "Die Hilfe kann nicht geöffnet werden: Weder Norvanex.hlp noch Norvanex_de.html"},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<FileAside>> aside;
        if (!c.viewer) aside.push_back(std::make_unique<FileAside>(WindowsFolder() + "\\winhlp32.exe"));
        if (!c.hlp) aside.push_back(std::make_unique<FileAside>(BesideMe("Norvanex.hlp")));
        if (!c.html) {
            aside.push_back(std::make_unique<FileAside>(BesideMe(kEnglish.page)));
            aside.push_back(std::make_unique<FileAside>(BesideMe(kGerman.page)));
        }
        for (const auto& file : aside) REQUIRE(file->moved());
        for (const Language* language : {&kEnglish, &kGerman}) {
            check::Log(std::string("locale ") + language->lcAll + (c.viewer ? "" : ", no viewer") +
                       (c.hlp ? "" : ", no Norvanex.hlp") + (c.html ? "" : ", no HTML help"));
            DeleteFileA(MarkerFile().c_str());
            Editor editor(MarkerOptions(language->lcAll), language->editorCaption);
            HWND main = editor.main;
            CHECK(PressKey(ChildById(main, kBitBtn2), VK_F1));
            if (c.message) {
                const std::string expected = language == &kGerman ? c.german : c.message;
                HWND box = editor.process.WaitDialog("Fehler");
                REQUIRE(box != nullptr);
                bool said = false;
                for (HWND child : Children(box)) said = said || Text(child).rfind(expected, 0) == 0;
                CHECK(said);
                if (language == &kGerman) CHECK(!Screenshot("help-missing-de", box).empty());
                Click(ButtonByCaption(box, "OK"));
                CHECK(WaitUntil([&] { return !IsWindow(box); }));
                CHECK(MarkerLines().empty());
            } else {
                CHECK(WaitUntil([] { return !MarkerLines().empty(); }));
                const std::vector<std::string> lines = MarkerLines();
                CHECK_EQ(lines.size(), 1u);
                std::string url = "file:///" + BesideMe(language->page) + "#" + language->topic;
                for (char& ch : url) ch = ch == '\\' ? '/' : ch;
                const std::string expected = "\"" + url + "\"";
                for (const std::string& line : lines) {
                    if (!CHECK(line.size() > expected.size() &&
                               line.compare(line.size() - expected.size(), expected.size(), expected) == 0)) {
                        check::Log("opened: " + line + "\n  expected the end: " + expected);
                    }
                }
            }
            CHECK(ProcessesNamed("winhlp32.exe").empty());
            CHECK(editor.Close());
        }
    }
}
