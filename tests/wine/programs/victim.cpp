// A process that only exists: no window, no console, no work; it runs until it is ended. Tests copy
// it under the names of the programs they need to find or end (winword.exe, Excel.EXE, ...).
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  for (;;) Sleep(INFINITE);
}
