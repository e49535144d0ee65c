// The running Windows's version, read once, and what follows from it.
#include "base/SystemTraits_win.h"

#include <commdlg.h>

namespace norvanex {

const WindowsVersion& RunningWindows() {
    static const WindowsVersion running = [] {
        WindowsVersion version;
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        // A failure leaves platform id 0, which takes the ANSI side every Windows implements.
        if (GetVersionExA(&info)) version = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
        return version;
    }();
    return running;
}

bool AnsiTexts() {
    static const bool ansi = UsesAnsiTexts(RunningWindows());
    return ansi;
}

DWORD FileDialogSize(bool wide) {
    if (TakesVersion400FileDialog(RunningWindows())) {
        return wide ? OPENFILENAME_SIZE_VERSION_400W : OPENFILENAME_SIZE_VERSION_400A;
    }
    return wide ? sizeof(OPENFILENAMEW) : sizeof(OPENFILENAMEA);
}

MenuItemForm MenuItemFormHere() {
    static const MenuItemForm form = MenuItemFormOf(RunningWindows());
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
