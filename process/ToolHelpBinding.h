// The ToolHelp functions of kernel32, looked up at run time, and the process snapshot walk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "process/ProcessPlatform.h"

namespace norvanex {

// One process of a snapshot: szExeFile up to its NUL (at most 260 characters) and the id. Read in
// UTF-16 (the NT line), the name is kept as the system holds it, and `exact` says whether exeFile
// is that very name in the ANSI code page; one that is not names no program a parameter can name.
struct SnapshotEntry {
    std::string exeFile;
    std::uint32_t processId = 0;
    bool exact = true;
    std::u16string wide;  // empty from the ANSI walk
};

inline constexpr std::uint32_t kTh32csSnapProcess = 2;

class ToolHelpBinding {
public:
    explicit ToolHelpBinding(ProcessPlatform& platform) : platform_(platform) {}

    // True when kernel32 is known and CreateToolhelp32Snapshot was found. The three addresses are
    // looked up once, at the first call that obtains the kernel32 handle.
    bool BindToolHelp();

    // The platform's functions, or their empty answers (no handle, false) where missing; a failed
    // snapshot is no handle either.
    PlatformOwned<OsHandle> CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId);
    bool Process32First(OsHandle snapshot, ProcessEntry32& entry);
    bool Process32Next(OsHandle snapshot, ProcessEntry32& entry);

    // Visits every process of a new snapshot in the system's order. No ToolHelp, or a failed
    // snapshot, is a walk without entries.
    void WalkSnapshot(const std::function<void(const SnapshotEntry&)>& visit);

    // True when Process32FirstW and Process32NextW were found as well (looked up once).
    bool BindWide();
    // The same walk through the UTF-16 functions: each name up to its NUL, and the id.
    void WalkSnapshotWide(
        const std::function<void(std::u16string_view name, std::uint32_t processId)>& visit);

private:
    ProcessPlatform& platform_;
    ModuleHandle kernel32_{};
    ProcAddress createSnapshot_{};
    ProcAddress process32First_{};
    ProcAddress process32Next_{};
    bool wideLookedUp_ = false;
    ProcAddress process32FirstW_{};
    ProcAddress process32NextW_{};
};

}  // namespace norvanex
