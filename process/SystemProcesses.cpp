// The system processes of Windows and of Wine, by name and folder.
#include "process/SystemProcesses.h"

#include <string>

namespace norvanex {
namespace {

// The NT line, in System32. Ending any of these logs the user off, restarts the machine or leaves
// the session without its services: the session manager (smss), the Win32 subsystem (csrss), the
// start-up and logon processes (wininit, winlogon), the service control manager and the services
// it hosts (services, svchost), the security authority (lsass) and the local session manager
// (lsm). Wine runs its own in their place: the RPC endpoint mapper (rpcss), plug and play
// (plugplay) and the device driver host (winedevice).
constexpr std::string_view kSessionProcesses[] = {
    "smss.exe",     "csrss.exe", "wininit.exe", "winlogon.exe", "services.exe",  "svchost.exe",
    "lsass.exe",    "lsm.exe",   "rpcss.exe",   "plugplay.exe", "winedevice.exe",
};

// Windows 95, 98 and Me, in their System folder, as their own "Close Program" list shows them:
// the Win32 kernel itself (KERNEL32.DLL stands for it), the go-between of the 16-bit and 32-bit
// system that also runs plug and play (MSGSRV32), the network and password provider router
// (MPREXE), the multimedia background task (MMTASK.TSK) and the print spooler (SPOOL32).
constexpr std::string_view kNineXProcesses[] = {
    "kernel32.dll", "msgsrv32.exe", "mprexe.exe", "mmtask.tsk", "spool32.exe",
};

template <std::size_t N>
bool StemInSet(const std::string_view (&set)[N], std::string_view stem, LeadByteFn isLeadByte) {
    for (std::string_view name : set) {
        if (EqualsIgnoringAsciiCase(stem, name.substr(0, name.rfind('.')), isLeadByte)) return true;
    }
    return false;
}

template <std::size_t N>
bool InSet(const std::string_view (&set)[N], std::string_view fileName, LeadByteFn isLeadByte) {
    for (std::string_view name : set) {
        if (EqualsIgnoringAsciiCase(fileName, name, isLeadByte)) return true;
    }
    return false;
}

// "<Windows>\<folder>\" compared with the folder part of an image path.
bool InWindowsFolder(std::string_view folderPart, std::string_view windowsDirectory, std::string_view folder,
                     LeadByteFn isLeadByte) {
    if (windowsDirectory.empty()) return false;
    std::string expected(windowsDirectory);
    if (!AfterLastBackslash(expected, isLeadByte).empty()) expected += '\\';
    expected.append(folder).push_back('\\');
    return EqualsIgnoringAsciiCase(folderPart, expected, isLeadByte);
}

}  // namespace

bool IsSystemProcessName(std::string_view fileName, LeadByteFn isLeadByte) {
    return InSet(kSessionProcesses, fileName, isLeadByte) || InSet(kNineXProcesses, fileName, isLeadByte);
}

bool IsSystemProcessStem(std::string_view stem, LeadByteFn isLeadByte) {
    return StemInSet(kSessionProcesses, stem, isLeadByte) || StemInSet(kNineXProcesses, stem, isLeadByte);
}

bool IsSystemProcess(std::string_view imagePath, std::string_view windowsDirectory, LeadByteFn isLeadByte) {
    const std::size_t nameStart = NamePartStart(imagePath, "\\:", isLeadByte);
    const std::string_view name = imagePath.substr(nameStart);
    if (nameStart == 0) return IsSystemProcessName(name, isLeadByte);
    const std::string_view folder = imagePath.substr(0, nameStart);
    return (InSet(kSessionProcesses, name, isLeadByte) &&
            InWindowsFolder(folder, windowsDirectory, "System32", isLeadByte)) ||
           (InSet(kNineXProcesses, name, isLeadByte) &&
            InWindowsFolder(folder, windowsDirectory, "System", isLeadByte));
}

}  // namespace norvanex
