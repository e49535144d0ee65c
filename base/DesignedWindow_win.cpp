// The builder of designed windows: controls, face, fitted labels, tips, glyphs, bevels and the
// chrome they share.
#include "base/DesignedWindow_win.h"

#include <algorithm>

#include "base/AnsiText_win.h"
#include "base/MenuImage_win.h"
#include "base/SystemTraits_win.h"

namespace norvanex {

namespace {

// A button's glyph stands this far in from its left edge, in design pixels.
constexpr int kGlyphMargin = 4;

struct KindLook {
    const char* className;  // null for a bevel, which is no window
    DWORD style;
    DWORD exStyle;
};

KindLook LookOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button: return {WC_BUTTONA, WS_TABSTOP | BS_PUSHBUTTON, 0};
        case ControlKind::CheckBox: return {WC_BUTTONA, WS_TABSTOP | BS_AUTOCHECKBOX, 0};
        case ControlKind::GroupBox: return {WC_BUTTONA, BS_GROUPBOX, 0};
        case ControlKind::Label: return {WC_STATICA, SS_LEFT, 0};
        // A button that draws itself as a link: Tab reaches it, it shows the focus, Space and Enter
        // (DM_GETDEFID) press it, and a screen reader meets a control that does something.
        case ControlKind::Link: return {WC_BUTTONA, WS_TABSTOP | BS_OWNERDRAW, 0};
        // The system image lists are the shell's: the list view must never destroy them.
        case ControlKind::ListView:
            return {WC_LISTVIEWA, WS_TABSTOP | LVS_LIST | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE};
        case ControlKind::Picture: return {WC_STATICA, SS_OWNERDRAW, 0};
        case ControlKind::Icon: return {WC_STATICA, SS_ICON, 0};
        default: return {nullptr, 0, 0};
    }
}

// The window styles that a control's flags stand for.
DWORD StyleOf(ControlKind kind, unsigned flags) {
    DWORD style = 0;
    if (flags & control::kDefault) style |= BS_DEFPUSHBUTTON;
    // A link draws its text without prefixes itself; on a button the bit would be BS_BITMAP.
    if ((flags & control::kNoPrefix) && kind != ControlKind::Link) style |= SS_NOPREFIX;
    if (flags & control::kNotify) style |= SS_NOTIFY;
    if (flags & control::kWrapped) style |= SS_EDITCONTROL;
    if (flags & control::kSingleSelection) style |= LVS_SINGLESEL;
    return style;
}

}  // namespace

GdiObject<HFONT> MakeFont(int dpi, const FontLook& look) {
    const int height = look.pixelHeight != 0 ? look.pixelHeight : MulDiv(8, dpi, 72);
    return GdiObject<HFONT>(CreateFontA(-height, 0, 0, 0, look.weight, FALSE, look.underline, FALSE, DEFAULT_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | look.family, look.face));
}

int DesignedWindow::Dpi() const {
    if (dpi_ == 0) dpi_ = ScreenDpi();
    return dpi_;
}

RECT DesignedWindow::ScaledRect(int left, int top, int width, int height) const {
    const PixelPlace place = ScaledPlace(left, top, width, height, Dpi());
    return {place.left, place.top, place.right, place.bottom};
}

