// Norvanex: the program body. One executable, two faces: with parameters a kill run, without
// them the shortcut editor.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <optional>

#include "base/CommonControls_win.h"
#include "app/MainUnit.h"
#include "process/ProcessAccess.h"
#include "ui/Info.h"
#include "ui/TaskSel.h"

namespace {

// COM on the GUI thread, apartment-threaded, as the shell's dialogs and its link object need it.
// ole32 is bound at this first call (a delay-load import), so a kill run never loads it.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_ = false;
};

}  // namespace

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

    std::optional<ComApartment> com;
    if (!killRun) com.emplace();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    comctl::InitCommonControlsEx(&controls);

    // The windows of the whole run, in this order; the first builds the result window or the editor.
    TMainForm mainForm(killRun ? &walk : nullptr);
    if (!mainForm.Create(instance)) return 1;
    TInfos infos;
    infos.Create(instance, mainForm.hwnd());
    mainForm.SetAboutBox(&infos);
    TaskSelect().Create(instance, mainForm.hwnd());

    return RunMessageLoop(mainForm.hwnd(), mainForm.Accelerators());
}
