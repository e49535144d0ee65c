// The kill run's window-free rules.
#include "app/KillRun.h"

#include <algorithm>

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

namespace {

namespace words {
constexpr TextPair kNone{"", ""};
constexpr TextPair kClosing{"asked to close", "zum Schließen aufgefordert"};
constexpr TextPair kClosingHint{"Asked to close. It may ask you whether to save your work.",
                                "Zum Schließen aufgefordert. Es fragt Sie vielleicht, ob Ihre Arbeit gespeichert werden soll."};
constexpr TextPair kClosed{"closed", "geschlossen"};
constexpr TextPair kClosedHint{"It closed itself when asked.", "Es hat sich auf Aufforderung selbst geschlossen."};
constexpr TextPair kEnded{"ended", "beendet"};
constexpr TextPair kItself{"still running: Norvanex itself", "läuft noch: Norvanex selbst"};
constexpr TextPair kItselfHint{"Norvanex does not end itself; it ends with this window.",
                               "Norvanex beendet sich nicht selbst; es endet mit diesem Fenster."};
constexpr TextPair kSpared{"still running: part of Windows", "läuft noch: Teil von Windows"};
constexpr TextPair kSparedHint{"A part of Windows: ending it would stop Windows or end your session.",
                               "Ein Teil von Windows: Es zu beenden hielte Windows an oder beendete Ihre Sitzung."};
constexpr TextPair kDenied{"still running: access denied", "läuft noch: Zugriff verweigert"};
constexpr TextPair kDeniedHint{"It runs with higher rights or as another user.",
                               "Es läuft mit höheren Rechten oder unter einem anderen Benutzer."};
constexpr TextPair kFailed{"still running: not ended", "läuft noch: nicht beendet"};
constexpr TextPair kFailedHint{"It could not be ended.", "Es konnte nicht beendet werden."};
constexpr TextPair kKept{"still running: kept", "läuft noch: weiterlaufen lassen"};
constexpr TextPair kKeptHint{"You chose to keep it running.", "Sie haben es weiterlaufen lassen."};
constexpr TextPair kTimedOut{"still running: did not close", "läuft noch: nicht geschlossen"};
constexpr TextPair kRestarted{"still running: started again", "läuft noch: neu gestartet"};
constexpr TextPair kRestartedHint{"It closed when asked, and then a program of its name started again.",
                                  "Es hat sich auf Aufforderung geschlossen, danach ist ein Programm seines Namens neu gestartet."};
constexpr TextPair kTimedOutHint{"It did not close in time and could not be ended.",
                                 "Es hat sich nicht rechtzeitig geschlossen und konnte nicht beendet werden."};
}  // namespace words

// The row of what runs on, with its reason.
ResultRow RunsOnRow(const std::string& name, RunsOn&& runsOn) {
    const Outcome outcome = runsOn.self ? Outcome::Itself : runsOn.spared ? Outcome::Spared : Outcome::Failed;
    return {name, std::move(runsOn.caption), outcome, runsOn.error, {}};
}

}  // namespace

bool KillWalk::Closing() const {
    return std::any_of(rows.begin(), rows.end(), [](const ResultRow& row) { return row.outcome == Outcome::Closing; });
}

