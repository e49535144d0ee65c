// A scripted ProcessPlatform for the native tests, and a builder of performance-data blocks laid
// out as winperf.h describes them (32-bit Windows).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/SystemFacts.h"
#include "process/ProcessPlatform.h"

namespace norvanex::fake {

inline constexpr std::uint32_t kProcessObjectIndex = 230;  // "Process" in an English counter table
inline constexpr std::uint32_t kIdProcessIndex = 784;      // "ID Process"

struct FakeProcess {
    std::uint32_t id = 0;
    std::string exeFile;        // szExeFile bytes; 260 of them leave no room for the NUL
    std::string modulePath;     // first module's image path in the debug buffer (256 bytes max)
    std::string fullImageName;  // QueryFullProcessImageNameA's answer; empty: the call fails
    // The UTF-16 forms the W functions give; empty: exeFile and fullImageName read in the code page.
    std::u16string wideExeFile;
    std::u16string wideImageName;
    bool inSnapshot = true;
    bool openRefused = false;        // every OpenProcess fails
    bool needsDebugPrivilege = false;  // OpenProcess fails until SeDebugPrivilege is enabled
    std::uint32_t deniedAccess = 0;  // OpenProcess fails when asked for any of these rights
    bool terminateRefused = false;
    Criticality critical = Criticality::NotCritical;
    std::int32_t debugStatus = 0;  // RtlQueryProcessDebugInformation's status
    bool hasModuleRecord = true;   // ReadFirstModulePath finds a record
    bool running = true;           // cleared by a successful TerminateProcess, or by the test
    std::optional<std::uint32_t> session = 1;  // ProcessIdToSessionId's answer; none: access denied
    std::optional<std::uint32_t> listedSession;  // the terminal services' list's; none: as `session`
};

struct OpenCall {
    std::uint32_t access;
    bool inherit;
    std::uint32_t processId;
};

class FakeProcessPlatform : public ProcessPlatform {
public:
    // ---- Script ----
    FakeProcessPlatform();
    // The system's facts that the access is given: Windows 7, C:\WINDOWS, code page 1252.
    SystemFacts facts;
    unsigned codePage = 1252;  // the ANSI code page of the conversions; SetCodePage sets both
    void SetCodePage(unsigned page);
    bool kernel32Missing = false;
    bool ntdllMissing = false;
    std::set<std::string> missingFunctions;  // names GetProcAddress does not find
    bool snapshotFails = false;              // CreateToolhelp32Snapshot gives INVALID_HANDLE_VALUE
    std::uint32_t selfId = 4000;
    std::optional<std::uint32_t> selfSession = 1;  // the session of selfId; none: cannot be read
    bool sessionListMissing = false;                // no terminal services' list of sessions
    std::vector<FakeProcess> processes;
    bool debugBufferFails = false;

    bool perflibOpenFails = false;
    bool countersSizeFails = false;
    std::vector<std::uint8_t> counters;  // the "Counters" value
    std::vector<std::uint8_t> perfData;  // the block HKEY_PERFORMANCE_DATA returns
    // Replaces the default answer of an HKEY_PERFORMANCE_DATA query (which refuses with 234 and
    // leaves the size as it was while the buffer is too small, as Windows does).
    std::function<std::int32_t(std::uint8_t* data, std::uint32_t* size)> perfDataQuery;

    // The files CreateFileA opens, by the exact path it is given, and which file each is.
    std::map<std::string, FileInformation> files;

    bool tokenOpenFails = false;
    bool privilegeLookupFails = false;
    std::uint32_t adjustLastError = 0;

    // Scripts the performance data for these (name, id) instances under the usual counter indexes.
    void SetPerfInstances(const std::vector<std::pair<std::u16string, std::uint32_t>>& instances);
    FakeProcess& Add(std::uint32_t id, std::string exeFile, std::string fullImageName = {});
    FakeProcess* Find(std::uint32_t id);

    // ---- Record ----
    std::vector<OpenCall> opens;
    std::vector<std::uint32_t> terminated;
    std::vector<std::uint32_t>
        debugQueries;  // process ids asked of RtlQueryProcessDebugInformation
    std::vector<std::uint32_t> fullNameQueries;  // process ids whose full image name was asked
    std::vector<std::uint32_t> perfDataQuerySizes;
    std::vector<std::string> procLookups;
    std::vector<std::string> openedKeys;
    std::vector<std::string> perfValueNames;
    int snapshots = 0;
    int getModuleHandleCalls = 0;
    int loadLibraryCalls = 0;
    int tokenOpens = 0;
    int adjustCalls = 0;
    int perfDataCloses = 0;
    int criticalQueries = 0;
    std::vector<std::string> fileOpens;  // every path CreateFileA was given
    std::uint32_t lastFileAccess = 0, lastFileShare = 0;

    // Handles, keys and debug buffers handed out and not yet given back.
    std::size_t LiveHandles() const { return handles_.size(); }
    std::size_t LiveKeys() const { return keys_.size(); }
    std::size_t LiveDebugBuffers() const { return debugBuffers_.size(); }
    std::vector<std::uint32_t> RunningIds() const;