// The program's face and the links' face at the window's DPI. The controls are given the new
// fonts before the old ones are deleted: a control must never hold a deleted font.
void DesignedWindow::MakeFonts() {
    GdiObject<HFONT> face = MakeFont(Dpi(), FontLook{look_.font});
    GdiObject<HFONT> link = MakeFont(Dpi(), FontLook{"MS Sans Serif", 0, FW_NORMAL, true});
    for (const ControlDesign* d = design_; d != design_ + count_; ++d) {
        if (HWND control = Control(d->id)) {
            HFONT font = d->kind == ControlKind::Link ? link.get() : face.get();
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
    font_ = std::move(face);
    linkFont_ = std::move(link);
}

SIZE DesignedWindow::DesignReach() const {
    SIZE reach{0, 0};
    for (const ControlDesign* d = design_; d != design_ + count_; ++d) {
        reach.cx = std::max<LONG>(reach.cx, d->left + d->width);
        reach.cy = std::max<LONG>(reach.cy, d->top + d->height);
    }
    return reach;
}

SIZE DesignedWindow::DesignedSize() const {
    const SIZE reach = DesignReach();
    return {Scale(reach.cx), Scale(reach.cy)};
}

const ControlDesign& DesignedWindow::DesignOf(int id) const {
    const ControlDesign* end = design_ + count_;
    const ControlDesign* found = std::find_if(design_, end, [id](const ControlDesign& d) { return d.id == id; });
    return found != end ? *found : design_[0];
}

bool DesignedWindow::CreateControls(HWND window, const std::function<Moment(const ControlDesign&)>& moment) {
    window_ = window;
    defaultId_ = 0;
    // Per-monitor aware, a window made on a monitor of another scale than the first one has that
    // monitor's DPI from the start; Windows sends no WM_DPICHANGED for it.
    const int dpi = WindowDpi(window);
    if (dpi != Dpi() || !font_.get()) {
        dpi_ = dpi;
        font_ = MakeFont(Dpi(), FontLook{look_.font});
        linkFont_.reset();
    }
    places_.clear();
    for (const ControlDesign* d = design_; d != design_ + count_; ++d) places_.push_back({d->left, d->top, d->width, d->height});
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    for (const ControlDesign* d = design_; d != design_ + count_; ++d) {
        const KindLook look = LookOf(d->kind);
        if (!look.className) {
            bevels_.push_back({d->id, d->kind, ScaledRect(d->left, d->top, d->width, d->height), d->visible});
            continue;
        }
        const Moment now = moment ? moment(*d) : Moment{};
        if (((d->flags | now.flags) & control::kDefault) && defaultId_ == 0) defaultId_ = d->id;
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | look.style | StyleOf(d->kind, d->flags | now.flags);
        if (d->visible) style |= WS_VISIBLE;
        if (!d->enabled || now.disabled) style |= WS_DISABLED;
        HWND control = CreateWindowExA(look.exStyle, look.className, "", style, Scale(d->left), Scale(d->top),
                                       Scale(d->width), Scale(d->height), window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(d->id)), instance, nullptr);
        if (!control) {
            DestroyControls();
            return false;
        }
        HFONT font = font_.get();
        if (d->kind == ControlKind::Link) {
            if (!linkFont_.get()) linkFont_ = MakeFont(Dpi(), FontLook{"MS Sans Serif", 0, FW_NORMAL, true});
            font = linkFont_.get();
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    // A group box lies below everything else, so that it never paints over what it frames; each
    // control made after it would come below it.
    for (const ControlDesign* d = design_; d != design_ + count_; ++d) {
        if (d->kind != ControlKind::GroupBox) continue;
        SetWindowPos(Control(d->id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return true;
}

void DesignedWindow::DestroyControls() {
    for (const ControlDesign* d = design_; d != design_ + count_; ++d) {
        if (HWND control = Control(d->id)) DestroyWindow(control);
    }
    for (ButtonGlyph& glyph : glyphs_) glyph = ButtonGlyph();
    std::fill(glyphIds_.begin(), glyphIds_.end(), 0);
    bevels_.clear();
}

void DesignedWindow::SetText(int id, std::string_view text) {
    SetOwnText(Control(id), text);
    FitLabel(id);
}

void DesignedWindow::FitLabel(int id) {
    const ControlDesign& d = DesignOf(id);
    const bool link = d.kind == ControlKind::Link;
    if ((d.kind != ControlKind::Label && !link) || d.width != 0 || d.height != 0) return;
    HWND label = Control(id);
    const SIZE extent = LabelTextExtent(label);
    const int right = Scale(DesignReach().cx - kLabelRightMargin);
    int left = Scale(d.left);
    if (link && left + extent.cx > right) left = std::max(0, right - static_cast<int>(extent.cx));
    SetWindowPos(label, nullptr, left, Scale(d.top), std::min<int>(extent.cx, right - left), extent.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | (link ? 0 : SWP_NOMOVE));
    // A static control paints its new text at once, in its old size (Wine does it inside
    // WM_SETTEXT), wrapped at a blank when the text is wider; growing it keeps those pixels and
    // paints only the new part, so the whole label is painted again in its new size.
    InvalidateRect(label, nullptr, TRUE);
}

void DesignedWindow::SetGlyph(int id, int bitmapId) {
    glyphIds_[RowOf(id)] = bitmapId;
    glyphs_[RowOf(id)] = ButtonGlyph(Control(id), bitmapId, Scale(kGlyphMargin), Dpi());
}

void DesignedWindow::ChangeDpi(int dpi, const RECT& suggested) {
    if (!window_ || dpi <= 0) return;
    dpi_ = dpi;
    MakeFonts();
    for (Bevel& bevel : bevels_) {
        const DesignPlace& p = places_[RowOf(bevel.id)];
        bevel.rect = ScaledRect(p.left, p.top, p.width, p.height);
    }
    for (const ControlDesign* d = design_; d != design_ + count_; ++d) {
        HWND control = Control(d->id);
        if (!control) continue;
        const DesignPlace& p = places_[RowOf(d->id)];
        if (p.width == 0 && p.height == 0) {
            // A fitted label: its corner at the new scale, its size from its text in the new font.
            SetWindowPos(control, nullptr, Scale(p.left), Scale(p.top), 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
            FitLabel(d->id);
        } else {
            SetWindowPos(control, nullptr, Scale(p.left), Scale(p.top), Scale(p.width), Scale(p.height),
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    for (std::size_t row = 0; row < count_; ++row) {
        if (glyphIds_[row] != 0) SetGlyph(design_[row].id, glyphIds_[row]);
    }
    if (rescaled_) rescaled_();
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
}

HWND DesignedWindow::MakeTooltip() {
    if (tooltip_ && IsWindow(tooltip_)) return tooltip_;
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE)), nullptr);
    return tooltip_;
}

void DesignedWindow::SetTip(int id, std::string_view text) { SetControlTip(tooltip_, window_, Control(id), text); }

DesignedWindow::Bevel* DesignedWindow::BevelOf(int id) {
    for (Bevel& bevel : bevels_) {
        if (bevel.id == id) return &bevel;
    }
    return nullptr;
}

const RECT* DesignedWindow::BevelRect(int id) const {
    for (const Bevel& bevel : bevels_) {
        if (bevel.id == id) return &bevel.rect;
    }
    return nullptr;
}

// The window has no WS_CLIPCHILDREN, so the controls over the place are painted again as well.
void DesignedWindow::RepaintBevel(const Bevel& bevel) const {
    if (bevel.shown) InvalidateRect(window_, &bevel.rect, TRUE);
}

void DesignedWindow::Place(int id, int left, int top, int width, int height) {
    if (!places_.empty()) places_[RowOf(id)] = {left, top, width, height};
    if (Bevel* bevel = BevelOf(id)) {
        RepaintBevel(*bevel);
        bevel->rect = ScaledRect(left, top, width, height);
        RepaintBevel(*bevel);
        return;
    }
    SetWindowPos(Control(id), nullptr, Scale(left), Scale(top), Scale(width), Scale(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesignedWindow::Show(int id, bool visible) {
    if (Bevel* bevel = BevelOf(id)) {
        if (bevel->shown == visible) return;
        bevel->shown = visible;
        InvalidateRect(window_, &bevel->rect, TRUE);
        return;
    }
    ShowWindow(Control(id), visible ? SW_SHOWNA : SW_HIDE);
}

void DesignedWindow::PaintBevels() const {
    const ScopedPaint paint(window_);
    HDC dc = paint.dc();
    for (const Bevel& bevel : bevels_) {
        if (!bevel.shown) continue;
        RECT r = bevel.rect;
        switch (bevel.kind) {
            case ControlKind::TopLine: DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP); break;
            case ControlKind::Frame: DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT); break;
            default: DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT); break;
        }
    }
}

SIZE DesignedWindow::Extent() const {
    SIZE extent{0, 0};
    auto reach = [&extent](const RECT& r) {
        extent.cx = std::max<LONG>(extent.cx, r.right);
        extent.cy = std::max<LONG>(extent.cy, r.bottom);
    };
    for (const Bevel& bevel : bevels_) {
        if (bevel.shown) reach(bevel.rect);
    }
    for (const ControlDesign* d = design_; d != design_ + count_; ++d) {
        HWND control = Control(d->id);
        if (!control || !(GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
        reach(r);
    }
    return extent;
}

bool DesignedWindow::ChromeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            PaintBevels();
            result = 0;
            return true;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            result = ControlColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
            return true;
        case DM_GETDEFID: {
            // Enter presses the focused link, as it presses a focused push button in a dialog.
            const int id = FocusedLink();
            if (id == 0 && defaultId_ == 0) return false;
            result = MAKELRESULT(id != 0 ? id : defaultId_, DC_HASDEFID);
            return true;
        }
        case WM_DRAWITEM:
            if (DrawGlyphButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ||
                DrawLink(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
                result = TRUE;
                return true;
            }
            return ImageMenu::OwnerMessage(message, wParam, lParam, result);
        case WM_MEASUREITEM:
        case WM_MENUCHAR: return ImageMenu::OwnerMessage(message, wParam, lParam, result);
        case kWmDpiChanged:
            // Both words of wParam hold the new DPI (the X and the Y axis are always equal).
            ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            result = 0;
            return true;
        default: return false;
    }
}

// Labels, check boxes and the buttons' surroundings on the window's own face.
LRESULT DesignedWindow::ControlColours(HDC dc, HWND) const {
    SetBkColor(dc, GetSysColor(look_.background));
    SetTextColor(dc, GetSysColor(look_.text));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(look_.background));
}

int DesignedWindow::FocusedLink() const {
    HWND focus = GetFocus();
    if (!focus || GetParent(focus) != window_) return 0;
    const int id = GetDlgCtrlID(focus);
    const ControlDesign& d = DesignOf(id);
    return d.id == id && d.kind == ControlKind::Link ? id : 0;
}

// A link: its text, underlined by its font, in the system's link colour on the window's face, and
// the focus rectangle around it while it has the keyboard.
bool DesignedWindow::DrawLink(const DRAWITEMSTRUCT& item) const {
    if (item.CtlType != ODT_BUTTON) return false;
    const ControlDesign& d = DesignOf(static_cast<int>(item.CtlID));
    if (d.id != static_cast<int>(item.CtlID) || d.kind != ControlKind::Link) return false;
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(look_.background));
    const ScopedSelectObject font(item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(item.hDC, TRANSPARENT);
    // The link colour where it can be read on the face, else the selection's, else the text's.
    const COLORREF ground = GetSysColor(look_.background);
    int colour = LinkColour();
    if (!ReadableOn(GetSysColor(colour), ground)) colour = ReadableOn(GetSysColor(COLOR_HIGHLIGHT), ground) ? COLOR_HIGHLIGHT : look_.text;
    SetTextColor(item.hDC, GetSysColor(colour));
    DrawWideText(item.hDC, WindowWideText(item.hwndItem), r, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(item.hDC, &r);
    return true;
}

bool DesignedWindow::DrawGlyphButton(const DRAWITEMSTRUCT& item) const {
    if (item.CtlType != ODT_BUTTON) return false;
    const ControlDesign& d = DesignOf(static_cast<int>(item.CtlID));
    if (d.id != static_cast<int>(item.CtlID)) return false;
    const ButtonGlyph& glyph = glyphs_[static_cast<std::size_t>(&d - design_)];
    if (!glyph.DrawnHere()) return false;
    glyph.Draw(item, d.id == defaultId_);
    return true;
}

}  // namespace norvanex
