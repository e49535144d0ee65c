// Process access over a ProcessPlatform: the platform check, the snapshot, captions, and finding
// and ending processes by program name. The performance data and the image path have files of
// their own (ProcessAccessPerfData.cpp, ProcessAccessImagePath.cpp).
#include "process/ProcessAccess.h"

#include <algorithm>
#include <exception>

#include "base/SystemTraits.h"
#include "process/FileIdentity.h"
#include "process/ProgramName.h"
#include "process/SystemProcesses.h"

namespace norvanex {
namespace {

void Remember(std::vector<std::uint32_t>* ids, std::uint32_t id) {
    if (ids && std::find(ids->begin(), ids->end(), id) == ids->end()) ids->push_back(id);
}

}  // namespace

ProcessAccess::ProcessAccess(ProcessPlatform& platform, const SystemFacts& facts)
    : platform_(platform), facts_(facts), toolHelp_(platform) {}

SessionScope ProcessAccess::Sessions() {
    if (sessionsRead_) return sessions_;
    sessionsRead_ = true;
    // The 9x line has no logon sessions.
    if (!facts_.NtLine()) return sessions_;
    const ModuleHandle kernel32 = platform_.GetModuleHandleA("kernel32.dll");
    if (kernel32 != ModuleHandle{}) processIdToSessionId_ = platform_.GetProcAddress(kernel32, "ProcessIdToSessionId");
    if (!ReadSessionId(platform_.GetCurrentProcessId(), ownSession_)) return sessions_;
    // Session 0 is the services' alone from Windows Vista on; before, the first user signs in there.
    sessions_ = ownSession_ == 0 && IsolatesSessionZero(facts_.version) ? SessionScope::Services : SessionScope::Own;
    return sessions_;
}

bool ProcessAccess::ReadSessionId(std::uint32_t processId, std::uint32_t& session) {
    return processIdToSessionId_ != ProcAddress{} &&
           platform_.ProcessIdToSessionId(processIdToSessionId_, processId, &session);
}

bool ProcessAccess::InScope(std::uint32_t processId) {
    if (Sessions() != SessionScope::Own) return true;
    // ProcessIdToSessionId opens the process to ask, and a user is refused that for another
    // user's process: the terminal services' list, which opens none, says where it runs. Where
    // neither can say, it counts as the user's own, as before Windows said, and is reported as
    // denied if ending it is refused too. A process gone since the snapshot cannot say either;
    // the open that would end it tells.
    std::uint32_t session = 0;
    if (!ReadSessionId(processId, session) && !ListedSessionId(processId, session)) return true;
    return session == ownSession_;
}

// The list is read once, and again for a process that started since.
bool ProcessAccess::ListedSessionId(std::uint32_t processId, std::uint32_t& session) {
    for (bool fresh = sessionList_.empty(); ; fresh = true) {
        if (fresh && !platform_.ListProcessSessions(sessionList_)) return false;
        const auto listed = std::find_if(sessionList_.begin(), sessionList_.end(),
                                         [processId](const ProcessSession& entry) { return entry.processId == processId; });
        if (listed != sessionList_.end()) {
            session = listed->sessionId;
            return true;
        }
        if (fresh) return false;
    }
}

void ProcessAccess::WalkSnapshot(const std::function<void(const SnapshotEntry&)>& visit) {
    // The ANSI walk hands out names that the system converted with best fit: "māil.exe" as
    // "mail.exe". The 9x line holds its names in ANSI, so there they are exact.
    if (facts_.NtLine() && toolHelp_.BindWide()) {
        SnapshotEntry visited;
        toolHelp_.WalkSnapshotWide([&](std::u16string_view name, std::uint32_t processId) {
            visited.exact = Exact(name, visited.exeFile);
            visited.wide.assign(name);
            visited.processId = processId;
            visit(visited);
        });
        return;
    }
    toolHelp_.WalkSnapshot(visit);
}

bool ProcessAccess::Exact(std::u16string_view wide, std::string& ansi) {
    return ExactAnsi(wide, ansi, [this](std::u16string_view text, char* out, int outSize, bool& usedDefault) {
        return platform_.AnsiConversion(text, out, outSize, usedDefault);
    });
}

ProcessCaption ProcessAccess::Caption(std::uint32_t id, const std::string& name, bool nameExact,
                                      std::u16string_view wide) {
    if (!nameExact) {
        // Shown as the system holds it, under its full path where that was read in UTF-16. An
        // exact path is not taken: read in ANSI, it may be a look-alike's.
        ImagePathRead path = ReadImagePath(id);
        ProcessCaption caption{{}, false, path.wide.empty() ? std::u16string(wide) : std::move(path.wide)};
        Exact(caption.wide, caption.text);
        return caption;
    }
    // A 9x snapshot names the whole path; an NT one only the file name. The trail byte 0x5C of a
    // double-byte character (the "so" of katakana in code page 932) is no backslash: taken for
    // one, the process would be listed without its path.
    if (NamePartStart(name, "\\:", facts_.leadBytes) != 0) return {name};
    // A bare file name has the generic icon and no properties sheet; the path names the same
    // program. One that does not survive the code page would name nothing: the name stays.
    std::string path = GetProcessImagePath(id);
    return {path.empty() ? name : std::move(path)};
}

ProcessNameList ProcessAccess::PerfDataListOrEmpty() {
    ProcessNameList list;
    try {
        ListProcessesFromPerfData(list);
    } catch (const MalformedPerfData&) {
        list.clear();
    }
    return list;
}

const std::string& ProcessAccess::PathOf(Match& match) {
    if (!match.pathKnown) {
        if (facts_.NtLine()) {
            ImagePathRead read = ReadImagePath(match.id);
            match.path = std::move(read.path);
            match.pathInexact = !read.exact;
        } else {
            // The 9x line has no query for another process's image (neither ntdll's debug
            // information nor QueryFullProcessImageName); its snapshot's szExeFile is the full path
            // (Wine's 9x mode gives the bare name there).
            match.path = match.exeFile;
        }
        match.pathKnown = true;
    }
    return match.path;
}

// A handle that may end the process, or none when it cannot be opened (`why` holds the system's
// error code) or must not be ended (`why` says spared).
PlatformOwned<OsHandle> ProcessAccess::OpenToEnd(Match& match, std::uint32_t extraAccess, RunsOn& why) {
    Criticality critical = Criticality::Unknown;
    PlatformOwned<OsHandle> process =
        Own(platform_.OpenProcess(kProcessTerminate | kProcessQueryInformation | extraAccess, false, match.id));
    if (process) {
        critical = platform_.QueryProcessCritical(process.get());
    } else {
        // Rights that allow ending but not asking: the question stays unanswered.
        process = Own(platform_.OpenProcess(kProcessTerminate | extraAccess, false, match.id));
        if (!process) {
            why.error = platform_.GetLastError();
            return process;
        }
    }
    if (SparedFor(match, critical) != Spare::No) {
        process.reset();
        why.spared = true;
    }
    return process;
}

// The snapshot's routes know the program file's name; its path is read only where the policy
// needs it.
Spare ProcessAccess::SparedFor(Match& match, Criticality critical) {
    return Policy().Decide({match.id, critical, match.exeFile, false, [this, &match] { return PathOf(match); }});
}

// The same question without the right to end: what a kill run would do with the process.
Spare ProcessAccess::IsSpared(Match& match) {
    const PlatformOwned<OsHandle> process = Own(platform_.OpenProcess(kProcessQueryInformation, false, match.id));
    return SparedFor(match, process ? platform_.QueryProcessCritical(process.get()) : Criticality::Unknown);
}

// The performance data's routes know an instance name at most: `stem`, empty where none.
Spare ProcessAccess::SparedById(std::uint32_t processId, Criticality critical, std::string_view stem) {
    return Policy().Decide(
        {processId, critical, stem, true, [this, processId] { return GetProcessImagePath(processId); }});
}

SparePolicy ProcessAccess::Policy() {
    return SparePolicy(platform_.GetCurrentProcessId(), facts_.windowsFolder, facts_.leadBytes);
}

ProcessAccess::EndOutcome ProcessAccess::EndMatches(std::vector<Match>& matches, const AskToClose& ask,
                                                    EndReport& report) {
    EndOutcome outcome;
    std::string lastPath;
    bool anyAsked = false;
    std::size_t lastSurvivor = matches.size();
    RunsOn survivorWhy;
    for (std::size_t i = 0; i < matches.size(); ++i) {
        Remember(&report.matchedIds, matches[i].id);
        RunsOn why;
        PlatformOwned<OsHandle> process = OpenToEnd(matches[i], ask ? kSynchronize : 0, why);
        // Only the last match's path is read, and before it is ended; the others would each cost a
        // query of another process for nothing.
        if (i + 1 == matches.size()) {
            lastPath = PathOf(matches[i]);
            // A folder outside the code page: listed under its exact file name instead.
            if (lastPath.empty() && matches[i].pathInexact) lastPath = matches[i].exeFile;
        }
        // Gone since the snapshot: nothing to end and nothing that runs on.
        if (!process && !why.spared && why.error == kErrorInvalidParameter) continue;
        if (process && ask && ask(matches[i].id)) {
            anyAsked = true;
            report.asked.push_back({matches[i].id, std::move(process)});
        } else if (process && platform_.TerminateProcess(process.get(), 0)) {
            outcome.anyEnded = true;
            Remember(&report.endedIds, matches[i].id);
        } else {
            if (process) why.error = platform_.GetLastError();
            lastSurvivor = i;
            survivorWhy = why;
            outcome.survivors.push_back(matches[i].id);
        }
    }
    // Listed as ended only when something was. Matches of one name are copies of one program, so
    // the last one's path names it also when that one ran on.
    if (outcome.anyEnded) outcome.ended = lastPath;
    if (anyAsked) report.askedCaption = lastPath;
    if (lastSurvivor < matches.size()) {
        // It still runs, so its path can be read now.
        Match& survivor = matches[lastSurvivor];
        outcome.runsOn = survivorWhy;
        outcome.runsOn.caption = PathOf(survivor).empty() ? survivor.exeFile : PathOf(survivor);
    }
    return outcome;
}

// The snapshot's processes whose exact executable string matches the name. The program's own
// process is never among them: ending it would cut the run short (later names not ended, the
// program to start not opened, no window), so it is no reason to ask either. Where it matches,
// it goes to `self`, when given.
std::vector<ProcessAccess::Match> ProcessAccess::SnapshotMatches(const std::function<bool(std::string_view)>& matches_,
                                                                const ProcessIds& skip, Match* self) {
    const std::uint32_t selfId = platform_.GetCurrentProcessId();
    std::vector<Match> matches;
    WalkSnapshot([&](const SnapshotEntry& entry) {
        if (entry.exact && !Holds(skip, entry.processId) && matches_(entry.exeFile)) {
            if (entry.processId != selfId) {
                if (InScope(entry.processId)) matches.push_back({entry.processId, entry.exeFile, {}, false});
            } else if (self) {
                *self = {entry.processId, entry.exeFile, {}, false};
            }
        }
    });
    return matches;
}

NamedProgram ProcessAccess::Program(std::string_view name) {
    return NamedProgram(name, facts_.leadBytes, [this](const std::string& path) {
        return ReadFileIdentity(platform_, path, facts_.windowsFolder, facts_.NtLine(), facts_.leadBytes);
    });
}

// The snapshot's processes whose image path matches the name, for a second pass without the
// performance data. Only processes whose executable string matches the name's file-name part can
// have a matching path, so only theirs are read: a query of another process each.
std::vector<ProcessAccess::Match> ProcessAccess::SnapshotMatchesByPath(const NamedProgram& program,
                                                                      const ProcessIds& skip) {
    const LeadByteFn lead = facts_.leadBytes;
    // "C:/x/y.exe" ends in "y.exe" as "C:\x\y.exe" does.
    const std::string_view fileName = FileNamePart(program.Comparable(), lead);
    std::vector<Match> matches;
    const auto sameFileName = [fileName, lead](std::string_view exeFile) {
        return ProgramNameMatches(exeFile, fileName, fileName, lead);
    };
    for (Match& candidate : SnapshotMatches(sameFileName, skip)) {
        if (!PathOf(candidate).empty() && program.NamesImage(candidate.path)) {
            matches.push_back(std::move(candidate));
        }
    }
    return matches;
}

std::string ProcessAccess::FindProcessByName(const NamedProgram& program, const ProcessIds& skip) {
    const std::uint32_t self = platform_.GetCurrentProcessId();
    const auto byName = [&program](std::string_view exeFile) { return program.Matches(exeFile); };
    std::vector<Match> matches = SnapshotMatches(byName, skip);
    for (auto match = matches.rbegin(); match != matches.rend(); ++match) {
        if (IsSpared(*match) == Spare::No) return match->exeFile;
    }
    if (!matches.empty()) return {};  // found, and every one of them spared

    const ProcessNameList list = PerfDataListOrEmpty();
    for (const ProcessNameEntry& entry : list) {
        if (entry.id == self || Holds(skip, entry.id)) continue;
        const std::string imagePath = GetProcessImagePath(entry.id);
        std::string path = imagePath;
        if (path.empty() && entry.exact) path = entry.name;
        if (((entry.exact && program.Matches(entry.name)) ||
             (!path.empty() && program.NamesImage(path))) &&
            InScope(entry.id)) {
            const PlatformOwned<OsHandle> process =
                Own(platform_.OpenProcess(kProcessQueryInformation, false, entry.id));
            const Criticality critical =
                process ? platform_.QueryProcessCritical(process.get()) : Criticality::Unknown;
            const std::string_view stem = entry.exact ? std::string_view(entry.name) : std::string_view();
            if (Policy().Decide({entry.id, critical, stem, true, [&imagePath] { return imagePath; }}) == Spare::No) {
                return path;
            }
        }
    }
    if (list.empty()) {
        for (Match& match : SnapshotMatchesByPath(program, skip)) {
            if (IsSpared(match) == Spare::No) return match.path;
        }
    }
    return {};
}

EndReport ProcessAccess::EndProcessesByName(const NamedProgram& program, const AskToClose& ask,
                                            const ProcessIds& skip) {
    EndReport report;
    const std::uint32_t self = platform_.GetCurrentProcessId();
    Match own;
    std::vector<Match> matches =
        SnapshotMatches([&program](std::string_view exeFile) { return program.Matches(exeFile); }, skip, &own);
    const EndOutcome first = EndMatches(matches, ask, report);
    if (!first.ended.empty() || !report.asked.empty()) {
        report.ended = first.ended;
        report.runsOn = first.runsOn;
        return report;
    }

    // The second pass runs with the debug privilege that the performance data enables, so it
    // may end what the first pass could not open; what it leaves is reported as before.
    RunsOn runsOn;
    const ProcessNameList list = PerfDataListOrEmpty();
    for (const ProcessNameEntry& entry : list) {
        if (entry.id == self || Holds(skip, entry.id)) continue;
        // The result is the entry's name, so its path is needed only when the name alone does
        // not match.
        bool isMatch = entry.exact && program.Matches(entry.name);
        std::string path;
        if (!isMatch) {
            path = GetProcessImagePath(entry.id);
            isMatch = !path.empty() && program.NamesImage(path);
        }
        if (isMatch && InScope(entry.id)) {
            Remember(&report.matchedIds, entry.id);
            // A name that did not survive the code page is no caption; its path did.
            const std::string& caption = entry.exact ? entry.name : path;
            const std::string_view stem = entry.exact ? std::string_view(entry.name) : std::string_view();
            if (!EndPerfDataMatch(entry.id, stem, caption, ask, report)) runsOn = report.runsOn;
            break;
        }
    }
    if (list.empty()) {
        std::vector<Match> byPath = SnapshotMatchesByPath(program, skip);
        const EndOutcome second = EndMatches(byPath, ask, report);
        report.ended = second.ended;
        runsOn = second.runsOn;
    }
    // The first pass names what it found better (by path) while that still runs.
    if (!first.survivors.empty() && AnyProcessRunning(first.survivors)) {
        report.runsOn = first.runsOn;
    } else {
        report.runsOn = runsOn;
    }
    // Named, and only this program answers to the name: it runs on, spared (and never opened).
    if (report.ended.empty() && report.asked.empty() && report.runsOn.caption.empty() && own.id != 0) {
        report.runsOn = {own.exeFile, true, true, 0};
    }
    return report;
}

// The performance data's match: asked to close, or ended. False when it runs on (report.runsOn
// says why).
bool ProcessAccess::EndPerfDataMatch(std::uint32_t id, std::string_view stem, const std::string& caption,
                                     const AskToClose& ask, EndReport& report) {
    std::uint32_t error = 0;
    if (ask) {
        PlatformOwned<OsHandle> process = OpenSparing(id, kProcessTerminate | kSynchronize, stem, error);
        if (process && ask(id)) {
            report.asked.push_back({id, std::move(process)});
            report.askedCaption = caption;
            return true;
        }
    }
    if (EndById(id, stem, &error) == EndStatus::Ended) {
        Remember(&report.endedIds, id);
        report.ended = caption;
        return true;
    }
    if (error == kErrorInvalidParameter) return true;  // gone meanwhile
    report.runsOn = {caption, error == 0, false, error};
    return false;
}

// A handle to the process with `access`, unless it cannot be opened (`error`: the system's code)
// or must not be ended (`error` 0).
PlatformOwned<OsHandle> ProcessAccess::OpenSparing(std::uint32_t processId, std::uint32_t access,
                                                   std::string_view stem, std::uint32_t& error) {
    // Asked for the right to ask as well: without it criticality is unknown, and a critical process
    // that is asked to close would be ended, unasked again, when the wait runs out.
    Criticality critical = Criticality::Unknown;
    PlatformOwned<OsHandle> process = Own(platform_.OpenProcess(access | kProcessQueryInformation, true, processId));
    if (process) {
        critical = platform_.QueryProcessCritical(process.get());
    } else if ((access & kProcessQueryInformation) == 0) {
        process = Own(platform_.OpenProcess(access, true, processId));
    }
    if (!process) {
        error = platform_.GetLastError();
        return process;
    }
    if (SparedById(processId, critical, stem) != Spare::No) process.reset();
    error = 0;
    return process;
}

EndStatus ProcessAccess::TerminateProcessById(std::uint32_t processId, std::uint32_t* error) {
    return EndById(processId, {}, error);
}

EndStatus ProcessAccess::EndById(std::uint32_t processId, std::string_view stem, std::uint32_t* error) {
    if (!facts_.NtLine()) return EndStatus::NotNtLine;
    std::uint32_t failure = 0;
    const PlatformOwned<OsHandle> process = OpenSparing(processId, kProcessAllAccess, stem, failure);
    EndStatus status = EndStatus::NotOpenedOrSpared;
    if (process) {
        status = platform_.TerminateProcess(process.get(), 0) ? EndStatus::Ended : EndStatus::TerminateFailed;
        if (status != EndStatus::Ended) failure = platform_.GetLastError();
    }
    if (error) *error = failure;
    return status;
}

std::uint32_t ProcessAccess::EndAskedProcess(AskedProcess& asked) {
    if (platform_.ProcessEnded(asked.process.get())) return 0;
    if (platform_.TerminateProcess(asked.process.get(), 0)) return 0;
    // It may have gone between the two questions.
    const std::uint32_t error = platform_.GetLastError();
    return platform_.ProcessEnded(asked.process.get()) ? 0 : error;
}

bool ProcessAccess::AnyProcessRunning(const std::vector<std::uint32_t>& ids) {
    bool found = false;
    WalkSnapshot([&](const SnapshotEntry& entry) {
        if (!found && std::find(ids.begin(), ids.end(), entry.processId) != ids.end()) found = true;
    });
    return found;
}

}  // namespace norvanex
