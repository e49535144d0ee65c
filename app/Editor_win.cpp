// The main window as the shortcut editor: its start, the insert menu, the task chooser, the program
// to start, dragging an entry onto its image, files dropped from the shell, deleting, and the
// buttons that follow each step.
#include "app/EditorMode.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/ListView_win.h"
#include "base/SystemTraits_win.h"
#include "resources/resource.h"
#include "ui/MsgBox.h"
#include "ui/TaskSel.h"

namespace norvanex {

namespace {

// Files dropped from the shell arrive as WM_DROPFILES: the style alone says so, as DragAcceptFiles
// would set it, without loading the shell for the editor's first picture. One entry at a time.
const ModeFace kEditorFace{
    WS_EX_ACCEPTFILES, control::kSingleSelection, false, IDB_IMAGE4, &texts::kEditorSuffix,
    texts::kLabel1Editor, texts::kLabel3Editor, texts::kBitBtn1Editor, texts::kBitBtn1EditorHint};

// A folder is no program: it would be written as a program's name, or as nothing.
bool IsFolderPath(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(ShellPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsListView(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, WC_LISTVIEWA) == 0;
}

}  // namespace

const ModeFace& EditorMode::Face() const { return kEditorFace; }

const CommandEntry<EditorMode> EditorMode::kCommands[] = {
    {kBitBtn1, true, [](EditorMode& mode) { mode.BitBtn1Click(); }},
    {kBitBtn2, true, [](EditorMode& mode) { mode.BitBtn2Click(); }},
    {kBitBtn3, true, [](EditorMode& mode) { mode.BitBtn3Click(); }},
    {kBitBtn5, true, [](EditorMode& mode) { mode.BitBtn5Click(); }},
    {kBitBtn6, true, [](EditorMode& mode) { mode.BitBtn6Click(); }},
    {kSelectTask, false, [](EditorMode& mode) { mode.SelectTaskClick(); }},
    {kSelectFile, false, [](EditorMode& mode) { mode.SelectFileClick(); }},
    {kEinfg, false, [](EditorMode& mode) { mode.BitBtn2Click(); }},
    {kEntf, false, [](EditorMode& mode) { mode.EntfExecute(); }},
};

const NotifyEntry<EditorMode> EditorMode::kNotifications[] = {
    {kListView1, NM_CLICK, [](EditorMode& mode, NMHDR&) -> LRESULT { mode.ListView1Click(); return 0; }},
    {kListView1, LVN_BEGINDRAG, [](EditorMode& mode, NMHDR&) -> LRESULT { mode.ListView1BeginDrag(); return 0; }},
};

bool EditorMode::Command(int id, bool usable) { return DispatchCommand(kCommands, *this, id, usable); }

bool EditorMode::Notify(NMHDR& header, LRESULT& result) { return DispatchNotify(kNotifications, *this, header, result); }

// The mouse while an entry is dragged, Escape ending the drag, and files dropped from the shell.
bool EditorMode::Message(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_COMMAND: return LOWORD(wParam) == kBitBtn4 && CancelDrag();
        case WM_MOUSEMOVE:
            if (dragSource_) DragMove(at);
            return true;
        case WM_LBUTTONUP:
            if (dragSource_) DragEnd(at, true);
            return true;
        case WM_CAPTURECHANGED:
            if (dragSource_ && reinterpret_cast<HWND>(lParam) != form_.hwnd()) DragEnd(POINT{-1, -1}, false);
            return true;
        case WM_DROPFILES:
            if (!DropShortcut(reinterpret_cast<HDROP>(wParam))) FormDropFiles(reinterpret_cast<HDROP>(wParam));
            return true;
        default: return false;
    }
}

// Texts, glyphs and caption are the editor's from the start (TMainForm::FormCreate); here BitBtn1
// takes its place as Create, and the editor's buttons come out.
void EditorMode::FormCreate() {
    const ControlDesign& b1 = form_.DesignOf(kBitBtn1);
    form_.Place(kBitBtn1, kEditorBitBtn1Left, b1.top, kEditorBitBtn1Width, b1.height);
    ShowWindow(form_.hwnd(), SW_SHOW);
    for (MainControl id : {kBitBtn1, kBitBtn2, kBitBtn3, kBitBtn4, kBitBtn5, kBitBtn6, kBitBtn9, kCheckBox1}) {
        form_.ShowControl(id, true);
    }
    SetTimer(form_.hwnd(), TMainForm::kTimer2, TMainForm::kTimer2Interval, nullptr);

    // Once the face is set up: what makes it work.
    editor_ = EditorLists(App().exePath, SystemLeadByte, CanonicalPathOf, IsFolderPath);
    ACCEL keys[] = {
        {FVIRTKEY, VK_INSERT, kEinfg},
        {FVIRTKEY, VK_DELETE, kEntf},
    };
    accelerators_.reset(CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys))));
    ShowEditorState();
    // The window was activated before its buttons were shown.
    if (HWND first = form_.FirstTabStop()) SetFocus(first);
}

