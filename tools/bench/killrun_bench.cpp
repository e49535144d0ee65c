// The time a user waits: from the start of `Norvanex.exe benchvictim.exe` until all N victims are
// gone, against the floor program (`bench_floor.exe benchvictim.exe`: one snapshot, open and
// terminate each match, nothing else) and `taskkill /F /IM benchvictim.exe` under the same prefix,
// all three as whole processes and timed the same way (start to the last victim leaving the
// snapshot). Each figure is the median of RUNS runs; the three take turns within a run, so that a
// slow moment of the machine does not fall on one of them only.
// A second table does the same for a run that asks its programs to close: N windowed victims that
// close at once on WM_CLOSE, `Norvanex.exe ~close~ benchvictim.exe` against the floor program
// `close_floor.exe benchvictim.exe` (posts WM_CLOSE to the victims' windows and waits on their
// process handles) and `taskkill /IM benchvictim.exe` (without /F it posts WM_CLOSE too). Every
// victim must have closed by itself, not been ended.
//   killrun_bench.exe OUTPUT-FILE [RUNS]
// Norvanex.exe, bench_floor.exe, close_floor.exe and bench_victim.exe lie beside this program.
// Norvanex shows its result window, so this needs a display; the window is closed by ending the
// process that this program started.
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

struct Contender {
    std::string commandLine;
    bool endItAfterwards;  // Norvanex, whose window would stay for 30 s
};

// One table's rows: for each N, every contender times its own fresh victims in turns, RUNS rounds;
// medians, and the ratios of the first contender to the others. With roundRatios, a last column
// gives the median of each round's own ratio of the first to the second, and the middle half of
// those ratios: on a loaded machine a slow moment falls on one round, not on the whole table.
std::string TimeInTurns(const std::vector<Contender>& contenders, int runs, const std::string& victim,
                        bool windowed, bool roundRatios) {
    std::string rows;
    for (const int count : kCounts) {
        std::vector<std::vector<double>> times(contenders.size());
        for (int run = 0; run < runs; ++run) {
            for (std::size_t c = 0; c < contenders.size(); ++c) {
                std::vector<HANDLE> victims;
                const bool started = windowed ? StartWindowedVictims(victim, count, victims)
                                              : StartVictims(victim, count);
                if (!started) Fail("victims did not start");
                times[c].push_back(TimeUntilGone(contenders[c].commandLine, contenders[c].endItAfterwards));
                if (windowed && !AllClosed(victims)) Fail("a victim was ended instead of closed");
            }
        }
        const double ours = Median(times[0]);
        char cell[120];
        std::snprintf(cell, sizeof cell, "| %d | %.1f ms |", count, ours);
        rows += cell;
        for (std::size_t c = 1; c < contenders.size(); ++c) {
            const double theirs = Median(times[c]);
            std::snprintf(cell, sizeof cell, " %.1f ms | %.2fx |", theirs, ours / theirs);
            rows += cell;
        }
        if (roundRatios) {
            std::vector<double> ratios;
            for (int run = 0; run < runs; ++run) ratios.push_back(times[0][run] / times[1][run]);
            std::sort(ratios.begin(), ratios.end());
            std::snprintf(cell, sizeof cell, " %.2fx (%.2fx to %.2fx) |", Median(ratios), ratios[runs / 4],
                          ratios[runs * 3 / 4]);
            rows += cell;
        }
        rows += "\n";
    }
    return rows;
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
    if (CountVictims() != 0) Fail("victims of an earlier run are still there");

    const std::string norvanex = "\"" + folder + "\\Norvanex.exe\" ";
    // The floor writes its own inner time to a file that nobody reads here: only the whole
    // process counts.
    const std::string floorProgram = "\"" + folder + "\\bench_floor.exe\" " + kVictimName +
                                     " \"" + folder + "\\bench_floor.txt\"";
    std::string table =
        "| N | Norvanex.exe | floor | Norvanex / floor | taskkill /F /IM | Norvanex / taskkill |\n"
        "|---:|---:|---:|---:|---:|---:|\n";
    table += TimeInTurns({{norvanex + kVictimName, true},
                          {floorProgram, false},
                          {std::string("taskkill.exe /F /IM ") + kVictimName, false}},
                         runs, victim, false, false);
    table +=
        "\n| N | Norvanex.exe ~close~ | close floor | Norvanex / floor | taskkill /IM | Norvanex / taskkill "
        "| Norvanex / floor, rounds (middle half) |\n"
        "|---:|---:|---:|---:|---:|---:|---|\n";
    table += TimeInTurns({{norvanex + "~close~ " + kVictimName, true},
                          {"\"" + folder + "\\close_floor.exe\" " + kVictimName, false},
                          {std::string("taskkill.exe /IM ") + kVictimName, false}},
                         runs, victim, true, true);
    std::fputs(table.c_str(), stdout);
    std::ofstream(argv[1], std::ios::binary) << table;
    DeleteFileA(victim.c_str());
    DeleteFileA((folder + "\\bench_floor.txt").c_str());
    return 0;
}
