// The system's answer to the double-byte question, for the text rules of base/AnsiText.h.
#pragma once

#include "base/AnsiText.h"

namespace norvanex {

// IsDBCSLeadByte of the system's ANSI code page.
bool SystemLeadByte(unsigned char byte);

}  // namespace norvanex
