// A process that only waits to be ended: the benchmarks start copies of it by the dozen. Without
// parameters it has no window. With "window" it shows one top-level window, as a plain program
// does, closes it at once when asked to (WM_CLOSE) and then exits with kClosedExitCode, so that a
// benchmark can tell a victim that closed from one that was ended.
#include <windows.h>

#include <cstring>

#include "BenchCommon.h"

namespace {

using bench::kClosedExitCode;

LRESULT CALLBACK VictimProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // WM_CLOSE goes to DefWindowProc, which destroys the window.
    if (message == WM_DESTROY) {
        PostQuitMessage(kClosedExitCode);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunWindowed(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = VictimProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = bench::kVictimWindowClass;
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowExA(0, bench::kVictimWindowClass, "bench victim", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (std::strcmp(commandLine, "window") == 0) return RunWindowed(instance);
    for (;;) Sleep(INFINITE);
}
