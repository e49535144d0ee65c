// The scripted process platform and the performance-data block builder.
#include "fakes/FakeProcessPlatform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fakes/CodePages.h"

namespace norvanex::fake {
namespace {

constexpr std::uintptr_t kKernel32 = 0x7C800000;
constexpr std::uintptr_t kNtdll = 0x7C900000;
constexpr std::int32_t kErrorFileNotFound = 2;
constexpr std::int32_t kErrorMoreData = 234;
constexpr std::int32_t kStatusInvalidCid = static_cast<std::int32_t>(0xC000000B);
constexpr OsHandle kCurrentProcess = static_cast<OsHandle>(~std::uintptr_t{0});
constexpr RegKey kPerflibKey = static_cast<RegKey>(std::uintptr_t{0x5000});

struct Export {
    std::uintptr_t module;
    const char* name;
};
constexpr Export kExports[] = {
    {kKernel32, "CreateToolhelp32Snapshot"},
    {kKernel32, "Process32First"},
    {kKernel32, "Process32Next"},
    {kKernel32, "QueryFullProcessImageNameA"},
    {kKernel32, "Process32FirstW"},
    {kKernel32, "Process32NextW"},
    {kKernel32, "QueryFullProcessImageNameW"},
    {kKernel32, "ProcessIdToSessionId"},
    {kNtdll, "RtlCreateQueryDebugBuffer"},
    {kNtdll, "RtlQueryProcessDebugInformation"},
    {kNtdll, "RtlDestroyQueryDebugBuffer"},
};

// A misused fake means a faulty test or logic; stop loudly rather than let a catch hide it.
// The address GetProcAddress hands out for an export (whether or not it is scripted as missing).
ProcAddress AddressOf(const char* name, std::uintptr_t module = 0) {
    for (std::size_t i = 0; i < std::size(kExports); ++i) {
        if ((module == 0 || module == kExports[i].module) &&
            std::strcmp(name, kExports[i].name) == 0) {
            return static_cast<ProcAddress>(0x10000 + 0x10 * i);
        }
    }
    return ProcAddress{};
}

[[noreturn]] void Misuse(const std::string& what) {
    std::fprintf(stderr, "FakeProcessPlatform misuse: %s\n", what.c_str());
    std::abort();
}

bool Has(std::uint32_t access, std::uint32_t right) {
    return access == kProcessAllAccess ? true : (access & right) != 0;
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void FakeProcessPlatform::SetPerfInstances(
    const std::vector<std::pair<std::u16string, std::uint32_t>>& instances) {
    counters = StandardCounterTable();
    PerfDataBlockBuilder builder;
    for (const auto& [name, id] : instances) builder.Instance(name, id);
    perfData = builder.Build();
}

FakeProcess& FakeProcessPlatform::Add(std::uint32_t id, std::string exeFile,
                                      std::string fullImageName) {
    FakeProcess process;
    process.id = id;
    process.exeFile = std::move(exeFile);
    process.fullImageName = std::move(fullImageName);
    processes.push_back(process);
    return processes.back();
}

FakeProcess* FakeProcessPlatform::Find(std::uint32_t id) {
    for (FakeProcess& p : processes) {
        if (p.id == id && p.running) return &p;
    }
    return nullptr;
}

std::vector<std::uint32_t> FakeProcessPlatform::RunningIds() const {
    std::vector<std::uint32_t> ids;
    for (const FakeProcess& p : processes) {
        if (p.running) ids.push_back(p.id);
    }
    return ids;
}

OsHandle FakeProcessPlatform::NewHandle(HandleState state) {
    const std::uintptr_t value = next_;
    next_ += 4;
    handles_.emplace(value, std::move(state));
    return static_cast<OsHandle>(value);
}

FakeProcessPlatform::HandleState* FakeProcessPlatform::Handle(OsHandle handle, HandleKind kind) {
    const auto it = handles_.find(static_cast<std::uintptr_t>(handle));
    if (it == handles_.end() || it->second.kind != kind) return nullptr;
    return &it->second;
}

void FakeProcessPlatform::Expect(ProcAddress fn, const char* name) const {
    if (fn == ProcAddress{} || fn != AddressOf(name)) {
        Misuse(std::string("called without the address of ") + name);
    }
}

void FakeProcessPlatform::FillEntry(const FakeProcess& process, ProcessEntry32& entry) {
    entry.processId = process.id;
    entry.exeFile.fill('\0');
    std::memcpy(entry.exeFile.data(), process.exeFile.data(),
                std::min(process.exeFile.size(), entry.exeFile.size()));
}

std::u16string FakeProcessPlatform::WideOf(const std::string& ansi) const {
    return DecodeAnsi(codePage, ansi);
}

void FakeProcessPlatform::FillEntryW(const FakeProcess& process, ProcessEntry32W& entry) const {
    entry.processId = process.id;
    entry.exeFile.fill(u'\0');
    const std::u16string name =
        process.wideExeFile.empty() ? WideOf(process.exeFile) : process.wideExeFile;
    std::copy_n(name.begin(), std::min(name.size(), entry.exeFile.size()), entry.exeFile.begin());
}

FakeProcessPlatform::FakeProcessPlatform() {
    facts.version = {kVerPlatformNt, 6, 1};
    facts.windowsFolder = "C:\\WINDOWS";
    facts.systemFolder = "C:\\WINDOWS\\system32";
    SetCodePage(codePage);
}

void FakeProcessPlatform::SetCodePage(unsigned page) {
    codePage = page;
    facts.leadBytes = LeadBytesOf(page);
}

ModuleHandle FakeProcessPlatform::GetModuleHandleA(const char* moduleName) {
    ++getModuleHandleCalls;
    if (std::strcmp(moduleName, "kernel32.dll") != 0) Misuse("GetModuleHandleA of another module");
    return static_cast<ModuleHandle>(kernel32Missing ? 0 : kKernel32);
}

ModuleHandle FakeProcessPlatform::LoadLibraryA(const char* moduleName) {
    ++loadLibraryCalls;
    if (std::strcmp(moduleName, "ntdll.dll") != 0) Misuse("LoadLibraryA of another module");
    return static_cast<ModuleHandle>(ntdllMissing ? 0 : kNtdll);
}

ProcAddress FakeProcessPlatform::GetProcAddress(ModuleHandle module, const char* procName) {
    procLookups.emplace_back(procName);
    if (module == ModuleHandle{} || missingFunctions.count(procName)) return ProcAddress{};
    return AddressOf(procName, static_cast<std::uintptr_t>(module));
}

OsHandle FakeProcessPlatform::CreateToolhelp32Snapshot(ProcAddress fn, std::uint32_t flags,
                                                       std::uint32_t processId) {
    Expect(fn, "CreateToolhelp32Snapshot");
    if (flags != 2 || processId != 0) Misuse("snapshot not of all processes");
    ++snapshots;
    if (snapshotFails) return kInvalidHandle;
    HandleState state;
    state.kind = HandleKind::Snapshot;
    for (const FakeProcess& p : processes) {
        if (p.running && p.inSnapshot) state.entries.push_back(p);
    }
    return NewHandle(std::move(state));
}

// The walk of Process32First/Next and their W forms: the entry at the cursor, or none where the
// handle is no snapshot, the caller's size field is wrong, or the walk is over.
const FakeProcess* FakeProcessPlatform::SnapshotStep(ProcAddress fn, const char* name, OsHandle snapshot,
                                                     bool sizeRight, bool first) {
    Expect(fn, name);
    HandleState* state = Handle(snapshot, HandleKind::Snapshot);
    if (!state || !sizeRight) return nullptr;
    if (first) {
        state->cursor = 0;
        return state->entries.empty() ? nullptr : &state->entries[0];
    }
    return state->cursor + 1 < state->entries.size() ? &state->entries[++state->cursor] : nullptr;
}

bool FakeProcessPlatform::Process32First(ProcAddress fn, OsHandle snapshot, ProcessEntry32& entry) {
    const FakeProcess* p = SnapshotStep(fn, "Process32First", snapshot, entry.size == kProcessEntrySize, true);
    if (p) FillEntry(*p, entry);
    return p != nullptr;
}

bool FakeProcessPlatform::Process32Next(ProcAddress fn, OsHandle snapshot, ProcessEntry32& entry) {
    const FakeProcess* p = SnapshotStep(fn, "Process32Next", snapshot, entry.size == kProcessEntrySize, false);
    if (p) FillEntry(*p, entry);
    return p != nullptr;
}

bool FakeProcessPlatform::Process32FirstW(ProcAddress fn, OsHandle snapshot, ProcessEntry32W& entry) {
    const FakeProcess* p = SnapshotStep(fn, "Process32FirstW", snapshot, entry.size == kProcessEntryWSize, true);
    if (p) FillEntryW(*p, entry);
    return p != nullptr;
}

bool FakeProcessPlatform::Process32NextW(ProcAddress fn, OsHandle snapshot, ProcessEntry32W& entry) {
    const FakeProcess* p = SnapshotStep(fn, "Process32NextW", snapshot, entry.size == kProcessEntryWSize, false);
    if (p) FillEntryW(*p, entry);
    return p != nullptr;
}

bool FakeProcessPlatform::CloseHandle(OsHandle handle) {
    return handles_.erase(static_cast<std::uintptr_t>(handle)) == 1;
}

std::int32_t FakeProcessPlatform::RegOpenKeyExA(RegKey parent, const char* subKey,
                                                std::uint32_t options, std::uint32_t access,
                                                RegKey* result) {
    if (parent != kHkeyLocalMachine || options != 0 || access != 0x20019) Misuse("RegOpenKeyExA");
    openedKeys.emplace_back(subKey);
    if (perflibOpenFails) return kErrorFileNotFound;
    keys_.insert(static_cast<std::uintptr_t>(kPerflibKey));
    *result = kPerflibKey;
    return 0;
}

std::int32_t FakeProcessPlatform::RegQueryValueExA(RegKey key, const char* valueName,
                                                   std::uint32_t* /*type*/, std::uint8_t* data,
                                                   std::uint32_t* dataSize) {
    if (key == kPerflibKey) {
        if (!keys_.count(static_cast<std::uintptr_t>(key))) Misuse("query of a closed key");
        if (std::strcmp(valueName, "Counters") != 0) return kErrorFileNotFound;
        if (countersSizeFails) return kErrorFileNotFound;
        const auto size = static_cast<std::uint32_t>(counters.size());
        if (!data) {
            *dataSize = size;
            return 0;
        }
        if (*dataSize < size) {
            *dataSize = size;
            return kErrorMoreData;
        }
        std::copy(counters.begin(), counters.end(), data);
        *dataSize = size;
        return 0;
    }
    if (key == kHkeyPerformanceData) {
        perfValueNames.emplace_back(valueName);
        perfDataQuerySizes.push_back(*dataSize);
        if (perfDataQuery) return perfDataQuery(data, dataSize);
        if (*dataSize < perfData.size()) return kErrorMoreData;
        std::copy(perfData.begin(), perfData.end(), data);
        *dataSize = static_cast<std::uint32_t>(perfData.size());
        return 0;
    }
    Misuse("RegQueryValueExA on an unknown key");
}

std::int32_t FakeProcessPlatform::RegCloseKey(RegKey key) {
    if (key == kHkeyPerformanceData) {
        ++perfDataCloses;
        return 0;
    }
    return keys_.erase(static_cast<std::uintptr_t>(key)) == 1 ? 0 : 6;  // ERROR_INVALID_HANDLE
}

int FakeProcessPlatform::AnsiConversion(std::u16string_view wide, char* out, int outSize,
                                        bool& usedDefault) {
    const std::string converted = EncodeAnsi(codePage, wide, true, &usedDefault);
    const int size = static_cast<int>(converted.size());
    if (outSize == 0) return size;
    if (size > outSize) return 0;
    std::memcpy(out, converted.data(), converted.size());
    return size;
}

OsHandle FakeProcessPlatform::GetCurrentProcess() { return kCurrentProcess; }

std::uint32_t FakeProcessPlatform::GetCurrentProcessId() { return selfId; }

bool FakeProcessPlatform::OpenProcessToken(OsHandle process, std::uint32_t access,
                                           OsHandle* token) {
    if (process != kCurrentProcess || access != 0x28) Misuse("OpenProcessToken arguments");
    ++tokenOpens;
    if (tokenOpenFails) return false;
    *token = NewHandle(HandleState{HandleKind::Token, 0, 0, {}, 0});
    return true;
}

bool FakeProcessPlatform::LookupPrivilegeValueA(const char* systemName, const char* name,
                                                Luid* luid) {
    if (systemName || std::strcmp(name, "SeDebugPrivilege") != 0) Misuse("LookupPrivilegeValueA");
    if (privilegeLookupFails) return false;
    *luid = Luid{20, 0};
    return true;
}

bool FakeProcessPlatform::AdjustTokenPrivileges(OsHandle token, bool disableAll,
                                                const TokenPrivilege& newState,
                                                std::uint32_t bufferLength,
                                                TokenPrivilege* previousState,
                                                std::uint32_t* returnLength) {
    if (!Handle(token, HandleKind::Token) || disableAll || newState.privilegeCount != 1 ||
        newState.luid.lowPart != 20 || newState.attributes != 2 || bufferLength != 16 ||
        !previousState || !returnLength || *returnLength != 0) {
        Misuse("AdjustTokenPrivileges arguments");
    }
    ++adjustCalls;
    lastError_ = adjustLastError;
    debugPrivilege_ = debugPrivilege_ || adjustLastError == 0;
    return true;  // also when not all were assigned, as Windows does
}

std::uint32_t FakeProcessPlatform::GetLastError() { return lastError_; }

OsHandle FakeProcessPlatform::OpenProcess(std::uint32_t access, bool inheritHandle,
                                          std::uint32_t processId) {
    opens.push_back({access, inheritHandle, processId});
    const FakeProcess* p = Find(processId);
    // As Windows answers: no such process (any more), or not these rights.
    if (!p) {
        lastError_ = kErrorInvalidParameter;
        return OsHandle{};
    }
    if (p->openRefused || (access & p->deniedAccess) != 0 || (p->needsDebugPrivilege && !debugPrivilege_)) {
        lastError_ = kErrorAccessDenied;
        return OsHandle{};
    }
    HandleState state;
    state.kind = HandleKind::Process;
    state.processId = processId;
    state.access = access;
    return NewHandle(std::move(state));
}

bool FakeProcessPlatform::TerminateProcess(OsHandle process, std::uint32_t exitCode) {
    HandleState* state = Handle(process, HandleKind::Process);
    if (!state) Misuse("TerminateProcess without a process handle");
    if (exitCode != 0) Misuse("exit code not 0");
    FakeProcess* p = Find(state->processId);
    if (!p || !Has(state->access, kProcessTerminate) || p->terminateRefused) {
        lastError_ = kErrorAccessDenied;
        return false;
    }
    p->running = false;
    terminated.push_back(p->id);
    return true;
}

bool FakeProcessPlatform::ProcessEnded(OsHandle process) {
    HandleState* state = Handle(process, HandleKind::Process);
    if (!state || !Has(state->access, kSynchronize)) Misuse("ProcessEnded without a waitable process handle");
    return Find(state->processId) == nullptr;
}

Criticality FakeProcessPlatform::QueryProcessCritical(OsHandle process) {
    ++criticalQueries;
    HandleState* state = Handle(process, HandleKind::Process);
    if (!state) Misuse("QueryProcessCritical without a process handle");
    const FakeProcess* p = Find(state->processId);
    if (!p || !Has(state->access, kProcessQueryInformation)) return Criticality::Unknown;
    return p->critical;
}

// The process a QueryFullProcessImageName call may read: none without a query right.
const FakeProcess* FakeProcessPlatform::FullNameTarget(ProcAddress fn, const char* name, OsHandle process,
                                                       std::uint32_t flags) {
    Expect(fn, name);
    HandleState* state = Handle(process, HandleKind::Process);
    if (!state || flags != 0) Misuse(std::string(name) + " arguments");
    fullNameQueries.push_back(state->processId);
    const FakeProcess* p = Find(state->processId);
    return p && (state->access & (kProcessQueryLimitedInformation | kProcessQueryInformation)) ? p : nullptr;
}

bool FakeProcessPlatform::QueryFullProcessImageNameA(ProcAddress fn, OsHandle process, std::uint32_t flags,
                                                     char* buffer, std::uint32_t* size) {
    const FakeProcess* p = FullNameTarget(fn, "QueryFullProcessImageNameA", process, flags);
    if (!p || p->fullImageName.empty() || p->fullImageName.size() + 1 > *size) return false;
    std::memcpy(buffer, p->fullImageName.c_str(), p->fullImageName.size() + 1);
    *size = static_cast<std::uint32_t>(p->fullImageName.size());
    return true;
}

bool FakeProcessPlatform::QueryFullProcessImageNameW(ProcAddress fn, OsHandle process, std::uint32_t flags,
                                                     char16_t* buffer, std::uint32_t* size) {
    const FakeProcess* p = FullNameTarget(fn, "QueryFullProcessImageNameW", process, flags);
    if (!p) return false;
    const std::u16string name = p->wideImageName.empty() ? WideOf(p->fullImageName) : p->wideImageName;
    if (name.empty() || name.size() + 1 > *size) return false;
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = u'\0';
    *size = static_cast<std::uint32_t>(name.size());
    return true;
}

bool FakeProcessPlatform::ProcessIdToSessionId(ProcAddress fn, std::uint32_t processId, std::uint32_t* sessionId) {
    Expect(fn, "ProcessIdToSessionId");
    const FakeProcess* p = Find(processId);
    const std::optional<std::uint32_t> session = processId == selfId ? selfSession : p ? p->session : std::nullopt;
    if (!session) {
        lastError_ = processId == selfId || p ? kErrorAccessDenied : kErrorInvalidParameter;
        return false;
    }
    *sessionId = *session;
    return true;
}

bool FakeProcessPlatform::ListProcessSessions(std::vector<ProcessSession>& sessions) {
    if (sessionListMissing) return false;
    sessions.clear();
    for (const FakeProcess& p : processes) {
        const std::optional<std::uint32_t> session = p.listedSession ? p.listedSession : p.session;
        if (p.running && session) sessions.push_back({p.id, *session});
    }
    return true;
}

DebugBuffer FakeProcessPlatform::RtlCreateQueryDebugBuffer(ProcAddress fn,
                                                           std::uint32_t maximumCommit,
                                                           bool useEventPair) {
    Expect(fn, "RtlCreateQueryDebugBuffer");
    if (maximumCommit != 0 || useEventPair) Misuse("RtlCreateQueryDebugBuffer arguments");
    if (debugBufferFails) return DebugBuffer{};
    const std::uintptr_t value = next_;
    next_ += 4;
    debugBuffers_.emplace(value, 0);
    return static_cast<DebugBuffer>(value);
}

std::int32_t FakeProcessPlatform::RtlQueryProcessDebugInformation(ProcAddress fn,
                                                                  std::uint32_t processId,
                                                                  std::uint32_t flags,
                                                                  DebugBuffer buffer) {
    Expect(fn, "RtlQueryProcessDebugInformation");
    const auto it = debugBuffers_.find(static_cast<std::uintptr_t>(buffer));
    if (it == debugBuffers_.end() || flags != 1)
        Misuse("RtlQueryProcessDebugInformation arguments");
    debugQueries.push_back(processId);
    it->second = processId;
    const FakeProcess* p = Find(processId);
    return p ? p->debugStatus : kStatusInvalidCid;
}

std::int32_t FakeProcessPlatform::RtlDestroyQueryDebugBuffer(ProcAddress fn, DebugBuffer buffer) {
    Expect(fn, "RtlDestroyQueryDebugBuffer");
    if (debugBuffers_.erase(static_cast<std::uintptr_t>(buffer)) != 1) Misuse("destroy twice");
    return 0;
}

bool FakeProcessPlatform::ReadFirstModulePath(DebugBuffer buffer, std::array<char, 256>& path) {
    const auto it = debugBuffers_.find(static_cast<std::uintptr_t>(buffer));
    if (it == debugBuffers_.end()) Misuse("ReadFirstModulePath of an unknown buffer");
    const FakeProcess* p = Find(it->second);
    if (!p || !p->hasModuleRecord) return false;
    path.fill('\0');
    std::memcpy(path.data(), p->modulePath.data(), std::min(p->modulePath.size(), path.size()));
    return true;
}

OsHandle FakeProcessPlatform::CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                          std::uint32_t creationDisposition, std::uint32_t flags) {
    if (creationDisposition != kOpenExisting || flags != 0) Misuse("CreateFileA that may create or change a file");
    fileOpens.emplace_back(path);
    lastFileAccess = access;
    lastFileShare = shareMode;
    const auto it = files.find(path);
    if (it == files.end()) return kInvalidHandle;
    HandleState state{HandleKind::File, 0, 0, {}, 0};
    state.file = it->second;
    return NewHandle(std::move(state));
}

bool FakeProcessPlatform::GetFileInformationByHandle(OsHandle file, FileInformation& info) {
    const HandleState* state = Handle(file, HandleKind::File);
    if (!state) Misuse("GetFileInformationByHandle without an open file");
    info = state->file;
    return true;
}

// ---- PerfDataBlockBuilder ----

PerfDataBlockBuilder::PerfDataBlockBuilder() {
    // Two counters around the id, so that a parse reading the wrong one gives a wrong id.
    Counter(6, 8);
    Counter(kIdProcessIndex, 16);
    Counter(1410, 24);
}

PerfDataBlockBuilder& PerfDataBlockBuilder::Counter(std::uint32_t titleIndex,
                                                    std::uint32_t counterOffset) {
    counters_.push_back({titleIndex, counterOffset});
    return *this;
}

PerfDataBlockBuilder& PerfDataBlockBuilder::Instance(std::u16string name, std::uint32_t id) {
    instances_.emplace_back(std::move(name), id);
    return *this;
}

PerfDataBlockBuilder& PerfDataBlockBuilder::Instances(std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::string ascii = "proc" + std::to_string(k);
        Instance(std::u16string(ascii.begin(), ascii.end()), static_cast<std::uint32_t>(1000 + k));
    }
    return *this;
}

PerfDataBlockBuilder& PerfDataBlockBuilder::NumInstancesField(std::int32_t value) {
    overrideCount_ = true;
    countField_ = value;
    return *this;
}

std::vector<std::uint8_t> PerfDataBlockBuilder::Build() const {
    constexpr std::uint32_t kDefinitionSize = 40;
    constexpr std::uint32_t kInstanceHeader = 24;
    std::uint32_t dataEnd = 8;
    for (const Def& d : counters_) dataEnd = std::max(dataEnd, d.offset + 4);
    const std::uint32_t counterBlockLength = (dataEnd + 7) / 8 * 8;

    std::vector<std::uint8_t> block(kBlockHeaderLength);
    const char16_t signature[] = u"PERF";
    for (int i = 0; i < 4; ++i) {
        block[2 * i] = static_cast<std::uint8_t>(signature[i]);
        block[2 * i + 1] = static_cast<std::uint8_t>(signature[i] >> 8);
    }
    PutU32(block, 8, 1);   // LittleEndian
    PutU32(block, 12, 1);  // Version
    PutU32(block, 24, kBlockHeaderLength);
    PutU32(block, 28, 1);  // NumObjectTypes

    const std::size_t object = block.size();
    const auto definitionLength =
        static_cast<std::uint32_t>(kObjectHeaderLength + kDefinitionSize * counters_.size());
    block.resize(object + definitionLength);
    PutU32(block, object + 4, definitionLength);
    PutU32(block, object + 8, kObjectHeaderLength);
    PutU32(block, object + 12, kProcessObjectIndex);
    PutU32(block, object + 32, static_cast<std::uint32_t>(counters_.size()));
    PutU32(block, object + 40,
           static_cast<std::uint32_t>(
               overrideCount_ ? countField_ : static_cast<std::int32_t>(instances_.size())));
    for (std::size_t i = 0; i < counters_.size(); ++i) {
        const std::size_t def = object + kObjectHeaderLength + kDefinitionSize * i;
        PutU32(block, def + 0, kDefinitionSize);
        PutU32(block, def + 4, counters_[i].titleIndex);
        PutU32(block, def + 32, 4);
        PutU32(block, def + 36, counters_[i].offset);
    }

    for (const auto& [name, id] : instances_) {
        const std::size_t instance = block.size();
        const auto nameBytes = static_cast<std::uint32_t>((name.size() + 1) * 2);
        const std::uint32_t instanceLength = (kInstanceHeader + nameBytes + 7) / 8 * 8;
        block.resize(instance + instanceLength + counterBlockLength);
        PutU32(block, instance + 0, instanceLength);
        PutU32(block, instance + 12, 0xFFFFFFFFu);  // UniqueID: PERF_NO_UNIQUE_ID
        PutU32(block, instance + 16, kInstanceHeader);
        PutU32(block, instance + 20, nameBytes);
        for (std::size_t c = 0; c < name.size(); ++c) {
            block[instance + kInstanceHeader + 2 * c] = static_cast<std::uint8_t>(name[c]);
            block[instance + kInstanceHeader + 2 * c + 1] = static_cast<std::uint8_t>(name[c] >> 8);
        }
        const std::size_t counterBlock = instance + instanceLength;
        PutU32(block, counterBlock, counterBlockLength);
        for (const Def& d : counters_) {
            PutU32(block, counterBlock + d.offset,
                   d.titleIndex == kIdProcessIndex ? id : 0xBAD00000u + d.titleIndex);
        }
    }
    PutU32(block, 20, static_cast<std::uint32_t>(block.size()));  // TotalByteLength
    PutU32(block, object, static_cast<std::uint32_t>(block.size() - object));
    return block;
}

std::vector<std::uint8_t> MultiSz(const std::vector<std::string>& strings) {
    std::vector<std::uint8_t> bytes;
    for (const std::string& s : strings) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    return bytes;
}

std::vector<std::uint8_t> StandardCounterTable() {
    return MultiSz({"1", "1847", "2", "System", "6", "% Processor Time", "230", "Process", "784",
                    "ID Process", "1410", "Creating Process ID"});
}

}  // namespace norvanex::fake
