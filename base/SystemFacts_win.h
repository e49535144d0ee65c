// The running system's facts (SystemFacts.h), read once at the first question, before any window.
#pragma once

#include "base/SystemFacts.h"

namespace norvanex {

// Read at the first call and kept for the life of the process (never destroyed: a thread that
// outlives the main one, such as the shell warm-up, may still read it while the process ends).
const SystemFacts& ThisSystem();

}  // namespace norvanex
