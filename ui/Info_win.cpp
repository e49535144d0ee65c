// TInfos: the about box. Fixed size, close box only, on top of other windows, modal over its owner.
#include "ui/Info_win.h"

#include <shellapi.h>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/AppInfo_win.h"
#include "base/ButtonGlyph_win.h"
#include "base/ComApartment_win.h"
#include "resources/resource.h"
#include "ui/Help_win.h"
#include "ui/Lang.h"

namespace norvanex {

namespace {

// Shortly after showing: the box comes to the front once more. Under Wine the owner's activation,
// left over from a closing just before, can otherwise still land above the box.
constexpr UINT_PTR kTimerFront = 1;
constexpr UINT kTimerFrontInterval = 300;

// Opens a link target with the user's default program for it; whatever fails, the shell tells.
// The association may be a shell extension, which needs COM on the calling thread.
void OpenTarget(const std::string& target) {
    EnterComApartment();
    ShellExecuteA(nullptr, "open", target.c_str(), "", "", SW_SHOW);
}

// Whether the face GDI chose for `font` draws at `charHeight` pixels as designed: a scalable one
// (TMPF_VECTOR: TrueType or vector), or a bitmap one whose cells have that character height (cell
// height less internal leading) of their own. TMPF_VECTOR is set for these, despite its name.
bool ScalableOrExact(HFONT font, int charHeight) {
    const ScopedGetDC screen(nullptr);
    const ScopedSelectObject selected(screen.get(), font);
    TEXTMETRICA metrics{};
    if (!GetTextMetricsA(screen.get(), &metrics)) return false;
    if (metrics.tmPitchAndFamily & TMPF_VECTOR) return true;
    return metrics.tmHeight - metrics.tmInternalLeading == charHeight;
}

}  // namespace

TInfos::~TInfos() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TInfos::Create(HINSTANCE instance, HWND owner) {
    if (!RegisterWindowClass(instance, kClassName, WindowProc, COLOR_WINDOW)) return false;
    CreateDialogFrame(instance, owner, kClassName, infotexts::kTitle, this);
    return hwnd_ != nullptr;
}

bool TInfos::CreateControls() {
    if (!face_.CreateControls(hwnd_)) return false;
    MakeTitleFont();
    face_.WhenRescaled([this] { FormRescaled(); });

    face_.SetText(kInfoBitBtn1, infotexts::kBitBtn1.english);
    face_.SetGlyph(kInfoBitBtn1, IDB_BITBTN1);
    face_.SetText(kInfoLabel5, NORVANEX_MAKER_LINE);
    face_.SetText(kInfoLabel6, NORVANEX_MAIL);
    face_.SetText(kInfoLabel4, NORVANEX_WEB_SHOWN);
    LoadPictures();
    return true;
}

void TInfos::MakeTitleFont() {
    // MS Sans Serif is a bitmap face of a few sizes. For a height it lacks, GDI stretches a smaller
    // size by a whole multiple, advance widths and all, so the letters stand apart with wide gaps
    // (a stretched face still came near enough the title's height to pass the earlier test of
    // four fifths). Only a bitmap size of the title's own height is taken; any other height is
    // drawn in a scalable face of the same kind.
    const int titleHeight = face_.Scale(kInfoTitleHeight);
    GdiObject<HFONT> font = MakeFont(face_.Dpi(), FontLook{"MS Sans Serif", titleHeight, FW_BOLD, false, FF_SWISS});
    if (!ScalableOrExact(font.get(), titleHeight)) {
        font = MakeFont(face_.Dpi(), FontLook{"Microsoft Sans Serif", titleHeight, FW_BOLD, false, FF_SWISS});
    }
    SendMessageA(Control(kInfoLabel1), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    titleFont_ = std::move(font);  // the label holds the new one before the old one goes
}

// The builder placed the designed controls at the new DPI; the title's font, the icon at its new
// size and the title fitted to its new font are the box's own.
void TInfos::FormRescaled() {
    MakeTitleFont();
    face_.FitLabel(kInfoLabel1);
    LoadPictures();
}

void TInfos::LoadPictures() {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
    // The program's icon at the picture's designed size.
    const ControlDesign& picture = face_.DesignOf(kInfoImage1);
    icon_.reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_NORVANEX), IMAGE_ICON,
                                              face_.Scale(picture.width), face_.Scale(picture.height), 0)));

    // The logo carries straight alpha; it is laid over the window colour once, so that it draws
    // (and scales) as a plain picture.
    DIBSECTION dib{};
    const GdiObject<HBITMAP> source = LoadAlphaPicture(instance, IDB_LOGO, dib);
    logo_ = OverGround(dib, 0, dib.dsBm.bmWidth, GetSysColor(COLOR_WINDOW));
}

