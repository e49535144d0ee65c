// The few comctl32 functions the program calls, bound at their first use instead of at process
// start: comctl32's start-up sets up the display, and a kill run has processes to end first.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace norvanex::comctl {

// Each answers as its comctl32 namesake; where comctl32 cannot be loaded, as a failed call.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
HIMAGELIST ImageListCreate(int width, int height, UINT flags, int initial, int grow);
int ImageListAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask);
BOOL ImageListDestroy(HIMAGELIST list);
BOOL ImageListDraw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);

}  // namespace norvanex::comctl
