// The kill run before its window: the question, the walk that ends or asks to close what the call
// line names, and opening the program to start.
#include "app/KillRunStart_win.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <map>
#include <utility>

#include "app/CallLine.h"
#include "app/MainLayout.h"
#include "app/Shortcut_win.h"
#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/AppInfo_win.h"
#include "base/SystemFacts_win.h"
#include "base/SystemFunction_win.h"
#include "base/SystemTraits_win.h"
#include "process/ProcessAccess.h"
#include "process/ProgramName.h"
#include "ui/Lang.h"
#include "ui/MsgBox_win.h"

namespace norvanex {

namespace {

// CharNextA's stepping, answered by kernel32: a kill run reads its call line before it ends
// anything, and user32 (bound at its first call) would cost its start-up there.
const char* NextAnsiChar(const char* p) {
    if (*p == '\0') return p;
    return SystemLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0' ? p + 2 : p + 1;
}

// The call line as this process got it. The NT line holds it in UTF-16 and hands the ANSI reader
// its best-fit conversion, so the UTF-16 line says which parameters changed on the way; on the 9x
// line the ANSI line is the original.
CallParams ReadCallParams() {
    const char16_t* wide = AnsiTexts() ? nullptr : reinterpret_cast<const char16_t*>(GetCommandLineW());
    return SplitCallParams(ThisSystem().ownPath, GetCommandLineA(), wide, NextAnsiChar,
                           [](std::u16string_view text, std::string& ansi) { return ExactAnsi(text, ansi); });
}

// A visible, enabled window that `owner` owns: the box of a question that disabled its owner.
struct QuestionSearch {
    HWND owner;
    HWND question;

