// Every mnemonic of the editor, the task chooser, the about box and the result window, in both
// languages, pressed as a user does (Alt and the letter, real keys): each reaches its control, and
// no two controls of one window share a letter.
// Timeout: 400
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <algorithm>
#include <set>
#include <string>

#include "app/MainLayout.h"
#include "ui/InfoLayout.h"
#include "ui/TaskSelLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

enum class Window { Editor, Chooser, About, Result };

enum class Effect {
    Focus,     // the control takes the focus (a label's letter hands it to the control after it)
    Toggle,    // the check box changes its state
    Opens,     // a menu or a dialog opens; Escape closes it again
    Disables,  // the button did its work, after which it is disabled (Delete, Remove)
    Closes,    // the window goes away
};

struct Mnemonic {
    Window window;
    int id;
    char english, german;
    Effect effect;
};

// In the order pressed: Create, Delete and Remove find their work done before them, and what
// closes a window comes last in it. Each letter of the chooser closes it, and each is pressed in an
// editor of its own: Wine hands the activation back to the editor a moment after the chooser is
// gone, and a chooser opened again in that moment lost its keys to the editor now and then.
constexpr Mnemonic kMnemonics[] = {
    {Window::Chooser, tasksel::kBitBtn1, 'O', 'O', Effect::Closes},
    {Window::Chooser, tasksel::kBitBtn2, 'B', 'B', Effect::Closes},
    {Window::About, kInfoBitBtn1, 'O', 'O', Effect::Closes},
    {Window::Editor, kListView1, 'P', 'P', Effect::Focus},  // its label: "&Programms to close"
    {Window::Editor, kCheckBox1, 'N', 'N', Effect::Toggle},
    {Window::Editor, kCheckBox2, 'C', 'S', Effect::Toggle},
    {Window::Editor, kBitBtn2, 'I', 'I', Effect::Opens},
    {Window::Editor, kBitBtn5, 'H', 'H', Effect::Opens},
    {Window::Editor, kBitBtn1, 'R', 'R', Effect::Opens},
    {Window::Editor, kBitBtn6, 'M', 'T', Effect::Disables},
    {Window::Editor, kBitBtn3, 'L', 'L', Effect::Disables},
    {Window::Editor, kBitBtn4, 'E', 'E', Effect::Closes},
    {Window::Result, kBitBtn1, 'O', 'O', Effect::Closes},
};

constexpr const char* kWindowNames[] = {"editor", "chooser", "about box", "result window"};
const char* NameOf(Window window) { return kWindowNames[static_cast<int>(window)]; }

// The letters of one window as found on its controls: each once, and each in the table.
void CheckLetters(HWND window, Window which, bool german) {
    std::string expected;
    for (const Mnemonic& m : kMnemonics) {
        if (m.window == which) expected += german ? m.german : m.english;
    }
    std::string found = Mnemonics(window);
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    if (!CHECK_EQ(found, expected)) check::Log(std::string("letters of the ") + NameOf(which));
    CHECK(std::adjacent_find(found.begin(), found.end()) == found.end());
}

// The menus and dialogs of a process that are up now.
std::set<HWND> Popups(DWORD pid) {
    std::set<HWND> popups;
    for (HWND top : TopWindows(pid)) {
        const std::string cls = ClassOf(top);
        if (cls == "#32768" || cls == "#32770") popups.insert(top);
    }
    return popups;
}

// Alt and the row's letter, typed while `from` (a control without a letter) has the focus, or into
// the window as it stands when there is none; then what the letter did to its control.
void PressAndCheck(const Mnemonic& m, HANDLE process, HWND window, HWND from, bool german) {
    const char letter = german ? m.german : m.english;
    check::Log(std::string("Alt+") + letter + " in the " + NameOf(m.window) + (german ? " (German)" : " (English)"));
    HWND control = ChildById(window, m.id);
    REQUIRE(control != nullptr);
    CHECK(Enabled(control));
    const DWORD pid = PidOf(window);
    const int checked = CheckState(control);
    const std::set<HWND> before = Popups(pid);
    // The window's thread waits for input: whatever it still did after showing the window is over.
    WaitForInputIdle(process, kTimeout);
    if (from) {
        CHECK(PressKey(from, static_cast<UINT>(letter), {VK_MENU}));
    } else {
        // A box puts the focus into itself; the keys go to it as they come. Giving it the focus
        // from outside (PressKey) lost them to the editor now and then under Wine.
        CHECK(WaitUntil([&] { return GetForegroundWindow() == window && IsChild(window, FocusOf(window)); }));
        SendKey(static_cast<UINT>(letter), {VK_MENU});
    }
    switch (m.effect) {
        case Effect::Focus:
            CHECK(WaitUntil([&] { return FocusOf(window) == control; }, 3000));
            break;
        case Effect::Toggle:
            CHECK(WaitUntil([&] { return CheckState(control) != checked; }, 3000));
            break;
        case Effect::Opens: {
            HWND opened = nullptr;
            CHECK(WaitUntil([&] {
                for (HWND popup : Popups(pid)) {
                    if (!before.count(popup)) opened = popup;
                }
                return opened != nullptr;
            }));
            if (!opened) break;
            SendKey(VK_ESCAPE);
            CHECK(WaitUntil([&] { return !IsWindow(opened) || !Visible(opened); }));
            break;
        }
        case Effect::Disables:
            CHECK(WaitUntil([&] { return !Enabled(control); }, 3000));
            break;
        case Effect::Closes:
            CHECK(WaitUntil([&] { return !IsWindow(window) || !Visible(window); }));
            break;
    }
}

