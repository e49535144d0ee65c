// The benchmarks' shared helpers.
#include "BenchCommon.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "process/ProcessAccess.h"

namespace bench {

namespace {
constexpr DWORD kWaitMs = 30000;
}  // namespace

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

bool WaitFor(const std::function<bool()>& cond, DWORD stepMs) {
    const DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > kWaitMs) return false;
        Sleep(stepMs);
    }
    return true;
}

HANDLE StartQuiet(std::string commandLine) {
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
    CloseHandle(nul);
    if (!started) return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

bool RunToEnd(const std::string& commandLine) {
    const HANDLE process = StartQuiet(commandLine);
    if (process == nullptr) return false;
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
    return true;
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

void Fail(const char* program, const char* what) {
    std::fprintf(stderr, "%s: %s\n", program, what);
    std::exit(1);
}

}  // namespace bench
