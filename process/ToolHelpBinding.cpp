// The ToolHelp binding and the snapshot walk.
#include "process/ToolHelpBinding.h"

#include <cstring>

namespace norvanex {

bool ToolHelpBinding::BindToolHelp() {
    if (kernel32_ == ModuleHandle{}) {
        kernel32_ = platform_.GetModuleHandleA("kernel32.dll");
        if (kernel32_ != ModuleHandle{}) {
            createSnapshot_ = platform_.GetProcAddress(kernel32_, "CreateToolhelp32Snapshot");
            process32First_ = platform_.GetProcAddress(kernel32_, "Process32First");
            process32Next_ = platform_.GetProcAddress(kernel32_, "Process32Next");
        }
    }
    return kernel32_ != ModuleHandle{} && createSnapshot_ != ProcAddress{};
}

PlatformOwned<OsHandle> ToolHelpBinding::CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId) {
    if (!BindToolHelp()) return {};
    const OsHandle snapshot = platform_.CreateToolhelp32Snapshot(createSnapshot_, flags, processId);
    // INVALID_HANDLE_VALUE is no handle to walk or close.
    return PlatformOwned<OsHandle>(snapshot == kInvalidHandle ? OsHandle{} : snapshot, {&platform_});
}

bool ToolHelpBinding::Process32First(OsHandle snapshot, ProcessEntry32& entry) {
    if (!BindToolHelp() || process32First_ == ProcAddress{}) return false;
    return platform_.Process32First(process32First_, snapshot, entry);
}

bool ToolHelpBinding::Process32Next(OsHandle snapshot, ProcessEntry32& entry) {
    if (!BindToolHelp() || process32Next_ == ProcAddress{}) return false;
    return platform_.Process32Next(process32Next_, snapshot, entry);
}

void ToolHelpBinding::WalkSnapshot(const std::function<void(const SnapshotEntry&)>& visit) {
    const PlatformOwned<OsHandle> snapshot = CreateToolhelp32Snapshot(kTh32csSnapProcess, 0);
    if (!snapshot) return;

    ProcessEntry32 entry;
    entry.size = kProcessEntrySize;
    SnapshotEntry visited;
    for (bool ok = Process32First(snapshot.get(), entry); ok; ok = Process32Next(snapshot.get(), entry)) {
        // szExeFile may fill all 260 bytes without a NUL.
        const char* exe = entry.exeFile.data();
        const void* nul = std::memchr(exe, '\0', entry.exeFile.size());
        const std::size_t length = nul ? static_cast<const char*>(nul) - exe : entry.exeFile.size();
        visited.exeFile.assign(exe, length);
        visited.processId = entry.processId;
        visit(visited);
    }
}

bool ToolHelpBinding::BindWide() {
    if (!BindToolHelp()) return false;
    if (!wideLookedUp_) {
        wideLookedUp_ = true;
        process32FirstW_ = platform_.GetProcAddress(kernel32_, "Process32FirstW");
        process32NextW_ = platform_.GetProcAddress(kernel32_, "Process32NextW");
    }
    return process32FirstW_ != ProcAddress{} && process32NextW_ != ProcAddress{};
}

void ToolHelpBinding::WalkSnapshotWide(
    const std::function<void(std::u16string_view name, std::uint32_t processId)>& visit) {
    if (!BindWide()) return;
    const PlatformOwned<OsHandle> snapshot = CreateToolhelp32Snapshot(kTh32csSnapProcess, 0);
    if (!snapshot) return;

    ProcessEntry32W entry;
    entry.size = kProcessEntryWSize;
    for (bool ok = platform_.Process32FirstW(process32FirstW_, snapshot.get(), entry); ok;
         ok = platform_.Process32NextW(process32NextW_, snapshot.get(), entry)) {
        std::u16string_view name(entry.exeFile.data(), entry.exeFile.size());
        name = name.substr(0, name.find(u'\0'));
        visit(name, entry.processId);
    }
}

}  // namespace norvanex
