// TInfos: the about box window, fixed size, close box only, on top of other windows.
#include "ui/Info.h"

#include "base/AppInfo.h"

namespace norvanex {

TInfos::~TInfos() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TInfos::Create(HINSTANCE instance, HWND owner) {
    if (!RegisterWindowClass(instance, kClassName, WindowProc, COLOR_WINDOW)) return false;
    CreateDialogFrame(instance, owner, kClassName, "Info", this);
    if (hwnd_) SizeAndCenter(hwnd_, ScaleToDpi(297, ScreenDpi()), ScaleToDpi(185, ScreenDpi()));
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
