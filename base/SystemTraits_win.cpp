// What follows from the running Windows's version, which the system's facts hold.
#include "base/SystemTraits_win.h"

#include <commdlg.h>

#include "base/SystemFacts_win.h"

namespace norvanex {

bool AnsiTexts() {
    static const bool ansi = UsesAnsiTexts(ThisSystem().version);
    return ansi;
}

DWORD FileDialogSize(bool wide) {
    if (TakesVersion400FileDialog(ThisSystem().version)) {
        return wide ? OPENFILENAME_SIZE_VERSION_400W : OPENFILENAME_SIZE_VERSION_400A;
    }
    return wide ? sizeof(OPENFILENAMEW) : sizeof(OPENFILENAMEA);
}

MenuItemForm MenuItemFormHere() {
    static const MenuItemForm form = MenuItemFormOf(ThisSystem().version);
    return form;
}

// GetSysColorBrush answers null for an index that this Windows does not support (its documentation
// says so), while GetSysColor would answer black: Windows 98 and 2000 brought COLOR_HOTLIGHT.
int LinkColour() {
    static const int colour = GetSysColorBrush(COLOR_HOTLIGHT) != nullptr ? COLOR_HOTLIGHT : COLOR_HIGHLIGHT;
    return colour;
}

bool HighContrastOn() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace norvanex
