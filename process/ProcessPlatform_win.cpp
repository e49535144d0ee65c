// The Win32 side of process access: every ProcessPlatform intent as the real calls, and the
// process-wide ProcessAccess bound to it.
#include "process/ProcessPlatform_win.h"

#include <windows.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/AnsiText_win.h"
#include "base/SystemFacts_win.h"
#include "base/SystemFunction_win.h"
#include "process/ProcessAccess.h"
#include "process/ProcessPlatform.h"

namespace norvanex {
namespace {

static_assert(sizeof(void*) == 4, "the debug buffer and structure layouts are those of 32-bit Windows");

// The run-time bound functions, with the signatures of their documentation: none of them is in the
// kernel32 of Windows 95 and NT 4.0 all together. The ntdll ones are not in the SDK headers;
// RtlQueryProcessDebugInformation takes the process id as a 32-bit value.
using CreateToolhelp32SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using Process32Fn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
using Process32WFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
using QueryFullProcessImageNameAFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
using QueryFullProcessImageNameWFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
using ProcessIdToSessionIdFn = BOOL(WINAPI*)(DWORD, DWORD*);
using IsProcessCriticalFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using RtlCreateQueryDebugBufferFn = PVOID(NTAPI*)(ULONG, BOOLEAN);
using RtlQueryProcessDebugInformationFn = LONG(NTAPI*)(ULONG, ULONG, PVOID);
using RtlDestroyQueryDebugBufferFn = LONG(NTAPI*)(PVOID);
using NtQueryInformationProcessFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using EnumerateProcessesFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, WTS_PROCESS_INFOW**, DWORD*);
using WtsFreeFn = void(WINAPI*)(void*);

template <class Fn>
Fn Kernel32(const char* name) { return FindSystemFunctionAs<Fn>("kernel32.dll", name); }
// ntdll from the system folder: the 9x line has one too, but a planted one beside the program
// would be found first.
template <class Fn>
Fn Ntdll(const char* name) { return FindSystemFunctionAs<Fn>("ntdll.dll", name); }

// PROCESSINFOCLASS ProcessBreakOnTermination: a ULONG, nonzero for a critical process.
constexpr ULONG kProcessBreakOnTermination = 29;
constexpr ULONG kRtlQueryProcessModules = 0x01;  // PDI_MODULES
// RTL_DEBUG_INFORMATION (32-bit): the pointer to the module list at byte 48. The list
// (RTL_PROCESS_MODULES) holds a ULONG count and then the records, whose FullPathName is 28 bytes
// in.
constexpr std::size_t kDebugInfoModules = 48;
constexpr std::size_t kModulesFirstPath = 4 + 28;
// QueryFullProcessImageName paths may exceed MAX_PATH; 32767 characters is the longest Win32 path.
constexpr DWORD kFullImageNameBuffer = 32768;

// The English counter names: perflib\009 (MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL)).
constexpr char kPerflibKey[] = "software\\microsoft\\windows nt\\currentversion\\perflib\\009";

// TOKEN_PRIVILEGES with room for exactly one privilege: the buffer length AdjustTokenPrivileges is
// given for the previous state.
constexpr DWORD kTokenPrivilegeSize = 16;
static_assert(sizeof(TOKEN_PRIVILEGES) == kTokenPrivilegeSize, "TOKEN_PRIVILEGES with one privilege");

// PROCESS_ALL_ACCESS of the NT 4 to XP headers, which later systems accept as well.
constexpr DWORD kProcessAllAccess = 0x1F0FFF;

HANDLE ToHandle(OsHandle h) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(h)); }
OsHandle FromHandle(HANDLE h) { return static_cast<OsHandle>(reinterpret_cast<std::uintptr_t>(h)); }

