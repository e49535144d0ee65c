// The 9x line as far as Wine shows it: Norvanex in Wine's Windows 98 mode (for this executable alone)
// calls no Unicode function that Windows 98 lacks, in the editor and in a kill run, and its windows
// hold their texts. Wine implements every Unicode function in that mode too, so the calls are read
// from a relay trace: those whose return address lies inside Norvanex.exe's own image.
// Timeout: 600
#include "driver/Check.h"
#include "driver/Driver.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "ui/InfoLayout.h"
#include "ui/TaskSelLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

// Windows 98 mode for Norvanex.exe alone while this lives (GetVersionExA gives platform id 1).
struct Win98Mode {
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\Norvanex.exe";
    const bool ok = RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Version", REG_SZ, "win98", 6) == ERROR_SUCCESS;
    ~Win98Mode() { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
};

// The Unicode functions that Windows 95 and 98 implement (the rest are stubs that fail).
const std::set<std::string> kNineXUnicode = {
    "ExtTextOutW", "GetCharWidthW", "GetCommandLineW", "GetTextExtentPointW", "GetTextExtentPoint32W",
    "lstrlenW", "MessageBoxW", "MessageBoxExW", "MultiByteToWideChar", "TextOutW", "WideCharToMultiByte",
    "EnumResourceLanguagesW", "EnumResourceNamesW", "EnumResourceTypesW"};

// A Unicode function by its name: the W of the pair, or a conversion between the two.
bool IsUnicodeFunction(const std::string& name) {
    if (name == "MultiByteToWideChar" || name == "WideCharToMultiByte") return true;
    return name.size() > 1 && name.back() == 'W' && (std::islower(static_cast<unsigned char>(name[name.size() - 2])) ||
                                                     std::isdigit(static_cast<unsigned char>(name[name.size() - 2])));
}

// Norvanex.exe's image in memory: ImageBase and SizeOfImage of its PE header.
bool ImageRange(std::uint32_t& base, std::uint32_t& end) {
    const std::string file = FileBytes(NorvanexExe());
    auto at = [&](size_t offset) {
        std::uint32_t value = 0;
        if (offset + 4 <= file.size()) std::memcpy(&value, file.data() + offset, 4);
        return value;
    };
    const std::uint32_t pe = at(0x3C);
    if (file.size() < pe + 0x58 || at(pe) != 0x00004550) return false;
    base = at(pe + 0x18 + 28);      // IMAGE_OPTIONAL_HEADER32.ImageBase
    end = base + at(pe + 0x18 + 56);  // + SizeOfImage
    return true;
}

// The functions that process `pid` called from the executable's image, by "module.Function", with
// how often: from lines "0020:0024:Call user32.SetWindowTextW(...) ret=004012ab" (process and thread
// id first, WINEDEBUG's +pid) whose return address lies in the image. The launcher, which has the
// same image base, and what the program starts write into the same trace.
std::map<std::string, int> CallsFromImage(const std::string& tracePath, DWORD pid) {
    std::map<std::string, int> calls;
    std::uint32_t base = 0, end = 0;
    if (!ImageRange(base, end)) return calls;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%04lx:", static_cast<unsigned long>(pid));
    std::ifstream in(tracePath, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, std::strlen(prefix), prefix) != 0) continue;
        const size_t call = line.find(":Call ");
        const size_t ret = line.rfind(" ret=");
        if (call == std::string::npos || ret == std::string::npos || call > 12) continue;
        const std::uint32_t address = static_cast<std::uint32_t>(std::strtoul(line.c_str() + ret + 5, nullptr, 16));
        if (address < base || address >= end) continue;
        const size_t open = line.find('(', call);
        if (open == std::string::npos) continue;
        ++calls[line.substr(call + 6, open - call - 6)];
    }
    return calls;
}

// Fails on every Unicode function from the trace that the 9x line lacks; logs what the image called.
void CheckNoMissingUnicode(const std::string& tracePath, DWORD pid, const char* what) {
    const std::map<std::string, int> calls = CallsFromImage(tracePath, pid);
    CHECK(calls.size() > 50);  // the trace was taken and read
    std::string unicode;
    for (const auto& [call, count] : calls) {
        const std::string name = call.substr(call.find('.') + 1);
        if (!IsUnicodeFunction(name)) continue;
        unicode += " " + call + " x" + std::to_string(count);
        if (!kNineXUnicode.count(name)) check::Fail(__FILE__, __LINE__, std::string(what) + " calls " + call);
    }
    check::Log(std::string(what) + ": " + std::to_string(calls.size()) + " functions from the image; Unicode:" + unicode);
}

