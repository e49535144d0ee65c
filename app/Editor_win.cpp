// TMainForm as the shortcut editor: the insert menu, the open dialog with its two purposes, the task
// chooser, the program to start, dragging an entry onto its image, files dropped from the shell,
// deleting, and the buttons that follow each step.
#include "app/MainUnit.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cwchar>
#include <type_traits>
#include <utility>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/ComApartment_win.h"
#include "base/SystemTraits_win.h"
#include "resources/resource.h"
#include "ui/Lang.h"
#include "ui/MsgBox.h"
#include "ui/TaskSel.h"

namespace norvanex {

namespace {

std::string Select(const TextPair& text) { return SelectText(text.english, text.german); }
std::string Select(const MessageText& text) { return SelectText(text.english, text.german); }

// Room for 100 files of the longest name each, and their folder: a selection of that size always
// arrives whole. A larger one grows the buffer while the user selects (GrowOpenBuffer).
constexpr DWORD kOpenBufferChars = 100 * (MAX_PATH + 1) + MAX_PATH + 1;

// A menu image: the straight alpha of the resource premultiplied, as menus blend 32-bit bitmaps.
HBITMAP LoadMenuImage(HINSTANCE instance, int bitmapId) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    DIBSECTION dib{};
    if (!bitmap || GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32) return bitmap;
    auto* pixel = static_cast<BYTE*>(dib.dsBm.bmBits);
    for (LONG i = 0; i < dib.dsBm.bmWidth * dib.dsBm.bmHeight; ++i, pixel += 4) {
        for (int channel = 0; channel < 3; ++channel) pixel[channel] = static_cast<BYTE>(pixel[channel] * pixel[3] / 255);
    }
    return bitmap;
}

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

// Called once the editor's face is set up: what makes it work.
void TMainForm::SetUpEditorBehaviour() {
    editor_ = EditorLists(App().exePath, SystemLeadByte, CanonicalPathOf, IsFolderPath);

    ACCEL keys[] = {
        {FVIRTKEY, VK_INSERT, kEinfg},
        {FVIRTKEY, VK_DELETE, kEntf},
    };
    accelerators_.reset(CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys))));
    ShowEditorState();
}

// The insert menu, made when it first opens.
HMENU TMainForm::PopupMenu2() {
    if (popupMenu2_.get()) return popupMenu2_.get();
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
    popupMenu2_.reset(CreatePopupMenu());
    const struct {
        EditorCommand id;
        const TextPair& text;
        int image;
    } items[] = {
        {kSelectTask, texts::kSelectTask, IDB_MENU_TASK},
        {kSelectFile, texts::kSelectFile, IDB_MENU_FILE},
    };
    for (std::size_t i = 0; i < std::size(items); ++i) {
        menuImages_[i].reset(LoadMenuImage(instance, items[i].image));
        InsertMenuText(popupMenu2_.get(), static_cast<UINT>(i), items[i].id, WideText(Select(items[i].text)),
                       menuImages_[i].get());
    }
    return popupMenu2_.get();
}

std::vector<std::string> TMainForm::ProgramsToEnd() const {
    std::vector<std::string> captions;
    for (const EditorEntry& entry : editor_.Entries()) captions.push_back(entry.caption);
    return captions;
}

