// The kill run end to end: real victims ended, the result window, the program to start, the
// question, the timers, the 101st parameter, the restart wait and what a run loads before it has
// ended anything, with the real Norvanex.exe.
// Timeout: 900
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "app/Shortcut_win.h"
#include "base/AppInfo.h"

using namespace driver;
using namespace norvanex;

namespace {

bool Shown(HWND main, MainControl id) { return Visible(ChildById(main, id)); }

// A relay trace of ProcessIdToSessionId alone while this lives (Wine's RelayInclude).
struct RelayOnlySessionQuery {
    static constexpr const char* kKey = "Software\\Wine\\Debug";
    const bool ok = RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "RelayInclude", REG_SZ, "ProcessIdToSessionId",
                                    sizeof "ProcessIdToSessionId") == ERROR_SUCCESS;
    ~RelayOnlySessionQuery() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "RelayInclude"); }
};

}  // namespace

CASE(EndsEveryCopyAndClosesAfterThirtySeconds) {
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    const std::string excel = CopyToScratch("victim.exe", "Excel.EXE");
    StartVictims(word, 3);
    StartVictims(excel, 1);

    Process norvanex = StartKillRun("winword.exe excel.exe");
    HWND main = ResultWindow(norvanex);
    const DWORD shownAt = GetTickCount();
    CHECK(ProcessesNamed("winword.exe").empty());
    CHECK(ProcessesNamed("Excel.EXE").empty());
    CHECK_EQ(norvanex.Windows().size(), 1u);
    CHECK(Topmost(main));
    CHECK_EQ(Text(ChildById(main, kLabel1)), "Canceled Programms");

    HWND list = ChildById(main, kListView1);
    CHECK_EQ(RectInParent(list).bottom, 230);  // down to the bottom edge of the hidden second check box
    REQUIRE_EQ(LvCount(list), 2);
    CHECK_EQ(LvText(list, 0), word);
    CHECK_EQ(LvText(list, 1), excel);
    for (int i = 0; i < 2; ++i) CHECK(LvGet(list, i).value_or(LvItem{}).image >= 0);

    // No program to start: its section is hidden and the window 49 pixels shorter.
    for (MainControl id : {kLabel2, kLabel3, kProgImg}) CHECK(!Shown(main, id));
    CHECK_EQ(ClientSize(main).cy, 326 - 49);
    const RECT ok = RectInParent(ChildById(main, kBitBtn1));
    CHECK_EQ(ok.left, 144);
    CHECK_EQ(ok.top, 244);
    CHECK_EQ(Text(ChildById(main, kBitBtn1)), "&OK");
    CHECK(Shown(main, kBitBtn1));
    CHECK(!Shown(main, kBitBtn4));

    const std::optional<DWORD> exit = norvanex.WaitExit(40000);
    const DWORD after = GetTickCount() - shownAt;
    CHECK(exit.has_value());
    check::Log("closed itself after " + std::to_string(after) + " ms");
    CHECK(after >= 29000 && after <= 33000);
}

CASE(ProgramToStartAlone) {
    const std::string marker = CopyToScratch("marker.exe", "starter.exe");
    const DWORD before = GetTickCount();
    Process norvanex = StartKillRun("r:" + marker);
    bool windowSeen = false;
    WaitUntil([&] {
        windowSeen = windowSeen || !norvanex.Windows().empty();
        return !norvanex.Running();
    });
    CHECK(!windowSeen);
    CHECK(norvanex.WaitExit(1000).has_value());
    REQUIRE(WaitUntil([] { return !MarkerLines().empty(); }, 5000));
    const std::vector<std::string> lines = MarkerLines();
    CHECK_EQ(lines.size(), 1u);
    CHECK(TickOf(lines[0]) - before >= 900);
}

CASE(OnlyTheLaterProgramToStart) {
    const std::string first = CopyToScratch("marker.exe", "first.exe");
    const std::string second = CopyToScratch("marker.exe", "second.exe");
    Process norvanex = StartKillRun("r:" + first + " r:" + second);
    CHECK(norvanex.WaitExit(10000).has_value());
    // The run has ended: what it started is listed until it has written its line.
    CHECK(WaitUntil([] {
        return !MarkerLines().empty() && ProcessesNamed("first.exe").empty() && ProcessesNamed("second.exe").empty();
    }));
    const std::vector<std::string> lines = MarkerLines();
    REQUIRE_EQ(lines.size(), 1u);
    CHECK(lines[0].find("second.exe") != std::string::npos);
}

CASE(ResultWithProgramToStart) {
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    const std::string marker = CopyToScratch("marker.exe", "starter.exe");
    // Wider than the window: cut in its middle, never wrapped at a blank.
    const std::string longMarker = CopyToScratch("marker.exe", "a program to start with a long name.exe");
    struct Language {
        const char* locale; const char* label3; int dpi; const char* shot; const std::string& program;
    } languages[] = {
        {"en_US.UTF-8", "Called Programm", 96, "result-start-en-96", marker},
        {"de_DE.UTF-8", "Gestartetes Programm", 96, "result-start-de-96", marker},
        {"en_US.UTF-8", "Called Programm", 144, "result-start-en-144", marker},
        {"de_DE.UTF-8", "Gestartetes Programm", 144, "result-start-de-144", marker},
        {"en_US.UTF-8", "Called Programm", 96, "result-start-long-en-96", longMarker},
    };
    for (const Language& language : languages) {
        DpiScope dpi(language.dpi);
        StartVictims(word, 1);
        Process norvanex = StartKillRun("winword.exe r:" + QuoteArg(language.program), language.locale);
        HWND main = ResultWindow(norvanex);
        for (MainControl id : {kLabel2, kLabel3, kProgImg}) CHECK(Shown(main, id));
        HWND label2 = ChildById(main, kLabel2);
        const std::string shown = Text(label2);
        if (language.program == marker) {
            CHECK_EQ(shown, marker);
        } else {
            check::Log("shown as " + shown);
            CHECK(shown.rfind("C:\\", 0) == 0 && shown.find("...") != std::string::npos);
            CHECK(shown.size() > 8 && shown.substr(shown.size() - 8) == "name.exe");
            CHECK_EQ(RectInParent(label2).bottom - RectInParent(label2).top,
                     RectInParent(ChildById(main, kLabel3)).bottom - RectInParent(ChildById(main, kLabel3)).top);
        }
        CHECK(RectInParent(label2).right <= ClientSize(main).cx - language.dpi * 8 / 96);
        CHECK_EQ(Hint(label2).value_or("(no hint)"), language.program);
        CHECK_EQ(Text(ChildById(main, kLabel3)), std::string(language.label3));
        CHECK_EQ(ClientSize(main).cy, language.dpi == 96 ? 326 : 489);
        CHECK_EQ(RectInParent(ChildById(main, kBitBtn1)).top, language.dpi == 96 ? 293 : 440);
        REQUIRE(WaitUntil([] { return !MarkerLines().empty(); }, 5000));
        WaitOutStartTimer(TickOf(MarkerLines()[0]));
        CHECK_EQ(MarkerLines().size(), 1u);
        CHECK(norvanex.Running());  // the list is not empty: the window stays after the start
        Screenshot(language.shot, main);
        CHECK(PressOk(norvanex, main));
    }
    struct Plain { const char* locale; int dpi; const char* shot; } plains[] = {
        {"en_US.UTF-8", 96, "result-en-96"}, {"de_DE.UTF-8", 96, "result-de-96"},
        {"en_US.UTF-8", 144, "result-en-144"}, {"de_DE.UTF-8", 144, "result-de-144"},
    };
    for (const Plain& plain : plains) {
        DpiScope dpi(plain.dpi);
        StartVictims(word, 1);
        Process norvanex = StartKillRun("winword.exe", plain.locale);
        HWND main = ResultWindow(norvanex);
        CHECK_EQ(Text(ChildById(main, kLabel1)), std::string(plain.locale[0] == 'd' ? "Beendete Programme" : "Canceled Programms"));
        CHECK_EQ(ClientSize(main).cy, plain.dpi == 96 ? 277 : 416);
        Screenshot(plain.shot, main);
        CloseBySystemMenu(main);
        CHECK(norvanex.WaitExit().has_value());
    }
}

