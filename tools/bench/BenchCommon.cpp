// The benchmarks' shared helpers.
#include "BenchCommon.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "process/ProcessAccess.h"

namespace bench {

namespace {
constexpr DWORD kWaitMs = 30000;

BOOL CALLBACK CountVictimWindow(HWND window, LPARAM counter) {
    char name[64] = {};
    if (IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) &&
        lstrcmpA(name, kVictimWindowClass) == 0) {
        ++*reinterpret_cast<int*>(counter);
    }
    return TRUE;
}

// The visible windows that victims show.
int CountVictimWindows() {
    int count = 0;
    EnumWindows(CountVictimWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

HANDLE StartVictim(const std::string& exe, const char* parameters) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\"" + parameters;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    return info.hProcess;
}

// A victim shows in the snapshot before Wine has finished starting it; let them all settle, so
// that their start-up does not compete with what is timed.
void Settle(int count) { Sleep(300 + 10 * count); }
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
        const HANDLE process = StartVictim(exe, "");
        if (process == nullptr) return false;
        CloseHandle(process);
    }
    if (!WaitFor([&] { return CountVictims() == count; })) return false;
    Settle(count);
    return true;
}

bool StartWindowedVictims(const std::string& exe, int count, std::vector<HANDLE>& processes) {
    for (int i = 0; i < count; ++i) {
        const HANDLE process = StartVictim(exe, " window");
        if (process == nullptr) return false;
        processes.push_back(process);
    }
    // A victim without its window yet would be ended at once, not asked to close.
    if (!WaitFor([&] { return CountVictims() == count && CountVictimWindows() == count; })) return false;
    Settle(count);
    return true;
}

bool AllClosed(std::vector<HANDLE>& processes) {
    bool closed = true;
    for (const HANDLE process : processes) {
        DWORD code = 0;
        WaitForSingleObject(process, kWaitMs);
        if (!GetExitCodeProcess(process, &code) || code != kClosedExitCode) closed = false;
        CloseHandle(process);
    }
    processes.clear();
    return closed;
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
