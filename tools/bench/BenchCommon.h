// What the benchmarks share: victims of one name started and counted, with or without a window,
// quiet child processes, a clock and a median.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bench {

// The name every benchmark's victims run under.
constexpr char kVictimName[] = "benchvictim.exe";
constexpr int kCounts[] = {1, 20, 100};
// A windowed victim ("bench_victim.exe window") shows one window of this class and exits with
// kClosedExitCode when it closes on WM_CLOSE; ended, it exits with what ended it.
constexpr char kVictimWindowClass[] = "BenchVictimWindow";
constexpr int kClosedExitCode = 42;

std::string Folder();  // of this program, without the trailing backslash
double NowMs();
int CountVictims();
// Polls cond every stepMs until it holds (true) or 30 seconds passed (false).
bool WaitFor(const std::function<bool()>& cond, DWORD stepMs = 5);
// Starts count victims from exe and waits until they have settled.
bool StartVictims(const std::string& exe, int count);
// Starts count windowed victims from exe and waits until each shows its window and they have
// settled; their process handles go to `processes` (closed by AllClosed).
bool StartWindowedVictims(const std::string& exe, int count, std::vector<HANDLE>& processes);
// Whether every one of these victims closed by itself rather than being ended; closes the handles.
bool AllClosed(std::vector<HANDLE>& processes);
bool AllGone();
// Starts a command line with its output thrown away; the process handle, or null.
HANDLE StartQuiet(std::string commandLine);
// Runs a command line to its end with its output thrown away; false when it could not be started.
bool RunToEnd(const std::string& commandLine);
double Median(std::vector<double> values);
[[noreturn]] void Fail(const char* program, const char* what);

}  // namespace bench
