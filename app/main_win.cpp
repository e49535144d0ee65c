// Norvanex: the program body. One executable, two faces: with parameters a kill run, without
// them the shortcut editor.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/AppInfo.h"
#include "base/AppInfo_win.h"
#include "base/ComApartment_win.h"
#include "base/CommonControls_win.h"
#include "base/SystemDll_win.h"
#include "base/SystemFacts_win.h"
#include "app/KillRunStart_win.h"
#include "app/MainUnit_win.h"
#include "process/ProcessAccess.h"

// The C runtime's entry point (mingw-w64 crtexe.c), which starts the runtime and calls WinMain.
extern "C" int WinMainCRTStartup();

// The process starts here (the link names it with -e): the DLL search is kept to the system folder
// before the C runtime's start-up, a static constructor or the delay-load helper can load a DLL.
// Only kernel32 and the C runtime, the static imports, are loaded by then.
extern "C" int NorvanexStartup() {
    norvanex::RestrictDllSearch();
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace norvanex;

    // Something unexpected (out of memory, a broken rule) ends the program with a word, wherever
    // it happens (RunHandler).
    SetCannotGoOnMessage(SayCannotGoOn);

    // The running system's facts, read here, once, before any window: every later question is
    // answered from them.
    const SystemFacts& facts = ThisSystem();

    // The program's shared facts, written once before any window reads them.
    App().exePath = facts.ownPath;
    App().helpFile = HelpFilePath(App().exePath, facts.leadBytes);

    // The call line, split once: with parameters a kill run, without them the editor. A kill run
    // ends what its call line names first; nothing is left to show when the question was refused,
    // or when nothing was ended and nothing is to be started.
    const CallParams& params = ThisCallLine();
    SystemRunDesktop desktop;
    CallLineNames names;
    KillRunMachine run(Processes(), desktop, std::ref(names));
    const bool killRun = !params(1).empty();
    if (killRun) {
        // A walk that failed, or whose question could not be put, has ended nothing: it says so.
        if (!RunHandler([&] { BeginKillRun(run, params); }) || run.CouldNotAsk()) return StartFailed(nullptr);
        if (run.phase() == KillRunMachine::Phase::Done) return run.ExitCode();
    }

    // The DLLs that system DLLs ask for by bare name, from the system folder, before the window
    // and the shell bind theirs; a kill run has ended what it names by now.
    PreloadSystemDlls();

    std::unique_ptr<ShellWarmUp> shell;
    if (killRun) {
        // The result window shows the icons of what was ended and of the program to start: the
        // shell starts on a thread of its own while the window is built.
        const KillWalk& walk = run.Walk();
        std::vector<std::string> paths;
        for (const ResultRow& row : walk.rows) paths.push_back(row.caption);
        if (walk.startNamed && desktop.ShellMayTakeProgram(walk.programToStart)) paths.push_back(walk.programToStart);
        shell = std::make_unique<ShellWarmUp>(App().exePath.substr(0, 3), std::move(paths));
    }

    // COM, the about box and the task chooser wait for their first use: the first picture needs
    // none of them. The apartment, once entered, is left after the windows have gone.
    ComApartmentScope com;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    comctl::InitCommonControlsEx(&controls);

    // The main window builds the result window or the editor. Without it the program says so and
    // ends; a kill run still opens its program to start.
    TMainForm mainForm(killRun ? &run : nullptr, killRun ? &desktop : nullptr, shell.get());
    if (!mainForm.Create(instance)) return StartFailed(killRun ? &run : nullptr);

    return RunMessageLoop(mainForm.hwnd(), mainForm.Accelerators(), [&] { return mainForm.Tooltip(); },
                          [&](const MSG& msg) { mainForm.Heard(msg); });
}