    static BOOL CALLBACK Visit(HWND window, LPARAM self) {
        auto& search = *reinterpret_cast<QuestionSearch*>(self);
        if (GetWindow(window, GW_OWNER) != search.owner || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
            return TRUE;
        }
        search.question = window;
        return FALSE;
    }
};

// ShellExecute reports a failure by a number up to 32; most are system error codes already (file
// or path not found, access denied, out of memory, bad format), the others stand for one.
std::uint32_t ShellError(INT_PTR result) {
    switch (result) {
        case 0: return ERROR_NOT_ENOUGH_MEMORY;
        case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
        case SE_ERR_ASSOCINCOMPLETE:
        case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
        case SE_ERR_DDETIMEOUT:
        case SE_ERR_DDEFAIL:
        case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
        case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
        default: return static_cast<std::uint32_t>(result);
    }
}

// The user's language, or both when it cannot be chosen (the locale query failed): a message that
// reports a failure must not fail itself.
std::string EitherLanguage(const TextPair& text) {
    try {
        return SelectText(text.english, text.german);
    } catch (const SilentAbort&) {
        return std::string(text.english) + "\r\r" + std::string(text.german);
    }
}

}  // namespace

std::string CallLineNames::operator()(const std::string& name) {
    auto found = canonical_.find(name);
    if (found == canonical_.end()) {
        const bool file = IsFullPath(name) && !EndsInSeparator(name, SystemLeadByte);
        found = canonical_.emplace(name, file ? CanonicalPathOf(name) : name).first;
    }
    return found->second;
}

Answer SystemRunDesktop::Confirm(bool closing) {
    const int answer =
        ShowMessage(nullptr, closing ? texts::kConfirmationClose : texts::kConfirmation, MessageKind::Confirmation);
    if (answer == IDYES) return Answer::Yes;
    // No, Escape and the close box say No; a box that could not be shown said nothing.
    return answer == IDNO || answer == IDCANCEL ? Answer::No : Answer::CouldNotAsk;
}

// Asks a process to close as Windows' own tools do: WM_CLOSE posted, never sent, so that a hung
// program cannot hold the run, to each of its visible top-level windows whose owner is missing or
// hidden (a program's own dialogs and tool windows close with their owner; frameworks that keep a
// hidden application window own their main window with it). The windows are listed once, at the
// first request: one walk over the desktop for every program named. The program may take the
// foreground for its "save changes?" question: this one holds it now, and without leave Windows
// would keep the question behind (AllowSetForegroundWindow, Windows 2000 and later).
bool SystemRunDesktop::AskToClose(std::uint32_t processId) {
    if (!listed_) {
        EnumWindows(&SystemRunDesktop::Collect, reinterpret_cast<LPARAM>(this));
        std::sort(windows_.begin(), windows_.end());
        listed_ = true;
    }
    const auto first = FirstWindowOf(processId);
    if (first == windows_.end() || first->first != processId) return false;
    using AllowSetForegroundWindowFn = BOOL(WINAPI*)(DWORD);
    static const auto allowForeground =
        FindSystemFunctionAs<AllowSetForegroundWindowFn>("user32.dll", "AllowSetForegroundWindow");
    if (allowForeground) allowForeground(processId);
    bool posted = false;
    for (auto window = first; window != windows_.end() && window->first == processId; ++window) {
        posted = PostMessageA(window->second, WM_CLOSE, 0, 0) != FALSE || posted;
    }
    return posted;
}

BOOL CALLBACK SystemRunDesktop::Collect(HWND window, LPARAM self) {
    DWORD process = 0;
    HWND owner = GetWindow(window, GW_OWNER);
    if (IsWindowVisible(window) && (!owner || !IsWindowVisible(owner)) && GetWindowThreadProcessId(window, &process)) {
        reinterpret_cast<SystemRunDesktop*>(self)->windows_.emplace_back(process, window);
    }
    return TRUE;
}

// A program that asks its user shows a box in front of the window that was asked, and disables
// that window while the box waits: a visible, enabled window of its thread that the asked window
// owns.
HWND SystemRunDesktop::QuestionOf(std::uint32_t processId) const {
    const auto first = FirstWindowOf(processId);
    for (auto asked = first; asked != windows_.end() && asked->first == processId; ++asked) {
        if (!IsWindow(asked->second) || IsWindowEnabled(asked->second)) continue;
        QuestionSearch search{asked->second, nullptr};
        EnumThreadWindows(GetWindowThreadProcessId(asked->second, nullptr), &QuestionSearch::Visit,
                          reinterpret_cast<LPARAM>(&search));
        if (search.question) return search.question;
    }
    return nullptr;
}

std::vector<std::pair<DWORD, HWND>>::const_iterator SystemRunDesktop::FirstWindowOf(std::uint32_t processId) const {
    return std::lower_bound(windows_.begin(), windows_.end(), std::make_pair(DWORD{processId}, HWND{}));
}

bool SystemRunDesktop::ShowsQuestion(std::uint32_t processId) { return QuestionOf(processId) != nullptr; }

// The question comes in front of the result window, with the keyboard: this program holds the
// foreground, so it may hand it on.
void SystemRunDesktop::BringQuestion(std::uint32_t processId) {
    if (HWND question = QuestionOf(processId)) SetForegroundWindow(question);
}

std::uint32_t SystemRunDesktop::Open(const std::string& path) {
    // "r:" alone opens nothing: there is no chain to follow.
    return OpenProgramToStart(path, !path.empty() && ShellMayTakeProgram(path));
}

bool SystemRunDesktop::ShellMayTakeProgram(const std::string& path) {
    if (!programVerdict_ || programVerdict_->first != path) programVerdict_.emplace(path, ShellMayTake(path));
    return programVerdict_->second;
}

// No busy pointer: no window of the program exists yet for it to show over, and loading a cursor
// would set up the display driver before the processes are ended. A run that asks its programs to
// close needs the window manager for that; a plain run never calls it.
void BeginKillRun(KillRunMachine& run, const CallParams& params) {
    run.Begin(std::cref(params), [&params](int index) { return params.AsWritten(index); },
              [] { return static_cast<uint32_t>(GetTickCount()); });
}

const CallParams& ThisCallLine() {
    static const CallParams params = ReadCallParams();
    return params;
}

std::string ParamStr(int index) { return ThisCallLine()(index); }

bool ShellMayTake(const std::string& path) { return ShellMayOpen(FollowShortcutChain(ShellPath(path))); }

namespace {

// Hands the path to the shell to open: 0, or the system's error code. ShellExecuteA takes MAX_PATH
// characters, and a longer path would reach the shell cut short, naming another file or none: such
// a path goes whole to ShellExecuteW, looked up at run time since the 9x line's shell32 may lack
// it. There, where no path is longer than MAX_PATH, it is too long.
std::uint32_t ShellOpen(const std::string& path) {
    INT_PTR result = 0;
    if (path.size() <= kMaxAnsiPath) {
        result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", path.c_str(), "", "", SW_SHOW));
    } else {
        using ShellExecuteWFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
        const auto shellExecute =
            AnsiTexts() ? nullptr : FindSystemFunctionAs<ShellExecuteWFn>("shell32.dll", "ShellExecuteW");
        const std::wstring wide = WideFrom(path, CP_ACP);
        if (!shellExecute || wide.empty()) return ERROR_FILENAME_EXCED_RANGE;
        result = reinterpret_cast<INT_PTR>(shellExecute(nullptr, L"open", wide.c_str(), L"", L"", SW_SHOW));
    }
    // Success is a value above 32.
    return result > 32 ? 0 : ShellError(result);
}

}  // namespace

std::uint32_t OpenProgramToStart(const std::string& path, bool shellMayTake) {
    // "r:" alone names no program: there is nothing to open and nothing to report.
    if (path.empty()) return 0;
    // A 64-bit program in System32 is started from there, not from the 32-bit system folder that
    // this process would be redirected to. A chain of shortcuts that loops or goes on too long is
    // not handed over (ShellMayTake).
    if (!shellMayTake) return ERROR_CANT_RESOLVE_FILENAME;
    return ShellOpen(ShellPath(path));
}

static_assert(exit_code::kCouldNotStart == kExitCannotGoOn, "one exit code for a program that cannot go on");

void SayCannotGoOn() { ShowMessage(nullptr, EitherLanguage(texts::kCannotGoOn), MessageKind::Error); }

int StartFailed(KillRunMachine* run) {
    if (run) {
        // As the window would have, had it come: what was asked closes by itself or runs on (as
        // the close box keeps it), the program to start opens when it is due.
        run->Handle(RunEvent::CloseBox, GetTickCount());
        if (run->phase() == KillRunMachine::Phase::Result) run->Handle(RunEvent::CloseBox, GetTickCount());
        while (run->phase() == KillRunMachine::Phase::Starting) {
            Sleep(std::min<DWORD>(run->WakeInMs(GetTickCount()), StartGate::kPollMs));
            run->Handle(RunEvent::Tick, GetTickCount());
        }
    }
    ShowMessage(nullptr, EitherLanguage(texts::kStartFailed), MessageKind::Error);
    return exit_code::kCouldNotStart | (run && run->StartFailed() ? exit_code::kNotStarted : 0);
}
}  // namespace norvanex
