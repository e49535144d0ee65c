// The kill run's phases and what each event does in each of them.
#include "app/KillRunMachine.h"

#include <algorithm>
#include <utility>

namespace norvanex {

namespace {

void Append(ProcessIds& to, const ProcessIds& ids) { to.insert(to.end(), ids.begin(), ids.end()); }

// Whether the tick count has reached `deadline` (both may wrap).
bool Reached(std::uint32_t nowMs, std::uint32_t deadline) { return static_cast<std::int32_t>(nowMs - deadline) >= 0; }

}  // namespace

KillRunMachine::KillRunMachine(ProcessAccess& processes, RunDesktop& desktop,
                               std::function<std::string(const std::string&)> canonical)
    : processes_(processes), desktop_(desktop), canonical_(std::move(canonical)) {}

void KillRunMachine::Begin(const ParamFn& param, const SurvivesFn& survives, const std::function<std::uint32_t()>& clock) {
    // Started in the services' session, the run has no desktop: no window to show, none to ask to
    // close, and nobody to answer a question. Its programs are ended at once, and it reports by its
    // exit code alone. A question that nobody can answer is not answered Yes: what "~ask~" guards
    // (other users' programs too, from there) is left as it was, and the exit code says so.
    desktopless_ = processes_.Sessions() == SessionScope::Services;
    AskToClose askToClose;
    if (!desktopless_) askToClose = [this](std::uint32_t processId) { return desktop_.AskToClose(processId); };
    walk_ = WalkKillRun(
        param,
        [this](const std::string& name) { return processes_.FindProcessByName(ProgramOf(name)); },
        [this](bool closing) { return desktopless_ ? Answer::No : desktop_.Confirm(closing); },
        [this](const std::string& name, const AskToClose& ask, const ProcessIds& skip) {
            return processes_.EndProcessesByName(ProgramOf(name), ask, skip);
        },
        askToClose, clock, survives);
    SortRows();
    if (walk_.LeavesNothing()) {
        phase_ = Phase::Done;
        return;
    }
    startPending_ = walk_.startNamed;
    startDueAtMs_ = walk_.startNamedAtMs + kStartDelayMs;
    gate_.AddEnded(walk_.endedIds);
    if (walk_.rows.empty() || desktopless_) {
        phase_ = startPending_ ? Phase::Starting : Phase::Done;
    } else if (walk_.Closing()) {
        phase_ = Phase::Closing;
        waitEndsAtMs_ = clock() + static_cast<std::uint32_t>(walk_.closeSeconds) * 1000u;
    } else {
        phase_ = Phase::Result;
    }
}

void KillRunMachine::Shown(std::uint32_t nowMs) {
    if (phase_ != Phase::Result || held_) return;
    closeArmed_ = true;
    closesAtMs_ = nowMs + kResultMs;
}

RunEffects KillRunMachine::Handle(RunEvent event, std::uint32_t nowMs, int row) {
    // A double-click holds the window for good, in every phase, and so does any key or click: a
    // user who works in the window by keyboard alone has no double-click.
    if (event == RunEvent::DoubleClick || event == RunEvent::Hold) {
        held_ = true;
        closeArmed_ = false;
    }
    switch (phase_) {
        case Phase::Closing: return OnClosing(event, nowMs, row);
        case Phase::Result: return OnResult(event, nowMs);
        case Phase::Starting: {
            RunEffects effects;
            if (event == RunEvent::Tick) TryStart(nowMs, effects);
            return effects;
        }
        case Phase::Walk:
        case Phase::Done: break;
    }
    return {};
}

// During the wait, every way of dismissing the window keeps what still runs: a program may be
// saving. Only End now ends at once.
RunEffects KillRunMachine::OnClosing(RunEvent event, std::uint32_t nowMs, int row) {
    RunEffects effects;
    switch (event) {
        case RunEvent::Tick:
            Poll(effects);
            if (!walk_.Closing() || Reached(nowMs, waitEndsAtMs_)) {
                EndWait(nowMs, false, effects);
            } else if (SecondsLeft(nowMs) != secondsShown_) {
                secondsShown_ = SecondsLeft(nowMs);
                effects.countdown = true;
            }
            break;
        case RunEvent::EndNow: EndWait(nowMs, false, effects); break;
        case RunEvent::KeepRunning:
        case RunEvent::Escape:
        case RunEvent::CloseBox: EndWait(nowMs, true, effects); break;
        case RunEvent::Ok:    // no OK during the wait
        case RunEvent::Hold: break;
        case RunEvent::DoubleClick: {
            // A row that waits for the user's answer brings its question forward again.
            const bool waiting = row >= 0 && static_cast<std::size_t>(row) < walk_.rows.size() &&
                                 walk_.rows[static_cast<std::size_t>(row)].outcome == Outcome::Waiting;
            if (!waiting) {
                effects.properties = true;
                break;
            }
            for (const AskedProcess& asked : walk_.rows[static_cast<std::size_t>(row)].asked) {
                if (!desktop_.ShowsQuestion(asked.id)) continue;
                desktop_.BringQuestion(asked.id);
                break;
            }
            break;
        }
    }
    return effects;
}

RunEffects KillRunMachine::OnResult(RunEvent event, std::uint32_t nowMs) {
    RunEffects effects;
    switch (event) {
        case RunEvent::Tick:
            TryStart(nowMs, effects);
            if (closeArmed_ && Reached(nowMs, closesAtMs_)) Dismiss(nowMs, effects);
            break;
        // End now pressed twice (the button reads OK after the wait) is OK.
        case RunEvent::EndNow:
        case RunEvent::Ok:
        case RunEvent::Escape:
        case RunEvent::CloseBox: Dismiss(nowMs, effects); break;
        case RunEvent::KeepRunning:  // nothing is left to keep
        case RunEvent::Hold: break;
        case RunEvent::DoubleClick: effects.properties = true; break;
    }
    return effects;
}

// Who has gone by themselves, and who asks its user: that question comes to the front once.
void KillRunMachine::Poll(RunEffects& effects) {
    for (ResultRow& row : walk_.rows) {
        if (!AskedAndWaited(row.outcome)) continue;
        bool allGone = true;
        bool asking = false;
        for (const AskedProcess& asked : row.asked) {
            if (processes_.AskedProcessEnded(asked)) continue;
            allGone = false;
            if (!desktop_.ShowsQuestion(asked.id)) continue;
            asking = true;
            if (Holds(questionsBrought_, asked.id)) continue;
            questionsBrought_.push_back(asked.id);
            desktop_.BringQuestion(asked.id);
        }
        const Outcome outcome = allGone ? Outcome::Closed : asking ? Outcome::Waiting : Outcome::Closing;
        if (allGone) row.asked.clear();
        if (outcome == row.outcome) continue;
        row.outcome = outcome;
        effects.rows = true;
    }
}

// The wait is over: what still runs of what was asked is ended (or, `kept`, left running), and
// so is every other process of a named program that the walk did not meet. The window becomes
// the result window.
void KillRunMachine::EndWait(std::uint32_t nowMs, bool kept, RunEffects& effects) {
    Poll(effects);
    for (ResultRow& row : walk_.rows) {
        if (!AskedAndWaited(row.outcome)) continue;
        row.outcome = kept ? Outcome::Kept : Outcome::Ended;
        for (AskedProcess& asked : row.asked) {
            if (kept) break;
            const std::uint32_t error = processes_.EndAskedProcess(asked);
            if (error == 0) {
                walk_.endedIds.push_back(asked.id);
                gate_.AddEnded({asked.id});
            } else {
                row.outcome = Outcome::TimedOut;
                row.error = error;
            }
        }
        row.asked.clear();
    }
    Sweep(!kept);
    SortRows();
    phase_ = Phase::Result;
    effects.result = effects.rows = true;
    if (!held_) {
        closeArmed_ = true;
        closesAtMs_ = nowMs + kResultMs;
    }
    // A second after the last program went, or at once when the user kept what runs.
    startDueAtMs_ = kept ? nowMs : nowMs + kStartDelayMs;
    TryStart(nowMs, effects);
}

// The named programs' processes that the walk did not meet: started during the wait, or started
// again after they closed. Compared by process id, never by name. With `end` they are ended;
// else (Keep running) what runs is only said.
void KillRunMachine::Sweep(bool end) {
    for (const std::string& name : walk_.names) {
        const NamedProgram& program = ProgramOf(name);
        if (!end) {
            const std::string found = processes_.FindProcessByName(program, walk_.seenIds);
            if (found.empty() || RowOf(name, true)) continue;
            ResultRow* gone = RowOf(name, false);
            if (gone && gone->outcome == Outcome::Closed) {
                gone->outcome = Outcome::Restarted;
            } else {
                walk_.rows.push_back({name, found, Outcome::Kept, 0, {}});
            }
            continue;
        }
        EndReport report = processes_.EndProcessesByName(program, {}, walk_.seenIds);
        Append(walk_.seenIds, report.matchedIds);
        Append(walk_.endedIds, report.endedIds);
        gate_.AddEnded(report.endedIds);
        if (!report.ended.empty()) {
            if (ResultRow* gone = RowOf(name, false)) {
                gone->outcome = Outcome::Ended;
            } else {
                walk_.rows.push_back({name, std::move(report.ended), Outcome::Ended, 0, {}});
            }
        }
        // This program itself is no news: the walk said so when it was all the name matched.
        if (report.runsOn.caption.empty() || report.runsOn.self || RowOf(name, true)) continue;
        ResultRow* gone = RowOf(name, false);
        if (gone && gone->outcome == Outcome::Closed) {
            gone->outcome = Outcome::Restarted;
            gone->error = report.runsOn.error;
        } else {
            walk_.rows.push_back(RunsOnRow(name, std::move(report.runsOn)));
        }
    }
}

void KillRunMachine::Dismiss(std::uint32_t nowMs, RunEffects& effects) {
    if (!startPending_) {
        Finish(effects);
        return;
    }
    // The program to start is never lost: the window goes, the start comes when it is due.
    phase_ = Phase::Starting;
    effects.hide = true;
    TryStart(nowMs, effects);
}

// The program to start opens when it is due and what the run ended has left the process list.
void KillRunMachine::TryStart(std::uint32_t nowMs, RunEffects& effects) {
    if (!startPending_ || !Reached(nowMs, startDueAtMs_)) return;
    if (!gate_.MayOpen(nowMs, [this](const std::vector<std::uint32_t>& ids) { return processes_.AnyProcessRunning(ids); })) {
        return;
    }
    startPending_ = false;
    startError_ = desktop_.Open(walk_.programToStart);
    effects.startLine = startError_ != 0;
    if (phase_ == Phase::Starting) Finish(effects);
}

void KillRunMachine::Finish(RunEffects& effects) {
    phase_ = Phase::Done;
    effects.finish = true;
}

// What has gone first, then, in their order, what runs on.
void KillRunMachine::SortRows() {
    std::stable_partition(walk_.rows.begin(), walk_.rows.end(),
                          [](const ResultRow& row) { return !StillRuns(row.outcome); });
}

const NamedProgram& KillRunMachine::ProgramOf(const std::string& name) {
    auto known = programs_.find(name);
    if (known == programs_.end()) known = programs_.emplace(name, processes_.Program(canonical_(name))).first;
    return known->second;
}

ResultRow* KillRunMachine::RowOf(const std::string& name, bool stillRuns) {
    for (ResultRow& row : walk_.rows) {
        if (row.name == name && StillRuns(row.outcome) == stillRuns) return &row;
    }
    return nullptr;
}

int KillRunMachine::SecondsLeft(std::uint32_t nowMs) const {
    if (phase_ != Phase::Closing) return 0;
    const std::int32_t left = static_cast<std::int32_t>(waitEndsAtMs_ - nowMs);
    return left <= 0 ? 0 : (left + 999) / 1000;
}

std::uint32_t KillRunMachine::WakeInMs(std::uint32_t nowMs) const {
    if (phase_ == Phase::Closing) return kPollMs;
    if (phase_ != Phase::Result && phase_ != Phase::Starting) return kNever;
    std::uint32_t wake = kNever;
    if (startPending_) {
        const std::int32_t due = static_cast<std::int32_t>(startDueAtMs_ - nowMs);
        wake = due > 0 ? static_cast<std::uint32_t>(due) : StartGate::kPollMs;
    }
    if (phase_ == Phase::Result && closeArmed_) {
        const std::int32_t close = static_cast<std::int32_t>(closesAtMs_ - nowMs);
        wake = std::min(wake, close > 0 ? static_cast<std::uint32_t>(close) : 0u);
    }
    return wake;
}

}  // namespace norvanex
