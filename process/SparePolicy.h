// Which processes a kill run never ends: one rule, asked by every route that may end one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/AnsiText.h"
#include "process/ProcessPlatform.h"

namespace norvanex {

// Why a process is spared, or that it is not.
enum class Spare : std::uint8_t {
    No,
    Self,            // this program's own process: ending it would cut the run short
    Critical,        // Windows marks it so (ProcessBreakOnTermination): ending it stops the system
    SessionProcess,  // criticality unknown: one of the system's own processes in its folder
    PathUnreadable,  // criticality unknown, and nothing tells whether it is one of those
};

// What a route knows of a process when it asks.
struct SpareCandidate {
    std::uint32_t processId = 0;
    Criticality critical = Criticality::Unknown;
    // What the route calls the process: the snapshot's string (a file name; on the 9x line a whole
    // path), the performance data's instance name (the file name without its extension), or
    // nothing (a bare process id, or a name that did not survive the code page).
    std::string_view name;
    bool nameIsStem = false;  // `name` is a performance-data instance name
    // The image path, read only where the answer needs it; empty where it cannot be read or does
    // not survive the code page.
    std::function<std::string()> readPath;
};

class SparePolicy {
public:
    SparePolicy(std::uint32_t selfId, std::string_view windowsFolder, LeadByteFn isLeadByte)
        : selfId_(selfId), windowsFolder_(windowsFolder), isLeadByte_(isLeadByte) {}

    // Windows' own answer decides where it gives one. Where it cannot (Wine, the 9x line, NT 4 and
    // 2000, no right to ask), a name that none of the system processes has clears the process
    // without reading its path; any other is judged by its path, and a path that cannot be read
    // spares it: a process is not ended on a guess.
    Spare Decide(const SpareCandidate& candidate) const;

private:
    std::uint32_t selfId_;
    std::string_view windowsFolder_;
    LeadByteFn isLeadByte_;
};

}  // namespace norvanex