CASE(EmptyProgramToStartShowsTheSection) {
    StartVictims(CopyToScratch("victim.exe", "winword.exe"), 1);
    Process norvanex = StartKillRun("winword.exe r:");
    HWND main = ResultWindow(norvanex);
    CHECK(Shown(main, kLabel2));
    CHECK_EQ(Text(ChildById(main, kLabel2)), "");
    CHECK_EQ(ClientSize(main).cy, 326);
    CHECK(PressOk(norvanex, main));
}

CASE(QuestionFirst) {
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    const std::string marker = CopyToScratch("marker.exe", "starter.exe");
    enum class Answer { No, Escape, Close, Yes };
    struct Case { Answer answer; const char* locale; const char* message; } cases[] = {
        {Answer::No, "en_US.UTF-8", "Are you sure to do this?\r\rAll non saved files will be lost!"},
        {Answer::Escape, "de_DE.UTF-8",
         "Wollen Sie diese Aktion wirklich durchführen?\r\rAlle nicht gespeicherten Daten gehen dabei verloren!"},
        {Answer::Close, "en_US.UTF-8", nullptr},
        {Answer::Yes, "en_US.UTF-8", nullptr},
    };
    for (const Case& c : cases) {
        LeaveNoVictims cleanup;
        StartVictims(word, 1);
        Process norvanex = StartKillRun("~ask~ winword.exe r:" + marker, c.locale);
        HWND box = norvanex.WaitDialog("Bestätigung");
        REQUIRE(box != nullptr);
        HWND yes = ButtonByCaption(box, "&Ja");
        HWND no = ButtonByCaption(box, "&Nein");
        REQUIRE(yes != nullptr && no != nullptr);
        CHECK_EQ(Text(yes), "&Ja");
        CHECK_EQ(Text(no), "&Nein");
        if (c.message) CHECK(ChildByText(box, "Static", c.message) != nullptr);
        switch (c.answer) {
            case Answer::No: Click(no); break;
            case Answer::Escape: PostKey(yes, VK_ESCAPE); break;
            case Answer::Close: CloseBySystemMenu(box); break;
            case Answer::Yes: Click(yes); break;
        }
        if (c.answer == Answer::Yes) {
            HWND main = ResultWindow(norvanex);
            CHECK(ProcessesNamed("winword.exe").empty());
            REQUIRE(WaitUntil([] { return !MarkerLines().empty(); }, 5000));
            CHECK(PressOk(norvanex, main));
            CHECK_EQ(norvanex.WaitExit().value_or(99), 0u);
        } else {
            CHECK_EQ(norvanex.WaitExit().value_or(99), 1u);  // the question was not answered Yes
            CHECK_EQ(ProcessesNamed("winword.exe").size(), 1u);
            // The run has ended: a program it started has written its line once it is gone.
            CHECK(WaitUntil([] { return ProcessesNamed("starter.exe").empty(); }));
            CHECK(MarkerLines().empty());
        }
    }
}

