// The file dialogs' hook, the growing buffer of an open dialog and the guard on its name box, for
// the A and the W form alike.
#include "base/FileDialog_win.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cwchar>
#include <type_traits>
#include <vector>

#include "base/AnsiText.h"
#include "base/AnsiText_win.h"
#include "base/ComApartment_win.h"
#include "base/SystemTraits_win.h"
#include "base/Window_win.h"

namespace norvanex {

namespace {

// One showing of a dialog: what it was asked for, and its buffer in the form's characters.
struct Session {
    const FileDialogRequest& request;
    std::vector<wchar_t> wideBuffer;
    std::vector<char> ansiBuffer;
};

// The hooks see a typed name only once the dialog has joined it to its folder, in a buffer of
// MAX_PATH characters on its stack that a longer name overruns (Wine's comdlg32 does, with the
// caller's stack). The dialog's own procedure is subclassed, so that its OK, or Enter in the name
// box, is checked first. Its old procedure and the session stay on the dialog as properties.
constexpr char kFrameProcProp[] = "Norvanex.DialogProc";
constexpr char kFrameSessionProp[] = "Norvanex.DialogSession";

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

// The name box's text and the dialog's folder, read in the dialog's own character set, as
// CDM_GETFOLDERPATH answers whichever function sends it: the A form is also the one of the 9x line,
// which has no W functions.
void ReadTypedName(HWND frame, HWND box, bool wide, std::wstring& typed, std::wstring& folder) {
    if (wide) {
        const int length = GetWindowTextLengthW(box);
        typed.assign(static_cast<size_t>(std::max(0, length)) + 1, L'\0');
        typed.resize(static_cast<size_t>(std::max(0, GetWindowTextW(box, typed.data(), length + 1))));
        const LRESULT size = SendMessageW(frame, CDM_GETFOLDERPATH, 0, 0);
        folder.assign(size > 0 ? static_cast<size_t>(size) + 1 : 0, L'\0');
        if (size > 0) SendMessageW(frame, CDM_GETFOLDERPATH, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(folder.data()));
        folder.resize(std::wcslen(folder.c_str()));
        return;
    }
    const int length = GetWindowTextLengthA(box);
    std::string ansi(static_cast<size_t>(std::max(0, length)) + 1, '\0');
    ansi.resize(static_cast<size_t>(std::max(0, GetWindowTextA(box, ansi.data(), length + 1))));
    typed = WideText(MarkedName(ansi));
    const LRESULT size = SendMessageA(frame, CDM_GETFOLDERPATH, 0, 0);
    ansi.assign(size > 0 ? static_cast<size_t>(size) + 1 : 0, '\0');
    if (size > 0) SendMessageA(frame, CDM_GETFOLDERPATH, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(ansi.data()));
    folder = WideText(MarkedName(ansi.c_str()));
}

bool TypedNamesFit(HWND frame, const FileDialogRequest& request) {
    HWND box = nullptr;
    EnumChildWindows(frame, FindNameEdit, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return true;
    std::wstring typed, folder;
    ReadTypedName(frame, box, request.wide, typed, folder);
    return typed.empty() ||
           request.typedNamesFit(frame, std::u16string(AsUtf16(folder)), std::u16string(AsUtf16(typed)));
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto dialogProc = reinterpret_cast<WNDPROC>(GetPropA(frame, kFrameProcProp));
    const auto* session = reinterpret_cast<const Session*>(GetPropA(frame, kFrameSessionProp));
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && session != nullptr) {
        // A click on OK, or Enter in the name box (IsDialogMessage sends the same command).
        bool fits = true;
        RunHandler([&] { fits = TypedNamesFit(frame, session->request); });
        if (!fits) return 0;
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialogProc));
        RemovePropA(frame, kFrameProcProp);
        RemovePropA(frame, kFrameSessionProp);
    }
    return CallWindowProcA(dialogProc, frame, message, wParam, lParam);
}

void GuardNameBox(HWND frame, Session* session) {
    if (!session->request.typedNamesFit) return;
    SetPropA(frame, kFrameSessionProp, reinterpret_cast<HANDLE>(session));
    SetPropA(frame, kFrameProcProp,
             reinterpret_cast<HANDLE>(SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameProc))));
}

