// What process access asks of the operating system, as one interface of intents: Win32 in
// production (ProcessPlatform_win.cpp), a scripted fake in the native tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/UniqueHandle.h"

namespace norvanex {

// A process handle that the platform hands out and takes back (Close); 0 is none.
enum class OsHandle : std::uintptr_t {};

// The system error codes that process access tells apart (winerror.h).
inline constexpr std::uint32_t kErrorAccessDenied = 5;
// OpenProcess of an id that no process has (any more): it ended meanwhile.
inline constexpr std::uint32_t kErrorInvalidParameter = 87;

// One process of a ToolHelp snapshot: its id and szExeFile up to the NUL (at most 260
// characters), in the code page (`ansi`) or as the system holds it (`wide`), by the walk's form.
struct SnapshotName {
    std::uint32_t id = 0;
    std::string ansi;
    std::u16string wide;
};
enum class SnapshotForm : std::uint8_t { Ansi, Wide };

// The answer to "does ending this process stop the whole system" (ProcessBreakOnTermination).
enum class Criticality { NotCritical, Critical, Unknown };

// One process's logon session, as a list of every process gives it.
struct ProcessSession {
    std::uint32_t processId = 0;
    std::uint32_t sessionId = 0;
};

// Why a process is opened, which says the rights asked for.
enum class OpenFor : std::uint8_t {
    End,             // ending it, and asking whether it is critical where that right is given
    EndAfterAsking,  // the same, and learning when it has gone by itself (SYNCHRONIZE)
    EndById,         // ending a listed process by id: every right, the handle inheritable
    EndByIdAfterAsking,  // the same with the rights of EndAfterAsking
};

// A process opened to be ended: no handle where it could not be opened (`error`: the system's
// code); `critical` where the right to ask was given.
struct OpenedProcess {
    OsHandle handle{};
    Criticality critical = Criticality::Unknown;
    std::uint32_t error = 0;
};

// The part of BY_HANDLE_FILE_INFORMATION that names a file: its volume's serial number and its
// index on that volume.
struct FileIdentity {
    std::uint32_t volumeSerialNumber = 0;
    std::uint32_t fileIndexHigh = 0;
    std::uint32_t fileIndexLow = 0;

    bool operator==(const FileIdentity& other) const {
        return volumeSerialNumber == other.volumeSerialNumber && fileIndexHigh == other.fileIndexHigh &&
               fileIndexLow == other.fileIndexLow;
    }
};

// What the performance library's English counter names ("Counters" under perflib\009) gave.
enum class CounterNamesRead : std::uint8_t { Read, NoKey, NoSize };
// One query of HKEY_PERFORMANCE_DATA: the data, a buffer too small, or anything else.
enum class PerfQuery : std::uint8_t { Read, MoreData, Failed };

// EnableDebugPrivilege's status. The values are those the Wine tests write to their reports.
enum class PrivilegeStatus : std::int32_t {
    Enabled = 0,
    TokenUnopened = -2,  // the program's own token cannot be opened
    NameUnknown = -3,    // the privilege's name cannot be looked up
    NotAssigned = -4,    // the adjustment reported an error
};

class ProcessPlatform {
public:
    virtual ~ProcessPlatform() = default;

    virtual std::uint32_t SelfId() = 0;

    // The processes of a new ToolHelp snapshot, in the system's order. False where kernel32 lacks
    // that form's functions (the UTF-16 ones are the NT line's); a snapshot that fails lists none.
    virtual bool Snapshot(SnapshotForm form, std::vector<SnapshotName>& processes) = 0;
    // The conversion call of the exact conversion into the ANSI code page (AnsiConversionFn).
    virtual int AnsiConversion(std::u16string_view wide, char* out, int outSize, bool& usedDefault) = 0;

    // The process's logon session (ProcessIdToSessionId, NT 4.0 Terminal Server, Windows 2000 and
    // later); none where kernel32 lacks it or it cannot be read (access denied, no such process).
    virtual std::optional<std::uint32_t> SessionOf(std::uint32_t processId) = 0;
    // Every process's logon session as the terminal services list them (WTSEnumerateProcessesW):
    // a list that opens no process, so it answers for other users' processes too. False where the
    // system has no such list.
    virtual bool ListSessions(std::vector<ProcessSession>& sessions) = 0;

    // The performance data. The counter names, read whole when their size is at most `ceiling`
    // (a read that fails after the size leaves the table zero-filled).
    virtual CounterNamesRead ReadCounterNames(std::uint32_t ceiling, std::vector<std::uint8_t>& table) = 0;
    // The object `objectIndex` into `size` bytes at `data`; `size` becomes the bytes given.
    virtual PerfQuery QueryPerfObject(const std::string& objectIndex, std::uint8_t* data, std::uint32_t& size) = 0;
    // Lets the performance library free what it gathered (closes HKEY_PERFORMANCE_DATA).
    virtual void ReleasePerfData() = 0;
    // SeDebugPrivilege in the program's own token.
    virtual PrivilegeStatus EnableDebugPrivilege() = 0;

    // A process's image path as each source gives it, before any rewriting; none, or empty, where
    // the source is missing or does not answer. The kernel's UTF-16 name (QueryFullProcessImageNameW,
    // Vista and later), ntdll's debug information (its first module), the kernel's ANSI name.
    virtual std::optional<std::u16string> KernelImagePathWide(std::uint32_t processId) = 0;
    virtual std::string DebugInfoImagePath(std::uint32_t processId) = 0;
    virtual std::string KernelImagePathAnsi(std::uint32_t processId) = 0;

    // Opening, asking, ending.
    virtual OpenedProcess Open(std::uint32_t processId, OpenFor purpose) = 0;
    // Asked without the right to end; Unknown where it cannot be asked.
    virtual Criticality CriticalityOf(std::uint32_t processId) = 0;
    // 0 ended, else the system's error code of TerminateProcess.
    virtual std::uint32_t Terminate(OsHandle process) = 0;
    // Whether the process (opened to learn it) has ended; never waits.
    virtual bool HasEnded(OsHandle process) = 0;
    virtual void Close(OsHandle process) = 0;

    // Which file `path` names, or none where it cannot be opened. `ntLine`: opened without any
    // access right and shared with every other opener; the 9x line asks for reading and knows no
    // shared deletion.
    virtual std::optional<FileIdentity> FileIdentityOf(const std::string& path, bool ntLine) = 0;
};

// Gives a process handle back through the platform.
struct PlatformRelease {
    ProcessPlatform* platform = nullptr;
    void operator()(OsHandle handle) const { platform->Close(handle); }
};
template <class Handle>
using PlatformOwned = UniqueHandle<Handle, PlatformRelease>;

}  // namespace norvanex
