// Process access over a ProcessPlatform: captions, and finding and ending processes by program name
// on every route. The lists and the image path have classes of their own (ProcessLists, ImagePaths).
#include "process/ProcessAccess.h"

#include <exception>

#include "process/FileIdentity.h"
#include "process/ProgramName.h"
#include "process/SystemProcesses.h"

namespace norvanex {
namespace {

void Remember(ProcessIds& ids, std::uint32_t id) {
    if (!Holds(ids, id)) ids.push_back(id);
}

}  // namespace

ProcessAccess::ProcessAccess(ProcessPlatform& platform, const SystemFacts& facts)
    : platform_(platform), facts_(facts), lists_(platform, facts), paths_(platform, facts) {}

ProcessCaption ProcessAccess::Caption(std::uint32_t id, const std::string& name, bool nameExact,
                                      std::u16string_view wide) {
    if (!nameExact) {
        // Shown as the system holds it, under its full path where that was read in UTF-16. An
        // exact path is not taken: read in ANSI, it may be a look-alike's.
        ImagePathRead path = ReadImagePath(id);
        ProcessCaption caption{{}, false, path.wide.empty() ? std::u16string(wide) : std::move(path.wide)};
        ExactIn(platform_, caption.wide, caption.text);
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
PlatformOwned<OsHandle> ProcessAccess::OpenToEnd(Match& match, bool afterAsking, RunsOn& why) {
    const OpenedProcess opened = platform_.Open(match.id, afterAsking ? OpenFor::EndAfterAsking : OpenFor::End);
    PlatformOwned<OsHandle> process = Own(opened.handle);
    if (!process) {
        why.error = opened.error;
        return process;
    }
    if (SparedFor(match, opened.critical) != Spare::No) {
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
Spare ProcessAccess::IsSpared(Match& match) { return SparedFor(match, platform_.CriticalityOf(match.id)); }

// The performance data's routes know an instance name at most: `stem`, empty where none.
Spare ProcessAccess::SparedById(std::uint32_t processId, Criticality critical, std::string_view stem) {
    return Policy().Decide(
        {processId, critical, stem, true, [this, processId] { return GetProcessImagePath(processId); }});
}

SparePolicy ProcessAccess::Policy() {
    return SparePolicy(platform_.SelfId(), facts_.windowsFolder, facts_.leadBytes);
}

ProcessAccess::EndOutcome ProcessAccess::EndMatches(std::vector<Match>& matches, const AskToClose& ask,
                                                    EndReport& report) {
    EndOutcome outcome;
    std::string lastPath;
    bool anyAsked = false;
    std::size_t lastSurvivor = matches.size();
    RunsOn survivorWhy;
    for (std::size_t i = 0; i < matches.size(); ++i) {
        Remember(report.matchedIds, matches[i].id);
        RunsOn why;
        PlatformOwned<OsHandle> process = OpenToEnd(matches[i], static_cast<bool>(ask), why);
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
            continue;
        }
        if (process) why.error = platform_.Terminate(process.get());
        if (process && why.error == 0) {
            outcome.anyEnded = true;
            Remember(report.endedIds, matches[i].id);
        } else {
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
std::vector<ProcessAccess::Match> ProcessAccess::SnapshotMatches(const std::function<bool(std::string_view)>& isMatch,
                                                                const ProcessIds& skip, Match* self) {
    const std::uint32_t selfId = platform_.SelfId();
    std::vector<Match> matches;
    lists_.WalkSnapshot([&](const SnapshotEntry& entry) {
        if (entry.exact && !Holds(skip, entry.processId) && isMatch(entry.exeFile)) {
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
    const std::uint32_t self = platform_.SelfId();
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
            const Criticality critical = platform_.CriticalityOf(entry.id);
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
    const std::uint32_t self = platform_.SelfId();
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
            Remember(report.matchedIds, entry.id);
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
        PlatformOwned<OsHandle> process = OpenSparing(id, true, stem, error);
        if (process && ask(id)) {
            report.asked.push_back({id, std::move(process)});
            report.askedCaption = caption;
            return true;
        }
    }
    if (EndById(id, stem, &error) == EndStatus::Ended) {
        Remember(report.endedIds, id);
        report.ended = caption;
        return true;
    }
    if (error == kErrorInvalidParameter) return true;  // gone meanwhile
    report.runsOn = {caption, error == 0, false, error};
    return false;
}

// A handle to the process with `access`, unless it cannot be opened (`error`: the system's code)
// or must not be ended (`error` 0).
PlatformOwned<OsHandle> ProcessAccess::OpenSparing(std::uint32_t processId, bool afterAsking, std::string_view stem,
                                                   std::uint32_t& error) {
    const OpenedProcess opened =
        platform_.Open(processId, afterAsking ? OpenFor::EndByIdAfterAsking : OpenFor::EndById);
    PlatformOwned<OsHandle> process = Own(opened.handle);
    error = opened.error;
    if (process && SparedById(processId, opened.critical, stem) != Spare::No) process.reset();
    return process;
}

EndStatus ProcessAccess::TerminateProcessById(std::uint32_t processId, std::uint32_t* error) {
    return EndById(processId, {}, error);
}

EndStatus ProcessAccess::EndById(std::uint32_t processId, std::string_view stem, std::uint32_t* error) {
    if (!facts_.NtLine()) return EndStatus::NotNtLine;
    std::uint32_t failure = 0;
    const PlatformOwned<OsHandle> process = OpenSparing(processId, false, stem, failure);
    EndStatus status = EndStatus::NotOpenedOrSpared;
    if (process) {
        failure = platform_.Terminate(process.get());
        status = failure == 0 ? EndStatus::Ended : EndStatus::TerminateFailed;
    }
    if (error) *error = failure;
    return status;
}

std::uint32_t ProcessAccess::EndAskedProcess(AskedProcess& asked) {
    if (platform_.HasEnded(asked.process.get())) return 0;
    const std::uint32_t error = platform_.Terminate(asked.process.get());
    // It may have gone between the two questions.
    return error == 0 || platform_.HasEnded(asked.process.get()) ? 0 : error;
}

bool ProcessAccess::AnyProcessRunning(const std::vector<std::uint32_t>& ids) {
    bool found = false;
    lists_.WalkSnapshot([&](const SnapshotEntry& entry) {
        found = found || Holds(ids, entry.processId);
    });
    return found;
}

}  // namespace norvanex
