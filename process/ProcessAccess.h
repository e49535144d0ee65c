// Process access: the process lists, the image path, and finding and ending processes by program
// name under one spare rule. Everything goes through one ProcessPlatform.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/SystemFacts.h"
#include "process/FileIdentity.h"
#include "process/ImagePaths.h"
#include "process/PerfData.h"
#include "process/ProcessLists.h"
#include "process/ProcessPlatform.h"
#include "process/SparePolicy.h"

namespace norvanex {

// What the program calls a process where it lists it (the task chooser's rows). `exact` false:
// its name, or its path, does not survive the ANSI code page (ExactAnsi); such a text is another
// program's name, or several programs' at once ("日本" and "中国" both read "??"), so no parameter
// ever names it: it is shown from `wide`, never chosen.
struct ProcessCaption {
    std::string text;  // where not exact, with the default character for what has no form
    bool exact = true;
    std::u16string wide{};  // where not exact: the path or name as the system holds it

    bool operator==(const ProcessCaption& other) const {
        return text == other.text && exact == other.exact && wide == other.wide;
    }
};

// A process of a named program that runs on after a kill run: its caption and why. `error` is the
// system's error code of the step that failed (OpenProcess or TerminateProcess); a spared process
// (critical, a session process, or this program itself) has none.
struct RunsOn {
    std::string caption;  // empty: nothing runs on
    bool spared = false;
    bool self = false;    // spared as this program's own process
    std::uint32_t error = 0;
};

// A process that was asked to close instead of being ended: it is ended later, unless it goes by
// itself or the user keeps it. The handle (with SYNCHRONIZE) keeps its id from naming another.
struct AskedProcess {
    std::uint32_t id = 0;
    PlatformOwned<OsHandle> process;
};

// Asks the process `processId` to close (its windows are sent a close request); false when it has
// no window to ask, and so is ended at once.
using AskToClose = std::function<bool(std::uint32_t processId)>;

// TerminateProcessById's status.
enum class EndStatus : std::int32_t {
    Ended = 0,
    NotNtLine = -1,       // nothing opened
    NotOpenedOrSpared = -2,  // it cannot be opened, or SparePolicy spares it
    TerminateFailed = -3,
};

// Process ids, as a run collects those it has met.
using ProcessIds = std::vector<std::uint32_t>;
inline bool Holds(const ProcessIds& ids, std::uint32_t id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

// What EndProcessesByName did for one name.
struct EndReport {
    std::string ended;                      // the caption of what was ended; empty: nothing
    std::vector<std::uint32_t> endedIds;    // every process it ended
    std::string askedCaption;               // the caption of what was asked to close; empty: none
    std::vector<AskedProcess> asked;
    RunsOn runsOn;
    ProcessIds matchedIds;                  // every process the name matched, whatever became of it
};

class ProcessAccess {
public:
    // `facts` are read once at start (ThisSystem) and outlive the access.
    ProcessAccess(ProcessPlatform& platform, const SystemFacts& facts);

    ProcessAccess(const ProcessAccess&) = delete;
    ProcessAccess& operator=(const ProcessAccess&) = delete;

    // ProcessLists: where this program runs, and which processes a kill run and the chooser see.
    SessionScope Sessions() { return lists_.Sessions(); }
    bool InScope(std::uint32_t processId) { return lists_.InScope(processId); }
    // The lead bytes of the system's ANSI code page, for the texts the lists give.
    LeadByteFn LeadBytes() const { return facts_.leadBytes; }

    void WalkSnapshot(const std::function<void(const SnapshotEntry&)>& visit) { lists_.WalkSnapshot(visit); }

    // The caption of the process `id` that a list names `name` (`wide` as the system holds it where
    // read so): its image path where that is known and exact, else the name; a name that is not
    // exact gives the path, else the name, as the system holds it. A 9x snapshot's name is the
    // path already; a name with a folder part is taken as it is.
    ProcessCaption Caption(std::uint32_t id, const std::string& name, bool nameExact, std::u16string_view wide);

    PerfListStatus ListProcessesFromPerfData(ProcessNameList& list) { return lists_.ListProcessesFromPerfData(list); }
    PrivilegeStatus EnableDebugPrivilege() { return platform_.EnableDebugPrivilege(); }

    // ImagePaths: the exact drive-letter path or empty, and the path with what does not survive.
    std::string GetProcessImagePath(std::uint32_t processId) { return paths_.Exact(processId); }
    ImagePathRead ReadImagePath(std::uint32_t processId) { return paths_.Read(processId); }

    // Whether a process of the named program other than this one runs that a kill run would not
    // spare: the last such snapshot entry's string, or else the first such entry of the second
    // pass (see EndProcessesByName) by its image path (its name when the path is unknown); empty
    // when none. A spared process (critical, or a session process) is no reason to ask, as nothing
    // would be ended for it. Processes in `skip` are passed over. Ends nothing; throws only what
    // memory allocation throws.
    std::string FindProcessByName(const NamedProgram& program, const ProcessIds& skip = {});

    // Ends every matching process of the snapshot and reports the image path of the last one it
    // ended. When that gives no path, a second pass ends the first matching performance-data
    // entry and returns its name; where the performance data lists no process at all (Wine,
    // counters switched off), the second pass compares the image path of every snapshot process
    // instead and ends each match, returning the last one's path. Empty when nothing was ended.
    // Never ends this program's own process, one that Windows marks as critical, or, where the
    // system cannot say, one of its session processes in its System32 folder. The report holds
    // the ids whose TerminateProcess succeeded and the path (or name) of the last matching process
    // that runs on because it could not or must not be ended, with the reason. With `ask`, a
    // process that may be ended is first asked to close; one that has windows to ask is left
    // running and handed back in `asked`. A process that ended by itself meanwhile counts as
    // neither. Processes in `skip` (met already under another name, or earlier in the run) are
    // passed over, as if they were not there. Throws only what memory allocation throws.
    EndReport EndProcessesByName(const NamedProgram& program, const AskToClose& ask = {}, const ProcessIds& skip = {});

    // The program `name` names, made once for every question about it: its comparable form, and
    // its file's identity where it is a full path (read at the first need).
    NamedProgram Program(std::string_view name);

    // Ends the process unless SparePolicy spares it (this program, critical, or where criticality
    // is unknown a session process or one whose path cannot be read). `error`, when given,
    // receives the system's error code of the failed step (0: spared).
    EndStatus TerminateProcessById(std::uint32_t processId, std::uint32_t* error = nullptr);

    // Whether a process asked to close has ended; and ending it when it has not: 0 ended (or gone
    // by itself), else the system's error code of TerminateProcess.
    bool AskedProcessEnded(const AskedProcess& asked) { return platform_.HasEnded(asked.process.get()); }
    std::uint32_t EndAskedProcess(AskedProcess& asked);

    // True when one new snapshot lists any of the ids.
    bool AnyProcessRunning(const std::vector<std::uint32_t>& ids);

private:
    // A process that matched a program name: where it was found, and its image path once read.
    struct Match {
        std::uint32_t id = 0;
        std::string exeFile;  // the snapshot's executable string
        std::string path;
        bool pathKnown = false;
        bool pathInexact = false;  // the path exists but does not survive the code page
    };
    struct EndOutcome {
        bool anyEnded = false;
        std::string ended;  // the image path of the last process ended
        RunsOn runsOn;      // the path (or name) of the last one that runs on
        std::vector<std::uint32_t> survivors;  // the ids of all that run on
    };

    const std::string& PathOf(Match& match);
    PlatformOwned<OsHandle> Own(OsHandle handle) { return PlatformOwned<OsHandle>(handle, {&platform_}); }
    PlatformOwned<OsHandle> OpenToEnd(Match& match, bool afterAsking, RunsOn& why);
    PlatformOwned<OsHandle> OpenSparing(std::uint32_t processId, bool afterAsking, std::string_view stem,
                                        std::uint32_t& error);
    EndStatus EndById(std::uint32_t processId, std::string_view stem, std::uint32_t* error);
    Spare SparedFor(Match& match, Criticality critical);
    Spare IsSpared(Match& match);
    Spare SparedById(std::uint32_t processId, Criticality critical, std::string_view stem);
    SparePolicy Policy();
    EndOutcome EndMatches(std::vector<Match>& matches, const AskToClose& ask, EndReport& report);
    bool EndPerfDataMatch(std::uint32_t id, std::string_view stem, const std::string& caption, const AskToClose& ask,
                          EndReport& report);
    std::vector<Match> SnapshotMatches(const std::function<bool(std::string_view)>& matches, const ProcessIds& skip,
                                       Match* self = nullptr);
    std::vector<Match> SnapshotMatchesByPath(const NamedProgram& program, const ProcessIds& skip);
    ProcessNameList PerfDataListOrEmpty();

    ProcessPlatform& platform_;
    const SystemFacts& facts_;
    ProcessLists lists_;
    ImagePaths paths_;
};

// The process-wide instance bound to Win32 (ProcessPlatform_win.cpp).
ProcessAccess& Processes();
// The Win32 operations that it is bound to.
ProcessPlatform& SystemProcessPlatform();

}  // namespace norvanex
