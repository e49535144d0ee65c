// The main window as the shortcut editor: its start, the insert menu, the task chooser, the program
// to start, a loaded shortcut, deleting, and the buttons that follow each step.
#include "app/EditorMode_win.h"

#include <windowsx.h>

#include <algorithm>
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

}  // namespace

EditorMode::EditorMode(TMainForm& form)
    : form_(form), drag_(form, editor_, [this](const std::string& path) { ChooseProgramToStart(path); }),
      intake_(*this, form) {}

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
        case WM_MOUSEMOVE: drag_.Move(at); return true;
        case WM_LBUTTONUP: drag_.ButtonUp(at); return true;
        case WM_CAPTURECHANGED: drag_.CaptureChanged(reinterpret_cast<HWND>(lParam)); return true;
        case WM_DROPFILES: intake_.FormDropFiles(reinterpret_cast<HDROP>(wParam)); return true;
        default: return false;
    }
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

// The insert menu opens over the Insert button: from the window's outer left edge plus the button's
// left offset, and from the window's top edge plus the button's top offset, a little higher.
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

void EditorMode::BitBtn2Click() {
    RECT window{}, button{};
    GetWindowRect(form_.hwnd(), &window);
    GetWindowRect(form_.Control(kBitBtn2), &button);
    MapWindowPoints(nullptr, form_.hwnd(), reinterpret_cast<POINT*>(&button), 2);
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

void EditorMode::Load(const CallRequest& request) {
    if (RefusesChain(MessageOwner(), request.programToStart)) return;
    HWND list = form_.Control(kListView1);
    BeginListUpdate();
    while (editor_.Delete(0)) ListView_DeleteItem(list, 0);
    // Each parameter as the call names it, written back the same way: a full path stays one.
    for (const std::string& name : request.captions) AddProgramToList(name, true);
    EndListUpdate();
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

// Messages go to the window the user works in: an open dialog or the chooser, else the editor.
HWND EditorMode::MessageOwner() const {
    HWND popup = GetLastActivePopup(form_.hwnd());
    return popup && IsWindowVisible(popup) && IsWindowEnabled(popup) ? popup : form_.hwnd();
}

}  // namespace norvanex
