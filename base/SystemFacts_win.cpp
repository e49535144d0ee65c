// The running system's facts, read from Windows once.
#include "base/SystemFacts_win.h"

#include <windows.h>

#include "base/AnsiText_win.h"
#include "base/SystemDll_win.h"
#include "base/SystemFunction_win.h"

namespace norvanex {

namespace {

// The Windows folder as GetWindowsDirectoryA gives it: it returns the size needed (with the NUL)
// when the buffer is too small, and 0 on failure.
std::string ReadWindowsFolder() {
    std::string folder(MAX_PATH + 1, '\0');
    UINT length = GetWindowsDirectoryA(folder.data(), static_cast<UINT>(folder.size()));
    if (length >= folder.size()) {
        folder.assign(length + 1, '\0');
        length = GetWindowsDirectoryA(folder.data(), static_cast<UINT>(folder.size()));
    }
    folder.resize(length < folder.size() ? length : 0);
    // A drive's root is "C:\"; any other folder comes without the backslash.
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

// GetModuleFileNameA fills the whole buffer when the path was cut (ERROR_INSUFFICIENT_BUFFER on XP
// and later; Windows 2000 does not terminate it): ask again with twice the room.
std::string ReadOwnFile() {
    for (DWORD size = MAX_PATH + 1; size <= 0x10000; size *= 2) {
        std::string path(size, '\0');
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), size);
        if (length == 0) return std::string();
        if (length < size - 1) {
            path.resize(length);
            return path;
        }
    }
    return std::string();
}

// IsWow64Process is Windows XP SP2's and later: where kernel32 lacks it, Windows is 32-bit.
bool RunsOnWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = FindSystemFunctionAs<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process");
    BOOL result = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &result) && result;
}

SystemFacts ReadSystemFacts() {
    SystemFacts facts;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExA(&info)) facts.version = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
    facts.windowsFolder = ReadWindowsFolder();
    // Read already at the entry point, before the C runtime could hold it here.
    facts.systemFolder = SystemFolderReadAtEntry();
    facts.ownPath = ReadOwnFile();
    facts.leadBytes = SystemLeadByte;
    facts.wow64 = RunsOnWow64();
    return facts;
}

}  // namespace

const SystemFacts& ThisSystem() {
    static const SystemFacts& facts = *new SystemFacts(ReadSystemFacts());
    return facts;
}

}  // namespace norvanex
