// TTaskSelect: the task chooser window, dialog border, on top of other windows, modal over its owner.
#include "ui/TaskSel_win.h"

#include <algorithm>
#include <unordered_map>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/AppInfo_win.h"
#include "base/ListView_win.h"
#include "process/ProcessAccess.h"
#include "resources/resource.h"
#include "ui/Lang.h"
#include "ui/Prop_win.h"
#include "ui/TaskList.h"
#include "ui/TaskSelLayout.h"

namespace norvanex {

using namespace tasksel;

namespace {

std::string Select(const TextPair& text) { return SelectText(text.english, text.german); }

// The tips' width, in design pixels: the long hint breaks into lines.
constexpr int kTipWidth = 300;
// A row's check box and small icon, each with its gap, before the text.
constexpr int kCheckBoxWidth = 16;
constexpr int kIconGap = 16;
// The column never narrower than this, however short the captions.
constexpr int kMinColumnWidth = 64;
// A true name written over its row starts this far into the label, as the list draws its own.
constexpr int kLabelIndent = 2;

// The state image of a ticked check box in a list view with LVS_EX_CHECKBOXES.
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);

}  // namespace

TTaskSelect& TaskSelect() {
    static TTaskSelect chooser;
    return chooser;
}

TTaskSelect::~TTaskSelect() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool TTaskSelect::Create(HINSTANCE instance, HWND owner) {
    if (hwnd_) return true;
    if (!RegisterWindowClass(instance, kClassName, WindowProc, COLOR_BTNFACE)) return false;
    if (!CreateDialogFrame(instance, owner, kClassName, "", this)) return false;
    SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, GetWindowLongPtrA(hwnd_, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    const SIZE size = face_.DesignedSize();
    SizeAndCenter(hwnd_, size.cx, size.cy);
    return true;
}

bool TTaskSelect::FormCreate() {
    if (!face_.CreateControls(hwnd_)) return false;
    // The program's bitmap face has no glyphs beyond its code page; the true names of rows outside
    // it are drawn in a TrueType face of the same size.
    wideFont_ = MakeFont(face_.Dpi(), FontLook{"Tahoma"});
    face_.SetText(kBitBtn1, Select(kTexts.bitBtn1));
    face_.SetText(kBitBtn2, Select(kTexts.bitBtn2));
    face_.SetGlyph(kBitBtn1, IDB_BITBTN1);
    face_.SetGlyph(kBitBtn2, IDB_BITBTN4);

    HWND tasks = Control(kTasks);
    ListView_SetExtendedListViewStyle(tasks, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    smallIcons_ = QuerySystemImageLists(App().exePath.substr(0, 3)).small;
    ListView_SetImageList(tasks, smallIcons_, LVSIL_SMALL);

    // The double-click is the list's only hidden feature; the hint tells of it as the editor's
    // list does.
    SendMessageA(face_.MakeTooltip(), TTM_SETMAXTIPWIDTH, 0, face_.Scale(kTipWidth));
    SetTasksHint(false);
    face_.WhenRescaled([this] { FormRescaled(); });
    return true;
}

// The builder placed the designed controls at the new DPI; the face of the names outside the code
// page, the tips' width and the column fitted to the rows are the chooser's own.
void TTaskSelect::FormRescaled() {
    wideFont_ = MakeFont(face_.Dpi(), FontLook{"Tahoma"});
    SendMessageA(face_.Tooltip(), TTM_SETMAXTIPWIDTH, 0, face_.Scale(kTipWidth));
    std::unordered_map<std::string, int> texts;
    int widestNotExact = 0;
    for (const TaskText& task : collected_) {
        if (task.exact) {
            texts.emplace(task.text, 0);
            continue;
        }
        const ScopedGetDC dc(Control(kTasks));
        const ScopedSelectObject font(dc.get(), wideFont_.get());
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), reinterpret_cast<const wchar_t*>(task.wide.c_str()), static_cast<int>(task.wide.size()),
                              &extent);
        widestNotExact = std::max(widestNotExact, static_cast<int>(extent.cx) + face_.Scale(kListTextMargin));
    }
    FitColumn(texts, widestNotExact);
}

