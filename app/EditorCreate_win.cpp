// The editor's Create: the call line, the save dialog and the shortcut file; and a dropped shortcut
// loaded back into the editor.
#include "app/EditorMode.h"

#include <commdlg.h>
#include <shellapi.h>

#include "app/Shortcut.h"
#include "app/Shortcut_win.h"
#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/ComApartment_win.h"
#include "base/SystemTraits_win.h"
#include "ui/MsgBox.h"

namespace norvanex {

namespace {

const char* SystemCharNext(const char* p) { return CharNextA(p); }

// Shortcut names and the paths they may hold can be longer than MAX_PATH on newer systems.
constexpr size_t kSaveBufferSize = 1024;

// "Verknüpfungen|*.lnk" in both languages: description and pattern, each ended by a null.
constexpr char kSaveFilter[] = "Verknüpfungen\0*.lnk\0";

void ShowText(HWND owner, const MessageText& message, MessageKind kind) { ShowMessage(owner, Select(message), kind); }

}  // namespace

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

// Create, in the editor: a line that the limit and the reader accept becomes the pending call
// line and the save dialog opens; any other is refused with a message and nothing else happens.
void EditorMode::CreateFromEditor() {
    // A shortcut's target holds at most kMaxAnsiPath characters: one written from a deeper folder
    // would have an empty target and open nothing.
    if (App().exePath.size() > kMaxAnsiPath) {
        ShowText(MessageOwner(), TooDeepText(App().exePath, kMaxAnsiPath), MessageKind::Error);
        return;
    }
    const CallRequest request = EditorRequest();
    const std::string line = ComposeCallLine(request, SystemLeadByte);
    const CallLineVerdict verdict = CheckCallLine(request, line, SystemLeadByte, SystemCharNext);
    if (verdict.fault != CallLineFault::None) {
        ShowText(MessageOwner(), CallLineFaultText(verdict), MessageKind::Error);
        return;
    }
    pendingCallLine_ = line;
    ShowSaveDialog1();
}

void EditorMode::ShowSaveDialog1() {
    EnterComApartment();
    saveBuffer_.assign(kSaveBufferSize, '\0');  // the name is emptied before each showing
    const std::string title = Select(texts::kSaveDialogTitle);
    OPENFILENAMEA request{};
    request.lStructSize = FileDialogSize(false);
    request.hwndOwner = form_.hwnd();
    request.lpstrFilter = kSaveFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = saveBuffer_.data();
    request.nMaxFile = static_cast<DWORD>(saveBuffer_.size());
    request.lpstrTitle = title.c_str();
    // No default extension and no overwrite prompt of the dialog's own: the closing handler adds
    // ".lnk" and asks itself, and it works while the dialog is still open (the hook).
    request.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_ENABLEHOOK;
    request.lpfnHook = SaveDialogHook;
    request.lCustData = reinterpret_cast<LPARAM>(this);
    GetSaveFileNameA(&request);
}

UINT_PTR CALLBACK EditorMode::SaveDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const LPARAM self = reinterpret_cast<const OPENFILENAMEA*>(lParam)->lCustData;
        SetWindowLongPtrA(dialog, GWLP_USERDATA, self);
        GuardNameBox(GetParent(dialog), reinterpret_cast<EditorMode*>(self), NameBox::AnsiAddsLinkEnding);
        return TRUE;
    }
    if (message != WM_NOTIFY) return FALSE;
    const auto& notify = *reinterpret_cast<const OFNOTIFYA*>(lParam);
    auto* self = reinterpret_cast<EditorMode*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (notify.hdr.code != CDN_FILEOK || self == nullptr) return FALSE;
    // The dialog closes unless the name is refused: a failure here only means that nothing was
    // written. A refused name leaves it open for another.
    bool refused = false;
    RunHandler([&] { refused = !self->SaveDialog1CanClose(GetParent(dialog), notify.lpOFN->lpstrFile); });
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, refused ? 1 : 0);
    return refused ? TRUE : FALSE;
}

