// The process image path: debug-information route, rewriting, and the kernel's full image name.
#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeProcessPlatform.h"
#include "process/ProcessAccess.h"

using namespace norvanex;
using fake::FakeProcess;
using fake::FakeProcessPlatform;

TEST(ImagePath, Rewriting) {
    struct Case {
        std::string module;
        std::string windowsDirectory;
        std::string expected;
        unsigned codePage = 1252;
    } cases[] = {
        {"\\??\\C:\\dir\\app.exe", "C:\\WINNT", "C:\\dir\\app.exe"},
        {"\\SystemRoot\\System32\\app.exe", "C:\\WINNT", "C:\\WINNT\\System32\\app.exe"},
        {"\\SystemRoot\\System32\\app.exe", "C:\\", "C:\\System32\\app.exe"},
        {"\\systemroot\\app.exe", "C:\\WINNT", "C:\\WINNT\\app.exe"},
        {"\\SYSTEMROOT\\", "D:\\W", "D:\\W\\"},
        {"\\??\\\\SystemRoot\\x.exe", "C:\\WINNT", "C:\\WINNT\\x.exe"},
        {"C:\\dir\\app.exe", "C:\\WINNT", "C:\\dir\\app.exe"},
        {"\\??\\", "C:\\WINNT", ""},                            // empty: the kernel is asked
        {"\\??x\\C:\\a.exe", "C:\\WINNT", "\\??x\\C:\\a.exe"},  // "\??\" only exactly
        {"\\SystemRoot", "C:\\WINNT", "\\SystemRoot"},
        {"\\SystemRootX\\a.exe", "C:\\WINNT", "\\SystemRootX\\a.exe"},
        {"\\SYSTEMR\xD6OT\\a.exe", "C:\\WINNT", "\\SYSTEMR\xD6OT\\a.exe"},
        {"x\\SystemRoot\\a.exe", "C:\\WINNT", "x\\SystemRoot\\a.exe"},
        // A Windows directory longer than MAX_PATH is taken whole.
        {"\\SystemRoot\\a.exe", "C:\\" + std::string(300, 'w'),
         "C:\\" + std::string(300, 'w') + "\\a.exe"},
        // No Windows directory: the path is left as the kernel gave it.
        {"\\SystemRoot\\a.exe", "", "\\SystemRoot\\a.exe"},
        // 256 bytes without a NUL are taken whole.
        {std::string(252, 'p') + ".exe", "C:\\WINNT", std::string(252, 'p') + ".exe"},
        // A Windows directory ending in 表 (95 5C) under 932 ends in no backslash; under 1252 the
        // same bytes do.
        {"\\SystemRoot\\a.exe", "C:\\\x95\x5C", "C:\\\x95\x5C\\a.exe", 932},
        {"\\SystemRoot\\a.exe", "C:\\\x95\x5C", "C:\\\x95\x5C" "a.exe", 1252},
    };
    for (const Case& c : cases) {
        FakeProcessPlatform platform;
        platform.Add(0x80000010u, "app.exe").modulePath = c.module;
        platform.facts.windowsFolder = c.windowsDirectory;
        platform.SetCodePage(c.codePage);
        ProcessAccess access(platform, platform.facts);
        EXPECT_EQ(access.GetProcessImagePath(0x80000010u), c.expected) << c.module;
        EXPECT_EQ(platform.debugQueries, std::vector<std::uint32_t>{0x80000010u});
        EXPECT_EQ(platform.LiveHandles(), 0u);
    }
}

TEST(ImagePath, KernelNameWhereTheModuleListGivesNone) {
    const std::string wine = "Z:\\tmp\\x\\winword.exe";
    struct Case {
        const char* what;
        void (*script)(FakeProcessPlatform&, FakeProcess&);
        std::string expected;
        bool asksKernel;
    } cases[] = {
        {"module path known", [](FakeProcessPlatform&, FakeProcess& p) { p.modulePath = "C:\\w.exe"; }, "C:\\w.exe", false},
        {"no module record (Wine's empty list, a 64-bit target, a refused query, no ntdll)",
         [](FakeProcessPlatform&, FakeProcess&) {}, wine, true},
        {"kernel rewrites too", [](FakeProcessPlatform&, FakeProcess& p) { p.fullImageName = "\\SystemRoot\\winword.exe"; },
         "C:\\WINDOWS\\winword.exe", true},
        {"neither source answers (the 9x line)", [](FakeProcessPlatform&, FakeProcess& p) { p.fullImageName.clear(); }, "",
         true},
        {"the process cannot be opened for the kernel's name",
         [](FakeProcessPlatform&, FakeProcess& p) { p.openRefused = true; }, "", false},
    };
    for (const Case& c : cases) {
        FakeProcessPlatform platform;
        platform.facts.version = {};  // the ANSI routes alone, as where no version was read
        c.script(platform, platform.Add(77, "winword.exe", wine));
        ProcessAccess access(platform, platform.facts);
        EXPECT_EQ(access.GetProcessImagePath(77), c.expected) << c.what;
        EXPECT_EQ(platform.fullNameQueries.size(), c.asksKernel ? 1u : 0u) << c.what;
        EXPECT_EQ(platform.LiveHandles(), 0u) << c.what;
    }
}
