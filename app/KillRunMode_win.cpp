// The kill run's result window: what became of each named program, the wait of a run that asks its
// programs to close, and the program to start, as the run's state machine says.
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

// The result window stays on top of other windows once the result shows (MakeTopmost); while
// programs are asked to close it does not, so that their questions can come in front of it.
const ModeFace kKillRunFace{
    0u, 0u, true, IDB_BITBTN1, nullptr,
    texts::kLabel1Kill, texts::kLabel3Kill, texts::kBitBtn1Kill, texts::kBitBtn1KillHint};

std::string Select(const TextPair& text) { return SelectText(text.english, text.german); }

// A hint and, where the row has one, the system's message for its error below it.
std::string HintWithReason(const TextPair& hint, std::uint32_t error) {
    std::string text = Select(hint);
    const std::string reason = error != 0 ? SystemMessage(error) : std::string();
    if (!reason.empty()) text += (text.empty() ? "" : "\r\n") + reason;
    return text;
}

std::uint32_t Now() { return static_cast<std::uint32_t>(GetTickCount()); }

// The rows' columns: the caption, and what became of it.
constexpr int kCaptionColumn = 0;
constexpr int kStateColumn = 1;
// In design pixels: the caption column's least width, however long the state.
constexpr int kMinCaptionWidth = 60;
// End now and Keep running side by side while the programs are asked to close.
constexpr int kClosingButtonWidth = 121;
constexpr int kClosingButtonGap = 8;
// The name of the program to start keeps the window's right margin.
constexpr int kRightMargin = 8;

}  // namespace

const CommandEntry<KillRunMode> KillRunMode::kCommands[] = {
    {kBitBtn1, kAnyCode, [](KillRunMode& mode, const CommandMessage&) { mode.BitBtn1Click(); }},
    // Keep running, and Escape (IDCANCEL) whether or not the button shows.
    {kBitBtn4, kAnyCode, [](KillRunMode& mode, const CommandMessage&) { mode.BitBtn4Click(); }, Sender::AnyState},
};

const NotifyEntry<KillRunMode> KillRunMode::kNotifications[] = {
    {kListView1, NM_CUSTOMDRAW,
     [](KillRunMode& mode, NMHDR& header) { return mode.ListView1CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header)); }},
    // A click into the list holds the window as a double-click does.
    {kListView1, NM_CLICK, [](KillRunMode& mode, NMHDR&) -> LRESULT { mode.Forward(RunEvent::Hold); return 0; }},
    {kListView1, NM_RCLICK, [](KillRunMode& mode, NMHDR&) -> LRESULT { mode.Forward(RunEvent::Hold); return 0; }},
    // The focused row's tip follows the keyboard.
    {kListView1, LVN_ITEMCHANGED, [](KillRunMode& mode, NMHDR& header) -> LRESULT {
         const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
         if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_FOCUSED)) mode.ShowFocusTip();
         return 0;
     }},
    {kListView1, NM_SETFOCUS, [](KillRunMode& mode, NMHDR&) -> LRESULT { mode.ShowFocusTip(); return 0; }},
    {kListView1, NM_KILLFOCUS, [](KillRunMode& mode, NMHDR&) -> LRESULT { mode.ShowFocusTip(); return 0; }},
};

const ModeFace& KillRunMode::Face() const { return kKillRunFace; }

bool KillRunMode::Command(const CommandMessage& command) {
    return DispatchCommand(kCommands, *this, form_.hwnd(), command);
}

bool KillRunMode::Notify(NMHDR& header, LRESULT& result) {
    return DispatchNotify(kNotifications, *this, header, result);
}

bool KillRunMode::Timer(UINT_PTR id) {
    if (id != kTimerRun) return false;
    Forward(RunEvent::Tick);
    return true;
}

// During the wait a double-click on a row that waits for its user's answer brings that question
// forward instead of the properties sheet.
bool KillRunMode::ListDblClick(int row) { return Forward(RunEvent::DoubleClick, row); }

void KillRunMode::BitBtn1Click() {
    Forward(run_.phase() == KillRunMachine::Phase::Closing ? RunEvent::EndNow : RunEvent::Ok);
}

// The button shows only while the programs are asked to close; Escape reaches it hidden as well.
void KillRunMode::BitBtn4Click() {
    Forward(IsWindowVisible(form_.Control(kBitBtn4)) ? RunEvent::KeepRunning : RunEvent::Escape);
}

// One event to the run, what it returns shown, and the run's next deadline set as the one timer.
// True when a double-click is to open the properties sheet.
bool KillRunMode::Forward(RunEvent event, int row) {
    const RunEffects effects = run_.Handle(event, Now(), row);
    Show(effects);
    return effects.properties;
}

