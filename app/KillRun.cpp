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
constexpr TextPair kWaiting{"waiting for your answer", "wartet auf Ihre Antwort"};
constexpr TextPair kWaitingHint{"It asks you a question in a window of its own: answer it there. A double-click on this row brings the question to the front.",
                                "Es stellt Ihnen in einem eigenen Fenster eine Frage: Beantworten Sie sie dort. Ein Doppelklick auf diese Zeile holt die Frage nach vorn."};
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
constexpr TextPair kRestartedHint{"It closed when asked, and then a program of its name started again and runs on.",
                                  "Es hat sich auf Aufforderung geschlossen, danach ist ein Programm seines Namens neu gestartet und läuft weiter."};
constexpr TextPair kTimedOutHint{"It did not close in time and could not be ended.",
                                 "Es hat sich nicht rechtzeitig geschlossen und konnte nicht beendet werden."};
}  // namespace words

}  // namespace

ResultRow RunsOnRow(const std::string& name, RunsOn&& runsOn) {
    const Outcome outcome = runsOn.self ? Outcome::Itself : runsOn.spared ? Outcome::Spared : Outcome::Failed;
    return {name, std::move(runsOn.caption), outcome, runsOn.error, {}};
}

bool KillWalk::Closing() const {
    return std::any_of(rows.begin(), rows.end(), [](const ResultRow& row) { return AskedAndWaited(row.outcome); });
}

KillWalk WalkKillRun(const ParamFn& param, const FindFn& findProcess, const std::function<Answer(bool closing)>& confirm,
                     const EndFn& endProcesses, const AskToClose& ask, const std::function<uint32_t()>& nowMs,
                     const SurvivesFn& survives) {
    KillWalk walk;
    const int closeMarker = CloseMarkerIndex(param);
    if (closeMarker != 0) walk.closeSeconds = CloseMarkerSeconds(param(closeMarker));
    if (NeedsConfirmation(param, findProcess, survives)) {
        const Answer answer = confirm(walk.closeSeconds != 0);
        walk.refused = answer == Answer::No;
        walk.couldNotAsk = answer == Answer::CouldNotAsk;
        if (answer != Answer::Yes) return walk;
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
            walk.names.push_back(name);
            EndReport report = endProcesses(name, walk.closeSeconds != 0 ? ask : AskToClose{}, walk.seenIds);
            walk.endedIds.insert(walk.endedIds.end(), report.endedIds.begin(), report.endedIds.end());
            walk.seenIds.insert(walk.seenIds.end(), report.matchedIds.begin(), report.matchedIds.end());
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

OutcomeWords WordsOf(Outcome outcome, std::uint32_t error) {
    switch (outcome) {
        case Outcome::Closing: return {words::kClosing, words::kClosingHint};
        case Outcome::Waiting: return {words::kWaiting, words::kWaitingHint};
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

int KillRunExitCode(const KillWalk& walk, bool startFailed) {
    if (walk.couldNotAsk) return exit_code::kCouldNotStart;
    if (walk.refused) return exit_code::kRefused;
    int code = startFailed ? exit_code::kNotStarted : 0;
    for (const ResultRow& row : walk.rows) {
        // This program itself goes as the run ends.
        if ((StillRuns(row.outcome) && row.outcome != Outcome::Itself) || AskedAndWaited(row.outcome)) {
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