void TTaskSelect::SetTasksHint(bool withNotExact) {
    // Given again only when it changes: each time costs the tips' window a tool taken away and added.
    const int hint = withNotExact ? 1 : 0;
    if (hint == tasksHint_) return;
    face_.SetTip(kTasks, Select(withNotExact ? kTexts.notExactHint : kTexts.tasksHint));
    tasksHint_ = hint;
}

bool TTaskSelect::ShowModal(HWND owner, TaskChoice& choice) {
    choice.checked.clear();
    choice.result = 0;
    if (!hwnd_ || modal_) return false;
    if (owner && GetWindow(hwnd_, GW_OWNER) != owner) {
        SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    }
    // Every start creates the chooser, most never show it: its controls are built at the first
    // showing, so that neither the editor nor a kill run's result window waits for them.
    if (!Control(kTasks) && !FormCreate()) return false;
    taskSelectResult_ = kTaskSelectOpen;
    modal_ = true;

    // Filled once for this showing, before it appears: activations while it is open (a
    // properties sheet opened from it, a switch to another program and back) keep the rows and
    // the user's marks. F5 refills on purpose.
    // Each showing starts empty, so a fill that fails leaves no rows or marks of the last one.
    collected_.clear();
    ListView_DeleteAllItems(Control(kTasks));
    SetWindowTextA(Control(kLabel1), "");
    {
        const ScopedCursor wait(LoadCursorA(nullptr, IDC_WAIT));
        RunHandler([&] { FillTaskList(false); });
    }

    HWND tasks = Control(kTasks);
    ModalHooks hooks;
    hooks.show = [&] {
        const SIZE size = face_.DesignedSize();
        SizeAndCenter(hwnd_, size.cx, size.cy);
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
        SetFocus(tasks);
        if (ListView_GetItemCount(tasks) > 0) ListView_SetItemState(tasks, 0, LVIS_FOCUSED, LVIS_FOCUSED);
        // Painted whole before anything else is read: the user sees the filled list at once.
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    hooks.done = [this] { return !modal_; };
    hooks.ownKey = [this](const MSG& msg) {
        if (!IsRefreshKey(msg)) return false;
        FillTaskList(true);
        return true;
    };
    hooks.tooltip = [this] { return face_.Tooltip(); };
    // When the program is ending, the chooser closes as declined.
    if (!RunModal(hwnd_, owner, hooks)) FormClose();

    choice.result = taskSelectResult_;
    if (choice.result == kTaskSelectAccepted) {
        for (int i = 0, n = ListView_GetItemCount(tasks); i < n && i < static_cast<int>(collected_.size()); ++i) {
            if (collected_[i].exact && ListView_GetCheckState(tasks, i)) choice.checked.push_back(collected_[i].text);
        }
    }
    return true;
}

bool TTaskSelect::IsRefreshKey(const MSG& msg) const {
    return msg.message == WM_KEYDOWN && msg.wParam == VK_F5 && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd));
}