void KillRunMode::Show(const RunEffects& effects) {
    HWND window = form_.hwnd();
    if (effects.finish) {
        Terminate(run_.ExitCode());
        return;
    }
    if (effects.hide) {
        HideTrackingTip(focusTip_, window);
        ShowWindow(window, SW_HIDE);
    }
    if (effects.result) ShowWaitOver();
    if (effects.rows) ShowRows();
    if (effects.countdown) ShowCountdown();
    if (effects.startLine) ShowStartFailed();
    const std::uint32_t wake = run_.WakeInMs(Now());
    if (wake == KillRunMachine::kNever) {
        KillTimer(window, kTimerRun);
    } else {
        SetTimer(window, kTimerRun, std::max<UINT>(wake, USER_TIMER_MINIMUM), nullptr);
    }
}

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

    form_.BindImageLists();
    const KillWalk& walk = run_.Walk();
    ShowStartSection(walk.startNamed);
    if (walk.startNamed) SetProgramToStart(walk.programToStart);
    ShowRows();
    if (run_.ShowsWindow()) {
        if (run_.phase() == KillRunMachine::Phase::Closing) {
            PlaceButtons();
            ShowCountdown();
        } else {
            MakeTopmost();
        }
        ShowWindow(form_.hwnd(), SW_SHOW);
        SetFocus(form_.Control(kBitBtn1));
        run_.Shown(Now());
        form_.Shown();
    }
    Show({});
}