struct CloseWin32 {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using Win32Handle = UniqueHandle<HANDLE, CloseWin32>;
struct CloseKey {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using Win32Key = UniqueHandle<HKEY, CloseKey>;

bool ReadOwn(const void* from, void* to, std::size_t size) {
    SIZE_T read = 0;
    return ::ReadProcessMemory(::GetCurrentProcess(), from, to, size, &read) && read == size;
}

// IsProcessCritical (Windows 8.1 and later) is the documented question; before 8.1 the flag that
// RtlSetProcessIsCritical sets is ProcessBreakOnTermination.
Criticality QueryCritical(HANDLE process) {
    static const auto isProcessCritical = Kernel32<IsProcessCriticalFn>("IsProcessCritical");
    static const auto ntQueryInformationProcess = Ntdll<NtQueryInformationProcessFn>("NtQueryInformationProcess");
    BOOL critical = FALSE;
    if (isProcessCritical && isProcessCritical(process, &critical)) {
        return critical ? Criticality::Critical : Criticality::NotCritical;
    }
    ULONG breakOnTermination = 0;
    if (ntQueryInformationProcess &&
        ntQueryInformationProcess(process, kProcessBreakOnTermination, &breakOnTermination,
                                  sizeof breakOnTermination, nullptr) >= 0) {
        return breakOnTermination ? Criticality::Critical : Criticality::NotCritical;
    }
    return Criticality::Unknown;
}

template <class Entry, class Step>
void Walk(HANDLE snapshot, Step first, Step next, std::vector<SnapshotName>& processes) {
    Entry entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = first ? first(snapshot, &entry) : FALSE; ok; ok = next ? next(snapshot, &entry) : FALSE) {
        SnapshotName name;
        name.id = entry.th32ProcessID;
        // szExeFile may fill all 260 characters without a NUL.
        const auto* exe = entry.szExeFile;
        const std::size_t length = std::find(exe, exe + MAX_PATH, 0) - exe;
        if constexpr (std::is_same_v<Entry, PROCESSENTRY32W>) {
            name.wide.assign(reinterpret_cast<const char16_t*>(exe), length);
        } else {
            name.ansi.assign(exe, length);
        }
        processes.push_back(std::move(name));
    }
}

class Win32ProcessPlatform final : public ProcessPlatform {
public:
    std::uint32_t SelfId() override { return ::GetCurrentProcessId(); }

    bool Snapshot(SnapshotForm form, std::vector<SnapshotName>& processes) override {
        static const auto create = Kernel32<CreateToolhelp32SnapshotFn>("CreateToolhelp32Snapshot");
        static const auto first = Kernel32<Process32Fn>("Process32First");
        static const auto next = Kernel32<Process32Fn>("Process32Next");
        static const auto firstW = Kernel32<Process32WFn>("Process32FirstW");
        static const auto nextW = Kernel32<Process32WFn>("Process32NextW");
        const bool wide = form == SnapshotForm::Wide;
        if (!create || (wide && (!firstW || !nextW))) return false;
        // INVALID_HANDLE_VALUE is no handle to walk or close.
        const HANDLE taken = create(TH32CS_SNAPPROCESS, 0);
        if (taken == INVALID_HANDLE_VALUE) return true;
        const Win32Handle snapshot(taken);
        if (wide) {
            Walk<PROCESSENTRY32W>(snapshot.get(), firstW, nextW, processes);
        } else {
            Walk<PROCESSENTRY32>(snapshot.get(), first, next, processes);
        }
        return true;
    }

    int AnsiConversion(std::u16string_view wide, char* out, int outSize, bool& usedDefault) override {
        return SystemAnsiConversion(wide, out, outSize, usedDefault);
    }

    std::optional<std::uint32_t> SessionOf(std::uint32_t processId) override {
        static const auto sessionOf = Kernel32<ProcessIdToSessionIdFn>("ProcessIdToSessionId");
        DWORD session = 0;
        if (!sessionOf || !sessionOf(processId, &session)) return std::nullopt;
        return session;
    }

    bool ListSessions(std::vector<ProcessSession>& sessions) override {
        static const auto enumerate = FindSystemFunctionAs<EnumerateProcessesFn>("wtsapi32.dll", "WTSEnumerateProcessesW");
        static const auto release = FindSystemFunctionAs<WtsFreeFn>("wtsapi32.dll", "WTSFreeMemory");
        WTS_PROCESS_INFOW* list = nullptr;
        DWORD count = 0;
        if (!enumerate || !release || !enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &count)) return false;
        sessions.clear();
        for (DWORD i = 0; i < count; ++i) sessions.push_back({list[i].ProcessId, list[i].SessionId});
        release(list);
        return true;
    }

