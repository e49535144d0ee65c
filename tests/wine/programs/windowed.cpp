// A program with a window, as a user's program is: it is asked to close by WM_CLOSE and answers
// as its command line says. Its exit code tells a test how it went: kClosed when it closed itself,
// kSaved or kDiscarded after its "save?" question, 0 when it was ended from outside.
//
//   windowed.exe close     closes at once
//   windowed.exe ask       asks "Save changes?" (Yes, No, Cancel); Cancel keeps it running
//   windowed.exe ignore    ignores the request
//   windowed.exe hang      stops reading its messages once its window is up
//   windowed.exe restart   starts itself anew (ignoring requests) as it closes
//   windowed.exe close N   the same with N top-level windows (each closes the program)
//   windowed.exe owned     closes at once; its window is owned by a hidden one, as frameworks
//                          that keep a hidden application window make theirs
//
// Once its windows are up it sets the event "norvanex-victim-<pid>", as victim.exe does.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kClosed = 41, kSaved = 42, kDiscarded = 43;
const char* behaviour = "close";

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    if (std::strcmp(behaviour, "ignore") == 0) return 0;
    if (std::strcmp(behaviour, "ask") == 0) {
      switch (MessageBoxA(window, "Save changes?", "windowed", MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES: ExitProcess(kSaved);
        case IDNO: ExitProcess(kDiscarded);
        default: return 0;
      }
    }
    if (std::strcmp(behaviour, "restart") == 0) {
      char self[MAX_PATH];
      GetModuleFileNameA(nullptr, self, MAX_PATH);
      char line[MAX_PATH + 16];
      wsprintfA(line, "\"%s\" ignore", self);
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION started{};
      if (CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        WaitForInputIdle(started.hProcess, 5000);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
      }
    }
    ExitProcess(kClosed);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int windows = 1;
  if (__argc > 1) behaviour = __argv[1];
  if (__argc > 2) windows = std::atoi(__argv[2]);
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "NorvanexWindowedVictim";
  RegisterClassA(&wc);
  HWND owner = nullptr;
  if (std::strcmp(behaviour, "owned") == 0) {
    owner = CreateWindowA(wc.lpszClassName, "application", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  }
  for (int i = 0; i < windows; ++i) {
    CreateWindowA(wc.lpszClassName, behaviour, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40 + 8 * i, 40 + 8 * i, 240, 120,
                  owner, nullptr, instance, nullptr);
  }
  char name[40];
  wsprintfA(name, "norvanex-victim-%lu", GetCurrentProcessId());
  CreateEventA(nullptr, TRUE, TRUE, name);
  if (std::strcmp(behaviour, "hang") == 0) {
    for (;;) Sleep(INFINITE);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
