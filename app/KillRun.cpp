// The kill run's window-free rules.
#include "app/KillRun.h"

namespace norvanex {

bool NeedsConfirmation(const ParamFn& param, const FindFn& findProcess, const SurvivesFn& survives) {
    if (param(1) != kAskWord) return false;
    const int marker = CloseMarkerIndex(param);
    for (int i = 1; i <= kMaxParams; ++i) {
        const std::string p = param(i);
        if (p.empty() || i == marker || IsStartParam(p) || (survives && !survives(i))) continue;
        if (!findProcess(p).empty()) return true;
    }
    return false;
}

KillWalk WalkKillRun(const ParamFn& param, const FindFn& findProcess, const std::function<bool()>& confirm,
                     const EndFn& endProcesses, const std::function<uint32_t()>& nowMs,
                     const SurvivesFn& survives) {
    KillWalk walk;
    if (NeedsConfirmation(param, findProcess, survives) && !confirm()) {
        walk.refused = true;
        return walk;
    }
    WalkCallLine(
        param,
        [&](const std::string& path) {
            if (!walk.startNamed) walk.startNamedAtMs = nowMs();
            walk.startNamed = true;
            walk.programToStart = path;
        },
        [&](const std::string& name) {
            std::vector<uint32_t> ended;
            std::string runsOn;
            std::string caption = endProcesses(name, &ended, &runsOn);
            walk.endedIds.insert(walk.endedIds.end(), ended.begin(), ended.end());
            if (!caption.empty()) walk.results.push_back(std::move(caption));
            if (!runsOn.empty()) walk.stillRunning.push_back(std::move(runsOn));
        },
        survives);
    return walk;
}

bool StartGate::MayOpen(uint32_t nowMs, const std::function<bool(const std::vector<uint32_t>&)>& anyRunning) {
    if (!started_) {
        started_ = true;
        firstAskMs_ = nowMs;
    }
    if (ended_.empty() || !anyRunning(ended_)) return true;
    return nowMs - firstAskMs_ >= kMaxWaitMs;  // unsigned: right across a wrap of the tick count
}

}  // namespace norvanex
