// TTaskSelect: the task chooser window, dialog border, on top of other windows.
#include "ui/TaskSel.h"

#include "app/AppInfo.h"
#include "ui/Lang.h"

namespace norvanex {

TTaskSelect::~TTaskSelect() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TTaskSelect::Create(HINSTANCE instance, HWND owner) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc)) return false;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT frame{0, 0, ScaleToDpi(417, dpi), ScaleToDpi(289, dpi)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    CreateWindowExA(exStyle, kClassName, "", style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                    frame.bottom - frame.top, owner, nullptr, instance, this);
    return hwnd_ != nullptr;
}

LRESULT TTaskSelect::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetWindowTextA(hwnd_, SelectText("Choose tasks to kill", "Zu beendende Tasks wählen").c_str());
            return 0;
        case WM_CLOSE:
            ShowWindow(hwnd_, SW_HIDE);
            return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace norvanex
