// Older Windows versions: Norvanex.exe started in Wine's NT 4.0 and Windows 2000 modes (editor
// and kill run), and the run-time lookups taking their older way where a function is missing, as
// on Windows 95 (CoInitializeEx without DCOM) and NT 4.0 (GetLongPathNameA).
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "base/AppInfo_win.h"
#include "base/ComApartment_win.h"
#include "base/SystemFunction_win.h"

using namespace driver;
using namespace norvanex;

namespace {

// Wine answers GetVersionEx with the version that HKCU\Software\Wine\AppDefaults\<exe>\Version
// names, for that executable alone.
constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\Norvanex.exe";
bool SetVersionMode(const std::string& version) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)) return false;
    const LONG status = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                                       static_cast<DWORD>(version.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
// Takes the version away again however the case ends, so later cases see today's Windows.
struct VersionModeGone {
    ~VersionModeGone() { RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults); }
};

// The functions that Windows 95 or NT 4.0 lack, taken away; the names asked for are noted.
std::vector<std::string> asked;
FARPROC WithoutNewerFunctions(const char* dll, const char* name) {
    asked.push_back(name);
    if (std::strcmp(name, "CoInitializeEx") == 0 || std::strcmp(name, "GetLongPathNameA") == 0) return nullptr;
    const HMODULE module = LoadLibraryA(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}

// On a thread of its own (a fresh COM state): enters the program's apartment and reports whether
// it is a single-threaded one that makes the shell's link object.
struct ApartmentSeen {
    HRESULT multithreaded = E_FAIL;  // CoInitializeEx(MTA) afterwards: RPC_E_CHANGED_MODE in an STA
    HRESULT link = E_FAIL;
};
DWORD WINAPI EnterAndLook(void* out) {
    auto& seen = *static_cast<ApartmentSeen*>(out);
    ComApartmentScope scope;
    EnterComApartment();
    seen.multithreaded = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(seen.multithreaded)) CoUninitialize();
    IShellLinkA* link = nullptr;
    seen.link = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link));
    if (link) link->Release();
    return 0;
}

ApartmentSeen EnterOnNewThread() {
    ApartmentSeen seen;
    const HANDLE thread = CreateThread(nullptr, 0, EnterAndLook, &seen, 0, nullptr);
    WaitForSingleObject(thread, kTimeout);
    CloseHandle(thread);
    return seen;
}

}  // namespace

// One scenario per version mode: the editor shows its texts, a kill run ends its victim and lists it.
CASE(StartsAndEndsInNt4AndWindows2000Modes) {
    const VersionModeGone cleanup;
    const std::string victim = CopyToScratch("victim.exe", "winword.exe");
    for (const char* version : {"nt40", "win2k"}) {
        check::Log(std::string("mode ") + version);
        REQUIRE(SetVersionMode(version));

        Editor editor;
        HWND main = editor.main;
        CHECK_EQ(Text(ChildById(main, kLabel1)), "&Programms to close");
        CHECK_EQ(Text(ChildById(main, kLabel2)), "No programm chosen");
        CHECK_EQ(Text(ChildById(main, kBitBtn2)), "&Insert");
        CHECK_EQ(Text(ChildById(main, kBitBtn4)), "&Exit");
        Screenshot(std::string("editor-") + version, main);
        Click(ChildById(main, kBitBtn4));
        CHECK_EQ(editor.process.WaitExit().value_or(99), 0u);

        const std::vector<DWORD> pids = StartWindowless(victim, 1);
        REQUIRE_EQ(pids.size(), 1u);
        Process run = Start(NorvanexExe(), "winword.exe");
        HWND result = ResultWindow(run);
        CHECK(WaitUntil([&] { return !PidRunning(pids[0]); }));
        HWND list = ChildById(result, kListView1);
        REQUIRE_EQ(LvCount(list), 1);
        CHECK_EQ(LvText(list, 0), victim);
        CHECK(PressOk(run, result));
    }
}

// CoInitializeEx missing (Windows 95 without DCOM): CoInitialize enters the same apartment.
// GetLongPathNameA missing (Windows 95, NT 4.0): the walk with FindFirstFileA gives the same long
// names. A 64-bit program that only the 64-bit System32 holds is found there in both ways.
CASE(MissingFunctionsTakeTheOlderWay) {
    const std::string folder = ScratchFolder() + "\\Long Folder Name";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = folder + "\\A Program File.exe";
    REQUIRE(CopyFileA(BesideMe("victim.exe").c_str(), program.c_str(), FALSE));
    char buffer[MAX_PATH] = {};
    REQUIRE(GetShortPathNameA(program.c_str(), buffer, MAX_PATH) > 0);
    const std::string shortProgram = buffer;
    check::Log("short: " + shortProgram);
    REQUIRE(shortProgram != program);

    // Written through Sysnative: a 32-bit process's System32 is the 32-bit one.
    const std::string windows(buffer, GetWindowsDirectoryA(buffer, MAX_PATH));
    const std::string native = windows + "\\Sysnative\\norvanex-tool64.exe";
    REQUIRE(CopyFileA(BesideMe("victim64.exe").c_str(), native.c_str(), FALSE));
    // Its short name from the folder entry (Wine's GetShortPathNameA does not follow Sysnative).
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA(native.c_str(), &entry);
    REQUIRE(search != INVALID_HANDLE_VALUE);
    FindClose(search);
    REQUIRE(entry.cAlternateFileName[0] != '\0');
    const std::string system32Short = windows + "\\system32\\" + entry.cAlternateFileName;
    check::Log("short 64-bit: " + system32Short);
    REQUIRE_EQ(GetFileAttributesA(system32Short.c_str()), INVALID_FILE_ATTRIBUTES);

    for (const bool hidden : {false, true}) {
        check::Log(hidden ? "without CoInitializeEx and GetLongPathNameA" : "with every function");
        asked.clear();
        const SystemFunctionLookup previous = ReplaceSystemFunctionLookup(hidden ? WithoutNewerFunctions : nullptr);

        const ApartmentSeen seen = EnterOnNewThread();
        CHECK_EQ(seen.multithreaded, RPC_E_CHANGED_MODE);
        CHECK_EQ(seen.link, S_OK);

        CHECK_EQ(CanonicalPathOf(shortProgram), program);
        CHECK_EQ(CanonicalPathOf(folder + "\\gone\\x.exe"), folder + "\\gone\\x.exe");
        const std::string found = CanonicalPathOf(system32Short);
        CHECK(lstrcmpiA(found.c_str(), (windows + "\\system32\\norvanex-tool64.exe").c_str()) == 0);
        CHECK_EQ(found.substr(found.rfind('\\') + 1), "norvanex-tool64.exe");

        ReplaceSystemFunctionLookup(previous);
        if (hidden) {
            CHECK(std::find(asked.begin(), asked.end(), "CoInitializeEx") != asked.end());
            CHECK(std::find(asked.begin(), asked.end(), "GetLongPathNameA") != asked.end());
        }
    }
    DeleteFileA(native.c_str());
}
