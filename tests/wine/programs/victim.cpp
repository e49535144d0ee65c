// A process that only exists: no window, no console, no work; it runs until it is ended. Tests copy
// it under the names of the programs they need to find or end (winword.exe, Excel.EXE, ...).
//
// Once running it holds the event "norvanex-victim-<pid>", so the driver knows when its start-up is
// over (StartWindowless): till then Wine may still be writing this process's locale into the
// prefix's registry, where a program started meanwhile under another locale would read it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char name[40];
  wsprintfA(name, "norvanex-victim-%lu", GetCurrentProcessId());
  CreateEventA(nullptr, TRUE, TRUE, name);
  for (;;) Sleep(INFINITE);
}
