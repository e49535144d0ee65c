// The editor's start as the user waits for it: from the start of `Norvanex.exe` (no parameters)
// until its window is shown and the program waits for input, against bench_window.exe, a minimal
// window program of the same build, timed the same way. Each figure is the median of RUNS runs; the
// two take turns within a run.
//   editor_bench.exe OUTPUT-FILE [RUNS]
// Norvanex.exe and bench_window.exe lie beside this program; it needs a display.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BenchCommon.h"

using namespace bench;

namespace {

[[noreturn]] void Fail(const char* what) { bench::Fail("editor_bench", what); }

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// Milliseconds from before CreateProcess until the program's window is visible and the program
// waits for input; the program is closed afterwards.
double TimeUntilShownAndIdle(const std::string& commandLine) {
    const double start = NowMs();
    const HANDLE process = StartQuiet(commandLine);
    if (process == nullptr) Fail("cannot start the program under test");
    Search search{GetProcessId(process), nullptr};
    if (WaitForInputIdle(process, 30000) != 0) Fail("the program never waited for input");
    if (!WaitFor([&] { return !EnumWindows(FindShown, reinterpret_cast<LPARAM>(&search)) || search.found; }, 1)) {
        Fail("no window appeared");
    }
    const double elapsed = NowMs() - start;
    PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 0);
    CloseHandle(process);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) Fail("usage: editor_bench.exe OUTPUT-FILE [RUNS]");
    const int runs = argc > 2 ? std::max(5, std::atoi(argv[2])) : 11;
    const std::string folder = Folder();
    const std::string editor = "\"" + folder + "\\Norvanex.exe\"";
    const std::string floor = "\"" + folder + "\\bench_window.exe\"";

    // One start of each first: the DLLs are then in the page cache, as on a user's second start.
    TimeUntilShownAndIdle(editor);
    TimeUntilShownAndIdle(floor);
    std::vector<double> ours, theirs;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(TimeUntilShownAndIdle(editor));
        theirs.push_back(TimeUntilShownAndIdle(floor));
    }
    const double o = Median(ours), t = Median(theirs);
    char table[400];
    std::snprintf(table, sizeof table,
                  "| Norvanex.exe, editor (whole process) | bench_window.exe (whole process) | ratio |\n"
                  "|---:|---:|---:|\n"
                  "| %.1f ms | %.1f ms | %.2fx |\n",
                  o, t, o / t);
    std::fputs(table, stdout);
    std::ofstream(argv[1], std::ios::binary) << table;
    return 0;
}
