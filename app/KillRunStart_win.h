// The kill run before its window: the call line, the question, the walk that ends or asks to close
// what the call line names, opening the program to start, and a start that failed.
#pragma once

#include <cstdint>
#include <string>

#include "app/KillRun.h"

namespace norvanex {

// Parameter `index` of this process's call line (0: the executable's own path). The kill run
// reads its parameters once, all together (RunKillWalk).
std::string ParamStr(int index);

// A kill run's walk: the confirmation and the endings (or the requests to close), made before any
// window exists, so that the user waits for the processes to go and not for the result window to
// be built.
KillWalk RunKillWalk();

// Whether the shell may be given the path, to open it or to show its icon: no chain of shortcuts
// that loops or goes on too long, which the shell's resolver would follow until its stack runs out.
bool ShellMayTake(const std::string& path);

// Opens the program to start as the shell opens a file: 0, or the system's error code of the
// failure. An empty path opens nothing and is no failure.
std::uint32_t OpenProgramToStart(const std::string& path);

// Whether a program of the name, as the call line names it, runs (and would be ended).
bool NamedProgramRuns(const std::string& name);

// Whether the program to start may open now: what the run ended has gone, by one fresh snapshot,
// or the gate has waited long enough.
bool MayOpenNow(StartGate& gate);

// What ends a start that failed: a message, and in a kill run its program to start opened all the
// same, once what the run ended has gone (what it asked to close closes by itself or runs on).
// `walk` is null for the editor. Returns the exit code.
int StartFailed(KillWalk* walk);

// What the program says when something unexpected went wrong (CannotGoOn).
void SayCannotGoOn();

}  // namespace norvanex
