// TMainForm: start-up, the layout of both modes and the mode decision.
#include "app/MainUnit.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/ButtonGlyph_win.h"
#include "base/SystemTraits_win.h"
#include "app/CallLine.h"
#include "process/ProcessAccess.h"
#include "resources/resource.h"
#include "ui/Help_win.h"
#include "ui/Info.h"
#include "ui/Lang.h"
#include "ui/MsgBox.h"
#include "ui/Prop.h"

namespace norvanex {

namespace {

constexpr UINT_PTR kTimer1 = 1;  // 30 s after the result window appears: the program ends
constexpr UINT_PTR kTimer2 = 2;  // 500 ms after showing: bring the window to the front, once
constexpr UINT_PTR kTimer4 = 4;  // 1 s after the first "r:" parameter: open the program to start
constexpr UINT kTimer1Interval = 30000;
constexpr UINT kTimer2Interval = 500;
constexpr UINT kTimer4Interval = 1000;

const ControlDesign& DesignOf(MainControl id) {
    for (const ControlDesign& design : kMainDesign) {
        if (design.id == id) return design;
    }
    return kMainDesign[0];
}

int GlyphOf(MainControl id, bool killRun) {
    switch (id) {
        case kBitBtn1: return killRun ? IDB_BITBTN1 : IDB_IMAGE4;
        case kBitBtn2: return IDB_BITBTN2;
        case kBitBtn3: return IDB_BITBTN3;
        case kBitBtn4: return IDB_BITBTN4;
        case kBitBtn5: return IDB_BITBTN5;
        case kBitBtn6: return IDB_BITBTN6;
        case kBitBtn9: return IDB_BITBTN9;
        default: return 0;
    }
}

// CharNextA's stepping, answered by kernel32: a kill run reads its call line before it ends
// anything, and user32 (bound at its first call) would cost its start-up there.
const char* NextAnsiChar(const char* p) {
    if (*p == '\0') return p;
    return SystemLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0' ? p + 2 : p + 1;
}

}  // namespace

std::string ParamStr(int index) {
    if (index == 0) return App().exePath;
    return CallLineParam(GetCommandLineA(), index, NextAnsiChar);
}

// The NT line holds the command line in UTF-16 and hands the ANSI reader its best-fit conversion;
// a parameter that changed on the way names nothing. On the 9x line the ANSI line is the original.
bool ParamIsAsWritten(int index) {
    if (Processes().PlatformId() != kPlatformWin32Nt) return true;
    const auto* wide = reinterpret_cast<const char16_t*>(GetCommandLineW());
    return ParamSurvives(ParamStr(index), WideCallLineParam(wide, index),
                         [](std::u16string_view text, std::string& ansi) { return ExactAnsi(text, ansi); });
}

TMainForm::TMainForm(const KillWalk* walk, ShellWarmUp* shell) : walk_(walk), shell_(shell) {}

TMainForm::~TMainForm() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TMainForm::Create(HINSTANCE instance) {
    HICON smallIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_NORVANEX), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    if (!RegisterWindowClass(instance, kClassName, WindowProc, COLOR_BTNFACE,
                             LoadIconA(instance, MAKEINTRESOURCEA(IDI_NORVANEX)), smallIcon)) {
        return false;
    }
    dpi_ = ScreenDpi();

    // Border with the system menu only; the result window stays on top of other windows. Files
    // dropped from the shell arrive in the editor as WM_DROPFILES: the style alone says so, as
    // DragAcceptFiles would set it, without loading the shell for the editor's first picture.
    CreateWindowExA((IsKillRun() ? WS_EX_TOPMOST : WS_EX_ACCEPTFILES) | WS_EX_CONTROLPARENT, kClassName, App().title.c_str(),
                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                    Scale(kClientWidth), Scale(kClientHeight), nullptr, nullptr, instance, this);
    return hwnd_ != nullptr;
}

int TMainForm::Scale(int designValue) const { return ScaleToDpi(designValue, dpi_); }

// A design rectangle in pixels, as a control placed there covers it.
RECT TMainForm::ScaledRect(int left, int top, int width, int height) const {
    return {Scale(left), Scale(top), Scale(left) + Scale(width), Scale(top) + Scale(height)};
}

