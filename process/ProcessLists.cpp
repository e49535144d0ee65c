// The snapshot, the performance data's process list and the logon sessions.
#include "process/ProcessLists.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "base/SystemTraits.h"

namespace norvanex {
namespace {

struct FreeMemory {
    void operator()(std::uint8_t* data) const { std::free(data); }
};
using Buffer = UniqueHandle<std::uint8_t*, FreeMemory>;

// A zero-filled byte buffer. calloc, because fresh pages from the system are zero already, so the
// large buffers of the performance-data retries cost no clearing.
Buffer ZeroedBuffer(std::size_t size) {
    auto* data = static_cast<std::uint8_t*>(std::calloc(size ? size : 1, 1));
    if (!data) throw std::bad_alloc();
    return Buffer(data);
}

// HKEY_PERFORMANCE_DATA answers ERROR_MORE_DATA without saying how much it needs, so the buffer
// grows step by step; the ceiling keeps a platform that never stops asking for more from taking
// all memory.
constexpr std::uint32_t kPerfDataFirstSize = 51200;
constexpr std::uint32_t kPerfDataGrowth = 25600;
constexpr std::uint32_t kPerfDataCeiling = 16u * 1024 * 1024;

// Closing HKEY_PERFORMANCE_DATA on every way out, malformed data included.
struct PerfDataRelease {
    ProcessPlatform& platform;
    ~PerfDataRelease() { platform.ReleasePerfData(); }
};

}  // namespace

bool ExactIn(ProcessPlatform& platform, std::u16string_view wide, std::string& ansi) {
    return ExactAnsi(wide, ansi, [&platform](std::u16string_view text, char* out, int outSize, bool& usedDefault) {
        return platform.AnsiConversion(text, out, outSize, usedDefault);
    });
}

void ProcessLists::WalkSnapshot(const std::function<void(const SnapshotEntry&)>& visit) {
    std::vector<SnapshotName> names;
    SnapshotEntry visited;
    // The ANSI walk hands out names that the system converted with best fit: "māil.exe" as
    // "mail.exe". The 9x line holds its names in ANSI, so there they are exact.
    if (facts_.NtLine() && platform_.Snapshot(SnapshotForm::Wide, names)) {
        for (const SnapshotName& name : names) {
            visited.exact = ExactIn(platform_, name.wide, visited.exeFile);
            visited.wide = name.wide;
            visited.processId = name.id;
            visit(visited);
        }
        return;
    }
    names.clear();
    platform_.Snapshot(SnapshotForm::Ansi, names);
    for (const SnapshotName& name : names) {
        visited.exeFile = name.ansi;
        visited.processId = name.id;
        visit(visited);
    }
}

PerfListStatus ProcessLists::ListProcessesFromPerfData(ProcessNameList& list) {
    if (!facts_.NtLine()) return PerfListStatus::Unavailable;
    platform_.EnableDebugPrivilege();
    const PerfDataRelease release{platform_};
    return ReadPerfData(list);
}

PerfListStatus ProcessLists::ReadPerfData(ProcessNameList& list) {
    CounterIndexes indexes;
    {
        std::vector<std::uint8_t> table;
        switch (platform_.ReadCounterNames(kPerfDataCeiling, table)) {
            case CounterNamesRead::NoKey: return PerfListStatus::Unavailable;
            case CounterNamesRead::NoSize: return PerfListStatus::CountersUnreadable;
            case CounterNamesRead::Read: break;
        }
        indexes = ParseCounterNameTable(table.data(), table.size());
    }
    // Without both indexes there is no object to ask for and no counter that holds the id.
    if (!indexes.hasProcessObject || indexes.processObject.empty() || !indexes.hasIdProcessCounter) {
        return PerfListStatus::Listed;
    }

    std::uint32_t size = kPerfDataFirstSize;
    Buffer buffer;
    std::size_t valid = 0;
    for (;;) {
        buffer.reset();
        buffer = ZeroedBuffer(size);
        std::uint32_t returned = size;
        const PerfQuery result = platform_.QueryPerfObject(indexes.processObject, buffer.get(), returned);
        // A size above the buffer's would be a platform fault; never read past what was allocated.
        valid = std::min<std::size_t>(returned, size);
        if (result == PerfQuery::Read && returned > 0 && HasPerfSignature(buffer.get(), valid)) break;
        if (result != PerfQuery::MoreData) return PerfListStatus::Listed;
        // Never smaller than the refused buffer, so the attempts always move towards the ceiling.
        const std::uint64_t next = std::uint64_t{std::max(returned, size)} + kPerfDataGrowth;
        if (next > kPerfDataCeiling) return PerfListStatus::Listed;
        size = static_cast<std::uint32_t>(next);
    }

    const ProcessNameList entries =
        ParsePerfDataBlock(buffer.get(), valid, indexes.idProcessCounter,
                           [this](std::u16string_view name, std::string& ansi) { return ExactIn(platform_, name, ansi); });
    list.insert(list.end(), entries.begin(), entries.end());
    return PerfListStatus::Listed;
}

SessionScope ProcessLists::Sessions() {
    if (sessionsRead_) return sessions_;
    sessionsRead_ = true;
    // The 9x line has no logon sessions.
    if (!facts_.NtLine()) return sessions_;
    const std::optional<std::uint32_t> own = platform_.SessionOf(platform_.SelfId());
    if (!own) return sessions_;
    ownSession_ = *own;
    // Session 0 is the services' alone from Windows Vista on; before, the first user signs in there.
    sessions_ = ownSession_ == 0 && IsolatesSessionZero(facts_.version) ? SessionScope::Services : SessionScope::Own;
    return sessions_;
}

bool ProcessLists::InScope(std::uint32_t processId) {
    if (Sessions() != SessionScope::Own) return true;
    // ProcessIdToSessionId opens the process to ask, and a user is refused that for another
    // user's process: the terminal services' list, which opens none, says where it runs. Where
    // neither can say, it counts as the user's own, as before Windows said, and is reported as
    // denied if ending it is refused too. A process gone since the snapshot cannot say either;
    // the open that would end it tells.
    std::uint32_t session = 0;
    if (const std::optional<std::uint32_t> read = platform_.SessionOf(processId)) {
        session = *read;
    } else if (!ListedSessionId(processId, session)) {
        return true;
    }
    return session == ownSession_;
}

// The list is read once, and again for a process that started since.
bool ProcessLists::ListedSessionId(std::uint32_t processId, std::uint32_t& session) {
    for (bool fresh = sessionList_.empty();; fresh = true) {
        if (fresh && !platform_.ListSessions(sessionList_)) return false;
        const auto listed = std::find_if(sessionList_.begin(), sessionList_.end(),
                                         [processId](const ProcessSession& entry) { return entry.processId == processId; });
        if (listed != sessionList_.end()) {
            session = listed->sessionId;
            return true;
        }
        if (fresh) return false;
    }
}

}  // namespace norvanex
