// The main window as the shortcut editor: its start, the insert menu, the task chooser, the program
// to start, a loaded shortcut, deleting, and the buttons that follow each step.
#include "app/EditorMode_win.h"

#include <windowsx.h>

#include <algorithm>
#include <type_traits>
#include <utility>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/SystemTraits_win.h"
#include "resources/resource.h"
#include "ui/MsgBox_win.h"

namespace norvanex {

namespace {

// Files dropped from the shell arrive as WM_DROPFILES: the style alone says so, as DragAcceptFiles
// would set it, without loading the shell for the editor's first picture. One entry at a time.
const ModeFace kEditorFace{
    WS_EX_ACCEPTFILES, control::kSingleSelection, false, IDB_IMAGE4, &texts::kEditorSuffix,
    texts::kLabel1Editor, texts::kLabel3Editor, texts::kBitBtn1Editor, texts::kBitBtn1EditorHint};

// A RECT as MapWindowPoints takes it: its two corners.
constexpr UINT kPointsOfRect = sizeof(RECT) / sizeof(POINT);

// Whether row `row` of `list` shows `entry`: its caption and its icon.
bool ShowsEntry(HWND list, int row, const EditorEntry& entry) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    return ListView_GetItem(list, &item) && item.iImage == entry.icon && ListViewText(list, row) == entry.caption;
}

}  // namespace

EditorMode::EditorMode(TMainForm& form)
    : form_(form), intake_([this](PartRequest request) { Apply(std::move(request)); }) {}

const ModeFace& EditorMode::Face() const { return kEditorFace; }

const CommandEntry<EditorMode> EditorMode::kCommands[] = {
    {kBitBtn1, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.BitBtn1Click(); }},
    {kBitBtn2, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.BitBtn2Click(); }},
    {kBitBtn3, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.BitBtn3Click(); }},
    {kBitBtn4, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.BitBtn4Click(); }},
    {kBitBtn5, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.intake_.BitBtn5Click(); }},
    {kBitBtn6, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.BitBtn6Click(); }},
    {kSelectTask, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.intake_.SelectTaskClick(); }},
    {kSelectFile, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.intake_.SelectFileClick(); }},
    {kEinfg, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.BitBtn2Click(); }},
    {kEntf, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.EntfExecute(); }},
    {kOpenShortcut, kAnyCode, [](EditorMode& mode, const CommandMessage&) { mode.intake_.OpenShortcutExecute(); }},
};

const NotifyEntry<EditorMode> EditorMode::kNotifications[] = {
    // Delete follows the selection, whether the mouse or the keys made it.
    {kListView1, LVN_ITEMCHANGED, [](EditorMode& mode, NMHDR& header) -> LRESULT {
         if (reinterpret_cast<const NMLISTVIEW&>(header).uChanged & LVIF_STATE) mode.ListView1SelectItem();
         return 0;
     }},
    {kListView1, LVN_BEGINDRAG, [](EditorMode& mode, NMHDR&) -> LRESULT { mode.drag_.Begin(); return 0; }},
};

bool EditorMode::Command(const CommandMessage& command) {
    return DispatchCommand(kCommands, *this, form_.hwnd(), command);
}

bool EditorMode::Notify(NMHDR& header, LRESULT& result) { return DispatchNotify(kNotifications, *this, header, result); }

// The mouse while an entry is dragged, Escape ending the drag, and files dropped from the shell.
bool EditorMode::Message(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_MOUSEMOVE: drag_.Move(OverProgImg(at)); return true;
        case WM_LBUTTONUP: {
            const int selected = ListView_GetNextItem(form_.Control(kListView1), -1, LVNI_SELECTED);
            if (std::optional<PartRequest> request = drag_.ButtonUp(OverProgImg(at), selected, editor_)) {
                Apply(std::move(*request));
            }
            return true;
        }
        case WM_CAPTURECHANGED: drag_.CaptureChanged(reinterpret_cast<HWND>(lParam)); return true;
        case WM_DROPFILES: {
            const auto drop = reinterpret_cast<HDROP>(wParam);
            POINT dropped{};
            DragQueryPoint(drop, &dropped);
            intake_.FormDropFiles(drop, OverProgImg(dropped));
            return true;
        }
        default: return false;
    }
}

void EditorMode::Apply(PartRequest request) {
    std::visit(
        [this](auto& asked) {
            using Asked = std::decay_t<decltype(asked)>;
            if constexpr (std::is_same_v<Asked, AddPrograms>) {
                const RedrawLock lock = ListUpdate();
                for (const std::string& path : asked.paths) AddProgramToList(path);
            } else if constexpr (std::is_same_v<Asked, ChooseProgram>) {
                ChooseProgramToStart(asked.path);
            } else {
                Load(asked.request);
            }
        },
        request);
}

bool EditorMode::OverProgImg(POINT client) const {
    const RECT frame = form_.BevelRect(kBevel3);
    return PtInRect(&frame, client) != FALSE;
}

