// The lists of running processes: the snapshot, the performance data, and which logon sessions a
// run looks at.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/SystemFacts.h"
#include "process/PerfData.h"
#include "process/ProcessPlatform.h"

namespace norvanex {

// One process of a snapshot: szExeFile and the id. Read in UTF-16 (the NT line), the name is kept
// as the system holds it, and `exact` says whether exeFile is that very name in the ANSI code
// page; one that is not names no program a parameter can name.
struct SnapshotEntry {
    std::string exeFile;
    std::uint32_t processId = 0;
    bool exact = true;
    std::u16string wide;  // empty from the ANSI walk
};

// ListProcessesFromPerfData's status. The values are those the Wine tests write to their reports.
enum class PerfListStatus : std::int32_t {
    Listed = 0,               // the list holds what the data gives (perhaps nothing)
    Unavailable = -1,         // not the NT line, or the perflib key cannot be opened
    CountersUnreadable = -2,  // the size of "Counters" cannot be read
};

// Which logon sessions a kill run and the task chooser look at (ProcessLists::Sessions).
enum class SessionScope : std::uint8_t {
    // Windows does not say (the 9x line, NT 4.0 without Terminal Server, this program's own
    // session unreadable): every process, as the user's own.
    Every,
    // This program's own logon session: a process of another user's session is as if it did not
    // run. One whose session cannot be read counts as the user's own.
    Own,
    // The services' session 0 (a service, a scheduled task running as SYSTEM; Windows Vista and
    // later): every session, as the system's own tools act from there, and no desktop to show
    // anything on.
    Services,
};

// `wide` in the ANSI code page, and whether that is exactly it (ExactAnsi through the platform).
bool ExactIn(ProcessPlatform& platform, std::u16string_view wide, std::string& ansi);

class ProcessLists {
public:
    ProcessLists(ProcessPlatform& platform, const SystemFacts& facts) : platform_(platform), facts_(facts) {}

    // Visits every process of a new snapshot. On the NT line it reads the names in UTF-16 where
    // the system offers that, and marks each that is not exact.
    void WalkSnapshot(const std::function<void(const SnapshotEntry&)>& visit);

    // Appends one (name, id) per instance of the performance data's "process" object, at most 254,
    // with the debug privilege enabled first. Throws MalformedPerfData (list untouched) for data
    // that cannot be read; callers catch it.
    PerfListStatus ListProcessesFromPerfData(ProcessNameList& list);

    // Where this program runs, read at the first question.
    SessionScope Sessions();
    // The one rule of which processes a kill run and the chooser see: in the Own scope those of
    // this program's session and those whose session cannot be read (access denied, or gone
    // meanwhile); in the other scopes every one. Every route asks it.
    bool InScope(std::uint32_t processId);

private:
    PerfListStatus ReadPerfData(ProcessNameList& list);
    bool ListedSessionId(std::uint32_t processId, std::uint32_t& session);

    ProcessPlatform& platform_;
    const SystemFacts& facts_;
    bool sessionsRead_ = false;
    SessionScope sessions_ = SessionScope::Every;
    std::uint32_t ownSession_ = 0;
    std::vector<ProcessSession> sessionList_;  // the terminal services' list, read when first needed
};

}  // namespace norvanex
