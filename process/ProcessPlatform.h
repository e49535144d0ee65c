// The operating-system operations that process access uses, as one interface: Win32 in production
// (ProcessPlatform_win.cpp), a scripted fake in the native tests.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "base/AnsiText.h"
#include "base/UniqueHandle.h"

namespace norvanex {

// Opaque values that the platform hands out and takes back. Distinct types, so that a snapshot
// handle cannot be passed where a registry key is expected; 0 is the null value of each.
enum class OsHandle : std::uintptr_t {};
enum class ModuleHandle : std::uintptr_t {};
enum class ProcAddress : std::uintptr_t {};
enum class RegKey : std::uintptr_t {};
enum class DebugBuffer : std::uintptr_t {};

// Process access rights, from winnt.h. PROCESS_ALL_ACCESS is the value of the NT 4 to XP headers,
// which later systems accept as well.
inline constexpr std::uint32_t kProcessTerminate = 0x0001;
inline constexpr std::uint32_t kProcessQueryInformation = 0x0400;
inline constexpr std::uint32_t kProcessQueryLimitedInformation = 0x1000;
inline constexpr std::uint32_t kProcessAllAccess = 0x1F0FFF;
// SYNCHRONIZE: the right to learn when a process has ended.
inline constexpr std::uint32_t kSynchronize = 0x00100000;
// The system error codes that process access tells apart (winerror.h).
inline constexpr std::uint32_t kErrorAccessDenied = 5;
// OpenProcess of an id that no process has (any more): it ended meanwhile.
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
// The size of the ANSI PROCESSENTRY32 on 32-bit Windows, and of PROCESSENTRY32W.
inline constexpr std::uint32_t kProcessEntrySize = 296;
inline constexpr std::uint32_t kProcessEntryWSize = 556;

// INVALID_HANDLE_VALUE, which CreateToolhelp32Snapshot returns on failure.
inline constexpr OsHandle kInvalidHandle = static_cast<OsHandle>(~std::uintptr_t{0});
// The predefined registry keys, with their 32-bit Windows values.
inline constexpr RegKey kHkeyLocalMachine = static_cast<RegKey>(std::uintptr_t{0x80000002u});
inline constexpr RegKey kHkeyPerformanceData = static_cast<RegKey>(std::uintptr_t{0x80000004u});

// The part of the ANSI PROCESSENTRY32 (296 bytes) that is passed and read.
struct ProcessEntry32 {
    std::uint32_t size = 0;           // dwSize
    std::uint32_t processId = 0;      // th32ProcessID
    std::array<char, 260> exeFile{};  // szExeFile, NUL-terminated unless all 260 bytes are used
};

// The part of PROCESSENTRY32W (556 bytes) that is passed and read: the name as the system holds it.
struct ProcessEntry32W {
    std::uint32_t size = 0;
    std::uint32_t processId = 0;
    std::array<char16_t, 260> exeFile{};
};

struct Luid {
    std::uint32_t lowPart = 0;
    std::int32_t highPart = 0;
};

// TOKEN_PRIVILEGES with room for exactly one privilege, laid out as Windows lays it out: its size
// is the buffer length that AdjustTokenPrivileges is given.
struct TokenPrivilege {
    std::uint32_t privilegeCount = 0;
    Luid luid;
    std::uint32_t attributes = 0;
};
inline constexpr std::uint32_t kTokenPrivilegeSize = 16;
static_assert(sizeof(TokenPrivilege) == kTokenPrivilegeSize, "TOKEN_PRIVILEGES with one privilege");

// The part of BY_HANDLE_FILE_INFORMATION that names a file: its volume's serial number and its
// index on that volume.
struct FileInformation {
    std::uint32_t volumeSerialNumber = 0;
    std::uint32_t fileIndexHigh = 0;
    std::uint32_t fileIndexLow = 0;
};

// CreateFileA's arguments, from winnt.h and winbase.h.
inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kFileShareRead = 0x1;
inline constexpr std::uint32_t kFileShareWrite = 0x2;
inline constexpr std::uint32_t kFileShareDelete = 0x4;
inline constexpr std::uint32_t kOpenExisting = 3;

// The answer to "does ending this process stop the whole system" (ProcessBreakOnTermination).
enum class Criticality { NotCritical, Critical, Unknown };

// One process's logon session, as a list of every process gives it.
struct ProcessSession {
    std::uint32_t processId = 0;
    std::uint32_t sessionId = 0;
};

class ProcessPlatform {
public:
    virtual ~ProcessPlatform() = default;

    // Run-time binding of optional functions. A null ProcAddress means "missing". LoadLibraryA loads
    // a system DLL from the system folder (by its full path), never from the program's.
    virtual ModuleHandle GetModuleHandleA(const char* moduleName) = 0;
    virtual ModuleHandle LoadLibraryA(const char* moduleName) = 0;
    virtual ProcAddress GetProcAddress(ModuleHandle module, const char* procName) = 0;