// Texts, glyphs and caption are the editor's from the start (TMainForm::FormCreate); here BitBtn1
// takes its place as Create, and the editor's buttons come out.
void EditorMode::FormCreate() {
    const ControlDesign& b1 = form_.DesignOf(kBitBtn1);
    form_.Place(kBitBtn1, kEditorBitBtn1Left, b1.top, kEditorBitBtn1Width, b1.height);
    ShowWindow(form_.hwnd(), SW_SHOW);
    for (MainControl id :
         {kBitBtn1, kBitBtn2, kBitBtn3, kBitBtn4, kBitBtn5, kBitBtn6, kBitBtn9, kCheckBox1, kCheckBox2}) {
        form_.ShowControl(id, true);
    }
    form_.Shown();

    // Once the face is set up: what makes it work.
    editor_ = EditorLists(App().exePath, SystemLeadByte, CanonicalPathOf, IsFolderPath, IsOwnFile);
    drag_.Attach(form_.hwnd());
    intake_.Attach(form_.hwnd());
    ACCEL keys[] = {
        {FVIRTKEY, VK_INSERT, kEinfg},
        {FVIRTKEY, VK_DELETE, kEntf},
        {FVIRTKEY | FCONTROL, 'O', kOpenShortcut},
    };
    accelerators_.reset(CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys))));
    ShowEditorState();
    // The window was activated before its buttons were shown.
    if (HWND first = form_.FirstTabStop()) SetFocus(first);
}

// Create, in the editor: the request is built once, and the save dialog writes what was checked.
void EditorMode::BitBtn1Click() { save_.Create(EditorRequest(), form_.hwnd(), MessageOwner()); }

// Exit, or Escape: while an entry is dragged it ends the drag, not the program.
void EditorMode::BitBtn4Click() {
    if (!drag_.Cancel()) Terminate();
}

// The insert menu, made when it first opens, and again when it opens at another DPI than its
// pictures were made for (a change of scale can come while it is open, so not then).
HMENU EditorMode::PopupMenu2() {
    const int dpi = form_.Dpi();
    if (popupMenu2_.Handle() && popupMenu2_.Dpi() != dpi) popupMenu2_.Clear();
    if (!popupMenu2_.Handle()) {
        popupMenu2_.Append(form_.Instance(), kSelectTask, WideText(Select(texts::kSelectTask)), IDB_MENU_TASK, dpi);
        popupMenu2_.Append(form_.Instance(), kSelectFile, WideText(Select(texts::kSelectFile)), IDB_MENU_FILE, dpi);
    }
    return popupMenu2_.Handle();
}