void TMainForm::CreateControls() {
    font_.reset(CreateFontA(-MulDiv(8, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));

    for (const ControlDesign& d : kMainDesign) {
        if (Bevel* bevel = BevelOf(static_cast<MainControl>(d.id))) {
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
                style |= WS_TABSTOP | LVS_LIST | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS;
                if (!IsKillRun()) style |= LVS_SINGLESEL;  // the editor selects one entry at a time
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::Label:
                style |= SS_LEFT | (d.id == kLabel2 ? SS_NOPREFIX : 0);
                // A label passes the mouse to its parent unless it notifies; the program to
                // start's hint (its whole path) needs the mouse.
                if (d.id == kLabel2) style |= SS_NOTIFY;
                break;
            default: style |= SS_OWNERDRAW; break;  // the image (DrawProgImg)
        }
        if (d.visible) style |= WS_VISIBLE;
        // The editor starts with an empty list: Create is disabled from its first picture on, not
        // an instant after it (ShowEditorState keeps it so from then on).
        if (!d.enabled || (d.id == kBitBtn1 && !IsKillRun())) style |= WS_DISABLED;
        HWND control = CreateWindowExA(exStyle, cls, "", style, Scale(d.left), Scale(d.top), Scale(d.width),
                                       Scale(d.height), hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)), instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        const auto id = static_cast<MainControl>(d.id);
        if (d.kind == ControlKind::Button) SetGlyph(id, GlyphOf(id, IsKillRun()));
    }
    SendMessageA(Control(kCheckBox1), BM_SETCHECK, BST_CHECKED, 0);

    HWND list = Control(kListView1);
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = Scale(170);
    ListView_InsertColumn(list, 0, &column);
    ListView_InsertColumn(list, 1, &column);
}

// The tips' window, made half a second after the window appeared (Timer2): a tip shows only
// after the mouse has rested on its control for as long, so nobody sees it come later, and the
// first picture goes without another top-level window. It takes every hint set so far.
void TMainForm::MakeTooltip() {
    if (tooltip_) return;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               instance, nullptr);
    for (const ControlDesign& d : kMainDesign) {
        if (!hints_[d.id].empty()) GiveTips(static_cast<MainControl>(d.id));
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
void TMainForm::HintText(NMHDR& header) {
    const UINT_PTR id = header.idFrom;
    const bool isArea = id <= static_cast<UINT_PTR>(kBevel4);
    std::string_view text;
    if (isArea) {
        HWND control = Control(static_cast<MainControl>(id));
        if (control && IsWindowVisible(control) && !IsWindowEnabled(control)) text = hints_[id];
    }
    if (header.code == TTN_GETDISPINFOA) {
        auto& info = reinterpret_cast<NMTTDISPINFOA&>(header);
        if (!isArea) return;
        info.szText[0] = '\0';
        // The 9x line asks in ANSI: the hint in the system's code page, as the window shows it.
        ansiHint_ = ShownAnsi(WideText(text));
        info.lpszText = ansiHint_.data();
    } else {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        if (!isArea) return;
        wideHint_ = WideText(text);
        info.lpszText = wideHint_.data();
    }
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
        if (const Bevel* bevel = BevelOf(static_cast<MainControl>(d.id))) {
            if (!bevel->shown) continue;
            r = bevel->rect;
        } else {
            HWND control = Control(static_cast<MainControl>(d.id));
            if (!(GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE)) continue;
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        }
        right = std::max<int>(right, r.right);
        bottom = std::max<int>(bottom, r.bottom);
    }
    SizeAndCenter(hwnd_, right, bottom);
}

