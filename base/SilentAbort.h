// The silent abort: the one exception a handler may end with on purpose.
#pragma once

namespace norvanex {

// Thrown where a handler cannot go on (the locale query failed, a kill run's question could not
// be shown). The message loop and every window-procedure thunk catch it and drop it, so only the
// current handler ends; while the kill run walks or the main window is being made, it ends the
// start instead: nothing is ended after it, no window is left half built.
struct SilentAbort {};

}  // namespace norvanex
