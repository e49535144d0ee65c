// The editor's Create: the call line, the save dialog and the shortcut file.
#include "app/EditorMode_win.h"

#include <commdlg.h>

#include "app/Shortcut.h"
#include "app/Shortcut_win.h"
#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/SystemTraits_win.h"
#include "ui/MsgBox_win.h"

namespace norvanex {

namespace {

const char* SystemCharNext(const char* p) { return CharNextA(p); }

// Shortcut names and the paths they may hold can be longer than MAX_PATH on newer systems.
constexpr size_t kSaveBufferSize = 1024;

// "Verknüpfungen|*.lnk" in both languages: description and pattern, each ended by a null.
constexpr char kSaveFilter[] = "Verknüpfungen\0*.lnk\0";

void ShowText(HWND owner, const MessageText& message, MessageKind kind) { ShowMessage(owner, Select(message), kind); }

// Where the shortcut takes its icon from. A shortcut as the program to start lends the icon of its
// target: a .lnk holds no icon itself.
std::string IconSourceOf(const CallRequest& request) {
    std::vector<IconCandidate> entries;
    for (const std::string& caption : request.captions) entries.push_back({caption, GetFileIconIndex(caption)});
    std::string startIcon = request.programToStart;
    if (HasLinkEnding(startIcon, SystemLeadByte)) {
        const std::optional<ShortcutFields> start = ReadShortcut(startIcon, !AnsiTexts());
        if (start && !start->target.empty()) startIcon = start->target;
    }
    return ChooseIconSource(startIcon, entries, GetFileIconIndex(kUnknownFileName), App().exePath);
}

}  // namespace

void ShortcutSave::Create(const CallRequest& request, HWND window, HWND messageOwner) {
    // A shortcut's target holds at most kMaxAnsiPath characters: one written from a deeper folder
    // would have an empty target and open nothing.
    if (App().exePath.size() > kMaxAnsiPath) {
        ShowText(messageOwner, TooDeepText(App().exePath, kMaxAnsiPath), MessageKind::Error);
        return;
    }
    const std::string line = ComposeCallLine(request, SystemLeadByte);
    const CallLineVerdict verdict = CheckCallLine(request, line, SystemLeadByte, SystemCharNext);
    if (verdict.fault != CallLineFault::None) {
        ShowText(messageOwner, CallLineFaultText(verdict), MessageKind::Error);
        return;
    }
    request_ = request;
    callLine_ = line;
    FileDialogRequest dialog;
    dialog.owner = window;
    dialog.save = true;
    dialog.ansiFilter.assign(kSaveFilter, sizeof kSaveFilter);
    dialog.ansiTitle = Select(texts::kSaveDialogTitle);
    // No default extension and no overwrite prompt of the dialog's own: the closing handler adds
    // ".lnk" and asks itself, and it works while the dialog is still open.
    dialog.flags = OFN_HIDEREADONLY | OFN_ENABLESIZING;
    dialog.bufferChars = kSaveBufferSize;  // the name is emptied before each showing
    dialog.typedNamesFit = [](HWND frame, const std::u16string& folder, const std::u16string& typed) {
        return TypedNamesFit(frame, folder, typed, true);
    };
    // The dialog closes unless the name is refused: a failure here only means that nothing was
    // written. A refused name leaves it open for another.
    dialog.canClose = [this](HWND frame, const FileDialogNames& names) {
        return SaveDialog1CanClose(frame, std::string(names.ansi.substr(0, names.ansi.find('\0'))));
    };
    ShowFileDialog(dialog);
}

bool ShortcutSave::SaveDialog1CanClose(HWND dialog, const std::string& typedName) {
    if (typedName.empty()) return true;
    const std::string fileName = LinkFileName(typedName, SystemLeadByte);
    // The name box was checked in UTF-16 (TypedNamesFit); the A functions count bytes, two for a
    // double-byte character.
    if (fileName.size() > kMaxAnsiPath) {
        const MessageText after = NameTooLongTextAfter(fileName.size(), kMaxAnsiPath);
        ShowMessage(dialog, Select(texts::kNameTooLongBefore) + MarkedName(fileName) + Select(after),
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
    std::string reason;
    if (!CreateShortcut(App().exePath, callLine_, fileName, IconSourceOf(request_), "", &reason)) {
        ShowText(dialog, NotWrittenText(fileName, reason), MessageKind::Error);
    }
    return true;
}

}  // namespace norvanex