// The question, then the result window, each moved from 96 to 192 DPI (WM_DPICHANGED, sent:
// Wine cannot move a window between monitors of their own scales). The box lays itself out as
// designed at the new scale and takes the size that asks for: icon and margins, Yes and No of 75
// by 23 six apart, centred, ten above the bottom edge. The result window puts every control where it was at 96 DPI, scaled.
CASE(QuestionAndResultFollowAChangeOfScale) {
    constexpr int kDpi = 192;
    LeaveNoVictims cleanup;
    StartVictims(CopyToScratch("victim.exe", "winword.exe"), 1);
    Process norvanex = StartKillRun("~ask~ winword.exe", "en_US.UTF-8");
    HWND box = norvanex.WaitDialog("Bestätigung");
    REQUIRE(box != nullptr);
    HWND yes = ButtonByCaption(box, "&Ja");
    HWND no = ButtonByCaption(box, "&Nein");
    REQUIRE(yes != nullptr && no != nullptr);
    REQUIRE(SendDpiChanged(box, 96, kDpi));
    const RECT y = RectInParent(yes), n = RectInParent(no);
    const SIZE client = ClientSize(box);
    for (const RECT& r : {y, n}) {
        CHECK_EQ(r.right - r.left, ScaleToDpi(75, kDpi));
        CHECK_EQ(r.bottom - r.top, ScaleToDpi(23, kDpi));
        CHECK_EQ(client.cy - r.bottom, ScaleToDpi(10, kDpi));
    }
    CHECK_EQ(n.left - y.right, ScaleToDpi(6, kDpi));
    CHECK_EQ(y.left, client.cx - n.right);
    HWND icon = FindWindowExA(box, nullptr, "Static", nullptr);  // the first static: the icon
    REQUIRE(icon != nullptr);
    const RECT i = RectInParent(icon);
    const int iconSize = MulDiv(GetSystemMetrics(SM_CXICON), kDpi, 96);
    CHECK_EQ(i.left, ScaleToDpi(12, kDpi));
    CHECK_EQ(i.top, ScaleToDpi(12, kDpi));
    CHECK_EQ(i.right - i.left, iconSize);
    HWND message = FindWindowExA(box, icon, "Static", nullptr);
    REQUIRE(message != nullptr);
    CHECK_EQ(RectInParent(message).left, i.right + ScaleToDpi(12, kDpi));
    CHECK(WaitPainted(box));
    CHECK(!Screenshot("question-en-96-to-192", box).empty());
    Click(yes);

    HWND main = ResultWindow(norvanex);
    REQUIRE(main != nullptr);
    struct Seen { HWND control; RECT at96; bool fitted; };
    std::vector<Seen> seen;
    for (const ControlDesign& d : kMainDesign) {
        HWND control = ChildById(main, d.id);
        if (control && Visible(control)) seen.push_back({control, RectInParent(control), d.width == 0 && d.height == 0});
    }
    CHECK(!seen.empty());
    REQUIRE(SendDpiChanged(main, 96, kDpi));
    for (const Seen& s : seen) {
        const RECT r = RectInParent(s.control);
        CHECK_EQ(r.left, ScaleToDpi(s.at96.left, kDpi));
        CHECK_EQ(r.top, ScaleToDpi(s.at96.top, kDpi));
        if (s.fitted) continue;  // sized by its text in the new font
        CHECK_EQ(r.right - r.left, ScaleToDpi(s.at96.right - s.at96.left, kDpi));
        CHECK_EQ(r.bottom - r.top, ScaleToDpi(s.at96.bottom - s.at96.top, kDpi));
    }
    SetCursorPos(0, 0);
    CHECK(WaitPainted(main));
    CHECK(!Screenshot("result-en-96-to-192", main).empty());
    CloseBySystemMenu(main);
    CHECK(norvanex.WaitExit().has_value());
}

CASE(NoQuestionWhenNothingNamedRuns) {
    Process norvanex = StartKillRun("~ask~ nothing-runs-so.exe");
    CHECK(norvanex.WaitExit().has_value());
    CHECK(FindDialog(norvanex.pid(), "Bestätigung") == nullptr);

    // Written in capitals it is a program name like any other: no question.
    StartVictims(CopyToScratch("victim.exe", "winword.exe"), 1);
    Process capitals = StartKillRun("~ASK~ winword.exe");
    HWND main = ResultWindow(capitals);
    CHECK(FindDialog(capitals.pid(), "Bestätigung") == nullptr);
    CHECK_EQ(LvCount(ChildById(main, kListView1)), 1);
    CHECK(PressOk(capitals, main));
}

CASE(OkBeforeTheStartTimerStillOpensIt) {
    const std::string marker = CopyToScratch("marker.exe", "starter.exe");
    StartVictims(CopyToScratch("victim.exe", "winword.exe"), 1);
    DeleteFileA(MarkerFile().c_str());
    const DWORD started = GetTickCount();
    Process norvanex = StartKillRun("winword.exe r:" + marker);
    HWND main = ResultWindow(norvanex);
    Click(ChildById(main, kBitBtn1));
    // The window goes at once; the program to start comes when its second is up, once.
    CHECK(WaitUntil([&] { return !Visible(main); }));
    CHECK_EQ(norvanex.WaitExit().value_or(99), 0u);
    REQUIRE(WaitUntil([] { return MarkerLines().size() == 1; }, 5000));
    CHECK(TickOf(MarkerLines()[0]) - started >= 900);
}

CASE(DoubleClickKeepsTheWindow) {
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    for (bool onEntry : {true, false}) {
        StartVictims(word, 1);
        Process norvanex = StartKillRun("winword.exe");
        HWND main = ResultWindow(norvanex);
        HWND list = ChildById(main, kListView1);
        CHECK(onEntry ? DoubleClickLvItem(list, 0) : DoubleClickLvEmpty(list));
        CHECK(!norvanex.WaitExit(32000).has_value());
        // The properties sheet may have come up as a window of its own; OK still ends the run.
        CHECK(PressOk(norvanex, main));
    }
}

CASE(HundredAndFirstParameterIsNeverRead) {
    StartVictims(CopyToScratch("victim.exe", "winword.exe"), 1);
    const std::string marker = CopyToScratch("marker.exe", "starter.exe");
    std::string args = "winword.exe";
    for (int i = 2; i <= 100; ++i) args += " absent" + std::to_string(i) + ".exe";
    args += " r:" + marker;
    const DWORD started = GetTickCount();
    Process norvanex = StartKillRun(args);
    HWND main = ResultWindow(norvanex);
    CHECK(!Shown(main, kLabel2));
    WaitOutStartTimer(started);
    CHECK(MarkerLines().empty());
    CHECK(PressOk(norvanex, main));
}

CASE(EndedProgramStartsAgainOnce) {
    LeaveNoVictims cleanup;
    const std::string single = CopyToScratch("marker.exe", "single.exe");
    DeleteFileA(MarkerFile().c_str());
    StartOptions options;
    options.idleMs = 0;
    options.env = {{"NORVANEX_MARKER", ScratchFolder() + "\\old.log"}, {"NORVANEX_MARKER_STAY", "1"}};
    Process old = Start(single, options);
    REQUIRE_EQ(old.error(), "");
    old.Detach();
    REQUIRE(WaitUntil([] { return ProcessesNamed("single.exe").size() == 1; }));
    const DWORD oldPid = ProcessesNamed("single.exe")[0];

    Process norvanex = StartKillRun("single.exe r:" + single, "", true);
    HWND main = ResultWindow(norvanex);
    REQUIRE(WaitUntil([] { return !MarkerLines().empty(); }, 8000));
    WaitOutStartTimer(TickOf(MarkerLines()[0]));
    CHECK_EQ(MarkerLines().size(), 1u);
    const std::vector<DWORD> running = ProcessesNamed("single.exe");
    REQUIRE_EQ(running.size(), 1u);
    CHECK_NE(running[0], oldPid);
    CHECK(PressOk(norvanex, main));
}

