// The part of the Win32 process platform that its Wine test reaches directly.
#pragma once

#include <array>

namespace norvanex {

// Copies the image path field of the first module record of ntdll's debug information at
// `debugInformation` (256 bytes, not necessarily NUL-terminated). False when it holds no module
// record to read, or points where nothing can be read.
bool ReadFirstModulePath(const void* debugInformation, std::array<char, 256>& path);

}  // namespace norvanex
