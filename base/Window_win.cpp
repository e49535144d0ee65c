// The program's message loop and what its windows share.
#include "base/Window_win.h"

#include <algorithm>
#include <string>

#include "base/AnsiText_win.h"
#include "base/SystemFunction_win.h"
#include "base/SystemTraits_win.h"

namespace norvanex {

int ScreenDpi() {
    const ScopedGetDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = FindSystemFunctionAs<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : ScreenDpi();
}

SIZE LabelTextExtent(HWND label) {
    // Measured as UTF-16: the text may hold characters that the ANSI code page lacks.
    std::wstring text = WindowWideText(label);
    if (text.empty()) text = L" ";
    const ScopedGetDC dc(label);
    const ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT extent{0, 0, 0, 0};
    // A link is a button that draws its text without prefixes; on a button the bit of SS_NOPREFIX
    // means another thing.
    char className[16] = {};
    GetClassNameA(label, className, sizeof className);
    const bool button = lstrcmpiA(className, WC_BUTTONA) == 0;
    const UINT prefix = button || (GetWindowLongPtrA(label, GWL_STYLE) & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    DrawWideText(dc.get(), text, extent, DT_CALCRECT | DT_SINGLELINE | prefix);
    return SIZE{extent.right, extent.bottom};
}

std::wstring FittedName(HWND label, const std::wstring& name, int room) {
    const ScopedGetDC dc(label);
    const ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    auto fits = [&](const std::wstring& text) {
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        return extent.cx <= room;
    };
    std::wstring shown = name;
    if (!fits(shown)) {
        const size_t dot = name.rfind(L'.');
        size_t tail = std::min(name.size(), (dot == std::wstring::npos ? 0 : name.size() - dot) + 4);
        size_t head = name.size() - tail;
        do {
            if (head > 0) {
                --head;
            } else if (tail > 0) {
                --tail;
            }
            shown = name.substr(0, head) + L"..." + name.substr(name.size() - tail);
        } while (!fits(shown) && head + tail > 0);
    }
    return shown;
}

namespace {

// Takes the tool (`owner`, `id`) out of `tooltip` and puts it in again with `text`, unless that is
// empty: the control `id` itself (TTF_IDISHWND), or the area `rect` of `owner`. The tips' messages
// carry their structure unconverted, whichever of SendMessageA and W sends them.
template <class ToolInfo, class Text>
void ReplaceTool(HWND tooltip, HWND owner, UINT_PTR id, const RECT* rect, Text& text, UINT remove, UINT add,
                 UINT flags) {
    ToolInfo tool{};
    tool.cbSize = comctl::ToolInfoSize(sizeof(typename Text::value_type) > 1);
    tool.uFlags = flags | (rect ? 0 : TTF_IDISHWND);
    tool.hwnd = owner;
    tool.uId = id;
    if (rect) tool.rect = *rect;
    tool.lpszText = text.data();
    SendMessageA(tooltip, remove, 0, reinterpret_cast<LPARAM>(&tool));
    if (!text.empty()) SendMessageA(tooltip, add, 0, reinterpret_cast<LPARAM>(&tool));
}

void SetTool(HWND tooltip, HWND owner, UINT_PTR id, const RECT* rect, std::string_view text, UINT flags = 0) {
    std::wstring wide = WideText(text);
    if (AnsiTexts()) {
        std::string ansi = ShownAnsi(wide);
        ReplaceTool<TOOLINFOA>(tooltip, owner, id, rect, ansi, TTM_DELTOOLA, TTM_ADDTOOLA, flags);
    } else {
        ReplaceTool<TOOLINFOW>(tooltip, owner, id, rect, wide, TTM_DELTOOLW, TTM_ADDTOOLW, flags);
    }
}

// The tracking tip's one tool: an area of its owner that the mouse never finds (an empty rectangle).
constexpr UINT_PTR kTrackedTool = 1;

TOOLINFOA TrackedTool(HWND owner) {
    TOOLINFOA tool{};
    tool.cbSize = comctl::ToolInfoSize(false);
    tool.hwnd = owner;
    tool.uId = kTrackedTool;
    return tool;
}

}  // namespace

void SetControlTip(HWND tooltip, HWND owner, HWND control, std::string_view text) {
    SetTool(tooltip, owner, reinterpret_cast<UINT_PTR>(control), nullptr, text);
}

void SetAreaTip(HWND tooltip, HWND window, UINT_PTR id, const RECT& area, std::string_view text) {
    SetTool(tooltip, window, id, &area, text);
}

HWND MakeTrackingTip(HWND owner) {
    return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)), nullptr);
}