void TTaskSelect::FillTaskList(bool keepMarks) {
    HWND tasks = Control(kTasks);
    std::vector<TaskRow> before;
    if (keepMarks) {
        for (int i = 0, n = ListView_GetItemCount(tasks); i < n && i < static_cast<int>(collected_.size()); ++i) {
            before.push_back({collected_[i].text, ListView_GetCheckState(tasks, i) != FALSE});
        }
    }
    collected_ = CollectTaskTexts(Processes());
    std::vector<std::string> captions;
    for (const TaskText& task : collected_) captions.push_back(task.text);
    const std::vector<bool> marks = MarksAfterRefill(before, captions, SystemLeadByte);

    const RedrawLock lock(tasks);
    ListView_DeleteAllItems(tasks);
    ListView_SetItemCount(tasks, static_cast<int>(collected_.size()));
    // Several processes of one program share their text: the shell is asked once per text, and
    // once per chooser, as the same programs run at every showing (about a millisecond each under
    // Wine, the largest part of filling the list). F5, a refill on purpose, asks afresh.
    if (keepMarks) iconIndexes_.clear();
    std::unordered_map<std::string, int> icons;
    bool anyNotExact = false;
    int widestNotExact = 0;
    for (std::size_t i = 0; i < collected_.size(); ++i) {
        const TaskText& task = collected_[i];
        // lParam: 1 for a row that may be chosen, 0 for a name outside the code page.
        if (task.exact) {
            const auto found = icons.try_emplace(task.text, 0);
            if (found.second) {
                const auto known = iconIndexes_.try_emplace(task.text, 0);
                if (known.second) known.first->second = GetFileIconIndexOnly(task.text);
                found.first->second = known.first->second;
            }
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = static_cast<int>(i);
            item.pszText = const_cast<char*>(task.text.c_str());
            item.iImage = found.first->second;
            item.lParam = 1;
            ListView_InsertItem(tasks, &item);
        } else {
            // Shown as the system holds it: the ANSI form would be another program's name.
            anyNotExact = true;
            std::u16string text = task.wide;
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = static_cast<int>(i);
            item.pszText = reinterpret_cast<wchar_t*>(text.data());
            item.iImage = GetFileIconIndexOnly(task.wide);
            item.lParam = 0;
            SendMessageW(tasks, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            // Measured in the face it is drawn in (TasksCustomDraw), with the list's own margin.
            const ScopedGetDC dc(tasks);
            const ScopedSelectObject font(dc.get(), wideFont_.get());
            SIZE extent{};
            GetTextExtentPoint32W(dc.get(), reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()),
                                  &extent);
            widestNotExact = std::max(widestNotExact, static_cast<int>(extent.cx) + face_.Scale(kListTextMargin));
        }
        // A list with check boxes gives every new row a cleared one, whatever the insert asks.
        if (marks[i] && task.exact) {
            ListView_SetItemState(tasks, static_cast<int>(i), kChecked, LVIS_STATEIMAGEMASK);
        }
    }
    anyNotExact_ = anyNotExact;
    SetTasksHint(anyNotExact);
    face_.SetText(kLabel1, RunningTasksText(collected_.size(), Select(kTexts.runningTasks)));
    FitColumn(icons, widestNotExact);
}

bool TTaskSelect::RowIsExact(int row) const {
    return row >= 0 && row < static_cast<int>(collected_.size()) && collected_[row].exact;
}

// Rows outside the code page are drawn grey, like every choice that is not offered, and their true
// names written over them.
LRESULT TTaskSelect::TasksCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            // Without such a row the list paints on its own, with no notification for each row.
            return anyNotExact_ ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
        case CDDS_ITEMPOSTPAINT: {
            // The list sizes each label to its text in the list's face, whose glyphs end at the code
            // page; the true name is written again over it in a face that has them, as wide as the
            // column allows.
            const int row = static_cast<int>(draw.nmcd.dwItemSpec);
            if (row < 0 || row >= static_cast<int>(collected_.size())) return CDRF_DODEFAULT;
            HWND tasks = Control(kTasks);
            RECT label{}, bounds{};
            if (!ListView_GetItemRect(tasks, row, &label, LVIR_LABEL) ||
                !ListView_GetItemRect(tasks, row, &bounds, LVIR_BOUNDS)) {
                return CDRF_DODEFAULT;
            }
            label.right = std::max<LONG>(label.right, bounds.left + ListView_GetColumnWidth(tasks, 0));
            const bool selected = ListView_GetItemState(tasks, row, LVIS_SELECTED) != 0;
            FillRect(draw.nmcd.hdc, &label, GetSysColorBrush(selected ? COLOR_BTNFACE : COLOR_WINDOW));
            const ScopedSelectObject font(draw.nmcd.hdc, wideFont_.get());
            SetBkMode(draw.nmcd.hdc, TRANSPARENT);
            SetTextColor(draw.nmcd.hdc, GetSysColor(COLOR_GRAYTEXT));
            label.left += face_.Scale(kLabelIndent);
            const std::u16string& text = collected_[row].wide;
            DrawTextW(draw.nmcd.hdc, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()),
                      &label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            return CDRF_DODEFAULT;
        }
        default:
            return GreyRowsCustomDraw(draw, [](int, LPARAM exact) { return exact == 0; }, CDRF_NOTIFYPOSTPAINT);
    }
}

