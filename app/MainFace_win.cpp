// TMainForm's face, shared by both modes: the controls of the design table, their texts, tips and
// glyphs, the bevels the window draws, the layout and the shell's icons.
#include "app/MainUnit.h"

#include <algorithm>
#include <string_view>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/ButtonGlyph_win.h"
#include "resources/resource.h"
#include "ui/Lang.h"

namespace norvanex {

namespace {

// The glyphs both modes show; BitBtn1's is the mode's own (ModeFace).
int GlyphOf(MainControl id) {
    switch (id) {
        case kBitBtn2: return IDB_BITBTN2;
        case kBitBtn3: return IDB_BITBTN3;
        case kBitBtn4: return IDB_BITBTN4;
        case kBitBtn5: return IDB_BITBTN5;
        case kBitBtn6: return IDB_BITBTN6;
        case kBitBtn9: return IDB_BITBTN9;
        default: return 0;
    }
}

}  // namespace

int TMainForm::Scale(int designValue) const { return ScaleToDpi(designValue, dpi_); }

// A design rectangle in pixels, as a control placed there covers it.
RECT TMainForm::ScaledRect(int left, int top, int width, int height) const {
    return {Scale(left), Scale(top), Scale(left) + Scale(width), Scale(top) + Scale(height)};
}

// False when a control could not be made: the window is then no use.
bool TMainForm::CreateControls() {
    font_.reset(CreateFontA(-MulDiv(8, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    const ModeFace& face = mode_->Face();
    for (const ControlDesign& d : kMainDesign) {
        if (Bevel* bevel = BevelOf(d.id)) {
            *bevel = {ScaledRect(d.left, d.top, d.width, d.height), d.visible};
            continue;
        }
        const char* cls = WC_STATICA;
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (d.kind) {
            case ControlKind::Button:
                cls = WC_BUTTONA;
                style |= WS_TABSTOP | (d.id == kBitBtn1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
                break;
            case ControlKind::CheckBox:
                cls = WC_BUTTONA;
                style |= WS_TABSTOP | BS_AUTOCHECKBOX;
                break;
            case ControlKind::ListView:
                cls = WC_LISTVIEWA;
                style |= WS_TABSTOP | LVS_LIST | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS | face.listStyle;
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::Label:
                // A label passes the mouse to its parent unless it notifies; the program to
                // start's hint (its whole path) needs the mouse.
                style |= SS_LEFT | (d.id == kLabel2 ? SS_NOPREFIX | SS_NOTIFY : 0);
                break;
            default: style |= SS_OWNERDRAW; break;  // the image (DrawProgImg)
        }
        if (d.visible) style |= WS_VISIBLE;
        // The editor starts with an empty list: Create is disabled from its first picture on, not
        // an instant after it (the editor keeps it so from then on).
        if (!d.enabled || (d.id == kBitBtn1 && !face.createEnabled)) style |= WS_DISABLED;
        HWND control = CreateWindowExA(exStyle, cls, "", style, Scale(d.left), Scale(d.top), Scale(d.width),
                                       Scale(d.height), hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)), Instance(), nullptr);
        if (!control) return false;
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        if (d.kind == ControlKind::Button) SetGlyph(d.id, d.id == kBitBtn1 ? face.bitBtn1Glyph : GlyphOf(d.id));
    }
    SendMessageA(Control(kCheckBox1), BM_SETCHECK, BST_CHECKED, 0);

    HWND list = Control(kListView1);
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = Scale(170);
    ListView_InsertColumn(list, 0, &column);
    ListView_InsertColumn(list, 1, &column);
    return true;
}

// The tips' window, made half a second after the window appeared (Timer2): a tip shows only
// after the mouse has rested on its control for as long, so nobody sees it come later, and the
// first picture goes without another top-level window. It takes every hint set so far; without
// it (not made) the window works on, without tips.
void TMainForm::MakeTooltip() {
    if (tooltip_) return;
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               Instance(), nullptr);
    if (!tooltip_) return;
    for (const ControlDesign& d : kMainDesign) {
        if (!hints_[d.id].empty()) GiveTips(d.id);
    }
}

void TMainForm::SetText(MainControl id, const TextPair& text) {
    SetOwnText(Control(id), SelectText(text.english, text.german));
    if (DesignOf(id).kind == ControlKind::Label) FitLabel(id);
}

void TMainForm::SetHint(MainControl id, const TextPair& text) {
    hints_[id] = SelectText(text.english, text.german);
    hintAreas_[id] = true;
    if (tooltip_) GiveTips(id);
}

void TMainForm::SetHintText(MainControl id, const std::string& hint) {
    hints_[id] = hint;
    hintAreas_[id] = false;
    if (tooltip_) GiveTips(id);
}

void TMainForm::GiveTips(MainControl id) {
    SetControlTip(tooltip_, hwnd_, Control(id), hints_[id]);
    if (!hintAreas_[id]) return;

    // A disabled control gets no mouse messages, so the tool above never sees the mouse over it;
    // they go to the main window instead (Windows and Wine alike). A second tool covers the control's
    // place there, and its text is asked for each time (HintText), so that it stays silent while
    // the control is enabled or hidden.
    TOOLINFOA area{};
    area.cbSize = comctl::ToolInfoSize(false);
    area.hwnd = hwnd_;
    area.uId = static_cast<UINT_PTR>(id);
    area.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&area));
    if (!hints_[id].empty()) {
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&area));
        PlaceHintArea(id);
    }
}

