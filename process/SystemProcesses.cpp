// The session processes of Windows and of Wine, by name and folder.
#include "process/SystemProcesses.h"

#include <string>

namespace norvanex {
namespace {

// Ending any of these logs the user off, restarts the machine or leaves the session without its
// services: the session manager (smss), the Win32 subsystem (csrss), the start-up and logon
// processes (wininit, winlogon), the service control manager and the services it hosts (services,
// svchost), the security authority (lsass) and the local session manager (lsm). Wine runs its own
// in their place: the RPC endpoint mapper (rpcss), plug and play (plugplay) and the device driver
// host (winedevice).
constexpr std::string_view kSessionProcesses[] = {
    "smss.exe",     "csrss.exe", "wininit.exe", "winlogon.exe", "services.exe",  "svchost.exe",
    "lsass.exe",    "lsm.exe",   "rpcss.exe",   "plugplay.exe", "winedevice.exe",
};

}  // namespace

bool IsSystemSessionName(std::string_view fileName, LeadByteFn isLeadByte) {
    for (std::string_view name : kSessionProcesses) {
        if (EqualsIgnoringAsciiCase(fileName, name, isLeadByte)) return true;
    }
    return false;
}

bool IsSystemSessionProcess(std::string_view imagePath, std::string_view windowsDirectory,
                            LeadByteFn isLeadByte) {
    if (windowsDirectory.empty()) return false;
    const std::size_t nameStart = NamePartStart(imagePath, "\\", isLeadByte);
    if (nameStart == 0 || !IsSystemSessionName(imagePath.substr(nameStart), isLeadByte)) {
        return false;
    }
    std::string systemFolder(windowsDirectory);
    if (!AfterLastBackslash(systemFolder, isLeadByte).empty()) systemFolder += '\\';
    systemFolder += "System32\\";
    return EqualsIgnoringAsciiCase(imagePath.substr(0, nameStart), systemFolder, isLeadByte);
}

}  // namespace norvanex
