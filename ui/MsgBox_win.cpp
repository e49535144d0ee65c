// The message box as a dialog of its own: MessageBoxA would disable the close box of a question
// and ignore Escape there, and its button captions follow the system's language.
#include "ui/MsgBox_win.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/CommonControls_win.h"
#include "base/DesignedWindow_win.h"
#include "base/MessageMap_win.h"
#include "base/SystemDll_win.h"
#include "base/SystemFunction_win.h"
#include "base/Window_win.h"
#include "ui/Lang.h"

namespace norvanex {

namespace {

// The box as designed at 96 DPI: the icon, the message, as wide as its text up to the row's width,
// and the buttons, which the box lays out below it (LayOut). The first button is the default one.
enum BoxControl : int {
    kIcon = 101,
    kMessage,
};
constexpr ControlDesign kNoticeDesign[] = {
    {kIcon, ControlKind::Icon, 12, 12, 32, 32},
    {kMessage, ControlKind::Label, 56, 12, 420, 0, control::kNoPrefix | control::kWrapped},
    {IDOK, ControlKind::Button, 0, 0, 75, 23, control::kDefault},
};
constexpr ControlDesign kQuestionDesign[] = {
    {kIcon, ControlKind::Icon, 12, 12, 32, 32},
    {kMessage, ControlKind::Label, 56, 12, 420, 0, control::kNoPrefix | control::kWrapped},
    {IDYES, ControlKind::Button, 0, 0, 75, 23, control::kDefault},
    {IDNO, ControlKind::Button, 0, 0, 75, 23},
};
// Between the buttons, between the message and the buttons, and below them.
constexpr int kButtonGap = 6;
constexpr int kAboveButtons = 16;
constexpr int kBelowButtons = 10;
constexpr FaceLook kBoxLook{COLOR_BTNFACE, COLOR_BTNTEXT, "MS Shell Dlg"};

struct ButtonLook {
    int id;
    const char* caption;
};

struct BoxLook {
    const char* title;
    LPCSTR icon;
    std::vector<ButtonLook> buttons;  // in the design's order
    int escapeResult;
};

BoxLook LookOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error: return {"Fehler", IDI_HAND, {{IDOK, "OK"}}, IDOK};
        case MessageKind::Information: return {"Informationen", IDI_ASTERISK, {{IDOK, "OK"}}, IDOK};
        case MessageKind::Confirmation:
            return {"Bestätigung", IDI_QUESTION, {{IDYES, "&Ja"}, {IDNO, "&Nein"}}, IDNO};
    }
    return {"", nullptr, {}, IDCANCEL};
}

struct BoxState {
    std::string text;
    std::wstring wide;  // when not empty, shown instead of text
    BoxLook look;
    std::unique_ptr<DesignedWindow> face;
    SIZE client{};  // what the layout needs at the face's DPI
    int result = IDCANCEL;
    bool done = false;
};

void Close(BoxState& state, int result) {
    state.result = result;
    state.done = true;
}

// An empty dialog template (no items: the controls are made in WM_INITDIALOG, sized to the text).
std::vector<WORD> EmptyTemplate(const char* title) {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* dlg = reinterpret_cast<DLGTEMPLATE*>(words.data());
    dlg->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND | DS_SETFONT;
    dlg->dwExtendedStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
    words.push_back(0);  // no menu
    words.push_back(0);  // the standard dialog class
    auto appendWide = [&words](const char* text) {
        const std::wstring wide = WideText(text);
        words.insert(words.end(), wide.begin(), wide.end());
        words.push_back(0);
    };
    appendWide(title);
    words.push_back(8);  // point size
    appendWide("MS Shell Dlg");
    return words;
}

