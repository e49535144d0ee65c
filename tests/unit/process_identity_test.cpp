// One file under every name: a full path on the call line ends the processes whose image is that
// file, however either is spelt, and opens only images of the same file name for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/ScriptedAccess.h"

using namespace norvanex;
using fake::FakeProcessPlatform;
using fake::Script;
using fake::ScriptedAccess;

namespace {

// Wine's answers (bare names, the kernel's image path, no performance data): a.exe in C:\v, its
// namesake in C:\w, one whose image is gone, b.exe, and a 64-bit x.exe in System32. The same
// file is reached through a folder link, a second drive letter, "\\.\" and Sysnative.
void Files(FakeProcessPlatform& p) {
    p.Add(10, "a.exe", "C:\\v\\a.exe");
    p.Add(11, "a.exe", "C:\\w\\a.exe");
    p.Add(12, "A.EXE", "C:\\gone\\A.EXE");
    p.Add(13, "b.exe", "C:\\v\\b.exe");
    p.Add(14, "x.exe", "C:\\WINDOWS\\system32\\x.exe");
    const FileIdentity a{7, 0, 100}, other{7, 0, 200}, x64{7, 0, 300}, x32{7, 0, 301};
    p.files = {{"C:\\v\\a.exe", a},          {"C:\\w\\a.exe", other},         {"C:\\link\\a.exe", a},
               {"S:\\a.exe", a},             {"\\\\.\\C:\\v\\a.exe", a},      {"C:\\v\\b.exe", {7, 0, 400}},
               {"C:\\WINDOWS\\Sysnative\\x.exe", x64}, {"C:\\WINDOWS\\system32\\x.exe", x32}};
}

// The 9x line names full paths in its snapshot and has no query of its own: the same processes.
void NineX(FakeProcessPlatform& p) {
    p.facts.version.platformId = 1;
    for (fake::FakeProcess& process : p.processes) process.exeFile = process.fullImageName;
}

// The performance data lists the processes that the snapshot does not show.
void PerfOnly(FakeProcessPlatform& p) {
    p.SetPerfInstances({{u"a", 10}, {u"a", 11}, {u"A", 12}, {u"b", 13}, {u"x", 14}});
    for (fake::FakeProcess& process : p.processes) process.inSnapshot = false;
}

}  // namespace

TEST(FileIdentity, AFullPathEndsItsFileUnderEveryName) {
    using Paths = std::vector<std::string>;
    struct Case {
        const char* what;
        Script script;
        std::string name;
        std::string ended;
        std::vector<std::uint32_t> terminated;
        Paths opened;  // in order: the name's file first, then each image of that file name
    } cases[] = {
        {"the same spelling needs no file opened; its namesakes do", fake::Unscripted, "C:\\v\\a.exe",
         "C:\\v\\a.exe", {10}, {"C:\\v\\a.exe", "C:\\w\\a.exe", "C:\\gone\\A.EXE"}},
        {"a folder reached through a link", fake::Unscripted, "C:\\link\\a.exe", "C:\\v\\a.exe", {10},
         {"C:\\link\\a.exe", "C:\\v\\a.exe", "C:\\w\\a.exe", "C:\\gone\\A.EXE"}},
        {"a second drive letter", fake::Unscripted, "S:\\a.exe", "C:\\v\\a.exe", {10},
         {"S:\\a.exe", "C:\\v\\a.exe", "C:\\w\\a.exe", "C:\\gone\\A.EXE"}},
        {"the device namespace", fake::Unscripted, "\\\\.\\C:\\v\\a.exe", "C:\\v\\a.exe", {10},
         {"\\\\.\\C:\\v\\a.exe", "C:\\v\\a.exe", "C:\\w\\a.exe", "C:\\gone\\A.EXE"}},
        // The 64-bit image in System32 is opened through Sysnative, where this 32-bit program
        // would otherwise find the 32-bit copy.
        {"Sysnative", fake::Unscripted, "C:\\WINDOWS\\Sysnative\\x.exe", "C:\\WINDOWS\\system32\\x.exe", {14},
         {"C:\\WINDOWS\\Sysnative\\x.exe", "C:\\WINDOWS\\Sysnative\\x.exe"}},
        {"a trailing backslash names no file", fake::Unscripted, "C:\\v\\a.exe\\", "", {}, {}},
        {"the same volume and low index, another high index: another file",
         [](FakeProcessPlatform& p) { p.files["C:\\link\\a.exe"] = {7, 1, 100}; }, "C:\\link\\a.exe", "", {},
         {"C:\\link\\a.exe", "C:\\v\\a.exe", "C:\\w\\a.exe", "C:\\gone\\A.EXE"}},
        {"a file that cannot be opened: the spelling decides", fake::Unscripted, "C:\\nowhere\\a.exe", "", {},
         {"C:\\nowhere\\a.exe"}},
        {"the 9x line", NineX, "S:\\a.exe", "C:\\v\\a.exe", {10},
         {"S:\\a.exe", "C:\\v\\a.exe", "C:\\w\\a.exe", "C:\\gone\\A.EXE"}},
        {"the performance data", PerfOnly, "C:\\link\\a.exe", "a", {10},
         {"C:\\link\\a.exe", "C:\\v\\a.exe"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAccess run({Files, c.script});
        EXPECT_EQ(run.access.EndProcessesByName(run.access.Program(c.name)).ended, c.ended);
        EXPECT_EQ(run.platform.terminated, c.terminated);
        EXPECT_EQ(run.platform.fileOpens, c.opened);
        EXPECT_EQ(run.platform.LiveHandles(), 0u);
        if (!c.opened.empty()) {
            // Windows 95 to Me refuse a shared deletion and an open without any right.
            EXPECT_EQ(run.platform.lastFileNtLine, run.platform.facts.NtLine());
        }
    }
}
