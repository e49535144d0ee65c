// TMainForm: start-up, the routing of messages to the mode and the handlers both modes share.
#include "app/MainUnit_win.h"

#include <shellapi.h>

#include "app/CallLine.h"
#include "app/EditorMode_win.h"
#include "app/KillRunMode_win.h"
#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/ListView_win.h"
#include "base/SystemTraits_win.h"
#include "process/ProcessAccess.h"
#include "resources/resource.h"
#include "ui/Help_win.h"
#include "ui/Info_win.h"
#include "ui/Lang.h"
#include "ui/MsgBox_win.h"
#include "ui/Prop_win.h"

namespace norvanex {

TMainForm::TMainForm(KillRunMachine* run, SystemRunDesktop* desktop, ShellWarmUp* shell) : shell_(shell) {
    if (run && desktop) {
        mode_ = std::make_unique<KillRunMode>(*this, *run, *desktop);
    } else {
        mode_ = std::make_unique<EditorMode>(*this);
    }
}

// The class goes with the window, and its small icon after it: a class must not keep an icon
// that is destroyed.
TMainForm::~TMainForm() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (instance_) UnregisterClassA(kClassName, instance_);
}

bool TMainForm::Create(HINSTANCE instance) {
    if (!instance_) {
        // The small icon is loaded at its own size (LoadIcon gives only the large one, shared);
        // the form owns it as long as it holds the class.
        OwnedIcon smallIcon(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_NORVANEX), IMAGE_ICON,
                                                          GetSystemMetrics(SM_CXSMICON),
                                                          GetSystemMetrics(SM_CYSMICON), 0)));
        if (!RegisterWindowClass(instance, kClassName, WindowProc, COLOR_BTNFACE,
                                 LoadIconA(instance, MAKEINTRESOURCEA(IDI_NORVANEX)), smallIcon.get())) {
            return false;
        }
        instance_ = instance;
        smallIcon_ = std::move(smallIcon);
    }
    // Border with the system menu only; the mode adds its own extended style.
    CreateWindowExA(mode_->Face().exStyle | WS_EX_CONTROLPARENT, kClassName, App().title.c_str(),
                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                    Scale(kClientWidth), Scale(kClientHeight), nullptr, nullptr, instance, this);
    return hwnd_ != nullptr;
}

void TMainForm::FormCreate() {
    // 1. The shell's image lists wait for the first icon (BindImageLists; a kill run asks for them
    // before it lists its results): loading the shell costs some 40 ms under Wine, and the
    // editor's first picture shows no icon.

    // 2 to 4. Version and caption (the help file was found before any window).
    const ModeFace& face = mode_->Face();
    const std::string versionText = MajorMinor(GetVersionText());
    std::string caption = App().title;
    if (!versionText.empty()) caption += ' ' + versionText;
    if (face.captionSuffix) caption += SelectText(face.captionSuffix->english, face.captionSuffix->german);
    SetOwnText(hwnd_, caption);

    // 5. Every text, each set once in the mode's own wording (the kill run's question is asked
    // before any window).
    SetText(kLabel1, face.label1);
    SetText(kLabel2, texts::kLabel2);
    SetText(kLabel3, face.label3);
    SetText(kBitBtn1, face.bitBtn1);
    SetHint(kBitBtn1, face.bitBtn1Hint);
    const struct {
        MainControl id;
        const TextPair& text;
        const TextPair& hint;
    } shared[] = {
        {kBitBtn2, texts::kBitBtn2, texts::kBitBtn2Hint}, {kBitBtn3, texts::kBitBtn3, texts::kBitBtn3Hint},
        {kBitBtn4, texts::kBitBtn4, texts::kBitBtn4Hint}, {kBitBtn5, texts::kBitBtn5, texts::kBitBtn5Hint},
        {kBitBtn6, texts::kBitBtn6, texts::kBitBtn6Hint}, {kBitBtn9, texts::kBitBtn9, texts::kBitBtn9Hint},
        {kCheckBox1, texts::kCheckBox1, texts::kCheckBox1Hint},
        {kCheckBox2, texts::kCheckBox2, texts::kCheckBox2Hint},
    };
    for (const auto& control : shared) {
        SetText(control.id, control.text);
        SetHint(control.id, control.hint);
    }
    AutoSize();

    // 6. The mode's own start.
    mode_->FormCreate();
}

const CommandEntry<TMainForm> TMainForm::kCommands[] = {
    {kBitBtn9, kAnyCode, [](TMainForm& form, const CommandMessage&) { form.BitBtn9Click(); }},
};

const NotifyEntry<TMainForm> TMainForm::kNotifications[] = {
    {kAnyId, TTN_GETDISPINFOA, [](TMainForm& form, NMHDR& header) { return form.HintText(header); }},
    {kAnyId, TTN_GETDISPINFOW, [](TMainForm& form, NMHDR& header) { return form.HintText(header); }},
    {kListView1, NM_DBLCLK, [](TMainForm& form, NMHDR&) -> LRESULT { form.ListView1DblClick(); return 0; }},
};