    // ---- ProcessPlatform ----
    ModuleHandle GetModuleHandleA(const char* moduleName) override;
    ModuleHandle LoadLibraryA(const char* moduleName) override;
    ProcAddress GetProcAddress(ModuleHandle module, const char* procName) override;
    OsHandle CreateToolhelp32Snapshot(ProcAddress fn, std::uint32_t flags,
                                      std::uint32_t processId) override;
    bool Process32First(ProcAddress fn, OsHandle snapshot, ProcessEntry32& entry) override;
    bool Process32Next(ProcAddress fn, OsHandle snapshot, ProcessEntry32& entry) override;
    bool Process32FirstW(ProcAddress fn, OsHandle snapshot, ProcessEntry32W& entry) override;
    bool Process32NextW(ProcAddress fn, OsHandle snapshot, ProcessEntry32W& entry) override;
    bool CloseHandle(OsHandle handle) override;
    std::int32_t RegOpenKeyExA(RegKey parent, const char* subKey, std::uint32_t options,
                               std::uint32_t access, RegKey* result) override;
    std::int32_t RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override;
    std::int32_t RegCloseKey(RegKey key) override;
    int AnsiConversion(std::u16string_view wide, char* out, int outSize, bool& usedDefault) override;
    OsHandle GetCurrentProcess() override;
    std::uint32_t GetCurrentProcessId() override;
    bool OpenProcessToken(OsHandle process, std::uint32_t access, OsHandle* token) override;
    bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) override;
    bool AdjustTokenPrivileges(OsHandle token, bool disableAll, const TokenPrivilege& newState,
                               std::uint32_t bufferLength, TokenPrivilege* previousState,
                               std::uint32_t* returnLength) override;
    std::uint32_t GetLastError() override;
    OsHandle OpenProcess(std::uint32_t access, bool inheritHandle,
                         std::uint32_t processId) override;
    bool TerminateProcess(OsHandle process, std::uint32_t exitCode) override;
    bool ProcessEnded(OsHandle process) override;
    Criticality QueryProcessCritical(OsHandle process) override;
    bool QueryFullProcessImageNameA(ProcAddress fn, OsHandle process, std::uint32_t flags,
                                    char* buffer, std::uint32_t* size) override;
    bool QueryFullProcessImageNameW(ProcAddress fn, OsHandle process, std::uint32_t flags,
                                    char16_t* buffer, std::uint32_t* size) override;
    bool ProcessIdToSessionId(ProcAddress fn, std::uint32_t processId, std::uint32_t* sessionId) override;
    bool ListProcessSessions(std::vector<ProcessSession>& sessions) override;
    DebugBuffer RtlCreateQueryDebugBuffer(ProcAddress fn, std::uint32_t maximumCommit,
                                          bool useEventPair) override;
    std::int32_t RtlQueryProcessDebugInformation(ProcAddress fn, std::uint32_t processId,
                                                 std::uint32_t flags, DebugBuffer buffer) override;
    std::int32_t RtlDestroyQueryDebugBuffer(ProcAddress fn, DebugBuffer buffer) override;
    bool ReadFirstModulePath(DebugBuffer buffer, std::array<char, 256>& path) override;
    OsHandle CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                         std::uint32_t creationDisposition, std::uint32_t flags) override;
    bool GetFileInformationByHandle(OsHandle file, FileInformation& info) override;

private:
    enum class HandleKind { Snapshot, Process, Token, File };
    struct HandleState {
        HandleKind kind;
        std::uint32_t processId = 0;       // Process
        std::uint32_t access = 0;          // Process
        std::vector<FakeProcess> entries;  // Snapshot, as taken
        std::size_t cursor = 0;
        FileInformation file{};  // File
    };

    OsHandle NewHandle(HandleState state);
    HandleState* Handle(OsHandle handle, HandleKind kind);
    const FakeProcess* SnapshotStep(ProcAddress fn, const char* name, OsHandle snapshot, bool sizeRight,
                                    bool first);
    const FakeProcess* FullNameTarget(ProcAddress fn, const char* name, OsHandle process, std::uint32_t flags);
    void Expect(ProcAddress fn, const char* name) const;
    static void FillEntry(const FakeProcess& process, ProcessEntry32& entry);
    void FillEntryW(const FakeProcess& process, ProcessEntry32W& entry) const;
    std::u16string WideOf(const std::string& ansi) const;

    std::uintptr_t next_ = 0x100;
    std::map<std::uintptr_t, HandleState> handles_;
    std::set<std::uintptr_t> keys_;
    std::map<std::uintptr_t, std::uint32_t> debugBuffers_;  // buffer -> queried process id
    std::uint32_t lastError_ = 0;
    bool debugPrivilege_ = false;
};

// Builds a PERF_DATA_BLOCK with one object: a header, the counter definitions, then per instance a
// PERF_INSTANCE_DEFINITION, its UTF-16 name and a PERF_COUNTER_BLOCK holding every counter's value.
class PerfDataBlockBuilder {
public:
    PerfDataBlockBuilder();

    PerfDataBlockBuilder& Counter(std::uint32_t titleIndex, std::uint32_t counterOffset);
    PerfDataBlockBuilder& Instance(std::u16string name, std::uint32_t id);
    PerfDataBlockBuilder& Instances(std::size_t count);           // "proc0" .. with ids 1000 + k
    PerfDataBlockBuilder& NumInstancesField(std::int32_t value);  // overrides the true count

    std::vector<std::uint8_t> Build() const;

    // Offsets in the built block, for tests that corrupt one field.
    static constexpr std::uint32_t kBlockHeaderLength = 96;
    static constexpr std::uint32_t kObjectHeaderLength = 64;

private:
    struct Def {
        std::uint32_t titleIndex;
        std::uint32_t offset;
    };
    std::vector<Def> counters_;
    std::vector<std::pair<std::u16string, std::uint32_t>> instances_;
    bool overrideCount_ = false;
    std::int32_t countField_ = 0;
};

// A REG_MULTI_SZ value: every string with its NUL, then the closing empty string.
std::vector<std::uint8_t> MultiSz(const std::vector<std::string>& strings);

// The counter name table of an English system: "Process" and "ID Process" with their usual indexes.
std::vector<std::uint8_t> StandardCounterTable();

}  // namespace norvanex::fake
