// The start of the program's two windows as the user waits for it, against two minimal window
// programs, all timed the same way as whole processes: from before CreateProcess until the
// program's first window is visible and the program waits for input.
//   - bench_window.exe: one class, one window of the editor's size, a message loop, no manifest;
//   - bench_window_styled.exe: the same with the program's manifest and the common controls;
//   - `Norvanex.exe` without parameters: the editor;
//   - `Norvanex.exe benchvictim.exe` with one victim running: the kill run's result window; and, as
//     a separate turn, the same call timed until the victim has left the process list (the ending
//     itself, which the result window waits for by design).
// Each figure is the median of RUNS runs; the five take turns within a run, so that a slow moment
// of the shared machine does not fall on one of them only.
//   editor_bench.exe OUTPUT-FILE [RUNS [EARLIER.exe]]
// EARLIER.exe, an earlier build of Norvanex.exe beside this program, joins the turns as an editor
// and a result window of its own, for figures before and after a change from one run.
// The programs lie beside this one; it needs a display.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "process/ProcessAccess.h"

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
// waits for input; the program is closed afterwards (ended when it does not close in time).
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

// Milliseconds from before CreateProcess until no victim is listed any more; the kill run, which
// would show its result window for 30 seconds, is ended then.
double TimeUntilVictimGone(const std::string& commandLine) {
    const double start = NowMs();
    const HANDLE process = StartQuiet(commandLine);
    if (process == nullptr) Fail("cannot start the program under test");
    if (!WaitFor([] { return CountVictims() == 0; }, 1)) Fail("the victim was not ended");
    const double elapsed = NowMs() - start;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
    return elapsed;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) Fail("usage: editor_bench.exe OUTPUT-FILE [RUNS]");
    const int runs = argc > 2 ? std::max(5, std::atoi(argv[2])) : 11;
    const std::string folder = Folder();
    const std::string victim = folder + "\\" + kVictimName;
    if (!CopyFileA((folder + "\\bench_victim.exe").c_str(), victim.c_str(), FALSE)) Fail("cannot copy bench_victim.exe");
    norvanex::Processes().CheckPlatform();
    if (CountVictims() != 0) Fail("victims of an earlier run are still there");

    const std::string bare = Quoted(folder + "\\bench_window.exe");
    const std::string styled = Quoted(folder + "\\bench_window_styled.exe");
    const std::string editor = Quoted(folder + "\\Norvanex.exe");
    const std::string killRun = editor + " " + kVictimName;
    const std::string earlierName = argc > 3 ? argv[3] : "";
    const std::string earlier = Quoted(folder + "\\" + earlierName);
    const std::string earlierKillRun = earlier + " " + kVictimName;

    // One start of each first: the DLLs are then in the page cache, as on a user's second start.
    TimeUntilShownAndIdle(bare);
    TimeUntilShownAndIdle(styled);
    TimeUntilShownAndIdle(editor);
    if (!earlierName.empty()) TimeUntilShownAndIdle(earlier);
    if (!StartVictims(victim, 1)) Fail("the victim did not start");
    TimeUntilShownAndIdle(killRun);

    std::vector<double> bares, styleds, editors, earliers, results, earlierResults, endings;
    // The turns: each program once per run, the order reversed every other run, so that no program
    // always follows the same one (a process's teardown may still be going on in the next one).
    std::vector<std::function<void()>> turns = {
        [&] { bares.push_back(TimeUntilShownAndIdle(bare)); },
        [&] { styleds.push_back(TimeUntilShownAndIdle(styled)); },
        [&] { editors.push_back(TimeUntilShownAndIdle(editor)); },
        [&] {
            if (!StartVictims(victim, 1)) Fail("the victim did not start");
            results.push_back(TimeUntilShownAndIdle(killRun));
        },
        [&] {
            if (!StartVictims(victim, 1)) Fail("the victim did not start");
            endings.push_back(TimeUntilVictimGone(killRun));
        },
    };
    if (!earlierName.empty()) {
        turns.insert(turns.begin() + 3, [&] { earliers.push_back(TimeUntilShownAndIdle(earlier)); });
        turns.insert(turns.begin() + 5, [&] {
            if (!StartVictims(victim, 1)) Fail("the victim did not start");
            earlierResults.push_back(TimeUntilShownAndIdle(earlierKillRun));
        });
    }
    for (int run = 0; run < runs; ++run) {
        for (auto& turn : turns) turn();
        std::reverse(turns.begin(), turns.end());
    }
    const double b = Median(bares), s = Median(styleds), e = Median(editors), r = Median(results),
                 g = Median(endings);
    char table[1200];
    std::snprintf(table, sizeof table,
                  "| program (whole process, until shown and waiting for input) | median | / bare window | / styled window |\n"
                  "|---|---:|---:|---:|\n"
                  "| bench_window.exe: minimal window, no manifest | %.1f ms | 1.00x | %.2fx |\n"
                  "| bench_window_styled.exe: the same with manifest and common controls | %.1f ms | %.2fx | 1.00x |\n"
                  "| Norvanex.exe: the editor | %.1f ms | %.2fx | %.2fx |\n"
                  "| Norvanex.exe benchvictim.exe: the result window of a kill run | %.1f ms | %.2fx | %.2fx |\n"
                  "| the same kill run until its victim has left the process list | %.1f ms | %.2fx | %.2fx |\n"
                  "| result window less the ending: its own part, after the victim has gone | %.1f ms | | |\n",
                  b, b / s, s, s / b, e, e / b, e / s, r, r / b, r / s, g, g / b, g / s, r - g);
    std::string rows = table;
    if (!earlierName.empty()) {
        const double x = Median(earliers), y = Median(earlierResults);
        char row[600];
        std::snprintf(row, sizeof row,
                      "| %s: the earlier editor | %.1f ms | %.2fx | %.2fx |\n"
                      "| %s benchvictim.exe: the earlier result window | %.1f ms | %.2fx | %.2fx |\n",
                      earlierName.c_str(), x, x / b, x / s, earlierName.c_str(), y, y / b, y / s);
        rows += row;
    }
    std::fputs(rows.c_str(), stdout);
    std::ofstream(argv[1], std::ios::binary) << rows;
    DeleteFileA(victim.c_str());
    return 0;
}
