// Finding and ending processes by name: both passes, the statuses, and what is never ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/CodePages.h"
#include "fakes/ScriptedAccess.h"
#include "process/SystemProcesses.h"

using namespace norvanex;
using fake::FakeProcess;
using fake::FakeProcessPlatform;
using fake::Script;
using fake::ScriptedAccess;
using Ids = std::vector<std::uint32_t>;

namespace {

struct Scenario {
    const char* what;
    Script script;
    std::string name;
    std::string ended;  // EndProcessesByName's result
    Ids terminated;     // in order; also the ids it reports ended
    std::string found;  // FindProcessByName's result
};

// Ends `s.name`, then on a fresh platform finds it: both as the row says, Find ending nothing,
// neither leaking a handle. `mayAsk` (where given) holds every id whose full image name is asked.
void ExpectFindAndEnd(const Scenario& s, bool (*mayAsk)(std::uint32_t) = nullptr) {
    SCOPED_TRACE(s.what);
    {
        ScriptedAccess run({s.script});
        const EndReport report = run.access.EndProcessesByName(run.access.Program(s.name));
        const Ids& endedIds = report.endedIds;
        EXPECT_EQ(report.ended, s.ended);
        EXPECT_EQ(run.platform.terminated, s.terminated);
        EXPECT_EQ(endedIds, s.terminated);
        EXPECT_EQ(run.platform.LiveHandles(), 0u);
        for (std::uint32_t asked : run.platform.fullNameQueries) {
            EXPECT_TRUE(!mayAsk || mayAsk(asked)) << "asked " << asked;
        }
    }
    ScriptedAccess run({s.script});
    EXPECT_EQ(run.access.FindProcessByName(run.access.Program(s.name)), s.found);
    EXPECT_TRUE(run.platform.terminated.empty());
    EXPECT_EQ(run.platform.LiveHandles(), 0u);
}

// Two copies of Word (one as a full path, as the 9x line names them), Excel, the program itself.
void Office(FakeProcessPlatform& p) {
    p.Add(10, "winword.exe").modulePath = "\\??\\C:\\Office\\WINWORD.EXE";
    p.Add(11, "C:\\Office\\WinWord.exe").modulePath = "\\SystemRoot\\..\\Office\\WINWORD.EXE";
    p.Add(12, "EXCEL.EXE").modulePath = "C:\\Office\\EXCEL.EXE";
    p.Add(p.selfId, "Norvanex.exe").modulePath = "C:\\Tools\\Norvanex.exe";
    p.SetPerfInstances({{u"System", 4}, {u"WINWORD", 10}, {u"WINWORD", 11}, {u"EXCEL", 12}, {u"Norvanex", p.selfId}});
}

// Processes that the snapshot does not show, only the performance data.
void PerfOnly(FakeProcessPlatform& p) {
    Office(p);
    for (FakeProcess& process : p.processes) process.inSnapshot = false;
}

// Wine's answers: bare names in the snapshot, no module list, the kernel's full image name, and no
// process in the performance data.
void WineCopies(FakeProcessPlatform& p) {
    p.Add(10, "winword.exe", "Z:\\tmp\\a\\winword.exe");
    p.Add(11, "WinWord.exe", "Z:\\tmp\\a\\WinWord.exe");
    p.Add(12, "winword.exe", "Z:\\tmp\\b\\winword.exe");
    p.Add(13, "notepad.exe", "Z:\\tmp\\a\\notepad.exe");
    p.Add(p.selfId, "winword.exe", "Z:\\tmp\\a\\winword.exe");  // this program under that name
}

// One ordinary process, a.exe (50), that the rows of a table change or join.
void OneA(FakeProcessPlatform& p) { p.Add(50, "a.exe").modulePath = "C:\\x\\a.exe"; }

}  // namespace