KillWalk WalkKillRun(const ParamFn& param, const FindFn& findProcess, const std::function<bool(bool closing)>& confirm,
                     const EndFn& endProcesses, const AskToClose& ask, const std::function<uint32_t()>& nowMs,
                     const SurvivesFn& survives) {
    KillWalk walk;
    const int closeMarker = CloseMarkerIndex(param);
    if (closeMarker != 0) walk.closeSeconds = CloseMarkerSeconds(param(closeMarker));
    if (NeedsConfirmation(param, findProcess, survives) && !confirm(walk.closeSeconds != 0)) {
        walk.refused = true;
        return walk;
    }
    std::vector<ResultRow> runsOn;
    WalkCallLine(
        param,
        [&](const std::string& path) {
            if (!walk.startNamed) walk.startNamedAtMs = nowMs();
            walk.startNamed = true;
            walk.programToStart = path;
        },
        [&](const std::string& name) {
            EndReport report = endProcesses(name, walk.closeSeconds != 0 ? ask : AskToClose{});
            walk.endedIds.insert(walk.endedIds.end(), report.endedIds.begin(), report.endedIds.end());
            // A program of which some copies were asked and others ended at once is one that closes.
            if (!report.asked.empty()) {
                walk.rows.push_back({name, std::move(report.askedCaption), Outcome::Closing, 0, std::move(report.asked)});
            } else if (!report.ended.empty()) {
                walk.rows.push_back({name, std::move(report.ended), Outcome::Ended, 0, {}});
            }
            // This program itself is named by its own path, which the snapshot may not hold.
            if (report.runsOn.self) report.runsOn.caption = param(0);
            if (!report.runsOn.caption.empty()) runsOn.push_back(RunsOnRow(name, std::move(report.runsOn)));
        },
        survives);
    for (ResultRow& row : runsOn) walk.rows.push_back(std::move(row));
    return walk;
}

bool PollClosing(KillWalk& walk, const std::function<bool(const AskedProcess&)>& ended) {
    bool changed = false;
    for (ResultRow& row : walk.rows) {
        if (row.outcome != Outcome::Closing || !std::all_of(row.asked.begin(), row.asked.end(), ended)) continue;
        row.outcome = Outcome::Closed;
        row.asked.clear();
        changed = true;
    }
    return changed;
}

void EndClosing(KillWalk& walk, const std::function<std::uint32_t(AskedProcess&)>& end) {
    for (ResultRow& row : walk.rows) {
        if (row.outcome != Outcome::Closing) continue;
        row.outcome = Outcome::Ended;
        for (AskedProcess& process : row.asked) {
            const std::uint32_t error = end(process);
            if (error == 0) {
                walk.endedIds.push_back(process.id);
            } else {
                row.outcome = Outcome::TimedOut;
                row.error = error;
            }
        }
        row.asked.clear();
    }
}

void KeepClosing(KillWalk& walk, const std::function<bool(const AskedProcess&)>& ended) {
    PollClosing(walk, ended);
    for (ResultRow& row : walk.rows) {
        if (row.outcome != Outcome::Closing) continue;
        row.outcome = Outcome::Kept;
        row.asked.clear();
    }
}

OutcomeWords WordsOf(Outcome outcome, std::uint32_t error) {
    switch (outcome) {
        case Outcome::Closing: return {words::kClosing, words::kClosingHint};
        case Outcome::Closed: return {words::kClosed, words::kClosedHint};
        case Outcome::Ended: return {words::kEnded, words::kNone};
        case Outcome::Itself: return {words::kItself, words::kItselfHint};
        case Outcome::Spared: return {words::kSpared, words::kSparedHint};
        case Outcome::Failed:
            if (error == kErrorAccessDenied) return {words::kDenied, words::kDeniedHint};
            return {words::kFailed, words::kFailedHint};
        case Outcome::Kept: return {words::kKept, words::kKeptHint};
        case Outcome::TimedOut: return {words::kTimedOut, words::kTimedOutHint};
        case Outcome::Restarted: return {words::kRestarted, words::kRestartedHint};
    }
    return {words::kNone, words::kNone};
}

void CheckClosedAgain(KillWalk& walk, const std::function<bool(const std::string& name)>& runs) {
    for (ResultRow& row : walk.rows) {
        if (row.outcome == Outcome::Closed && runs(row.name)) row.outcome = Outcome::Restarted;
    }
}

int KillRunExitCode(const KillWalk& walk, bool startFailed) {
    if (walk.refused) return exit_code::kRefused;
    int code = startFailed ? exit_code::kNotStarted : 0;
    for (const ResultRow& row : walk.rows) {
        // This program itself goes as the run ends.
        if ((StillRuns(row.outcome) && row.outcome != Outcome::Itself) || row.outcome == Outcome::Closing) {
            code |= exit_code::kStillRunning;
        }
    }
    return code;
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