void TMainForm::FormCreate() {
    // 1. The shell's image lists wait for the first icon (BindImageLists; a kill run asks for them
    // before it lists its results): loading the shell costs some 40 ms under Wine, and the
    // editor's first picture shows no icon.

    // 2 to 4. Help file, version, caption.
    const bool killRun = IsKillRun();
    App().helpFile = HelpFilePath(ParamStr(0), SystemLeadByte);
    versionText_ = MajorMinor(GetVersionText());
    std::string caption = App().title;
    if (!versionText_.empty()) caption += ' ' + versionText_;
    if (!killRun) caption += SelectText(texts::kEditorSuffix.english, texts::kEditorSuffix.german);
    SetOwnText(hwnd_, caption);

    // 5. Every text, each set once in the mode's own wording (the kill run's question is asked
    // before any window).
    SetText(kLabel1, killRun ? texts::kLabel1Kill : texts::kLabel1Editor);
    SetText(kLabel2, texts::kLabel2);
    SetText(kLabel3, killRun ? texts::kLabel3Kill : texts::kLabel3Editor);
    SetText(kBitBtn1, killRun ? texts::kBitBtn1Kill : texts::kBitBtn1Editor);
    SetHint(kBitBtn1, killRun ? texts::kBitBtn1KillHint : texts::kBitBtn1EditorHint);
    SetText(kBitBtn2, texts::kBitBtn2);
    SetHint(kBitBtn2, texts::kBitBtn2Hint);
    SetText(kBitBtn3, texts::kBitBtn3);
    SetHint(kBitBtn3, texts::kBitBtn3Hint);
    SetText(kBitBtn4, texts::kBitBtn4);
    SetHint(kBitBtn4, texts::kBitBtn4Hint);
    SetText(kBitBtn5, texts::kBitBtn5);
    SetHint(kBitBtn5, texts::kBitBtn5Hint);
    SetText(kBitBtn6, texts::kBitBtn6);
    SetHint(kBitBtn6, texts::kBitBtn6Hint);
    SetText(kBitBtn9, texts::kBitBtn9);
    SetHint(kBitBtn9, texts::kBitBtn9Hint);
    SetText(kCheckBox1, texts::kCheckBox1);
    SetHint(kCheckBox1, texts::kCheckBox1Hint);
    AutoSize();

    // 6. The mode decision.
    if (IsKillRun()) {
        // 7. The result window reaches down to the bottom edge of BitBtn3 and stays hidden.
        ShowControl(kBitBtn1, true);
        const ControlDesign& lv = DesignOf(kListView1);
        const ControlDesign& b3 = DesignOf(kBitBtn3);
        Place(kListView1, lv.left, lv.top, lv.width, b3.top + b3.height - lv.top);
        ShowKillResult();
        return;
    }
    SetUpEditor();
}

// Texts, glyphs and caption are the editor's from the start (FormCreate); here BitBtn1 takes its
// place as Create, and the editor's buttons come out.
void TMainForm::SetUpEditor() {
    const ControlDesign& b1 = DesignOf(kBitBtn1);
    Place(kBitBtn1, kEditorBitBtn1Left, b1.top, kEditorBitBtn1Width, b1.height);
    ShowWindow(hwnd_, SW_SHOW);
    for (MainControl id : {kBitBtn1, kBitBtn2, kBitBtn3, kBitBtn4, kBitBtn5, kBitBtn6, kBitBtn9, kCheckBox1}) {
        ShowControl(id, true);
    }
    SetTimer(hwnd_, kTimer2, kTimer2Interval, nullptr);
    SetUpEditorBehaviour();
    // The window was activated before its buttons were shown.
    if (HWND first = FirstTabStop()) SetFocus(first);
}

// The shell's image lists, through the root of the executable's drive, attached to the list; once,
// before the first icon index is asked for or drawn.
void TMainForm::BindImageLists() {
    if (imageListsBound_) return;
    imageListsBound_ = true;
    if (shell_) shell_->Wait();
    const SystemImageLists shellLists = QuerySystemImageLists(ParamStr(0).substr(0, 3));
    smallIcons_ = shellLists.small;
    largeIcons_ = shellLists.large;
    HWND list = Control(kListView1);
    ListView_SetImageList(list, smallIcons_, LVSIL_SMALL);
    ListView_SetImageList(list, smallIcons_, LVSIL_NORMAL);
}

namespace {

// A full path on the call line names its file in any spelling, short (8.3) names among them: it is
// looked for under its long names. Any other name stands as written.
std::string CallLineName(const std::string& name) { return IsFullPath(name) ? CanonicalPathOf(name) : name; }

}  // namespace

