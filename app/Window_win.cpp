// The program's message loop.
#include "app/Window_win.h"

namespace norvanex {

int RunMessageLoop(HWND dialogWindow) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        RunHandler([&] {
            if (dialogWindow == nullptr || !IsDialogMessageA(dialogWindow, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        });
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace norvanex
