// TTaskSelect: the task chooser window, dialog border, on top of other windows.
#include "ui/TaskSel.h"

#include "base/AppInfo.h"
#include "ui/Lang.h"

namespace norvanex {

TTaskSelect::~TTaskSelect() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TTaskSelect::Create(HINSTANCE instance, HWND owner) {
    if (!RegisterWindowClass(instance, kClassName, WindowProc, COLOR_BTNFACE)) return false;
    CreateDialogFrame(instance, owner, kClassName, "", this);
    if (hwnd_) SizeAndCenter(hwnd_, ScaleToDpi(417, ScreenDpi()), ScaleToDpi(289, ScreenDpi()));
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