TEST(FindAndEnd, Scenarios) {
    const Scenario scenarios[] = {
        {"two snapshot matches: both ended, the later one's path", Office, "WINWORD.EXE",
         "C:\\WINDOWS\\..\\Office\\WINWORD.EXE", {10, 11}, "C:\\Office\\WinWord.exe"},
        {"one match", Office, "excel.exe", "C:\\Office\\EXCEL.EXE", {12}, "EXCEL.EXE"},
        {"full path name matches only that whole string", Office, "c:\\office\\winword.exe",
         "C:\\WINDOWS\\..\\Office\\WINWORD.EXE", {11}, "C:\\Office\\WinWord.exe"},
        {"no match in either pass", Office, "notepad.exe", "", {}, ""},
        {"name without extension: only the performance-data name", Office, "winword", "WINWORD", {10},
         "C:\\Office\\WINWORD.EXE"},
        {"second pass: first match only, its performance-data name", PerfOnly, "winword.exe", "WINWORD", {10},
         "C:\\Office\\WINWORD.EXE"},
        {"no ToolHelp: the second pass decides",
         [](FakeProcessPlatform& p) { Office(p); p.snapshotMissing = true; },
         "excel.exe", "EXCEL", {12}, "C:\\Office\\EXCEL.EXE"},
        {"second pass, path unknown: the name stands in",
         [](FakeProcessPlatform& p) {
             PerfOnly(p);
             for (FakeProcess& process : p.processes) process.modulePath.clear();
         },
         "winword", "WINWORD", {10}, "WINWORD"},
        {"last match without a path: the second pass ends the first listed again",
         [](FakeProcessPlatform& p) {
             Office(p);
             p.Find(11)->modulePath.clear();
             p.Find(10)->inSnapshot = false;
         },
         "winword.exe", "WINWORD", {11, 10}, "C:\\Office\\WinWord.exe"},
        {"9x line: every match ended, listed under the last one's snapshot path",
         [](FakeProcessPlatform& p) {
             Office(p);
             p.facts.version.platformId = 1;
         },
         "winword.exe", "C:\\Office\\WinWord.exe", {10, 11}, "C:\\Office\\WinWord.exe"},
        {"9x line: the snapshot's string even where a query would answer (Wine's win98 mode)",
         [](FakeProcessPlatform& p) {
             Office(p);
             p.facts.version.platformId = 1;
             p.Find(11)->inSnapshot = false;
         },
         "winword.exe", "winword.exe", {10}, "winword.exe"},
        {"ids with the top bit set",
         [](FakeProcessPlatform& p) {
             p.Add(0x80000000u, "a.exe").modulePath = "C:\\a1.exe";
             p.Add(0xFFFFFFFCu, "A.EXE").modulePath = "C:\\a2.exe";
         },
         "a.exe", "C:\\a2.exe", {0x80000000u, 0xFFFFFFFCu}, "A.EXE"},
        {"szExeFile of 260 bytes without a NUL",
         [](FakeProcessPlatform& p) { p.Add(20, std::string(256, 'x') + ".exe").modulePath = "C:\\x"; },
         std::string(256, 'X') + ".EXE", "C:\\x", {20}, std::string(256, 'x') + ".exe"},
    };
    for (const Scenario& s : scenarios) ExpectFindAndEnd(s);
}

TEST(FindAndEnd, FullPathWithoutPerformanceData) {
    const Scenario scenarios[] = {
        {"every process of that file, in any letter case", WineCopies, "z:\\TMP\\A\\WINWORD.EXE",
         "Z:\\tmp\\a\\WinWord.exe", {10, 11}, "Z:\\tmp\\a\\winword.exe"},
        {"another folder's copy", WineCopies, "Z:\\tmp\\b\\winword.exe", "Z:\\tmp\\b\\winword.exe", {12},
         "Z:\\tmp\\b\\winword.exe"},
        {"another spelling of that file", WineCopies, "\\\\?\\Z:/tmp/c/../b//winword.exe",
         "Z:\\tmp\\b\\winword.exe", {12}, "Z:\\tmp\\b\\winword.exe"},
        {"a folder without a copy", WineCopies, "Z:\\tmp\\c\\winword.exe", "", {}, ""},
        {"a bare name: the first pass, every folder", WineCopies, "winword.exe", "Z:\\tmp\\b\\winword.exe",
         {10, 11, 12}, "winword.exe"},
        {"with performance data: its first match, as before",
         [](FakeProcessPlatform& p) {
             WineCopies(p);
             p.SetPerfInstances({{u"winword", 10}, {u"winword", 11}, {u"winword", 12}});
         },
         "Z:\\tmp\\b\\winword.exe", "winword", {12}, "Z:\\tmp\\b\\winword.exe"},
    };
    // Only processes of that file name are asked for their path, never this program.
    for (const Scenario& s : scenarios) ExpectFindAndEnd(s, [](std::uint32_t id) { return id >= 10 && id <= 12; });
}