namespace {

// What any process of ours maps before its own code runs: kernel32 and the C runtime, and Wine's
// time-zone names (tzres.dll, mapped as data; a program of kernel32 and msvcrt alone maps it too).
const std::vector<std::string> kStartUpDlls = {"ntdll.dll", "kernelbase.dll", "kernel32.dll", "msvcrt.dll",
                                               "tzres.dll"};

bool Listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// One DLL that a debugged run loaded, and whether the run's victim was still alive when it did.
struct DllLoad {
    std::string name;  // file name, lower case
    bool victimAlive;
};

std::string LowerFileName(std::string path) {
    path = path.substr(path.find_last_of("\\/") + 1);
    for (char& c : path) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return path;
}

// The file name of a DLL that a debug event reports: through the file handle, or else through the
// name pointer inside the debuggee.
std::string LoadedDllName(HANDLE debuggee, const LOAD_DLL_DEBUG_INFO& info) {
    char path[MAX_PATH] = {};
    if (info.hFile && GetFinalPathNameByHandleA(info.hFile, path, MAX_PATH, 0) > 0) return LowerFileName(path);
    void* name = nullptr;
    if (!info.lpImageName || !ReadProcessMemory(debuggee, info.lpImageName, &name, sizeof name, nullptr) || !name) {
        return "?";
    }
    if (info.fUnicode) {
        wchar_t wide[MAX_PATH] = {};
        ReadProcessMemory(debuggee, name, wide, sizeof wide - sizeof(wchar_t), nullptr);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, path, MAX_PATH, nullptr, nullptr);
    } else {
        ReadProcessMemory(debuggee, name, path, MAX_PATH - 1, nullptr);
    }
    return LowerFileName(path);
}

// Runs Norvanex with args under the debugging API, which holds the whole process still at every
// DLL it loads: while it stands, the victim (when given) is waited for briefly, so each load is
// known to come before or after the victim's end. A run that has not ended by itself after
// runMs is ended.
std::vector<DllLoad> DllsOfDebuggedRun(const std::string& args, HANDLE victim, DWORD runMs, bool* exitedAlone) {
    std::string commandLine = QuoteArg(NorvanexExe()) + " " + args;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<DllLoad> loads;
    *exitedAlone = false;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                        nullptr, &startup, &info)) {
        check::Log("cannot start Norvanex under the debugger");
        return loads;
    }
    const DWORD start = GetTickCount();
    bool terminated = false;
    for (;;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 1000)) {
            if (GetTickCount() - start > runMs + kTimeout) {
                check::Log("Norvanex did not end under the debugger");
                break;
            }
            if (!terminated && GetTickCount() - start > runMs) {
                TerminateProcess(info.hProcess, 1);
                terminated = true;
            }
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT: {
                // A victim that was ended before this load is gone within moments; one that is still
                // to be ended cannot go while the run stands still here. The start-up DLLs come
                // first in any case and are not waited for.
                const std::string name = LoadedDllName(info.hProcess, event.u.LoadDll);
                const DWORD waitMs = Listed(kStartUpDlls, name) ? 0 : 2000;
                const bool alive = victim && WaitForSingleObject(victim, waitMs) == WAIT_TIMEOUT;
                loads.push_back({name, alive});
                if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
                break;
            }
            case EXCEPTION_DEBUG_EVENT:
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                    status = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            default: break;
        }
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            *exitedAlone = !terminated;
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
            break;
        }
        if (!terminated && GetTickCount() - start > runMs) {
            TerminateProcess(info.hProcess, 1);
            terminated = true;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return loads;
}

}  // namespace

// What a kill run loads before it has done its work: kernel32 and the C runtime only. Every other
// DLL (user32 and gdi32 for the window, shell32 for icons, version, advapi32, ole32, comdlg32,
// comctl32) is bound at its first call, after the endings; a run that ends nothing and starts
// nothing never loads the window's DLLs at all.
CASE(LoadsOnlyKernelAndRuntimeBeforeEnding) {
    const std::vector<std::string> windowDlls = {"user32.dll", "gdi32.dll", "shell32.dll", "comctl32.dll",
                                                 "ole32.dll",  "version.dll", "comdlg32.dll"};
    struct {
        const char* what;
        bool withVictim;
    } const cases[] = {
        {"a running program named", true},
        {"nothing named runs", false},
    };
    for (const auto& c : cases) {
        check::Log(c.what);
        LeaveNoVictims cleanup;
        HANDLE victim = nullptr;
        if (c.withVictim) {
            const std::vector<DWORD> pids = StartWindowless(CopyToScratch("victim.exe", "leanvictim.exe"), 1);
            REQUIRE_EQ(pids.size(), 1u);
            victim = OpenProcess(SYNCHRONIZE, FALSE, pids[0]);
            REQUIRE(victim != nullptr);
        }
        bool exitedAlone = false;
        const std::vector<DllLoad> loads =
            DllsOfDebuggedRun(c.withVictim ? "leanvictim.exe" : "absent-program.exe", victim, 6000, &exitedAlone);
        CHECK(!loads.empty());
        std::string unwanted;  // what was loaded too early, or at all
        for (const DllLoad& load : loads) {
            const bool early = c.withVictim ? load.victimAlive && !Listed(kStartUpDlls, load.name)
                                            : Listed(windowDlls, load.name);
            if (early) unwanted += load.name + " ";
        }
        CHECK_EQ(unwanted, "");
        if (c.withVictim) {
            CHECK_EQ(WaitForSingleObject(victim, 0), WAIT_OBJECT_0);
            // The result window still comes: its DLLs load after the ending.
            CHECK(std::any_of(loads.begin(), loads.end(), [](const DllLoad& l) { return l.name == "user32.dll"; }));
            CloseHandle(victim);
        } else {
            CHECK(exitedAlone);
        }
    }
}

