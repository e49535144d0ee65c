// The Win32 side of process access: every ProcessPlatform operation as the real call, and the
// process-wide ProcessAccess bound to it.
#include <windows.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <cstring>

#include "base/AnsiText_win.h"
#include "base/SystemDll_win.h"
#include "base/SystemFacts_win.h"
#include "base/SystemFunction_win.h"
#include "process/ProcessAccess.h"
#include "process/ProcessPlatform.h"

namespace norvanex {
namespace {

static_assert(sizeof(void*) == 4,
              "the debug buffer and structure layouts are those of 32-bit Windows");
static_assert(sizeof(PROCESSENTRY32) == 296, "the 8-bit-character PROCESSENTRY32");
static_assert(sizeof(PROCESSENTRY32W) == 556, "PROCESSENTRY32W");
static_assert(sizeof(TOKEN_PRIVILEGES) == kTokenPrivilegeSize, "TOKEN_PRIVILEGES with one privilege");

// The run-time bound functions, with the signatures of their documentation. The ntdll ones are not
// in the SDK headers; RtlQueryProcessDebugInformation takes the process id as a 32-bit value.
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

// PROCESSINFOCLASS ProcessBreakOnTermination: a ULONG, nonzero for a critical process.
constexpr ULONG kProcessBreakOnTermination = 29;

// RTL_DEBUG_INFORMATION (32-bit): the pointer to the module list at byte 48. The list
// (RTL_PROCESS_MODULES) holds a ULONG count and then the records, whose FullPathName is 28 bytes
// in.
constexpr std::size_t kDebugInfoModules = 48;
constexpr std::size_t kModulesFirstPath = 4 + 28;

template <typename Fn>
Fn Bound(ProcAddress fn) {
    return reinterpret_cast<Fn>(static_cast<std::uintptr_t>(fn));
}

HANDLE ToHandle(OsHandle h) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(h));
}
OsHandle FromHandle(HANDLE h) {
    return static_cast<OsHandle>(reinterpret_cast<std::uintptr_t>(h));
}

