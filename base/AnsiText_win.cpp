// The double-byte question answered by the system's ANSI code page.
#include "base/AnsiText_win.h"

#include <windows.h>

namespace norvanex {

bool SystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace norvanex