template <class Request>
auto& BufferOf(Session& session) {
    if constexpr (std::is_same_v<Request, OPENFILENAMEW>) return session.wideBuffer; else return session.ansiBuffer;
}

// The dialog writes the folder and every selected name into the buffer; it only grows, so that a
// selection never arrives cut short (KB 131462).
template <class Request>
void GrowBuffer(HWND frame, Session& session, Request& request) {
    // Both answer in characters of the dialog's own kind.
    const auto send = std::is_same_v<Request, OPENFILENAMEW> ? SendMessageW : SendMessageA;
    const LRESULT folder = send(frame, CDM_GETFOLDERPATH, 0, 0);
    const LRESULT names = send(frame, CDM_GETSPEC, 0, 0);
    if (folder < 0 || names < 0) return;
    const std::size_t needed = static_cast<std::size_t>(folder) + static_cast<std::size_t>(names) + 2;
    auto& buffer = BufferOf<Request>(session);
    if (needed <= request.nMaxFile || request.lpstrFile != buffer.data()) return;
    buffer.resize(needed * 2, 0);
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
}

FileDialogNames NamesOf(const OPENFILENAMEW& request) {
    return {std::u16string_view(reinterpret_cast<const char16_t*>(request.lpstrFile), request.nMaxFile), {}};
}

FileDialogNames NamesOf(const OPENFILENAMEA& request) {
    return {{}, std::string_view(request.lpstrFile, request.nMaxFile)};
}

template <class Request>
UINT_PTR CALLBACK DialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const LPARAM custom = reinterpret_cast<const Request*>(lParam)->lCustData;
        SetWindowLongPtrA(dialog, DWLP_USER, custom);
        auto* session = reinterpret_cast<Session*>(custom);
        GuardNameBox(GetParent(dialog), session);
        // The save dialog has always asked for the default focus; the open dialog keeps its own.
        return session->request.save ? TRUE : FALSE;
    }
    auto* session = reinterpret_cast<Session*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message != WM_NOTIFY || session == nullptr) return FALSE;
    // OFNOTIFYA and OFNOTIFYW differ only in the type of lpOFN.
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    Request& request = *reinterpret_cast<Request*>(reinterpret_cast<const OFNOTIFYA*>(lParam)->lpOFN);
    // No exception may cross the dialog's procedure; a handler that fails lets the dialog close.
    if (header.code == CDN_SELCHANGE && session->request.grows) {
        RunHandler([&] { GrowBuffer(GetParent(dialog), *session, request); });
    } else if (header.code == CDN_FILEOK) {
        bool refused = false;
        RunHandler([&] { refused = !session->request.canClose(GetParent(dialog), NamesOf(request)); });
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, refused ? 1 : 0);
        return refused ? TRUE : FALSE;
    }
    return FALSE;
}

template <class Request, class Char>
void Run(Session& session, const std::basic_string<Char>& filter, const std::basic_string<Char>& title) {
    auto& buffer = BufferOf<Request>(session);
    buffer.assign(session.request.bufferChars, 0);
    Request request{};
    request.lStructSize = FileDialogSize(std::is_same_v<Request, OPENFILENAMEW>);
    request.hwndOwner = session.request.owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
    request.lpstrTitle = title.c_str();
    request.Flags = session.request.flags | OFN_EXPLORER | OFN_ENABLEHOOK;
    request.lpfnHook = DialogHook<Request>;
    request.lCustData = reinterpret_cast<LPARAM>(&session);
    if constexpr (std::is_same_v<Request, OPENFILENAMEW>) {
        GetOpenFileNameW(&request);
    } else {
        session.request.save ? GetSaveFileNameA(&request) : GetOpenFileNameA(&request);
    }
}

}  // namespace

void ShowFileDialog(const FileDialogRequest& request) {
    EnterComApartment();
    Session session{request, {}, {}};
    if (request.wide) {
        Run<OPENFILENAMEW>(session, request.filter, request.title);
    } else {
        Run<OPENFILENAMEA>(session, request.ansiFilter, request.ansiTitle);
    }
}

}  // namespace norvanex
