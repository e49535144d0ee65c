// What the program's list views share: a row's text as a string, drawing held back while rows
// change, and rows drawn grey.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace norvanex {

// In design pixels: the margin a list view's report row keeps around a column's text, which
// ListView_GetStringWidth leaves out, and the small icon before a row's text.
constexpr int kListTextMargin = 12;
constexpr int kListIconWidth = 16;

// The text of `row` in `column`, however long (an image path from the kernel may exceed MAX_PATH).
std::string ListViewText(HWND list, int row, int column = 0);

// Holds a window's drawing back while it lives (WM_SETREDRAW), also when what it guards throws, and
// then paints it whole. Locks of one window nest: only the outermost one lets it draw again.
class RedrawLock {
public:
    explicit RedrawLock(HWND window);
    ~RedrawLock();
    RedrawLock(const RedrawLock&) = delete;
    RedrawLock& operator=(const RedrawLock&) = delete;

private:
    HWND window_;
    bool outermost_;
};

// A list view's NM_CUSTOMDRAW that writes the rows for which `isGrey(row, lParam)` is true in the
// system's grey, as every choice that is not offered. `greyAnswer` is what a grey row's item stage
// answers besides: CDRF_NOTIFYPOSTPAINT for a window that draws over such a row afterwards.
template <class IsGrey>
LRESULT GreyRowsCustomDraw(NMLVCUSTOMDRAW& draw, const IsGrey& isGrey, LRESULT greyAnswer = CDRF_DODEFAULT) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            if (!isGrey(static_cast<int>(draw.nmcd.dwItemSpec), draw.nmcd.lItemlParam)) return CDRF_DODEFAULT;
            draw.clrText = GetSysColor(COLOR_GRAYTEXT);
            return greyAnswer;
        default: return CDRF_DODEFAULT;
    }
}

}  // namespace norvanex