bool TMainForm::AskFirst() const {
    return SendMessageA(Control(kCheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The insert menu opens over the Insert button: from the window's outer left edge plus the button's
// left offset, and from the window's top edge plus the button's top offset, a little higher.
void TMainForm::BitBtn2Click() {
    RECT window{}, button{};
    GetWindowRect(hwnd_, &window);
    GetWindowRect(Control(kBitBtn2), &button);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&button), 2);
    TrackPopupMenu(PopupMenu2(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, window.left + button.left,
                   window.top + button.top - Scale(kInsertMenuRise), 0, hwnd_, nullptr);
}

void TMainForm::SelectFileClick() {
    // Exactly these options: no must-exist check, the read-only box stays.
    ShowOpenDialog(OpenPurpose::AddToEnd, OFN_ALLOWMULTISELECT | OFN_ENABLESIZING, texts::kOpenToEnd);
}

void TMainForm::BitBtn5Click() { ShowOpenDialog(OpenPurpose::ChooseToStart, OFN_ENABLESIZING, texts::kOpenToStart); }

// The dialog in UTF-16 on the NT line: its ANSI form hands over names through best fit ("māil.exe"
// as "mail.exe"), and the editor must see what the user chose to refuse what it cannot name. The
// 9x line holds its names in ANSI and has the ANSI dialog only.
void TMainForm::ShowOpenDialog(OpenPurpose purpose, DWORD options, const TextPair& title) {
    EnterComApartment();
    openPurpose_ = purpose;
    std::string filter = Select(texts::kOpenFilter);
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.append(2, '\0');
    // The files are taken while the dialog confirms them (OpenDialog1CanClose, through the hook).
    options |= OFN_EXPLORER | OFN_ENABLEHOOK;
    if (AnsiTexts()) {
        RunOpenDialog<OPENFILENAMEA>(ShownAnsi(WideText(filter)), ShownAnsi(WideText(Select(title))), options,
                                     openBufferAnsi_);
    } else {
        RunOpenDialog<OPENFILENAMEW>(WideText(filter), WideText(Select(title)), options, openBuffer_);
    }
}

template <class Request, class Text, class Buffer>
void TMainForm::RunOpenDialog(const Text& filter, const Text& caption, DWORD options, Buffer& buffer) {
    buffer.assign(kOpenBufferChars, 0);
    Request request{};
    request.lStructSize = FileDialogSize(std::is_same_v<Request, OPENFILENAMEW>);
    request.hwndOwner = hwnd_;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
    request.lpstrTitle = caption.c_str();
    request.Flags = options;
    request.lpfnHook = OpenDialogHook<Request>;
    request.lCustData = reinterpret_cast<LPARAM>(this);
    if constexpr (std::is_same_v<Request, OPENFILENAMEW>) {
        GetOpenFileNameW(&request);
    } else {
        GetOpenFileNameA(&request);
    }
}

template <class Request>
UINT_PTR CALLBACK TMainForm::OpenDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const LPARAM self = reinterpret_cast<const Request*>(lParam)->lCustData;
        SetWindowLongPtrA(dialog, DWLP_USER, self);
        GuardNameBox(GetParent(dialog), reinterpret_cast<TMainForm*>(self),
                     std::is_same_v<Request, OPENFILENAMEW> ? NameBox::Wide : NameBox::Ansi);
        return FALSE;
    }
    auto* self = reinterpret_cast<TMainForm*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message != WM_NOTIFY || self == nullptr) return FALSE;
    // OFNOTIFYA and OFNOTIFYW differ only in the type of lpOFN.
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    Request& request = *reinterpret_cast<Request*>(reinterpret_cast<const OFNOTIFYA*>(lParam)->lpOFN);
    // No exception may cross the dialog's procedure; the dialog closes whatever happens here.
    if (header.code == CDN_SELCHANGE) {
        RunHandler([&] { self->GrowOpenBuffer(GetParent(dialog), request); });
    } else if (header.code == CDN_FILEOK) {
        RunHandler([&] { self->OpenDialog1CanClose(OpenDialogText(request.lpstrFile, request.nMaxFile)); });
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    }
    return FALSE;
}

// The hooks see a typed name only once the dialog has joined it to its folder, in a buffer of
// MAX_PATH characters on its stack that a longer name overruns (Wine's comdlg32 does, with the
// editor's stack). The dialog's own procedure is subclassed, so that its OK, or Enter in the
// name box, is checked first. Its old procedure and the editor stay on the dialog as properties.
namespace {
constexpr char kFrameProcProp[] = "Norvanex.DialogProc";
constexpr char kFrameOwnerProp[] = "Norvanex.DialogOwner";
constexpr char kFrameKindProp[] = "Norvanex.DialogKind";

// The edit control of the name box: cmb13 is a combo box (or a ComboBoxEx holding one) whose own
// text need not be the edit's; edt1 in older layouts.
BOOL CALLBACK FindNameEdit(HWND child, LPARAM found) {
    char name[16] = {};
    GetClassNameA(child, name, sizeof name);
    const int id = GetDlgCtrlID(child);
    if ((id != cmb13 && id != edt1) || lstrcmpiA(name, "Edit") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}
}  // namespace

void TMainForm::GuardNameBox(HWND frame, TMainForm* self, NameBox kind) {
    SetPropA(frame, kFrameOwnerProp, reinterpret_cast<HANDLE>(self));
    SetPropA(frame, kFrameKindProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kind) + 1));
    SetPropA(frame, kFrameProcProp, reinterpret_cast<HANDLE>(SetWindowLongPtrA(
                                        frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FileDialogFrameProc))));
}

