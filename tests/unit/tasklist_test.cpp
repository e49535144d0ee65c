// The task chooser's rules: what it collects from which source, and which marks a refill keeps.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/AnsiText.h"
#include "fakes/CodePages.h"
#include "fakes/ScriptedAccess.h"
#include "ui/TaskList.h"

using namespace norvanex;
using fake::FakeProcessPlatform;
using Texts = std::vector<std::string>;

namespace {

struct Collection {
    const char* what;
    fake::Script script;
    Texts expected;
    int snapshots;  // walks taken
};

// The pseudo-processes of the performance data, a program without a known path, two instances of
// one program, and the chooser's own process.
void NtSystem(FakeProcessPlatform& p) {
    p.Add(0, "[System Process]");
    p.Add(4, "System");
    p.Add(10, "notepad.exe").modulePath = "\\??\\C:\\WINDOWS\\notepad.exe";
    p.Add(11, "notepad.exe").modulePath = "\\??\\C:\\WINDOWS\\notepad.exe";
    p.Add(12, "svc.exe");
    p.Add(p.selfId, "Norvanex.exe").modulePath = "C:\\Tools\\Norvanex.exe";
    p.SetPerfInstances({{u"Idle", 0},
                        {u"System", 4},
                        {u"notepad", 10},
                        {u"notepad", 11},
                        {u"svc", 12},
                        {u"Norvanex", p.selfId},
                        {u"_Total", 0}});
}

}  // namespace

TEST(TaskList, CollectsFromThePerformanceDataElseTheSnapshot) {
    // NtSystem's snapshot: every entry, paths where known.
    const Texts everySnapshotEntry = {"[System Process]", "System", "C:\\WINDOWS\\notepad.exe",
                                      "C:\\WINDOWS\\notepad.exe", "svc.exe", "C:\\Tools\\Norvanex.exe"};
    const Collection cases[] = {
        {"performance data: paths, names without one, pseudo-processes left out, both instances",
         NtSystem,
         {"C:\\WINDOWS\\notepad.exe", "C:\\WINDOWS\\notepad.exe", "svc", "C:\\Tools\\Norvanex.exe"}, 0},
        {"pseudo-process names in any case are left out only without a path",
         [](FakeProcessPlatform& p) {
             p.Add(20, "idle.exe").modulePath = "C:\\Games\\IDLE";
             p.SetPerfInstances({{u"IDLE", 0}, {u"system", 4}, {u"_total", 0}, {u"iDlE", 20}, {u"Systems", 5}, {u"", 6}});
         },
         {"C:\\Games\\IDLE", "Systems"}, 0},
        {"nothing usable in the performance data: every snapshot entry, paths where known",
         [](FakeProcessPlatform& p) {
             NtSystem(p);
             p.SetPerfInstances({{u"Idle", 0}, {u"_Total", 0}});
         },
         everySnapshotEntry, 1},
        {"9x line: the snapshot's own paths, nobody asked for another",
         [](FakeProcessPlatform& p) {
             p.facts.version.platformId = 1;
             p.Add(1, "C:\\WINDOWS\\EXPLORER.EXE").modulePath = "C:\\elsewhere\\x.exe";
             p.Add(2, "C:\\WINDOWS\\SYSTEM\\IDLE");
         },
         {"C:\\WINDOWS\\EXPLORER.EXE", "C:\\WINDOWS\\SYSTEM\\IDLE"}, 1},
        {"the kernel's path when the debug information has none (as under Wine)",
         [](FakeProcessPlatform& p) {
             p.Add(7, "victim.exe", "Z:\\tmp\\victim.exe");
             p.Add(8, "victim.exe", "Z:\\tmp\\victim.exe");
         },
         {"Z:\\tmp\\victim.exe", "Z:\\tmp\\victim.exe"}, 1},
        // Code page 932: ソ (83 5C) and 表 (95 5C) end in the byte of a backslash, and are bare names.
        {"a trail byte 0x5C is no folder",
         [](FakeProcessPlatform& p) {
             p.SetCodePage(932);
             p.Add(7, "\x83\x5C.exe", "Z:\\tmp\\\x83\x5C.exe");
             p.Add(8, "\x94\x5C\x97\xCD.exe", "Z:\\tmp\\\x94\x5C\x97\xCD.exe");
         },
         {"Z:\\tmp\\\x83\x5C.exe", "Z:\\tmp\\\x94\x5C\x97\xCD.exe"}, 1},
        {"malformed performance data: the snapshot takes over",
         [](FakeProcessPlatform& p) {
             NtSystem(p);
             p.perfData = fake::PerfDataBlockBuilder().Counter(fake::kIdProcessIndex, 8).Instance(u"notepad", 10)
                              .NumInstancesField(-1).Build();
         },
         everySnapshotEntry, 1},
        {"neither source: nothing", [](FakeProcessPlatform& p) { p.snapshotFails = true; }, {}, 1},
    };
    for (const Collection& c : cases) {
        SCOPED_TRACE(c.what);
        fake::ScriptedAccess run({c.script});
        Texts captions;
        for (const TaskText& task : CollectTaskTexts(run.access)) captions.push_back(task.text);
        EXPECT_EQ(captions, c.expected);
        EXPECT_EQ(run.platform.snapshots, c.snapshots);
        EXPECT_EQ(run.platform.LiveHandles(), 0u);
        EXPECT_TRUE(run.platform.terminated.empty());
    }
}

