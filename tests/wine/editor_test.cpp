// The executable and its editor face under Wine: PE shape, version, the window in both languages,
// no window with parameters, filling the editor as a user does (insert menu, open dialog, keys,
// dragging, dropped files), screenshots at 96 and 144 DPI.
// Timeout: 600
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <utility>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/MainLayout.h"
#include "base/AppInfo.h"
#include "ui/InfoLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

struct Expected {
    MainControl id;
    int left, top, width, height;  // labels: width and height 0, they size to their text
    bool visible, enabled;
    const char *english, *german;            // caption; nullptr: not checked (the list, the image)
    const char *englishHint, *germanHint;    // nullptr: no hint
};

// The editor as it must look at 96 DPI.
const Expected kEditor[] = {
    {kLabel1, 8, 8, 0, 0, true, true, "&Programms to close", "Zu beendende &Programme", nullptr, nullptr},
    {kListView1, 8, 24, 361, 153, true, true, nullptr, nullptr, "Ctrl+O opens a shortcut of Norvanex to edit",
     "Strg+O öffnet eine Verknüpfung von Norvanex zum Bearbeiten"},
    {kBitBtn2, 200, 184, 83, 25, true, true, "&Insert", "E&infügen", "Chose file", "Datei wählen"},
    {kBitBtn3, 288, 184, 83, 25, true, false, "De&lete", "&Löschen", "Removes a programm from the list",
     "Programm aus der Liste löschen"},
    {kCheckBox1, 8, 192, 185, 17, true, true, "Co&nfirmation required", "Bestätigung &notwendig",
     "Ask the user if he raely wants to do that action",
     "Vor Beginn der Aktion wird der User gefragt, ob er wirklich will"},
    {kCheckBox2, 8, 213, 185, 17, true, true, "&Close programs first", "Programme zuerst &schließen",
     "Ask the programs to close first, so that they can save their work",
     "Programme zuerst bitten, sich zu schließen, damit sie speichern können"},
    {kProgImg, 12, 245, 32, 32, true, true, nullptr, nullptr, nullptr, nullptr},
    {kLabel3, 56, 245, 0, 0, true, true, "Programm to run", "Zu startendes Programm", nullptr, nullptr},
    {kLabel2, 56, 263, 0, 0, true, true, "No programm chosen", "Kein Programm gewählt", nullptr, nullptr},
    {kBitBtn5, 200, 252, 83, 25, true, true, "C&hose", "Wä&hlen", "Chose a programm", "Programm wählem"},
    {kBitBtn6, 288, 252, 83, 25, true, false, "Re&move", "En&tfernen", "Remove programm", "Programm entfernen"},
    {kBitBtn9, 8, 293, 83, 25, true, true, "Info", "Info", "About Norvanex", "Über Norvanex"},
    {kBitBtn1, 200, 293, 83, 25, true, false, "C&reate", "E&rstellen", "Create Shortcut", "Verknüpfung erstellen"},
    {kBitBtn4, 288, 293, 83, 25, true, true, "&Exit", "B&eenden", "Exit programm", "Programm beenden"},
};

// The bevels, which the window draws: the dark and the light line of each, where no control lies.
const struct {
    int x, y;
    int color;
} kBevelLines[] = {
    {100, 0, COLOR_BTNSHADOW},   {100, 1, COLOR_BTNHIGHLIGHT}, {376, 100, COLOR_BTNHIGHLIGHT},  // Bevel4
    {100, 236, COLOR_BTNSHADOW}, {100, 237, COLOR_BTNHIGHLIGHT},                                // Bevel1
    {8, 261, COLOR_BTNSHADOW},   {48, 261, COLOR_BTNHIGHLIGHT},                                 // Bevel3
    {100, 285, COLOR_BTNSHADOW}, {100, 286, COLOR_BTNHIGHLIGHT},                                // Bevel2
};

void CheckEditor(const std::string& lcAll, bool german) {
    Editor editor(lcAll, german ? kEditorCaptionDe : kEditorCaptionEn);
    HWND main = editor.main;
    check::Log("locale " + (lcAll.empty() ? std::string("C") : lcAll));
    CHECK_EQ(editor.process.Windows().size(), 1u);
    CHECK_EQ(ClassOf(main), "TMainForm");
    CHECK(!Topmost(main));
    const SIZE client = ClientSize(main);
    CHECK_EQ(client.cx, 377);
    CHECK_EQ(client.cy, 326);

    for (const Expected& e : kEditor) {
        HWND control = CheckPlace(main, e.id, e.left, e.top, e.width, e.height);
        if (!control) continue;
        CHECK_EQ(Visible(control), e.visible);
        CHECK_EQ(Enabled(control), e.enabled);
        if (e.english) CHECK_EQ(Text(control), std::string(german ? e.german : e.english));
        const std::optional<std::string> hint = Hint(control);
        if (e.englishHint) {
            CHECK_EQ(hint.value_or("(no hint)"), std::string(german ? e.germanHint : e.englishHint));
        } else {
            CHECK(!hint || hint->empty());
        }
    }
    CHECK_EQ(CheckState(ChildById(main, kCheckBox1)), BST_CHECKED);
    CHECK_EQ(CheckState(ChildById(main, kCheckBox2)), BST_UNCHECKED);
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    for (const auto& line : kBevelLines) {
        const COLORREF c = GetSysColor(line.color);
        const std::uint32_t expected = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        const RECT at{origin.x + line.x, origin.y + line.y, origin.x + line.x + 1, origin.y + line.y + 1};
        CHECK(WaitUntil([&] { return Capture(at).Pixel(0, 0) == expected; }, 2000));
    }
    CHECK(editor.Close());
}

// Reads a little-endian value at `offset` of a file image.
template <class T>
T At(const std::string& file, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= file.size()) std::memcpy(&value, file.data() + offset, sizeof(T));
    return value;
}

// What Windows 95 and NT 4.0 both export, by DLL (win95-nt4-exports.txt beside this program).
std::map<std::string, std::set<std::string>> OldestExports() {
    std::map<std::string, std::set<std::string>> exports;
    std::string dll;
    for (const std::string& line : FileLines(BesideMe("win95-nt4-exports.txt"))) {
        if (line[0] == '#') continue;
        if (line[0] == '[') {
            dll = line.substr(1, line.find(']') - 1);
        } else {
            exports[dll].insert(line);
        }
    }
    return exports;
}

}  // namespace

