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

// The kill run's parameters, each read once: its text, and whether it is the very text the user
// wrote. The NT line holds the command line in UTF-16 and hands the ANSI reader its best-fit
// conversion; a parameter that changed on the way names nothing. On the 9x line the ANSI line is
// the original.
struct CallParams {
    std::vector<std::string> texts;
    std::vector<bool> asWritten;

    std::string operator()(int index) const {
        if (index == 0) return App().exePath;
        return index >= 1 && index <= static_cast<int>(texts.size()) ? texts[index - 1] : std::string();
    }
};

CallParams ReadCallParams() {
    CallParams params;
    params.texts = CallLineParams(GetCommandLineA(), kMaxParams, NextAnsiChar);
    params.asWritten.assign(params.texts.size(), true);
    if (!AnsiTexts()) {
        const std::vector<std::u16string> wide =
            WideCallLineParams(reinterpret_cast<const char16_t*>(GetCommandLineW()), kMaxParams);
        for (size_t i = 0; i < params.texts.size(); ++i) {
            params.asWritten[i] = ParamSurvives(params.texts[i], i < wide.size() ? wide[i] : std::u16string(),
                                                [](std::u16string_view text, std::string& ansi) { return ExactAnsi(text, ansi); });
        }
    }
    return params;
}

// A full path on the call line names its file in any spelling, short (8.3) names among them: it is
// looked for under its long names, made once for the question and the ending. Any other name
// stands as written, and so does a path that ends in a backslash: it names no file, and its one
// spelling would.
class CallLineNames {
public:
    const std::string& operator()(const std::string& name) {
        auto found = canonical_.find(name);
        if (found == canonical_.end()) {
            const bool file = IsFullPath(name) && !EndsInSeparator(name, SystemLeadByte);
            found = canonical_.emplace(name, file ? CanonicalPathOf(name) : name).first;
        }
        return found->second;
    }

private:
    std::map<std::string, std::string> canonical_;
};

// Asks a process to close as Windows' own tools do: WM_CLOSE posted, never sent, so that a hung
// program cannot hold the run, to each of its visible top-level windows that no other window owns
// (a program's own dialogs and tool windows close with their owner). The windows are listed once,
// at the first request: one walk over the desktop for every program named.
class CloseRequests {
public:
    bool Ask(DWORD processId) {
        if (!listed_) {
            EnumWindows(&CloseRequests::Collect, reinterpret_cast<LPARAM>(this));
            std::sort(windows_.begin(), windows_.end());
            listed_ = true;
        }
        bool posted = false;
        const auto first = std::lower_bound(windows_.begin(), windows_.end(), std::make_pair(processId, HWND{}));
        for (auto window = first; window != windows_.end() && window->first == processId; ++window) {
            posted = PostMessageA(window->second, WM_CLOSE, 0, 0) != FALSE || posted;
        }
        return posted;
    }

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self) {
        DWORD owner = 0;
        if (IsWindowVisible(window) && !GetWindow(window, GW_OWNER) && GetWindowThreadProcessId(window, &owner)) {
            reinterpret_cast<CloseRequests*>(self)->windows_.emplace_back(owner, window);
        }
        return TRUE;
    }

    std::vector<std::pair<DWORD, HWND>> windows_;
    bool listed_ = false;
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

// No busy pointer: no window of the program exists yet for it to show over, and loading a cursor
// would set up the display driver before the processes are ended. A run that asks its programs to
// close needs the window manager for that; a plain run never calls it.
KillWalk RunKillWalk() {
    const CallParams params = ReadCallParams();
    CallLineNames names;
    CloseRequests requests;
    return WalkKillRun(
        std::cref(params), [&names](const std::string& name) { return Processes().FindProcessByName(names(name)); },
        [](bool closing) {
            const int answer = ShowMessage(nullptr, closing ? texts::kConfirmationClose : texts::kConfirmation,
                                           MessageKind::Confirmation);
            // A question that could not be shown is no answer: the start fails, nothing ended.
            if (answer == 0) throw SilentAbort{};
            return answer == IDYES;
        },
        [&names](const std::string& name, const AskToClose& ask) {
            return Processes().EndProcessesByName(names(name), ask);
        },
        [&requests](std::uint32_t processId) { return requests.Ask(processId); },
        [] { return static_cast<uint32_t>(GetTickCount()); },
        [&params](int index) { return params.asWritten[static_cast<size_t>(index - 1)]; });
}

std::string ParamStr(int index) {
    if (index == 0) return App().exePath;
    return CallLineParam(GetCommandLineA(), index, NextAnsiChar);
}

bool NamedProgramRuns(const std::string& name) { return !Processes().FindProcessByName(CallLineNames()(name)).empty(); }

bool MayOpenNow(StartGate& gate) {
    return gate.MayOpen(GetTickCount(),
                        [](const std::vector<uint32_t>& ids) { return Processes().AnyProcessRunning(ids); });
}

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

std::uint32_t OpenProgramToStart(const std::string& path) {
    // "r:" alone names no program: there is nothing to open and nothing to report.
    if (path.empty()) return 0;
    // A 64-bit program in System32 is started from there, not from the 32-bit system folder that
    // this process would be redirected to. A chain of shortcuts that loops or goes on too long is
    // not handed over (ShellMayTake).
    if (!ShellMayTake(path)) return ERROR_CANT_RESOLVE_FILENAME;
    return ShellOpen(ShellPath(path));
}

static_assert(exit_code::kCouldNotStart == kExitCannotGoOn, "one exit code for a program that cannot go on");

void SayCannotGoOn() { ShowMessage(nullptr, EitherLanguage(texts::kCannotGoOn), MessageKind::Error); }

int StartFailed(KillWalk* walk) {
    bool notStarted = false;
    if (walk && walk->startNamed) {
        // As Timer4 would have: a second after the first "r:", once what the run ended has gone.
        // What it asked to close was asked: it closes by itself or runs on, as the user answers it.
        StartGate gate;
        gate.AddEnded(walk->endedIds);
        while (static_cast<uint32_t>(GetTickCount()) - walk->startNamedAtMs < kStartDelayMs ||
               !MayOpenNow(gate)) {
            Sleep(StartGate::kPollMs);
        }
        notStarted = OpenProgramToStart(walk->programToStart) != 0;
    }
    ShowMessage(nullptr, EitherLanguage(texts::kStartFailed), MessageKind::Error);
    return exit_code::kCouldNotStart | (notStarted ? exit_code::kNotStarted : 0);
}

}  // namespace norvanex