    CounterNamesRead ReadCounterNames(std::uint32_t ceiling, std::vector<std::uint8_t>& table) override {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPerflibKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
            return CounterNamesRead::NoKey;
        }
        const Win32Key perflib(opened);
        DWORD size = 0;
        if (::RegQueryValueExA(perflib.get(), "Counters", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
            size > ceiling) {
            return CounterNamesRead::NoSize;
        }
        // Zero-filled, so a read that fails leaves an empty table.
        table.assign(size, 0);
        DWORD read = size;
        ::RegQueryValueExA(perflib.get(), "Counters", nullptr, nullptr, table.data(), &read);
        return CounterNamesRead::Read;
    }

    PerfQuery QueryPerfObject(const std::string& objectIndex, std::uint8_t* data, std::uint32_t& size) override {
        DWORD given = size;
        const LONG status = ::RegQueryValueExA(HKEY_PERFORMANCE_DATA, objectIndex.c_str(), nullptr, nullptr, data, &given);
        size = given;
        if (status == ERROR_SUCCESS) return PerfQuery::Read;
        return status == ERROR_MORE_DATA ? PerfQuery::MoreData : PerfQuery::Failed;
    }

    void ReleasePerfData() override { ::RegCloseKey(HKEY_PERFORMANCE_DATA); }