LRESULT CALLBACK TMainForm::FileDialogFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto dialogProc = reinterpret_cast<WNDPROC>(GetPropA(frame, kFrameProcProp));
    auto* self = reinterpret_cast<TMainForm*>(GetPropA(frame, kFrameOwnerProp));
    const auto kind = static_cast<NameBox>(reinterpret_cast<INT_PTR>(GetPropA(frame, kFrameKindProp)) - 1);
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && self != nullptr) {
        // A click on OK, or Enter in the name box (IsDialogMessage sends the same command).
        bool fits = true;
        RunHandler([&] { fits = self->TypedNamesFit(frame, kind); });
        if (!fits) return 0;
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialogProc));
        RemovePropA(frame, kFrameProcProp);
        RemovePropA(frame, kFrameOwnerProp);
        RemovePropA(frame, kFrameKindProp);
    }
    return CallWindowProcA(dialogProc, frame, message, wParam, lParam);
}

// Whether every path that the name box names, joined to the dialog's folder, stays within the
// dialog's buffer and the A functions' paths; a message names the first that does not.
bool TMainForm::TypedNamesFit(HWND frame, NameBox kind) {
    HWND box = nullptr;
    EnumChildWindows(frame, FindNameEdit, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return true;
    // Read in the dialog's own character set, as CDM_GETFOLDERPATH answers whichever function
    // sends it: the ANSI dialog is also the one of the 9x line, which has no W functions.
    std::wstring typed, folder;
    if (kind == NameBox::Wide) {
        const int length = GetWindowTextLengthW(box);
        typed.assign(static_cast<size_t>(std::max(0, length)) + 1, L'\0');
        typed.resize(static_cast<size_t>(std::max(0, GetWindowTextW(box, typed.data(), length + 1))));
        const LRESULT size = SendMessageW(frame, CDM_GETFOLDERPATH, 0, 0);
        folder.assign(size > 0 ? static_cast<size_t>(size) + 1 : 0, L'\0');
        if (size > 0) SendMessageW(frame, CDM_GETFOLDERPATH, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(folder.data()));
        folder.resize(std::wcslen(folder.c_str()));
    } else {
        const int length = GetWindowTextLengthA(box);
        std::string ansi(static_cast<size_t>(std::max(0, length)) + 1, '\0');
        ansi.resize(static_cast<size_t>(std::max(0, GetWindowTextA(box, ansi.data(), length + 1))));
        typed = WideText(MarkedName(ansi));
        const LRESULT size = SendMessageA(frame, CDM_GETFOLDERPATH, 0, 0);
        ansi.assign(size > 0 ? static_cast<size_t>(size) + 1 : 0, '\0');
        if (size > 0) SendMessageA(frame, CDM_GETFOLDERPATH, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(ansi.data()));
        folder = WideText(MarkedName(ansi.c_str()));
    }
    if (typed.empty()) return true;
    const auto asUtf16 = [](const std::wstring& text) { return std::u16string(text.begin(), text.end()); };
    for (std::u16string path : TypedDialogPaths(asUtf16(folder), asUtf16(typed))) {
        if (kind == NameBox::AnsiAddsLinkEnding) {
            // As LinkFileName adds it: a to z in either case.
            std::u16string ending = path.size() >= 4 ? path.substr(path.size() - 4) : std::u16string();
            for (char16_t& c : ending) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
            if (ending != u".lnk") path += u".lnk";
        }
        if (path.size() <= kMaxAnsiPath) continue;
        const MessageText after = NameTooLongTextAfter(path.size(), kMaxAnsiPath);
        ShowMessage(frame,
                    WideText(Select(texts::kNameTooLongBefore)) + std::wstring(path.begin(), path.end()) +
                        WideText(Select(after)),
                    MessageKind::Error);
        return false;
    }
    return true;
}

// The dialog writes the folder and every selected name into the buffer; it only grows, so that a
// selection never arrives cut short (KB 131462).
template <class Request>
void TMainForm::GrowOpenBuffer(HWND dialog, Request& request) {
    constexpr bool wide = std::is_same_v<Request, OPENFILENAMEW>;
    // Both answer in characters of the dialog's own kind.
    const auto send = wide ? SendMessageW : SendMessageA;
    const LRESULT folder = send(dialog, CDM_GETFOLDERPATH, 0, 0);
    const LRESULT names = send(dialog, CDM_GETSPEC, 0, 0);
    if (folder < 0 || names < 0) return;
    const std::size_t needed = static_cast<std::size_t>(folder) + static_cast<std::size_t>(names) + 2;
    auto& buffer = [this]() -> auto& {
        if constexpr (wide) return openBuffer_; else return openBufferAnsi_;
    }();
    if (needed <= request.nMaxFile || request.lpstrFile != buffer.data()) return;
    buffer.resize(needed * 2, 0);
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
}

// The dialog's buffer in UTF-16; the ANSI dialog's from the system's code page.
std::u16string TMainForm::OpenDialogText(const wchar_t* buffer, DWORD size) {
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), size);
}

