// The kill run as one state machine: the question and the walk, the wait while programs are asked
// to close, the result, the start of the program to start, and the end. Every way in or out (a
// tick, a button, a key, the close box, a double-click) is one event; the window forwards them
// and shows what each returns. It keeps deadlines, not timers, and the process ids it has met.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/KillRun.h"
#include "process/ProcessAccess.h"

namespace norvanex {

// What the run needs of the desktop and the shell (KillRunStart_win.cpp; scripted in the tests).
class RunDesktop {
public:
    virtual ~RunDesktop() = default;
    // The question before anything is ended; told whether the programs will be asked to close.
    virtual Answer Confirm(bool closing) = 0;
    // Asks the process's windows to close; false when it has none to ask.
    virtual bool AskToClose(std::uint32_t processId) = 0;
    // Whether a program that was asked shows a question of its own (a box in front of its
    // disabled window), and bringing that question to the front with the keyboard.
    virtual bool ShowsQuestion(std::uint32_t processId) = 0;
    virtual void BringQuestion(std::uint32_t processId) = 0;
    // Opens the program to start: 0, or the system's error code.
    virtual std::uint32_t Open(const std::string& path) = 0;
};

enum class RunEvent : std::uint8_t {
    Tick,         // the clock moved: who has gone, the end of the wait, the start, the 30-second close
    EndNow,       // End now, by button or letter
    KeepRunning,  // Keep running, by button or letter
    Escape,
    CloseBox,     // the close box, Alt+F4
    Ok,
    DoubleClick,  // on the list, on a row or on none
    Hold,         // a key pressed in the window, a click into the list: kept as a double-click keeps it
};

// What the window shows after an event.
struct RunEffects {
    bool rows = false;        // the rows changed
    bool result = false;      // the wait is over: the window becomes the result window
    bool countdown = false;   // the seconds left of the wait changed
    bool startLine = false;   // the program to start could not be opened: its line says so
    bool hide = false;        // dismissed while the program to start waits: the window goes
    bool properties = false;  // a double-click for the row's properties sheet
    bool finish = false;      // the program ends, with ExitCode()
};

class KillRunMachine {
public:
    // Walk: the question and the walk, before any window. Starting: the window has gone (or never
    // came), the program to start waits for its moment.
    enum class Phase : std::uint8_t { Walk, Closing, Result, Starting, Done };

    static constexpr std::uint32_t kPollMs = 100;      // who has gone, while programs are asked
    static constexpr std::uint32_t kResultMs = 30000;  // the result window closes by itself
    static constexpr std::uint32_t kNever = UINT32_MAX;

    // `canonical` gives the name as processes are compared with it (the call line's full paths
    // in their one spelling).
    KillRunMachine(ProcessAccess& processes, RunDesktop& desktop, std::function<std::string(const std::string&)> canonical);

    // The question and the walk, before any window; `clock` gives the tick count (ms, may wrap).
    void Begin(const ParamFn& param, const SurvivesFn& survives, const std::function<std::uint32_t()>& clock);
    // The window appeared: the result's close counts from now.
    void Shown(std::uint32_t nowMs);
    // `row`: the row a double-click hit, -1 for none.
    RunEffects Handle(RunEvent event, std::uint32_t nowMs, int row = -1);

    Phase phase() const { return phase_; }
    const KillWalk& Walk() const { return walk_; }
    bool ShowsWindow() const { return !desktopless_ && !walk_.rows.empty(); }
    bool CouldNotAsk() const { return walk_.couldNotAsk; }
    bool StartFailed() const { return startError_ != 0; }
    std::uint32_t StartError() const { return startError_; }
    int SecondsLeft(std::uint32_t nowMs) const;
    // How long until the next event is due, kNever for none.
    std::uint32_t WakeInMs(std::uint32_t nowMs) const;
    int ExitCode() const { return KillRunExitCode(walk_, StartFailed()); }

private:
    void Poll(RunEffects& effects);
    void EndWait(std::uint32_t nowMs, bool kept, RunEffects& effects);
    void Sweep(bool end);
    void Dismiss(std::uint32_t nowMs, RunEffects& effects);
    void TryStart(std::uint32_t nowMs, RunEffects& effects);
    void Finish(RunEffects& effects);
    void SortRows();
    ResultRow* RowOf(const std::string& name, bool stillRuns);
    const NamedProgram& ProgramOf(const std::string& name);
    RunEffects OnClosing(RunEvent event, std::uint32_t nowMs, int row);
    RunEffects OnResult(RunEvent event, std::uint32_t nowMs);

    ProcessAccess& processes_;
    RunDesktop& desktop_;
    std::function<std::string(const std::string&)> canonical_;
    // Each name of the call line as the program it names, made at its first use and kept for the
    // run: its canonical spelling and its file's identity are read once, for the question, the
    // walk and the end of the wait.
    std::map<std::string, NamedProgram> programs_;
    KillWalk walk_;
    Phase phase_ = Phase::Walk;
    bool desktopless_ = false;        // started in the services' session (SessionScope::Services)
    std::uint32_t waitEndsAtMs_ = 0;
    int secondsShown_ = -1;
    bool held_ = false;               // a double-click or a key: the result never closes by itself
    bool closeArmed_ = false;
    std::uint32_t closesAtMs_ = 0;
    bool startPending_ = false;
    std::uint32_t startDueAtMs_ = 0;
    std::uint32_t startError_ = 0;
    StartGate gate_;
    ProcessIds questionsBrought_;     // each program's question comes to the front once by itself
};

}  // namespace norvanex
