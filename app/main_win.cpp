// Norvanex: the program body. One executable, two faces: with parameters a kill run, without
// them the shortcut editor.
#include <windows.h>
#include <commctrl.h>

#include "base/ComApartment_win.h"
#include "base/CommonControls_win.h"
#include "app/MainUnit.h"
#include "process/ProcessAccess.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace norvanex;

    // Which Windows family this is, once, before any window exists.
    Processes().CheckPlatform();

    App().exePath = ReadOwnPath();

    // A kill run ends what its call line names first; nothing is left to show when the question
    // was refused, or when nothing was ended and nothing is to be started.
    KillWalk walk;
    const bool killRun = !ParamStr(1).empty();
    if (killRun) {
        if (!RunHandler([&] { walk = RunKillWalk(); })) return 0;
        if (walk.LeavesNothing()) return 0;
    }

    // COM, the about box and the task chooser wait for their first use: the first picture needs
    // none of them. The apartment, once entered, is left after the windows have gone.
    ComApartmentScope com;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    comctl::InitCommonControlsEx(&controls);

    // The main window builds the result window or the editor.
    TMainForm mainForm(killRun ? &walk : nullptr);
    if (!mainForm.Create(instance)) return 1;

    return RunMessageLoop(mainForm.hwnd(), mainForm.Accelerators(), [&] { return mainForm.Tooltip(); });
}
