// The task chooser's rules without Windows: which running tasks it lists, and which check marks a
// refill keeps.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/AnsiText.h"

namespace norvanex {

class ProcessAccess;

// One running task as the chooser lists it.
struct TaskText {
    std::string text;     // the caption the editor's list takes
    bool exact = true;    // false: its name (or path) does not survive the ANSI code page, so no
                          // shortcut can name it; shown, never chosen
    std::u16string wide{};  // where not exact: the name or path as the system holds it, to show

    bool operator==(const TaskText& other) const {
        return text == other.text && exact == other.exact && wide == other.wide;
    }
};

// One text per running process, in the order the source gives them. First the performance data:
// each process's image path, else its name; the pseudo-processes "Idle", "System" and "_Total"
// (any case) are left out when no path is known for them. Only when that yields nothing, the
// snapshot: every process, under its image path where the entry names no folder and the path is
// known, else under the entry's own text. The same text appears once per process. A name that does
// not survive the code page is listed as not exact with its true form; a path that does not, where
// the name does, gives way to the name.
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
