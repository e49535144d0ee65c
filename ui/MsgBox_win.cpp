// The message box as a dialog of its own: MessageBoxA would disable the close box of a question
// and ignore Escape there, and its button captions follow the system's language.
#include "ui/MsgBox.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/CommonControls_win.h"
#include "base/DesignedWindow_win.h"
#include "base/Window_win.h"
#include "ui/Lang.h"

namespace norvanex {

namespace {

struct ButtonLook {
    int id;
    const char* caption;
};

struct BoxLook {
    const char* title;
    LPCSTR icon;
    std::vector<ButtonLook> buttons;  // the first is the default button
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
    GdiObject<HFONT> font;
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
        wchar_t buffer[128];
        const int n = MultiByteToWideChar(1252, 0, text, -1, buffer, 128);
        words.insert(words.end(), buffer, buffer + (n > 0 ? n : 1));
        if (n <= 0) words.back() = 0;
    };
    appendWide(title);
    words.push_back(8);  // point size
    appendWide("MS Shell Dlg");
    return words;
}

HWND AddControl(HWND dialog, const char* cls, const char* text, DWORD style, const RECT& r, int id, HFONT font) {
    HWND control = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void LayOut(HWND dialog, BoxState& state) {
    const int dpi = ScreenDpi();
    auto px = [dpi](int v) { return ScaleToDpi(v, dpi); };
    state.font = MakeFont(dpi, FontLook{"MS Shell Dlg"});
    RECT textRect{0, 0, px(420), 0};
    const std::wstring text = state.wide.empty() ? WideText(state.text) : state.wide;
    {
        const ScopedGetDC screen(nullptr);
        const ScopedSelectObject font(screen.get(), state.font.get());
        // A path longer than the line is broken inside it, as the static control draws it
        // (SS_EDITCONTROL), instead of widening the box beyond the screen.
        DrawWideText(screen.get(), text, textRect,
                     DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX);
    }

    const int margin = px(12), iconSize = GetSystemMetrics(SM_CXICON), gap = px(12);
    const int buttonWidth = px(75), buttonHeight = px(23), buttonGap = px(6);
    const int buttons = static_cast<int>(state.look.buttons.size());
    const int buttonsWidth = buttons * buttonWidth + (buttons - 1) * buttonGap;
    const int textLeft = margin + iconSize + gap;
    const int textHeight = std::max(static_cast<int>(textRect.bottom), iconSize);
    const int clientWidth = std::max(textLeft + static_cast<int>(textRect.right) + margin, buttonsWidth + 2 * margin);
    const int buttonTop = margin + textHeight + px(16);
    const int clientHeight = buttonTop + buttonHeight + px(10);

    HICON icon = LoadIconA(nullptr, state.look.icon);
    HWND iconControl = AddControl(dialog, "STATIC", "", SS_ICON, {margin, margin, margin + iconSize, margin + iconSize},
                                  -1, state.font.get());
    SendMessageA(iconControl, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    const int textTop = margin + (textHeight - textRect.bottom) / 2;
    HWND message = AddControl(dialog, "STATIC", "", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
                              {textLeft, textTop, textLeft + textRect.right, textTop + textRect.bottom}, -1,
                              state.font.get());
    SetWideText(message, text);
    int left = (clientWidth - buttonsWidth) / 2;
    for (size_t i = 0; i < state.look.buttons.size(); ++i) {
        const ButtonLook& b = state.look.buttons[i];
        AddControl(dialog, "BUTTON", b.caption, WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                   {left, buttonTop, left + buttonWidth, buttonTop + buttonHeight}, b.id, state.font.get());
        left += buttonWidth + buttonGap;
    }
    SendMessageA(dialog, DM_SETDEFID, state.look.buttons.front().id, 0);

    SizeAndCenter(dialog, clientWidth, clientHeight);
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            state = reinterpret_cast<BoxState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            if (!RunHandler([&] { LayOut(dialog, *state); })) Close(*state, IDCANCEL);
            SetFocus(GetDlgItem(dialog, state->look.buttons.front().id));
            return FALSE;  // the focus is set
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDCANCEL) {
                Close(*state, state->look.escapeResult);  // Escape
            } else if (HIWORD(wParam) == BN_CLICKED) {
                Close(*state, id);
            }
            return TRUE;
        }
        case WM_CLOSE:
            Close(*state, IDCANCEL);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

int ShowBox(HWND owner, BoxState&& state);

int ShowMessage(HWND owner, const TextPair& message, MessageKind kind) {
    return ShowMessage(owner, SelectText(message.english, message.german), kind);
}

int ShowMessage(HWND owner, const std::string& message, MessageKind kind) {
    return ShowBox(owner, BoxState{message, {}, LookOf(kind), {}});
}

int ShowMessage(HWND owner, const std::wstring& message, MessageKind kind) {
    return ShowBox(owner, BoxState{{}, message, LookOf(kind), {}});
}

int ShowBox(HWND owner, BoxState&& state) {
    // The box may come before the main window (a kill run's question): its buttons and texts are
    // drawn by the themed classes of Common Controls 6.0 all the same, where the system has them.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    comctl::InitCommonControlsEx(&controls);
    const std::vector<WORD> dialogTemplate = EmptyTemplate(state.look.title);
    // Made hidden (the template has no WS_VISIBLE) and run by the program's one modal routine, as
    // the dialog manager would run it: the dialog class's navigation through IsDialogMessage.
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                             reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), owner,
                                             BoxProc, reinterpret_cast<LPARAM>(&state));
    if (!dialog) return IDCANCEL;
    ModalHooks hooks;
    hooks.show = [dialog] { ShowWindow(dialog, SW_SHOWNORMAL); };
    hooks.done = [&state] { return state.done; };
    if (!state.done) RunModal(dialog, owner, hooks);
    DestroyWindow(dialog);
    return state.result;
}

}  // namespace norvanex
