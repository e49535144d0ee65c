// The running Windows, asked once: the answers of SystemTraits.h for this system. Callers ask these
// functions and never compare versions themselves.
#pragma once

#include <windows.h>

#include "base/SystemTraits.h"

namespace norvanex {

// True on the 9x line: the program's texts and controls take the ANSI functions there.
bool AnsiTexts();

// lStructSize for GetOpenFileName and GetSaveFileName, A or W.
DWORD FileDialogSize(bool wide);

// How a menu item with a caption and a 32-bit picture is given to this system (whether it knows
// MIIM_STRING and MIIM_BITMAP, and whether it blends), asked once.
MenuItemForm MenuItemFormHere();

// The system colour of links: COLOR_HOTLIGHT, or COLOR_HIGHLIGHT where this Windows has none
// (Windows 95 and NT 4.0), asked once.
int LinkColour();

// Whether the user has a high-contrast scheme on now (SPI_GETHIGHCONTRAST); a setting the user may
// change at any time, so it is asked each time. False where the system cannot say.
bool HighContrastOn();

}  // namespace norvanex