Process StartTraced(const std::string& args, const std::string& trace) {
    StartOptions options;
    options.args = args;
    options.env = {{"WINEDEBUG", "+pid,-all,+relay"}};
    options.stderrPath = trace;
    // Every call written out makes the start many times slower.
    options.idleMs = 60000;
    return Start(NorvanexExe(), options);
}

constexpr DWORD kTracedTimeout = 60000;

// Confirms a common file dialog titled `title` with `typed`, once it is there.
bool ConfirmDialog(const Process& norvanex, const char* title, const std::string& typed) {
    HWND dialog = norvanex.WaitDialog(title, kTracedTimeout);
    if (!CHECK(dialog != nullptr)) return false;
    // The dialog's controls come a while after its window, the more so in a traced process.
    CHECK(WaitUntil([&] { return ConfirmFileDialog(dialog, typed); }, kTracedTimeout, 250));
    return CHECK(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kTracedTimeout));
}

}  // namespace

CASE(EditorCallsOnlyWhatWindows98Has) {
    Win98Mode win98;
    REQUIRE(win98.ok);
    const std::string trace = ScratchFolder() + "\\editor-relay.txt";
    const std::string victim = CopyToScratch("victim.exe", "ninetyeight.exe");
    const std::string link = ScratchFolder() + "\\ninetyeight.lnk";
    DeleteFileA(link.c_str());
    DWORD pid = 0;
    {
        Process norvanex = StartTraced("", trace);
        pid = norvanex.pid();
        REQUIRE_EQ(norvanex.error(), "");
        HWND main = norvanex.WaitWindow(kTracedTimeout, "Norvanex 4.3 - New Shortcut");
        REQUIRE(main != nullptr);
        CHECK_EQ(Text(ChildById(main, kLabel1)), "&Programms to close");
        CHECK_EQ(Text(ChildById(main, kLabel3)), "Programm to run");
        CHECK_EQ(Text(ChildById(main, kBitBtn2)), "&Insert");
        CHECK_EQ(Text(ChildById(main, kCheckBox1)), "Co&nfirmation required");
        CHECK_EQ(Hint(ChildById(main, kBitBtn2)).value_or("(no hint)"), "Chose file");
        CHECK(!Screenshot("win98-editor-en", main).empty());

        // The insert menu's items by their accelerators: P opens the dialog for programs to end.
        Click(ChildById(main, kBitBtn2));
        HWND menu = nullptr;
        REQUIRE(WaitUntil([&] { return (menu = FindTopWindow(norvanex.pid(), "", "#32768")) != nullptr; }, kTracedTimeout));
        SendKey('P');
        REQUIRE(ConfirmDialog(norvanex, "Chose programms to kill", victim));
        CHECK(WaitUntil([&] { return LvCount(ChildById(main, kListView1)) == 1; }, kTracedTimeout));
        CHECK_EQ(LvText(ChildById(main, kListView1), 0), victim);

        // T opens the chooser.
        Click(ChildById(main, kBitBtn2));
        REQUIRE(WaitUntil([&] { return FindTopWindow(norvanex.pid(), "", "#32768") != nullptr; }, kTracedTimeout));
        SendKey('T');
        HWND chooser = norvanex.WaitDialog("Choose tasks to kill", kTracedTimeout);
        REQUIRE(chooser != nullptr);
        CHECK(WaitUntil([&] { return Text(ChildById(chooser, tasksel::kLabel1)).find(" running tasks:") != std::string::npos; },
                        kTracedTimeout));
        CHECK(!Screenshot("win98-chooser-en", chooser).empty());
        CloseBySystemMenu(chooser);
        CHECK(WaitUntil([&] { return !IsWindowVisible(chooser); }, kTracedTimeout));

        Click(ChildById(main, kBitBtn9));
        HWND about = norvanex.WaitDialog("Info", kTracedTimeout);
        REQUIRE(about != nullptr);
        CHECK_EQ(Text(ChildById(about, kInfoBitBtn1)), "&OK");
        Click(ChildById(about, kInfoBitBtn1));
        CHECK(WaitUntil([&] { return !IsWindowVisible(about); }, kTracedTimeout));

        // Create and its save dialog, with the structure size Windows 98 takes.
        CHECK(WaitUntil([&] { return Enabled(ChildById(main, kBitBtn1)); }, kTracedTimeout));
        Click(ChildById(main, kBitBtn1));
        CHECK(ConfirmDialog(norvanex, "Save as", link));
        CHECK(WaitUntil([&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; }, kTracedTimeout));

        CloseBySystemMenu(main);
        CHECK(norvanex.WaitExit(kTracedTimeout).has_value());
    }
    CheckNoMissingUnicode(trace, pid, "editor");
}