CASE(FullPathEndsOnlyThatFile) {
    LeaveNoVictims cleanup;
    const std::string folderA = ScratchFolder() + "\\a", folderB = ScratchFolder() + "\\b";
    CreateDirectoryA(folderA.c_str(), nullptr);
    CreateDirectoryA(folderB.c_str(), nullptr);
    const std::string inA = folderA + "\\winword.exe", inB = folderB + "\\winword.exe";
    REQUIRE(CopyFileA(BesideMe("victim.exe").c_str(), inA.c_str(), FALSE));
    REQUIRE(CopyFileA(BesideMe("victim.exe").c_str(), inB.c_str(), FALSE));
    const std::vector<DWORD> pidsA = StartWindowless(inA, 2);
    REQUIRE_EQ(pidsA.size(), 2u);
    std::vector<DWORD> pidsB = StartWindowless(inB, 1, 2);
    REQUIRE_EQ(pidsB.size(), 3u);
    for (DWORD pid : pidsA) pidsB.erase(std::remove(pidsB.begin(), pidsB.end(), pid), pidsB.end());

    // A folder that holds no running copy: nothing ended, no window.
    Process none = StartKillRun(ScratchFolder() + "\\c\\winword.exe");
    CHECK(none.WaitExit().has_value());
    CHECK_EQ(ProcessesNamed("winword.exe").size(), 3u);

    // That file in another spelling: letter case, the "\\?\" prefix, "/", ".." and a doubled separator.
    std::string spelt = "\\\\?\\" + folderB + "/../a//winword.exe";
    CharUpperBuffA(spelt.data(), static_cast<DWORD>(spelt.size()));
    Process norvanex = StartKillRun(spelt);
    HWND main = ResultWindow(norvanex);
    CHECK(ProcessesNamed("winword.exe") == pidsB);
    HWND list = ChildById(main, kListView1);
    REQUIRE_EQ(LvCount(list), 1);
    check::Log("listed as " + LvText(list, 0));
    CHECK_EQ(lstrcmpiA(LvText(list, 0).c_str(), inA.c_str()), 0);
    CHECK(PressOk(norvanex, main));

    // The same file under names of another folder: a folder linked on the host, the prefix's
    // drive spelt as Z:, the device namespace. Each ends the copy in a, never its namesake in b.
    const std::string linked = ScratchFolder() + "\\linked";
    REQUIRE(RunHost("ln -sfn " + QuoteArg(UnixPath(folderA)) + " " + QuoteArg(UnixPath(ScratchFolder()) + "/linked")) ==
            std::optional<int>(0));
    std::string zSpelt = "Z:" + UnixPath(inA);
    std::replace(zSpelt.begin(), zSpelt.end(), '/', '\\');
    for (const std::string& name : {linked + "\\winword.exe", zSpelt, "\\\\.\\" + inA}) {
        check::Log("named " + name);
        REQUIRE_EQ(StartVictims(inA, 1, 1).size(), 2u);
        Process other = StartKillRun(name);
        HWND result = ResultWindow(other);
        CHECK(ProcessesNamed("winword.exe") == pidsB);
        CHECK_EQ(lstrcmpiA(LvText(ChildById(result, kListView1), 0).c_str(), inA.c_str()), 0);
        CHECK(PressOk(other, result));
    }
    // A path that ends in a backslash names no file: nothing ended, no window.
    REQUIRE_EQ(StartVictims(inA, 1, 1).size(), 2u);
    Process folderLike = StartKillRun(inA + "\\");
    CHECK(folderLike.WaitExit().has_value());
    CHECK_EQ(ProcessesNamed("winword.exe").size(), 2u);
}

CASE(SessionProcessRunsOnAndShowsGreyed) {
    const std::vector<DWORD> services = ProcessesNamed("services.exe");
    REQUIRE(!services.empty());
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    struct Language { const char* locale; const char* state; const char* tip; const char* shot; } languages[] = {
        {"en_US.UTF-8", "still running: part of Windows", "A part of Windows", "result-runs-on-en"},
        {"de_DE.UTF-8", "läuft noch: Teil von Windows", "Ein Teil von Windows", "result-runs-on-de"},
    };
    for (const Language& language : languages) {
        LeaveNoVictims cleanup;
        StartVictims(word, 1);
        Process norvanex = StartKillRun("services.exe winword.exe", language.locale);
        HWND main = ResultWindow(norvanex);
        CHECK(ProcessesNamed("services.exe") == services);
        CHECK(ProcessesNamed("winword.exe").empty());
        HWND list = ChildById(main, kListView1);
        REQUIRE_EQ(LvCount(list), 2);
        CHECK_EQ(LvText(list, 0), word);  // what was ended comes first
        const std::string runsOn = LvText(list, 1);
        check::Log("runs on: " + runsOn);
        CHECK_EQ(lstrcmpiA(runsOn.c_str(), "C:\\windows\\system32\\services.exe"), 0);
        CHECK_EQ(LvText(list, 1, 1), language.state);
        CHECK_EQ(LvText(list, 0, 1), language.locale[0] == 'e' ? "ended" : "beendet");
        // The row's tip says why, under the real mouse (once the tips' window is made).
        const std::optional<POINT> row = LvItemOnScreen(list, 1);
        REQUIRE(row.has_value());
        CHECK(WaitUntil([&] { return HasTipWindow(norvanex.pid()); }));
        RECT client{};
        GetClientRect(list, &client);
        POINT below{client.right / 2, client.bottom - 4};  // list space without a row
        ClientToScreen(list, &below);
        CHECK(HoverForTip(norvanex.pid(), main, below, *row, language.tip).value_or("").rfind(language.tip, 0) == 0);
        // The ended entry is written in the window text colour, the one that runs on in grey.
        for (int item : {0, 1}) {
            const std::optional<RECT> label = LvItemRect(list, item, LVIR_LABEL);
            REQUIRE(label.has_value());
            POINT corners[2] = {{label->left, label->top}, {label->right, label->bottom}};
            MapWindowPoints(list, nullptr, corners, 2);
            const Image shot = Capture({corners[0].x, corners[0].y, corners[1].x, corners[1].y});
            auto rgb = [](COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); };
            int grey = 0, plain = 0;
            for (int y = 0; y < shot.height; ++y) {
                for (int x = 0; x < shot.width; ++x) {
                    const std::uint32_t pixel = shot.Pixel(x, y);
                    grey += pixel == static_cast<std::uint32_t>(rgb(GetSysColor(COLOR_GRAYTEXT)));
                    plain += pixel == static_cast<std::uint32_t>(rgb(GetSysColor(COLOR_WINDOWTEXT)));
                }
            }
            check::Log("entry " + std::to_string(item) + ": " + std::to_string(grey) + " grey, " +
                       std::to_string(plain) + " plain text pixels");
            CHECK(item == 0 ? (plain > 20 && grey == 0) : (grey > 20 && plain == 0));
        }
        Screenshot(language.shot, main);
        CHECK(PressOk(norvanex, main));
        CHECK_EQ(norvanex.WaitExit().value_or(99), 2u);  // a named program runs on
    }
}