void ShowTrackingTip(HWND tip, HWND owner, POINT screen, int maxWidth, std::string_view text) {
    HideTrackingTip(tip, owner);
    if (!tip || text.empty()) return;
    const RECT none{};
    SetTool(tip, owner, kTrackedTool, &none, text, TTF_TRACK | TTF_ABSOLUTE);
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
    SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
    TOOLINFOA tool = TrackedTool(owner);
    SendMessageA(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void HideTrackingTip(HWND tip, HWND owner) {
    if (!tip) return;
    TOOLINFOA tool = TrackedTool(owner);
    SendMessageA(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

bool RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC windowProc, int backgroundColor,
                         HICON icon, HICON smallIcon) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(backgroundColor + 1));
    wc.lpszClassName = className;
    // A window made again after a failed try finds its class registered by that try.
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void SizeAndCenter(HWND window, int clientWidth, int clientHeight, HWND over) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT area = work;
    if (over && !GetWindowRect(over, &area)) area = work;
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    if (over) {
        x = std::max<int>(work.left, std::min<int>(x, work.right - width));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    }
    // A window shown again where it stood (the chooser at every showing) is left alone: under Wine
    // the move costs a trip to the server and the display even when nothing changes.
    RECT now{};
    if (GetWindowRect(window, &now) && now.left == x && now.top == y && now.right - now.left == width &&
        now.bottom - now.top == height) {
        return;
    }
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateDialogFrame(HINSTANCE instance, HWND owner, const char* className, const char* title, void* self) {
    return CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, className, title,
                           WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                           owner, nullptr, instance, self);
}

void RouteMessage(MSG& msg, HWND dialogWindow, HACCEL accelerators, const std::function<HWND()>& tooltip) {
    // Shortcuts only for keys typed into the window, never into another window.
    const bool ours = msg.hwnd == dialogWindow || IsChild(dialogWindow, msg.hwnd);
    const bool mouse =
        (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) || msg.message == WM_NCMOUSEMOVE;
    if (tooltip && ours && mouse) {
        if (HWND tip = tooltip()) SendMessageA(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    }
    if (accelerators && ours && TranslateAcceleratorA(dialogWindow, accelerators, &msg)) return;
    if (dialogWindow == nullptr || !IsDialogMessageA(dialogWindow, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool RunModal(HWND window, HWND owner, const ModalHooks& hooks) {
    // An owner disabled already (by a modal window below this one) stays so.
    const bool disabled = owner && IsWindowEnabled(owner);
    if (disabled) EnableWindow(owner, FALSE);
    if (hooks.show) hooks.show();
    bool ending = false;
    MSG msg{};
    while (!hooks.done()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            ending = true;
            break;
        }
        RunHandler([&] {
            if (!hooks.ownKey || !hooks.ownKey(msg)) RouteMessage(msg, window, nullptr, hooks.tooltip);
        });
    }
    if (disabled) EnableWindow(owner, TRUE);
    ShowWindow(window, SW_HIDE);
    if (owner) SetActiveWindow(owner);
    return !ending;
}

int RunMessageLoop(HWND dialogWindow, HACCEL accelerators, const std::function<HWND()>& tooltip,
                   const std::function<void(const MSG&)>& heard) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        RunHandler([&] {
            if (heard) heard(msg);
            RouteMessage(msg, dialogWindow, accelerators, tooltip);
        });
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace norvanex