bool EditorMode::AskFirst() const {
    return SendMessageA(form_.Control(kCheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool EditorMode::CloseFirst() const {
    return SendMessageA(form_.Control(kCheckBox2), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

CallRequest EditorMode::EditorRequest() const {
    CallRequest request;
    request.ask = AskFirst();
    request.close = CloseFirst();
    request.closeSeconds = closeSeconds_;
    for (const EditorEntry& entry : editor_.Entries()) {
        request.captions.push_back(entry.caption);
        request.whole.push_back(entry.whole);
    }
    request.programToStart = editor_.ProgramToStart();
    return request;
}

// The insert menu opens over the Insert button: from the window's outer left edge plus the button's
// left offset, and from the window's top edge plus the button's top offset, a little higher.
void EditorMode::BitBtn2Click() {
    RECT window{}, button{};
    GetWindowRect(form_.hwnd(), &window);
    GetWindowRect(form_.Control(kBitBtn2), &button);
    MapWindowPoints(nullptr, form_.hwnd(), reinterpret_cast<POINT*>(&button), kPointsOfRect);
    TrackPopupMenu(PopupMenu2(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, window.left + button.left,
                   window.top + button.top - form_.Scale(kInsertMenuRise), 0, form_.hwnd(), nullptr);
}

void EditorMode::AddProgramToList(const std::string& path, bool whole) {
    form_.BindImageLists();
    switch (editor_.Classify(path, whole)) {
        case Addition::OwnPath:
            ShowMessage(MessageOwner(),
                        Select(texts::kOwnPathBefore) + MarkedName(App().exePath) + Select(texts::kOwnPathAfter),
                        MessageKind::Information);
            return;
        case Addition::Folder:
            ShowMessage(MessageOwner(), Select(texts::kFolderBefore) + MarkedName(path) + Select(texts::kFolderAfter),
                        MessageKind::Information);
            return;
        case Addition::Duplicate:
            return;
        case Addition::Added:
            break;
    }
    editor_.Add(path, GetFileIconIndex, whole);
    ShowEntries();
    ShowEditorState();
}

void EditorMode::ChooseProgramToStart(const std::string& path) {
    if (RefusesChain(MessageOwner(), path)) return;
    form_.BindImageLists();
    editor_.ChooseProgramToStart(path, GetFileIconIndex(path));
    ShowProgramToStart();
    ShowEditorState();
}

void EditorMode::BitBtn6Click() {
    editor_.RemoveProgramToStart();
    ShowProgramToStart();
    ShowEditorState();
}

void EditorMode::ListView1SelectItem() {
    editor_.Select(ListView_GetNextItem(form_.Control(kListView1), -1, LVNI_SELECTED));
    ShowEditorState();
}

void EditorMode::BitBtn3Click() {
    if (!editor_.Delete(ListView_GetNextItem(form_.Control(kListView1), -1, LVNI_SELECTED))) return;
    ShowEntries();
    ShowEditorState();
}

// Del deletes only what the user is looking at: the one selected entry of the focused list.
void EditorMode::EntfExecute() {
    HWND list = form_.Control(kListView1);
    if (GetFocus() != list || ListView_GetSelectedCount(list) != 1) return;
    BitBtn3Click();
}

void EditorMode::Load(const CallRequest& request) {
    if (RefusesChain(MessageOwner(), request.programToStart)) return;
    {
        const RedrawLock lock = ListUpdate();
        editor_.DeleteAll();
        ShowEntries();
        // Each parameter as the call names it, written back the same way: a full path stays one.
        for (const std::string& name : request.captions) AddProgramToList(name, true);
    }
    SendMessageA(form_.Control(kCheckBox1), BM_SETCHECK, request.ask ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(form_.Control(kCheckBox2), BM_SETCHECK, request.close ? BST_CHECKED : BST_UNCHECKED, 0);
    closeSeconds_ = request.closeSeconds;
    if (request.programToStart.empty()) {
        editor_.RemoveProgramToStart();
        ShowProgramToStart();
        ShowEditorState();
    } else {
        ChooseProgramToStart(request.programToStart);
    }
}

// ListView1 shows EditorLists' entries and holds nothing of its own: after each change its rows are
// brought to them (RowEditOf). A virtual list (LVS_OWNERDATA) would need comctl32 4.70, which the
// first Windows 95 and NT 4 lack. Delete follows the list's selection after the change
// as ListView1SelectItem reads it, whatever the list said of it while its rows moved.
void EditorMode::ShowEntries() {
    HWND list = form_.Control(kListView1);
    const std::vector<EditorEntry>& entries = editor_.Entries();
    const RowEdit edit = RowEditOf(ListView_GetItemCount(list), static_cast<int>(entries.size()),
                                   [&](int row, int wanted) { return ShowsEntry(list, row, entries[wanted]); });
    if (edit.removed == 0 && edit.inserted == 0) return;
    {
        const RedrawLock lock = ListUpdate();
        for (int row = edit.first + edit.removed; row-- > edit.first;) ListView_DeleteItem(list, row);
        for (int row = edit.first; row < edit.first + edit.inserted; ++row) {
            const EditorEntry& entry = entries[row];
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = row;
            item.pszText = const_cast<char*>(entry.caption.c_str());
            item.iImage = entry.icon;
            ListView_InsertItem(list, &item);
        }
    }
    editor_.Select(ListView_GetNextItem(list, -1, LVNI_SELECTED));
}

void EditorMode::ShowEditorState() {
    const EditorButtons& buttons = editor_.Buttons();
    EnableKeepingFocus(kBitBtn1, buttons.create, kListView1);
    EnableKeepingFocus(kBitBtn3, buttons.del, kListView1);
    EnableKeepingFocus(kBitBtn6, buttons.remove, kBitBtn5);
    form_.SetHintText(kListView1, Select(editor_.ListHint() ? texts::kListHint : texts::kListHintEmpty));
}

void EditorMode::ShowProgramToStart() {
    form_.SetProgImg(editor_.ProgramToStartIcon(),
                     editor_.HasProgramToStart() ? MarkedName(editor_.ProgramToStart()) : std::string());
    HWND label = form_.Control(kLabel2);
    if (editor_.HasProgramToStart()) {
        // A long name stays clear of Choose and Remove, cut in its middle; the hint holds the whole
        // path.
        RECT place{}, choose{};
        GetWindowRect(label, &place);
        GetWindowRect(form_.Control(kBitBtn5), &choose);
        const std::wstring shown = FittedName(label, WideText(MarkedName(editor_.ProgramToStartName())),
                                              choose.left - form_.Scale(kLabel2Gap) - place.left);
        SetWideText(label, shown);
    } else {
        SetOwnText(label, Select(texts::kLabel2));
    }
    form_.FitLabel(kLabel2);
    form_.SetHintText(kLabel2, editor_.HasProgramToStart() ? MarkedName(editor_.ProgramToStart()) : std::string());
}

// A button disabled while it has the focus would leave the keyboard nowhere.
void EditorMode::EnableKeepingFocus(MainControl id, bool enabled, MainControl focusInstead) {
    HWND control = form_.Control(id);
    if (!enabled && GetFocus() == control) SetFocus(form_.Control(focusInstead));
    EnableWindow(control, enabled);
}

}  // namespace norvanex
