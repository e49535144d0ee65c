// Button glyph pairs: a six-state image list where the button takes one, else the classic push
// button drawn with the glyph laid over the button face.
#include "base/ButtonGlyph_win.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/AnsiText_win.h"
#include "base/GlyphArt.h"
#include "base/SystemTraits_win.h"
#include "resources/resource.h"

namespace norvanex {

namespace {

BITMAPINFO Bitmap32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The button's image list takes one picture per state (normal, hot, pressed, disabled, default,
// stylus hot); one strip added at once costs one round trip instead of six.
ImageList SixStateList(const DIBSECTION& pair, int side) {
    constexpr int kStates[] = {0, 0, 0, 1, 0, 0};
    const BITMAPINFO strip = Bitmap32(side * 6, pair.dsBmih.biHeight);  // rows in the resource's order
    void* bits = nullptr;
    GdiObject<HBITMAP> states(CreateDIBSection(nullptr, &strip, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!states) return ImageList();
    const auto* from = static_cast<const std::uint32_t*>(pair.dsBm.bmBits);
    auto* to = static_cast<std::uint32_t*>(bits);
    for (int row = 0; row < side; ++row) {
        for (int state = 0; state < 6; ++state) {
            std::copy_n(from + row * 2 * side + kStates[state] * side, side, to + row * 6 * side + state * side);
        }
    }
    ImageList list(comctl::ImageListCreate(side, side, ILC_COLOR32, 6, 0));
    if (list && comctl::ImageListAdd(list.get(), states.get(), nullptr) < 0) list.reset();
    return list;
}

// An owner-drawn button keeps its procedure's old value here while the program answers for it.
constexpr char kButtonProcProp[] = "Norvanex.ButtonProc";

// user32 answers WM_GETDLGCODE of an owner-drawn button with DLGC_BUTTON alone, so neither the
// dialog manager nor a screen reader's button proxy can tell the default button among them. This
// one says it as a push button would, asking its window which is the default (DM_GETDEFID), and
// stays owner-drawn when the dialog manager moves the default (BM_SETSTYLE with BS_DEFPUSHBUTTON
// or BS_PUSHBUTTON would replace BS_OWNERDRAW, the same bits).
LRESULT CALLBACK OwnerDrawnButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropA(button, kButtonProcProp));
    switch (message) {
        case WM_GETDLGCODE: {
            const LRESULT defId = SendMessageA(GetParent(button), DM_GETDEFID, 0, 0);
            const bool isDefault = HIWORD(defId) == DC_HASDEFID && LOWORD(defId) == GetDlgCtrlID(button);
            return DLGC_BUTTON | (isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        }
        case BM_SETSTYLE:
            wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            RemovePropA(button, kButtonProcProp);
            break;
    }
    return CallWindowProcA(previous, button, message, wParam, lParam);
}

void AnswerAsPushButton(HWND button) {
    if (GetPropA(button, kButtonProcProp)) return;  // a glyph given again
    SetPropA(button, kButtonProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(button, GWLP_WNDPROC)));
    SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerDrawnButtonProc));
}

}  // namespace