TEST(FindAndEnd, NeverEndsItself) {
    FakeProcessPlatform platform;
    Office(platform);
    platform.Add(30, "NORVANEX.EXE").modulePath = "C:\\Other\\Norvanex.exe";
    ProcessAccess access(platform, platform.facts);
    EXPECT_EQ(access.EndProcessesByName(access.Program("norvanex.exe")).ended, "C:\\Other\\Norvanex.exe");
    EXPECT_EQ(platform.terminated, Ids{30});
    EXPECT_EQ(access.EndProcessesByName(access.Program("norvanex.exe")).ended,
              "");  // only itself left: both passes pass it
    EXPECT_EQ(platform.terminated, Ids{30});
    EXPECT_EQ(access.FindProcessByName(access.Program("norvanex.exe")), "");  // no reason to ask
    for (std::uint32_t opened : platform.opened) EXPECT_NE(opened, platform.selfId);
}

TEST(FindAndEnd, NeverEndsACriticalProcess) {
    FakeProcessPlatform platform;
    platform.Add(40, "csrss.exe").modulePath = "C:\\a\\csrss.exe";
    platform.Add(41, "csrss.exe").modulePath = "C:\\b\\csrss.exe";
    platform.Add(42, "csrss.exe").modulePath = "C:\\c\\csrss.exe";
    platform.Find(40)->critical = Criticality::Critical;
    platform.Find(41)->critical = Criticality::Unknown;  // cannot be answered: not critical
    platform.Find(42)->critical = Criticality::Unknown;  // the question cannot be asked at all
    ProcessAccess access(platform, platform.facts);
    // The last match is reported as before, like one that could not be opened.
    const EndReport report = access.EndProcessesByName(access.Program("csrss.exe"));
    const Ids& endedIds = report.endedIds;
    EXPECT_EQ(report.ended, "C:\\c\\csrss.exe");
    EXPECT_EQ(platform.terminated, (Ids{41, 42}));
    EXPECT_EQ(endedIds, (Ids{41, 42}));
    EXPECT_EQ(platform.LiveHandles(), 0u);
}

TEST(FindAndEnd, DoubleByteNames) {
    // ア 83 41, ヂ 83 61, 表 95 5C (932); 乗 81 5C, 盳 B1 5A, 眤 B1 7A (936); 갂 81 41, 갵 81 61 (949);
    // 許 B3 5C (950).
    struct Case {
        unsigned codePage;
        std::vector<std::string> running;  // ids 1, 2, ... in this order
        std::string name;
        Ids terminated;
    } cases[] = {
        {932, {"\x83\x61.exe", "\x83\x41.exe"}, "\x83\x41.exe", {2}},
        {932, {"\x83\x61.exe", "\x83\x41.exe"}, "\x83\x41.EXE", {2}},
        {932, {"\x95\x5C.exe"}, ".exe", {}},
        {932, {"C:\\\x95\x5C\\\x83\x41.exe"}, "\x83\x41.exe", {1}},  // a 9x-style full path
        {936, {"\x81\x5C.exe", "\xB1\x7A.exe"}, ".exe", {}},
        {936, {"\x81\x5C.exe", "\xB1\x7A.exe"}, "\xB1\x5A.exe", {}},
        {949, {"\x81\x61.exe", "\x81\x41.exe"}, "\x81\x41.exe", {2}},
        {950, {"\xB3\x5C.exe"}, ".exe", {}},
        // Code page 1252 compares the same bytes as single-byte characters, as it always did.
        {1252, {"\x83\x61.exe", "\x83\x41.exe"}, "\x83\x41.exe", {1, 2}},
        {1252, {"\x95\x5C.exe"}, ".exe", {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.codePage) + ' ' + c.name);
        FakeProcessPlatform platform;
        platform.SetCodePage(c.codePage);
        for (std::uint32_t id = 1; id <= c.running.size(); ++id) {
            const std::string& exe = c.running[id - 1];
            platform.Add(id, exe, exe.find(':') == std::string::npos ? "C:\\P\\" + exe : exe);
        }
        ProcessAccess access(platform, platform.facts);
        EXPECT_EQ(!access.FindProcessByName(access.Program(c.name)).empty(), !c.terminated.empty());
        EXPECT_EQ(access.EndProcessesByName(access.Program(c.name)).ended.empty(), c.terminated.empty());
        EXPECT_EQ(platform.terminated, c.terminated);
    }
}