// No busy pointer: no window of the program exists yet for it to show over, and loading a cursor
// would set up the display driver before the processes are ended.
KillWalk RunKillWalk() {
    return WalkKillRun(
        ParamStr, [](const std::string& name) { return Processes().FindProcessByName(CallLineName(name)); },
        [] { return ShowMessage(nullptr, texts::kConfirmation, MessageKind::Confirmation) == IDYES; },
        [](const std::string& name, std::vector<uint32_t>* ended, std::string* stillRunning) {
            return Processes().EndProcessesByName(CallLineName(name), ended, stillRunning);
        },
        [] { return static_cast<uint32_t>(GetTickCount()); }, ParamIsAsWritten);
}

// The result window of a kill run whose walk is done: what was ended, the program to start, and
// the timers that take over from here.
void TMainForm::ShowKillResult() {
    BindImageLists();
    ShowStartSection(false);
    if (walk_->startNamed) SetProgramToStart(walk_->programToStart);
    startGate_.AddEnded(walk_->endedIds);
    HWND list = Control(kListView1);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const std::string& caption : walk_->results) AddResult(caption, true);
    // Below what was ended, greyed: what was found and runs on, so that nobody takes it for ended.
    for (const std::string& caption : walk_->stillRunning) AddResult(caption, false);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    if (!walk_->stillRunning.empty()) SetHint(kListView1, texts::kStillRunningHint);

    if (ListView_GetItemCount(list) > 0) {
        ShowWindow(hwnd_, SW_SHOW);
        SetFocus(Control(kBitBtn1));
        SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
        SetTimer(hwnd_, kTimer2, kTimer2Interval, nullptr);
    } else if (!timer4Enabled_) {
        Terminate();
    }
}

// The section of the program to start. While it is hidden the OK button moves up by the gap
// between the two lines and the window, which frames its controls, becomes that much shorter.
void TMainForm::ShowStartSection(bool visible) {
    for (MainControl id : {kLabel2, kLabel3, kBevel2, kBevel3, kProgImg}) ShowControl(id, visible);
    const ControlDesign& b1 = DesignOf(kBitBtn1);
    const ControlDesign& box = DesignOf(kBevel4);
    const int gap = visible ? 0 : DesignOf(kBevel2).top - DesignOf(kBevel1).top;
    Place(kBitBtn1, b1.left, b1.top - gap, b1.width, b1.height);
    Place(kBevel4, box.left, box.top, box.width, box.height - gap);
    AutoSize();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// A long path is cut in its middle to the window's right edge, as the editor shows its program to
// start, and the hint holds it whole.
void TMainForm::SetProgramToStart(const std::string& path) {
    ShowStartSection(true);
    programToStart_ = path;
    progImgIndex_ = GetFileIconIndex(path);
    InvalidateRect(Control(kProgImg), nullptr, TRUE);
    const ControlDesign& d = DesignOf(kLabel2);
    HWND label = Control(kLabel2);
    SetWideText(label, FittedName(label, WideText(MarkedName(path)), Scale(kClientWidth - 8 - d.left)));
    FitLabel(kLabel2);
    SetHintText(kLabel2, path.empty() ? std::string() : MarkedName(path));
    EnableTimer4();
}

// An entry's lParam says whether its program was ended (1) or still runs (0).
void TMainForm::AddResult(const std::string& caption, bool ended) {
    HWND list = Control(kListView1);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.lParam = ended ? 1 : 0;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<char*>(caption.c_str());
    item.iImage = GetFileIconIndex(caption);
    ListView_InsertItem(list, &item);
}

// The start timer counts from the first "r:" parameter of the walk; a later one does not restart it.
void TMainForm::EnableTimer4() {
    if (timer4Enabled_) return;
    timer4Enabled_ = true;
    const uint32_t elapsed = static_cast<uint32_t>(GetTickCount()) - walk_->startNamedAtMs;
    SetTimer(hwnd_, kTimer4, elapsed < kTimer4Interval ? kTimer4Interval - elapsed : USER_TIMER_MINIMUM, nullptr);
}

LRESULT TMainForm::ListView1CustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            if (IsKillRun() && draw.nmcd.lItemlParam == 0) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
            return CDRF_DODEFAULT;
        default: return CDRF_DODEFAULT;
    }
}