// A spared program named alone is treated as beside another: no question, since nothing would be
// ended for it, and the same result window with it in grey.
CASE(SparedProgramAloneShowsTheSameWindow) {
    const std::vector<DWORD> services = ProcessesNamed("services.exe");
    REQUIRE(!services.empty());
    Process norvanex = StartKillRun("~ask~ services.exe");
    HWND main = nullptr;
    REQUIRE(WaitUntil([&] {
        return FindDialog(norvanex.pid(), "Bestätigung") != nullptr ||
               (main = FindTopWindow(norvanex.pid(), kResultCaption, "TMainForm")) != nullptr || !norvanex.Running();
    }));
    CHECK(FindDialog(norvanex.pid(), "Bestätigung") == nullptr);
    REQUIRE(main != nullptr);
    CHECK(ProcessesNamed("services.exe") == services);
    HWND list = ChildById(main, kListView1);
    REQUIRE_EQ(LvCount(list), 1);
    CHECK_EQ(lstrcmpiA(LvText(list, 0).c_str(), "C:\\windows\\system32\\services.exe"), 0);
    CHECK_EQ(LvText(list, 0, 1), "still running: part of Windows");
    CHECK(PressOk(norvanex, main));
}

// Started from a folder deeper than MAX_PATH, the program still knows its version; Create refuses
// with a message instead of writing a shortcut with an empty target, and F1 says why it opens
// nothing.
CASE(StartedFromAFolderBeyondMaxPath) {
    std::wstring folder;
    for (char c : ScratchFolder()) folder += static_cast<wchar_t>(c);  // ASCII
    folder = L"\\\\?\\" + folder;
    while (folder.size() < 4 + 262 - 13) {
        folder += L"\\a-folder-of-thirty-characters";
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    const std::wstring exe = folder + L"\\Norvanex.exe";
    const std::string source = NorvanexExe();
    REQUIRE(CopyFileW(std::wstring(source.begin(), source.end()).c_str(), exe.c_str(), FALSE));
    const std::string path(exe.begin() + 4, exe.end());
    check::Log("started from " + std::to_string(path.size()) + " characters");
    REQUIRE(path.size() > MAX_PATH);

    // Under Wine CreateProcess takes no path of this length; a Unix shell starts it as a user's
    // file manager would.
    const std::string unixFolder = UnixPath(ScratchFolder()) + "/" + path.substr(ScratchFolder().size() + 1);
    std::string unixPath = unixFolder;
    std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
    REQUIRE(RunHost("cd " + QuoteArg(unixPath.substr(0, unixPath.find_last_of('/'))) +
                    " && (wine ./Norvanex.exe </dev/null >/dev/null 2>&1 &)") == std::optional<int>(0));
    HWND main = nullptr;
    REQUIRE(WaitUntil([&] { return (main = FindTopWindow(0, kEditorCaptionEn, "TMainForm")) != nullptr; }));
    HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, PidOf(main));
    REQUIRE(handle != nullptr);
    Process norvanex(handle, PidOf(main), "Norvanex.exe");
    PostMessageA(main, WM_COMMAND, kSelectFile, 0);
    HWND open = norvanex.WaitDialog("Chose programms to kill");
    REQUIRE(open != nullptr);
    REQUIRE(ConfirmFileDialog(open, "C:\\windows\\notepad.exe"));
    REQUIRE(WaitUntil([&] { return LvCount(ChildById(main, kListView1)) == 1; }));
    Click(ChildById(main, kBitBtn1));
    HWND box = norvanex.WaitDialog("Fehler");
    REQUIRE(box != nullptr);
    bool named = false;
    for (HWND child : Children(box)) named = named || Text(child).rfind("Norvanex lies in a folder too deep for a shortcut:\r", 0) == 0;
    CHECK(named);
    CHECK(!Screenshot("create-too-deep-en", box).empty());
    Click(ButtonByCaption(box, "OK"));
    CHECK(WaitUntil([&] { return !IsWindow(box); }));
    CHECK(FindDialog(norvanex.pid(), "Save as") == nullptr);

    CHECK(PressKey(ChildById(main, kListView1), VK_F1));
    box = norvanex.WaitDialog("Fehler");
    CHECK(box != nullptr);
    if (box) Click(ButtonByCaption(box, "OK"));
    CloseBySystemMenu(main);
    CHECK(norvanex.WaitExit().has_value());
}

// Named, the program itself is no reason to ask; the window says that it runs on as Norvanex
// itself, and that counts as gone for the exit code: it ends with the window.
CASE(NoQuestionForItself) {
    Process norvanex = StartKillRun("~ask~ Norvanex.exe");
    HWND main = nullptr;
    WaitUntil([&] {
        return FindDialog(norvanex.pid(), "Bestätigung") != nullptr ||
               (main = FindTopWindow(norvanex.pid(), kResultCaption, "TMainForm")) != nullptr;
    });
    CHECK(FindDialog(norvanex.pid(), "Bestätigung") == nullptr);
    REQUIRE(main != nullptr);
    HWND list = ChildById(main, kListView1);
    REQUIRE_EQ(LvCount(list), 1);
    CHECK_EQ(lstrcmpiA(LvText(list, 0).c_str(), NorvanexExe().c_str()), 0);
    CHECK_EQ(LvText(list, 0, 1), "still running: Norvanex itself");
    CHECK(PressOk(norvanex, main));
    CHECK_EQ(norvanex.WaitExit().value_or(99), 0u);
}

// Which logon session a process runs in is Windows' to say: ProcessIdToSessionId, looked up at run
// time (the 9x line's and NT 4.0's kernel32 lack it), is asked once for the run's own process and
// for each copy that a name matches, before it is ended. The relay trace holds only that function
// (RelayInclude). Wine runs everything in one session; a second user's session and the services'
// session 0 only Windows shows.
CASE(AsksEachCopyForItsLogonSession) {
    RelayOnlySessionQuery relay;
    REQUIRE(relay.ok);
    LeaveNoVictims cleanup;
    std::vector<DWORD> expected = StartVictims(CopyToScratch("victim.exe", "sessionvictim.exe"), 2);
    const std::string trace = ScratchFolder() + "\\session-relay.txt";
    StartOptions options;
    options.args = "sessionvictim.exe";
    options.env = {{"WINEDEBUG", "+pid,-all,+relay"}};
    options.stderrPath = trace;
    Process norvanex = Start(NorvanexExe(), options);
    REQUIRE_EQ(norvanex.error(), "");
    HWND main = ResultWindow(norvanex);
    CHECK(ProcessesNamed("sessionvictim.exe").empty());
    CHECK(PressOk(norvanex, main));
    CHECK_EQ(norvanex.WaitExit().value_or(99), 0u);

    // "0104:0108:Call KERNEL32.ProcessIdToSessionId(000000f4,0061fd3c) ret=..." (+pid: this process
    // first), and each call's "Ret" with retval=00000001.
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%04lx:", static_cast<unsigned long>(norvanex.pid()));
    std::vector<DWORD> asked;
    int answered = 0;
    std::ifstream in(trace, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) != 0 || line.find(".ProcessIdToSessionId(") == std::string::npos) continue;
        if (line.find(":Call ") != std::string::npos) {
            asked.push_back(std::strtoul(line.c_str() + line.find('(') + 1, nullptr, 16));
        } else if (line.find(":Ret ") != std::string::npos && line.find("retval=00000001") != std::string::npos) {
            ++answered;
        }
    }
    expected.push_back(norvanex.pid());
    std::sort(expected.begin(), expected.end());
    std::sort(asked.begin(), asked.end());
    CHECK_EQ(asked, expected);
    CHECK_EQ(answered, static_cast<int>(asked.size()));
}

