// TMainForm's face, shared by both modes and built by DesignedWindow from the design table: the
// texts, the tips (with those over disabled controls), the glyphs, the layout and the shell's icons.
#include "app/MainUnit_win.h"

#include <string_view>

#include "base/AnsiText_win.h"
#include "resources/resource.h"
#include "ui/Lang.h"

namespace norvanex {

namespace {

// The glyphs both modes show; BitBtn1's is the mode's own (ModeFace).
int GlyphOf(int id) {
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

// The list's columns as designed (the kill run fits its own).
constexpr int kColumnWidth = 170;

}  // namespace

// False when a control could not be made: the window is then no use.
bool TMainForm::CreateControls() {
    const ModeFace& face = mode_->Face();
    // The editor starts with an empty list: Create is disabled from its first picture on, not an
    // instant after it (the editor keeps it so from then on).
    const bool made = design_.CreateControls(hwnd_, [&face](const ControlDesign& d) {
        if (d.id == kListView1) return DesignedWindow::Moment{face.listFlags, false};
        return DesignedWindow::Moment{0, d.id == kBitBtn1 && !face.createEnabled};
    });
    if (!made) return false;
    for (const ControlDesign& d : kMainDesign) {
        if (d.kind == ControlKind::Button) design_.SetGlyph(d.id, d.id == kBitBtn1 ? face.bitBtn1Glyph : GlyphOf(d.id));
    }
    SendMessageA(Control(kCheckBox1), BM_SETCHECK, BST_CHECKED, 0);

    HWND list = Control(kListView1);
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = Scale(kColumnWidth);
    ListView_InsertColumn(list, 0, &column);
    ListView_InsertColumn(list, 1, &column);
    design_.WhenRescaled([this] { FormRescaled(); });
    return true;
}

// At another DPI the builder has placed the controls again; the columns, the areas of the
// disabled controls' tips and what the mode fitted follow.
void TMainForm::FormRescaled() {
    HWND list = Control(kListView1);
    for (int column = 0; column < 2; ++column) ListView_SetColumnWidth(list, column, Scale(kColumnWidth));
    for (const ControlDesign& d : kMainDesign) {
        if (!hints_[d.id].empty() && hintAreas_[d.id]) PlaceHintArea(static_cast<MainControl>(d.id));
    }
    mode_->Rescaled();
}

// The tips' window, made half a second after the window appeared (Timer2): a tip shows only
// after the mouse has rested on its control for as long, so nobody sees it come later, and the
// first picture goes without another top-level window. It takes every hint set so far; without
// it (not made) the window works on, without tips.
void TMainForm::MakeTooltip() {
    if (Tooltip() || !design_.MakeTooltip()) return;
    for (const ControlDesign& d : kMainDesign) {
        if (!hints_[d.id].empty()) GiveTips(static_cast<MainControl>(d.id));
    }
    mode_->TipsMade();
}

void TMainForm::SetText(MainControl id, const TextPair& text) { design_.SetText(id, SelectText(text.english, text.german)); }

void TMainForm::SetHint(MainControl id, const TextPair& text) {
    hints_[id] = SelectText(text.english, text.german);
    hintAreas_[id] = true;
    if (Tooltip()) GiveTips(id);
}

void TMainForm::SetHintText(MainControl id, const std::string& hint) {
    hints_[id] = hint;
    hintAreas_[id] = false;
    if (Tooltip()) GiveTips(id);
}

void TMainForm::GiveTips(MainControl id) {
    design_.SetTip(id, hints_[id]);
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
    SendMessageA(Tooltip(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&area));
    if (!hints_[id].empty()) {
        SendMessageA(Tooltip(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&area));
        PlaceHintArea(id);
    }
}

void TMainForm::PlaceHintArea(MainControl id) {
    if (!Tooltip()) return;
    TOOLINFOA area{};
    area.cbSize = comctl::ToolInfoSize(false);
    area.hwnd = hwnd_;
    area.uId = static_cast<UINT_PTR>(id);
    GetWindowRect(Control(id), &area.rect);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&area.rect), 2);
    SendMessageA(Tooltip(), TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&area));
}

// The text of a control's area tool: its hint while it shows disabled, else nothing (no tip).
LRESULT TMainForm::HintText(NMHDR& header) {
    const UINT_PTR id = header.idFrom;
    if (header.hwndFrom != Tooltip() || id > static_cast<UINT_PTR>(kBevel4)) return 0;
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

void TMainForm::Place(MainControl id, int left, int top, int width, int height) {
    design_.Place(id, left, top, width, height);
    if (!hints_[id].empty()) PlaceHintArea(id);
}

// The client area reaches the right and bottom edges of the visible controls (the box bevel
// frames the window, so lowering it shrinks the window); the window stays centred.
void TMainForm::AutoSize() {
    const SIZE extent = design_.Extent();
    SizeAndCenter(hwnd_, extent.cx, extent.cy);
}

// The first visible, enabled control that takes the Tab key: the design's tab order is creation order.
HWND TMainForm::FirstTabStop() const {
    for (const ControlDesign& d : kMainDesign) {
        HWND control = Control(static_cast<MainControl>(d.id));
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
    const SystemImageLists shellLists = QuerySystemImageLists(App().exePath.substr(0, 3));
    largeIcons_ = shellLists.large;
    HWND list = Control(kListView1);
    ListView_SetImageList(list, shellLists.small, LVSIL_SMALL);
    ListView_SetImageList(list, shellLists.small, LVSIL_NORMAL);
}

void TMainForm::SetProgImg(int iconIndex, const std::string& path) {
    progImgIndex_ = iconIndex;
    SetOwnText(Control(kProgImg), path);
    InvalidateRect(Control(kProgImg), nullptr, TRUE);
}

void TMainForm::DrawProgImg(const DRAWITEMSTRUCT& item) {
    if (item.CtlID != kProgImg) return;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (progImgIndex_ < 0 || largeIcons_ == nullptr) return;
    comctl::ImageListDraw(largeIcons_, progImgIndex_, item.hDC, item.rcItem.left, item.rcItem.top, ILD_TRANSPARENT);
}

}  // namespace norvanex