void PlacePixels(HWND control, int left, int top, int width, int height) {
    SetWindowPos(control, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Places the icon, the message and the buttons at the face's DPI; the client size they need.
SIZE PlaceControls(BoxState& state) {
    DesignedWindow& face = *state.face;
    const ControlDesign& iconRow = face.DesignOf(kIcon);
    const ControlDesign& messageRow = face.DesignOf(kMessage);
    const ControlDesign& buttonRow = face.DesignOf(state.look.buttons.front().id);
    RECT textRect{0, 0, face.Scale(messageRow.width), 0};
    const std::wstring text = state.wide.empty() ? WideText(state.text) : state.wide;
    {
        const ScopedGetDC screen(nullptr);
        const ScopedSelectObject font(screen.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(face.Control(kMessage), WM_GETFONT, 0, 0)));
        // A path longer than the line is broken inside it, as the static control draws it
        // (SS_EDITCONTROL), instead of widening the box beyond the screen.
        DrawWideText(screen.get(), text, textRect,
                     DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX);
    }

    // The icon at its own size, the system's, brought from the system's DPI to the box's.
    const int margin = face.Scale(iconRow.left);
    const int iconSize = MulDiv(GetSystemMetrics(SM_CXICON), face.Dpi(), ScreenDpi());
    const int gap = face.Scale(messageRow.left - iconRow.left - iconRow.width);
    const int buttonWidth = face.Scale(buttonRow.width), buttonHeight = face.Scale(buttonRow.height);
    const int buttonGap = face.Scale(kButtonGap);
    const int buttons = static_cast<int>(state.look.buttons.size());
    const int buttonsWidth = buttons * buttonWidth + (buttons - 1) * buttonGap;
    const int textLeft = margin + iconSize + gap;
    const int textHeight = std::max(static_cast<int>(textRect.bottom), iconSize);
    const int clientWidth = std::max(textLeft + static_cast<int>(textRect.right) + margin, buttonsWidth + 2 * margin);
    const int buttonTop = margin + textHeight + face.Scale(kAboveButtons);
    const int clientHeight = buttonTop + buttonHeight + face.Scale(kBelowButtons);

    PlacePixels(face.Control(kIcon), margin, margin, iconSize, iconSize);
    // Shared: the system keeps one per size, and the control never destroys it.
    HANDLE icon = LoadImageA(nullptr, state.look.icon, IMAGE_ICON, iconSize, iconSize, LR_SHARED);
    SendMessageA(face.Control(kIcon), STM_SETICON, reinterpret_cast<WPARAM>(icon ? icon : LoadIconA(nullptr, state.look.icon)), 0);
    const int textTop = margin + (textHeight - textRect.bottom) / 2;
    PlacePixels(face.Control(kMessage), textLeft, textTop, textRect.right, textRect.bottom);
    SetWideText(face.Control(kMessage), text);
    int left = (clientWidth - buttonsWidth) / 2;
    for (const ButtonLook& b : state.look.buttons) {
        face.SetText(b.id, b.caption);
        PlacePixels(face.Control(b.id), left, buttonTop, buttonWidth, buttonHeight);
        left += buttonWidth + buttonGap;
    }
    return {clientWidth, clientHeight};
}

void LayOut(HWND dialog, BoxState& state) {
    const bool question = state.look.buttons.size() > 1;
    state.face = question ? std::make_unique<DesignedWindow>(kQuestionDesign, kBoxLook)
                          : std::make_unique<DesignedWindow>(kNoticeDesign, kBoxLook);
    DesignedWindow& face = *state.face;
    if (!face.CreateControls(dialog)) throw std::runtime_error("the message box's controls");
    // Per-monitor v2 (Windows 10 1703 on), the dialog manager would scale a dialog's controls and
    // font at a change of the DPI itself; this box lays itself out from its design instead.
    using SetBehaviourFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehaviour = FindSystemFunctionAs<SetBehaviourFn>("user32.dll", "SetDialogDpiChangeBehavior");
    constexpr int kDisableAll = 3;  // DDC_DISABLE_ALL
    if (setBehaviour) setBehaviour(dialog, kDisableAll, kDisableAll);
    face.WhenRescaled([&state] { state.client = PlaceControls(state); });
    state.client = PlaceControls(state);
    SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(face.DefaultId()), 0);
    SizeAndCenter(dialog, state.client.cx, state.client.cy);
}

