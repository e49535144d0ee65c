// Older Windows versions: Norvanex.exe started in Wine's NT 4.0 and Windows 2000 modes (editor
// and kill run), there also without its manifest, as those systems run it with common controls 5;
// and the run-time lookups taking their older way where a function is missing, as on Windows 95
// (CoInitializeEx without DCOM) and NT 4.0 (GetLongPathNameA).
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "ui/InfoLayout.h"
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

// A copy of Norvanex.exe without its manifest, under the same name (the version mode goes by it):
// Windows 95 to 2000 bind no common controls 6, so its buttons refuse image lists (their window
// class is user32's, which does not know BCM_SETIMAGELIST). The manifest's type in the resource
// directory becomes one no loader reads (RT_MANIFEST 24 to 25, the order kept). Empty when the
// copy cannot be made or holds no manifest.
std::string WithoutManifest() {
    const std::string folder = ScratchFolder() + "\\comctl5";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\Norvanex.exe";
    std::string file = FileBytes(NorvanexExe());
    auto at = [&file](size_t offset) {
        uint32_t value = 0;
        if (offset + 4 <= file.size()) std::memcpy(&value, file.data() + offset, 4);
        return value;
    };
    const size_t pe = at(0x3C), optional = pe + 24;
    const uint32_t resources = at(optional + 96 + 8 * 2);
    const size_t sectionTable = optional + (at(pe + 20) & 0xFFFF);
    size_t root = 0;
    for (uint32_t s = 0; s < (at(pe + 6) & 0xFFFF); ++s) {
        const size_t h = sectionTable + 40u * s;
        if (resources >= at(h + 12) && resources < at(h + 12) + at(h + 16)) root = at(h + 20) + resources - at(h + 12);
    }
    if (root == 0) return {};
    const uint32_t counts = at(root + 12);
    for (uint32_t e = 0; e < (counts & 0xFFFF) + (counts >> 16); ++e) {
        const size_t entry = root + 16 + 8u * e;
        if (at(entry) != 24) continue;
        file[entry] = 25;
        std::ofstream(copy, std::ios::binary) << file;
        const HMODULE image = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        const bool gone = image && !FindResourceA(image, MAKEINTRESOURCEA(1), RT_MANIFEST);
        if (image) FreeLibrary(image);
        return gone ? copy : std::string();
    }
    return {};
}

LONG ButtonType(HWND button) { return GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK; }

HWND PopupMenuOf(DWORD pid) {
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = FindTopWindow(pid, "", "#32768")) != nullptr; }, 3000);
    return menu;
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

// Common controls 5: every glyph button draws itself, and its pictures show each state: Insert
// focused, Create the default button, Exit held down, Delete and Remove disabled, Choose and Info
// as they rest. The insert menu shows its pictures, owner-drawn on NT 4.0 (its key still chooses
// an item) and laid over the menu colour on Windows 2000. With the manifest nothing changes.
CASE(ButtonsAndMenuDrawThemselvesWithCommonControls5) {
    const VersionModeGone cleanup;
    const std::string exe = WithoutManifest();
    REQUIRE(!exe.empty());
    const std::string program = CopyToScratch("victim.exe", "tool.exe");
    const MainControl buttons[] = {kBitBtn1, kBitBtn2, kBitBtn3, kBitBtn4, kBitBtn5, kBitBtn6, kBitBtn9};
    {
        Editor themed;
        for (MainControl id : buttons) CHECK(ButtonType(themed.Get(id)) != BS_OWNERDRAW);
    }
    for (const char* version : {"nt40", "win2k"}) {
        REQUIRE(SetVersionMode(version));
        for (const int dpi : {96, 144}) {
            const std::string shot = std::string(version) + "-" + std::to_string(dpi);
            check::Log("comctl5 " + shot);
            DpiScope scope(dpi);
            Editor editor(StartOptions{}, kEditorCaptionEn, exe);
            for (MainControl id : buttons) CHECK_EQ(ButtonType(editor.Get(id)), BS_OWNERDRAW);
            REQUIRE(editor.DropOnList({program}));
            REQUIRE(editor.WaitSettled());
            SendMessageA(editor.Get(kBitBtn4), BM_SETSTATE, TRUE, 0);
            CHECK(WaitPainted(editor.main));
            CHECK(!Screenshot("comctl5-editor-" + shot, editor.main).empty());
            SendMessageA(editor.Get(kBitBtn4), BM_SETSTATE, FALSE, 0);

            Click(editor.Get(kBitBtn2));
            HWND menu = PopupMenuOf(editor.process.pid());
            REQUIRE(menu != nullptr);
            SendKey(VK_DOWN);  // the first item highlighted
            CHECK(WaitPainted(menu));
            RECT both{};
            const RECT window = ScreenRect(editor.main), popup = ScreenRect(menu);
            UnionRect(&both, &window, &popup);
            CHECK(SavePng(Capture(both), ScreenshotFolder() + "\\comctl5-menu-" + shot + ".png"));
            SendKey('P');
            HWND dialog = editor.process.WaitDialog("Chose programms to kill");
            CHECK(dialog != nullptr);
            if (dialog) CloseBySystemMenu(dialog);
            CHECK(WaitUntil([&] { return FindDialog(editor.process.pid(), "Chose programms to kill") == nullptr; }));

            // The about box: its OK the default button, focused, on the box's white.
            Click(editor.Get(kBitBtn9));
            HWND box = nullptr;
            CHECK(WaitUntil([&] { return (box = FindTopWindow(editor.process.pid(), "Info", "TInfos")) != nullptr; }));
            if (box) {
                CHECK(WaitPainted(box));
                CHECK(!Screenshot("comctl5-about-" + shot, box).empty());
                CloseBySystemMenu(box);
                CHECK(WaitUntil([&] { return !IsWindowVisible(box); }));
            }
            CHECK(editor.Close());
        }
    }
}