// Every function Norvanex.exe imports, statically or delay-loaded, exists on Windows 95 and NT 4.0,
// so that the program loads there and no first call fails; the delay-load table is filled in the
// header (data directory 13) and ends in a null descriptor.
CASE(ExecutableIsAGuiPe32ImportingOnlySystemDlls) {
    const std::string file = FileBytes(NorvanexExe());
    REQUIRE(file.size() > 1024);
    REQUIRE_EQ(At<uint16_t>(file, 0), 0x5A4D);  // MZ
    const uint32_t pe = At<uint32_t>(file, 0x3C);
    REQUIRE_EQ(At<uint32_t>(file, pe), 0x00004550u);  // PE\0\0
    CHECK_EQ(At<uint16_t>(file, pe + 4), 0x014C);     // i386
    const size_t optional = pe + 24;
    CHECK_EQ(At<uint16_t>(file, optional), 0x010B);   // PE32
    CHECK_EQ(At<uint16_t>(file, optional + 68), 2);   // IMAGE_SUBSYSTEM_WINDOWS_GUI
    // Windows 95 and NT 4.0 load only images that ask for subsystem version 4.0 or lower.
    CHECK(At<uint16_t>(file, optional + 48) <= 4);

    // Imports: map the directories' RVAs through the section table.
    const uint16_t sections = At<uint16_t>(file, pe + 6);
    const size_t sectionTable = optional + At<uint16_t>(file, pe + 20);
    auto fileOffset = [&](uint32_t rva) -> size_t {
        for (uint16_t s = 0; s < sections; ++s) {
            const size_t h = sectionTable + 40u * s;
            const uint32_t va = At<uint32_t>(file, h + 12), size = At<uint32_t>(file, h + 16);
            if (rva >= va && rva < va + size) return At<uint32_t>(file, h + 20) + (rva - va);
        }
        return 0;
    };
    auto upper = [](std::string text) {
        for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        return text;
    };
    const std::map<std::string, std::set<std::string>> allowed = OldestExports();
    REQUIRE(allowed.size() >= 9);
    // The names that a descriptor's name table lists: each an RVA of a hint and a name, none by
    // ordinal (an ordinal is no promise across Windows versions).
    auto checkNames = [&](const std::string& dll, uint32_t nameTable, size_t& count) {
        const auto found = allowed.find(dll);
        CHECK(found != allowed.end());
        for (size_t t = fileOffset(nameTable); t != 0 && At<uint32_t>(file, t) != 0; t += 4) {
            const uint32_t entry = At<uint32_t>(file, t);
            if (!CHECK((entry & 0x80000000u) == 0)) continue;
            const size_t name = fileOffset(entry);
            REQUIRE(name != 0);
            const std::string function(file.data() + name + 2);
            ++count;
            if (found == allowed.end() || found->second.count(function) == 0) {
                check::Log("not on Windows 95 and NT 4.0: " + dll + " " + function);
                CHECK(false);
            }
        }
    };

    std::set<std::string> imported;
    size_t staticCount = 0;
    const uint32_t importRva = At<uint32_t>(file, optional + 96 + 8);
    REQUIRE(importRva != 0);
    for (size_t d = fileOffset(importRva); d != 0 && At<uint32_t>(file, d + 12) != 0; d += 20) {
        const size_t name = fileOffset(At<uint32_t>(file, d + 12));
        REQUIRE(name != 0);
        const std::string dll = upper(file.data() + name);
        check::Log("imports " + dll);
        imported.insert(dll);
        checkNames(dll, At<uint32_t>(file, d) != 0 ? At<uint32_t>(file, d) : At<uint32_t>(file, d + 16), staticCount);
    }
    // Loaded with the process: kernel32 and the C runtime alone. Every other DLL is bound at its
    // first call, so that a kill run ends what it names before anything else is loaded.
    CHECK_EQ(imported.size(), 2u);
    CHECK_EQ(imported.count("KERNEL32.DLL"), 1u);
    CHECK_EQ(imported.count("MSVCRT.DLL"), 1u);

    // Delay-load descriptors (32 bytes, RVA form): each names its DLL, its module handle slot, its
    // address table and its name table; the last is all zero.
    const uint32_t delayRva = At<uint32_t>(file, optional + 96 + 8 * 13);
    const uint32_t delaySize = At<uint32_t>(file, optional + 96 + 8 * 13 + 4);
    REQUIRE(delayRva != 0);
    const size_t delay = fileOffset(delayRva);
    REQUIRE(delay != 0);
    std::set<std::string> delayed;
    size_t delayCount = 0;
    size_t d = delay;
    for (; At<uint32_t>(file, d + 4) != 0; d += 32) {
        CHECK_EQ(At<uint32_t>(file, d), 1u);  // dlattrRva
        const size_t name = fileOffset(At<uint32_t>(file, d + 4));
        REQUIRE(name != 0);
        const std::string dll = upper(file.data() + name);
        check::Log("delay-loads " + dll);
        CHECK(At<uint32_t>(file, d + 8) != 0 && At<uint32_t>(file, d + 12) != 0);
        delayed.insert(dll);
        checkNames(dll, At<uint32_t>(file, d + 16), delayCount);
    }
    for (size_t field = 0; field < 32; field += 4) CHECK_EQ(At<uint32_t>(file, d + field), 0u);
    CHECK_EQ(delaySize, d + 32 - delay);
    CHECK(delayed == (std::set<std::string>{"ADVAPI32.DLL", "COMDLG32.DLL", "GDI32.DLL", "OLE32.DLL",
                                             "SHELL32.DLL", "USER32.DLL", "VERSION.DLL"}));
    check::Log("functions: " + std::to_string(staticCount) + " static, " + std::to_string(delayCount) + " delay-loaded");
    CHECK(delayCount > 100);
}