CASE(KillRunCallsOnlyWhatWindows98Has) {
    Win98Mode win98;
    REQUIRE(win98.ok);
    const std::string trace = ScratchFolder() + "\\killrun-relay.txt";
    const std::string victim = CopyToScratch("victim.exe", "ninetyeight.exe");
    REQUIRE(!StartWindowless(victim, 1).empty());
    // A program with a window, asked to close first: it closes itself.
    StartOptions windowed;
    windowed.args = "close";
    windowed.idleMs = 0;
    Process closer = Start(CopyToScratch("windowed.exe", "closer98.exe"), windowed);
    REQUIRE(WaitStartedUp(closer));
    DWORD pid = 0;
    {
        Process norvanex = StartTraced("~ask~ ~close~ ninetyeight.exe closer98.exe", trace);
        pid = norvanex.pid();
        REQUIRE_EQ(norvanex.error(), "");
        HWND box = norvanex.WaitDialog("Bestätigung", kTracedTimeout);
        REQUIRE(box != nullptr);
        bool said = false;
        for (HWND child : Children(box)) said = said || Text(child).find("will be asked to close") != std::string::npos;
        CHECK(said);
        HWND yes = ButtonByCaption(box, "&Ja");
        REQUIRE(yes != nullptr);
        Click(yes);
        HWND main = norvanex.WaitWindow(kTracedTimeout, "Norvanex 4.3");
        REQUIRE(main != nullptr);
        CHECK(ProcessesNamed("ninetyeight.exe").empty());
        CHECK_EQ(closer.WaitExit(kTracedTimeout).value_or(0), 41u);  // closed by itself
        CHECK(WaitUntil([&] { return Text(ChildById(main, kLabel1)) == "Canceled Programms"; }, kTracedTimeout));
        CHECK_EQ(Text(ChildById(main, kBitBtn1)), "&OK");
        // Wine's 9x snapshot names the bare file, where Windows 98's names the full path.
        HWND list = ChildById(main, kListView1);
        CHECK_EQ(LvTexts(list), (std::vector<std::string>{"ninetyeight.exe", "closer98.exe"}));
        CHECK_EQ(LvTexts(list, 1), (std::vector<std::string>{"ended", "closed"}));
        CHECK(!Screenshot("win98-result-en", main).empty());
        Click(ChildById(main, kBitBtn1));
        CHECK(norvanex.WaitExit(kTracedTimeout).has_value());
    }
    CheckNoMissingUnicode(trace, pid, "kill run");
}

// Wine's 9x snapshot names bare files, so no folder tells its own service processes from a copy:
// named on a kill run they run on, listed in grey beside what was ended.
CASE(SystemProcessesRunOnInWindows98Mode) {
    Win98Mode win98;
    REQUIRE(win98.ok);
    const std::vector<DWORD> services = ProcessesNamed("services.exe");
    REQUIRE(!services.empty());
    const std::string victim = CopyToScratch("victim.exe", "ninetyeight.exe");
    REQUIRE(!StartWindowless(victim, 1).empty());
    Process norvanex = Start(NorvanexExe(), "ninetyeight.exe services.exe");
    REQUIRE_EQ(norvanex.error(), "");
    HWND main = norvanex.WaitWindow(kTimeout, "Norvanex 4.3");
    REQUIRE(main != nullptr);
    CHECK(ProcessesNamed("ninetyeight.exe").empty());
    CHECK(ProcessesNamed("services.exe") == services);
    CHECK_EQ(LvTexts(ChildById(main, kListView1)), (std::vector<std::string>{"ninetyeight.exe", "services.exe"}));
    CHECK_EQ(LvTexts(ChildById(main, kListView1), 1), (std::vector<std::string>{"ended", "still running: part of Windows"}));
    CHECK(!Screenshot("win98-result-runs-on-en", main).empty());
    Click(ChildById(main, kBitBtn1));
    CHECK(norvanex.WaitExit().has_value());
}
