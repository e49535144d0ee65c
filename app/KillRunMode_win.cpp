// The kill run's result window: what became of each named program, the wait of a run that asks its
// programs to close, and the program to start.
#include "app/KillRunMode_win.h"

#include <algorithm>
#include <string>

#include "app/CallLine.h"
#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/ListView_win.h"
#include "process/ProcessAccess.h"
#include "resources/resource.h"
#include "ui/Lang.h"

namespace norvanex {

namespace {

// The result window stays on top of other windows.
const ModeFace kKillRunFace{
    WS_EX_TOPMOST, 0u, true, IDB_BITBTN1, nullptr,
    texts::kLabel1Kill, texts::kLabel3Kill, texts::kBitBtn1Kill, texts::kBitBtn1KillHint};

std::string Select(const TextPair& text) { return SelectText(text.english, text.german); }

// A hint and, where the row has one, the system's message for its error below it.
std::string HintWithReason(const TextPair& hint, std::uint32_t error) {
    std::string text = Select(hint);
    const std::string reason = error != 0 ? SystemMessage(error) : std::string();
    if (!reason.empty()) text += (text.empty() ? "" : "\r\n") + reason;
    return text;
}

// Whether a process asked to close has gone.
bool AskedEnded(const AskedProcess& asked) { return Processes().AskedProcessEnded(asked); }

// The rows' columns: the caption, and what became of it.
constexpr int kCaptionColumn = 0;
constexpr int kStateColumn = 1;

}  // namespace

const CommandEntry<KillRunMode> KillRunMode::kCommands[] = {
    {kBitBtn1, true, [](KillRunMode& mode) { mode.BitBtn1Click(); }},
    {kBitBtn4, true, [](KillRunMode& mode) { mode.KeepRunning(); }},
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
    switch (id) {
        case kTimer1: Timer1Timer(); return true;
        case kTimer4: Timer4Timer(); return true;
        case kTimerClosing: TimerClosingTimer(); return true;
        default: return false;
    }
}

// The close box while programs are asked to close ends what is left, as the wait running out
// would, and the window says so; afterwards it ends the program.
void KillRunMode::FormClose() {
    if (walk_.Closing()) {
        EndNow();
    } else {
        Finish();
    }
}

// A double-click holds the result window: its close timer stops.
void KillRunMode::ListDblClick() { KillTimer(form_.hwnd(), kTimer1); }

// The result window reaches down to the bottom edge of the editor's lowest check box and stays
// hidden. Its list shows each program in a row: the caption, and beside it what became of it.
void KillRunMode::FormCreate() {
    form_.ShowControl(kBitBtn1, true);
    const ControlDesign& lv = form_.DesignOf(kListView1);
    const ControlDesign& lowest = form_.DesignOf(kCheckBox2);
    form_.Place(kListView1, lv.left, lv.top, lv.width, lowest.top + lowest.height - lv.top);
    HWND list = form_.Control(kListView1);
    const LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
    // The design's two columns, shown: the caption and the state.
    SetWindowLongPtrA(list, GWL_STYLE, (style & ~LVS_TYPEMASK) | LVS_REPORT | LVS_NOCOLUMNHEADER);
    ShowKillResult();
}

// The result window of a kill run whose walk is done: what was ended (or asked to close), the
// program to start, and the timers that take over from here.
void KillRunMode::ShowKillResult() {
    form_.BindImageLists();
    ShowStartSection(false);
    if (walk_.startNamed) SetProgramToStart(walk_.programToStart);
    startGate_.AddEnded(walk_.endedIds);
    ShowRows();

    HWND window = form_.hwnd();
    if (!walk_.rows.empty()) {
        if (walk_.Closing()) ShowClosing();
        ShowWindow(window, SW_SHOW);
        SetFocus(form_.Control(kBitBtn1));
        if (!walk_.Closing()) SetTimer(window, kTimer1, kTimer1Interval, nullptr);
        form_.Shown();
    } else if (!timer4Enabled_) {
        Finish();
    }
}

// The rows as the walk holds them now: what has gone first, then, greyed, what runs on, so that
// nobody takes it for ended. Each says in words what became of it; the hint says why.
void KillRunMode::ShowRows() {
    HWND list = form_.Control(kListView1);
    RedrawLock lock(list);
    ListView_DeleteAllItems(list);
    int stateWidth = 0;
    for (const ResultRow& row : walk_.rows) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = ListView_GetItemCount(list);
        item.pszText = const_cast<char*>(row.caption.c_str());
        item.iImage = GetFileIconIndex(row.caption);
        item.iItem = ListView_InsertItem(list, &item);
        const std::string state = Select(WordsOf(row.outcome, row.error).state);
        ListView_SetItemText(list, item.iItem, kStateColumn, const_cast<char*>(state.c_str()));
        stateWidth = std::max(stateWidth, ListView_GetStringWidth(list, state.c_str()));
    }
    // The state is shown whole; the caption takes the rest and is cut at its end by the list. The
    // last column fills what is left (a width of its own could overflow the list by a pixel).
    RECT client{};
    GetClientRect(list, &client);
    stateWidth += form_.Scale(12);
    ListView_SetColumnWidth(list, kCaptionColumn, std::max<int>(client.right - stateWidth, form_.Scale(60)));
    ListView_SetColumnWidth(list, kStateColumn, LVSCW_AUTOSIZE_USEHEADER);
    GiveRowTips();
}

