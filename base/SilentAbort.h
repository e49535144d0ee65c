// The silent abort: the one exception a handler may end with on purpose.
#pragma once

namespace norvanex {

// Thrown where a handler cannot go on (the locale query failed). The message loop and every
// window-procedure thunk catch it and drop it, so only the current handler ends; while the main
// window is being made, it ends the start instead (no window is left half built).
struct SilentAbort {};

}  // namespace norvanex