TEST(FindAndEnd, ReportsWhatRunsOn) {
    struct Case {
        const char* what;
        Script script;  // changes or joins a.exe (50)
        std::string name;
        std::string ended;
        std::string stillRunning;
        Ids terminated;
    } cases[] = {
        {"access refused", [](FakeProcessPlatform& p) { p.Find(50)->openRefused = true; }, "a.exe", "",
         "C:\\x\\a.exe", {}},
        {"critical", [](FakeProcessPlatform& p) { p.Find(50)->critical = Criticality::Critical; }, "a.exe", "",
         "C:\\x\\a.exe", {}},
        {"ending refused", [](FakeProcessPlatform& p) { p.Find(50)->terminateRefused = true; }, "a.exe", "",
         "C:\\x\\a.exe", {}},
        {"one of two ended",
         [](FakeProcessPlatform& p) {
             p.Add(51, "A.EXE").modulePath = "C:\\y\\A.EXE";
             p.Find(50)->openRefused = true;
         },
         "a.exe", "C:\\y\\A.EXE", "C:\\x\\a.exe", {51}},
        {"ended", fake::Unscripted, "a.exe", "C:\\x\\a.exe", "", {50}},
        {"not running", fake::Unscripted, "b.exe", "", "", {}},
        {"session process where criticality is unknown",
         [](FakeProcessPlatform& p) {
             p.Add(60, "services.exe").modulePath = "\\SystemRoot\\System32\\services.exe";
             p.Find(60)->critical = Criticality::Unknown;
         },
         "SERVICES.EXE", "", "C:\\WINDOWS\\System32\\services.exe", {}},
        {"Wine's: unknown, path from the kernel",
         [](FakeProcessPlatform& p) {
             p.facts.windowsFolder = "C:\\windows";
             p.Add(61, "rpcss.exe", "C:\\windows\\system32\\rpcss.exe").critical = Criticality::Unknown;
         },
         "rpcss.exe", "", "C:\\windows\\system32\\rpcss.exe", {}},
        {"a session process's name elsewhere is ordinary",
         [](FakeProcessPlatform& p) {
             p.Add(62, "svchost.exe").modulePath = "C:\\Tools\\svchost.exe";
             p.Find(62)->critical = Criticality::Unknown;
         },
         "svchost.exe", "C:\\Tools\\svchost.exe", "", {62}},
        {"where the system answers, its answer counts",
         [](FakeProcessPlatform& p) { p.Add(63, "svchost.exe").modulePath = "C:\\WINDOWS\\System32\\svchost.exe"; },
         "svchost.exe", "C:\\WINDOWS\\System32\\svchost.exe", "", {63}},
        {"second pass refused",
         [](FakeProcessPlatform& p) {
             p.Add(70, "other.exe").inSnapshot = false;
             p.Find(70)->openRefused = true;
             p.SetPerfInstances({{u"WINWORD", 70}});
         },
         "winword", "", "WINWORD", {}},
        // The debug privilege comes with the performance data: the second pass may end what the
        // first could not open, and then nothing is reported as running on.
        {"second pass ends what the first could not open",
         [](FakeProcessPlatform& p) { p.Find(50)->needsDebugPrivilege = true; p.SetPerfInstances({{u"a", 50}}); },
         "a.exe", "a", "", {50}},
        {"second pass ends one of two that the first could not open",
         [](FakeProcessPlatform& p) {
             p.Find(50)->needsDebugPrivilege = true;
             p.Add(51, "a.exe").modulePath = "C:\\y\\a.exe";
             p.Find(51)->openRefused = true;
             p.SetPerfInstances({{u"a", 50}, {u"a", 51}});
         },
         "a.exe", "a", "C:\\y\\a.exe", {50}},
        {"second pass spares a session process",
         [](FakeProcessPlatform& p) {
             p.Add(71, "lsass.exe").modulePath = "C:\\WINDOWS\\system32\\lsass.exe";
             p.Find(71)->inSnapshot = false;
             p.Find(71)->critical = Criticality::Unknown;
             p.SetPerfInstances({{u"lsass", 71}});
         },
         "lsass", "", "lsass", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAccess run({OneA, c.script});
        const EndReport report = run.access.EndProcessesByName(run.access.Program(c.name));
        EXPECT_EQ(report.ended, c.ended);
        EXPECT_EQ(report.runsOn.caption, c.stillRunning);
        EXPECT_EQ(run.platform.terminated, c.terminated);
        EXPECT_EQ(run.platform.LiveHandles(), 0u);
    }
}

// A kill run spares critical programs and, where the system cannot say, its session processes:
// named alone they are no reason to ask, since nothing would be ended for them.
TEST(FindAndEnd, SparedProgramsAreNoReasonToAsk) {
    const Scenario scenarios[] = {
        {"critical", [](FakeProcessPlatform& p) { OneA(p); p.Find(50)->critical = Criticality::Critical; }, "a.exe",
         "", {}, ""},
        {"session process, criticality unknown",
         [](FakeProcessPlatform& p) {
             OneA(p);
             p.facts.windowsFolder = "C:\\windows";
             p.Add(61, "services.exe", "C:\\windows\\system32\\services.exe").critical = Criticality::Unknown;
         },
         "services.exe", "", {}, ""},
        {"a spared copy beside one that would be ended",
         [](FakeProcessPlatform& p) {
             OneA(p);
             p.Find(50)->critical = Criticality::Critical;
             p.Add(51, "a.exe").modulePath = "C:\\y\\a.exe";
         },
         "a.exe", "C:\\y\\a.exe", {51}, "a.exe"},
        {"not asked, assumed ordinary", [](FakeProcessPlatform& p) { OneA(p); p.Find(50)->critical = Criticality::Unknown; },
         "a.exe", "C:\\x\\a.exe", {50}, "a.exe"},
        // Wine's 9x mode: bare names, no path to read; the NT line's session processes and the 9x
        // line's own by name alone.
        {"9x line, bare session name",
         [](FakeProcessPlatform& p) {
             p.facts.version.platformId = 1;
             p.Add(61, "services.exe").critical = Criticality::Unknown;
         },
         "services.exe", "", {}, ""},
        {"9x line, a namesake outside the system folder",
         [](FakeProcessPlatform& p) {
             p.facts.version.platformId = 1;
             p.Add(63, "C:\\Games\\mprexe.exe").critical = Criticality::Unknown;
         },
         "mprexe.exe", "C:\\Games\\mprexe.exe", {63}, "C:\\Games\\mprexe.exe"},
        {"NT line, a session name whose path cannot be read",
         [](FakeProcessPlatform& p) {
             p.Add(64, "svchost.exe").critical = Criticality::Unknown;
             p.Find(64)->modulePath.clear();
         },
         "svchost.exe", "", {}, ""},
    };
    for (const Scenario& s : scenarios) ExpectFindAndEnd(s);
}

TEST(SystemProcesses, ByNameAndFolder) {
    struct Case {
        std::string path;
        std::string windowsDirectory;
        bool spared;
        unsigned codePage = 1252;
    } cases[] = {
        {"C:\\WINDOWS\\System32\\csrss.exe", "C:\\WINDOWS", true},
        {"c:\\windows\\SYSTEM32\\Winlogon.EXE", "C:\\Windows", true},
        {"C:\\WINDOWS\\System32\\smss.exe", "C:\\WINDOWS\\", true},
        {"C:\\WINDOWS\\System32\\notepad.exe", "C:\\WINDOWS", false},
        {"C:\\WINDOWS\\lsass.exe", "C:\\WINDOWS", false},
        {"C:\\WINDOWS\\System32\\drivers\\lsass.exe", "C:\\WINDOWS", false},
        {"D:\\WINDOWS\\System32\\lsass.exe", "C:\\WINDOWS", false},
        {"C:\\WINDOWS\\System32\\lsass.exe ", "C:\\WINDOWS", false},
        {"C:\\WINDOWS\\System32\\lsass.exe", "", false},
        {"", "C:\\WINDOWS", false},
        // The 9x line's own, in its System folder; each set only in its own folder.
        {"C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL", "C:\\WINDOWS", true},
        {"C:\\Windows\\System\\msgsrv32.exe", "C:\\WINDOWS", true},
        {"C:\\WINDOWS\\SYSTEM\\notepad.exe", "C:\\WINDOWS", false},
        {"C:\\WINDOWS\\System32\\mprexe.exe", "C:\\WINDOWS", false},
        {"C:\\WINDOWS\\SYSTEM\\services.exe", "C:\\WINDOWS", false},
        {"C:\\Games\\spool32.exe", "C:\\WINDOWS", false},
        // A bare name names no folder (Wine's 9x snapshot): either set's is spared, with or without
        // a Windows directory; a drive-relative one has a folder part that is no system folder.
        {"lsass.exe", "C:\\WINDOWS", true},
        {"SVCHOST.EXE", "", true},
        {"Kernel32.dll", "C:\\WINDOWS", true},
        {"notepad.exe", "C:\\WINDOWS", false},
        {"C:lsass.exe", "C:\\WINDOWS", false},
        // A Windows folder named 表 (95 5C): its trail byte is no separator.
        {"C:\\\x95\x5C\\System32\\wininit.exe", "C:\\\x95\x5C", true, 932},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSystemProcess(c.path, c.windowsDirectory, fake::LeadBytesOf(c.codePage)),
                  c.spared)
            << c.path;
    }
}

