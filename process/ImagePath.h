// Bringing a kernel-form image path into the drive-letter form that the user and the shell know.
#pragma once

#include <functional>
#include <string>

#include "base/AnsiText.h"

namespace norvanex {

// Removes a leading "\??\" (exact), then replaces a leading "\SystemRoot\" (a-z in any case) with
// the Windows directory and one backslash. The directory is asked for only when needed; when it
// comes back empty the path is left as it is.
std::string RewriteImagePath(std::string path, const std::function<std::string()>& windowsDirectory,
                             LeadByteFn isLeadByte);

}  // namespace norvanex