void EditorMode::BitBtn1Click() { CreateFromEditor(); }

// The insert menu, made when it first opens.
HMENU EditorMode::PopupMenu2() {
    if (!popupMenu2_.Handle()) {
        popupMenu2_.Append(form_.Instance(), kSelectTask, WideText(Select(texts::kSelectTask)), IDB_MENU_TASK);
        popupMenu2_.Append(form_.Instance(), kSelectFile, WideText(Select(texts::kSelectFile)), IDB_MENU_FILE);
    }
    return popupMenu2_.Handle();
}

bool EditorMode::AskFirst() const {
    return SendMessageA(form_.Control(kCheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The insert menu opens over the Insert button: from the window's outer left edge plus the button's
// left offset, and from the window's top edge plus the button's top offset, a little higher.
void EditorMode::BitBtn2Click() {
    RECT window{}, button{};
    GetWindowRect(form_.hwnd(), &window);
    GetWindowRect(form_.Control(kBitBtn2), &button);
    MapWindowPoints(nullptr, form_.hwnd(), reinterpret_cast<POINT*>(&button), 2);
    TrackPopupMenu(PopupMenu2(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, window.left + button.left,
                   window.top + button.top - form_.Scale(kInsertMenuRise), 0, form_.hwnd(), nullptr);
}


void EditorMode::SelectTaskClick() {
    TaskChoice choice;
    choice.result = 8;
    // The chooser's window is built at its first showing, its controls with it.
    if (!TaskSelect().Create(form_.Instance(), form_.hwnd())) return;
    TaskSelect().ShowModal(form_.hwnd(), choice);
    if (choice.result != 1) return;
    BeginListUpdate();
    for (const std::string& caption : choice.checked) AddProgramToList(caption);
    EndListUpdate();
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
    BeginListUpdate();
    editor_.Add(path, GetFileIconIndex, whole);
    const EditorEntry& entry = editor_.Entries().back();
    HWND list = form_.Control(kListView1);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<char*>(entry.caption.c_str());
    item.iImage = entry.icon;
    ListView_InsertItem(list, &item);
    EndListUpdate();
    ShowEditorState();
}

void EditorMode::ChooseProgramToStart(const std::string& path) {
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

void EditorMode::ListView1Click() {
    editor_.Click();
    ShowEditorState();
}

void EditorMode::BitBtn3Click() {
    HWND list = form_.Control(kListView1);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (!editor_.Delete(selected)) return;
    ListView_DeleteItem(list, selected);
    ShowEditorState();
}

// Del deletes only what the user is looking at: the one selected entry of the focused list.
void EditorMode::EntfExecute() {
    HWND list = form_.Control(kListView1);
    if (GetFocus() != list || ListView_GetSelectedCount(list) != 1) return;
    BitBtn3Click();
}

// Dragging an entry: the main window holds the mouse until the button is let go; only the program
// image takes the drop.
void EditorMode::ListView1BeginDrag() {
    dragSource_ = form_.Control(kListView1);
    SetCapture(form_.hwnd());
    SetCursor(LoadCursorA(nullptr, IDC_NO));
}

void EditorMode::DragMove(POINT client) {
    bool accept = false;
    if (OverProgImg(client)) ProgImgDragOver(dragSource_, accept);
    SetCursor(LoadCursorA(nullptr, accept ? IDC_ARROW : IDC_NO));
}

void EditorMode::DragEnd(POINT client, bool drop) {
    HWND source = std::exchange(dragSource_, nullptr);
    if (GetCapture() == form_.hwnd()) ReleaseCapture();
    if (!drop || source == nullptr || !OverProgImg(client)) return;
    bool accept = false;
    ProgImgDragOver(source, accept);
    if (accept) ProgImgDragDrop(source);
}

// Escape while an entry is dragged ends the drag, not the program.
bool EditorMode::CancelDrag() {
    if (dragSource_ == nullptr) return false;
    DragEnd(POINT{-1, -1}, false);
    return true;
}

void EditorMode::ProgImgDragOver(HWND source, bool& accept) { accept = source != nullptr && IsListView(source); }

void EditorMode::ProgImgDragDrop(HWND source) {
    const int selected = ListView_GetNextItem(source, -1, LVNI_SELECTED);
    if (selected < 0) return;
    if (source == form_.Control(kListView1)) {
        if (selected < static_cast<int>(editor_.Entries().size())) ChooseProgramToStart(editor_.Entries()[selected].caption);
        return;
    }
    ChooseProgramToStart(ListViewText(source, selected));
}

// Files dropped from the shell: on the program image the first becomes the program to start,
// anywhere else they join the list as if chosen in the open dialog.
void EditorMode::FormDropFiles(HDROP drop) {
    POINT at{};
    DragQueryPoint(drop, &at);
    const std::vector<std::u16string> files = DroppedFiles(drop);
    DragFinish(drop);
    if (files.empty()) return;
    if (OverProgImg(at)) {
        std::string path;
        if (TakeExactName(files.front(), path)) ChooseProgramToStart(path);
        return;
    }
    BeginListUpdate();
    for (const std::u16string& file : files) {
        std::string path;
        if (TakeExactName(file, path)) AddProgramToList(path);
    }
    EndListUpdate();
}

// The image and the frame around it are one target.
bool EditorMode::OverProgImg(POINT client) const {
    const RECT frame = form_.BevelRect(kBevel3);
    return PtInRect(&frame, client) != FALSE;
}

void EditorMode::BeginListUpdate() {
    if (listUpdates_++ == 0) SendMessageA(form_.Control(kListView1), WM_SETREDRAW, FALSE, 0);
}

void EditorMode::EndListUpdate() {
    if (listUpdates_ == 0 || --listUpdates_ > 0) return;
    HWND list = form_.Control(kListView1);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void EditorMode::ShowEditorState() {
    const EditorButtons& buttons = editor_.Buttons();
    EnableKeepingFocus(kBitBtn1, buttons.create, kListView1);
    EnableKeepingFocus(kBitBtn3, buttons.del, kListView1);
    EnableKeepingFocus(kBitBtn6, buttons.remove, kBitBtn5);
    form_.SetHintText(kListView1, editor_.ListHint() ? Select(texts::kListHint) : std::string());
}

void EditorMode::ShowProgramToStart() {
    form_.SetProgImg(editor_.ProgramToStartIcon());
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

// Messages go to the window the user works in: an open dialog or the chooser, else the editor.
HWND EditorMode::MessageOwner() const {
    HWND popup = GetLastActivePopup(form_.hwnd());
    return popup && IsWindowVisible(popup) && IsWindowEnabled(popup) ? popup : form_.hwnd();
}

}  // namespace norvanex
