// The floor of the process-ending benchmark: one snapshot, then open and terminate every process
// whose executable is the given name, nothing else. Writes its own elapsed microseconds (from
// before the snapshot to after the last handle is closed) to the file given second.
//   bench_floor.exe NAME OUTPUT-FILE
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const HANDLE warmUp = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    for (BOOL ok = Process32First(warmUp, &entry); ok; ok = Process32Next(warmUp, &entry)) {
    }
    CloseHandle(warmUp);

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);

    int ended = 0;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, argv[1]) != 0) continue;
        if (const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
            if (TerminateProcess(process, 0)) ++ended;
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);

    QueryPerformanceCounter(&end);
    const double micros = 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                          static_cast<double>(frequency.QuadPart);
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 1;
    std::fprintf(out, "%.0f %d\n", micros, ended);
    std::fclose(out);
    return 0;
}