void TMainForm::PlaceHintArea(MainControl id) {
    if (!tooltip_) return;
    TOOLINFOA area{};
    area.cbSize = comctl::ToolInfoSize(false);
    area.hwnd = hwnd_;
    area.uId = static_cast<UINT_PTR>(id);
    GetWindowRect(Control(id), &area.rect);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&area.rect), 2);
    SendMessageA(tooltip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&area));
}

// The text of a control's area tool: its hint while it shows disabled, else nothing (no tip).
LRESULT TMainForm::HintText(NMHDR& header) {
    const UINT_PTR id = header.idFrom;
    if (header.hwndFrom != tooltip_ || id > static_cast<UINT_PTR>(kBevel4)) return 0;
    std::string_view text;
    HWND control = Control(static_cast<MainControl>(id));
    if (control && IsWindowVisible(control) && !IsWindowEnabled(control)) text = hints_[id];
    if (header.code == TTN_GETDISPINFOA) {
        auto& info = reinterpret_cast<NMTTDISPINFOA&>(header);
        info.szText[0] = '\0';
        // The 9x line asks in ANSI: the hint in the system's code page, as the window shows it.
        ansiHint_ = ShownAnsi(WideText(text));
        info.lpszText = ansiHint_.data();
    } else {
        wideHint_ = WideText(text);
        reinterpret_cast<NMTTDISPINFOW&>(header).lpszText = wideHint_.data();
    }
    return 0;
}

void TMainForm::SetGlyph(MainControl id, int bitmapId) {
    glyphs_[id] = SetButtonGlyph(Control(id), bitmapId, Scale(4));
}

