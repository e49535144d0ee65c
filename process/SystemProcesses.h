// The system's own processes of both Windows lines, spared by a kill run where the system cannot
// say which processes are critical.
#pragma once

#include <string_view>

#include "base/AnsiText.h"

namespace norvanex {

// True when the file name is one of the system processes' of either line (a to z in any case).
bool IsSystemProcessName(std::string_view fileName, LeadByteFn isLeadByte);

// The same for a performance-data instance name, which is the file name without its extension
// ("csrss", "mmtask").
bool IsSystemProcessStem(std::string_view stem, LeadByteFn isLeadByte);

// True when the image path names one of those processes where its Windows runs it: the NT line's
// session processes in the System32 folder of the Windows directory, the 9x line's in its System
// folder. A copy of the same name elsewhere is an ordinary program. A bare name without a folder
// (Wine's 9x snapshot gives no more) cannot be told from the real one, so one of either set is
// spared.
bool IsSystemProcess(std::string_view imagePath, std::string_view windowsDirectory, LeadByteFn isLeadByte);

}  // namespace norvanex
