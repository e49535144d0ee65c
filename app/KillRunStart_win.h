// The kill run before its window: the call line, the question, the walk that ends or asks to close
// what the call line names, opening the program to start, and a start that failed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/KillRunMachine.h"

namespace norvanex {

// Parameter `index` of this process's call line (0: the executable's own path). The kill run
// reads its parameters once, all together (BeginKillRun).
std::string ParamStr(int index);

// A full path on the call line names its file in any spelling, short (8.3) names among them: it is
// looked for under its long names, made once for the question, the walk and the end of the wait.
// Any other name stands as written, and so does a path that ends in a backslash: it names no file,
// and its one spelling would.
class CallLineNames {
public:
    std::string operator()(const std::string& name);

private:
    std::map<std::string, std::string> canonical_;
};

// The desktop and the shell of a kill run on Windows: the question, the requests to close, a
// program's own question, and opening the program to start.
class SystemRunDesktop : public RunDesktop {
public:
    Answer Confirm(bool closing) override;
    bool AskToClose(std::uint32_t processId) override;
    bool ShowsQuestion(std::uint32_t processId) override;
    void BringQuestion(std::uint32_t processId) override;
    std::uint32_t Open(const std::string& path) override;

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self);
    HWND QuestionOf(std::uint32_t processId) const;
    // The first of the process's windows in the sorted list; they follow it while the id is theirs.
    std::vector<std::pair<DWORD, HWND>>::const_iterator FirstWindowOf(std::uint32_t processId) const;

    std::vector<std::pair<DWORD, HWND>> windows_;  // the windows that may be asked, by process
    bool listed_ = false;
};

// A kill run's question and walk: the endings (or the requests to close) are made before any
// window exists, so that the user waits for the processes to go and not for the result window to
// be built.
void BeginKillRun(KillRunMachine& run);

// Whether the shell may be given the path, to open it or to show its icon: no chain of shortcuts
// that loops or goes on too long, which the shell's resolver would follow until its stack runs out.
bool ShellMayTake(const std::string& path);

// Opens the program to start as the shell opens a file: 0, or the system's error code of the
// failure. An empty path opens nothing and is no failure.
std::uint32_t OpenProgramToStart(const std::string& path);

// What ends a start that failed: a message, and in a kill run its program to start opened all the
// same, once what the run ended has gone (what it asked to close closes by itself or runs on).
// `run` is null for the editor. Returns the exit code.
int StartFailed(KillRunMachine* run);

// What the program says when something unexpected went wrong (CannotGoOn).
void SayCannotGoOn();

}  // namespace norvanex
