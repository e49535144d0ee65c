// The ToolHelp functions of kernel32, looked up at run time, and the process snapshot walk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "process/ProcessPlatform.h"

namespace norvanex {

// One process of a snapshot: szExeFile up to its NUL (at most 260 characters) and the id.
struct SnapshotEntry {
    std::string exeFile;
    std::uint32_t processId = 0;
};

inline constexpr std::uint32_t kTh32csSnapProcess = 2;

class ToolHelpBinding {
public:
    explicit ToolHelpBinding(ProcessPlatform& platform) : platform_(platform) {}

    // True when kernel32 is known and CreateToolhelp32Snapshot was found. The three addresses are
    // looked up once, at the first call that obtains the kernel32 handle.
    bool BindToolHelp();

    // The platform's functions, or their empty answers (null handle, false) where missing.
    OsHandle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId);
    bool Process32First(OsHandle snapshot, ProcessEntry32& entry);
    bool Process32Next(OsHandle snapshot, ProcessEntry32& entry);

    // Visits every process of a new snapshot in the system's order. No ToolHelp, or a failed
    // snapshot, is a walk without entries.
    void WalkSnapshot(const std::function<void(const SnapshotEntry&)>& visit);

private:
    ProcessPlatform& platform_;
    ModuleHandle kernel32_{};
    ProcAddress createSnapshot_{};
    ProcAddress process32First_{};
    ProcAddress process32Next_{};
};

}  // namespace norvanex