bool EditorMode::SaveDialog1CanClose(HWND dialog, const std::string& typedName) {
    if (typedName.empty()) return true;
    const std::string fileName = LinkFileName(typedName, SystemLeadByte);
    // The name box was checked in UTF-16 (TypedNamesFit); the A functions count bytes, two for a
    // double-byte character.
    if (fileName.size() > kMaxAnsiPath) {
        const MessageText after = NameTooLongTextAfter(fileName.size(), kMaxAnsiPath);
        ShowMessage(dialog,
                    Select(texts::kNameTooLongBefore) + MarkedName(fileName) + Select(after),
                    MessageKind::Error);
        return false;
    }
    // Before the overwrite question: a device always "exists", and writing to it writes no file.
    if (IsDeviceName(fileName, SystemLeadByte)) {
        ShowText(dialog, DeviceNameText(fileName), MessageKind::Error);
        return false;
    }
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    // A folder is no file to overwrite: the link object would fail on it.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ShowText(dialog, FolderNameText(fileName), MessageKind::Error);
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        ShowMessage(dialog, texts::kOverwrite, MessageKind::Confirmation) != IDYES) {
        return true;
    }
    const CallRequest request = EditorRequest();
    std::vector<IconCandidate> entries;
    for (const std::string& caption : request.captions) entries.push_back({caption, GetFileIconIndex(caption)});
    // A shortcut as the program to start lends the icon of its target: a .lnk holds no icon itself.
    std::string startIcon = request.programToStart;
    if (HasLinkEnding(startIcon, SystemLeadByte)) {
        const std::optional<ShortcutFields> start = ReadShortcut(startIcon, !AnsiTexts());
        if (start && !start->target.empty()) startIcon = start->target;
    }
    const std::string iconSource =
        ChooseIconSource(startIcon, entries, GetFileIconIndex(kUnknownFileName), App().exePath);
    std::string reason;
    if (!CreateShortcut(App().exePath, pendingCallLine_, fileName, iconSource, "", &reason)) {
        ShowText(dialog, NotWrittenText(fileName, reason), MessageKind::Error);
    }
    return true;
}

// A dropped shortcut is loaded, not listed: when the drop holds one, the first one is loaded and
// the other files are passed over. False, with the drop untouched, when it holds none.
bool EditorMode::DropShortcut(HDROP drop) {
    POINT at{};
    DragQueryPoint(drop, &at);
    std::u16string shortcut;
    for (const std::u16string& file : DroppedFiles(drop)) {
        static constexpr std::u16string_view kLink = u".lnk";
        if (file.size() < kLink.size()) continue;
        bool isLink = true;
        for (std::size_t i = 0; i < kLink.size(); ++i) {
            const char16_t c = file[file.size() - kLink.size() + i];
            isLink = isLink && (c == kLink[i] || c + (u'a' - u'A') == kLink[i]);
        }
        if (isLink) {
            shortcut = file;
            break;
        }
    }
    if (shortcut.empty()) return false;
    DragFinish(drop);
    std::string fileName;
    if (!TakeExactName(shortcut, fileName)) return true;
    // On the picture of the program to start, a shortcut of another program becomes that program:
    // the shell opens shortcuts as it opens programs. One of this program loads everywhere.
    if (OverProgImg(at)) {
        const std::optional<ShortcutFields> fields = ReadShortcut(fileName, !AnsiTexts());
        if (!fields || !TargetIsProgram(fields->target, App().exePath, SystemLeadByte)) {
            ChooseProgramToStart(fileName);
            return true;
        }
    }
    LoadShortcut(fileName);
    return true;
}

// A shortcut of this program replaces the editor's state with what its call line says; any other
// is refused, and the editor stays as it was.
void EditorMode::LoadShortcut(const std::string& fileName) {
    const std::optional<ShortcutFields> fields = ReadShortcut(fileName, !AnsiTexts());
    // Neither a path nor an ID list that names a file: whose shortcut it is cannot be told.
    if (fields && fields->target.empty() && fields->inexact.empty()) {
        ShowText(MessageOwner(), UnreadableTargetText(fileName), MessageKind::Error);
        return;
    }
    const bool ours = fields && TargetIsProgram(fields->target, App().exePath, SystemLeadByte);
    // A target that the code page cannot hold is no known program: it gets the word below.
    if (!fields || (!ours && (fields->inexact.empty() || !fields->target.empty()))) {
        ShowText(MessageOwner(), NotOurShortcutText(fileName), MessageKind::Error);
        return;
    }
    // Nothing of a shortcut is loaded when any of its parameters, or its target, would reach the
    // editor as another text than the link holds.
    if (!fields->inexact.empty()) {
        const MessageText before = InexactShortcutTextBefore(fileName);
        ShowMessage(MessageOwner(),
                    WideText(Select(before)) + std::wstring(fields->inexact.begin(), fields->inexact.end()) +
                        WideText(Select(texts::kInexactShortcutAfter)),
                    MessageKind::Error);
        return;
    }
    // What the editor could not write back as it stands is not loaded at all.
    const std::optional<CallRequest> loaded = LoadableRequest(fields->arguments, SystemLeadByte, SystemCharNext);
    if (!loaded) {
        ShowText(MessageOwner(), UnloadableShortcutText(fileName), MessageKind::Error);
        return;
    }
    const CallRequest& request = *loaded;
    if (RefusesChain(request.programToStart)) return;

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

// A program to start that the kill run would not hand to the shell (a chain of shortcuts that
// loops or goes on too long) is refused with a word; the editor stays as it was.
bool EditorMode::RefusesChain(const std::string& path) {
    const ShortcutChain chain = FollowShortcutChain(path);
    if (ShellMayOpen(chain)) return false;
    ShowText(MessageOwner(), ChainRefusedText(path, chain.end), MessageKind::Error);
    return true;
}

}  // namespace norvanex
