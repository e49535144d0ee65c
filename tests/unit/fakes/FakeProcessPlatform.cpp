// The scripted process platform.
#include "fakes/FakeProcessPlatform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fakes/CodePages.h"

namespace norvanex::fake {
namespace {

constexpr std::size_t kExeFileSize = 260;       // szExeFile
constexpr std::size_t kModulePathSize = 256;    // the debug information's FullPathName

// A misused fake means a faulty test or logic; stop loudly rather than let a catch hide it.
[[noreturn]] void Misuse(const char* what) {
    std::fprintf(stderr, "FakeProcessPlatform misuse: %s\n", what);
    std::abort();
}

}  // namespace

FakeProcessPlatform::FakeProcessPlatform() {
    facts.version = {kVerPlatformNt, 6, 1};
    facts.windowsFolder = "C:\\WINDOWS";
    SetCodePage(codePage);
}

void FakeProcessPlatform::SetCodePage(unsigned page) {
    codePage = page;
    facts.leadBytes = LeadBytesOf(page);
}

void FakeProcessPlatform::SetPerfInstances(const std::vector<std::pair<std::u16string, std::uint32_t>>& instances) {
    counters = StandardCounterTable();
    PerfDataBlockBuilder builder;
    for (const auto& [name, id] : instances) builder.Instance(name, id);
    perfData = builder.Build();
}

FakeProcess& FakeProcessPlatform::Add(std::uint32_t id, std::string exeFile, std::string fullImageName) {
    FakeProcess& process = processes.emplace_back();
    process.id = id;
    process.exeFile = std::move(exeFile);
    process.fullImageName = std::move(fullImageName);
    return process;
}

FakeProcess* FakeProcessPlatform::Find(std::uint32_t id) {
    for (FakeProcess& p : processes) {
        if (p.id == id && p.running) return &p;
    }
    return nullptr;
}

bool FakeProcessPlatform::Snapshot(SnapshotForm form, std::vector<SnapshotName>& listed) {
    const bool wide = form == SnapshotForm::Wide;
    if (snapshotMissing || (wide && wideSnapshotMissing)) return false;
    ++snapshots;
    for (const FakeProcess& p : processes) {
        if (snapshotFails || !p.running || !p.inSnapshot) continue;
        const std::u16string name = p.wideExeFile.empty() ? DecodeAnsi(codePage, p.exeFile) : p.wideExeFile;
        listed.push_back({p.id, wide ? "" : p.exeFile.substr(0, kExeFileSize), wide ? name.substr(0, kExeFileSize) : u""});
    }
    return true;
}

int FakeProcessPlatform::AnsiConversion(std::u16string_view wide, char* out, int outSize, bool& usedDefault) {
    const std::string converted = EncodeAnsi(codePage, wide, true, &usedDefault);
    const int size = static_cast<int>(converted.size());
    if (outSize != 0 && size <= outSize) std::memcpy(out, converted.data(), converted.size());
    return outSize == 0 || size <= outSize ? size : 0;
}

std::optional<std::uint32_t> FakeProcessPlatform::SessionOf(std::uint32_t processId) {
    ++sessionQueries;
    if (sessionQueryMissing) return std::nullopt;
    if (processId == selfId) return selfSession;
    const FakeProcess* p = Find(processId);
    return p ? p->session : std::nullopt;
}

bool FakeProcessPlatform::ListSessions(std::vector<ProcessSession>& sessions) {
    if (sessionListMissing) return false;
    sessions.clear();
    for (const FakeProcess& p : processes) {
        const std::optional<std::uint32_t> session = p.listedSession ? p.listedSession : p.session;
        if (p.running && session) sessions.push_back({p.id, *session});
    }
    return true;
}

CounterNamesRead FakeProcessPlatform::ReadCounterNames(std::uint32_t ceiling, std::vector<std::uint8_t>& table) {
    if (perflibOpenFails) return CounterNamesRead::NoKey;
    if (countersSizeFails || counters.size() > ceiling) return CounterNamesRead::NoSize;
    table = counters;
    return CounterNamesRead::Read;
}

PerfQuery FakeProcessPlatform::QueryPerfObject(const std::string& objectIndex, std::uint8_t* data,
                                               std::uint32_t& size) {
    if (objectIndex != std::to_string(kProcessObjectIndex)) Misuse("a query of another object");
    perfDataQuerySizes.push_back(size);
    if (perfDataQuery) return perfDataQuery(data, &size);
    if (size < perfData.size()) return PerfQuery::MoreData;
    std::copy(perfData.begin(), perfData.end(), data);
    size = static_cast<std::uint32_t>(perfData.size());
    return PerfQuery::Read;
}

PrivilegeStatus FakeProcessPlatform::EnableDebugPrivilege() {
    ++privilegeRequests;
    if (privilegeStatus == PrivilegeStatus::Enabled) debugPrivilege_ = true;
    return privilegeStatus;
}

// As Windows answers an OpenProcess: no such process (any more), or not these rights.
std::uint32_t FakeProcessPlatform::OpenError(const FakeProcess* p) const {
    if (!p) return kErrorInvalidParameter;
    return p->openRefused || (p->needsDebugPrivilege && !debugPrivilege_) ? kErrorAccessDenied : 0;
}

std::optional<std::u16string> FakeProcessPlatform::KernelImagePathWide(std::uint32_t processId) {
    const std::string ansi = KernelImagePathAnsi(processId);
    const FakeProcess* p = Find(processId);
    std::u16string name = p && !p->wideImageName.empty() ? p->wideImageName : DecodeAnsi(codePage, ansi);
    return name.empty() || OpenError(p) != 0 ? std::nullopt : std::optional<std::u16string>(name);
}

std::string FakeProcessPlatform::DebugInfoImagePath(std::uint32_t processId) {
    debugQueries.push_back(processId);
    const FakeProcess* p = Find(processId);
    return p ? p->modulePath.substr(0, kModulePathSize) : std::string();
}

std::string FakeProcessPlatform::KernelImagePathAnsi(std::uint32_t processId) {
    const FakeProcess* p = Find(processId);
    if (OpenError(p) != 0) return {};
    fullNameQueries.push_back(processId);
    return p->fullImageName;
}

OpenedProcess FakeProcessPlatform::Open(std::uint32_t processId, OpenFor) {
    opened.push_back(processId);
    const FakeProcess* p = Find(processId);
    if (const std::uint32_t error = OpenError(p)) return {OsHandle{}, Criticality::Unknown, error};
    handles_.emplace(next_ += 4, processId);
    return {static_cast<OsHandle>(next_), p->critical, 0};
}

Criticality FakeProcessPlatform::CriticalityOf(std::uint32_t processId) {
    const FakeProcess* p = Find(processId);
    return OpenError(p) == 0 ? p->critical : Criticality::Unknown;
}

FakeProcess* FakeProcessPlatform::Opened(OsHandle handle) {
    const auto it = handles_.find(static_cast<std::uintptr_t>(handle));
    if (it == handles_.end()) Misuse("a handle that is not open");
    return Find(it->second);
}

std::uint32_t FakeProcessPlatform::Terminate(OsHandle process) {
    FakeProcess* p = Opened(process);
    if (!p || p->terminateRefused) return kErrorAccessDenied;
    p->running = false;
    terminated.push_back(p->id);
    return 0;
}

bool FakeProcessPlatform::HasEnded(OsHandle process) { return Opened(process) == nullptr; }

void FakeProcessPlatform::Close(OsHandle process) {
    if (handles_.erase(static_cast<std::uintptr_t>(process)) != 1) Misuse("a handle closed twice");
}

std::optional<FileIdentity> FakeProcessPlatform::FileIdentityOf(const std::string& path, bool ntLine) {
    fileOpens.push_back(path);
    lastFileNtLine = ntLine;
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
}

}  // namespace norvanex::fake
