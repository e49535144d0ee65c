// What the editor binds at its first use, as the user waits for it: from the command (Info, Insert
// from the task list, Choose, Create) until the window it opens is visible and answers messages,
// the first time and the second time in one editor. Each action gets a fresh editor, so that its
// first use pays for every binding it needs itself. Several builds of the editor can be named (the
// one before a change beside the one after it); they take turns, each action and run in turn.
//   firstuse_bench.exe OUTPUT-FILE RUNS [IMMEDIATE] EDITOR.exe [EDITOR.exe...]
// The editors lie beside this program; it needs a display (the driver's bench).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "driver/Driver.h"

namespace {

[[noreturn]] void Fail(const char* what) { bench::Fail("firstuse_bench", what); }

struct Action {
    const char* name;
    int command;             // the WM_COMMAND id the editor's button or menu item sends
    const char* className;   // of the window it opens ("#32770": a common dialog)
    bool needsEntry;         // Create stays disabled until the list holds a program
};

constexpr Action kActions[] = {
    {"Info (about box)", 106, "TInfos", false},
    {"Insert from the task list (chooser)", 201, "TTaskSelect", false},
    {"Choose (open dialog)", 104, "#32770", false},
    {"Create (save dialog)", 1, "#32770", true},
};

HWND FindOpened(DWORD pid, const Action& action) {
    for (HWND window : driver::TopWindows(pid)) {
        if (driver::ClassOf(window) == action.className) return window;
    }
    return nullptr;
}

// Milliseconds from posting the command until its window is visible and has answered a message;
// the window is closed again (its close box, or Cancel in a common dialog) before this returns.
double TimeOpening(HWND editor, DWORD pid, const Action& action) {
    const double start = bench::NowMs();
    PostMessageA(editor, WM_COMMAND, MAKEWPARAM(action.command, BN_CLICKED), 0);
    HWND opened = nullptr;
    if (!bench::WaitFor([&] { return (opened = FindOpened(pid, action)) != nullptr; }, 1)) Fail("nothing opened");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(opened, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    const double elapsed = bench::NowMs() - start;
    if (action.className == std::string("#32770")) {
        PostMessageA(opened, WM_COMMAND, IDCANCEL, 0);
    } else {
        PostMessageA(opened, WM_CLOSE, 0, 0);
    }
    if (!bench::WaitFor([&] { return !IsWindowVisible(opened) && IsWindowEnabled(editor); }, 5)) {
        Fail("the window did not close");
    }
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) Fail("usage: firstuse_bench.exe OUTPUT-FILE RUNS EDITOR.exe [EDITOR.exe...]");
    const int runs = std::max(3, std::atoi(argv[2]));
    std::vector<std::string> editors(argv + 3, argv + argc);
    const bool immediate = editors.front() == "IMMEDIATE";
    if (immediate) editors.erase(editors.begin());
    if (editors.empty()) Fail("no editor named");
    const std::string entry = bench::Folder() + "\\bench_victim.exe";

    // times[editor][action][0: first, 1: second]
    std::vector<std::vector<std::vector<std::vector<double>>>> times(
        editors.size(), std::vector<std::vector<std::vector<double>>>(std::size(kActions), std::vector<std::vector<double>>(2)));
    for (int run = 0; run < runs; ++run) {
        for (std::size_t a = 0; a < std::size(kActions); ++a) {
            for (std::size_t e = 0; e < editors.size(); ++e) {
                driver::Process editor = driver::Start(driver::BesideMe(editors[e]));
                if (!editor) Fail("cannot start the editor");
                HWND main = driver::FindTopWindow(editor.pid(), "", "TMainForm");
                if (!main) Fail("no editor window");
                // A user's first command comes after a look at the window, not within its first
                // half second; with IMMEDIATE it comes at once (what the editor binds after
                // appearing is then not bound yet).
                if (!immediate) Sleep(1000);
                if (kActions[a].needsEntry) {
                    if (!driver::DropFiles(main, POINT{20, 40}, {entry}) ||
                        !bench::WaitFor([&] { return IsWindowEnabled(driver::ChildById(main, 1)) != FALSE; })) {
                        Fail("the list took no program");
                    }
                }
                for (int use = 0; use < 2; ++use) times[e][a][use].push_back(TimeOpening(main, editor.pid(), kActions[a]));
                PostMessageA(main, WM_CLOSE, 0, 0);
                if (!editor.WaitExit(10000)) editor.Terminate();
            }
        }
    }

    std::string table = "| action | editor | first use | second use | first less second |\n|---|---|---:|---:|---:|\n";
    for (std::size_t a = 0; a < std::size(kActions); ++a) {
        for (std::size_t e = 0; e < editors.size(); ++e) {
            const double first = bench::Median(times[e][a][0]), second = bench::Median(times[e][a][1]);
            char row[300];
            std::snprintf(row, sizeof row, "| %s | %s | %.1f ms | %.1f ms | %+.1f ms |\n", kActions[a].name,
                          editors[e].c_str(), first, second, first - second);
            table += row;
        }
    }
    std::fputs(table.c_str(), stdout);
    std::ofstream(argv[1], std::ios::binary) << table;
    return 0;
}