namespace {

// Colours of HighContrastScope's black scheme (0xRRGGBB): this process started before it, so its
// own GetSysColor still answers the bench's scheme.
constexpr std::uint32_t kSchemeGrayText = 0x00FF00;
constexpr std::uint32_t kSchemeLink = 0xFFFF00;

// Pixels of one colour inside a window.
int PixelsOf(HWND window, std::uint32_t wanted) {
    const Image image = Capture(ScreenRect(window));
    int count = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) count += image.Pixel(x, y) == wanted;
    }
    return count;
}

}  // namespace

// A high-contrast black scheme, on the face that Windows 95 and NT 4.0 show (owner-drawn buttons
// and menu items): disabled captions in the scheme's grey text, links in its link colour, every
// colour the scheme's; the owner-drawn buttons say which is the default as push buttons do, and
// what a screen reader gets of them and of the menu is logged.
CASE(HighContrastAndScreenReadersOnTheOwnerDrawnFace) {
    const VersionModeGone cleanup;
    const std::string exe = WithoutManifest();
    REQUIRE(!exe.empty());
    REQUIRE(SetVersionMode("nt40"));
    HighContrastScope contrast;
    check::Log(std::string("high-contrast flag taken by this Wine: ") + (contrast.flagSet() && HighContrastOnNow() ? "yes" : "no"));
    Editor editor(StartOptions{}, kEditorCaptionEn, exe);
    REQUIRE(editor.WaitSettled());
    CHECK_EQ(ButtonType(editor.Get(kBitBtn1)), BS_OWNERDRAW);
    // Create is the default button, Exit is not; Create is disabled in the empty editor.
    CHECK_EQ(SendMessageA(editor.Get(kBitBtn1), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    CHECK_EQ(SendMessageA(editor.Get(kBitBtn4), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    const std::optional<LONG> state = AccessibleState(editor.Get(kBitBtn1));
    check::Log("Create's accessible state: " + (state ? std::to_string(*state) : std::string("none")) +
               ((state && (*state & STATE_SYSTEM_DEFAULT)) ? " (default)" : " (no default state from this proxy)"));
    if (HighContrastOnNow()) CHECK(PixelsOf(editor.Get(kBitBtn3), kSchemeGrayText) > 10);
    CHECK(!Screenshot("hc-editor-nt40", editor.main).empty());

    Click(editor.Get(kBitBtn2));
    HWND menu = PopupMenuOf(editor.process.pid());
    REQUIRE(menu != nullptr);
    SendKey(VK_DOWN);
    CHECK(WaitPainted(menu));
    RECT both{};
    const RECT window = ScreenRect(editor.main), popup = ScreenRect(menu);
    UnionRect(&both, &window, &popup);
    CHECK(SavePng(Capture(both), ScreenshotFolder() + "\\hc-menu-nt40.png"));
    const std::optional<std::wstring> item = AccessibleName(menu, OBJID_CLIENT, 1);
    check::Log(std::string("the first menu item's accessible name: ") + (item ? (item->empty() ? "empty" : "given") : "none"));
    if (item && !item->empty()) CHECK(*item == L"Insert program from &tasklist..." || *item == L"Insert program from tasklist...");
    SendKey(VK_ESCAPE);
    CHECK(WaitUntil([&] { return FindTopWindow(editor.process.pid(), "", "#32768") == nullptr; }, 3000));

    Click(editor.Get(kBitBtn9));
    HWND box = nullptr;
    REQUIRE(WaitUntil([&] { return (box = FindTopWindow(editor.process.pid(), "Info", "TInfos")) != nullptr; }));
    CHECK(WaitPainted(box));
    CHECK(PixelsOf(ChildById(box, kInfoLabel4), kSchemeLink) > 20);
    CHECK(!Screenshot("hc-about-nt40", box).empty());
    CloseBySystemMenu(box);
    CHECK(WaitUntil([&] { return !IsWindowVisible(box); }));

    HWND tasks = nullptr;
    HWND chooser = editor.OpenChooser(&tasks);
    REQUIRE(chooser != nullptr);
    SetCursorPos(0, 0);
    CHECK(WaitPainted(chooser));
    CHECK(!Screenshot("hc-chooser-nt40", chooser).empty());
    CloseBySystemMenu(chooser);
    CHECK(WaitUntil([&] { return !IsWindowVisible(chooser); }));
    CHECK(editor.Close());

    StartVictims(CopyToScratch("victim.exe", "winword.exe"), 1);
    Process run = Start(exe, MarkerOptions("", "winword.exe services.exe"));
    HWND result = ResultWindow(run);
    REQUIRE(PressKey(ChildById(result, kBitBtn1), VK_TAB));
    SendKey(VK_DOWN);
    CHECK(WaitUntil([&] { return ShownTip(run.pid()).has_value(); }, 3000));
    CHECK(WaitPainted(result));
    CHECK(!Screenshot("hc-result-nt40").empty());
    CHECK(PressOk(run, result));
}