// While the programs are asked to close: the wait counted down above the list, End now and Keep
// running below it.
void KillRunMode::ShowClosing() {
    closingEndsAtMs_ = static_cast<uint32_t>(GetTickCount()) + static_cast<uint32_t>(walk_.closeSeconds) * 1000u;
    const ControlDesign& b1 = form_.DesignOf(kBitBtn1);
    const int top = ButtonTop();
    constexpr int kWidth = 121, kGap = 8;
    const int left = (kClientWidth - 2 * kWidth - kGap) / 2;
    form_.Place(kBitBtn1, left, top, kWidth, b1.height);
    form_.Place(kBitBtn4, left + kWidth + kGap, top, kWidth, b1.height);
    form_.SetText(kBitBtn1, texts::kEndNow);
    form_.SetHint(kBitBtn1, texts::kEndNowHint);
    form_.SetGlyph(kBitBtn1, IDB_BITBTN4);
    form_.SetText(kBitBtn4, texts::kKeepRunning);
    form_.SetHint(kBitBtn4, texts::kKeepRunningHint);
    form_.SetGlyph(kBitBtn4, IDB_BITBTN1);
    form_.ShowControl(kBitBtn4, true);
    secondsShown_ = -1;
    TimerClosingTimer();
    SetTimer(form_.hwnd(), kTimerClosing, kClosingInterval, nullptr);
}

// Who has gone, and the countdown; when all have gone or the wait is over, the result.
void KillRunMode::TimerClosingTimer() {
    const bool changed = PollClosing(walk_, AskedEnded);
    if (!walk_.Closing()) {
        ClosingDone(false);
        return;
    }
    if (changed) ShowRows();
    const int32_t left = static_cast<int32_t>(closingEndsAtMs_ - static_cast<uint32_t>(GetTickCount()));
    if (left <= 0) {
        EndNow();
        return;
    }
    const int seconds = (left + 999) / 1000;
    if (seconds == secondsShown_) return;
    secondsShown_ = seconds;
    std::string text = Select(texts::kLabel1Closing);
    text.replace(text.find("%d"), 2, std::to_string(seconds));
    form_.SetText(kLabel1, text);
    form_.FitLabel(kLabel1);
}

void KillRunMode::EndNow() {
    PollClosing(walk_, AskedEnded);
    const std::size_t endedBefore = walk_.endedIds.size();
    EndClosing(walk_, [](AskedProcess& asked) { return Processes().EndAskedProcess(asked); });
    // The program to start waits for these to go as well.
    startGate_.AddEnded({walk_.endedIds.begin() + static_cast<std::ptrdiff_t>(endedBefore), walk_.endedIds.end()});
    ClosingDone(false);
}

void KillRunMode::KeepRunning() {
    if (!walk_.Closing()) return;
    KeepClosing(walk_, AskedEnded);
    ClosingDone(true);
}

// The wait is over: the window becomes the result window, its close counts from now, and the
// program to start opens a second after the last program went, or at once when the user kept
// what runs.
void KillRunMode::ClosingDone(bool kept) {
    HWND window = form_.hwnd();
    KillTimer(window, kTimerClosing);
    CheckClosedAgain(walk_, NamedProgramRuns);
    ShowRows();
    form_.ShowControl(kBitBtn4, false);
    const ControlDesign& b1 = form_.DesignOf(kBitBtn1);
    form_.Place(kBitBtn1, b1.left, ButtonTop(), b1.width, b1.height);
    form_.SetText(kBitBtn1, texts::kBitBtn1Kill);
    form_.SetHint(kBitBtn1, texts::kBitBtn1KillHint);
    form_.SetGlyph(kBitBtn1, IDB_BITBTN1);
    InvalidateRect(form_.Control(kBitBtn1), nullptr, TRUE);
    form_.SetText(kLabel1, texts::kLabel1Kill);
    form_.FitLabel(kLabel1);
    SetFocus(form_.Control(kBitBtn1));
    SetTimer(window, kTimer1, kTimer1Interval, nullptr);
    if (timer4Enabled_) SetTimer(window, kTimer4, kept ? USER_TIMER_MINIMUM : kTimer4Interval, nullptr);
}