// Code page 932: ア (83 41) and ヂ (83 61) differ only in a trail byte that looks like A and a, and
// the trail byte of 表 (95 5C) looks like a backslash.
CASE(JapaneseNamesEndExactlyTheirPrograms) {
    StartOptions japanese = GeneratedLocale("ja_JP");
    REQUIRE(!japanese.lcAll.empty());
    japanese.idleMs = 0;

    const Cp932Name victims[] = {
        {L"\u30A2.exe", "\x83\x41.exe"},  // ア
        {L"\u30C2.exe", "\x83\x61.exe"},  // ヂ
        {L"\u8868.exe", "\x95\x5C.exe"},  // 表
    };
    std::vector<Process> running;
    for (const Cp932Name& v : victims) running.push_back(StartCp932Victim(v, japanese));

    // ".exe" is no file-name part of 表.exe: nothing is ended, no window.
    StartOptions run = japanese;
    run.idleMs = 5000;
    run.args = ".exe";
    Process dotExe = Start(NorvanexExe(), run);
    CHECK(dotExe.WaitExit().has_value());
    CHECK(running[2].Running());

    // ア.exe ends ア and leaves ヂ running.
    run.args = victims[0].cp932;
    Process norvanex = Start(NorvanexExe(), run);
    HWND main = ResultWindow(norvanex);
    CHECK(running[0].WaitExit(3000).has_value());
    CHECK(running[1].Running());
    CHECK(running[2].Running());
    CHECK_EQ(LvCount(ChildById(main, kListView1)), 1);
    CHECK(PressOk(norvanex, main));

    // Each of the others by its own name.
    run.args = std::string(victims[1].cp932) + " " + victims[2].cp932;
    Process rest = Start(NorvanexExe(), run);
    main = rest.WaitWindow(kTimeout, kResultCaption);
    REQUIRE(main != nullptr);
    CHECK(running[1].WaitExit(3000).has_value());
    CHECK(running[2].WaitExit(3000).has_value());
    CHECK_EQ(LvCount(ChildById(main, kListView1)), 2);
    CHECK(PressOk(rest, main));
}

namespace {

// Sets values of the user's locale overrides for the life of the scope, then puts the old ones
// back. The locale they belong to is set to this process's own, as a program started from here has
// it: Wine writes every override anew at a process's start when they belong to another locale.
struct LocaleOverrides {
    static constexpr const char* kKey = "Control Panel\\International";
    std::vector<std::pair<std::string, std::optional<std::string>>> old;

    explicit LocaleOverrides(const std::string& country) {
        char locale[16];
        std::snprintf(locale, sizeof locale, "%08lx", static_cast<unsigned long>(GetUserDefaultLCID()));
        wchar_t wideName[LOCALE_NAME_MAX_LENGTH] = {};
        LCIDToLocaleName(GetUserDefaultLCID(), wideName, LOCALE_NAME_MAX_LENGTH, 0);
        const std::string localeName(wideName, wideName + wcslen(wideName));  // ASCII, as "en-US"
        for (const auto& [name, value] : {std::pair<std::string, std::string>{"Locale", locale},
                                          {"LocaleName", localeName}, {"iCountry", country}}) {
            old.emplace_back(name, Read(name));
            RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
        }
    }
    ~LocaleOverrides() {
        for (const auto& [name, value] : old) {
            if (value) RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name.c_str(), REG_SZ, value->c_str(), static_cast<DWORD>(value->size() + 1));
            else RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, name.c_str());
        }
    }
    static std::optional<std::string> Read(const std::string& name) {
        char value[128] = {};
        DWORD size = sizeof value - 1;
        if (RegGetValueA(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return {};
        return std::string(value);
    }
};

}  // namespace

// A start that fails (here the language: the locale's country code is no number) leaves no
// invisible process behind: a message says that the program could not start, and it ends when the
// message is read. A run that asks nothing has ended what it names and still opens its program to
// start, before the message; a question that cannot be asked ends nothing and opens nothing.
CASE(FailedStartSaysSoAndStillOpensTheProgramToStart) {
    LeaveNoVictims cleanup;
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    const std::string marker = CopyToScratch("marker.exe", "starter.exe");
    LocaleOverrides noCountry("x");
    struct Case { const char* first; bool walked; } cases[] = {{"", true}, {"~ask~ ", false}};
    for (const Case& c : cases) {
        StartVictims(word, 1);
        Process norvanex = StartKillRun(std::string(c.first) + "winword.exe r:" + marker);
        HWND box = norvanex.WaitDialog("Fehler");
        REQUIRE(box != nullptr);
        if (c.walked) CHECK(WaitUntil([] { return MarkerLines().size() == 1; }));
        if (!c.walked) CHECK(MarkerLines().empty());
        CHECK_EQ(ProcessesNamed("winword.exe").empty(), c.walked);
        CHECK(FindTopWindow(norvanex.pid(), "", "TMainForm") == nullptr);
        bool said = false;
        for (HWND child : Children(box)) said = said || Text(child).rfind("Norvanex could not start and ends.", 0) == 0;
        CHECK(said);
        Click(ButtonByCaption(box, "OK"));
        CHECK_EQ(norvanex.WaitExit().value_or(0), 8u);
    }
}

