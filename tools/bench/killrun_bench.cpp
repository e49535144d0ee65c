// The time a user waits: from the start of `Norvanex.exe benchvictim.exe` until all N victims are
// gone, against the floor program (`bench_floor.exe benchvictim.exe`: one snapshot, open and
// terminate each match, nothing else) and `taskkill /F /IM benchvictim.exe` under the same prefix,
// all three as whole processes and timed the same way (start to the last victim leaving the
// snapshot). Each figure is the median of RUNS runs; the three take turns within a run, so that a
// slow moment of the machine does not fall on one of them only.
//   killrun_bench.exe OUTPUT-FILE [RUNS]
// Norvanex.exe, bench_floor.exe and bench_victim.exe lie beside this program. Norvanex shows its
// result window, so this needs a display; the window is closed by ending the process that this
// program started.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "process/ProcessAccess.h"

using namespace bench;

namespace {

[[noreturn]] void Fail(const char* what) { bench::Fail("killrun_bench", what); }

// Starts commandLine and returns the milliseconds until no victim is listed any more; the started
// process is then waited for (the floor, taskkill) or ended (Norvanex, which would show its window
// for 30 s).
double TimeUntilGone(const std::string& commandLine, bool endItAfterwards) {
    const double start = NowMs();
    const HANDLE process = StartQuiet(commandLine);
    if (process == nullptr) Fail("cannot start the program under test");
    if (!WaitFor([] { return CountVictims() == 0; }, 1)) Fail("not every victim ended");
    const double elapsed = NowMs() - start;
    if (endItAfterwards) TerminateProcess(process, 0);
    WaitForSingleObject(process, 30000);
    CloseHandle(process);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) Fail("usage: killrun_bench.exe OUTPUT-FILE [RUNS]");
    const int runs = argc > 2 ? std::max(7, std::atoi(argv[2])) : 9;
    const std::string folder = Folder();
    const std::string victim = folder + "\\" + kVictimName;
    if (!CopyFileA((folder + "\\bench_victim.exe").c_str(), victim.c_str(), FALSE)) {
        Fail("cannot copy bench_victim.exe");
    }
    norvanex::Processes().CheckPlatform();
    if (CountVictims() != 0) Fail("victims of an earlier run are still there");

    const std::string norvanex = "\"" + folder + "\\Norvanex.exe\" " + kVictimName;
    // The floor writes its own inner time to a file that nobody reads here: only the whole
    // process counts.
    const std::string floorProgram = "\"" + folder + "\\bench_floor.exe\" " + kVictimName +
                                     " \"" + folder + "\\bench_floor.txt\"";
    const std::string taskkill = std::string("taskkill.exe /F /IM ") + kVictimName;
    std::string table =
        "| N | Norvanex.exe | floor | Norvanex / floor | taskkill /F /IM | Norvanex / taskkill |\n"
        "|---:|---:|---:|---:|---:|---:|\n";
    for (const int count : kCounts) {
        std::vector<double> ours, floors, theirs;
        for (int run = 0; run < runs; ++run) {
            if (!StartVictims(victim, count)) Fail("victims did not start");
            ours.push_back(TimeUntilGone(norvanex, true));
            if (!StartVictims(victim, count)) Fail("victims did not start");
            floors.push_back(TimeUntilGone(floorProgram, false));
            if (!StartVictims(victim, count)) Fail("victims did not start");
            theirs.push_back(TimeUntilGone(taskkill, false));
        }
        const double o = Median(ours), f = Median(floors), t = Median(theirs);
        char row[200];
        std::snprintf(row, sizeof row, "| %d | %.1f ms | %.1f ms | %.2fx | %.1f ms | %.2fx |\n",
                      count, o, f, o / f, t, o / t);
        table += row;
    }
    std::fputs(table.c_str(), stdout);
    std::ofstream(argv[1], std::ios::binary) << table;
    DeleteFileA(victim.c_str());
    DeleteFileA((folder + "\\bench_floor.txt").c_str());
    return 0;
}