CASE(VersionResourceReads4300) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(NorvanexExe().c_str(), &ignored);
    REQUIRE(size > 0);
    std::vector<char> block(size);
    REQUIRE(GetFileVersionInfoA(NorvanexExe().c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    REQUIRE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length));
    CHECK_EQ(info->dwFileVersionMS, 0x00040003u);
    CHECK_EQ(info->dwFileVersionLS, 0u);
    CHECK_EQ(info->dwProductVersionMS, 0x00040003u);
    CHECK_EQ(info->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));  // both families, not NT alone
    char* product = nullptr;
    REQUIRE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductName",
                           reinterpret_cast<void**>(&product), &length));
    CHECK_EQ(std::string(product), "Norvanex");
}

// The icon in every size that Explorer asks for, from 16 at 96 DPI to its largest views.
CASE(IconHoldsEverySize) {
    const HMODULE exe = LoadLibraryExA(NorvanexExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(exe != nullptr);
    const HRSRC group = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    REQUIRE(group != nullptr);
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(exe, group)));
    REQUIRE(dir != nullptr);
    std::vector<int> sizes;
    const int count = dir[4] | dir[5] << 8;
    for (int i = 0; i < count; ++i) sizes.push_back(dir[6 + 14 * i] == 0 ? 256 : dir[6 + 14 * i]);
    std::sort(sizes.begin(), sizes.end());
    CHECK_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    FreeLibrary(exe);
}

CASE(EditorInEnglish) {
    for (const char* locale : {"", "en_US.UTF-8", "en_GB.UTF-8", "fi_FI.UTF-8"}) CheckEditor(locale, false);
}

CASE(EditorInGerman) {
    for (const char* locale : {"de_DE.UTF-8", "de_CH.UTF-8", "de_AT.UTF-8", "lb_LU.UTF-8", "fr_CH.UTF-8"}) {
        CheckEditor(locale, true);
    }
}

CASE(ExitButtonAndEscapeEndTheEditor) {
    Editor byButton;
    Click(byButton.Get(kBitBtn4));
    CHECK_EQ(byButton.process.WaitExit().value_or(99), 0u);

    Editor byEscape;
    PostKey(byEscape.Get(kBitBtn2), VK_ESCAPE);
    CHECK(byEscape.process.WaitExit().has_value());
}

CASE(ParameterMeansNoWindow) {
    Process norvanex = Start(NorvanexExe(), "nothing-runs-under-this-name.exe");
    REQUIRE_EQ(norvanex.error(), "");
    const std::optional<DWORD> exit = norvanex.WaitExit();
    CHECK(exit.has_value());
    CHECK(norvanex.Windows().empty());
}

// The pictures of the editor: both languages at 96 and 144 DPI, named "<what>-<language>-<dpi>".
const struct Shot {
    int dpi;
    const char *locale, *caption, *suffix;
} kShots[] = {
    {96, "en_US.UTF-8", kEditorCaptionEn, "-en-96"},
    {96, "de_DE.UTF-8", kEditorCaptionDe, "-de-96"},
    {144, "en_US.UTF-8", kEditorCaptionEn, "-en-144"},
    {144, "de_DE.UTF-8", kEditorCaptionDe, "-de-144"},
};

CASE(Screenshots) {
    for (const Shot& s : kShots) {
        DpiScope dpi(s.dpi);
        Editor editor(s.locale, s.caption);
        HWND main = editor.main;
        // At 144 DPI every design position grows by half.
        const SIZE client = ClientSize(main);
        CHECK_EQ(client.cx, s.dpi == 96 ? 377 : 566);
        CHECK_EQ(client.cy, s.dpi == 96 ? 326 : 489);
        const RECT exit = RectInParent(ChildById(main, kBitBtn4));
        CHECK_EQ(exit.left, s.dpi == 96 ? 288 : 432);
        CHECK(editor.WaitSettled());  // the title bar drawn active
        CHECK(!Screenshot(std::string("editor") + s.suffix, main).empty());
        CHECK(editor.Close());
    }
}

// ---- The editor at work ---------------------------------------------------------------------------

namespace {

HWND PopupMenuOf(DWORD pid) {
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = FindTopWindow(pid, "", "#32768")) != nullptr; }, 3000);
    return menu;
}

// Files in the scratch folder whose icons differ: copies of the program itself (its own icon) and
// of a helper without an icon resource.
std::string ToolCopy(const std::string& name) { return CopyToScratch("Norvanex.exe", name); }
std::string PlainCopy(const std::string& name) { return CopyToScratch("victim.exe", name); }

// A control as the screen shows it once its painting is over.
Image SettledImage(HWND control) {
    WaitPainted(control, 100, 3000);
    return Capture(ScreenRect(control));
}

// The program image as the screen shows it, painted anew.
Image ImageOf(HWND progImg) {
    RedrawWindow(progImg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return SettledImage(progImg);
}

struct DropRequest {
    HWND main;
    POINT at;
    std::string file;
};

DWORD WINAPI DropInThread(void* parameter) {
    const auto* request = static_cast<const DropRequest*>(parameter);
    return DropFiles(request->main, request->at, {request->file}) ? 0 : 1;
}

}  // namespace

CASE(InsertButtonAndInsKeyOpenTheMenuAtOnePlace) {
    for (int dpi : {96, 144}) {
        DpiScope scope(dpi);
        Editor editor;
        REQUIRE(editor.WaitSettled());
        const RECT window = ScreenRect(editor.main);
        const RECT button = RectInParent(editor.Get(kBitBtn2));
        // The window's outer corner plus the button's place in the client area, 12 design pixels up.
        const POINT expected{window.left + button.left, window.top + button.top - (dpi == 96 ? 12 : 18)};

        Click(editor.Get(kBitBtn2));
        HWND menu = PopupMenuOf(editor.process.pid());
        REQUIRE(menu != nullptr);
        const RECT byButton = ScreenRect(menu);
        CHECK_EQ(byButton.left, expected.x);
        CHECK_EQ(byButton.top, expected.y);
        if (dpi == 96) {
            CHECK(WaitPainted(menu));
            RECT both{};
            UnionRect(&both, &window, &byButton);
            CHECK(SavePng(Capture(both), ScreenshotFolder() + "\\editor-menu-en-96.png"));
        }
        SendKey(VK_ESCAPE);
        REQUIRE(WaitUntil([&] { return !IsWindowVisible(menu); }, 3000));

        CHECK(PressKey(editor.List(), VK_INSERT));
        menu = PopupMenuOf(editor.process.pid());
        REQUIRE(menu != nullptr);
        const RECT byKey = ScreenRect(menu);
        CHECK_EQ(byKey.left, byButton.left);
        CHECK_EQ(byKey.top, byButton.top);
        // Its accelerators choose an item: P opens the dialog for programs to end.
        SendKey('P');
        HWND dialog = editor.process.WaitDialog("Chose programms to kill");
        CHECK(dialog != nullptr);
        if (dialog) CloseBySystemMenu(dialog);
        CHECK(WaitUntil([&] { return FindDialog(editor.process.pid(), "Chose programms to kill") == nullptr; }));
        CHECK_EQ(LvCount(editor.List()), 0);
        CHECK(editor.Close());
    }
}

