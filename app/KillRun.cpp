// The kill run's window-free rules.
#include "app/KillRun.h"

#include "app/CallLine.h"

namespace norvanex {

bool NeedsConfirmation(const ParamFn& param, const FindFn& findProcess) {
    if (param(1) != kAskWord) return false;
    for (int i = 1; i <= kMaxParams; ++i) {
        const std::string p = param(i);
        if (p.empty() || IsStartParam(p)) continue;
        if (!findProcess(p).empty()) return true;
    }
    return false;
}

void WalkCallLine(const ParamFn& param, const std::function<void(const std::string& path)>& onStart,
                  const std::function<void(const std::string& name)>& onName) {
    for (int i = 1; i <= kMaxParams; ++i) {
        const std::string p = param(i);
        if (p.empty()) return;
        if (IsStartParam(p)) {
            onStart(StartPathOf(p));
        } else {
            onName(p);
        }
    }
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
