// 64-bit programs, as most programs of a 64-bit Windows are (the bench's prefix is one): the 32-bit
// Norvanex ends a 64-bit victim by bare name and by full path, sparing its namesake in another
// folder, and lists it with its own icon, in the result window and in the task chooser. Wine's shell
// answers every program file here with the same icon index, so what is checked is that the 32-bit
// side reads the 64-bit file's icon and that the lists show the index the shell gives for it. A
// program to start that only the 64-bit System32 holds is started from there.
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "base/AppInfo_win.h"

using namespace driver;
using namespace norvanex;

namespace {

// victim64.exe (with an icon of its own) copied into a folder of the scratch folder.
std::string Copy64(const std::string& folder) {
    const std::string dir = ScratchFolder() + "\\" + folder;
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\tool64.exe";
    CopyFileA(BesideMe("victim64.exe").c_str(), path.c_str(), FALSE);
    return path;
}

}  // namespace

CASE(EndsAndListsA64BitProgram) {
    const std::string first = Copy64("one");
    const std::string second = Copy64("two");
    const std::string plain = CopyToScratch("victim.exe", "plain32.exe");
    const std::vector<DWORD> one = StartWindowless(first, 1);
    REQUIRE_EQ(one.size(), 1u);
    const std::vector<DWORD> both = StartWindowless(second, 1, 1);
    REQUIRE_EQ(both.size(), 2u);
    const DWORD secondPid = both[0] == one[0] ? both[1] : both[0];
    REQUIRE(!StartWindowless(plain, 1).empty());

    // The chooser lists it under its full path, with its own icon (not the plain program's).
    {
        Editor editor;
        HWND tasks = nullptr;
        HWND chooser = editor.OpenChooser(&tasks);
        REQUIRE(chooser != nullptr);
        int firstIcon = -1;
        for (int row = 0; row < LvCount(tasks); ++row) {
            const LvItem item = LvGet(tasks, row).value_or(LvItem{});
            if (lstrcmpiA(item.text.c_str(), first.c_str()) == 0) firstIcon = item.image;
        }
        CHECK(firstIcon >= 0);
        CHECK_EQ(firstIcon, GetFileIconIndexOnly(first));
        Screenshot("chooser-64bit", chooser);
        Click(GetDlgItem(chooser, IDCANCEL));
        CHECK(editor.Close());
    }

    // By full path: that one goes, its namesake in the other folder stays; listed with its icon.
    Process run = Start(NorvanexExe(), QuoteArg(first) + " plain32.exe");
    HWND main = ResultWindow(run);
    CHECK(WaitUntil([&] { return !PidRunning(one[0]); }));
    CHECK(PidRunning(secondPid));
    HWND list = ChildById(main, kListView1);
    REQUIRE_EQ(LvCount(list), 2);
    const LvItem ended = LvGet(list, 0).value_or(LvItem{});
    CHECK_EQ(ended.text, first);
    CHECK_EQ(ended.image, GetFileIconIndex(first));
    CHECK_EQ(ExtractIconExA(first.c_str(), -1, nullptr, nullptr, 0), 1u);
    Screenshot("result-64bit", main);
    CHECK(PressOk(run, main));

    // By bare name: the other one.
    Process bare = Start(NorvanexExe(), "tool64.exe");
    HWND second64 = ResultWindow(bare);
    CHECK(WaitUntil([&] { return !PidRunning(secondPid); }));
    CHECK_EQ(LvText(ChildById(second64, kListView1), 0), second);
    CHECK(PressOk(bare, second64));
}

// "r:" with a System32 path whose program only the 64-bit System32 holds: a 32-bit process asking
// for it there would be sent to SysWOW64 and find nothing; Norvanex starts it through Sysnative.
CASE(StartsA64BitProgramFromSystem32) {
    char windows[MAX_PATH] = {};
    REQUIRE(GetWindowsDirectoryA(windows, MAX_PATH) > 0);
    const std::string native = std::string(windows) + "\\Sysnative\\norvanex-start64.exe";
    const std::string system32 = std::string(windows) + "\\System32\\norvanex-start64.exe";
    REQUIRE(CopyFileA(BesideMe("victim64.exe").c_str(), native.c_str(), FALSE));
    REQUIRE_EQ(GetFileAttributesA(system32.c_str()), INVALID_FILE_ATTRIBUTES);  // redirected: not there
    REQUIRE(ProcessesNamed("norvanex-start64.exe").empty());

    Process run = Start(NorvanexExe(), "r:" + system32);
    CHECK(run.WaitExit().has_value());
    CHECK(WaitUntil([] { return !ProcessesNamed("norvanex-start64.exe").empty(); }));
    for (const DWORD pid : ProcessesNamed("norvanex-start64.exe")) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, kTimeout);
            CloseHandle(process);
        }
    }
    DeleteFileA(native.c_str());
}