HKEY ToKey(RegKey key) {
    if (key == kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
    if (key == kHkeyPerformanceData) return HKEY_PERFORMANCE_DATA;
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

class Win32ProcessPlatform final : public ProcessPlatform {
public:
    ModuleHandle GetModuleHandleA(const char* moduleName) override {
        return static_cast<ModuleHandle>(
            reinterpret_cast<std::uintptr_t>(::GetModuleHandleA(moduleName)));
    }

    // From the system folder: the 9x line has an ntdll.dll there too, but a planted one beside the
    // program would be found first.
    ModuleHandle LoadLibraryA(const char* moduleName) override {
        return static_cast<ModuleHandle>(
            reinterpret_cast<std::uintptr_t>(LoadSystemDll(moduleName)));
    }

    ProcAddress GetProcAddress(ModuleHandle module, const char* procName) override {
        const HMODULE handle = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(module));
        return static_cast<ProcAddress>(
            reinterpret_cast<std::uintptr_t>(::GetProcAddress(handle, procName)));
    }

    OsHandle CreateToolhelp32Snapshot(ProcAddress fn, std::uint32_t flags,
                                      std::uint32_t processId) override {
        return FromHandle(Bound<CreateToolhelp32SnapshotFn>(fn)(flags, processId));
    }

    bool Process32First(ProcAddress fn, OsHandle snapshot, ProcessEntry32& entry) override {
        return CallProcess32(fn, snapshot, entry);
    }

    bool Process32Next(ProcAddress fn, OsHandle snapshot, ProcessEntry32& entry) override {
        return CallProcess32(fn, snapshot, entry);
    }

    bool Process32FirstW(ProcAddress fn, OsHandle snapshot, ProcessEntry32W& entry) override {
        return CallProcess32W(fn, snapshot, entry);
    }

    bool Process32NextW(ProcAddress fn, OsHandle snapshot, ProcessEntry32W& entry) override {
        return CallProcess32W(fn, snapshot, entry);
    }

    bool CloseHandle(OsHandle handle) override { return ::CloseHandle(ToHandle(handle)) != FALSE; }

    std::int32_t RegOpenKeyExA(RegKey parent, const char* subKey, std::uint32_t options,
                               std::uint32_t access, RegKey* result) override {
        HKEY key = nullptr;
        const LONG status = ::RegOpenKeyExA(ToKey(parent), subKey, options, access, &key);
        *result = static_cast<RegKey>(reinterpret_cast<std::uintptr_t>(key));
        return status;
    }

    std::int32_t RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override {
        DWORD valueType = 0;
        DWORD size = dataSize ? *dataSize : 0;
        const LONG status =
            ::RegQueryValueExA(ToKey(key), valueName, nullptr, type ? &valueType : nullptr, data,
                               dataSize ? &size : nullptr);
        if (type) *type = valueType;
        if (dataSize) *dataSize = size;
        return status;
    }

    std::int32_t RegCloseKey(RegKey key) override { return ::RegCloseKey(ToKey(key)); }

    int AnsiConversion(std::u16string_view wide, char* out, int outSize, bool& usedDefault) override {
        return SystemAnsiConversion(wide, out, outSize, usedDefault);
    }

    OsHandle GetCurrentProcess() override { return FromHandle(::GetCurrentProcess()); }

    std::uint32_t GetCurrentProcessId() override { return ::GetCurrentProcessId(); }

    bool OpenProcessToken(OsHandle process, std::uint32_t access, OsHandle* token) override {
        HANDLE handle = nullptr;
        const BOOL ok = ::OpenProcessToken(ToHandle(process), access, &handle);
        *token = FromHandle(handle);
        return ok != FALSE;
    }

    bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) override {
        LUID value{};
        if (!::LookupPrivilegeValueA(systemName, name, &value)) return false;
        luid->lowPart = value.LowPart;
        luid->highPart = value.HighPart;
        return true;
    }

    bool AdjustTokenPrivileges(OsHandle token, bool disableAll, const TokenPrivilege& newState,
                               std::uint32_t bufferLength, TokenPrivilege* previousState,
                               std::uint32_t* returnLength) override {
        TOKEN_PRIVILEGES state{};
        state.PrivilegeCount = newState.privilegeCount;
        state.Privileges[0].Luid.LowPart = newState.luid.lowPart;
        state.Privileges[0].Luid.HighPart = newState.luid.highPart;
        state.Privileges[0].Attributes = newState.attributes;
        TOKEN_PRIVILEGES previous{};
        DWORD length = *returnLength;
        const BOOL ok = ::AdjustTokenPrivileges(ToHandle(token), disableAll, &state, bufferLength,
                                                &previous, &length);
        // Reading the results must not disturb the last error, which the caller examines next.
        previousState->privilegeCount = previous.PrivilegeCount;
        previousState->luid = {previous.Privileges[0].Luid.LowPart,
                               previous.Privileges[0].Luid.HighPart};
        previousState->attributes = previous.Privileges[0].Attributes;
        *returnLength = length;
        return ok != FALSE;
    }

    std::uint32_t GetLastError() override { return ::GetLastError(); }

    OsHandle OpenProcess(std::uint32_t access, bool inheritHandle,
                         std::uint32_t processId) override {
        return FromHandle(::OpenProcess(access, inheritHandle, processId));
    }

    bool TerminateProcess(OsHandle process, std::uint32_t exitCode) override {
        return ::TerminateProcess(ToHandle(process), exitCode) != FALSE;
    }

    bool ProcessEnded(OsHandle process) override {
        return ::WaitForSingleObject(ToHandle(process), 0) == WAIT_OBJECT_0;
    }

    Criticality QueryProcessCritical(OsHandle process) override {
        BindCriticalQueries();
        // IsProcessCritical (Windows 8.1 and later) is the documented question.
        if (isProcessCritical_) {
            BOOL critical = FALSE;
            if (isProcessCritical_(ToHandle(process), &critical)) {
                return critical ? Criticality::Critical : Criticality::NotCritical;
            }
        }
        // Before 8.1 the flag that RtlSetProcessIsCritical sets is ProcessBreakOnTermination.
        if (ntQueryInformationProcess_) {
            ULONG breakOnTermination = 0;
            if (ntQueryInformationProcess_(ToHandle(process), kProcessBreakOnTermination,
                                           &breakOnTermination, sizeof breakOnTermination,
                                           nullptr) >= 0) {
                return breakOnTermination ? Criticality::Critical : Criticality::NotCritical;
            }
        }
        return Criticality::Unknown;
    }

    bool QueryFullProcessImageNameA(ProcAddress fn, OsHandle process, std::uint32_t flags,
                                    char* buffer, std::uint32_t* size) override {
        DWORD length = *size;
        const BOOL ok =
            Bound<QueryFullProcessImageNameAFn>(fn)(ToHandle(process), flags, buffer, &length);
        *size = length;
        return ok != FALSE;
    }

    bool QueryFullProcessImageNameW(ProcAddress fn, OsHandle process, std::uint32_t flags,
                                    char16_t* buffer, std::uint32_t* size) override {
        DWORD length = *size;
        const BOOL ok = Bound<QueryFullProcessImageNameWFn>(fn)(
            ToHandle(process), flags, reinterpret_cast<wchar_t*>(buffer), &length);
        *size = length;
        return ok != FALSE;
    }

    bool ProcessIdToSessionId(ProcAddress fn, std::uint32_t processId, std::uint32_t* sessionId) override {
        DWORD session = 0;
        const BOOL ok = Bound<ProcessIdToSessionIdFn>(fn)(processId, &session);
        *sessionId = session;
        return ok != FALSE;
    }

    bool ListProcessSessions(std::vector<ProcessSession>& sessions) override {
        using EnumerateFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, WTS_PROCESS_INFOW**, DWORD*);
        using FreeFn = void(WINAPI*)(void*);
        static const auto enumerate = FindSystemFunctionAs<EnumerateFn>("wtsapi32.dll", "WTSEnumerateProcessesW");
        static const auto release = FindSystemFunctionAs<FreeFn>("wtsapi32.dll", "WTSFreeMemory");
        WTS_PROCESS_INFOW* list = nullptr;
        DWORD count = 0;
        if (!enumerate || !release || !enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &count)) return false;
        sessions.clear();
        for (DWORD i = 0; i < count; ++i) sessions.push_back({list[i].ProcessId, list[i].SessionId});
        release(list);
        return true;
    }

    DebugBuffer RtlCreateQueryDebugBuffer(ProcAddress fn, std::uint32_t maximumCommit,
                                          bool useEventPair) override {
        return static_cast<DebugBuffer>(reinterpret_cast<std::uintptr_t>(
            Bound<RtlCreateQueryDebugBufferFn>(fn)(maximumCommit, useEventPair)));
    }

    std::int32_t RtlQueryProcessDebugInformation(ProcAddress fn, std::uint32_t processId,
                                                 std::uint32_t flags, DebugBuffer buffer) override {
        return Bound<RtlQueryProcessDebugInformationFn>(fn)(processId, flags, ToPointer(buffer));
    }

    std::int32_t RtlDestroyQueryDebugBuffer(ProcAddress fn, DebugBuffer buffer) override {
        return Bound<RtlDestroyQueryDebugBufferFn>(fn)(ToPointer(buffer));
    }

    bool ReadFirstModulePath(DebugBuffer buffer, std::array<char, 256>& path) override {
        // The buffer is ntdll's, but the module list pointer inside it comes from the query of
        // another process; it is followed only through ReadProcessMemory on our own process, which
        // reports an address that cannot be read instead of faulting.
        const auto* info = static_cast<const std::uint8_t*>(ToPointer(buffer));
        const std::uint8_t* modules = nullptr;
        if (!ReadOwn(info + kDebugInfoModules, &modules, sizeof modules) || !modules) return false;
        // Without a record (Wine's answer, and a 64-bit target seen from 32 bits) the first
        // record's bytes are not the executable's.
        ULONG count = 0;
        if (!ReadOwn(modules, &count, sizeof count) || count == 0) return false;
        return ReadOwn(modules + kModulesFirstPath, path.data(), path.size());
    }

    OsHandle CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                         std::uint32_t creationDisposition, std::uint32_t flags) override {
        return FromHandle(::CreateFileA(path, access, shareMode, nullptr, creationDisposition, flags, nullptr));
    }

    bool GetFileInformationByHandle(OsHandle file, FileInformation& info) override {
        BY_HANDLE_FILE_INFORMATION native{};
        if (!::GetFileInformationByHandle(ToHandle(file), &native)) return false;
        info.volumeSerialNumber = native.dwVolumeSerialNumber;
        info.fileIndexHigh = native.nFileIndexHigh;
        info.fileIndexLow = native.nFileIndexLow;
        return true;
    }