void TMainForm::Place(MainControl id, int left, int top, int width, int height) {
    if (Bevel* bevel = BevelOf(id)) {
        RepaintBevel(*bevel);
        bevel->rect = ScaledRect(left, top, width, height);
        RepaintBevel(*bevel);
        return;
    }
    SetWindowPos(Control(id), nullptr, Scale(left), Scale(top), Scale(width), Scale(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (!hints_[id].empty()) PlaceHintArea(id);
}

void TMainForm::ShowControl(MainControl id, bool visible) {
    if (Bevel* bevel = BevelOf(id)) {
        if (bevel->shown == visible) return;
        bevel->shown = visible;
        RepaintBevel(*bevel);
        return;
    }
    ShowWindow(Control(id), visible ? SW_SHOWNA : SW_HIDE);
}

// The bevels are lines the window draws below its controls (PaintBevels), not windows: under
// Wine each window more costs the first picture about a millisecond and a half.
TMainForm::Bevel* TMainForm::BevelOf(MainControl id) {
    return id >= kBevel1 && id <= kBevel4 ? &bevels_[id - kBevel1] : nullptr;
}

const TMainForm::Bevel* TMainForm::BevelOf(MainControl id) const {
    return id >= kBevel1 && id <= kBevel4 ? &bevels_[id - kBevel1] : nullptr;
}

// The window has no WS_CLIPCHILDREN, so the controls over the place are painted again as well.
void TMainForm::RepaintBevel(const Bevel& bevel) {
    if (bevel.shown) InvalidateRect(hwnd_, &bevel.rect, TRUE);
}

// Labels size themselves to their text, as far as the window's right edge.
void TMainForm::FitLabel(MainControl id) {
    HWND label = Control(id);
    const SIZE extent = LabelTextExtent(label);
    const ControlDesign& d = DesignOf(id);
    const int room = Scale(kClientWidth - 8 - d.left);
    SetWindowPos(label, nullptr, 0, 0, std::min<int>(extent.cx, room), extent.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A static control paints its new text at once, in its old size (Wine does it inside
    // WM_SETTEXT), wrapped at a blank when the text is wider; growing it keeps those pixels and
    // paints only the new part, so the whole label is painted again in its new size.
    InvalidateRect(label, nullptr, TRUE);
}

// The client area reaches the right and bottom edges of the visible controls (the box bevel
// frames the window, so lowering it shrinks the window); the window stays centred.
void TMainForm::AutoSize() {
    int right = 0, bottom = 0;
    for (const ControlDesign& d : kMainDesign) {
        RECT r;
        if (const Bevel* bevel = BevelOf(d.id)) {
            if (!bevel->shown) continue;
            r = bevel->rect;
        } else {
            HWND control = Control(d.id);
            if (!(GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE)) continue;
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        }
        right = std::max<int>(right, r.right);
        bottom = std::max<int>(bottom, r.bottom);
    }
    SizeAndCenter(hwnd_, right, bottom);
}

// The first visible, enabled control that takes the Tab key: the design's tab order is creation order.
HWND TMainForm::FirstTabStop() const {
    for (const ControlDesign& d : kMainDesign) {
        HWND control = Control(d.id);
        if ((GetWindowLongPtrA(control, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(control) && IsWindowEnabled(control)) {
            return control;
        }
    }
    return nullptr;
}

// The shell's image lists, through the root of the executable's drive, attached to the list; once,
// before the first icon index is asked for or drawn.
void TMainForm::BindImageLists() {
    if (imageListsBound_) return;
    imageListsBound_ = true;
    if (shell_) shell_->Wait();
    const SystemImageLists shellLists = QuerySystemImageLists(ParamStr(0).substr(0, 3));
    largeIcons_ = shellLists.large;
    HWND list = Control(kListView1);
    ListView_SetImageList(list, shellLists.small, LVSIL_SMALL);
    ListView_SetImageList(list, shellLists.small, LVSIL_NORMAL);
}

// The bevels are drawn by the window itself, below every control they frame.
void TMainForm::PaintBevels(HDC dc) {
    for (const ControlDesign& d : kMainDesign) {
        UINT edge = 0, sides = BF_RECT;
        switch (d.kind) {
            case ControlKind::TopLine: edge = EDGE_ETCHED; sides = BF_TOP; break;
            case ControlKind::Frame: edge = BDR_SUNKENOUTER; break;
            case ControlKind::BoxBevel: edge = EDGE_ETCHED; break;
            default: continue;
        }
        const Bevel& bevel = *BevelOf(d.id);
        if (!bevel.shown) continue;
        RECT r = bevel.rect;
        DrawEdge(dc, &r, edge, sides);
    }
}

void TMainForm::SetProgImg(int iconIndex) {
    progImgIndex_ = iconIndex;
    InvalidateRect(Control(kProgImg), nullptr, TRUE);
}

void TMainForm::DrawProgImg(const DRAWITEMSTRUCT& item) {
    if (item.CtlID != kProgImg) return;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (progImgIndex_ < 0 || largeIcons_ == nullptr) return;
    comctl::ImageListDraw(largeIcons_, progImgIndex_, item.hDC, item.rcItem.left, item.rcItem.top, ILD_TRANSPARENT);
}

}  // namespace norvanex