    PrivilegeStatus EnableDebugPrivilege() override {
        HANDLE opened = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
            return PrivilegeStatus::TokenUnopened;
        }
        const Win32Handle token(opened);
        TOKEN_PRIVILEGES enable{};
        enable.PrivilegeCount = 1;
        enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &enable.Privileges[0].Luid)) {
            return PrivilegeStatus::NameUnknown;
        }
        TOKEN_PRIVILEGES previous{};
        DWORD length = 0;
        // AdjustTokenPrivileges succeeds also when it assigned nothing; only the last error tells
        // (ERROR_NOT_ALL_ASSIGNED), so its own result says nothing here.
        ::AdjustTokenPrivileges(token.get(), FALSE, &enable, kTokenPrivilegeSize, &previous, &length);
        return ::GetLastError() != 0 ? PrivilegeStatus::NotAssigned : PrivilegeStatus::Enabled;
    }

    std::optional<std::u16string> KernelImagePathWide(std::uint32_t processId) override {
        static const auto query = Kernel32<QueryFullProcessImageNameWFn>("QueryFullProcessImageNameW");
        if (!query) return std::nullopt;
        const Win32Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        if (!process) return std::nullopt;
        std::u16string wide(kFullImageNameBuffer, u'\0');
        DWORD size = kFullImageNameBuffer;
        if (!query(process.get(), 0, reinterpret_cast<wchar_t*>(wide.data()), &size)) return std::nullopt;
        wide.resize(std::min<std::size_t>({size, wide.find(u'\0'), kFullImageNameBuffer - 1}));
        return wide;
    }

    std::string DebugInfoImagePath(std::uint32_t processId) override {
        static const auto create = Ntdll<RtlCreateQueryDebugBufferFn>("RtlCreateQueryDebugBuffer");
        static const auto query = Ntdll<RtlQueryProcessDebugInformationFn>("RtlQueryProcessDebugInformation");
        static const auto destroy = Ntdll<RtlDestroyQueryDebugBufferFn>("RtlDestroyQueryDebugBuffer");
        if (!create || !query || !destroy) return {};
        struct Destroy {
            void operator()(void* buffer) const { destroy(buffer); }
        };
        const UniqueHandle<void*, Destroy> buffer(create(0, FALSE));
        // NTSTATUS: negative values are errors, positive ones are successes with information.
        if (!buffer || query(processId, kRtlQueryProcessModules, buffer.get()) < 0) return {};
        std::array<char, 256> raw{};
        if (!ReadFirstModulePath(buffer.get(), raw)) return {};
        return std::string(raw.data(), std::find(raw.begin(), raw.end(), '\0') - raw.begin());
    }

    std::string KernelImagePathAnsi(std::uint32_t processId) override {
        static const auto query = Kernel32<QueryFullProcessImageNameAFn>("QueryFullProcessImageNameA");
        if (!query) return {};
        const Win32Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        if (!process) return {};
        std::string name(kFullImageNameBuffer, '\0');
        DWORD size = kFullImageNameBuffer;
        if (!query(process.get(), 0, name.data(), &size)) return {};
        name.resize(std::min<std::size_t>({size, std::strlen(name.c_str()), kFullImageNameBuffer - 1}));
        return name;
    }

    OpenedProcess Open(std::uint32_t processId, OpenFor purpose) override {
        DWORD access = PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION;
        if (purpose == OpenFor::EndAfterAsking || purpose == OpenFor::EndByIdAfterAsking) access |= SYNCHRONIZE;
        if (purpose == OpenFor::EndById) access = kProcessAllAccess;
        // A listed process is opened as the performance data's route always opened it: inheritable.
        const BOOL inherit = purpose == OpenFor::EndById || purpose == OpenFor::EndByIdAfterAsking;
        OpenedProcess opened;
        if (const HANDLE process = ::OpenProcess(access, inherit, processId)) {
            opened.handle = FromHandle(process);
            opened.critical = QueryCritical(process);
            return opened;
        }
        // Rights that allow ending but not asking: the question stays unanswered.
        if (purpose != OpenFor::EndById) {
            if (const HANDLE process = ::OpenProcess(access & ~PROCESS_QUERY_INFORMATION, inherit, processId)) {
                opened.handle = FromHandle(process);
                return opened;
            }
        }
        opened.error = ::GetLastError();
        return opened;
    }

    Criticality CriticalityOf(std::uint32_t processId) override {
        const Win32Handle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
        return process ? QueryCritical(process.get()) : Criticality::Unknown;
    }

    std::uint32_t Terminate(OsHandle process) override {
        return ::TerminateProcess(ToHandle(process), 0) ? 0 : ::GetLastError();
    }

    bool HasEnded(OsHandle process) override { return ::WaitForSingleObject(ToHandle(process), 0) == WAIT_OBJECT_0; }

    void Close(OsHandle process) override { ::CloseHandle(ToHandle(process)); }

    std::optional<FileIdentity> FileIdentityOf(const std::string& path, bool ntLine) override {
        const DWORD access = ntLine ? 0 : GENERIC_READ;
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (ntLine ? FILE_SHARE_DELETE : 0);
        const HANDLE opened = ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
        if (opened == INVALID_HANDLE_VALUE || opened == nullptr) return std::nullopt;
        const Win32Handle file(opened);
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
        return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    }
};

}  // namespace

bool ReadFirstModulePath(const void* debugInformation, std::array<char, 256>& path) {
    // The buffer is ntdll's, but the module list pointer inside it comes from the query of another
    // process; it is followed only through ReadProcessMemory on our own process, which reports an
    // address that cannot be read instead of faulting.
    const auto* info = static_cast<const std::uint8_t*>(debugInformation);
    const std::uint8_t* modules = nullptr;
    if (!ReadOwn(info + kDebugInfoModules, &modules, sizeof modules) || !modules) return false;
    // Without a record (Wine's answer, and a 64-bit target seen from 32 bits) the first record's
    // bytes are not the executable's.
    ULONG count = 0;
    if (!ReadOwn(modules, &count, sizeof count) || count == 0) return false;
    return ReadOwn(modules + kModulesFirstPath, path.data(), path.size());
}

ProcessPlatform& SystemProcessPlatform() {
    static Win32ProcessPlatform platform;
    return platform;
}

ProcessAccess& Processes() {
    static ProcessAccess access(SystemProcessPlatform(), ThisSystem());
    return access;
}

}  // namespace norvanex