// A button's click answers with its id; Escape, which IsDialogMessage sends as IDCANCEL whatever
// the box shows, answers as the box's kind says.
const CommandEntry<BoxState> kBoxCommands[] = {
    {IDOK, BN_CLICKED, [](BoxState& state, const CommandMessage& command) { Close(state, command.id); }},
    {IDYES, BN_CLICKED, [](BoxState& state, const CommandMessage& command) { Close(state, command.id); }},
    {IDNO, BN_CLICKED, [](BoxState& state, const CommandMessage& command) { Close(state, command.id); }},
    {IDCANCEL, kAnyCode, [](BoxState& state, const CommandMessage&) { Close(state, state.look.escapeResult); },
     Sender::AnyState},
};

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            state = reinterpret_cast<BoxState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            if (!RunHandler([&] { LayOut(dialog, *state); })) Close(*state, IDCANCEL);
            SetFocus(GetDlgItem(dialog, state->look.buttons.front().id));
            return FALSE;  // the focus is set
        case WM_COMMAND:
            if (state) DispatchCommand(kBoxCommands, *state, dialog, CommandOf(wParam, lParam));
            return TRUE;
        case WM_CLOSE:
            Close(*state, IDCANCEL);
            return TRUE;
        case kWmDpiChanged: {
            LRESULT ignored = 0;
            if (!state || !state->face) return TRUE;
            state->face->ChromeMessage(message, wParam, lParam, ignored);
            // The suggested rectangle is the old box scaled, but the message in the new font wraps
            // and measures apart from that: the box takes the size of its layout where the system
            // put it, its frame as it is now, so the buttons stay centred with their margin below.
            RECT window{}, client{};
            if (GetWindowRect(dialog, &window) && GetClientRect(dialog, &client)) {
                const int frameWidth = (window.right - window.left) - client.right;
                const int frameHeight = (window.bottom - window.top) - client.bottom;
                SetWindowPos(dialog, nullptr, 0, 0, state->client.cx + frameWidth, state->client.cy + frameHeight,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace

int ShowBox(HWND owner, BoxState&& state);

int ShowMessage(HWND owner, const TextPair& message, MessageKind kind) {
    return ShowMessage(owner, SelectText(message.english, message.german), kind);
}

int ShowMessage(HWND owner, const std::string& message, MessageKind kind) {
    return ShowBox(owner, BoxState{message, {}, LookOf(kind), nullptr});
}

int ShowMessage(HWND owner, const std::wstring& message, MessageKind kind) {
    return ShowBox(owner, BoxState{{}, message, LookOf(kind), nullptr});
}

int ShowBox(HWND owner, BoxState&& state) {
    // The box may come before the main window (a kill run's question): its buttons and texts are
    // drawn by the themed classes of Common Controls 6.0 all the same, where the system has them,
    // and what they bind to draw comes from the system folder as the main window's does.
    PreloadSystemDlls();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    comctl::InitCommonControlsEx(&controls);
    const std::vector<WORD> dialogTemplate = EmptyTemplate(state.look.title);
    // Made hidden (the template has no WS_VISIBLE) and run by the program's one modal routine, as
    // the dialog manager would run it: the dialog class's navigation through IsDialogMessage.
    const OwnedWindow dialog(CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                        reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                                        owner, BoxProc, reinterpret_cast<LPARAM>(&state)));
    if (!dialog) return 0;  // not IDCANCEL: a question that was never shown was not answered
    ModalHooks hooks;
    hooks.show = [&dialog] { ShowWindow(dialog.get(), SW_SHOWNORMAL); };
    hooks.done = [&state] { return state.done; };
    if (!state.done) RunModal(dialog.get(), owner, hooks);
    return state.result;
}

}  // namespace norvanex