// A program to start that cannot be opened holds nothing up: no message waits for a user. The
// result window's line says so, with the system's reason in its hint; without a window only the
// exit code tells. So goes a chain of shortcuts that loops, which the shell's resolver would follow
// until its stack runs out: it is never handed over.
CASE(AProgramToStartThatCannotBeOpenedIsReported) {
    LeaveNoVictims cleanup;
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    const std::string loopA = LoopingShortcuts();
    for (const std::string& start : {ScratchFolder() + "\\missing.exe", loopA}) {
        StartVictims(word, 1);
        Process norvanex = StartKillRun("winword.exe r:" + start);
        HWND main = ResultWindow(norvanex);
        HWND label3 = ChildById(main, kLabel3);
        CHECK(WaitUntil([&] { return Text(label3) == "Program could not be started"; }));
        const std::string hint = Hint(ChildById(main, kLabel2)).value_or("");
        check::Log("hint: " + hint);
        CHECK_EQ(hint.rfind(start + "\r\n", 0), 0u);
        CHECK(hint.size() > start.size() + 2);  // the system's words follow
        CHECK(FindDialog(norvanex.pid(), "Fehler") == nullptr);
        if (start != loopA) Screenshot("result-not-started-en", main);
        CHECK(PressOk(norvanex, main));
        CHECK_EQ(norvanex.WaitExit().value_or(99), 4u);

        Process alone = StartKillRun("r:" + start);
        CHECK_EQ(alone.WaitExit().value_or(99), 4u);
        CHECK(FindTopWindow(alone.pid(), "") == nullptr);
    }
}

namespace {

std::wstring WideAscii(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A path of exactly `length` characters in the scratch folder: folders of 100 characters made
// through "\\?\", which takes any length, then a file name that fills it up.
std::string PathOfLength(size_t length) {
    std::string path = ScratchFolder() + "\\long" + std::to_string(length);
    CreateDirectoryW((L"\\\\?\\" + WideAscii(path)).c_str(), nullptr);
    while (length > path.size() + 1 + 100 + 1 + 12) {
        path += "\\" + std::string(100, 'd');
        CreateDirectoryW((L"\\\\?\\" + WideAscii(path)).c_str(), nullptr);
    }
    return path + "\\" + std::string(length - path.size() - 5, 's') + ".exe";
}

}  // namespace

// An "r:" path longer than the editor writes reaches the shell whole. One that cannot be opened is
// reported on the start line like any other (never a blank line and exit code 0), and the line
// shows it cut in its middle. Wine's shell opens no existing file beyond MAX_PATH: not found.
CASE(LongProgramToStartIsOpenedOrReported) {
    LeaveNoVictims cleanup;
    const std::string word = CopyToScratch("victim.exe", "winword.exe");
    struct Case { size_t length; bool exists; bool opens; } cases[] = {
        {255, true, true}, {256, false, false}, {260, false, false}, {300, true, false},
    };
    for (const Case& c : cases) {
        const std::string path = PathOfLength(c.length);
        if (c.exists) REQUIRE(CopyFileW(WideAscii(BesideMe("marker.exe")).c_str(), (L"\\\\?\\" + WideAscii(path)).c_str(), FALSE));
        StartVictims(word, 1);
        Process norvanex = StartKillRun("winword.exe r:" + path);
        HWND main = ResultWindow(norvanex);
        const std::string shown = Text(ChildById(main, kLabel2));
        check::Log(std::to_string(path.size()) + " characters shown as " + shown);
        CHECK(shown.rfind("C:\\", 0) == 0 && shown.find("...") != std::string::npos);
        CHECK(shown.size() > 8 && shown.substr(shown.size() - 8) == "ssss.exe");
        if (c.opens) {
            CHECK(WaitUntil([] { return !MarkerLines().empty(); }, 5000));
        } else {
            CHECK(WaitUntil([&] { return Text(ChildById(main, kLabel3)) == "Program could not be started"; }));
            const std::string hint = Hint(ChildById(main, kLabel2)).value_or("");
            CHECK(hint.rfind(path + "\r\n", 0) == 0 && hint.size() > path.size() + 2);  // the system's words follow
        }
        if (c.length == 300) Screenshot("result-long-start-en", main);
        CHECK(PressOk(norvanex, main));
        CHECK_EQ(norvanex.WaitExit().value_or(99), c.opens ? 0u : 4u);
    }
}

namespace {

// The visible tip window of a process: the result window's focused row's tip while it shows.
HWND ShownTipWindow(DWORD pid) {
    for (HWND w : TopWindows(pid)) {
        if (ClassOf(w) == TOOLTIPS_CLASSA) return w;
    }
    return nullptr;
}

}  // namespace

// By keys alone: Tab into the list shows the first row's reason at the row, Down the next one's,
// read by a screen reader as the tip's name; a key held the window past its 30 seconds, and Tab
// back to OK and Enter end it.
CASE(KeysHoldTheWindowAndReadEachRowsReason) {
    StartVictims(CopyToScratch("victim.exe", "winword.exe"), 1);
    Process norvanex = StartKillRun("winword.exe services.exe");
    HWND main = ResultWindow(norvanex);
    const DWORD shownAt = GetTickCount();
    HWND list = ChildById(main, kListView1);
    REQUIRE_EQ(LvCount(list), 2);
    REQUIRE(PressKey(ChildById(main, kBitBtn1), VK_TAB));
    REQUIRE(WaitUntil([&] { return FocusOf(main) == list; }));
    struct Row { int row; const char* reason; } rows[] = {
        {0, "ended"},
        {1, "A part of Windows: ending it would stop Windows or end your session."},
    };
    for (const Row& r : rows) {
        if (r.row > 0) SendKey(VK_DOWN);
        CHECK(WaitUntil([&] { return ShownTip(norvanex.pid()).value_or("") == r.reason; }, 3000));
        HWND tip = ShownTipWindow(norvanex.pid());
        if (!CHECK(tip != nullptr)) continue;
        // Just below its row, wherever the row is.
        const RECT at = ScreenRect(tip);
        const std::optional<POINT> row = LvItemOnScreen(list, r.row);
        REQUIRE(row.has_value());
        CHECK(at.top > row->y && at.top - row->y < 20);
        const std::optional<std::wstring> name = AccessibleName(tip);
        check::Log("the tip's accessible name: " + std::string(name ? "given" : "none"));
        CHECK(name.has_value() && *name == std::wstring(r.reason, r.reason + strlen(r.reason)));
    }
    CHECK(WaitPainted(main));
    CHECK(!Screenshot("result-focus-tip-en").empty());
    // Past the 30 seconds after which an untouched result window closes by itself.
    const DWORD passed = GetTickCount() - shownAt;
    CHECK(!norvanex.WaitExit(passed < 33000 ? 33000 - passed : 0).has_value());
    CHECK(Visible(main));
    SendKey(VK_TAB);
    CHECK(WaitUntil([&] { return FocusOf(main) == ChildById(main, kBitBtn1); }));
    CHECK(!ShownTip(norvanex.pid()).has_value());
    SendKey(VK_RETURN);
    CHECK(norvanex.WaitExit().has_value());
}