// An editor once its start-up is over: half a second after it appeared it comes to the front,
// binds the shell and makes its tips' window (Timer2). A box opened before that lost its keys now
// and then under Wine, most often at the first start of a freshly built program.
bool Ready(const Editor& editor) {
    return editor.main && WaitUntil([&] { return HasTipWindow(editor.process.pid()); });
}

HWND WaitTop(DWORD pid, const char* className) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(pid, "", className)) != nullptr; });
    return found;
}

}  // namespace

CASE(EveryMnemonicReachesItsControl) {
    const std::string victim = CopyToScratch("victim.exe", "mnemonic.exe");
    const std::string program = CopyToScratch("victim.exe", "to start.exe");
    for (const bool german : {false, true}) {
        StartOptions options;
        options.lcAll = german ? "de_DE.UTF-8" : "en_US.UTF-8";
        const char* caption = german ? kEditorCaptionDe : kEditorCaptionEn;

        for (const Mnemonic& m : kMnemonics) {
            if (m.window != Window::Chooser) continue;
            Editor editor(options, caption);
            REQUIRE(Ready(editor));
            PostMessageA(editor.main, WM_COMMAND, kSelectTask, 0);
            HWND chooser = WaitTop(editor.process.pid(), "TTaskSelect");
            REQUIRE(chooser != nullptr);
            CheckLetters(chooser, Window::Chooser, german);
            PressAndCheck(m, editor.process.handle(), chooser, nullptr, german);
            CHECK(editor.Close());
        }

        Editor editor(options, caption);
        REQUIRE(Ready(editor));
        HWND main = editor.main;
        HWND list = editor.List();
        // An entry, chosen in the list, and a program to start: Create, Delete and Remove have work.
        REQUIRE(editor.DropOnList({program}));
        REQUIRE(editor.DropOnImage({program}));
        REQUIRE(WaitUntil([&] { return LvCount(list) == 1; }));
        CHECK(MouseClick(LvItemOnScreen(list, 0).value_or(POINT{}), list));
        CHECK(WaitUntil([&] { return Enabled(ChildById(main, kBitBtn3)); }, 3000));
        CheckLetters(main, Window::Editor, german);

        PostMessageA(main, WM_COMMAND, kBitBtn9, 0);
        HWND about = WaitTop(editor.process.pid(), "TInfos");
        REQUIRE(about != nullptr);
        CheckLetters(about, Window::About, german);
        for (const Mnemonic& m : kMnemonics) {
            if (m.window == Window::About) PressAndCheck(m, editor.process.handle(), about, nullptr, german);
        }
        // The editor's letters, typed while Info (which has none) has the focus.
        for (const Mnemonic& m : kMnemonics) {
            if (m.window == Window::Editor) {
                PressAndCheck(m, editor.process.handle(), main, editor.Get(kBitBtn9), german);
            }
        }
        CHECK(editor.process.WaitExit().has_value());

        REQUIRE(!StartWindowless(victim, 1).empty());
        options.args = "mnemonic.exe";
        Process run = Start(NorvanexExe(), options);
        HWND result = ResultWindow(run);
        CheckLetters(result, Window::Result, german);
        for (const Mnemonic& m : kMnemonics) {
            if (m.window == Window::Result) PressAndCheck(m, run.handle(), result, ChildById(result, kListView1), german);
        }
        CHECK(run.WaitExit().has_value());
    }
}