private:
    static bool CallProcess32(ProcAddress fn, OsHandle snapshot, ProcessEntry32& entry) {
        PROCESSENTRY32 native{};
        native.dwSize = entry.size;
        if (!Bound<Process32Fn>(fn)(ToHandle(snapshot), &native)) return false;
        entry.processId = native.th32ProcessID;
        std::memcpy(entry.exeFile.data(), native.szExeFile, entry.exeFile.size());
        return true;
    }

    static bool CallProcess32W(ProcAddress fn, OsHandle snapshot, ProcessEntry32W& entry) {
        PROCESSENTRY32W native{};
        native.dwSize = entry.size;
        if (!Bound<Process32WFn>(fn)(ToHandle(snapshot), &native)) return false;
        entry.processId = native.th32ProcessID;
        std::memcpy(entry.exeFile.data(), native.szExeFile, sizeof native.szExeFile);
        return true;
    }

    static bool ReadOwn(const void* from, void* to, std::size_t size) {
        SIZE_T read = 0;
        return ::ReadProcessMemory(::GetCurrentProcess(), from, to, size, &read) && read == size;
    }

    static void* ToPointer(DebugBuffer buffer) {
        return reinterpret_cast<void*>(static_cast<std::uintptr_t>(buffer));
    }

    void BindCriticalQueries() {
        if (criticalBound_) return;
        criticalBound_ = true;
        if (const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll")) {
            isProcessCritical_ = reinterpret_cast<IsProcessCriticalFn>(
                reinterpret_cast<void*>(::GetProcAddress(kernel32, "IsProcessCritical")));
        }
        if (const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll")) {
            ntQueryInformationProcess_ = reinterpret_cast<NtQueryInformationProcessFn>(
                reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryInformationProcess")));
        }
    }

    bool criticalBound_ = false;
    IsProcessCriticalFn isProcessCritical_ = nullptr;
    NtQueryInformationProcessFn ntQueryInformationProcess_ = nullptr;
};

}  // namespace

ProcessPlatform& SystemProcessPlatform() {
    static Win32ProcessPlatform platform;
    return platform;
}

ProcessAccess& Processes() {
    static ProcessAccess access(SystemProcessPlatform(), ThisSystem());
    return access;
}

}  // namespace norvanex