// As a dialog does: the control that had the focus when another window (the about box, the
// chooser, a message, a file dialog, another program) took over gets it back; the first control
// in tab order when there is none to return to.
void TMainForm::FormActivate(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focused_ = focus;
        return;
    }
    HWND target = focused_;
    if (!target || !IsWindow(target) || !IsWindowVisible(target) || !IsWindowEnabled(target)) target = FirstTabStop();
    if (target) SetFocus(target);
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

// IsDialogMessage answers a label's mnemonic (Alt+P on "&Programms to close") by asking the window,
// as it would ask a dialog, to focus the label and then the next control (WM_NEXTDLGCTL); only the
// dialog's own procedure acts on it, DefWindowProc ignores it. `direct`: `target` is the window to
// focus; else the next (or, with a nonzero `target`, the previous) tab stop from the focus on.
void TMainForm::NextDlgCtl(WPARAM target, bool direct) {
    HWND next = direct ? reinterpret_cast<HWND>(target) : GetNextDlgTabItem(hwnd_, GetFocus(), target != 0);
    if (next && IsChild(hwnd_, next)) SetFocus(next);
}

void TMainForm::Timer1Timer() { Terminate(); }

void TMainForm::Timer4Timer() {
    KillTimer(hwnd_, kTimer4);
    // What this run ended must be gone before its successor starts; meanwhile the window stays
    // responsive and asks again a little later.
    if (!startGate_.MayOpen(GetTickCount(), [](const std::vector<uint32_t>& ids) {
            return Processes().AnyProcessRunning(ids);
        })) {
        SetTimer(hwnd_, kTimer4, StartGate::kPollMs, nullptr);
        return;
    }
    timer4Enabled_ = false;
    // A 64-bit program in System32 is started from there, not from the 32-bit system folder that
    // this process would be redirected to.
    ShellExecuteA(nullptr, "open", ShellPath(programToStart_).c_str(), "", "", SW_SHOW);
    if (ListView_GetItemCount(Control(kListView1)) == 0) Terminate();
}

void TMainForm::ListView1DblClick() {
    KillTimer(hwnd_, kTimer1);
    HWND list = Control(kListView1);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (selected < 0) return;
    auto captionOf = [list](int index) {
        char text[1024] = {};  // image paths from the kernel may be longer than MAX_PATH
        ListView_GetItemText(list, index, 0, text, sizeof text);
        return std::string(text);
    };
    try {
        ShowFileProperties(nullptr, captionOf(selected), "Version");
    } catch (...) {
        RunHandler([&] { ShowFileProperties(nullptr, captionOf(ListView_GetItemCount(list) - 1), "Freigabe"); });
    }
}

void TMainForm::Timer2Timer() {
    KillTimer(hwnd_, kTimer2);
    // The window the user works in comes to the front: a box of this window opened meanwhile (the
    // task chooser, the about box) keeps the keyboard.
    SetForegroundWindow(GetLastActivePopup(hwnd_));
    // Half a second after the editor appeared, while the user looks at it: the shell and its image
    // lists, unless the first entry has bound them already. The open dialog and the task chooser
    // share them, so their first showing does not wait for the shell's start (some 40 ms to 60 ms
    // under Wine), and the first picture did not wait for it either.
    BindImageLists();
    MakeTooltip();
}

void TMainForm::BitBtn1Click() {
    if (IsKillRun()) {
        Terminate();
        return;
    }
    CreateFromEditor();
}

void TMainForm::BitBtn4Click() { Terminate(); }

void TMainForm::BitBtn9Click() {
    if (!infos_) {
        auto infos = std::make_unique<TInfos>();
        if (!infos->Create(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE)), hwnd_)) return;
        infos_ = std::move(infos);
    }
    infos_->Execute();
}

void TMainForm::HelpExecute() { ShowHelpIndex(hwnd_); }

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
        const Bevel& bevel = *BevelOf(static_cast<MainControl>(d.id));
        if (!bevel.shown) continue;
        RECT r = bevel.rect;
        DrawEdge(dc, &r, edge, sides);
    }
}

