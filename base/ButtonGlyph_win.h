// A button's glyph pair from the program's resources, for the dialogs that are not the main window.
#pragma once

#include "base/Window_win.h"

namespace norvanex {

// Gives `button` the 16 by 16 glyph pair `bitmapId` (enabled left, disabled right, 32 bits with
// alpha) at the left, `margin` pixels in. The image list it returns must live as long as the
// button shows it; an empty one when the resource is missing or not of that shape.
ImageList SetButtonGlyph(HWND button, int bitmapId, int margin);

}  // namespace norvanex