// The section of the program to start. While it is hidden the OK button moves up by the gap
// between the two lines and the window, which frames its controls, becomes that much shorter.
void KillRunMode::ShowStartSection(bool visible) {
    for (MainControl id : {kLabel2, kLabel3, kBevel2, kBevel3, kProgImg}) form_.ShowControl(id, visible);
    const ControlDesign& b1 = form_.DesignOf(kBitBtn1);
    const ControlDesign& box = form_.DesignOf(kBevel4);
    const int gap = visible ? 0 : StartSectionGap();
    form_.Place(kBitBtn1, b1.left, b1.top - gap, b1.width, b1.height);
    form_.Place(kBevel4, box.left, box.top, box.width, box.height - gap);
    form_.AutoSize();
    InvalidateRect(form_.hwnd(), nullptr, TRUE);
}

int KillRunMode::StartSectionGap() const { return form_.DesignOf(kBevel2).top - form_.DesignOf(kBevel1).top; }

// The buttons' top as designed: higher by the gap while the section of the program to start is hidden.
int KillRunMode::ButtonTop() const { return form_.DesignOf(kBitBtn1).top - (walk_.startNamed ? 0 : StartSectionGap()); }

// A long path is cut in its middle to the window's right edge, as the editor shows its program to
// start, and the hint holds it whole.
void KillRunMode::SetProgramToStart(const std::string& path) {
    ShowStartSection(true);
    programToStart_ = path;
    form_.SetProgImg(ShellMayTake(path) ? GetFileIconIndex(path) : 0);
    HWND label = form_.Control(kLabel2);
    SetWideText(label, FittedName(label, WideText(MarkedName(path)), form_.Scale(kClientWidth - 8 - form_.DesignOf(kLabel2).left)));
    form_.FitLabel(kLabel2);
    form_.SetHintText(kLabel2, path.empty() ? std::string() : MarkedName(path));
    EnableTimer4();
}

// The start timer counts from the first "r:" parameter of the walk; a later one does not restart it.
void KillRunMode::EnableTimer4() {
    if (timer4Enabled_) return;
    timer4Enabled_ = true;
    const uint32_t elapsed = static_cast<uint32_t>(GetTickCount()) - walk_.startNamedAtMs;
    SetTimer(form_.hwnd(), kTimer4, elapsed < kTimer4Interval ? kTimer4Interval - elapsed : USER_TIMER_MINIMUM, nullptr);
}

// What runs on is greyed as well as said.
LRESULT KillRunMode::ListView1CustomDraw(NMLVCUSTOMDRAW& draw) {
    return GreyRowsCustomDraw(draw, [this](int row, LPARAM) {
        return row >= 0 && static_cast<std::size_t>(row) < walk_.rows.size() && StillRuns(walk_.rows[row].outcome);
    });
}

// Each row's tip says why, with the system's message: a tool of its own over the row's place in
// the list (the list's own info tips need a version of the common controls that not every Windows
// has, and Wine's list asks for none).
void KillRunMode::GiveRowTips() {
    HWND tooltip = form_.Tooltip();
    if (!tooltip) return;
    // The system's message stands on a line of its own, and a long one is broken into lines.
    SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, form_.Scale(kClientWidth));
    HWND list = form_.Control(kListView1);
    const size_t tips = std::max(rowTips_, walk_.rows.size());
    for (size_t row = 0; row < tips; ++row) {
        RECT place{};
        std::string text;
        if (row < walk_.rows.size() && ListView_GetItemRect(list, static_cast<int>(row), &place, LVIR_BOUNDS)) {
            const ResultRow& shown = walk_.rows[row];
            text = HintWithReason(WordsOf(shown.outcome, shown.error).hint, shown.error);
        }
        SetAreaTip(tooltip, list, row + 1, place, text);
    }
    rowTips_ = walk_.rows.size();
}

void KillRunMode::Timer1Timer() { Finish(); }

void KillRunMode::Timer4Timer() {
    HWND window = form_.hwnd();
    KillTimer(window, kTimer4);
    // What this run ended must be gone before its successor starts, and what it asked to close
    // must have closed (or been kept, or ended); meanwhile the window stays responsive and asks
    // again a little later.
    if (walk_.Closing()) return;  // the end of the wait arms it again
    if (!MayOpenNow(startGate_)) {
        SetTimer(window, kTimer4, StartGate::kPollMs, nullptr);
        return;
    }
    timer4Enabled_ = false;
    if (const std::uint32_t error = OpenProgramToStart(programToStart_)) {
        // Said in the window when there is one; a run without one says it by its exit code.
        startFailed_ = true;
        form_.SetText(kLabel3, texts::kLabel3NotStarted);
        form_.FitLabel(kLabel3);
        form_.SetHintText(kLabel2, MarkedName(programToStart_) + "\r\n" + SystemMessage(error));
    }
    if (walk_.rows.empty()) Finish();
}

void KillRunMode::BitBtn1Click() {
    if (walk_.Closing()) {
        EndNow();
    } else {
        Finish();
    }
}

void KillRunMode::Finish() { Terminate(KillRunExitCode(walk_, startFailed_)); }

}  // namespace norvanex