void TInfos::Execute() {
    if (!hwnd_) return;  // never created: nothing to show, and no loop that could end
    face_.SetText(kInfoLabel8, SelectText(infotexts::kLabel8.english, infotexts::kLabel8.german));
    face_.SetText(kInfoLabel1, TitleWithVersion(App().title, GetVersionText()));
    // The box reaches the right and bottom edges of its controls (the box bevel frames it all) and
    // stands centred over its owner, inside the work area.
    const SIZE extent = face_.Extent();
    SizeAndCenter(hwnd_, extent.cx, extent.cy, GetWindow(hwnd_, GW_OWNER));

    ModalHooks hooks;
    hooks.show = [this] {
        BringToFront();
        SetTimer(hwnd_, kTimerFront, kTimerFrontInterval, nullptr);
        SetFocus(Control(kInfoBitBtn1));
        modal_ = true;
    };
    hooks.done = [this] { return !modal_; };
    RunModal(hwnd_, GetWindow(hwnd_, GW_OWNER), hooks);
    modal_ = false;
    KillTimer(hwnd_, kTimerFront);
}

// Shown at the top of the z-order explicitly, not only made visible: Wine showed a box opened a
// second time behind its owner.
void TInfos::BringToFront() {
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    SetForegroundWindow(hwnd_);
}

void TInfos::TimerFrontTimer() {
    KillTimer(hwnd_, kTimerFront);
    if (modal_) BringToFront();
}

void TInfos::HelpExecute() { ShowHelpIndex(GetWindow(hwnd_, GW_OWNER)); }

void TInfos::BitBtn1Click() { modal_ = false; }

void TInfos::Label5Click() { OpenTarget(WebPageTarget(NORVANEX_SITE, NORVANEX_HOMEPAGE)); }

void TInfos::Label6Click() { OpenTarget(MailTarget(NORVANEX_MAIL)); }

bool TInfos::IsLink(HWND control) const {
    return control && (control == Control(kInfoLabel4) || control == Control(kInfoLabel6) ||
                       control == Control(kInfoImage8));
}

void TInfos::DrawPicture(const DRAWITEMSTRUCT& item) {
    const RECT& r = item.rcItem;
    if (item.CtlID == kInfoImage1) {
        FillRect(item.hDC, &r, GetSysColorBrush(COLOR_WINDOW));
        if (icon_.get()) {
            DrawIconEx(item.hDC, r.left, r.top, icon_.get(), r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
        }
        return;
    }
    if (item.CtlID != kInfoImage8 || !logo_.get()) return;
    BITMAP logo{};
    GetObjectA(logo_.get(), sizeof logo, &logo);
    const MemoryDC memory(CreateCompatibleDC(item.hDC));
    const ScopedSelectObject selected(memory.get(), logo_.get());
    SetStretchBltMode(item.hDC, HALFTONE);
    StretchBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory.get(), 0, 0, logo.bmWidth,
               logo.bmHeight, SRCCOPY);
}

// A click, of a button or of a label (BN_CLICKED and STN_CLICKED are both 0); a link's
// double-click (BN_DOUBLECLICKED, STN_DBLCLK) opens nothing a second time.
const CommandEntry<TInfos> TInfos::kCommands[] = {
    {kInfoBitBtn1, BN_CLICKED, [](TInfos& box, const CommandMessage&) { box.BitBtn1Click(); }},
    {kInfoLabel4, BN_CLICKED, [](TInfos& box, const CommandMessage&) { box.Label5Click(); }},
    {kInfoImage8, STN_CLICKED, [](TInfos& box, const CommandMessage&) { box.Label5Click(); }},
    {kInfoLabel6, BN_CLICKED, [](TInfos& box, const CommandMessage&) { box.Label6Click(); }},
};

LRESULT TInfos::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT chrome = 0;
    if (face_.ChromeMessage(message, wParam, lParam, chrome)) return chrome;
    switch (message) {
        case WM_CREATE:
            // A box without its controls is not made at all.
            return CreateControls() ? 0 : -1;
        case WM_COMMAND: DispatchCommand(kCommands, *this, hwnd_, CommandOf(wParam, lParam)); return 0;
        case WM_TIMER:
            if (wParam == kTimerFront) TimerFrontTimer();
            return 0;
        case WM_HELP:
            // F1 here opens help, and goes no further up to the owner.
            if (PlainHelpKey()) HelpExecute();
            return TRUE;
        case WM_SYSCOLORCHANGE:
            LoadPictures();  // the logo lies over the window colour
            return 0;
        case WM_SETCURSOR:
            if (IsLink(reinterpret_cast<HWND>(wParam))) {
                SetCursor(LoadCursorA(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_DRAWITEM:
            DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CLOSE:
            modal_ = false;
            return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace norvanex
