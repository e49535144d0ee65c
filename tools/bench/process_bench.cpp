// The process-ending benchmark: N windowless victims of one name are ended by EndProcessesByName
// (in this process), by the floor program (one snapshot, open and terminate each match) and by
// taskkill /F /IM (a whole process). Each figure is the median of RUNS runs; the three ways take
// turns within a run, so that a slow moment of the system does not fall on one way only.
//   process_bench.exe OUTPUT-FILE [RUNS]
// bench_floor.exe and bench_victim.exe lie beside this program.
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

[[noreturn]] void Fail(const char* what) { bench::Fail("process_bench", what); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) Fail("usage: process_bench.exe OUTPUT-FILE [RUNS]");
    const int runs = argc > 2 ? std::max(5, std::atoi(argv[2])) : 9;
    const std::string folder = Folder();
    const std::string victim = folder + "\\" + kVictimName;
    const std::string floorResult = folder + "\\bench_floor.txt";
    if (!CopyFileA((folder + "\\bench_victim.exe").c_str(), victim.c_str(), FALSE)) {
        Fail("cannot copy bench_victim.exe");
    }

    // The run-time bindings are made once per program; make them before anything is timed.
    norvanex::Processes().EndProcessesByName(norvanex::Processes().Program("no-such-program.exe"));
    if (CountVictims() != 0) Fail("victims of an earlier run are still there");

    std::string table =
        "| N | EndProcessesByName | floor | ratio | taskkill /F /IM (whole process) | ratio |\n"
        "|---:|---:|---:|---:|---:|---:|\n";
    for (const int count : kCounts) {
        std::vector<double> ours, floor, taskkill;
        for (int run = 0; run < runs; ++run) {
            if (!StartVictims(victim, count)) Fail("victims did not start");
            double start = NowMs();
            const norvanex::NamedProgram program = norvanex::Processes().Program(kVictimName);
            const std::vector<std::uint32_t> ended = norvanex::Processes().EndProcessesByName(program).endedIds;
            ours.push_back(NowMs() - start);
            if (static_cast<int>(ended.size()) != count || !AllGone())
                Fail("not every victim ended");

            if (!StartVictims(victim, count)) Fail("victims did not start");
            DeleteFileA(floorResult.c_str());
            if (!RunToEnd("\"" + folder + "\\bench_floor.exe\" " + kVictimName + " \"" +
                          floorResult + "\"")) {
                Fail("bench_floor.exe did not start");
            }
            double micros = 0;
            int floorEnded = 0;
            std::ifstream(floorResult) >> micros >> floorEnded;
            floor.push_back(micros / 1000.0);
            if (floorEnded != count || !AllGone()) Fail("the floor did not end every victim");

            if (!StartVictims(victim, count)) Fail("victims did not start");
            start = NowMs();
            if (!RunToEnd(std::string("taskkill.exe /F /IM ") + kVictimName)) {
                Fail("taskkill.exe did not start");
            }
            taskkill.push_back(NowMs() - start);
            if (!AllGone()) Fail("taskkill did not end every victim");
        }
        const double o = Median(ours), f = Median(floor), t = Median(taskkill);
        char row[200];
        std::snprintf(row, sizeof row, "| %d | %.1f ms | %.1f ms | %.2fx | %.1f ms | %.2fx |\n",
                      count, o, f, o / f, t, t / f);
        table += row;
    }
    std::fputs(table.c_str(), stdout);
    std::ofstream(argv[1], std::ios::binary) << table;
    DeleteFileA(victim.c_str());
    DeleteFileA(floorResult.c_str());
    return 0;
}
