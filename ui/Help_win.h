// The help key's Win32 side: opens the help index topic in the user's language.
#pragma once

#include <windows.h>

namespace norvanex {

// What F1 does in the main window and the about box: the index topic of the help file in WinHelp,
// or, where the system has no WinHelp viewer, the same topic of the HTML help in the browser.
// `owner` is the window the help system holds (the main window). Throws SilentAbort when the
// language cannot be chosen; nothing is sent then.
void ShowHelpIndex(HWND owner);

// True when WM_HELP came from F1 alone: the system sends it for Shift+F1 and Ctrl+F1 too, and
// only the plain key opens help.
bool PlainHelpKey();

// True when WM_HELP came from F1 alone and its HELPINFO names `window` itself or one of its
// controls (or a menu): F1 pressed in another window that `window` merely owns (the task chooser)
// arrives here too and is not ours.
bool HelpIsFor(HWND window, const HELPINFO& info);

}  // namespace norvanex