std::u16string TMainForm::OpenDialogText(const char* buffer, DWORD size) {
    std::u16string wide(size, u'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, buffer, static_cast<int>(size),
                                           reinterpret_cast<wchar_t*>(wide.data()), static_cast<int>(size));
    wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return wide;
}

void TMainForm::OpenDialog1CanClose(std::u16string_view buffer) {
    const std::vector<std::u16string> files = OpenDialogFiles(buffer);
    if (files.empty()) return;
    const OpenPurpose purpose = std::exchange(openPurpose_, OpenPurpose::AddToEnd);
    for (const std::u16string& file : files) {
        std::string path;
        if (!TakeExactName(file, path)) continue;
        if (purpose == OpenPurpose::ChooseToStart) {
            ChooseProgramToStart(path);
            return;
        }
        AddProgramToList(path);
    }
}

// A file whose name or folder the ANSI code page cannot hold exactly would be written into the
// shortcut as another name ("mail.exe" for "māil.exe", "??.exe" for "日本.exe") and end or start
// programs the user never chose: it is refused with a word, and nothing is taken.
bool TMainForm::TakeExactName(const std::u16string& file, std::string& ansi) {
    if (ExactAnsi(file, ansi)) return true;
    const std::wstring message = WideText(Select(texts::kNotExactBefore)) +
                                 std::wstring(file.begin(), file.end()) + WideText(Select(texts::kNotExactAfter));
    ShowMessage(MessageOwner(), message, MessageKind::Information);
    return false;
}

void TMainForm::SelectTaskClick() {
    TaskChoice choice;
    choice.result = 8;
    // The chooser's window is built at its first showing, its controls with it.
    if (!TaskSelect().Create(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE)), hwnd_)) return;
    TaskSelect().ShowModal(hwnd_, choice);
    if (choice.result != 1) return;
    BeginListUpdate();
    for (const std::string& caption : choice.checked) AddProgramToList(caption);
    EndListUpdate();
}

void TMainForm::AddProgramToList(const std::string& path, bool whole) {
    BindImageLists();
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
    HWND list = Control(kListView1);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<char*>(entry.caption.c_str());
    item.iImage = entry.icon;
    ListView_InsertItem(list, &item);
    EndListUpdate();
    ShowEditorState();
}

void TMainForm::ChooseProgramToStart(const std::string& path) {
    BindImageLists();
    editor_.ChooseProgramToStart(path, GetFileIconIndex(path));
    ShowProgramToStart();
    ShowEditorState();
}

void TMainForm::BitBtn6Click() {
    editor_.RemoveProgramToStart();
    ShowProgramToStart();
    ShowEditorState();
}

void TMainForm::ListView1Click() {
    editor_.Click();
    ShowEditorState();
}

void TMainForm::BitBtn3Click() {
    HWND list = Control(kListView1);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (!editor_.Delete(selected)) return;
    ListView_DeleteItem(list, selected);
    ShowEditorState();
}

// Del deletes only what the user is looking at: the one selected entry of the focused list.
void TMainForm::EntfExecute() {
    HWND list = Control(kListView1);
    if (GetFocus() != list || ListView_GetSelectedCount(list) != 1) return;
    BitBtn3Click();
}

// Dragging an entry: the main window holds the mouse until the button is let go; only the program
// image takes the drop.
void TMainForm::ListView1BeginDrag() {
    dragSource_ = Control(kListView1);
    SetCapture(hwnd_);
    SetCursor(LoadCursorA(nullptr, IDC_NO));
}

void TMainForm::DragMove(POINT client) {
    bool accept = false;
    if (OverProgImg(client)) ProgImgDragOver(dragSource_, accept);
    SetCursor(LoadCursorA(nullptr, accept ? IDC_ARROW : IDC_NO));
}

void TMainForm::DragEnd(POINT client, bool drop) {
    HWND source = std::exchange(dragSource_, nullptr);
    if (GetCapture() == hwnd_) ReleaseCapture();
    if (!drop || source == nullptr || !OverProgImg(client)) return;
    bool accept = false;
    ProgImgDragOver(source, accept);
    if (accept) ProgImgDragDrop(source);
}

// Escape while an entry is dragged ends the drag, not the program.
bool TMainForm::CancelDrag() {
    if (dragSource_ == nullptr) return false;
    DragEnd(POINT{-1, -1}, false);
    return true;
}