void TMainForm::DrawProgImg(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (progImgIndex_ < 0 || largeIcons_ == nullptr) return;
    comctl::ImageListDraw(largeIcons_, progImgIndex_, item.hDC, item.rcItem.left, item.rcItem.top, ILD_TRANSPARENT);
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            FormCreate();
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            HWND control = Control(static_cast<MainControl>(id));
            const bool usable = control && IsWindowVisible(control) && IsWindowEnabled(control);
            if (id == kBitBtn4 && CancelDrag()) return 0;
            if (id == kBitBtn1 && usable) BitBtn1Click();
            if (id == kBitBtn4 && usable) BitBtn4Click();
            if (id == kBitBtn9 && usable) BitBtn9Click();
            if (IsKillRun()) return 0;
            if (id == kBitBtn2 && usable) BitBtn2Click();
            if (id == kBitBtn3 && usable) BitBtn3Click();
            if (id == kBitBtn5 && usable) BitBtn5Click();
            if (id == kBitBtn6 && usable) BitBtn6Click();
            if (id == kSelectTask) SelectTaskClick();
            if (id == kSelectFile) SelectFileClick();
            if (id == kEinfg) BitBtn2Click();
            if (id == kEntf) EntfExecute();
            return 0;
        }
        case DM_GETDEFID:
            return MAKELRESULT(kBitBtn1, DC_HASDEFID);
        case WM_NEXTDLGCTL:
            NextDlgCtl(wParam, LOWORD(lParam) != 0);
            return 0;
        case WM_ACTIVATE:
            if (HIWORD(wParam) != 0) break;  // minimised: nothing to give the focus to
            FormActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_NOTIFYFORMAT:
            // The tips ask for the texts of disabled controls in UTF-16 (HintText): an ANSI answer
            // would lose what the system's code page lacks. The 9x line has no UTF-16 notifications.
            if (reinterpret_cast<HWND>(wParam) == tooltip_ && lParam == NF_QUERY) {
                return AnsiTexts() ? NFR_ANSI : NFR_UNICODE;
            }
            return DefaultProc(message, wParam, lParam);
        case WM_HELP:
            // F1 in both modes. Windows this one owns (the task chooser) pass their F1 up here
            // as well; those have no help.
            if (HelpIsFor(hwnd_, *reinterpret_cast<const HELPINFO*>(lParam))) HelpExecute();
            return TRUE;
        case WM_TIMER:
            if (wParam == kTimer1) Timer1Timer();
            if (wParam == kTimer2) Timer2Timer();
            if (wParam == kTimer4) Timer4Timer();
            return 0;
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.hwndFrom == tooltip_ && (header.code == TTN_GETDISPINFOA || header.code == TTN_GETDISPINFOW)) {
                HintText(header);
                return 0;
            }
            if (header.idFrom == kListView1 && header.code == NM_DBLCLK) ListView1DblClick();
            if (header.idFrom == kListView1 && header.code == NM_CLICK && !IsKillRun()) ListView1Click();
            if (header.idFrom == kListView1 && header.code == LVN_BEGINDRAG && !IsKillRun()) ListView1BeginDrag();
            if (header.idFrom == kListView1 && header.code == NM_CUSTOMDRAW) {
                return ListView1CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
            }
            return 0;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlID == kProgImg) DrawProgImg(item);
            return TRUE;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd_, &paint);
            PaintBevels(dc);
            EndPaint(hwnd_, &paint);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            // Labels, the check box and the bevels sit on the window's face colour.
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_MOUSEMOVE:
            if (dragSource_) DragMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_LBUTTONUP:
            if (dragSource_) DragEnd(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, true);
            return 0;
        case WM_CAPTURECHANGED:
            if (dragSource_ && reinterpret_cast<HWND>(lParam) != hwnd_) DragEnd(POINT{-1, -1}, false);
            return 0;
        case WM_DROPFILES:
            if (!IsKillRun() && !DropShortcut(reinterpret_cast<HDROP>(wParam))) {
                FormDropFiles(reinterpret_cast<HDROP>(wParam));
            }
            return 0;
        case WM_CLOSE:
            Terminate();
            return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace norvanex