GdiObject<HBITMAP> LoadAlphaPicture(HINSTANCE instance, int bitmapId, DIBSECTION& dib) {
    GdiObject<HBITMAP> picture(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    dib = DIBSECTION{};
    if (!picture || GetObjectA(picture.get(), sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32 ||
        !dib.dsBm.bmBits) {
        return {};
    }
    return picture;
}

GdiObject<HBITMAP> LoadGlyphArt(HINSTANCE instance, int bitmapId, int count, int dpi, DIBSECTION& dib) {
    const int side = GlyphSide(dpi);
    if (side == 16) return LoadAlphaPicture(instance, bitmapId, dib);
    DIBSECTION large{};
    GdiObject<HBITMAP> art = LoadAlphaPicture(instance, bitmapId + IDB_ART32_OFFSET, large);
    if (!art || large.dsBm.bmWidth != count * 32 || large.dsBm.bmHeight != 32) {
        return LoadAlphaPicture(instance, bitmapId, dib);  // the 16-pixel art rather than none
    }
    if (side == 32) {
        dib = large;
        return art;
    }
    const std::vector<std::uint32_t> pixels =
        ResizePictures(static_cast<const std::uint32_t*>(large.dsBm.bmBits), count, 32, side);
    const BITMAPINFO info = Bitmap32(count * side, large.dsBmih.biHeight < 0 ? -side : side);  // the art's row order
    void* bits = nullptr;
    GdiObject<HBITMAP> resized(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dib = DIBSECTION{};
    if (!resized || pixels.empty() || GetObjectA(resized.get(), sizeof dib, &dib) != sizeof dib) return {};
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    return resized;
}

GdiObject<HBITMAP> OverGround(const DIBSECTION& source, int left, int width, COLORREF ground) {
    const int height = std::abs(static_cast<int>(source.dsBmih.biHeight));
    if (!source.dsBm.bmBits || source.dsBm.bmBitsPixel != 32 || left < 0 || width <= 0 ||
        left + width > source.dsBm.bmWidth) {
        return {};
    }
    const BITMAPINFO info = Bitmap32(width, source.dsBmih.biHeight);  // the source's row order
    void* bits = nullptr;
    GdiObject<HBITMAP> picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!picture) return picture;
    const std::uint32_t groundBgr[3] = {GetBValue(ground), GetGValue(ground), GetRValue(ground)};
    for (int row = 0; row < height; ++row) {
        const auto* from = static_cast<const std::uint8_t*>(source.dsBm.bmBits) + row * source.dsBm.bmWidthBytes + 4 * left;
        auto* to = static_cast<std::uint8_t*>(bits) + row * 4 * width;
        for (int x = 0; x < width; ++x, from += 4, to += 4) {
            const std::uint32_t alpha = from[3];
            for (int channel = 0; channel < 3; ++channel) {
                to[channel] = static_cast<std::uint8_t>((from[channel] * alpha + groundBgr[channel] * (255 - alpha) + 127) / 255);
            }
            to[3] = 0;
        }
    }
    return picture;
}

ButtonGlyph::ButtonGlyph(HWND button, int bitmapId, int margin, int dpi) : margin_(margin) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(button, GWLP_HINSTANCE));
    DIBSECTION source{};
    GdiObject<HBITMAP> pair = LoadGlyphArt(instance, bitmapId, 2, dpi, source);
    side_ = source.dsBm.bmHeight;
    if (!pair || side_ < 1 || source.dsBm.bmWidth != 2 * side_) return;
    list_ = SixStateList(source, side_);
    BUTTON_IMAGELIST image{};
    image.himl = list_.get();
    image.margin = {margin, 0, 0, 0};
    image.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    if (list_ && SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image))) return;
    // Refused: a button of common controls before 6 does not know the message and answers 0. It
    // becomes owner-drawn (BS_OWNERDRAW replaces the push button's type; the window knows which
    // one is its default button) and keeps its caption, font and every notification.
    list_.reset();
    pair_ = std::move(pair);
    pairDib_ = source;
    const LONG_PTR style = GetWindowLongPtrA(button, GWL_STYLE);
    SetWindowLongPtrA(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    AnswerAsPushButton(button);
    InvalidateRect(button, nullptr, TRUE);
}

void ButtonGlyph::DrawGlyph(HDC dc, const RECT& content, bool disabled) const {
    // Blended here, where the face colour is known: GDI before Windows 98 and 2000 has no AlphaBlend.
    const GdiObject<HBITMAP> glyph = OverGround(pairDib_, disabled ? side_ : 0, side_, GetSysColor(COLOR_BTNFACE));
    if (!glyph) return;
    const MemoryDC memory(CreateCompatibleDC(dc));
    const ScopedSelectObject selected(memory.get(), glyph.get());
    BitBlt(dc, content.left + margin_, content.top + (content.bottom - content.top - side_) / 2, side_, side_,
           memory.get(), 0, 0, SRCCOPY);
}

void ButtonGlyph::Draw(const DRAWITEMSTRUCT& item, bool isDefault) const {
    HDC dc = item.hDC;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    RECT face = item.rcItem;
    if (isDefault) {
        FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&face, -1, -1);
    }
    // Pressed, the default button lies flat inside its shadow line, any other one sinks in; what it
    // shows moves a pixel down and right.
    UINT state = DFCS_BUTTONPUSH;
    if (pushed) state |= isDefault ? DFCS_FLAT : DFCS_PUSHED;
    DrawFrameControl(dc, &face, DFC_BUTTON, state);
    RECT content = face;
    if (pushed) OffsetRect(&content, 1, 1);
    DrawGlyph(dc, content, disabled);

    // The caption centred right of the glyph, as the image list's button places it.
    RECT text = content;
    text.left += 2 * margin_ + side_;
    text.right -= margin_;
    const std::wstring caption = WindowWideText(item.hwndItem);
    const ScopedSelectObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (item.itemState & ODS_NOACCEL) format |= DT_HIDEPREFIX;  // Windows 2000 on, until a key is used
    if (disabled && HighContrastOn()) {
        // An etched caption is hardly told from an enabled one in a high-contrast scheme: the
        // scheme's own grey text says it.
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else if (disabled) {
        // Etched, as the system greys a caption: the highlight a pixel down and right, the shadow on it.
        RECT light = text;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawWideText(dc, caption, light, format);
        SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawWideText(dc, caption, text, format);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = face;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace norvanex
