// Process access over a ProcessPlatform: the platform check, the snapshot, captions, and finding
// and ending processes by program name. The performance data and the image path have files of
// their own (ProcessAccessPerfData.cpp, ProcessAccessImagePath.cpp).
#include "process/ProcessAccess.h"

#include <algorithm>
#include <exception>

#include "process/FileIdentity.h"
#include "process/ProgramName.h"
#include "process/SystemProcesses.h"

namespace norvanex {
namespace {

constexpr std::uint32_t kOsVersionInfoSize = 148;  // sizeof(OSVERSIONINFOA)

void Remember(std::vector<std::uint32_t>* ids, std::uint32_t id) {
    if (ids && std::find(ids->begin(), ids->end(), id) == ids->end()) ids->push_back(id);
}

}  // namespace

ProcessAccess::ProcessAccess(ProcessPlatform& platform)
    : platform_(platform), toolHelp_(platform) {}

void ProcessAccess::CheckPlatform() {
    OsVersionInfo info;
    info.size = kOsVersionInfoSize;
    // On failure the record stays zeroed: platform id 0, not the NT line.
    platform_.GetVersionExA(info);
    platformId_ = info.platformId;
}

void ProcessAccess::WalkSnapshot(const std::function<void(const SnapshotEntry&)>& visit) {
    // The ANSI walk hands out names that the system converted with best fit: "māil.exe" as
    // "mail.exe". The 9x line holds its names in ANSI, so there they are exact.
    if (platformId_ == kPlatformWin32Nt && toolHelp_.BindWide()) {
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
    if (NamePartStart(name, "\\:", platform_.LeadBytes()) != 0) return {name};
    // A bare file name has the generic icon and no properties sheet; the path names the same
    // program. One that does not survive the code page would name nothing: the name stays.
    std::string path = GetProcessImagePath(id);
    return {path.empty() ? name : std::move(path)};
}

ProcessNameList ProcessAccess::PerfDataListOrEmpty() {
    ProcessNameList list;
    try {
        ListProcessesFromPerfData(list);
    } catch (const std::exception&) {
        list.clear();
    }
    return list;
}

const std::string& ProcessAccess::PathOf(Match& match) {
    if (!match.pathKnown) {
        if (platformId_ == kPlatformWin32Nt) {
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

bool ProcessAccess::IsSparedSessionProcess(const std::string& imagePath) {
    return IsSystemProcess(imagePath, WindowsDirectory(), platform_.LeadBytes());
}

// A handle that may end the process, or none when it cannot be opened or must not be ended.
PlatformOwned<OsHandle> ProcessAccess::OpenToEnd(Match& match) {
    Criticality critical = Criticality::Unknown;
    PlatformOwned<OsHandle> process =
        Own(platform_.OpenProcess(kProcessTerminate | kProcessQueryInformation, false, match.id));
    if (process) {
        critical = platform_.QueryProcessCritical(process.get());
    } else {
        // Rights that allow ending but not asking: the question stays unanswered.
        process = Own(platform_.OpenProcess(kProcessTerminate, false, match.id));
        if (!process) return process;
    }
    if (SparedFor(match, critical)) process.reset();
    return process;
}

// Ending a critical process stops the whole system at once. Where the system cannot say (Wine, the
// 9x line, or no right to ask), its own processes are known by name and folder; the path is read
// only for those names. Where no folder can be learnt (a path that cannot be read), the name alone
// spares it.
bool ProcessAccess::SparedFor(Match& match, Criticality critical) {
    if (critical != Criticality::Unknown) return critical == Criticality::Critical;
    const LeadByteFn lead = platform_.LeadBytes();
    if (!IsSystemProcessName(FileNamePart(match.exeFile, lead), lead)) return false;
    const std::string& path = PathOf(match);
    return IsSparedSessionProcess(path.empty() ? match.exeFile : path);
}

// The same question without the right to end: what a kill run would do with the process.
bool ProcessAccess::IsSpared(Match& match) {
    const PlatformOwned<OsHandle> process = Own(platform_.OpenProcess(kProcessQueryInformation, false, match.id));
    return SparedFor(match, process ? platform_.QueryProcessCritical(process.get()) : Criticality::Unknown);
}

ProcessAccess::EndOutcome ProcessAccess::EndMatches(std::vector<Match>& matches,
                                                    std::vector<std::uint32_t>* endedIds) {
    EndOutcome outcome;
    std::string lastPath;
    std::size_t lastSurvivor = matches.size();
    for (std::size_t i = 0; i < matches.size(); ++i) {
        const PlatformOwned<OsHandle> process = OpenToEnd(matches[i]);
        // Only the last match's path is read, and before it is ended; the others would each cost a
        // query of another process for nothing.
        if (i + 1 == matches.size()) {
            lastPath = PathOf(matches[i]);
            // A folder outside the code page: listed under its exact file name instead.
            if (lastPath.empty() && matches[i].pathInexact) lastPath = matches[i].exeFile;
        }
        if (process && platform_.TerminateProcess(process.get(), 0)) {
            outcome.anyEnded = true;
            Remember(endedIds, matches[i].id);
        } else {
            lastSurvivor = i;
            outcome.survivors.push_back(matches[i].id);
        }
    }
    // Listed as ended only when something was. Matches of one name are copies of one program, so
    // the last one's path names it also when that one ran on.
    if (outcome.anyEnded) outcome.ended = lastPath;
    if (lastSurvivor < matches.size()) {
        // It still runs, so its path can be read now.
        Match& survivor = matches[lastSurvivor];
        outcome.stillRunning = PathOf(survivor).empty() ? survivor.exeFile : PathOf(survivor);
    }
    return outcome;
}

// The snapshot's processes whose exact executable string matches the name. The program's own
// process is never among them: ending it would cut the run short (later names not ended, the
// program to start not opened, no window), so it is no reason to ask either.
std::vector<ProcessAccess::Match> ProcessAccess::SnapshotMatches(std::string_view name) {
    const LeadByteFn lead = platform_.LeadBytes();
    const std::uint32_t self = platform_.GetCurrentProcessId();
    std::vector<Match> matches;
    WalkSnapshot([&](const SnapshotEntry& entry) {
        if (entry.exact && entry.processId != self && ProgramNameMatches(entry.exeFile, name, lead)) {
            matches.push_back({entry.processId, entry.exeFile, {}, false});
        }
    });
    return matches;
}

// The name as image paths are compared with it: a full path also by the identity of its file.
ProgramFile ProcessAccess::ProgramFileOf(const std::string& name) {
    const bool ntLine = platformId_ == kPlatformWin32Nt;
    return ProgramFile(name, platform_.LeadBytes(),
                       [this, ntLine, windowsDirectory = std::optional<std::string>()](const std::string& path) mutable {
                           if (!windowsDirectory) windowsDirectory = WindowsDirectory();
                           return ReadFileIdentity(platform_, path, *windowsDirectory, ntLine);
                       });
}

// The snapshot's processes whose image path matches the name, for a second pass without the
// performance data. Only processes whose executable string matches the name's file-name part can
// have a matching path, so only theirs are read: a query of another process each.
std::vector<ProcessAccess::Match> ProcessAccess::SnapshotMatchesByPath(const std::string& name) {
    const LeadByteFn lead = platform_.LeadBytes();
    // "C:/x/y.exe" ends in "y.exe" as "C:\x\y.exe" does.
    const std::string comparable = ComparableProgramName(name, lead);
    ProgramFile program = ProgramFileOf(name);
    std::vector<Match> matches;
    for (Match& candidate : SnapshotMatches(FileNamePart(comparable, lead))) {
        if (!PathOf(candidate).empty() && program.NamesImage(candidate.path)) {
            matches.push_back(std::move(candidate));
        }
    }
    return matches;
}

std::string ProcessAccess::FindProcessByName(const std::string& name) {
    try {
        const LeadByteFn lead = platform_.LeadBytes();
        const std::uint32_t self = platform_.GetCurrentProcessId();
        std::vector<Match> matches = SnapshotMatches(name);
        for (auto match = matches.rbegin(); match != matches.rend(); ++match) {
            if (!IsSpared(*match)) return match->exeFile;
        }
        if (!matches.empty()) return {};  // found, and every one of them spared

        const ProcessNameList list = PerfDataListOrEmpty();
        ProgramFile program = ProgramFileOf(name);
        for (const ProcessNameEntry& entry : list) {
            if (entry.id == self) continue;
            std::string path = GetProcessImagePath(entry.id);
            if (path.empty() && entry.exact) path = entry.name;
            if ((entry.exact && ProgramNameMatches(entry.name, name, lead)) ||
                (!path.empty() && program.NamesImage(path))) {
                Match match{entry.id, std::string(FileNamePart(path, lead)), path, true};
                if (!IsSpared(match)) return path;
            }
        }
        if (list.empty()) {
            for (Match& match : SnapshotMatchesByPath(name)) {
                if (!IsSpared(match)) return match.path;
            }
        }
    } catch (const std::exception&) {
    }
    return {};
}

std::string ProcessAccess::EndProcessesByName(const std::string& name,
                                              std::vector<std::uint32_t>* endedIds,
                                              std::string* stillRunning) {
    if (stillRunning) stillRunning->clear();
    try {
        const LeadByteFn lead = platform_.LeadBytes();
        const std::uint32_t self = platform_.GetCurrentProcessId();
        std::vector<Match> matches = SnapshotMatches(name);
        const EndOutcome first = EndMatches(matches, endedIds);
        if (!first.ended.empty()) {
            if (stillRunning) *stillRunning = first.stillRunning;
            return first.ended;
        }

        // The second pass runs with the debug privilege that the performance data enables, so it
        // may end what the first pass could not open; what it leaves is reported as before.
        std::string result;
        std::string runsOn;
        const ProcessNameList list = PerfDataListOrEmpty();
        ProgramFile program = ProgramFileOf(name);
        for (const ProcessNameEntry& entry : list) {
            if (entry.id == self) continue;
            // The result is the entry's name, so its path is needed only when the name alone does
            // not match.
            bool isMatch = entry.exact && ProgramNameMatches(entry.name, name, lead);
            std::string path;
            if (!isMatch) {
                path = GetProcessImagePath(entry.id);
                isMatch = !path.empty() && program.NamesImage(path);
            }
            if (isMatch) {
                // A name that did not survive the code page is no caption; its path did.
                const std::string& caption = entry.exact ? entry.name : path;
                if (TerminateProcessById(entry.id) == 0) {
                    Remember(endedIds, entry.id);
                    result = caption;
                } else {
                    runsOn = caption;
                }
                break;
            }
        }
        if (list.empty()) {
            std::vector<Match> byPath = SnapshotMatchesByPath(name);
            const EndOutcome second = EndMatches(byPath, endedIds);
            result = second.ended;
            runsOn = second.stillRunning;
        }
        if (stillRunning) {
            // The first pass names what it found better (by path) while that still runs.
            if (!first.survivors.empty() && AnyProcessRunning(first.survivors)) {
                *stillRunning = first.stillRunning;
            } else {
                *stillRunning = runsOn;
            }
        }
        return result;
    } catch (const std::exception&) {
    }
    return {};
}

std::int32_t ProcessAccess::TerminateProcessById(std::uint32_t processId) {
    if (platformId_ != kPlatformWin32Nt) return -1;
    const PlatformOwned<OsHandle> process = Own(platform_.OpenProcess(kProcessAllAccess, true, processId));
    if (!process) return -2;
    switch (platform_.QueryProcessCritical(process.get())) {
        case Criticality::Critical: return -2;
        case Criticality::Unknown:
            if (IsSparedSessionProcess(GetProcessImagePath(processId))) return -2;
            break;
        case Criticality::NotCritical: break;
    }
    return platform_.TerminateProcess(process.get(), 0) ? 0 : -3;
}

bool ProcessAccess::AnyProcessRunning(const std::vector<std::uint32_t>& ids) {
    bool found = false;
    WalkSnapshot([&](const SnapshotEntry& entry) {
        if (!found && std::find(ids.begin(), ids.end(), entry.processId) != ids.end()) found = true;
    });
    return found;
}

}  // namespace norvanex