// The chooser lists what a kill run would look at: the processes of the user's own logon session,
// those whose session cannot be read, and from the services' session every one; from either source.
TEST(TaskList, OwnLogonSessionOnly) {
    const Texts own = {"C:\\a\\mine.exe", "C:\\a\\unknown.exe", "C:\\Tools\\Norvanex.exe"};
    const Texts every = {"C:\\a\\mine.exe", "C:\\a\\theirs.exe", "C:\\a\\unknown.exe", "C:\\Tools\\Norvanex.exe"};
    struct Case {
        const char* what;
        std::optional<std::uint32_t> selfSession;
        bool perfData;
        const Texts& expected;
    } cases[] = {
        {"session 1, performance data", 1, true, own},
        {"session 1, snapshot", 1, false, own},
        {"the services' session 0", 0, false, every},
        {"own session unreadable", std::nullopt, true, every},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeProcessPlatform p;
        p.selfSession = c.selfSession;
        p.Add(10, "mine.exe", "C:\\a\\mine.exe");
        p.Add(11, "theirs.exe", "C:\\a\\theirs.exe").session = 2;
        p.Add(13, "unknown.exe", "C:\\a\\unknown.exe").session = std::nullopt;
        p.Add(p.selfId, "Norvanex.exe", "C:\\Tools\\Norvanex.exe");
        if (c.perfData) p.SetPerfInstances({{u"mine", 10}, {u"theirs", 11}, {u"unknown", 13}, {u"Norvanex", p.selfId}});
        ProcessAccess access(p, p.facts);
        Texts captions;
        for (const TaskText& task : CollectTaskTexts(access)) captions.push_back(task.text);
        EXPECT_EQ(captions, c.expected);
        EXPECT_EQ(p.snapshots, c.perfData ? 0 : 1);
    }
}

// A name or path outside the ANSI code page is shown as the system holds it and marked, so that the
// chooser never hands the editor a name that stands for another program.
TEST(TaskList, NamesBeyondTheCodePageAreShownNotChosen) {
    struct Case {
        const char* what;
        bool perfData;
        std::vector<TaskText> expected;
    } cases[] = {
        {"from the snapshot", false,
         {{"C:\\t\\?\\m?il.exe", false, u"C:\\t\\ā\\māil.exe"}, {"C:\\t\\mail.exe"}, {"app.exe"}, {"?.exe", false, u"Ω.exe"}}},
        {"from the performance data", true,
         {{"C:\\t\\?\\m?il.exe", false, u"C:\\t\\ā\\māil.exe"}, {"C:\\t\\mail.exe"}, {"app"}, {"?", false, u"Ω"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeProcessPlatform p;
        fake::FakeProcess& lossy = p.Add(1, "mail.exe");
        lossy.wideExeFile = u"māil.exe";
        lossy.wideImageName = u"C:\\t\\ā\\māil.exe";
        p.Add(2, "mail.exe", "C:\\t\\mail.exe");
        p.Add(3, "app.exe").wideImageName = u"C:\\日本\\app.exe";
        p.Add(4, "O.exe").wideExeFile = u"Ω.exe";
        if (c.perfData) p.SetPerfInstances({{u"māil", 1}, {u"mail", 2}, {u"app", 3}, {u"Ω", 4}});
        ProcessAccess access(p, p.facts);
        EXPECT_EQ(CollectTaskTexts(access), c.expected);
    }
}

TEST(TaskList, RefillKeepsTheMarksOfCaptionsStillListed) {
    struct Refill {
        const char* what;
        std::vector<TaskRow> before;
        Texts captions;
        std::vector<bool> marks;
    } cases[] = {
        {"same rows", {{"a.exe", true}, {"b.exe", false}}, {"a.exe", "b.exe"}, {true, false}},
        {"a process ended, another started, order changed",
         {{"a.exe", false}, {"b.exe", true}, {"c.exe", true}},
         {"d.exe", "c.exe", "a.exe"},
         {false, true, false}},
        {"letters a to z folded", {{"C:\\Tools\\A.EXE", true}}, {"c:\\tools\\a.exe"}, {true}},
        {"one of two instances checked marks one row", {{"n.exe", false}, {"n.exe", true}}, {"n.exe", "n.exe"},
         {false, true}},
        {"a third instance starts cleared", {{"n.exe", true}, {"n.exe", true}}, {"n.exe", "n.exe", "n.exe"},
         {true, true, false}},
        // 0x83 0x41 and 0x83 0x61 are two different katakana: the trail byte never folds.
        {"double-byte trail bytes compare exactly", {{"\x83\x41.exe", true}}, {"\x83\x61.exe", "\x83\x41.exe"},
         {false, true}},
        {"empty before", {}, {"a.exe"}, {false}},
    };
    for (const Refill& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MarksAfterRefill(c.before, c.captions, fake::LeadBytesOf(932)), c.marks);
    }
}

TEST(TaskList, CountComesFirst) {
    EXPECT_EQ(RunningTasksText(37, "laufende Tasks:"), "37 laufende Tasks:");
    EXPECT_EQ(RunningTasksText(0, "running tasks:"), "0 running tasks:");
}