void TMainForm::ProgImgDragOver(HWND source, bool& accept) { accept = source != nullptr && IsListView(source); }

void TMainForm::ProgImgDragDrop(HWND source) {
    const int selected = ListView_GetNextItem(source, -1, LVNI_SELECTED);
    if (selected < 0) return;
    if (source == Control(kListView1)) {
        if (selected < static_cast<int>(editor_.Entries().size())) ChooseProgramToStart(editor_.Entries()[selected].caption);
        return;
    }
    char caption[1024] = {};  // image paths from the kernel may be longer than MAX_PATH
    ListView_GetItemText(source, selected, 0, caption, sizeof caption);
    ChooseProgramToStart(caption);
}

// Files dropped from the shell: on the program image the first becomes the program to start,
// anywhere else they join the list as if chosen in the open dialog.
void TMainForm::FormDropFiles(HDROP drop) {
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

// In UTF-16, as the shell holds them on the NT line: DragQueryFileA would hand over best-fit names.
// The 9x line's shell holds them in ANSI and has DragQueryFileA alone.
std::vector<std::u16string> TMainForm::DroppedFiles(HDROP drop) const {
    std::vector<std::u16string> files;
    if (AnsiTexts()) {
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            const UINT length = DragQueryFileA(drop, i, nullptr, 0);
            std::string file(length, '\0');
            if (length > 0 && DragQueryFileA(drop, i, file.data(), length + 1) == length) {
                files.push_back(OpenDialogText(file.c_str(), length));
            }
        }
        return files;
    }
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring file(length, L'\0');
        if (length > 0 && DragQueryFileW(drop, i, file.data(), length + 1) == length) {
            files.emplace_back(file.begin(), file.end());
        }
    }
    return files;
}

// The image and the frame around it are one target.
bool TMainForm::OverProgImg(POINT client) const {
    return PtInRect(&BevelOf(kBevel3)->rect, client) != FALSE;
}

void TMainForm::BeginListUpdate() {
    if (listUpdates_++ == 0) SendMessageA(Control(kListView1), WM_SETREDRAW, FALSE, 0);
}

void TMainForm::EndListUpdate() {
    if (listUpdates_ == 0 || --listUpdates_ > 0) return;
    HWND list = Control(kListView1);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void TMainForm::ShowEditorState() {
    const EditorButtons& buttons = editor_.Buttons();
    EnableKeepingFocus(kBitBtn1, buttons.create, kListView1);
    EnableKeepingFocus(kBitBtn3, buttons.del, kListView1);
    EnableKeepingFocus(kBitBtn6, buttons.remove, kBitBtn5);
    SetHintText(kListView1, editor_.ListHint() ? Select(texts::kListHint) : std::string());
}

void TMainForm::ShowProgramToStart() {
    progImgIndex_ = editor_.ProgramToStartIcon();
    InvalidateRect(Control(kProgImg), nullptr, TRUE);
    HWND label = Control(kLabel2);
    if (editor_.HasProgramToStart()) {
        // A long name stays clear of Choose and Remove, cut in its middle; the hint holds the whole
        // path.
        RECT place{}, choose{};
        GetWindowRect(label, &place);
        GetWindowRect(Control(kBitBtn5), &choose);
        const std::wstring shown = FittedName(label, WideText(MarkedName(editor_.ProgramToStartName())),
                                              choose.left - Scale(kLabel2Gap) - place.left);
        SetWideText(label, shown);
    } else {
        SetOwnText(label, Select(texts::kLabel2));
    }
    FitLabel(kLabel2);
    SetHintText(kLabel2, editor_.HasProgramToStart() ? MarkedName(editor_.ProgramToStart()) : std::string());
}

// A button disabled while it has the focus would leave the keyboard nowhere.
void TMainForm::EnableKeepingFocus(MainControl id, bool enabled, MainControl focusInstead) {
    HWND control = Control(id);
    if (!enabled && GetFocus() == control) SetFocus(Control(focusInstead));
    EnableWindow(control, enabled);
}

void TMainForm::SetHintText(MainControl id, const std::string& hint) {
    hints_[id] = hint;
    hintAreas_[id] = false;
    if (tooltip_) GiveTips(id);
}

// Messages go to the window the user works in: an open dialog or the chooser, else the editor.
HWND TMainForm::MessageOwner() const {
    HWND popup = GetLastActivePopup(hwnd_);
    return popup && IsWindowVisible(popup) && IsWindowEnabled(popup) ? popup : hwnd_;
}

}  // namespace norvanex
