// The task chooser's rules without Windows: which running tasks it lists, and which check marks a
// refill keeps.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/AnsiText.h"
#include "process/ProcessAccess.h"

namespace norvanex {

// One running task as the chooser lists it: the caption the editor's list takes, or, where not
// exact, one that no shortcut can name: shown, never chosen.
using TaskText = ProcessCaption;

// One text (ProcessAccess::Caption) per running process that a kill run would look at
// (ProcessAccess::InScope: those of the user's own logon session), in the order the source gives
// them. First the performance data, where the pseudo-processes "Idle", "System" and "_Total" (any
// case) are left out when no path is known for them; only when that yields nothing, the snapshot.
// The same text appears once per process.
std::vector<TaskText> CollectTaskTexts(ProcessAccess& processes);

// True for the names the performance data gives its pseudo-processes: "IDLE", "SYSTEM", "_TOTAL"
// with a to z in any case, compared as a whole text.
bool IsPseudoProcessName(const std::string& text);

// A row of the chooser as a refill sees it.
struct TaskRow {
    std::string caption;
    bool checked = false;
};

// The marks of a refill: the n-th row of a caption keeps the mark of the n-th row of that caption
// before (letters a to z folded), so two checked instances of one program stay checked and one
// checked instance marks one row; rows of captions that were not listed before start cleared.
std::vector<bool> MarksAfterRefill(const std::vector<TaskRow>& before,
                                   const std::vector<std::string>& captions, LeadByteFn isLeadByte);

// "<count> " followed by the running-tasks text, the number first.
std::string RunningTasksText(std::size_t count, const std::string& runningTasks);

}  // namespace norvanex
