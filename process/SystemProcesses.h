// The system's own session processes, spared by a kill run where the system cannot say which
// processes are critical.
#pragma once

#include <string_view>

#include "base/AnsiText.h"

namespace norvanex {

// True when the file name is one of the session processes' (a to z in any case).
bool IsSystemSessionName(std::string_view fileName, LeadByteFn isLeadByte);

// True when the image path names one of those processes in the System32 folder of the Windows
// directory. A copy of the same name elsewhere is an ordinary program.
bool IsSystemSessionProcess(std::string_view imagePath, std::string_view windowsDirectory,
                            LeadByteFn isLeadByte);

}  // namespace norvanex
