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

#include "process/ProcessAccess.h"

namespace {

constexpr char kVictimName[] = "benchvictim.exe";
constexpr int kCounts[] = {1, 20, 100};
constexpr DWORD kWaitMs = 30000;

std::string Folder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\'));
}

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int CountVictims() {
    int count = 0;
    norvanex::Processes().WalkSnapshot([&](const norvanex::SnapshotEntry& entry) {
        if (lstrcmpiA(entry.exeFile.c_str(), kVictimName) == 0) ++count;
    });
    return count;
}

template <class Cond>
bool WaitFor(Cond cond) {
    const DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > kWaitMs) return false;
        Sleep(5);
    }
    return true;
}

// Runs a command line to its end with its output thrown away; false when it could not be started.
bool RunToEnd(std::string commandLine) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    if (started) {
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(nul);
    return started != FALSE;
}

bool StartVictims(const std::string& exe, int count) {
    for (int i = 0; i < count; ++i) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::string commandLine = "\"" + exe + "\"";
        if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info)) {
            return false;
        }
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    if (!WaitFor([&] { return CountVictims() == count; })) return false;
    // A victim shows in the snapshot before Wine has finished starting it; let them all settle, so
    // that their start-up does not compete with what is timed.
    Sleep(300 + 10 * count);
    return true;
}

bool AllGone() {
    return WaitFor([] { return CountVictims() == 0; });
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "process_bench: %s\n", what);
    std::exit(1);
}

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

    norvanex::Processes().CheckPlatform();
    // The run-time bindings are made once per program; make them before anything is timed.
    norvanex::Processes().EndProcessesByName("no-such-program.exe");
    if (CountVictims() != 0) Fail("victims of an earlier run are still there");

    std::string table =
        "| N | EndProcessesByName | floor | ratio | taskkill /F /IM (whole process) | ratio |\n"
        "|---:|---:|---:|---:|---:|---:|\n";
    for (const int count : kCounts) {
        std::vector<double> ours, floor, taskkill;
        for (int run = 0; run < runs; ++run) {
            if (!StartVictims(victim, count)) Fail("victims did not start");
            std::vector<std::uint32_t> ended;
            double start = NowMs();
            norvanex::Processes().EndProcessesByName(kVictimName, &ended);
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
