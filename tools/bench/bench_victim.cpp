// A windowless process that only waits to be ended: the benchmark starts copies of it by the dozen.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    for (;;) Sleep(INFINITE);
}