TEST(FindAndEnd, EndedIdsHoldOnlySuccesses) {
    FakeProcessPlatform platform;
    platform.Add(50, "a.exe").openRefused = true;
    platform.Add(51, "a.exe").terminateRefused = true;
    platform.Add(52, "a.exe").modulePath = "C:\\a.exe";
    ProcessAccess access(platform, platform.facts);
    const EndReport report = access.EndProcessesByName(access.Program("a.exe"));
    EXPECT_EQ(report.ended, "C:\\a.exe");
    EXPECT_EQ(report.endedIds, (Ids{52}));
    EXPECT_TRUE(access.AnyProcessRunning({52, 50}));
    EXPECT_FALSE(access.AnyProcessRunning({52}));
    EXPECT_FALSE(access.AnyProcessRunning({}));
}

TEST(FindAndEnd, AsksForPathsOnlyWhereTheyCount) {
    // First pass: one image path query for any number of matches, of the last one.
    FakeProcessPlatform first;
    for (std::uint32_t id = 100; id < 120; ++id) first.Add(id, "v.exe").modulePath = "C:\\v.exe";
    ProcessAccess a(first, first.facts);
    EXPECT_EQ(a.EndProcessesByName(a.Program("v.exe")).ended, "C:\\v.exe");
    EXPECT_EQ(first.debugQueries, Ids{119});
    EXPECT_EQ(first.terminated.size(), 20u);

    // Second pass: a name that matches needs no path; one that does not, does.
    FakeProcessPlatform second;
    PerfOnly(second);
    ProcessAccess b(second, second.facts);
    EXPECT_EQ(b.EndProcessesByName(b.Program("winword")).ended, "WINWORD");
    EXPECT_EQ(second.debugQueries, Ids{4});  // System, before the match
    second.debugQueries.clear();
    EXPECT_EQ(b.FindProcessByName(b.Program("excel")), "C:\\Office\\EXCEL.EXE");
    EXPECT_EQ(second.debugQueries, (Ids{4, 10, 11, 12}));  // Find returns the path: asked of each
}