// The list's columns are as wide as the longest caption needs, at most the list's own width, so a
// path is cut only where it could never fit.
void TTaskSelect::FitColumn(const std::unordered_map<std::string, int>& distinctTexts, int widestOther) {
    HWND tasks = Control(kTasks);
    int widest = widestOther;
    for (const auto& text : distinctTexts) {
        widest = std::max(widest, static_cast<int>(ListView_GetStringWidth(tasks, text.first.c_str())));
    }
    RECT client{};
    GetClientRect(tasks, &client);
    const int extra = face_.Scale(kCheckBoxWidth + kListIconWidth + kIconGap);
    ListView_SetColumnWidth(tasks, 0,
                            std::max<int>(face_.Scale(kMinColumnWidth), std::min<int>(widest + extra, client.right)));
}

void TTaskSelect::BitBtn1Click() {
    taskSelectResult_ = kTaskSelectAccepted;
    FormClose();
}

void TTaskSelect::BitBtn2Click() {
    taskSelectResult_ = kTaskSelectDeclined;
    FormClose();
}

void TTaskSelect::FormClose() {
    if (taskSelectResult_ != kTaskSelectAccepted) taskSelectResult_ = kTaskSelectDeclined;
    modal_ = false;
}

void TTaskSelect::TasksDblClick() {
    const int selected = ListView_GetNextItem(Control(kTasks), -1, LVNI_SELECTED);
    if (selected < 0 || selected >= static_cast<int>(collected_.size())) return;
    if (!collected_[selected].exact) return;
    const std::string& caption = collected_[selected].text;
    const DWORD attributes = GetFileAttributesA(ShellPath(caption).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    // Owned by the chooser: without an owner the sheet would open behind this top-most dialog.
    ShowFileProperties(hwnd_, caption, "Version");
}

// A row outside the code page never takes a tick (a click, Space or any other way).
LRESULT TTaskSelect::TasksItemChanging(const NMLISTVIEW& change) const {
    const bool ticks = (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_STATEIMAGEMASK) == kChecked;
    return ticks && !RowIsExact(change.iItem) ? TRUE : FALSE;
}

// The buttons show only while the chooser does, that is while it runs modally.
const CommandEntry<TTaskSelect> TTaskSelect::kCommands[] = {
    {kBitBtn1, kAnyCode, [](TTaskSelect& chooser, const CommandMessage&) { chooser.BitBtn1Click(); }},
    {kBitBtn2, kAnyCode, [](TTaskSelect& chooser, const CommandMessage&) { chooser.BitBtn2Click(); }},
};

const NotifyEntry<TTaskSelect> TTaskSelect::kNotifications[] = {
    {kTasks, NM_DBLCLK, [](TTaskSelect& chooser, NMHDR&) -> LRESULT { chooser.TasksDblClick(); return 0; }},
    {kTasks, NM_CUSTOMDRAW,
     [](TTaskSelect& chooser, NMHDR& header) { return chooser.TasksCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header)); }},
    {kTasks, LVN_ITEMCHANGING,
     [](TTaskSelect& chooser, NMHDR& header) { return chooser.TasksItemChanging(reinterpret_cast<NMLISTVIEW&>(header)); }},
};

LRESULT TTaskSelect::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT chrome = 0;
    if (face_.ChromeMessage(message, wParam, lParam, chrome)) return chrome;
    switch (message) {
        case WM_CREATE:
            SetOwnText(hwnd_, Select(kTexts.title));
            return 0;
        case WM_COMMAND:
            DispatchCommand(kCommands, *this, hwnd_, CommandOf(wParam, lParam));
            return 0;
        case WM_NOTIFY: {
            LRESULT result = 0;
            DispatchNotify(kNotifications, *this, *reinterpret_cast<NMHDR*>(lParam), result);
            return result;
        }
        case WM_HELP:
            // The chooser has no help of its own; left to the default, F1 would travel on to the
            // owner and open the editor's help over this dialog.
            return TRUE;
        case WM_CLOSE:
            if (modal_) FormClose();
            else ShowWindow(hwnd_, SW_HIDE);
            return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace norvanex
