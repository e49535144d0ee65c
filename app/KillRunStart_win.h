// The kill run before its window: the call line, the question, the walk that ends or asks to close
// what the call line names, opening the program to start, and a start that failed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CallLine.h"
#include "app/KillRunMachine.h"

namespace norvanex {

// This process's call line, split at the first call and kept: parameter 0 is the own path of the
// system's facts, and each parameter is marked where the code page did not keep the text the user
// wrote. WinMain splits it before any window and decides the mode from it.
const CallParams& ThisCallLine();

// Parameter `index` of this process's call line (ThisCallLine); "" past the last one.
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

    // Whether the shell may be given the program to start (ShellMayTake). Its chain of shortcuts
    // is followed through COM at the first question and the answer kept for the run: the shell's
    // warm-up, the result window's icon and the open all take this one answer.
    bool ShellMayTakeProgram(const std::string& path);

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self);
    HWND QuestionOf(std::uint32_t processId) const;
    // The first of the process's windows in the sorted list; they follow it while the id is theirs.
    std::vector<std::pair<DWORD, HWND>>::const_iterator FirstWindowOf(std::uint32_t processId) const;

    std::vector<std::pair<DWORD, HWND>> windows_;  // the windows that may be asked, by process
    bool listed_ = false;
    std::optional<std::pair<std::string, bool>> programVerdict_;  // the path asked for, and the answer
};

// A kill run's question and walk: the endings (or the requests to close) are made before any
// window exists, so that the user waits for the processes to go and not for the result window to
// be built.
void BeginKillRun(KillRunMachine& run, const CallParams& params);

// Whether the shell may be given the path, to open it or to show its icon: no chain of shortcuts
// that loops or goes on too long, which the shell's resolver would follow until its stack runs out.
bool ShellMayTake(const std::string& path);

// Opens the program to start as the shell opens a file: 0, or the system's error code of the
// failure. An empty path opens nothing and is no failure. `shellMayTake`: the path's ShellMayTake.
std::uint32_t OpenProgramToStart(const std::string& path, bool shellMayTake);

// What ends a start that failed: a message, and in a kill run its program to start opened all the
// same, once what the run ended has gone (what it asked to close closes by itself or runs on).
// `run` is null for the editor. Returns the exit code.
int StartFailed(KillRunMachine* run);

// What the program says when something unexpected went wrong (CannotGoOn).
void SayCannotGoOn();

}  // namespace norvanex