TEST(TerminateById, Statuses) {
    struct Case {
        const char* what;
        Script script;  // changes a.exe (60) or b.exe (0x80000061)
        std::uint32_t id;
        EndStatus status;
        std::size_t opens;
    } cases[] = {
        {"ended", fake::Unscripted, 60, EndStatus::Ended, 1},
        {"top bit set", fake::Unscripted, 0x80000061u, EndStatus::Ended, 1},
        {"9x line: not even opened", [](FakeProcessPlatform& p) { p.facts.version.platformId = 1; }, 60,
         EndStatus::NotNtLine, 0},
        {"no version read: not even opened", [](FakeProcessPlatform& p) { p.facts.version = {}; }, 60,
         EndStatus::NotNtLine, 0},
        {"cannot be opened", [](FakeProcessPlatform& p) { p.Find(60)->openRefused = true; }, 60,
         EndStatus::NotOpenedOrSpared, 1},
        {"no such process", fake::Unscripted, 99, EndStatus::NotOpenedOrSpared, 1},
        {"critical", [](FakeProcessPlatform& p) { p.Find(60)->critical = Criticality::Critical; }, 60,
         EndStatus::NotOpenedOrSpared, 1},
        {"refused", [](FakeProcessPlatform& p) { p.Find(60)->terminateRefused = true; }, 60,
         EndStatus::TerminateFailed, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAccess run({[](FakeProcessPlatform& p) { p.Add(60, "a.exe"); p.Add(0x80000061u, "b.exe"); },
                            c.script});
        EXPECT_EQ(run.access.TerminateProcessById(c.id), c.status);
        EXPECT_EQ(run.platform.opened, Ids(c.opens, c.id));
        EXPECT_EQ(run.platform.terminated.size(), c.status == EndStatus::Ended ? 1u : 0u);
        EXPECT_EQ(run.platform.LiveHandles(), 0u);
    }
}

TEST(Snapshot, MissingPiecesGiveShorterWalks) {
    struct Case {
        const char* what;
        Script script;
        std::size_t seen;
        int snapshots;
    } cases[] = {
        {"all there", fake::Unscripted, 3, 1},
        {"no ToolHelp", [](FakeProcessPlatform& p) { p.snapshotMissing = true; }, 0, 0},
        {"NT line without the UTF-16 walk: the ANSI one",
         [](FakeProcessPlatform& p) {
             p.facts.version.platformId = kVerPlatformNt;
             p.wideSnapshotMissing = true;
         },
         3, 1},
        {"snapshot fails", [](FakeProcessPlatform& p) { p.snapshotFails = true; }, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // No version read: the walk of the ANSI functions, the one a platform of no known line takes.
        ScriptedAccess run({[](FakeProcessPlatform& p) {
                                p.facts.version = {};
                                p.Add(1, "a.exe");
                                p.Add(2, "b.exe");
                                p.Add(3, "c.exe");
                            },
                            c.script});
        std::size_t seen = 0;
        run.access.WalkSnapshot([&](const SnapshotEntry&) { ++seen; });
        EXPECT_EQ(seen, c.seen);
        EXPECT_EQ(run.platform.snapshots, c.snapshots);
        EXPECT_EQ(run.platform.LiveHandles(), 0u);
    }
}

// Mail (1) best fit's "mail.exe" of "māil.exe", a true mail.exe (2), 日本.exe and 中国.exe both "??.exe" (3, 4),
// app.exe in C:\x (5) and in a folder outside the code page (6), Ωmega.exe as "Omega.exe" (7), and "māil" only in
// the performance data (8). On the 9x line the snapshot holds the ANSI names, here best fit's.
void BeyondTheCodePage(FakeProcessPlatform& p) {
    FakeProcess& mail = p.Add(1, "mail.exe");
    mail.wideExeFile = u"māil.exe";
    mail.wideImageName = u"C:\\t\\māil.exe";
    p.Add(2, "mail.exe", "C:\\t\\mail.exe");
    p.Add(3, "??.exe").wideExeFile = u"日本.exe";
    p.processes.back().wideImageName = u"C:\\t\\日本.exe";
    p.Add(4, "??.exe").wideExeFile = u"中国.exe";
    p.Add(5, "app.exe", "C:\\x\\app.exe");
    p.Add(6, "app.exe").wideImageName = u"C:\\日本\\app.exe";
    p.Add(7, "Omega.exe").wideExeFile = u"Ωmega.exe";
    p.Add(8, "x.exe").inSnapshot = false;
    p.SetPerfInstances({{u"māil", 8}});
}

// Names and paths read in UTF-16 that do not survive the ANSI code page name nothing: neither the
// look-alike of best fit nor the default character is a process's name.
TEST(FindAndEnd, NamesBeyondTheCodePageNameNothing) {
    struct Case {
        const char* what;
        unsigned codePage;
        std::uint32_t platformId;
        std::string name;
        Ids terminated;
        std::string ended;
        std::string found;
    } cases[] = {
        {"best fit: mail.exe spares māil.exe", 1252, 2, "mail.exe", {2}, "C:\\t\\mail.exe", "mail.exe"},
        {"best fit: Omega.exe is no name of Ωmega.exe", 1252, 2, "Omega.exe", {}, "", ""},
        {"default character: ??.exe ends neither 日本 nor 中国", 1252, 2, "??.exe", {}, "", ""},
        {"a path through a folder outside the code page names nothing", 1252, 2, "C:\\??\\app.exe", {},
         "", ""},
        {"the namesake in another folder goes alone", 1252, 2, "C:\\x\\app.exe", {5}, "C:\\x\\app.exe",
         "C:\\x\\app.exe"},
        {"a bare name ends both copies, listed under the last one's exact name", 1252, 2, "app.exe",
         {5, 6}, "app.exe", "app.exe"},
        {"double-byte code page: 日本.exe is exact there", 932, 2, "\x93\xfa\x96\x7b.exe", {3},
         "C:\\t\\\x93\xfa\x96\x7b.exe", "\x93\xfa\x96\x7b.exe"},
        {"9x line: the ANSI names are the system's own, the last one's is its caption", 1252, 1, "mail.exe",
         {1, 2}, "mail.exe", "mail.exe"},
        {"the performance data's name outside the code page", 1252, 2, "mail", {}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool find : {false, true}) {
            ScriptedAccess run({BeyondTheCodePage});
            run.platform.SetCodePage(c.codePage);
            run.platform.facts.version.platformId = c.platformId;
            if (c.name != "mail") run.platform.perfData.clear();
            if (find) {
                EXPECT_EQ(run.access.FindProcessByName(run.access.Program(c.name)), c.found);
            } else {
                EXPECT_EQ(run.access.EndProcessesByName(run.access.Program(c.name)).ended, c.ended);
                EXPECT_EQ(run.platform.terminated, c.terminated);
            }
            EXPECT_EQ(run.platform.LiveHandles(), 0u);
        }
    }
}

// a.exe runs in sessions 0 (10), 1 (11), 2 (12) and in one whose session cannot be read (13); b.exe
// only in session 2 (20). This program runs in session 1 on Windows Vista and later, unless a row
// says otherwise.
void FourSessions(FakeProcessPlatform& p) {
    p.Add(10, "a.exe", "C:\\p\\a.exe").session = 0;
    p.Add(11, "a.exe", "C:\\p\\a.exe").session = 1;
    p.Add(12, "a.exe", "C:\\p\\a.exe").session = 2;
    p.Add(13, "a.exe", "C:\\p\\a.exe").session = std::nullopt;
    p.Add(20, "b.exe", "C:\\p\\b.exe").session = 2;
}

// Only the processes of this program's own logon session count, on every route; where Windows
// cannot say, every process counts, and from the services' session 0 every session.
TEST(FindAndEnd, OwnLogonSessionOnly) {
    struct Case {
        const char* what;
        Script script;
        Ids seen;  // of 10 to 13 and 20, the ones a kill run may end
    } cases[] = {
        {"session 1", fake::Unscripted, {11, 13}},
        {"session 2: both programs", [](FakeProcessPlatform& p) { p.selfSession = 2; }, {12, 13, 20}},
        {"session 0 of Windows Vista and later: the services', every session",
         [](FakeProcessPlatform& p) { p.selfSession = 0; }, {10, 11, 12, 13, 20}},
        {"session 0 of Windows XP: the first user's",
         [](FakeProcessPlatform& p) {
             p.selfSession = 0;
             p.facts.version.major = 5;
         },
         {10, 13}},
        {"another user's process: the query refused, the terminal services' list says where",
         [](FakeProcessPlatform& p) { p.Find(13)->listedSession = 2; }, {11}},
        {"own session unreadable", [](FakeProcessPlatform& p) { p.selfSession = std::nullopt; },
         {10, 11, 12, 13, 20}},
        {"NT 4.0 without Terminal Server: no ProcessIdToSessionId",
         [](FakeProcessPlatform& p) {
             p.facts.version.major = 4;
             p.sessionQueryMissing = true;
         },
         {10, 11, 12, 13, 20}},
        {"9x line: never asked", [](FakeProcessPlatform& p) { p.facts.version.platformId = 1; }, {10, 11, 12, 13, 20}},
    };
    enum class Route { Snapshot, PerfData, PathWithoutPerfData };
    for (const Case& c : cases) {
        for (Route route : {Route::Snapshot, Route::PerfData, Route::PathWithoutPerfData}) {
            SCOPED_TRACE(std::string(c.what) + ", route " + std::to_string(static_cast<int>(route)));
            ScriptedAccess run({FourSessions, c.script});
            FakeProcessPlatform& p = run.platform;
            const bool nineX = p.facts.version.platformId == 1;
            if (route == Route::PerfData) {
                // The 9x line has no performance data; its snapshot is all there is.
                if (nineX) continue;
                for (FakeProcess& process : p.processes) process.inSnapshot = false;
                p.SetPerfInstances({{u"a", 10}, {u"a", 11}, {u"a", 12}, {u"a", 13}, {u"b", 20}});
            }
            // Wine's answers: no module list, no performance data; a full path is compared by path.
            const std::string prefix = route == Route::PathWithoutPerfData && !nineX ? "C:\\p\\" : "";
            Ids a, b;
            for (std::uint32_t id : c.seen) (id == 20 ? b : a).push_back(id);
            // The performance data's pass ends the first match it may.
            if (route == Route::PerfData) a.resize(1);

            EXPECT_EQ(run.access.FindProcessByName(run.access.Program(prefix + "b.exe")).empty(), b.empty());
            EXPECT_FALSE(run.access.FindProcessByName(run.access.Program(prefix + "a.exe")).empty());
            const EndReport endA = run.access.EndProcessesByName(run.access.Program(prefix + "a.exe"));
            EXPECT_EQ(endA.endedIds, a);
            EXPECT_EQ(endA.matchedIds, a);
            EXPECT_EQ(endA.runsOn.caption, "");
            // Only in another session: as if it did not run, so no row.
            const EndReport endB = run.access.EndProcessesByName(run.access.Program(prefix + "b.exe"));
            EXPECT_EQ(endB.endedIds, b);
            EXPECT_EQ(endB.ended.empty() && endB.runsOn.caption.empty(), b.empty());
            Ids terminated = a;
            terminated.insert(terminated.end(), b.begin(), b.end());
            EXPECT_EQ(p.terminated, terminated);
            EXPECT_EQ(p.LiveHandles(), 0u);
            if (nineX) {
                EXPECT_EQ(p.sessionQueries, 0);
            }
        }
    }
}
