// The kill run: its walk before any window, and the result window that follows it.
#include "app/KillRunMode.h"

#include <string_view>

#include "app/CallLine.h"
#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/SystemTraits_win.h"
#include "process/ProcessAccess.h"
#include "resources/resource.h"
#include "ui/MsgBox.h"

namespace norvanex {

namespace {

// The NT line holds the command line in UTF-16 and hands the ANSI reader its best-fit conversion;
// a parameter that changed on the way names nothing. On the 9x line the ANSI line is the original.
bool ParamIsAsWritten(int index) {
    if (Processes().PlatformId() != kPlatformWin32Nt) return true;
    const auto* wide = reinterpret_cast<const char16_t*>(GetCommandLineW());
    return ParamSurvives(ParamStr(index), WideCallLineParam(wide, index),
                         [](std::u16string_view text, std::string& ansi) { return ExactAnsi(text, ansi); });
}

// A full path on the call line names its file in any spelling, short (8.3) names among them: it is
// looked for under its long names. Any other name stands as written.
std::string CallLineName(const std::string& name) { return IsFullPath(name) ? CanonicalPathOf(name) : name; }

// The result window stays on top of other windows.
const ModeFace kKillRunFace{
    WS_EX_TOPMOST, 0u, true, IDB_BITBTN1, nullptr,
    texts::kLabel1Kill, texts::kLabel3Kill, texts::kBitBtn1Kill, texts::kBitBtn1KillHint};

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

bool MayOpenNow(StartGate& gate) {
    return gate.MayOpen(GetTickCount(),
                        [](const std::vector<uint32_t>& ids) { return Processes().AnyProcessRunning(ids); });
}

const CommandEntry<KillRunMode> KillRunMode::kCommands[] = {
    {kBitBtn1, true, [](KillRunMode& mode) { mode.BitBtn1Click(); }},
};

const NotifyEntry<KillRunMode> KillRunMode::kNotifications[] = {
    {kListView1, NM_CUSTOMDRAW,
     [](KillRunMode& mode, NMHDR& header) { return mode.ListView1CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header)); }},
};

const ModeFace& KillRunMode::Face() const { return kKillRunFace; }

bool KillRunMode::Command(int id, bool usable) { return DispatchCommand(kCommands, *this, id, usable); }

bool KillRunMode::Notify(NMHDR& header, LRESULT& result) {
    return DispatchNotify(kNotifications, *this, header, result);
}

bool KillRunMode::Timer(UINT_PTR id) {
    if (id == kTimer1) Timer1Timer();
    if (id == kTimer4) Timer4Timer();
    return id == kTimer1 || id == kTimer4;
}

// The result window reaches down to the bottom edge of the editor's lowest check box and stays hidden.
void KillRunMode::FormCreate() {
    form_.ShowControl(kBitBtn1, true);
    const ControlDesign& lv = form_.DesignOf(kListView1);
    const ControlDesign& lowest = form_.DesignOf(kCheckBox2);
    form_.Place(kListView1, lv.left, lv.top, lv.width, lowest.top + lowest.height - lv.top);
    ShowKillResult();
}

// The result window of a kill run whose walk is done: what was ended, the program to start, and
// the timers that take over from here.
void KillRunMode::ShowKillResult() {
    form_.BindImageLists();
    ShowStartSection(false);
    if (walk_.startNamed) SetProgramToStart(walk_.programToStart);
    startGate_.AddEnded(walk_.endedIds);
    HWND list = form_.Control(kListView1);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const std::string& caption : walk_.results) AddResult(caption, true);
    // Below what was ended, greyed: what was found and runs on, so that nobody takes it for ended.
    for (const std::string& caption : walk_.stillRunning) AddResult(caption, false);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    if (!walk_.stillRunning.empty()) form_.SetHint(kListView1, texts::kStillRunningHint);

    HWND window = form_.hwnd();
    if (ListView_GetItemCount(list) > 0) {
        ShowWindow(window, SW_SHOW);
        SetFocus(form_.Control(kBitBtn1));
        SetTimer(window, kTimer1, kTimer1Interval, nullptr);
        SetTimer(window, TMainForm::kTimer2, TMainForm::kTimer2Interval, nullptr);
    } else if (!timer4Enabled_) {
        Terminate();
    }
}

// The section of the program to start. While it is hidden the OK button moves up by the gap
// between the two lines and the window, which frames its controls, becomes that much shorter.
void KillRunMode::ShowStartSection(bool visible) {
    for (MainControl id : {kLabel2, kLabel3, kBevel2, kBevel3, kProgImg}) form_.ShowControl(id, visible);
    const ControlDesign& b1 = form_.DesignOf(kBitBtn1);
    const ControlDesign& box = form_.DesignOf(kBevel4);
    const int gap = visible ? 0 : form_.DesignOf(kBevel2).top - form_.DesignOf(kBevel1).top;
    form_.Place(kBitBtn1, b1.left, b1.top - gap, b1.width, b1.height);
    form_.Place(kBevel4, box.left, box.top, box.width, box.height - gap);
    form_.AutoSize();
    InvalidateRect(form_.hwnd(), nullptr, TRUE);
}

// A long path is cut in its middle to the window's right edge, as the editor shows its program to
// start, and the hint holds it whole.
void KillRunMode::SetProgramToStart(const std::string& path) {
    ShowStartSection(true);
    programToStart_ = path;
    form_.SetProgImg(GetFileIconIndex(path));
    HWND label = form_.Control(kLabel2);
    SetWideText(label, FittedName(label, WideText(MarkedName(path)), form_.Scale(kClientWidth - 8 - form_.DesignOf(kLabel2).left)));
    form_.FitLabel(kLabel2);
    form_.SetHintText(kLabel2, path.empty() ? std::string() : MarkedName(path));
    EnableTimer4();
}

// An entry's lParam says whether its program was ended (1) or still runs (0).
void KillRunMode::AddResult(const std::string& caption, bool ended) {
    HWND list = form_.Control(kListView1);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.lParam = ended ? 1 : 0;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<char*>(caption.c_str());
    item.iImage = GetFileIconIndex(caption);
    ListView_InsertItem(list, &item);
}

// The start timer counts from the first "r:" parameter of the walk; a later one does not restart it.
void KillRunMode::EnableTimer4() {
    if (timer4Enabled_) return;
    timer4Enabled_ = true;
    const uint32_t elapsed = static_cast<uint32_t>(GetTickCount()) - walk_.startNamedAtMs;
    SetTimer(form_.hwnd(), kTimer4, elapsed < kTimer4Interval ? kTimer4Interval - elapsed : USER_TIMER_MINIMUM, nullptr);
}

LRESULT KillRunMode::ListView1CustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            if (draw.nmcd.lItemlParam == 0) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
            return CDRF_DODEFAULT;
        default: return CDRF_DODEFAULT;
    }
}

void KillRunMode::Timer1Timer() { Terminate(); }

void KillRunMode::Timer4Timer() {
    HWND window = form_.hwnd();
    KillTimer(window, kTimer4);
    // What this run ended must be gone before its successor starts; meanwhile the window stays
    // responsive and asks again a little later.
    if (!MayOpenNow(startGate_)) {
        SetTimer(window, kTimer4, StartGate::kPollMs, nullptr);
        return;
    }
    timer4Enabled_ = false;
    OpenProgramToStart(IsWindowVisible(window) ? window : nullptr, programToStart_);
    if (ListView_GetItemCount(form_.Control(kListView1)) == 0) Terminate();
}

void KillRunMode::BitBtn1Click() { Terminate(); }

}  // namespace norvanex
