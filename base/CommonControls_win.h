// The few comctl32 functions the program calls, each found at run time (FindSystemFunction), never
// imported: comctl32's start-up sets up the display, and a kill run has processes to end first; and
// the first comctl32 (Windows 95 without Internet Explorer) lacks InitCommonControlsEx and
// DllGetVersion, where a delay-load import would fault at the first call.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/SystemTraits.h"

namespace norvanex::comctl {

// Registers the classes of `controls`; where this comctl32 refuses the call, those it knows
// (KnownControlClasses): a version before 6 may refuse the whole call for one flag of a later
// version. The first comctl32 (4.0, the original Windows 95) has no InitCommonControlsEx;
// InitCommonControls registers its classes.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);

// The loaded comctl32's version, asked once (DllGetVersion).
ComctlVersion Version();

// cbSize of a TOOLINFO that this comctl32 takes: the full structure of version 6, else the
// version-2 size (TTTOOLINFOA_V2_SIZE, TTTOOLINFOW_V2_SIZE), which versions 4.70 to 5.8x demand.
UINT ToolInfoSize(bool wide);

// Each answers as its comctl32 namesake; where comctl32 cannot be loaded, as a failed call.
HIMAGELIST ImageListCreate(int width, int height, UINT flags, int initial, int grow);
int ImageListAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask);
BOOL ImageListDestroy(HIMAGELIST list);
BOOL ImageListDraw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);

}  // namespace norvanex::comctl
