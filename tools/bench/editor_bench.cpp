// The start of the program's two windows as the user waits for it, against three floors, all timed
// the same way as whole processes: from before CreateProcess until the program's first window is
// visible and the program waits for input (under Wine the idle event is set when a thread first
// waits on its message queue: every paint message has been handled and the window surfaces handed
// to the display by then, so this is the first full picture).
//   - bench_window.exe: one class, one window of the editor's size, a message loop, no manifest;
//   - bench_window_styled.exe: the same with the program's manifest and the common controls;
//   - editor_floor.exe: the editor's window and its 17 controls, glyphs and manifest, nothing else;
//   - `Norvanex.exe` without parameters: the editor;
//   - `Norvanex.exe benchvictim.exe` with one victim running: the kill run's result window; and, as
//     a separate turn, the same call timed until the victim has left the process list (the ending
//     itself, which the result window waits for by design).
// Each figure is the median of RUNS runs; the six take turns within a run, so that a slow moment
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

// Starts whose window or one of its controls still had a part waiting to be painted when the clock
// stopped: then the clock did not stop at the first full picture.
int unpaintedStarts = 0, starts = 0;

BOOL CALLBACK CountUnpainted(HWND window, LPARAM parameter) {
    if (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE)) ++*reinterpret_cast<int*>(parameter);
    return TRUE;
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
    int unpainted = 0;
    CountUnpainted(search.found, reinterpret_cast<LPARAM>(&unpainted));
    EnumChildWindows(search.found, CountUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    ++starts;
    if (unpainted > 0) ++unpaintedStarts;
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

// Each run's own ratio x / y.
std::vector<double> Ratios(const std::vector<double>& x, const std::vector<double>& y) {
    std::vector<double> ratios;
    for (size_t i = 0; i < x.size(); ++i) ratios.push_back(x[i] / y[i]);
    return ratios;
}

// The first (q = 1) or third (q = 3) quartile.
double Quartile(std::vector<double> values, int q) {
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) * q / 4];
}

// Each program's times, one per run.
struct Times {
    std::vector<double> bares, styleds, floors, editors, earliers, results, earlierResults, endings;
};

// The markdown table: each program's median and its ratios to the three floors.
std::string Table(const Times& t, const std::string& earlierName) {
    // Each ratio is the median of the runs' own ratios: the programs of one run start within a
    // second of each other, so a slow stretch of the shared machine falls on both sides of it.
    auto ratio = [](const std::vector<double>& x, const std::vector<double>& y) { return Median(Ratios(x, y)); };
    std::string rows =
        "| program (whole process, until shown and waiting for input) | median | / editor floor | / styled window | / bare window |\n"
        "|---|---:|---:|---:|---:|\n";
    auto row = [&](const std::string& what, const std::vector<double>& times) {
        char line[400];
        std::snprintf(line, sizeof line, "| %s | %.1f ms | %.2fx | %.2fx | %.2fx |\n", what.c_str(), Median(times),
                      ratio(times, t.floors), ratio(times, t.styleds), ratio(times, t.bares));
        rows += line;
    };
    row("bench_window.exe: minimal window, no manifest", t.bares);
    row("bench_window_styled.exe: the same with manifest and common controls", t.styleds);
    row("editor_floor.exe: the editor's window and controls, nothing else", t.floors);
    row("Norvanex.exe: the editor", t.editors);
    if (!earlierName.empty()) row(earlierName + ": the earlier editor", t.earliers);
    row("Norvanex.exe benchvictim.exe: the result window of a kill run", t.results);
    if (!earlierName.empty()) row(earlierName + " benchvictim.exe: the earlier result window", t.earlierResults);
    row("the same kill run until its victim has left the process list", t.endings);
    std::vector<double> ownParts;
    for (size_t i = 0; i < t.results.size(); ++i) ownParts.push_back(t.results[i] - t.endings[i]);
    row("result window less the ending: its own part, after the victim has gone", ownParts);
    const std::vector<double> editorToFloor = Ratios(t.editors, t.floors);
    char summary[400];
    std::snprintf(summary, sizeof summary,
                  "\nRatios are medians of each run's own ratio. Editor / editor floor: %.2fx (%.2fx to %.2fx over the "
                  "middle half of the runs).\n"
                  "Starts with a part of a window still to be painted when the clock stopped: %d of %d.\n",
                  Median(editorToFloor), Quartile(editorToFloor, 1), Quartile(editorToFloor, 3), unpaintedStarts,
                  starts);
    return rows + summary;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) Fail("usage: editor_bench.exe OUTPUT-FILE [RUNS]");
    const int runs = argc > 2 ? std::max(5, std::atoi(argv[2])) : 11;
    const std::string folder = Folder();
    const std::string victim = folder + "\\" + kVictimName;
    if (!CopyFileA((folder + "\\bench_victim.exe").c_str(), victim.c_str(), FALSE)) Fail("cannot copy bench_victim.exe");
    if (CountVictims() != 0) Fail("victims of an earlier run are still there");

    const std::string bare = Quoted(folder + "\\bench_window.exe");
    const std::string styled = Quoted(folder + "\\bench_window_styled.exe");
    const std::string floor = Quoted(folder + "\\editor_floor.exe");
    const std::string editor = Quoted(folder + "\\Norvanex.exe");
    const std::string killRun = editor + " " + kVictimName;
    const std::string earlierName = argc > 3 ? argv[3] : "";
    const std::string earlier = Quoted(folder + "\\" + earlierName);
    const std::string earlierKillRun = earlier + " " + kVictimName;

    // One start of each first: the DLLs are then in the page cache, as on a user's second start.
    TimeUntilShownAndIdle(bare);
    TimeUntilShownAndIdle(styled);
    TimeUntilShownAndIdle(floor);
    TimeUntilShownAndIdle(editor);
    if (!earlierName.empty()) TimeUntilShownAndIdle(earlier);
    if (!StartVictims(victim, 1)) Fail("the victim did not start");
    TimeUntilShownAndIdle(killRun);

    Times t;
    // The turns: each program once per run, the order reversed every other run, so that no program
    // always follows the same one (a process's teardown may still be going on in the next one).
    std::vector<std::function<void()>> turns = {
        [&] { t.bares.push_back(TimeUntilShownAndIdle(bare)); },
        [&] { t.styleds.push_back(TimeUntilShownAndIdle(styled)); },
        [&] { t.floors.push_back(TimeUntilShownAndIdle(floor)); },
        [&] { t.editors.push_back(TimeUntilShownAndIdle(editor)); },
        [&] {
            if (!StartVictims(victim, 1)) Fail("the victim did not start");
            t.results.push_back(TimeUntilShownAndIdle(killRun));
        },
        [&] {
            if (!StartVictims(victim, 1)) Fail("the victim did not start");
            t.endings.push_back(TimeUntilVictimGone(killRun));
        },
    };
    if (!earlierName.empty()) {
        turns.insert(turns.begin() + 4, [&] { t.earliers.push_back(TimeUntilShownAndIdle(earlier)); });
        turns.insert(turns.begin() + 6, [&] {
            if (!StartVictims(victim, 1)) Fail("the victim did not start");
            t.earlierResults.push_back(TimeUntilShownAndIdle(earlierKillRun));
        });
    }
    for (int run = 0; run < runs; ++run) {
        for (auto& turn : turns) turn();
        std::reverse(turns.begin(), turns.end());
    }
    const std::string rows = Table(t, earlierName);
    std::fputs(rows.c_str(), stdout);
    std::ofstream(argv[1], std::ios::binary) << rows;
    DeleteFileA(victim.c_str());
    return 0;
}
