// Planted DLLs: a copy of Norvanex.exe in a download folder that also holds DLLs named like the
// system DLLs it and its system DLLs load by bare name, started from a current folder holding the
// same. Neither the editor nor a kill run with its question loads one of them: none records its
// loading, and Wine's loader trace (+loaddll) names no DLL from either folder, version.dll from the
// system folder and comctl32.dll from the side-by-side store (common controls 6, as the manifest
// binds them).
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "ui/InfoLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

constexpr const char* kPlanted[] = {"version",  "uxtheme", "dwmapi", "propsys", "cryptbase",
                                    "cryptsp",  "profapi", "userenv", "winmm",  "msimg32",
                                    "oleacc",   "wtsapi32", "apphelp", "comctl32"};

// Wine prefers its own DLL to one that it finds on the search path unless told otherwise: native
// first for every planted name, for Norvanex.exe alone while this lives (the registry's
// AppDefaults; a child does not take WINEDLLOVERRIDES from an environment block), so that a planted
// DLL that the search reaches is really loaded and records it.
struct NativeFirst {
    static constexpr const char* kApp = "Software\\Wine\\AppDefaults\\Norvanex.exe";
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\Norvanex.exe\\DllOverrides";
    bool ok = true;
    NativeFirst() {
        for (const char* dll : kPlanted) {
            ok = ok && RegSetKeyValueA(HKEY_CURRENT_USER, kKey, dll, REG_SZ, "native,builtin", 15) == ERROR_SUCCESS;
        }
    }
    ~NativeFirst() {
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, kApp);
    }
};

// A folder in the scratch folder holding planted.dll under every name of kPlanted.
std::string PlantedFolder(const std::string& name) {
    const std::string folder = ScratchFolder() + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* dll : kPlanted) {
        REQUIRE(CopyFileA(BesideMe("planted.dll").c_str(), (folder + "\\" + dll + ".dll").c_str(), FALSE));
    }
    return folder;
}

// The "<dll>.loaded" records in a folder.
std::vector<std::string> Records(const std::string& folder) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA((folder + "\\*.loaded").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return found;
    do found.push_back(data.cFileName); while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

struct LoadedDll {
    DWORD pid;
    std::string path;  // lower case
};

// The loads of a trace: lines "0020:0024:trace:loaddll:build_module Loaded L"C:\\x\\y.dll" at ...",
// the process id first (+pid), the path with its backslashes doubled.
std::vector<LoadedDll> Loads(const std::string& tracePath) {
    std::vector<LoadedDll> loads;
    std::ifstream in(tracePath, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const size_t loaded = line.find("Loaded L\"");
        if (line.find(":trace:loaddll:") == std::string::npos || loaded == std::string::npos) continue;
        const size_t start = loaded + 9, end = line.find('"', start);
        if (end == std::string::npos) continue;
        std::string path;
        for (size_t i = start; i < end; ++i) {
            if (line[i] == '\\' && i + 1 < end && line[i + 1] == '\\') ++i;
            path += line[i];
        }
        loads.push_back({static_cast<DWORD>(std::strtoul(line.c_str(), nullptr, 16)), Lower(path)});
    }
    return loads;
}

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

std::string WindowsFolder(UINT(WINAPI* read)(LPSTR, UINT)) {
    char folder[MAX_PATH];
    const UINT length = read(folder, MAX_PATH);
    return Lower(std::string(folder, length < MAX_PATH ? length : 0));
}

StartOptions Traced(const std::string& trace, const std::string& current, const std::string& args = "") {
    StartOptions options;
    options.args = args;
    options.workDir = current;
    options.env = {{"WINEDEBUG", "+pid,-all,+loaddll"}};
    options.stderrPath = trace;
    return options;
}

void OpenInsertMenu(const Editor& editor) {
    Click(editor.Get(kBitBtn2));
    REQUIRE(WaitUntil([&] { return FindTopWindow(editor.process.pid(), "", "#32768") != nullptr; }));
}

}  // namespace

