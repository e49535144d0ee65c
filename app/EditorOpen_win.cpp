// The editor's open dialog with its two purposes, the guard on the file dialogs' name box, and the
// names taken from a dialog or from the shell exactly as the ANSI code page holds them.
#include "app/EditorMode.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cwchar>
#include <type_traits>
#include <utility>

#include "app/Shortcut_win.h"
#include "base/AnsiText_win.h"
#include "base/ComApartment_win.h"
#include "base/SystemTraits_win.h"
#include "ui/MsgBox.h"

namespace norvanex {

namespace {

// Room for 100 files of the longest name each, and their folder: a selection of that size always
// arrives whole. A larger one grows the buffer while the user selects (GrowOpenBuffer).
constexpr DWORD kOpenBufferChars = 100 * (MAX_PATH + 1) + MAX_PATH + 1;

// The dialog's buffer in UTF-16; the ANSI dialog's from the system's code page.
std::u16string OpenDialogText(const wchar_t* buffer, DWORD size) {
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), size);
}

std::u16string OpenDialogText(const char* buffer, DWORD size) {
    std::u16string wide(size, u'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, buffer, static_cast<int>(size),
                                           reinterpret_cast<wchar_t*>(wide.data()), static_cast<int>(size));
    wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return wide;
}

// The files of a drop, read with DragQueryFileA or DragQueryFileW.
template <class Char, class Query>
std::vector<std::u16string> DroppedNames(HDROP drop, Query query) {
    std::vector<std::u16string> files;
    const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = query(drop, i, nullptr, 0);
        std::basic_string<Char> file(length, Char{});
        if (length > 0 && query(drop, i, file.data(), length + 1) == length) files.push_back(OpenDialogText(file.c_str(), length));
    }
    return files;
}

}  // namespace

void EditorMode::SelectFileClick() {
    // Exactly these options: no must-exist check, the read-only box stays.
    ShowOpenDialog(OpenPurpose::AddToEnd, OFN_ALLOWMULTISELECT | OFN_ENABLESIZING, texts::kOpenToEnd);
}

void EditorMode::BitBtn5Click() { ShowOpenDialog(OpenPurpose::ChooseToStart, OFN_ENABLESIZING, texts::kOpenToStart); }

// The dialog in UTF-16 on the NT line: its ANSI form hands over names through best fit ("māil.exe"
// as "mail.exe"), and the editor must see what the user chose to refuse what it cannot name. The
// 9x line holds its names in ANSI and has the ANSI dialog only.
void EditorMode::ShowOpenDialog(OpenPurpose purpose, DWORD options, const TextPair& title) {
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
void EditorMode::RunOpenDialog(const Text& filter, const Text& caption, DWORD options, Buffer& buffer) {
    buffer.assign(kOpenBufferChars, 0);
    Request request{};
    request.lStructSize = FileDialogSize(std::is_same_v<Request, OPENFILENAMEW>);
    request.hwndOwner = form_.hwnd();
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
UINT_PTR CALLBACK EditorMode::OpenDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const LPARAM self = reinterpret_cast<const Request*>(lParam)->lCustData;
        SetWindowLongPtrA(dialog, DWLP_USER, self);
        GuardNameBox(GetParent(dialog), reinterpret_cast<EditorMode*>(self),
                     std::is_same_v<Request, OPENFILENAMEW> ? NameBox::Wide : NameBox::Ansi);
        return FALSE;
    }
    auto* self = reinterpret_cast<EditorMode*>(GetWindowLongPtrA(dialog, DWLP_USER));
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

void EditorMode::GuardNameBox(HWND frame, EditorMode* self, NameBox kind) {
    SetPropA(frame, kFrameOwnerProp, reinterpret_cast<HANDLE>(self));
    SetPropA(frame, kFrameKindProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kind) + 1));
    SetPropA(frame, kFrameProcProp, reinterpret_cast<HANDLE>(SetWindowLongPtrA(
                                        frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FileDialogFrameProc))));
}

LRESULT CALLBACK EditorMode::FileDialogFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto dialogProc = reinterpret_cast<WNDPROC>(GetPropA(frame, kFrameProcProp));
    auto* self = reinterpret_cast<EditorMode*>(GetPropA(frame, kFrameOwnerProp));
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
bool EditorMode::TypedNamesFit(HWND frame, NameBox kind) {
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
void EditorMode::GrowOpenBuffer(HWND dialog, Request& request) {
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

void EditorMode::OpenDialog1CanClose(std::u16string_view buffer) {
    const std::vector<std::u16string> files = OpenDialogFiles(buffer);
    if (files.empty()) return;
    const OpenPurpose purpose = std::exchange(openPurpose_, OpenPurpose::AddToEnd);
    for (const std::u16string& file : files) {
        std::string path;
        const bool taken = purpose == OpenPurpose::AddToEnd && IsShortcutPath(file) ? TakeShortcutTarget(file, path)
                                                                                     : TakeExactName(file, path);
        if (!taken) continue;
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
bool EditorMode::TakeExactName(const std::u16string& file, std::string& ansi) {
    if (ExactAnsi(file, ansi)) return true;
    const std::wstring message = WideText(Select(texts::kNotExactBefore)) +
                                 std::wstring(file.begin(), file.end()) + WideText(Select(texts::kNotExactAfter));
    ShowMessage(MessageOwner(), message, MessageKind::Information);
    return false;
}

// A shortcut chosen as a program to end: no process is ever named so. Windows' own dialog hands
// over its target (Wine's hands over the shortcut), so the program it leads to is taken, under the
// rule of any chosen file; one that leads to no program is refused with a word.
bool EditorMode::TakeShortcutTarget(const std::u16string& shortcut, std::string& program) {
    const std::string shown = ShownAnsi(std::wstring(shortcut.begin(), shortcut.end()));
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
    ShowMessage(MessageOwner(), Select(refusal), MessageKind::Information);
    return false;
}

// In UTF-16, as the shell holds them on the NT line: DragQueryFileA would hand over best-fit names.
// The 9x line's shell holds them in ANSI and has DragQueryFileA alone.
std::vector<std::u16string> EditorMode::DroppedFiles(HDROP drop) const {
    return AnsiTexts() ? DroppedNames<char>(drop, DragQueryFileA) : DroppedNames<wchar_t>(drop, DragQueryFileW);
}

}  // namespace norvanex
