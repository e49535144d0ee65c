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

}  // namespace norvanex
