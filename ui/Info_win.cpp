// TInfos: the about box window, fixed size, close box only, on top of other windows.
#include "ui/Info.h"

#include "app/AppInfo.h"

namespace norvanex {

TInfos::~TInfos() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TInfos::Create(HINSTANCE instance, HWND owner) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc)) return false;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT frame{0, 0, ScaleToDpi(297, dpi), ScaleToDpi(185, dpi)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    CreateWindowExA(exStyle, kClassName, "Info", style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                    frame.bottom - frame.top, owner, nullptr, instance, this);
    return hwnd_ != nullptr;
}

LRESULT TInfos::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ShowWindow(hwnd_, SW_HIDE);
        return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace norvanex
