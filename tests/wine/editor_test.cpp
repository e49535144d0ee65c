// The executable and its editor face under Wine: PE shape, version, the window in both languages,
// no window with parameters, screenshots at 96 and 144 DPI.
// Timeout: 400
#include "driver/Check.h"
#include "driver/Driver.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "app/MainLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

struct Expected {
    MainControl id;
    int left, top, width, height;  // labels: width and height 0, they size to their text
    bool visible, enabled;
    const char *english, *german;            // caption; nullptr: not checked (bevels, images)
    const char *englishHint, *germanHint;    // nullptr: no hint
};

// The editor as it must look at 96 DPI.
const Expected kEditor[] = {
    {kLabel1, 8, 8, 0, 0, true, true, "&Programms to close", "Zu beendende &Programme", nullptr, nullptr},
    {kListView1, 8, 24, 361, 153, true, true, nullptr, nullptr, nullptr, nullptr},
    {kBitBtn2, 200, 184, 83, 25, true, true, "&Insert", "E&infügen", "Chose file", "Datei wählen"},
    {kBitBtn3, 288, 184, 83, 25, true, false, "De&lete", "&Löschen", "Removes a programm from the list",
     "Programm aus der Liste löschen"},
    {kCheckBox1, 8, 192, 185, 17, true, true, "Co&nfirmation required", "Bestätigung &notwendig",
     "Ask the user if he raely wants to do that action",
     "Vor Beginn der Aktion wird der User gefragt, ob er wirklich will"},
    {kBevel1, 8, 215, 361, 9, true, true, nullptr, nullptr, nullptr, nullptr},
    {kBevel3, 8, 220, 41, 41, true, true, nullptr, nullptr, nullptr, nullptr},
    {kProgImg, 12, 224, 32, 32, true, true, nullptr, nullptr, nullptr, nullptr},
    {kLabel3, 56, 224, 0, 0, true, true, "Programm to run", "Zu startendes Programm", nullptr, nullptr},
    {kLabel2, 56, 242, 0, 0, true, true, "No programm chosen", "Kein Programm gewählt", nullptr, nullptr},
    {kBitBtn5, 200, 231, 83, 25, true, true, "C&hose", "Wä&hlen", "Chose a programm", "Programm wählem"},
    {kBitBtn6, 288, 231, 83, 25, true, false, "Re&move", "En&tfernen", "Remove programm", "Programm entfernen"},
    {kBevel2, 8, 264, 361, 9, true, true, nullptr, nullptr, nullptr, nullptr},
    {kBitBtn9, 8, 272, 83, 25, true, true, "Info", "Info", "About Norvanex", "Über Norvanex"},
    {kBitBtn1, 200, 272, 83, 25, true, false, "C&reate", "E&rstellen", "Create Shortcut", "Verknüpfung erstellen"},
    {kBitBtn4, 288, 272, 83, 25, true, true, "&Exit", "B&eenden", "Exit programm", "Programm beenden"},
    {kBevel4, 0, 0, 377, 305, true, true, nullptr, nullptr, nullptr, nullptr},
};

Process StartEditor(const std::string& lcAll = "") {
    StartOptions options;
    options.lcAll = lcAll;
    return Start(NorvanexExe(), options);
}

void CheckEditor(const std::string& lcAll, bool german) {
    Process norvanex = StartEditor(lcAll);
    REQUIRE_EQ(norvanex.error(), "");
    const std::string caption = german ? "Norvanex 4.3 - Neue Verknüpfung" : "Norvanex 4.3 - New Shortcut";
    HWND main = norvanex.WaitWindow(kTimeout, caption);
    REQUIRE(main != nullptr);
    check::Log("locale " + (lcAll.empty() ? std::string("C") : lcAll));
    CHECK_EQ(norvanex.Windows().size(), 1u);
    CHECK_EQ(ClassOf(main), "TMainForm");
    CHECK(!Topmost(main));
    const SIZE client = ClientSize(main);
    CHECK_EQ(client.cx, 377);
    CHECK_EQ(client.cy, 305);

    for (const Expected& e : kEditor) {
        HWND control = ChildById(main, e.id);
        if (!CHECK(control != nullptr)) continue;
        const RECT r = RectInParent(control);
        CHECK_EQ(r.left, e.left);
        CHECK_EQ(r.top, e.top);
        if (e.width > 0) {
            CHECK_EQ(r.right - r.left, e.width);
            CHECK_EQ(r.bottom - r.top, e.height);
        }
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
    CloseBySystemMenu(main);
    CHECK(norvanex.WaitExit().has_value());
}

// Reads a little-endian value at `offset` of a file image.
template <class T>
T At(const std::vector<char>& file, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= file.size()) std::memcpy(&value, file.data() + offset, sizeof(T));
    return value;
}

}  // namespace

