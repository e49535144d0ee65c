// A button's glyph pair from the program's resources: shown by the button where its common controls
// take an image list, drawn by the program where they do not; and the straight-alpha pictures laid
// over a plain colour for the surfaces that cannot blend them.
#pragma once

#include "base/Window_win.h"

namespace norvanex {

// A 32-bit bitmap of the resources as a DIB section, its straight alpha kept (LR_CREATEDIBSECTION);
// empty when it is missing or of another depth. `dib` describes it.
GdiObject<HBITMAP> LoadAlphaPicture(HINSTANCE instance, int bitmapId, DIBSECTION& dib);

// The art `bitmapId`, a row of `count` square pictures of 16 pixels, for a surface at `dpi`, in the
// same format: as drawn below 144 DPI; from there on its 32-pixel drawing (the resource numbered
// IDB_ART32_OFFSET above it), resized to the glyph's side at `dpi` (GlyphSide) where that is not 32,
// since 16-pixel art enlarged would blur. The 16-pixel art where the larger one is missing.
GdiObject<HBITMAP> LoadGlyphArt(HINSTANCE instance, int bitmapId, int count, int dpi, DIBSECTION& dib);

// The columns `left` to `left + width` of a straight-alpha picture (LoadAlphaPicture) laid over
// `ground`: an opaque 32-bit picture of their own, for a surface that draws without blending (a
// menu before Windows Vista, a button the program draws, the about box's logo). Empty when it
// cannot be made.
GdiObject<HBITMAP> OverGround(const DIBSECTION& source, int left, int width, COLORREF ground);

class ButtonGlyph {
public:
    ButtonGlyph() = default;
    // Gives `button` the glyph pair `bitmapId` (enabled left, disabled right) as `dpi` takes it
    // (LoadGlyphArt) at the left, `margin` pixels in, as a six-state image list (BCM_SETIMAGELIST). A button that refuses the
    // list (common controls before 6: Windows 95 to 2000, and XP without the manifest's binding)
    // becomes owner-drawn, and its parent draws it through Draw; it still answers WM_GETDLGCODE as
    // a push button, default or not, as its window's DM_GETDEFID says. Nothing when the resource is
    // missing or not of that shape: the button keeps its caption alone.
    ButtonGlyph(HWND button, int bitmapId, int margin, int dpi);

    // True where the button refused the image list: its parent's WM_DRAWITEM goes to Draw.
    bool DrawnHere() const { return static_cast<bool>(pair_); }

    // The classic raised push button as user32 draws one, with the glyph and the caption: framed in
    // black when it is the window's default button (`isDefault`), lying flat or sunken while
    // pressed, the grey glyph and an etched caption while disabled (the scheme's grey text in high
    // contrast), the focus rectangle while focused.
    void Draw(const DRAWITEMSTRUCT& item, bool isDefault) const;

private:
    void DrawGlyph(HDC dc, const RECT& content, bool disabled) const;

    ImageList list_;            // the button's own, while it shows it
    GdiObject<HBITMAP> pair_;   // the resource, for drawing where the button refused the list
    DIBSECTION pairDib_{};
    int margin_ = 0;
    int side_ = 16;             // of each picture of the pair
};

}  // namespace norvanex