// The rows as the run holds them: what has gone first, then, greyed, what runs on, so that nobody
// takes it for ended. Each says in words what became of it; the hint says why.
void KillRunMode::ShowRows() {
    HWND list = form_.Control(kListView1);
    RedrawLock lock(list);
    ListView_DeleteAllItems(list);
    int stateWidth = 0;
    for (const ResultRow& row : run_.Walk().rows) {
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
    stateWidth += form_.Scale(kListTextMargin);
    ListView_SetColumnWidth(list, kCaptionColumn,
                            std::max<int>(client.right - stateWidth, form_.Scale(kMinCaptionWidth)));
    ListView_SetColumnWidth(list, kStateColumn, LVSCW_AUTOSIZE_USEHEADER);
    GiveRowTips();
    ShowFocusTip();
}

// While the programs are asked to close: End now and Keep running side by side below the list.
void KillRunMode::PlaceButtons() {
    const ControlDesign& b1 = form_.DesignOf(kBitBtn1);
    const int top = ButtonTop();
    const int left = (kClientWidth - 2 * kClosingButtonWidth - kClosingButtonGap) / 2;
    form_.Place(kBitBtn1, left, top, kClosingButtonWidth, b1.height);
    form_.Place(kBitBtn4, left + kClosingButtonWidth + kClosingButtonGap, top, kClosingButtonWidth, b1.height);
    form_.SetText(kBitBtn1, texts::kEndNow);
    form_.SetHint(kBitBtn1, texts::kEndNowHint);
    form_.SetGlyph(kBitBtn1, IDB_BITBTN4);
    form_.SetText(kBitBtn4, texts::kKeepRunning);
    form_.SetHint(kBitBtn4, texts::kKeepRunningHint);
    form_.SetGlyph(kBitBtn4, IDB_BITBTN1);
    form_.ShowControl(kBitBtn4, true);
}

void KillRunMode::ShowCountdown() {
    std::string text = Select(texts::kLabel1Closing);
    text.replace(text.find("%d"), 2, std::to_string(run_.SecondsLeft(Now())));
    form_.SetText(kLabel1, text);
    form_.FitLabel(kLabel1);
}

// The wait is over: the window becomes the result window, with OK alone, on top of other windows.
void KillRunMode::ShowWaitOver() {
    form_.ShowControl(kBitBtn4, false);
    const ControlDesign& b1 = form_.DesignOf(kBitBtn1);
    form_.Place(kBitBtn1, b1.left, ButtonTop(), b1.width, b1.height);
    form_.SetText(kBitBtn1, texts::kBitBtn1Kill);
    form_.SetHint(kBitBtn1, texts::kBitBtn1KillHint);
    form_.SetGlyph(kBitBtn1, IDB_BITBTN1);
    InvalidateRect(form_.Control(kBitBtn1), nullptr, TRUE);
    form_.SetText(kLabel1, texts::kLabel1Kill);
    form_.FitLabel(kLabel1);
    if (IsWindowVisible(form_.hwnd())) {
        MakeTopmost();
        SetFocus(form_.Control(kBitBtn1));
    }
}

// On top of other windows, without taking the keyboard from where the user is.
void KillRunMode::MakeTopmost() {
    SetWindowPos(form_.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Said in the window when there is one; a run without one says it by its exit code.
void KillRunMode::ShowStartFailed() {
    form_.SetText(kLabel3, texts::kLabel3NotStarted);
    form_.FitLabel(kLabel3);
    const std::string& path = run_.Walk().programToStart;
    form_.SetHintText(kLabel2, MarkedName(path) + "\r\n" + SystemMessage(run_.StartError()));
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

// The rows' columns and the name of the program to start were fitted to the old scale.
void KillRunMode::Rescaled() {
    ShowRows();
    if (run_.Walk().startNamed) SetProgramToStart(run_.Walk().programToStart);
}

// The buttons' top as designed: higher by the gap while the section of the program to start is hidden.
int KillRunMode::ButtonTop() const {
    return form_.DesignOf(kBitBtn1).top - (run_.Walk().startNamed ? 0 : StartSectionGap());
}

// A long path is cut in its middle to the window's right edge, as the editor shows its program to
// start, and the hint holds it whole.
void KillRunMode::SetProgramToStart(const std::string& path) {
    form_.SetProgImg(desktop_.ShellMayTakeProgram(path) ? GetFileIconIndex(path) : 0, path.empty() ? std::string() : MarkedName(path));
    HWND label = form_.Control(kLabel2);
    const int room = form_.Scale(kClientWidth - kRightMargin - form_.DesignOf(kLabel2).left);
    SetWideText(label, FittedName(label, WideText(MarkedName(path)), room));
    form_.FitLabel(kLabel2);
    form_.SetHintText(kLabel2, path.empty() ? std::string() : MarkedName(path));
}

// What runs on is greyed as well as said.
LRESULT KillRunMode::ListView1CustomDraw(NMLVCUSTOMDRAW& draw) {
    const std::vector<ResultRow>& rows = run_.Walk().rows;
    return GreyRowsCustomDraw(draw, [&rows](int row, LPARAM) {
        return row >= 0 && static_cast<std::size_t>(row) < rows.size() && StillRuns(rows[static_cast<std::size_t>(row)].outcome);
    });
}

// A row's tip: why, with the system's message; a row without a hint says what became of it.
std::string KillRunMode::RowTipText(size_t row) const {
    const ResultRow& shown = run_.Walk().rows[row];
    const OutcomeWords words = WordsOf(shown.outcome, shown.error);
    const std::string hint = HintWithReason(words.hint, shown.error);
    return hint.empty() ? Select(words.state) : hint;
}

// The mouse's tips need the mouse: while the list has the keyboard, the focused row's tip shows
// below the row and moves with the focus, and a screen reader reads it as it appears. A list that
// gets the focus without a focused row focuses its first.
void KillRunMode::ShowFocusTip() {
    HWND list = form_.Control(kListView1);
    const bool focused = GetFocus() == list && IsWindowVisible(form_.hwnd());
    int row = focused ? ListView_GetNextItem(list, -1, LVNI_FOCUSED) : -1;
    if (focused && row < 0 && ListView_GetItemCount(list) > 0) {
        // Focusing it comes back here (LVN_ITEMCHANGED).
        ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
        return;
    }
    RECT place{};
    if (row < 0 || static_cast<size_t>(row) >= run_.Walk().rows.size() ||
        !ListView_GetItemRect(list, row, &place, LVIR_BOUNDS)) {
        HideTrackingTip(focusTip_, form_.hwnd());
        return;
    }
    if (!focusTip_) focusTip_ = MakeTrackingTip(form_.hwnd());
    POINT below{place.left + form_.Scale(kListIconWidth), place.bottom};
    MapWindowPoints(list, nullptr, &below, 1);
    ShowTrackingTip(focusTip_, form_.hwnd(), below, form_.Scale(kClientWidth), RowTipText(static_cast<size_t>(row)));
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
    const std::vector<ResultRow>& rows = run_.Walk().rows;
    const size_t tips = std::max(rowTips_, rows.size());
    for (size_t row = 0; row < tips; ++row) {
        RECT place{};
        std::string text;
        if (row < rows.size() && ListView_GetItemRect(list, static_cast<int>(row), &place, LVIR_BOUNDS)) {
            text = HintWithReason(WordsOf(rows[row].outcome, rows[row].error).hint, rows[row].error);
        }
        SetAreaTip(tooltip, list, row + 1, place, text);
    }
    rowTips_ = rows.size();
}

}  // namespace norvanex