CASE(LoadsNoPlantedDll) {
    LeaveNoVictims cleanup;
    const NativeFirst nativeFirst;
    REQUIRE(nativeFirst.ok);
    const std::string downloads = PlantedFolder("Downloads");
    const std::string current = PlantedFolder("Current");
    const std::string exe = downloads + "\\Norvanex.exe";
    REQUIRE(CopyFileA(NorvanexExe().c_str(), exe.c_str(), FALSE));
    const std::string victim = CopyToScratch("victim.exe", "plantvictim.exe");
    const std::string link = ScratchFolder() + "\\plant.lnk";
    const std::string editorTrace = ScratchFolder() + "\\loaddll-editor.txt";
    const std::string runTrace = ScratchFolder() + "\\loaddll-killrun.txt";

    // The editor: both entries of the insert menu, the about box, Create's save dialog.
    DWORD editorPid = 0;
    {
        Editor editor(Traced(editorTrace, current), kEditorCaptionEn, exe);
        editorPid = editor.process.pid();
        OpenInsertMenu(editor);
        SendKey('P');
        REQUIRE(ConfirmTitledDialog(editor.process, "Chose programms to kill", victim));
        CHECK(WaitUntil([&] { return editor.Entries() == 1; }));

        OpenInsertMenu(editor);
        SendKey('T');
        HWND chooser = editor.process.WaitDialog("Choose tasks to kill");
        REQUIRE(chooser != nullptr);
        CHECK(WaitListRows(chooser) != nullptr);
        CloseBySystemMenu(chooser);
        CHECK(WaitUntil([&] { return !IsWindowVisible(chooser); }));

        Click(editor.Get(kBitBtn9));
        HWND about = editor.process.WaitDialog("Info");
        REQUIRE(about != nullptr);
        Click(ChildById(about, kInfoBitBtn1));
        CHECK(WaitUntil([&] { return !IsWindowVisible(about); }));

        REQUIRE(WaitUntil([&] { return Enabled(editor.Get(kBitBtn1)); }));
        Click(editor.Get(kBitBtn1));
        CHECK(ConfirmTitledDialog(editor.process, "Save as", link));
        CHECK(WaitUntil([&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; }));
        CHECK(editor.Close());
    }

    // A kill run that asks first, then asks a program with a window to close, and shows its result.
    StartOptions windowed;
    windowed.args = "close";
    windowed.idleMs = 0;
    Process closer = Start(CopyToScratch("windowed.exe", "plantcloser.exe"), windowed);
    REQUIRE(WaitStartedUp(closer));
    Process run = Start(exe, Traced(runTrace, current, "~ask~ ~close~ plantcloser.exe"));
    REQUIRE_EQ(run.error(), "");
    HWND question = run.WaitDialog("Bestätigung");
    REQUIRE(question != nullptr);
    Click(ButtonByCaption(question, "&Ja"));
    HWND result = ResultWindow(run);
    CHECK_EQ(closer.WaitExit().value_or(0), 41u);  // closed by itself
    CHECK(WaitUntil([&] { return Text(ChildById(result, kBitBtn1)) == "&OK"; }));
    CHECK(PressOk(run, result));
    CHECK_EQ(run.WaitExit().value_or(99), 0u);

    for (const std::string& folder : {downloads, current}) CHECK_EQ(Records(folder), std::vector<std::string>{});

    const std::string system = WindowsFolder(GetSystemDirectoryA);
    const std::string sideBySide = WindowsFolder(GetWindowsDirectoryA) + "\\winsxs\\x86_microsoft.windows.common-controls_";
    struct Expected {
        const char* dll;
        std::string folder;  // where every load of it comes from (a prefix of its folder)
    };
    const Expected expected[] = {{"version.dll", system}, {"comctl32.dll", sideBySide}};
    const std::vector<LoadedDll> loads[] = {Loads(editorTrace), Loads(runTrace)};
    const DWORD pids[] = {editorPid, run.pid()};
    for (int i = 0; i < 2; ++i) {
        CHECK(loads[i].size() > 10);  // the trace was taken and read
        for (const LoadedDll& load : loads[i]) {
            if (load.path == Lower(exe)) continue;
            if (!CHECK(Folder(load.path) != Lower(downloads) && Folder(load.path) != Lower(current))) {
                check::Log("loaded from a planted folder: " + load.path);
            }
        }
        for (const Expected& want : expected) {
            int count = 0;
            for (const LoadedDll& load : loads[i]) {
                if (load.pid != pids[i] || FileName(load.path) != want.dll) continue;
                ++count;
                if (!CHECK_EQ(Folder(load.path).compare(0, want.folder.size(), want.folder), 0)) check::Log(load.path);
            }
            // The editor shows its version (version.dll); both build common controls.
            if (i == 0 || want.dll == std::string("comctl32.dll")) CHECK(count > 0);
        }
    }
}
