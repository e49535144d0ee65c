// Which processes are never ended: one rule, the same answer on every route that ends or looks.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fakes/CodePages.h"
#include "fakes/ScriptedAccess.h"
#include "process/SystemProcesses.h"

using namespace norvanex;
using fake::FakeProcess;
using fake::FakeProcessPlatform;
using fake::Script;
using fake::ScriptedAccess;

namespace {

constexpr std::uint32_t kId = 60;

// One process `exe` (id 60, or this program's own id) at `path`; an empty path cannot be read.
FakeProcess& Place(FakeProcessPlatform& p, const std::string& exe, const std::string& path,
                   Criticality critical, std::uint32_t id = kId) {
    FakeProcess& process = p.Add(id, exe);
    process.modulePath = path;
    process.critical = critical;
    return process;
}

// The name without its extension, as the performance data lists a process.
std::u16string Stem(const std::string& exe) {
    const std::string stem = exe.substr(0, exe.rfind('.'));
    return std::u16string(stem.begin(), stem.end());
}

struct Route {
    const char* what;
    bool namesTheProcess;  // the route knows the process's name (all but the bare id)
    bool needsPath;        // the route finds the process by its path (none to find where unreadable)
    // Whether the process `exe` ran on, spared, after the route was taken.
    bool (*spared)(ScriptedAccess& run, const std::string& exe, std::uint32_t id);
};

bool EndSpared(ScriptedAccess& run, const std::string& name) {
    run.access.EndProcessesByName(run.access.Program(name));
    return run.platform.terminated.empty();
}

bool AskSpared(ScriptedAccess& run, const std::string& name) {
    const EndReport report =
        run.access.EndProcessesByName(run.access.Program(name), [](std::uint32_t) { return true; });
    EXPECT_TRUE(run.platform.terminated.empty());
    return report.asked.empty();
}

// The process hidden from the snapshot, listed in the performance data; the name to give.
std::string PerfOnly(ScriptedAccess& run, const std::string& exe, std::uint32_t id) {
    run.platform.Find(id)->inSnapshot = false;
    run.platform.SetPerfInstances({{Stem(exe), id}});
    return exe.substr(0, exe.rfind('.'));
}

// The process's path as a kill run would name it.
std::string PathName(ScriptedAccess& run, std::uint32_t id) { return run.access.GetProcessImagePath(id); }

const Route kRoutes[] = {
    {"snapshot, end", true, false,
     [](ScriptedAccess& run, const std::string& exe, std::uint32_t) { return EndSpared(run, exe); }},
    {"snapshot, ask to close (ended at the end of the wait)", true, false,
     [](ScriptedAccess& run, const std::string& exe, std::uint32_t) { return AskSpared(run, exe); }},
    {"snapshot, find", true, false,
     [](ScriptedAccess& run, const std::string& exe, std::uint32_t) {
         return run.access.FindProcessByName(run.access.Program(exe)).empty();
     }},
    {"performance data, end", true, false,
     [](ScriptedAccess& run, const std::string& exe, std::uint32_t id) {
         return EndSpared(run, PerfOnly(run, exe, id));
     }},
    {"performance data, ask to close", true, false,
     [](ScriptedAccess& run, const std::string& exe, std::uint32_t id) {
         return AskSpared(run, PerfOnly(run, exe, id));
     }},
    {"performance data, find", true, false,
     [](ScriptedAccess& run, const std::string& exe, std::uint32_t id) {
         return run.access.FindProcessByName(run.access.Program(PerfOnly(run, exe, id))).empty();
     }},
    {"second pass by path, end", true, true,
     [](ScriptedAccess& run, const std::string&, std::uint32_t id) {
         return EndSpared(run, PathName(run, id));
     }},
    {"second pass by path, find", true, true,
     [](ScriptedAccess& run, const std::string&, std::uint32_t id) {
         return run.access.FindProcessByName(run.access.Program(PathName(run, id))).empty();
     }},
    {"by id", false, false,
     [](ScriptedAccess& run, const std::string&, std::uint32_t id) {
         const EndStatus status = run.access.TerminateProcessById(id);
         EXPECT_EQ(status == EndStatus::Ended, !run.platform.terminated.empty());
         return status == EndStatus::NotOpenedOrSpared;
     }},
};

}  // namespace

