// What comes into the editor: the task chooser's programs, the open dialog with its two purposes,
// files and shortcuts dropped from the shell, names taken exactly as the ANSI code page holds them;
// the file facts that the lists ask, and the file dialogs' guard.
#include "app/EditorMode_win.h"

#include <commdlg.h>

#include <algorithm>
#include <type_traits>
#include <vector>

#include "app/Shortcut.h"
#include "app/Shortcut_win.h"
#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/SystemTraits_win.h"
#include "process/FileIdentity.h"
#include "process/ProcessAccess.h"
#include "ui/MsgBox_win.h"
#include "ui/TaskSel_win.h"

namespace norvanex {

namespace {

// Room for 100 files of the longest name each, and their folder: a selection of that size always
// arrives whole. A larger one grows the buffer while the user selects.
constexpr DWORD kWholeSelectionFiles = 100;
constexpr DWORD kOpenBufferChars = kWholeSelectionFiles * (MAX_PATH + 1) + MAX_PATH + 1;

// DragQueryFile's index that asks for the number of files instead of one of them.
constexpr UINT kDropFileCount = 0xFFFFFFFF;

const char* SystemCharNext(const char* p) { return CharNextA(p); }

// The files of a drop, read with DragQueryFileA or DragQueryFileW.
template <class Char, class Query>
std::vector<std::u16string> DroppedNames(HDROP drop, Query query) {
    std::vector<std::u16string> files;
    const UINT count = query(drop, kDropFileCount, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = query(drop, i, nullptr, 0);
        std::basic_string<Char> file(length, Char{});
        if (length == 0 || query(drop, i, file.data(), length + 1) != length) continue;
        if constexpr (std::is_same_v<Char, wchar_t>) {
            files.emplace_back(AsUtf16(file));
        } else {
            files.emplace_back(AsUtf16(WideFrom(file, CP_ACP)));
        }
    }
    return files;
}

// In UTF-16, as the shell holds them on the NT line: DragQueryFileA would hand over best-fit names.
// The 9x line's shell holds them in ANSI and has DragQueryFileA alone.
std::vector<std::u16string> DroppedFiles(HDROP drop) {
    return AnsiTexts() ? DroppedNames<char>(drop, DragQueryFileA) : DroppedNames<wchar_t>(drop, DragQueryFileW);
}

void ShowText(HWND owner, const MessageText& message, MessageKind kind) { ShowMessage(owner, Select(message), kind); }

}  // namespace

// A folder is no program: it would be written as a program's name, or as nothing.
bool IsFolderPath(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(ShellPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The program's own file under another name: a folder reached through a link, another drive
// letter for its folder. The own file is opened once.
bool IsOwnFile(const std::string& path) {
    static const std::optional<FileIdentity> own =
        ReadFileIdentity(SystemProcessPlatform(), App().exePath, std::string(), !AnsiTexts(), SystemLeadByte);
    return own && ReadFileIdentity(SystemProcessPlatform(), path, std::string(), !AnsiTexts(), SystemLeadByte) == own;
}

HWND MessageOwnerOf(HWND window) {
    HWND popup = GetLastActivePopup(window);
    return popup && IsWindowVisible(popup) && IsWindowEnabled(popup) ? popup : window;
}

bool RefusesChain(HWND owner, const std::string& path) {
    const ShortcutChain chain = FollowShortcutChain(path);
    if (ShellMayOpen(chain)) return false;
    ShowText(owner, ChainRefusedText(path, chain.end), MessageKind::Error);
    return true;
}

bool TypedNamesFit(HWND frame, const std::u16string& folder, const std::u16string& typed, bool addsLinkEnding) {
    for (std::u16string path : TypedDialogPaths(folder, typed)) {
        // As LinkFileName adds it.
        if (addsLinkEnding && !IsShortcutPath(path)) path += u".lnk";
        if (path.size() <= kMaxAnsiPath) continue;
        const MessageText after = NameTooLongTextAfter(path.size(), kMaxAnsiPath);
        ShowMessage(frame,
                    WideText(Select(texts::kNameTooLongBefore)) + std::wstring(AsWide(path)) + WideText(Select(after)),
                    MessageKind::Error);
        return false;
    }
    return true;
}

void EditorIntake::SelectTaskClick() {
    TaskChoice choice;
    // The chooser's window is built at its first showing, its controls with it.
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE));
    if (!TaskSelect().Create(instance, window_)) return;
    TaskSelect().ShowModal(window_, choice);
    if (choice.result != kTaskSelectAccepted) return;
    apply_(AddPrograms{std::move(choice.checked)});
}

void EditorIntake::SelectFileClick() {
    // Exactly these options: no must-exist check, the read-only box stays.
    ShowOpenDialog(OpenPurpose::AddToEnd, OFN_ALLOWMULTISELECT | OFN_ENABLESIZING, texts::kOpenToEnd);
}

void EditorIntake::BitBtn5Click() {
    ShowOpenDialog(OpenPurpose::ChooseToStart, OFN_ENABLESIZING, texts::kOpenToStart);
}

// The files are taken while the dialog confirms them.
void EditorIntake::ShowOpenDialog(OpenPurpose purpose, DWORD options, const TextPair& title) {
    FileDialogRequest request = OpenRequest(texts::kOpenFilter, title);
    request.flags = options;
    request.bufferChars = kOpenBufferChars;
    request.grows = true;
    request.canClose = [this, purpose](HWND, const FileDialogNames& names) {
        OpenDialog1CanClose(purpose, names);
        return true;
    };
    ShowFileDialog(request);
}

// The dialog hands over the shortcut itself (OFN_NODEREFERENCELINKS: Windows' own dialog would
// hand over its target), and it is loaded once the dialog has gone, through the drop's way with
// the drop's refusals.
void EditorIntake::OpenShortcutExecute() {
    FileDialogRequest request = OpenRequest(texts::kShortcutFilter, texts::kOpenShortcutTitle);
    request.flags = OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_NODEREFERENCELINKS;
    std::u16string chosen;
    request.canClose = [&chosen](HWND, const FileDialogNames& names) {
        const std::wstring ansiNames = WideFrom(names.ansi, CP_ACP);
        const std::vector<std::u16string> files = OpenDialogFiles(names.wide.empty() ? AsUtf16(ansiNames) : names.wide);
        if (!files.empty()) chosen = files.front();
        return true;
    };
    ShowFileDialog(request);
    if (!chosen.empty()) LoadShortcutFile(chosen);
}

// An open dialog of the editor: its filter (pairs of description and pattern, separated by vertical
// bars) and title; in UTF-16 on the NT line, where the editor must see what the user chose to
// refuse what it cannot name.
FileDialogRequest EditorIntake::OpenRequest(const TextPair& filterText, const TextPair& title) {
    std::string filter = Select(filterText);
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.append(2, '\0');
    FileDialogRequest request;
    request.owner = window_;
    request.wide = !AnsiTexts();
    if (request.wide) {
        request.filter = WideText(filter);
        request.title = WideText(Select(title));
    } else {
        request.ansiFilter = ShownAnsi(WideText(filter));
        request.ansiTitle = ShownAnsi(WideText(Select(title)));
    }
    request.typedNamesFit = [](HWND frame, const std::u16string& folder, const std::u16string& typed) {
        return TypedNamesFit(frame, folder, typed, false);
    };
    return request;
}

void EditorIntake::OpenDialog1CanClose(OpenPurpose purpose, const FileDialogNames& names) {
    const std::wstring ansiNames = WideFrom(names.ansi, CP_ACP);
    const std::vector<std::u16string> files = OpenDialogFiles(names.wide.empty() ? AsUtf16(ansiNames) : names.wide);
    for (const std::u16string& file : files) {
        std::string path;
        const bool taken = purpose == OpenPurpose::AddToEnd && IsShortcutPath(file) ? TakeShortcutTarget(file, path)
                                                                                     : TakeExactName(file, path);
        if (!taken) continue;
        if (purpose == OpenPurpose::ChooseToStart) {
            apply_(ChooseProgram{std::move(path)});
            return;
        }
        apply_(AddPrograms{{std::move(path)}});
    }
}

// A file whose name or folder the ANSI code page cannot hold exactly would be written into the
// shortcut as another name ("mail.exe" for "māil.exe", "??.exe" for "日本.exe") and end or start
// programs the user never chose: it is refused with a word, and nothing is taken.
bool EditorIntake::TakeExactName(const std::u16string& file, std::string& ansi) {
    if (ExactAnsi(file, ansi)) return true;
    const std::wstring message =
        WideText(Select(texts::kNotExactBefore)) + std::wstring(AsWide(file)) + WideText(Select(texts::kNotExactAfter));
    ShowMessage(MessageOwnerOf(window_), message, MessageKind::Information);
    return false;
}

// A shortcut chosen as a program to end: no process is ever named so. Windows' own dialog hands
// over its target (Wine's hands over the shortcut), so the program it leads to is taken, under the
// rule of any chosen file; one that leads to no program is refused with a word.
bool EditorIntake::TakeShortcutTarget(const std::u16string& shortcut, std::string& program) {
    const std::string shown = ShownAnsi(AsWide(shortcut));
    const ShortcutChain chain = WalkShortcutChain(shortcut, ReadShortcutTarget);
    MessageText refusal;
    if (chain.end == ChainEnd::Unreadable) {
        refusal = UnreadableTargetText(shown);
    } else if (chain.end != ChainEnd::Target) {
        refusal = ChainRefusedText(shown, chain.end);
    } else if (!TakeExactName(chain.last, program)) {
        return false;
    } else if (!HasProgramExtension(program, SystemLeadByte)) {
        refusal = NoProgramTargetText(shown, program);
    } else {
        return true;
    }
    ShowMessage(MessageOwnerOf(window_), Select(refusal), MessageKind::Information);
    return false;
}

// Files dropped from the shell: a shortcut among them is loaded (DropShortcut); else, on the
// program image the first becomes the program to start, anywhere else they join the list as if
// chosen in the open dialog, in one change of it: the names refused here are told first.
void EditorIntake::FormDropFiles(HDROP drop, bool onImage) {
    const std::vector<std::u16string> files = DroppedFiles(drop);
    DragFinish(drop);
    if (files.empty() || DropShortcut(onImage, files)) return;
    if (onImage) {
        std::string path;
        if (TakeExactName(files.front(), path)) apply_(ChooseProgram{std::move(path)});
        return;
    }
    AddPrograms taken;
    for (const std::u16string& file : files) {
        std::string path;
        if (TakeExactName(file, path)) taken.paths.push_back(std::move(path));
    }
    if (!taken.paths.empty()) apply_(std::move(taken));
}

// A dropped shortcut is loaded, not listed: when the drop holds one, the first one is loaded and
// the other files are passed over. False when it holds none.
bool EditorIntake::DropShortcut(bool onImage, const std::vector<std::u16string>& files) {
    const auto shortcut =
        std::find_if(files.begin(), files.end(), [](const std::u16string& file) { return IsShortcutPath(file); });
    if (shortcut == files.end()) return false;
    // On the picture of the program to start, a shortcut of another program becomes that program:
    // the shell opens shortcuts as it opens programs. One of this program loads everywhere.
    if (onImage) {
        std::string fileName;
        if (!TakeExactName(*shortcut, fileName)) return true;
        const std::optional<ShortcutFields> fields = ReadShortcut(fileName, !AnsiTexts());
        if (!fields || !TargetIsProgram(fields->target, App().exePath, SystemLeadByte)) {
            apply_(ChooseProgram{std::move(fileName)});
            return true;
        }
    }
    LoadShortcutFile(*shortcut);
    return true;
}

// A shortcut dropped or opened (Ctrl+O): its name must reach the A functions exactly, then it is
// loaded or refused.
void EditorIntake::LoadShortcutFile(const std::u16string& file) {
    std::string fileName;
    if (TakeExactName(file, fileName)) LoadShortcut(fileName);
}

// A shortcut of this program replaces the editor's state with what its call line says; any other
// is refused, and the editor stays as it was.
void EditorIntake::LoadShortcut(const std::string& fileName) {
    const std::optional<ShortcutFields> fields = ReadShortcut(fileName, !AnsiTexts());
    const HWND owner = MessageOwnerOf(window_);
    // Neither a path nor an ID list that names a file: whose shortcut it is cannot be told.
    if (fields && fields->target.empty() && fields->inexact.empty()) {
        ShowText(owner, UnreadableTargetText(fileName), MessageKind::Error);
        return;
    }
    const bool ours = fields && TargetIsProgram(fields->target, App().exePath, SystemLeadByte);
    // A target that the code page cannot hold is no known program: it gets the word below.
    if (!fields || (!ours && (fields->inexact.empty() || !fields->target.empty()))) {
        ShowText(owner, NotOurShortcutText(fileName), MessageKind::Error);
        return;
    }
    // Nothing of a shortcut is loaded when any of its parameters, or its target, would reach the
    // editor as another text than the link holds.
    if (!fields->inexact.empty()) {
        const MessageText before = InexactShortcutTextBefore(fileName);
        ShowMessage(owner,
                    WideText(Select(before)) + std::wstring(AsWide(fields->inexact)) +
                        WideText(Select(texts::kInexactShortcutAfter)),
                    MessageKind::Error);
        return;
    }
    // What the editor could not write back as it stands is not loaded at all.
    const std::optional<CallRequest> loaded = LoadableRequest(fields->arguments, SystemLeadByte, SystemCharNext);
    if (!loaded) {
        ShowText(owner, UnloadableShortcutText(fileName), MessageKind::Error);
        return;
    }
    apply_(LoadRequest{*loaded});
}

}  // namespace norvanex
