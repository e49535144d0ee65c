// TTaskSelect: the task chooser window, dialog border, on top of other windows.
#include "ui/TaskSel.h"

#include "base/AppInfo.h"
#include "ui/Lang.h"

namespace norvanex {

TTaskSelect& TaskSelect() {
    static TTaskSelect chooser;
    return chooser;
}

TTaskSelect::~TTaskSelect() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TTaskSelect::Create(HINSTANCE instance, HWND owner) {
    if (!RegisterWindowClass(instance, kClassName, WindowProc, COLOR_BTNFACE)) return false;
    CreateDialogFrame(instance, owner, kClassName, "", this);
    if (hwnd_) SizeAndCenter(hwnd_, ScaleToDpi(417, ScreenDpi()), ScaleToDpi(289, ScreenDpi()));
    return hwnd_ != nullptr;
}

void TTaskSelect::ShowModal(HWND owner, TaskChoice& choice) {
    choice.checked.clear();
    if (!hwnd_) {
        choice.result = 0;
        return;
    }
    EnableWindow(owner, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    modal_ = true;
    MSG msg;
    while (modal_ && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (msg.message == WM_QUIT && modal_) PostQuitMessage(static_cast<int>(msg.wParam));
    modal_ = false;
    EnableWindow(owner, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    SetActiveWindow(owner);
    if (choice.result != 1) choice.result = 0;
}

LRESULT TTaskSelect::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetWindowTextA(hwnd_, SelectText("Choose tasks to kill", "Zu beendende Tasks wählen").c_str());
            return 0;
        case WM_CLOSE:
            modal_ = false;
            ShowWindow(hwnd_, SW_HIDE);
            return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace norvanex
