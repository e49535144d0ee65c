// Process access on real processes: windowless victims found and ended by name, the image path,
// the program's own process spared, and the platform check in Windows 98 mode.
// Timeout: 300
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/SystemFacts_win.h"
#include "process/ProcessAccess.h"
#include "process/ProcessPlatform_win.h"

using namespace driver;
using norvanex::Processes;

namespace {

// Set in the environment of the copy that reports the platform in Windows 98 mode.
constexpr const char* kReportVariable = "NORVANEX_PLATFORM_REPORT";
constexpr const char* kVictimVariable = "NORVANEX_VICTIM_PID";
constexpr const char* kWin98Copy = "nvx98.exe";
constexpr const char* kSelfCopy = "nvxself.exe";
// TerminateProcess returns before the process is gone: a case that shows that a call ended
// nothing gives an ending it might have started this long to show in the snapshot.
constexpr DWORD kTerminationMs = 200;

std::string CopyAs(const std::string& source, const std::string& name) {
    const std::string path = ScratchFolder() + "\\" + name;
    REQUIRE(CopyFileA(source.c_str(), path.c_str(), FALSE));
    return path;
}

std::string FileName(const std::string& path) {
    return path.substr(path.rfind('\\') + 1);
}

// Paths compare without regard to case, as the file system does; upper-cased so a failure shows
// both.
std::string Upper(std::string text) {
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Runs one case of this program again, in a copy named name with kReportVariable set, and returns
// the report that the copy wrote (empty when it wrote none).
std::string RunCopy(const std::string& name, const std::string& caseName,
                    std::vector<std::pair<std::string, std::string>> env) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string copy = CopyAs(self, name);
    const std::string report = ScratchFolder() + "\\" + caseName + ".txt";
    DeleteFileA(report.c_str());
    StartOptions options;
    options.args = caseName;
    options.idleMs = 0;
    options.env = std::move(env);
    options.env.emplace_back(kReportVariable, report);
    Process probe = Start(copy, options);
    CHECK_EQ(probe.error(), "");
    CHECK(probe.WaitExit(30000).has_value());
    return FileBytes(report);
}

}  // namespace

CASE(EndsEveryCopyAndReportsItsPath) {
    LeaveNoVictims cleanup;
    const std::string word = CopyAs(BesideMe("victim.exe"), "winword.exe");
    const std::string excel = CopyAs(BesideMe("victim.exe"), "Excel.EXE");
    const std::vector<DWORD> words = StartVictims(word, 3);
    StartVictims(excel, 1);

    const norvanex::EndReport report = Processes().EndProcessesByName(Processes().Program("winword.exe"));
    const std::string& result = report.ended;
    const std::vector<std::uint32_t>& ended = report.endedIds;
    // Wine's module list is empty; the path comes from the kernel's image name, in drive-letter
    // form.
    CHECK_EQ(Upper(result), Upper(word));
    CHECK(result.size() > 3 && result[1] == ':' && result[2] == '\\');
    CHECK_EQ(ended.size(), words.size());
    CHECK(WaitUntil([] { return ProcessesNamed("winword.exe").empty(); }));
    CHECK(WaitUntil([&] { return !Processes().AnyProcessRunning(ended); }));
    CHECK_EQ(ProcessesNamed("Excel.EXE").size(), 1u);

    CHECK_EQ(Upper(Processes().EndProcessesByName(Processes().Program("excel.exe")).ended), Upper(excel));
    CHECK(WaitUntil([] { return ProcessesNamed("Excel.EXE").empty(); }));
}

CASE(FindEndsNothingAndGivesTheSnapshotString) {
    LeaveNoVictims cleanup;
    const std::string excel = CopyAs(BesideMe("victim.exe"), "Excel.EXE");
    StartVictims(excel, 2);

    // ToolHelp names the bare file with its case on disk.
    CHECK_EQ(Processes().FindProcessByName(Processes().Program("EXCEL.EXE")), "Excel.EXE");
    CHECK_EQ(Processes().FindProcessByName(Processes().Program("excel")), "");
    Sleep(kTerminationMs);
    CHECK_EQ(ProcessesNamed("Excel.EXE").size(), 2u);
}

CASE(OnlyLettersAToZFold) {
    LeaveNoVictims cleanup;
    const std::string word = CopyAs(BesideMe("victim.exe"), "winword.exe");
    StartVictims(word, 1);

    CHECK_EQ(Processes().EndProcessesByName(Processes().Program("winword")).ended, "");
    Sleep(kTerminationMs);
    CHECK_EQ(ProcessesNamed("winword.exe").size(), 1u);
    CHECK_EQ(Upper(Processes().EndProcessesByName(Processes().Program("WINWORD.EXE")).ended), Upper(word));
    CHECK(WaitUntil([] { return ProcessesNamed("winword.exe").empty(); }));
}

// Ending itself would end the run with exit code 0 as if all went well, so a copy of this program
// makes the call and writes down what it got; a missing report means that it ended itself.
CASE(SparesItsOwnProcess) {
    if (const char* report = std::getenv(kReportVariable)) {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        const norvanex::EndReport result = Processes().EndProcessesByName(Processes().Program(FileName(self)));
        std::ofstream(report, std::ios::binary) << result.endedIds.size() << ' ' << result.ended << '\n';
        return;
    }

    LeaveNoVictims cleanup;
    CreateDirectoryA((ScratchFolder() + "\\twins").c_str(), nullptr);
    const std::string twin = CopyAs(BesideMe("victim.exe"), "twins\\" + std::string(kSelfCopy));
    StartVictims(twin, 2);

    const std::string report = RunCopy(kSelfCopy, "SparesItsOwnProcess", {});
    std::istringstream in(report);
    std::size_t endedCount = 99;
    std::string result;
    in >> endedCount;
    std::getline(in >> std::ws, result);
    CHECK_EQ(endedCount, 2u);
    CHECK_EQ(Upper(result), Upper(twin));
    CHECK(WaitUntil([] { return ProcessesNamed(kSelfCopy).empty(); }));
}

