// The double-byte question of real ANSI code pages, for tests that run without Windows.
#pragma once

#include "base/AnsiText.h"

namespace norvanex::fake {

// IsDBCSLeadByteEx as Windows answers it: 932 (Japanese), 936 (Simplified Chinese), 949 (Korean),
// 950 (Traditional Chinese); every other code page, 1252 among them, has no lead bytes.
LeadByteFn LeadBytesOf(unsigned codePage);

}  // namespace norvanex::fake
