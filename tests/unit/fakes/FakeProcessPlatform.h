// A scripted ProcessPlatform for the native tests: processes, their paths and rights, the
// performance data and files, and a record of what the layer decided to do with them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/SystemFacts.h"
#include "fakes/PerfDataBlock.h"
#include "process/ProcessPlatform.h"

namespace norvanex::fake {

struct FakeProcess {
    std::uint32_t id = 0;
    std::string exeFile;        // the snapshot's name; 260 bytes leave no room for the NUL
    std::string modulePath;     // ntdll's debug information (256 bytes at most); empty: none
    std::string fullImageName;  // the kernel's image name; empty: none
    // The UTF-16 forms; empty: exeFile and fullImageName read in the code page.
    std::u16string wideExeFile;
    std::u16string wideImageName;
    bool inSnapshot = true;
    bool openRefused = false;          // no open succeeds (access denied)
    bool needsDebugPrivilege = false;  // opens fail until the debug privilege is enabled
    bool terminateRefused = false;
    Criticality critical = Criticality::NotCritical;
    bool running = true;  // cleared when it is ended, or by the test
    std::optional<std::uint32_t> session = 1;    // none: access denied
    std::optional<std::uint32_t> listedSession;  // the terminal services' list's; none: as `session`
};

class FakeProcessPlatform : public ProcessPlatform {
public:
    FakeProcessPlatform();

    // ---- Script ----
    SystemFacts facts;         // Windows 7, C:\WINDOWS, code page 1252
    unsigned codePage = 1252;  // of the conversions; SetCodePage sets the lead bytes too
    void SetCodePage(unsigned page);
    std::uint32_t selfId = 4000;
    std::optional<std::uint32_t> selfSession = 1;  // none: cannot be read
    bool sessionQueryMissing = false;              // kernel32 without ProcessIdToSessionId
    bool sessionListMissing = false;               // no terminal services' list of sessions
    bool snapshotMissing = false;                  // no ToolHelp at all
    bool wideSnapshotMissing = false;              // no Process32FirstW/NextW
    bool snapshotFails = false;
    std::vector<FakeProcess> processes;

    bool perflibOpenFails = false;
    bool countersSizeFails = false;
    std::vector<std::uint8_t> counters;  // the "Counters" value
    std::vector<std::uint8_t> perfData;  // the block HKEY_PERFORMANCE_DATA gives
    // Replaces the default answer of a query (which refuses with MoreData, leaving the size as it
    // was, while the buffer is too small, as Windows does).
    std::function<PerfQuery(std::uint8_t* data, std::uint32_t* size)> perfDataQuery;
    PrivilegeStatus privilegeStatus = PrivilegeStatus::Enabled;

    std::map<std::string, FileIdentity> files;  // by the exact path given

    // Scripts the performance data for these (name, id) instances under the usual counter indexes.
    void SetPerfInstances(const std::vector<std::pair<std::u16string, std::uint32_t>>& instances);
    FakeProcess& Add(std::uint32_t id, std::string exeFile, std::string fullImageName = {});
    FakeProcess* Find(std::uint32_t id);  // a running one

    // ---- Record ----
    std::vector<std::uint32_t> opened;  // every id an Open was asked for
    std::vector<std::uint32_t> terminated;
    std::vector<std::uint32_t> debugQueries;     // ids whose debug information was asked
    std::vector<std::uint32_t> fullNameQueries;  // ids whose kernel image name was asked
    std::vector<std::uint32_t> perfDataQuerySizes;
    int snapshots = 0;
    int sessionQueries = 0;
    int privilegeRequests = 0;
    int perfDataReleases = 0;
    std::vector<std::string> fileOpens;
    bool lastFileNtLine = false;
    std::size_t LiveHandles() const { return handles_.size(); }

    // ---- ProcessPlatform ----
    std::uint32_t SelfId() override { return selfId; }
    bool Snapshot(SnapshotForm form, std::vector<SnapshotName>& processes) override;
    int AnsiConversion(std::u16string_view wide, char* out, int outSize, bool& usedDefault) override;
    std::optional<std::uint32_t> SessionOf(std::uint32_t processId) override;
    bool ListSessions(std::vector<ProcessSession>& sessions) override;
    CounterNamesRead ReadCounterNames(std::uint32_t ceiling, std::vector<std::uint8_t>& table) override;
    PerfQuery QueryPerfObject(const std::string& objectIndex, std::uint8_t* data, std::uint32_t& size) override;
    void ReleasePerfData() override { ++perfDataReleases; }
    PrivilegeStatus EnableDebugPrivilege() override;
    std::optional<std::u16string> KernelImagePathWide(std::uint32_t processId) override;
    std::string DebugInfoImagePath(std::uint32_t processId) override;
    std::string KernelImagePathAnsi(std::uint32_t processId) override;
    OpenedProcess Open(std::uint32_t processId, OpenFor purpose) override;
    Criticality CriticalityOf(std::uint32_t processId) override;
    std::uint32_t Terminate(OsHandle process) override;
    bool HasEnded(OsHandle process) override;
    void Close(OsHandle process) override;
    std::optional<FileIdentity> FileIdentityOf(const std::string& path, bool ntLine) override;

private:
    std::uint32_t OpenError(const FakeProcess* process) const;
    FakeProcess* Opened(OsHandle handle);

    std::uintptr_t next_ = 0x100;
    std::map<std::uintptr_t, std::uint32_t> handles_;  // handle -> process id
    bool debugPrivilege_ = false;
};

}  // namespace norvanex::fake