CASE(PlatformOnTheNtLine) {
    LeaveNoVictims cleanup;
    CHECK_EQ(norvanex::ThisSystem().version.platformId, 2u);
    // Wine's counter table has no "process" object: nothing listed, nothing read.
    norvanex::ProcessNameList list;
    CHECK(Processes().ListProcessesFromPerfData(list) == norvanex::PerfListStatus::Listed);
    CHECK(list.empty());
    CHECK(Processes().EnableDebugPrivilege() == norvanex::PrivilegeStatus::Enabled);

    const std::string word = CopyAs(BesideMe("victim.exe"), "winword.exe");
    const std::vector<DWORD> pids = StartVictims(word, 1);
    CHECK_EQ(Upper(Processes().GetProcessImagePath(pids.front())), Upper(word));
    CHECK(Processes().TerminateProcessById(pids.front()) == norvanex::EndStatus::Ended);
    CHECK(WaitUntil([] { return ProcessesNamed("winword.exe").empty(); }));
    CHECK(Processes().TerminateProcessById(0xFFFFFFF0u) == norvanex::EndStatus::NotOpenedOrSpared);
}

// The module list pointer inside the debug buffer comes from the query of another process; an
// answer that points where nothing can be read gives no path and no fault.
CASE(ModuleListReadNeverFaults) {
    const DWORD page = 4096;
    auto* base = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE, PAGE_NOACCESS));
    REQUIRE(base != nullptr);
    REQUIRE(VirtualAlloc(base, page, MEM_COMMIT, PAGE_READWRITE) != nullptr);
    std::uint8_t* const debugInfo = base;                 // the first 64 bytes
    std::uint8_t* const unreadable = base + page;         // reserved, never committed
    auto putModules = [&](const void* modules) { std::memcpy(debugInfo + 48, &modules, sizeof modules); };
    auto putRecord = [](std::uint8_t* at, std::uint32_t count, const char* path) {
        std::memcpy(at, &count, sizeof count);
        std::strcpy(reinterpret_cast<char*>(at + 32), path);
    };
    struct Case {
        const char* what;
        std::uint8_t* modules;
        std::uint32_t count;
        bool read;
    } cases[] = {
        {"a module list", base + 256, 1, true},
        {"no module record", base + 256, 0, false},
        {"no module list", nullptr, 0, false},
        {"a pointer into memory that cannot be read", unreadable + 16, 0, false},
        {"a pointer below any memory", reinterpret_cast<std::uint8_t*>(0x10), 0, false},
        {"a pointer at the end of the address space", reinterpret_cast<std::uint8_t*>(0xFFFFFFF0u), 0, false},
    };
    for (const Case& c : cases) {
        std::memset(base + 64, 0, page - 64);
        putModules(c.modules);
        if (c.modules >= base + 64 && c.modules < base + page - 64) {
            putRecord(c.modules, c.count, "C:\\x.exe");
        }
        std::array<char, 256> path{};
        CHECK_EQ(norvanex::ReadFirstModulePath(debugInfo, path), c.read);
        if (c.read) CHECK_EQ(std::string(path.data()), "C:\\x.exe");
        if (!c.read) check::Log(std::string(c.what) + ": no path");
    }
    VirtualFree(base, 0, MEM_RELEASE);
}

// Windows 98 mode is given per program (HKCU\Software\Wine\AppDefaults\NAME\Version), so a copy of
// this test program runs the case again in that mode and writes what it saw to a file.
CASE(PlatformInWindows98Mode) {
    if (const char* report = std::getenv(kReportVariable)) {
        norvanex::ProcessNameList list;
        const int listed = static_cast<int>(Processes().ListProcessesFromPerfData(list));
        const int terminated = static_cast<int>(Processes().TerminateProcessById(
            std::strtoul(std::getenv(kVictimVariable), nullptr, 10)));
        std::ofstream(report, std::ios::binary) << norvanex::ThisSystem().version.platformId << ' ' << listed
                                                << ' '
                                                << list.size() << ' ' << terminated << '\n';
        return;
    }

    LeaveNoVictims cleanup;
    const std::string victim = CopyAs(BesideMe("victim.exe"), "winword.exe");
    const DWORD victimPid = StartVictims(victim, 1).front();

    const std::string key = std::string("Software\\Wine\\AppDefaults\\") + kWin98Copy;
    HKEY appKey = nullptr;
    REQUIRE_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                               nullptr, &appKey, nullptr),
               ERROR_SUCCESS);
    RegSetValueExA(appKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
    RegCloseKey(appKey);
    const std::string report = RunCopy(kWin98Copy, "PlatformInWindows98Mode",
                                       {{kVictimVariable, std::to_string(victimPid)}});
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());

    std::istringstream in(report);
    unsigned platformId = 99;
    int listed = 99, terminated = 99;
    std::size_t size = 99;
    in >> platformId >> listed >> size >> terminated;
    CHECK_EQ(platformId, 1u);
    CHECK_EQ(listed, -1);
    CHECK_EQ(size, 0u);
    CHECK_EQ(terminated, -1);
    CHECK_EQ(ProcessesNamed("winword.exe").size(), 1u);  // -1: the victim was not even opened
}
