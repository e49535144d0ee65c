// The kill run's rules that need no window: who is asked, how the call line is walked, and when the
// program to start may be opened.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/CallLine.h"

namespace norvanex {

using FindFn = std::function<std::string(const std::string&)>;

// True when parameter 1 is "~ask~" and a program that the call line names runs: every parameter
// but "r:" ones, the close marker (and empty ones) is looked up, "~ask~" itself included, up to
// the first hit.
bool NeedsConfirmation(const ParamFn& param, const FindFn& findProcess, const SurvivesFn& survives = {});

// Ends what the name names; returns the caption of what was ended (empty: nothing) and puts the
// caption of a matching process that could not be ended into `stillRunning` (empty: none).
using EndFn = std::function<std::string(const std::string& name, std::vector<uint32_t>* endedIds,
                                        std::string* stillRunning)>;

// What a kill run's walk did: the result window is built from it.
struct KillWalk {
    bool refused = false;              // asked, and answered with anything but Yes: nothing was done
    std::vector<std::string> results;  // one caption per name that ended something, in call-line order
    std::vector<std::string> stillRunning;  // one caption per name found but not ended, in that order
    bool startNamed = false;           // an "r:" parameter was met (its path may be empty)
    std::string programToStart;        // the path of the last one
    uint32_t startNamedAtMs = 0;       // when the first one was met: the start timer counts from there
    std::vector<uint32_t> endedIds;    // every process that this run ended

    // Nothing to show and nothing to start: the run ends without a window. A named program that
    // runs on (spared, or refused) is shown like one that was ended, alone or not.
    bool LeavesNothing() const { return refused || (results.empty() && stillRunning.empty() && !startNamed); }
};

// The kill run up to its result: asks first when the call line wants it (`confirm` answers true
// for Yes), then ends what every name names and notes the program to start.
KillWalk WalkKillRun(const ParamFn& param, const FindFn& findProcess, const std::function<bool()>& confirm,
                     const EndFn& endProcesses, const std::function<uint32_t()>& nowMs,
                     const SurvivesFn& survives = {});

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