CASE(OpenDialogAddsTheChosenFilesInItsOrder) {
    struct Case {
        const char *locale, *caption, *title, *filter;
        int count, nameLength;
    } cases[] = {
        {"", kEditorCaptionEn, "Chose programms to kill", "Executables", 3, 5},
        {"de_DE.UTF-8", kEditorCaptionDe, "Zu beendende Programme wählen", "Ausführbare Dateien", 3, 5},
        // A hundred long names fill more than any small buffer: every one must arrive whole.
        {"", kEditorCaptionEn, "Chose programms to kill", "Executables", 100, 120},
    };
    for (const Case& c : cases) {
        Editor editor(c.locale, c.caption);
        std::vector<std::string> expected;
        std::string typed;
        for (int i = c.count; i >= 1; --i) {  // the dialog's order is the typed one, not the alphabet
            std::string name = std::to_string(i);
            name = std::string(static_cast<size_t>(std::max(0, c.nameLength - static_cast<int>(name.size()))), 'n') + name + ".exe";
            expected.push_back(PlainCopy(name));
            typed += "\"" + name + "\" ";
        }
        PostMessageA(editor.main, WM_COMMAND, kSelectFile, 0);
        HWND dialog = editor.process.WaitDialog(c.title);
        REQUIRE(dialog != nullptr);
        CHECK(ChildByText(dialog, "ComboBox", c.filter) != nullptr);  // the first file type shown
        // Into the folder first, then the names, as a user types them.
        REQUIRE(ConfirmFileDialog(dialog, ScratchFolder()));
        // The dialog shows the folder: its list holds the last file, with or without its extension.
        const std::string last = expected.back().substr(expected.back().rfind('\\') + 1);
        const std::string stem = last.substr(0, last.size() - 4);
        CHECK(WaitUntil([&] {
            HWND files = ChildByText(dialog, WC_LISTVIEWA, "");
            const std::vector<std::string> names = files ? LvTexts(files) : std::vector<std::string>{};
            return std::count(names.begin(), names.end(), last) + std::count(names.begin(), names.end(), stem) > 0;
        }));
        REQUIRE(ConfirmFileDialog(dialog, typed));
        CHECK(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
        CHECK(WaitUntil([&] { return LvCount(editor.List()) == c.count; }));
        const std::vector<std::string> listed = LvTexts(editor.List());
        CHECK_EQ(listed.size(), expected.size());
        for (size_t i = 0; i < std::min(listed.size(), expected.size()); ++i) CHECK_EQ(Lower(listed[i]), Lower(expected[i]));
        CHECK(Enabled(editor.Get(kBitBtn1)));
        CHECK_EQ(Hint(editor.List()).value_or("(none)"),
                 std::string(c.locale[0] ? "Doppelclick für Details, Strg+O öffnet eine Verknüpfung von Norvanex zum Bearbeiten"
                                         : "double-click for details, Ctrl+O opens a shortcut of Norvanex to edit"));
        CHECK(editor.Close());
    }
}

// More than any buffer set aside for 100 files of the longest name: selected in the dialog's list,
// every file arrives.
CASE(OpenDialogTakesASelectionOfAnySize) {
    const std::string folder = ScratchFolder() + "\\many";
    CreateDirectoryA(folder.c_str(), nullptr);
    constexpr int kFiles = 140;
    std::vector<std::string> expected;
    for (int i = 0; i < kFiles; ++i) {
        char number[8];
        snprintf(number, sizeof number, "%03d", i);
        const std::string path = folder + "\\" + std::string(200, 'm') + number + ".exe";
        CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        expected.push_back(path);
    }
    Editor editor;
    PostMessageA(editor.main, WM_COMMAND, kSelectFile, 0);
    HWND dialog = editor.process.WaitDialog("Chose programms to kill");
    REQUIRE(dialog != nullptr);
    REQUIRE(ConfirmFileDialog(dialog, folder));
    // The dialog's list of the folder; the dialog may still be reading the new folder's changes and
    // build its list again (a new window), which drops a selection: select once it stands still,
    // the same window with every file for half a second.
    HWND files = nullptr;
    auto findFiles = [&] {
        files = ChildByText(dialog, WC_LISTVIEWA, "");
        return files && IsWindowVisible(files) && LvCount(files) == kFiles;
    };
    auto standsStill = [&] {
        HWND seen = nullptr;
        DWORD since = GetTickCount();
        return WaitUntil([&] {
            if (!findFiles() || files != seen) {
                seen = files;
                since = GetTickCount();
            }
            return seen && GetTickCount() - since >= 500;
        });
    };
    REQUIRE(WaitUntil(findFiles));
    auto allSelected = [&] { return findFiles() && static_cast<int>(LvSelected(files).size()) == kFiles; };
    for (int attempt = 0; attempt < 5 && !allSelected(); ++attempt) {
        if (!standsStill()) continue;
        // Every file selected, as Ctrl+A or Shift+End would: the dialog hears of each change.
        RemoteMemory memory(files, sizeof(LVITEMA));
        LVITEMA change{};
        change.stateMask = LVIS_SELECTED;
        change.state = LVIS_SELECTED;
        if (!memory || !memory.Write(0, &change, sizeof change)) continue;
        DWORD_PTR done = 0;
        SendMessageTimeoutA(files, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(memory.At()),
                            SMTO_ABORTIFHUNG, kTimeout, &done);
        WaitUntil(allSelected, 2000);
    }
    REQUIRE(allSelected());
    Click(GetDlgItem(dialog, IDOK));
    CHECK(WaitUntil([&] { return LvCount(editor.List()) == kFiles; }));
    std::vector<std::string> listed = LvTexts(editor.List());
    for (std::string& text : listed) text = Lower(text);
    for (std::string& text : expected) text = Lower(text);
    std::sort(listed.begin(), listed.end());
    CHECK(listed == expected);
    CHECK(editor.Close());
}

// The chooser as the editor uses it: the checked rows join the list in one go, in row order, once
// each; Abort and the close box add nothing, whatever is checked.
CASE(TaskChooserAddsTheCheckedRows) {
    const std::string first = CopyToScratch("victim.exe", "chosenone.exe");
    const std::string second = CopyToScratch("victim.exe", "chosentwo.exe");
    REQUIRE(StartWindowless(first, 2).size() == 2u);  // two instances: two equal rows
    REQUIRE(StartWindowless(second, 1).size() == 1u);
    enum Leave { Ok, Abort, CloseBox };
    struct Case { Leave leave; bool added; } cases[] = {{Abort, false}, {CloseBox, false}, {Ok, true}};
    Editor editor;
    for (const Case& c : cases) {
        HWND tasks = nullptr;
        HWND chooser = editor.OpenChooser(&tasks);
        REQUIRE(chooser != nullptr);
        // Check, in reverse row order, every row of the two helpers (three rows).
        const std::vector<std::string> rows = LvTexts(tasks);
        int checked = 0;
        for (int row = static_cast<int>(rows.size()) - 1; row >= 0; --row) {
            const std::string name = Lower(rows[static_cast<size_t>(row)]);
            if (name.find("chosen") == std::string::npos) continue;
            CHECK(LvSelect(tasks, row) && PressKey(tasks, VK_SPACE));
            ++checked;
        }
        CHECK_EQ(checked, 3);
        CHECK(WaitUntil([&] {
            int ticked = 0;
            for (int row = 0; row < static_cast<int>(rows.size()); ++row) ticked += LvChecked(tasks, row);
            return ticked == 3;
        }));
        switch (c.leave) {
            case Ok: Click(GetDlgItem(chooser, IDOK)); break;
            case Abort: Click(GetDlgItem(chooser, IDCANCEL)); break;
            case CloseBox: CloseBySystemMenu(chooser); break;
        }
        CHECK(WaitUntil([&] { return !IsWindowVisible(chooser); }));
        CHECK(WaitUntil([&] { return Enabled(editor.main); }));
        CHECK(Answers(editor.main));  // the handler that showed the chooser is over
        std::vector<std::string> listed = LvTexts(editor.List());
        for (std::string& text : listed) text = Lower(text);
        // Row order, the second instance of one program dropped as a duplicate.
        std::vector<std::string> expected;
        for (const std::string& row : rows) {
            const std::string name = Lower(row);
            if (name.find("chosen") != std::string::npos &&
                std::find(expected.begin(), expected.end(), name) == expected.end()) {
                expected.push_back(name);
            }
        }
        CHECK_EQ(listed, c.added ? expected : std::vector<std::string>{});
        CHECK_EQ(Enabled(editor.Get(kBitBtn1)), c.added);
    }
    CHECK(editor.Close());
}

// Wine's shell gives every file here one icon and a folder another, so a folder stands in for a
// program with an icon of its own.
CASE(ProgramToStartChosenRemovedAndChosenAgain) {
    const std::string tool = ToolCopy("tool.exe");
    const std::string folder = ScratchFolder();
    const std::string folderName = folder.substr(folder.rfind('\\') + 1);
    Editor editor;
    HWND image = editor.Get(kProgImg);
    HWND label = editor.Get(kLabel2);
    const Image empty = ImageOf(image);
    CHECK_EQ(empty.DistinctColors(), 1);

    struct Step { const std::string* chosen; std::string shown; bool byDialog, remove; } steps[] = {
        {&tool, "tool.exe", true, true},
        {&folder, folderName, false, false},  // dropped onto the image
        {&tool, "tool.exe", true, false},     // chosen over another one
    };
    std::vector<Image> shown;
    for (const Step& step : steps) {
        if (step.byDialog) {
            Click(editor.Get(kBitBtn5));
            HWND dialog = editor.process.WaitDialog("Chose programm to run");
            REQUIRE(dialog != nullptr);
            REQUIRE(ConfirmFileDialog(dialog, *step.chosen));
        } else {
            CHECK(editor.DropOnImage({*step.chosen}));
        }
        CHECK(WaitUntil([&] { return Text(label) == step.shown; }));
        CHECK_EQ(Hint(label).value_or("(none)"), *step.chosen);
        CHECK_EQ(editor.Buttons(), (std::vector<bool>{false, false, true}));
        shown.push_back(ImageOf(image));
        CHECK(shown.back().DistinctColors() > 4);
        CHECK_EQ(LvCount(editor.List()), 0);  // the program to start is not one to end
        if (!step.remove) continue;
        Click(editor.Get(kBitBtn6));
        CHECK(WaitUntil([&] { return Text(label) == "No programm chosen"; }));
        CHECK(!Hint(label) || Hint(label)->empty());
        CHECK(!Enabled(editor.Get(kBitBtn6)));
        CHECK(ImageOf(image).rgb == empty.rgb);
    }
    REQUIRE_EQ(shown.size(), 3u);
    CHECK(shown[0].rgb != shown[1].rgb);  // the new program's icon, not the old one
    CHECK(shown[1].rgb != shown[2].rgb);
    CHECK(shown[0].rgb == shown[2].rgb);
    CHECK(editor.Close());
}

CASE(DraggingAnEntryOntoTheImageMakesItTheProgramToStart) {
    const std::string first = PlainCopy("first.exe"), second = ToolCopy("second.exe");
    Editor editor;
    REQUIRE(editor.DropOnList({first, second}));
    REQUIRE_EQ(LvCount(editor.List()), 2);
    struct Drag { int item; MainControl onto; const char* shown; bool escape; } drags[] = {
        {1, kBitBtn5, "No programm chosen", false},  // only the image takes a drop
        {1, kProgImg, "second.exe", false},
        {0, kProgImg, "first.exe", false},
        {1, kProgImg, "first.exe", true},  // Escape ends the drag, not the editor: nothing is dropped
    };
    // Escape with the button held over the image; the drag has ended when the editor lets the mouse go.
    auto escape = [&] {
        SendKey(VK_ESCAPE);
        CHECK(WaitUntil([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            const DWORD thread = GetWindowThreadProcessId(editor.main, nullptr);
            return GetGUIThreadInfo(thread, &info) && info.hwndCapture != editor.main;
        }));
    };
    for (const Drag& d : drags) {
        const auto from = LvItemOnScreen(editor.List(), d.item);
        REQUIRE(from.has_value());
        Sleep(GetDoubleClickTime() + 100);  // two presses on one place would be a double-click
        const std::function<void()> beforeRelease = d.escape ? escape : std::function<void()>{};
        CHECK(MouseDrag(*from, CenterOnScreen(editor.Get(d.onto)), editor.List(), beforeRelease));
        CHECK(editor.process.Running());
        CHECK(WaitUntil([&] { return Text(editor.Get(kLabel2)) == d.shown; }, 3000));
        CHECK_EQ(LvTexts(editor.List()), (std::vector<std::string>{first, second}));  // the entry stays
        CHECK_EQ(Enabled(editor.Get(kBitBtn6)), std::string(d.shown) != "No programm chosen");
    }
    CHECK_EQ(Hint(editor.Get(kLabel2)).value_or("(none)"), first);
    CHECK(editor.Close());
}

CASE(DeleteAndDelLeaveTheButtonsAsTheyShould) {
    // A file of a type with an icon of its own in the middle, between program files.
    OwnIconType iconType;
    const std::string picture = ScratchFolder() + "\\two" + OwnIconType::kExtension;
    { std::ofstream(picture) << "a file with an icon of its own"; }
    const std::vector<std::string> files = {PlainCopy("one.exe"), picture, PlainCopy("three.exe")};
    Editor editor;
    CHECK_EQ(editor.Buttons(), (std::vector<bool>{false, false, false}));
    REQUIRE(editor.DropOnList(files));
    auto icons = [&] {
        std::vector<int> images;
        for (int i = 0; i < LvCount(editor.List()); ++i) images.push_back(LvGet(editor.List(), i).value_or(LvItem{}).image);
        return images;
    };
    const std::vector<int> before = icons();
    CHECK(before.size() == 3 && before[1] != before[2]);

    // One entry at a time: Shift with an arrow moves the selection instead of widening it.
    const auto first = LvItemOnScreen(editor.List(), 0);
    REQUIRE(first.has_value());
    CHECK(MouseClick(*first, editor.List()));
    CHECK(PressKey(editor.List(), VK_DOWN, {VK_SHIFT}));
    WaitUntil([&] { return LvSelected(editor.List()) == std::vector<int>{1}; });
    CHECK_EQ(LvSelected(editor.List()), (std::vector<int>{1}));
    CHECK(LvSelect(editor.List(), -1));

    enum Action { ClickItem, ClickEmpty, DeleteButton, DelInList, DelElsewhere };
    struct Step { Action action; int item; std::vector<std::string> left; std::vector<bool> buttons; } steps[] = {
        {ClickEmpty, -1, files, {true, false, false}},      // Delete follows the selection, not the click
        {DeleteButton, -1, files, {true, false, false}},    // disabled: nothing happens
        {ClickItem, 0, files, {true, true, false}},
        {DeleteButton, -1, {files[1], files[2]}, {true, false, false}},
        {DelInList, -1, {files[1], files[2]}, {true, false, false}},  // no entry selected
        {ClickItem, 1, {files[1], files[2]}, {true, true, false}},
        {DelElsewhere, -1, {files[1], files[2]}, {true, true, false}},  // the list lacks the focus
        {DelInList, -1, {files[1]}, {true, false, false}},
        {ClickItem, 0, {files[1]}, {true, true, false}},
        {DelInList, -1, {}, {false, false, false}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& step = steps[i];
        check::Log("step " + std::to_string(i));
        switch (step.action) {
            case ClickItem: {
                const auto at = LvItemOnScreen(editor.List(), step.item);
                REQUIRE(at.has_value());
                CHECK(MouseClick(*at, editor.List()));
                break;
            }
            case ClickEmpty: {
                RECT client{};
                GetClientRect(editor.List(), &client);
                POINT at{client.right - 6, client.bottom - 6};
                ClientToScreen(editor.List(), &at);
                CHECK(MouseClick(at, editor.List()));
                break;
            }
            case DeleteButton: CHECK(ClickAndWait(editor.Get(kBitBtn3))); break;
            case DelInList: CHECK(PressKey(editor.List(), VK_DELETE)); break;
            case DelElsewhere: CHECK(PressKey(editor.Get(kCheckBox1), VK_DELETE)); break;
        }
        // A step that changes nothing shows the state at once; the next step would see a late change.
        WaitUntil([&] { return LvTexts(editor.List()) == step.left && editor.Buttons() == step.buttons; });
        CHECK_EQ(LvTexts(editor.List()), step.left);
        CHECK_EQ(editor.Buttons(), step.buttons);
        if (i == 3) CHECK_EQ(icons(), (std::vector<int>{before[1], before[2]}));  // the others keep their icons
    }
    CHECK_EQ(Hint(editor.List()).value_or("(none)"), "Ctrl+O opens a shortcut of Norvanex to edit");
    CHECK(editor.Close());
}

CASE(FilesDroppedFromOutside) {
    const std::string a = PlainCopy("dropa.exe"), b = ToolCopy("dropb.exe");
    Editor editor;
    struct Drop { bool onImage; std::vector<std::string> files; std::vector<std::string> listed; const char* shown; } drops[] = {
        {false, {a, b}, {a, b}, "No programm chosen"},
        {false, {Lower(a), b}, {a, b}, "No programm chosen"},  // already listed, in any case
        {true, {b, a}, {a, b}, "dropb.exe"},                    // the first one is the program to start
    };
    for (const Drop& d : drops) {
        CHECK(d.onImage ? editor.DropOnImage(d.files) : editor.DropOnList(d.files));
        CHECK_EQ(LvTexts(editor.List()), d.listed);
        CHECK_EQ(Text(editor.Get(kLabel2)), std::string(d.shown));
    }
    CHECK_EQ(editor.Buttons(), (std::vector<bool>{true, false, true}));
    CHECK(editor.process.Running());
    CHECK(editor.Close());
}

CASE(OwnPathIsRefusedWithAnInformationBox) {
    struct Case { const char* locale; const char* caption; const char* first; const char* last; } cases[] = {
        {"", kEditorCaptionEn, "The programm", "is not allowed to chose!"},
        {"de_DE.UTF-8", kEditorCaptionDe, "Das Programm", "darf nicht gewählt werden!"},
    };
    for (const Case& c : cases) {
        Editor editor(c.locale, c.caption);
        // The drop waits for the box, so it runs beside this thread.
        DropRequest request{editor.main, editor.CenterIn(editor.List()), Lower(NorvanexExe())};
        HANDLE thread = CreateThread(nullptr, 0, DropInThread, &request, 0, nullptr);
        REQUIRE(thread != nullptr);
        HWND box = editor.process.WaitDialog("Informationen");
        CHECK(box != nullptr);
        if (box) {
            // The own path between the two parts, each on a line of its own.
            const std::string expected = std::string(c.first) + "\r" + NorvanexExe() + "\r" + c.last;
            HWND text = nullptr;
            for (HWND child : Children(box)) {
                if (ClassOf(child) == "Static" && Text(child).find(c.first) != std::string::npos) text = child;
            }
            CHECK(text != nullptr);
            if (text) CHECK_EQ(Text(text), expected);
            HWND ok = ButtonByCaption(box, "OK");
            CHECK(ok != nullptr);
            if (ok) Click(ok);
        }
        CHECK_EQ(WaitForSingleObject(thread, kTimeout), WAIT_OBJECT_0);
        CloseHandle(thread);
        CHECK_EQ(LvCount(editor.List()), 0);
        CHECK(!Enabled(editor.Get(kBitBtn1)));
        CHECK(editor.Close());
    }
}

// Folders are no programs, and the program itself is refused in every spelling of its path; each
// refusal is a box, and the list stays empty. On the picture a folder is taken (the shell opens it),
// and a long name there stays clear of the buttons beside it, whole in its hint.
CASE(FoldersAndOtherSpellingsOfItselfAreRefused) {
    const std::string exe = NorvanexExe();
    const std::string folder = ModuleFolder();
    const std::string parent = folder.substr(0, folder.find_last_of('\\'));
    const std::string leaf = folder.substr(folder.find_last_of('\\') + 1);
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(exe.c_str(), shortName, MAX_PATH);
    std::string slashed = exe;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const std::string scratch = ScratchFolder();
    // The same file through a folder linked on the host: one file identity.
    const std::string linked = UnixPath(scratch) + "/linked";
    REQUIRE(RunHost("ln -sfn " + QuoteArg(UnixPath(folder)) + " " + QuoteArg(linked)) == std::optional<int>(0));
    struct Case { std::string dropped; const char* box; std::string first; } cases[] = {
        {scratch, "Informationen", "The folder"},
        {scratch.substr(0, 3), "Informationen", "The folder"},
        {folder + "\\.\\Norvanex.exe", "Informationen", "The programm"},
        {parent + "\\" + leaf + "\\..\\" + leaf + "\\Norvanex.exe", "Informationen", "The programm"},
        {slashed, "Informationen", "The programm"},
        {shortName, "Informationen", "The programm"},
        {scratch + "\\linked\\Norvanex.exe", "Informationen", "The programm"},
        {"\\\\.\\" + exe, "Informationen", "The programm"},
    };
    Editor editor;
    for (const Case& c : cases) {
        check::Log("dropped " + c.dropped);
        REQUIRE(PostDropFiles(editor.main, editor.CenterIn(editor.List()), {c.dropped}));
        HWND box = editor.process.WaitDialog(c.box);
        REQUIRE(box != nullptr);
        bool named = false;
        for (HWND child : Children(box)) named = named || Text(child).rfind(c.first + "\r", 0) == 0;
        CHECK(named);
        if (c.first == "The folder") CHECK(!Screenshot("folder-refused-en", box).empty());
        Click(ButtonByCaption(box, "OK"));
        CHECK(WaitUntil([&] { return !IsWindow(box); }));
        CHECK_EQ(LvCount(editor.List()), 0);
    }
    CHECK(!Enabled(editor.Get(kBitBtn1)));

    CHECK(editor.DropOnImage({scratch}));
    CHECK_EQ(Text(editor.Get(kLabel2)), scratch.substr(scratch.find_last_of('\\') + 1));
    const std::string longName = PlainCopy("a program_to_start with a rather long name of its own.exe");
    CHECK(editor.DropOnImage({longName}));
    HWND label = editor.Get(kLabel2);
    const std::string shown = Text(label);
    check::Log("shown as " + shown);
    CHECK(shown.rfind("a program", 0) == 0 && shown.find("...") != std::string::npos);
    CHECK(shown.size() > 8 && shown.substr(shown.size() - 8) == " own.exe");
    CHECK(RectInParent(label).right <= RectInParent(editor.Get(kBitBtn5)).left);
    CHECK_EQ(Hint(label).value_or("(no hint)"), longName);
    // The label grew with its longer text, which a narrower label wraps after "a": painted again
    // whole, it looks as it did, no blank patch where its old right edge was.
    const Image painted = SettledImage(label);
    RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    CHECK(SettledImage(label).rgb == painted.rgb);
    SetCursorPos(0, 0);
    CHECK(editor.WaitSettled());
    CHECK(!Screenshot("editor-long-program-to-start", editor.main).empty());
    CHECK(editor.Close());
}

// Code page 932: ソ (83 5C) and 表 (95 5C) end in the byte of a backslash, ア (83 41) does not. The
// chooser lists each with its full path, and a ticked one joins the editor's list once, whole.
CASE(ChooserGivesFullPathsInCodePage932) {
    StartOptions japanese = GeneratedLocale("ja_JP");
    REQUIRE(!japanese.lcAll.empty());
    japanese.idleMs = 0;

    const Cp932Name victims[] = {
        {L"\u30BD.exe", "\x83\x5C.exe"},  // ソ
        {L"\u8868.exe", "\x95\x5C.exe"},  // 表
        {L"\u30A2.exe", "\x83\x41.exe"},  // ア
    };
    const std::string folder = ScratchFolder();
    std::vector<Process> running;
    for (const Cp932Name& v : victims) running.push_back(StartCp932Victim(v, japanese));

    StartOptions options = japanese;
    options.idleMs = 5000;
    Editor editor(options, kEditorCaptionEn);
    HWND tasks = nullptr;
    HWND chooser = editor.OpenChooser(&tasks);
    REQUIRE(chooser != nullptr);
    const std::vector<std::string> rows = LvTexts(tasks);
    for (const Cp932Name& v : victims) {
        const std::string whole = folder + "\\" + v.cp932;
        CHECK_EQ(std::count(rows.begin(), rows.end(), whole), 1);
        CHECK_EQ(std::count(rows.begin(), rows.end(), std::string(v.cp932)), 0);
    }
    const auto so = std::find(rows.begin(), rows.end(), folder + "\\" + victims[0].cp932);
    REQUIRE(so != rows.end());
    CHECK(LvSelect(tasks, static_cast<int>(so - rows.begin())) && PressKey(tasks, VK_SPACE));
    CHECK(WaitUntil([&] { return LvChecked(tasks, static_cast<int>(so - rows.begin())); }));
    Click(GetDlgItem(chooser, IDOK));
    CHECK(WaitUntil([&] { return !IsWindowVisible(chooser); }));
    CHECK(WaitUntil([&] { return LvCount(editor.List()) == 1; }));
    CHECK_EQ(LvTexts(editor.List()), std::vector<std::string>{folder + "\\" + victims[0].cp932});

    // The program's own texts are code page 1252 under every code page: the maker's line starts
    // with the copyright sign, not the katakana that its byte is in code page 932.
    Click(editor.Get(kBitBtn9));
    HWND about = nullptr;
    REQUIRE(WaitUntil([&] { return (about = FindTopWindow(editor.process.pid(), "Info", "TInfos")) != nullptr; }));
    wchar_t maker[64] = {};
    SendMessageTimeoutW(ChildById(about, kInfoLabel5), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(maker), SMTO_BLOCK,
                        kTimeout, nullptr);
    CHECK_EQ(static_cast<unsigned>(maker[0]), 0xA9u);
    CHECK(WaitPainted(about));
    CHECK(!Screenshot("about-cp932", about).empty());
    Click(ChildById(about, kInfoBitBtn1));
    CHECK(WaitUntil([&] { return !IsWindowVisible(about); }));
    CHECK(editor.Close());
}

CASE(ScreenshotsOfAFilledEditor) {
    // Where a user keeps programs, rather than the scratch folder's long name.
    CreateDirectoryA("C:\\Tools", nullptr);
    auto place = [](const char* helper, const std::string& name) {
        const std::string path = "C:\\Tools\\" + name;
        CopyFileA(BesideMe(helper).c_str(), path.c_str(), FALSE);
        return path;
    };
    const std::vector<std::string> files = {place("victim.exe", "winword.exe"), place("victim.exe", "excel.exe"),
                                            place("victim.exe", "outlook.exe")};
    const std::string start = place("Norvanex.exe", "backup.exe");
    for (const Shot& s : kShots) {
        DpiScope dpi(s.dpi);
        Editor editor(s.locale, s.caption);
        CHECK(editor.DropOnList(files));
        CHECK(editor.DropOnImage({start}));
        CHECK_EQ(LvCount(editor.List()), 3);
        SetCursorPos(0, 0);  // no hint over the list in the picture
        CHECK(editor.WaitSettled());
        CHECK(!Screenshot(std::string("editor-filled") + s.suffix, editor.main).empty());
        CHECK(editor.Close());
    }
}

// The editor at 120 and 192 DPI in German from the start, and moved from 96 to 144 DPI and back
// (WM_DPICHANGED, sent: Wine cannot move a window between monitors of their own scales) with the
// Insert menu open: each control of the design where the design puts it at that scale, and the
// name of the program to start cut to its room in the new font.
CASE(FollowsAChangeOfScale) {
    auto checkPlaces = [](HWND main, int dpi) {
        for (const ControlDesign& d : kMainDesign) {
            HWND control = ChildById(main, d.id);
            if (!control || !Visible(control) || d.width == 0) continue;
            const RECT r = RectInParent(control);
            CHECK_EQ(r.left, ScaleToDpi(d.id == kBitBtn1 ? kEditorBitBtn1Left : d.left, dpi));
            CHECK_EQ(r.top, ScaleToDpi(d.top, dpi));
            CHECK_EQ(r.right - r.left, ScaleToDpi(d.id == kBitBtn1 ? kEditorBitBtn1Width : d.width, dpi));
            CHECK_EQ(r.bottom - r.top, ScaleToDpi(d.height, dpi));
        }
    };
    const struct { int dpi; const char *locale, *caption, *name; } starts[] = {
        {120, "de_DE.UTF-8", kEditorCaptionDe, "editor-de-120"},
        {192, "de_DE.UTF-8", kEditorCaptionDe, "editor-de-192"},
        {192, "en_US.UTF-8", kEditorCaptionEn, "editor-en-192"},
    };
    for (const auto& s : starts) {
        DpiScope dpi(s.dpi);
        Editor editor(s.locale, s.caption);
        CHECK_EQ(ClientSize(editor.main).cx, ScaleToDpi(kClientWidth, s.dpi));
        checkPlaces(editor.main, s.dpi);
        CHECK(editor.WaitSettled());
        CHECK(!Screenshot(s.name, editor.main).empty());
        CHECK(editor.Close());
    }

    Editor editor("en_US.UTF-8", kEditorCaptionEn);
    Click(ChildById(editor.main, kBitBtn2));
    HWND menu = PopupMenuOf(editor.process.pid());
    CHECK(menu != nullptr);
    REQUIRE(SendDpiChanged(editor.main, 96, 144));
    checkPlaces(editor.main, 144);
    SendKey(VK_ESCAPE);
    CHECK(WaitUntil([&] { return !Visible(menu); }));
    CHECK(WaitPainted(editor.main));
    CHECK(!Screenshot("editor-en-96-to-144", editor.main).empty());
    REQUIRE(SendDpiChanged(editor.main, 144, 96));
    checkPlaces(editor.main, 96);
    CHECK(editor.Close());
}