    // ToolHelp, called through the addresses that GetProcAddress returned.
    virtual OsHandle CreateToolhelp32Snapshot(ProcAddress fn, std::uint32_t flags,
                                              std::uint32_t processId) = 0;
    virtual bool Process32First(ProcAddress fn, OsHandle snapshot, ProcessEntry32& entry) = 0;
    virtual bool Process32Next(ProcAddress fn, OsHandle snapshot, ProcessEntry32& entry) = 0;
    // The UTF-16 forms (NT line only).
    virtual bool Process32FirstW(ProcAddress fn, OsHandle snapshot, ProcessEntry32W& entry) = 0;
    virtual bool Process32NextW(ProcAddress fn, OsHandle snapshot, ProcessEntry32W& entry) = 0;
    virtual bool CloseHandle(OsHandle handle) = 0;

    // advapi32 registry; results are Win32 error codes (0 success, 234 ERROR_MORE_DATA).
    virtual std::int32_t RegOpenKeyExA(RegKey parent, const char* subKey, std::uint32_t options,
                                       std::uint32_t access, RegKey* result) = 0;
    virtual std::int32_t RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                          std::uint8_t* data, std::uint32_t* dataSize) = 0;
    virtual std::int32_t RegCloseKey(RegKey key) = 0;

    // The conversion call of the exact conversion into the ANSI code page (AnsiConversionFn).
    virtual int AnsiConversion(std::u16string_view wide, char* out, int outSize, bool& usedDefault) = 0;

    // The program's own process and its access token.
    virtual OsHandle GetCurrentProcess() = 0;
    virtual std::uint32_t GetCurrentProcessId() = 0;
    virtual bool OpenProcessToken(OsHandle process, std::uint32_t access, OsHandle* token) = 0;
    virtual bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) = 0;
    virtual bool AdjustTokenPrivileges(OsHandle token, bool disableAll,
                                       const TokenPrivilege& newState, std::uint32_t bufferLength,
                                       TokenPrivilege* previousState,
                                       std::uint32_t* returnLength) = 0;
    virtual std::uint32_t GetLastError() = 0;

    // Other processes.
    virtual OsHandle OpenProcess(std::uint32_t access, bool inheritHandle,
                                 std::uint32_t processId) = 0;
    virtual bool TerminateProcess(OsHandle process, std::uint32_t exitCode) = 0;
    // Whether the process (a handle opened with SYNCHRONIZE) has ended; never waits.
    virtual bool ProcessEnded(OsHandle process) = 0;
    // Asked on a handle opened with PROCESS_QUERY_INFORMATION; Unknown where the system cannot say.
    virtual Criticality QueryProcessCritical(OsHandle process) = 0;
    // kernel32 (Vista and later), called through the address that GetProcAddress returned.
    virtual bool QueryFullProcessImageNameA(ProcAddress fn, OsHandle process, std::uint32_t flags,
                                            char* buffer, std::uint32_t* size) = 0;
    virtual bool QueryFullProcessImageNameW(ProcAddress fn, OsHandle process, std::uint32_t flags,
                                            char16_t* buffer, std::uint32_t* size) = 0;
    // kernel32 (NT 4.0 Terminal Server, Windows 2000 and later), called through the address that
    // GetProcAddress returned: the logon session the process runs in. False where it cannot be
    // read (GetLastError says why: access denied, or no such process).
    virtual bool ProcessIdToSessionId(ProcAddress fn, std::uint32_t processId, std::uint32_t* sessionId) = 0;
    // Every process's logon session as the terminal services list them (WTSEnumerateProcessesW,
    // Windows 2000 and later, looked up at run time): a list that opens no process, so it answers
    // for other users' processes too. False where the system has no such list.
    virtual bool ListProcessSessions(std::vector<ProcessSession>& sessions) = 0;

    // ntdll debug information, called through the addresses that GetProcAddress returned.
    virtual DebugBuffer RtlCreateQueryDebugBuffer(ProcAddress fn, std::uint32_t maximumCommit,
                                                  bool useEventPair) = 0;
    virtual std::int32_t RtlQueryProcessDebugInformation(ProcAddress fn, std::uint32_t processId,
                                                         std::uint32_t flags,
                                                         DebugBuffer buffer) = 0;
    virtual std::int32_t RtlDestroyQueryDebugBuffer(ProcAddress fn, DebugBuffer buffer) = 0;
    // Copies the image path field of the first module record (256 bytes, not necessarily
    // NUL-terminated). False when the buffer holds no module record to read.
    virtual bool ReadFirstModulePath(DebugBuffer buffer, std::array<char, 256>& path) = 0;

    // kernel32 files: an existing file opened (kInvalidHandle on failure) to learn which file it is.
    virtual OsHandle CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                 std::uint32_t creationDisposition, std::uint32_t flags) = 0;
    virtual bool GetFileInformationByHandle(OsHandle file, FileInformation& info) = 0;
};

// Gives back what the platform handed out, through the platform: a kernel handle, a registry key,
// or a debug buffer (through RtlDestroyQueryDebugBuffer at `destroy`).
struct PlatformRelease {
    ProcessPlatform* platform = nullptr;
    ProcAddress destroy{};
    void operator()(OsHandle handle) const { platform->CloseHandle(handle); }
    void operator()(RegKey key) const { platform->RegCloseKey(key); }
    void operator()(DebugBuffer buffer) const { platform->RtlDestroyQueryDebugBuffer(destroy, buffer); }
};
// The owner of every handle, key and buffer the platform hands out.
template <class Handle>
using PlatformOwned = UniqueHandle<Handle, PlatformRelease>;

}  // namespace norvanex