// The window's own table first, then the mode's.
LRESULT TMainForm::OnCommand(const CommandMessage& command) {
    if (!DispatchCommand(kCommands, *this, hwnd_, command)) mode_->Command(command);
    return 0;
}

LRESULT TMainForm::OnNotify(NMHDR& header) {
    LRESULT result = 0;
    if (!DispatchNotify(kNotifications, *this, header, result)) mode_->Notify(header, result);
    return result;
}

// The shared handling first: the chrome, then what both modes share; the mode hears the rest.
LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT chrome = 0;
    if (design_.ChromeMessage(message, wParam, lParam, chrome)) return chrome;
    switch (message) {
        case WM_CREATE: {
            // A start that fails (a control not made, the language not chosen) leaves no window:
            // -1 makes CreateWindowExA fail, and WinMain says so (StartFailed).
            bool started = false;
            RunHandler([&] {
                if (!CreateControls()) return;
                FormCreate();
                started = true;
            });
            return started ? 0 : -1;
        }
        case WM_COMMAND: return OnCommand(CommandOf(wParam, lParam));
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_TIMER:
            if (wParam == kTimer2) Timer2Timer();
            mode_->Timer(wParam);
            return 0;
        case WM_NEXTDLGCTL: NextDlgCtl(wParam, LOWORD(lParam) != 0); return 0;
        case WM_ACTIVATE:
            if (HIWORD(wParam) != 0) break;  // minimised: nothing to give the focus to
            FormActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_NOTIFYFORMAT:
            // The tips ask for the texts of disabled controls in UTF-16 (HintText): an ANSI answer
            // would lose what the system's code page lacks. The 9x line has no UTF-16 notifications.
            if (reinterpret_cast<HWND>(wParam) != Tooltip() || lParam != NF_QUERY) break;
            return AnsiTexts() ? NFR_ANSI : NFR_UNICODE;
        case WM_HELP:
            // F1 in both modes. Windows this one owns (the task chooser) pass their F1 up here
            // as well; those have no help.
            if (HelpIsFor(hwnd_, *reinterpret_cast<const HELPINFO*>(lParam))) HelpExecute();
            return TRUE;
        case WM_DRAWITEM: DrawProgImg(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_CLOSE: mode_->FormClose(); return 0;
    }
    if (mode_->Message(message, wParam, lParam)) return 0;
    return DefaultProc(message, wParam, lParam);
}

void TMainForm::Heard(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return;
    if (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd)) mode_->KeyPressed();
}

// As a dialog does: the control that had the focus when another window (the about box, the
// chooser, a message, a file dialog, another program) took over gets it back; the first control
// in tab order when there is none to return to.
void TMainForm::FormActivate(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focused_ = focus;
        return;
    }
    HWND target = focused_;
    if (!target || !IsWindow(target) || !IsWindowVisible(target) || !IsWindowEnabled(target)) target = FirstTabStop();
    if (target) SetFocus(target);
}

// IsDialogMessage answers a label's mnemonic (Alt+P on "&Programms to close") by asking the window,
// as it would ask a dialog, to focus the label and then the next control (WM_NEXTDLGCTL); only the
// dialog's own procedure acts on it, DefWindowProc ignores it. `direct`: `target` is the window to
// focus; else the next (or, with a nonzero `target`, the previous) tab stop from the focus on.
void TMainForm::NextDlgCtl(WPARAM target, bool direct) {
    HWND next = direct ? reinterpret_cast<HWND>(target) : GetNextDlgTabItem(hwnd_, GetFocus(), target != 0);
    if (next && IsChild(hwnd_, next)) SetFocus(next);
}

// A double-click holds the result window (its mode hears of it), whether or not an entry is hit.
void TMainForm::ListView1DblClick() {
    HWND list = Control(kListView1);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (!mode_->ListDblClick(selected) || selected < 0) return;
    ShowFileProperties(nullptr, ListViewText(list, selected), "Version");
}

void TMainForm::Timer2Timer() {
    KillTimer(hwnd_, kTimer2);
    // The window the user works in comes to the front: a box of this window opened meanwhile (the
    // task chooser, the about box) keeps the keyboard. Not while programs are asked to close: their
    // questions come first.
    if (mode_->MayTakeForeground()) SetForegroundWindow(GetLastActivePopup(hwnd_));
    // Half a second after the editor appeared, while the user looks at it: the shell and its image
    // lists, unless the first entry has bound them already. The open dialog and the task chooser
    // share them, so their first showing does not wait for the shell's start (some 40 ms to 60 ms
    // under Wine), and the first picture did not wait for it either.
    BindImageLists();
    MakeTooltip();
}

void TMainForm::BitBtn9Click() {
    if (!infos_) {
        auto infos = std::make_unique<TInfos>();
        if (!infos->Create(Instance(), hwnd_)) return;
        infos_ = std::move(infos);
    }
    infos_->Execute();
}

void TMainForm::HelpExecute() { ShowHelpIndex(hwnd_); }

}  // namespace norvanex