CASE(ExecutableIsAGuiPe32ImportingOnlySystemDlls) {
    std::ifstream in(NorvanexExe(), std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    REQUIRE(file.size() > 1024);
    REQUIRE_EQ(At<uint16_t>(file, 0), 0x5A4D);  // MZ
    const uint32_t pe = At<uint32_t>(file, 0x3C);
    REQUIRE_EQ(At<uint32_t>(file, pe), 0x00004550u);  // PE\0\0
    CHECK_EQ(At<uint16_t>(file, pe + 4), 0x014C);     // i386
    const size_t optional = pe + 24;
    CHECK_EQ(At<uint16_t>(file, optional), 0x010B);   // PE32
    CHECK_EQ(At<uint16_t>(file, optional + 68), 2);   // IMAGE_SUBSYSTEM_WINDOWS_GUI

    // Imports: map the import directory's RVAs through the section table.
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
    const uint32_t importRva = At<uint32_t>(file, optional + 96 + 8);
    REQUIRE(importRva != 0);
    const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL",
                                          "SHELL32.DLL", "OLE32.DLL", "COMCTL32.DLL", "COMDLG32.DLL",
                                          "VERSION.DLL", "MSVCRT.DLL"};
    std::set<std::string> imported;
    for (size_t d = fileOffset(importRva); d != 0 && At<uint32_t>(file, d + 12) != 0; d += 20) {
        const size_t name = fileOffset(At<uint32_t>(file, d + 12));
        REQUIRE(name != 0);
        std::string dll(file.data() + name);
        for (char& c : dll) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        check::Log("imports " + dll);
        CHECK(system.count(dll) == 1);
        imported.insert(dll);
    }
    // Loaded with the process: kernel32 and the C runtime alone. Every other DLL is bound at its
    // first call, so that a kill run ends what it names before anything else is loaded.
    CHECK_EQ(imported.size(), 2u);
    CHECK_EQ(imported.count("KERNEL32.DLL"), 1u);
    CHECK_EQ(imported.count("MSVCRT.DLL"), 1u);
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
    char* product = nullptr;
    REQUIRE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductName",
                           reinterpret_cast<void**>(&product), &length));
    CHECK_EQ(std::string(product), "Norvanex");
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
    Process byButton = StartEditor();
    HWND main = byButton.WaitWindow(kTimeout, "Norvanex 4.3 - New Shortcut");
    REQUIRE(main != nullptr);
    Click(ChildById(main, kBitBtn4));
    CHECK_EQ(byButton.WaitExit().value_or(99), 0u);

    Process byEscape = StartEditor();
    main = byEscape.WaitWindow(kTimeout, "Norvanex 4.3 - New Shortcut");
    REQUIRE(main != nullptr);
    PostKey(ChildById(main, kBitBtn2), VK_ESCAPE);
    CHECK(byEscape.WaitExit().has_value());
}

CASE(ParameterMeansNoWindow) {
    Process norvanex = Start(NorvanexExe(), "nothing-runs-under-this-name.exe");
    REQUIRE_EQ(norvanex.error(), "");
    const std::optional<DWORD> exit = norvanex.WaitExit();
    CHECK(exit.has_value());
    CHECK(norvanex.Windows().empty());
}

CASE(Screenshots) {
    struct Shot { int dpi; const char* locale; const char* caption; const char* name; } shots[] = {
        {96, "en_US.UTF-8", "Norvanex 4.3 - New Shortcut", "editor-en-96"},
        {96, "de_DE.UTF-8", "Norvanex 4.3 - Neue Verknüpfung", "editor-de-96"},
        {144, "en_US.UTF-8", "Norvanex 4.3 - New Shortcut", "editor-en-144"},
        {144, "de_DE.UTF-8", "Norvanex 4.3 - Neue Verknüpfung", "editor-de-144"},
    };
    for (const Shot& s : shots) {
        DpiScope dpi(s.dpi);
        Process norvanex = StartEditor(s.locale);
        HWND main = norvanex.WaitWindow(kTimeout, s.caption);
        REQUIRE(main != nullptr);
        // At 144 DPI every design position grows by half.
        const SIZE client = ClientSize(main);
        CHECK_EQ(client.cx, s.dpi == 96 ? 377 : 566);
        CHECK_EQ(client.cy, s.dpi == 96 ? 305 : 458);
        const RECT exit = RectInParent(ChildById(main, kBitBtn4));
        CHECK_EQ(exit.left, s.dpi == 96 ? 288 : 432);
        Sleep(700);  // past the bring-to-front timer, so the title bar is drawn active
        CHECK(!Screenshot(s.name, main).empty());
        CloseBySystemMenu(main);
        CHECK(norvanex.WaitExit().has_value());
    }
}
