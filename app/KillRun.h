// The kill run's rules that need no window: who is asked, how the call line is walked, and when the
// program to start may be opened.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/CallLine.h"
#include "process/ProcessAccess.h"

namespace norvanex {

using FindFn = std::function<std::string(const std::string&)>;

// True when parameter 1 is "~ask~" and a program that the call line names runs: every parameter
// but "r:" ones, the close marker (and empty ones) is looked up, "~ask~" itself included, up to
// the first hit.
bool NeedsConfirmation(const ParamFn& param, const FindFn& findProcess, const SurvivesFn& survives = {});

// Ends what the name names, or, with `ask`, asks it to close first, passing over the processes
// in `skip` (EndProcessesByName).
using EndFn = std::function<EndReport(const std::string& name, const AskToClose& ask, const ProcessIds& skip)>;

// The user's answer to the question, or that the question could not be put.
enum class Answer : std::uint8_t { Yes, No, CouldNotAsk };

// What became of one named program, as its row in the result window says it.
enum class Outcome : std::uint8_t {
    Closing,   // asked to close; the wait runs
    Waiting,   // asked to close, it asks its user a question of its own; the wait runs
    Closed,    // went by itself after it was asked
    Ended,
    Itself,    // runs on: it is this program (spared, and gone with it)
    Spared,    // runs on: a part of Windows
    Failed,    // runs on: it could not be ended (error)
    Kept,      // runs on: the user kept it running
    TimedOut,  // runs on: it did not close in time and could not be ended (error)
    Restarted, // runs on: it closed, and a process of its name runs again
};
constexpr bool StillRuns(Outcome outcome) { return outcome >= Outcome::Itself; }
constexpr bool AskedAndWaited(Outcome outcome) { return outcome == Outcome::Closing || outcome == Outcome::Waiting; }

struct ResultRow {
    std::string name;  // as the call line names it
    std::string caption;
    Outcome outcome = Outcome::Ended;
    std::uint32_t error = 0;          // the system's error code behind Failed and TimedOut
    std::vector<AskedProcess> asked;  // while Closing or Waiting: the processes asked to close
};

// What a kill run's walk did: the result window is built from it.
struct KillWalk {
    bool refused = false;        // asked, and answered with anything but Yes: nothing was done
    bool couldNotAsk = false;    // the question could not be put: nothing was done
    int closeSeconds = 0;        // the wait of a run that asks its programs to close first; 0: none
    // One row per name that ended or asked something, in call-line order, then one per name found
    // running on, in that order.
    std::vector<ResultRow> rows;
    bool startNamed = false;     // an "r:" parameter was met (its path may be empty)
    std::string programToStart;  // the path of the last one
    uint32_t startNamedAtMs = 0; // when the first one was met: the start timer counts from there
    std::vector<uint32_t> endedIds;  // every process that this run ended
    ProcessIds seenIds;              // every process a name matched: none is met twice
    std::vector<std::string> names;  // the program names, in call-line order

    // Nothing to show and nothing to start: the run ends without a window. A named program that
    // runs on (spared, or refused) is shown like one that was ended, alone or not.
    bool LeavesNothing() const { return refused || couldNotAsk || (rows.empty() && !startNamed); }
    bool Closing() const;  // a row waits for its programs to close
};

// The kill run up to its result: asks first when the call line wants it (`confirm` is told
// whether the run asks its programs to close), then ends (or asks to close) what every name names
// and notes the program to start. A process is met once: a second name that matches it passes it
// over, so that it has one row.
KillWalk WalkKillRun(const ParamFn& param, const FindFn& findProcess, const std::function<Answer(bool closing)>& confirm,
                     const EndFn& endProcesses, const AskToClose& ask, const std::function<uint32_t()>& nowMs,
                     const SurvivesFn& survives = {});

// The row of what runs on, with its reason.
ResultRow RunsOnRow(const std::string& name, RunsOn&& runsOn);

// What a row says of its program: its state beside the caption, and its hint, which the system's
// message for the row's error follows.
struct OutcomeWords {
    const TextPair& state;
    const TextPair& hint;
};
OutcomeWords WordsOf(Outcome outcome, std::uint32_t error);

// The exit code of a kill run, as bits: 1 the question was answered No, 2 a named program runs on,
// 4 the program to start could not be opened, 8 Norvanex could not start. 0: all is done.
namespace exit_code {
constexpr int kRefused = 1;
constexpr int kStillRunning = 2;
constexpr int kNotStarted = 4;
constexpr int kCouldNotStart = 8;
}  // namespace exit_code
int KillRunExitCode(const KillWalk& walk, bool startFailed);

// The program to start opens a second after the first "r:" parameter (Timer4), and a second after
// the last program asked to close has gone.
constexpr uint32_t kStartDelayMs = 1000;

// Holds the program to start back until the processes that this run ended have left the process
// list, so that a program ended and started again in one run does not hand its start to its own
// dying instance. Gives up waiting after kMaxWaitMs.
class StartGate {
public:
    static constexpr uint32_t kMaxWaitMs = 5000;
    static constexpr uint32_t kPollMs = 100;

    void AddEnded(const std::vector<uint32_t>& ids) { ended_.insert(ended_.end(), ids.begin(), ids.end()); }

    // Asked at each tick with the current tick count (milliseconds, may wrap) and a question that
    // takes one fresh snapshot. The first call starts the clock.
    bool MayOpen(uint32_t nowMs, const std::function<bool(const std::vector<uint32_t>&)>& anyRunning);

private:
    std::vector<uint32_t> ended_;
    bool started_ = false;
    uint32_t firstAskMs_ = 0;
};

}  // namespace norvanex