TEST(Spare, OneRuleOnEveryRoute) {
    struct Case {
        const char* what;
        std::string exe;
        std::string path;  // empty: cannot be read
        Criticality critical;
        bool self;
        bool spared;          // where the route knows the name
        bool sparedUnnamed;   // where it knows the id alone
    } cases[] = {
        {"ordinary", "a.exe", "C:\\x\\a.exe", Criticality::NotCritical, false, false, false},
        {"critical", "a.exe", "C:\\x\\a.exe", Criticality::Critical, false, true, true},
        {"this program", "a.exe", "C:\\x\\a.exe", Criticality::NotCritical, true, true, true},
        {"Windows says a session process is not critical", "services.exe", "C:\\WINDOWS\\System32\\services.exe",
         Criticality::NotCritical, false, false, false},
        {"unknown: a session process in System32", "services.exe", "\\SystemRoot\\System32\\services.exe",
         Criticality::Unknown, false, true, true},
        {"unknown: a session process's namesake elsewhere", "services.exe", "C:\\Tools\\services.exe",
         Criticality::Unknown, false, false, false},
        {"unknown: an ordinary name elsewhere", "a.exe", "C:\\x\\a.exe", Criticality::Unknown, false, false, false},
        {"unknown: a session name whose path cannot be read", "svchost.exe", "", Criticality::Unknown, false, true,
         true},
        // The name says it is none of the system's; the bare id says nothing, and its path nothing either.
        {"unknown: an ordinary name whose path cannot be read", "a.exe", "", Criticality::Unknown, false, false,
         true},
    };
    for (const Case& c : cases) {
        for (const Route& route : kRoutes) {
            if (route.needsPath && c.path.empty()) continue;
            SCOPED_TRACE(std::string(c.what) + " / " + route.what);
            ScriptedAccess run({fake::Unscripted});
            const std::uint32_t id = c.self ? run.platform.selfId : kId;
            Place(run.platform, c.exe, c.path, c.critical, id);
            EXPECT_EQ(route.spared(run, c.exe, id), route.namesTheProcess ? c.spared : c.sparedUnnamed);
            EXPECT_EQ(run.platform.LiveHandles(), 0u);
        }
    }
}

// Where Windows cannot say which processes are critical, each of these is spared in its own
// folder, and only there.
TEST(Spare, EverySystemProcessInItsFolder) {
    struct Case {
        const char* name;
        const char* folder;  // under C:\WINDOWS
    } cases[] = {
        {"smss.exe", "System32"},     {"csrss.exe", "System32"},   {"wininit.exe", "System32"},
        {"winlogon.exe", "System32"}, {"services.exe", "System32"}, {"svchost.exe", "System32"},
        {"lsass.exe", "System32"},    {"lsm.exe", "System32"},     {"rpcss.exe", "System32"},
        {"plugplay.exe", "System32"}, {"winedevice.exe", "System32"},
        {"KERNEL32.DLL", "SYSTEM"},   {"MSGSRV32.EXE", "SYSTEM"},  {"MPREXE.EXE", "SYSTEM"},
        {"MMTASK.TSK", "SYSTEM"},     {"SPOOL32.EXE", "SYSTEM"},
    };
    const LeadByteFn lead = fake::LeadBytesOf(1252);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string other = std::string(c.folder) == "System32" ? "SYSTEM" : "System32";
        EXPECT_TRUE(IsSystemProcess(std::string("C:\\WINDOWS\\") + c.folder + '\\' + c.name, "C:\\WINDOWS", lead));
        EXPECT_FALSE(IsSystemProcess("C:\\WINDOWS\\" + other + '\\' + c.name, "C:\\WINDOWS", lead));
        EXPECT_TRUE(IsSystemProcessName(c.name, lead));
        const std::string name = c.name;
        EXPECT_TRUE(IsSystemProcessStem(name.substr(0, name.rfind('.')), lead));
    }
    EXPECT_FALSE(IsSystemProcessName("svchost", lead));
    EXPECT_FALSE(IsSystemProcessStem("svchost.exe", lead));
    EXPECT_FALSE(IsSystemProcessStem("notepad", lead));
}
