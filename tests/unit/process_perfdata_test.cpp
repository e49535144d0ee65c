// The performance-data process list: counter table, block parse, retries and every malformed block.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/ScriptedAccess.h"
#include "process/PerfData.h"

using namespace norvanex;
using fake::FakeProcessPlatform;
using fake::MultiSz;
using fake::PerfDataBlockBuilder;
using fake::ScriptedAccess;

namespace {

bool Latin1(std::u16string_view name, std::string& out) {
    out.clear();
    for (const char16_t c : name) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return true;
}

// Parses a copy of exactly `size` bytes, so that AddressSanitizer sees any read past the end.
ProcessNameList Parse(const std::vector<std::uint8_t>& block, std::size_t size,
                      std::uint32_t counter = fake::kIdProcessIndex) {
    const std::vector<std::uint8_t> exact(block.begin(), block.begin() + size);
    return ParsePerfDataBlock(exact.data(), exact.size(), counter, Latin1);
}

void Put(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) block[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

constexpr std::size_t kObject = PerfDataBlockBuilder::kBlockHeaderLength;
constexpr std::size_t kFirstInstance = kObject + PerfDataBlockBuilder::kObjectHeaderLength + 3 * 40;

struct NtFixture : ::testing::Test {
    FakeProcessPlatform platform;
    ProcessAccess access{platform, platform.facts};
};

}  // namespace

TEST(PerfDataParse, InstanceCounts) {
    struct Case {
        std::size_t instances;
        std::size_t appended;
    } cases[] = {{0, 0}, {1, 1}, {254, 254}, {255, 254}, {300, 254}};
    for (const Case& c : cases) {
        const auto block = PerfDataBlockBuilder().Instances(c.instances).Build();
        const ProcessNameList list = Parse(block, block.size());
        ASSERT_EQ(list.size(), c.appended) << c.instances << " instances";
        for (std::size_t k = 0; k < list.size(); ++k) {
            EXPECT_EQ(list[k].name, "proc" + std::to_string(k));
            EXPECT_EQ(list[k].id, 1000 + k);
        }
    }
}

TEST(PerfDataParse, NamesAndIds) {
    const std::u16string fits(260, u'n');
    const std::u16string tooLong(261, u'n');
    const auto block = PerfDataBlockBuilder()
                           .Instance(u"_Total", 0)
                           .Instance(u"Idle", 0)
                           .Instance(u"winword", 0x80000004u)
                           .Instance(u"winword", 0xFFFFFFFFu)  // duplicates are kept
                           .Instance(fits, 7)
                           .Instance(tooLong, 8)
                           .Build();
    const ProcessNameList list = Parse(block, block.size());
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[0].name, "_Total");
    EXPECT_EQ(list[1].name, "Idle");
    EXPECT_EQ(list[2].name, "winword");
    EXPECT_EQ(list[2].id, 0x80000004u);
    EXPECT_EQ(list[3].id, 0xFFFFFFFFu);
    EXPECT_EQ(list[4].name, std::string(260, 'n'));
    EXPECT_EQ(list[5].name, "unknown");
    EXPECT_EQ(list[5].id, 8u);
}

TEST(PerfDataParse, IdComesOnlyFromTheIdProcessCounter) {
    // The "id process" definition found after others; a counter index no definition carries.
    const auto block = PerfDataBlockBuilder().Instance(u"a", 42).Build();
    EXPECT_EQ(Parse(block, block.size()).at(0).id, 42u);
    EXPECT_TRUE(Parse(block, block.size(), 999).empty());
    // Nor is index 0 (what a table without "id process" would leave) taken for a match.
    EXPECT_TRUE(Parse(block, block.size(), 0).empty());
}

TEST(PerfDataParse, EveryCutIsAnErrorOrTheWholeList) {
    for (std::size_t count : {2u, 255u}) {
        const auto block = PerfDataBlockBuilder().Instances(count).Build();
        const ProcessNameList whole = Parse(block, block.size());
        for (std::size_t size = 0; size <= block.size(); ++size) {
            try {
                const ProcessNameList list = Parse(block, size);
                ASSERT_EQ(list.size(), whole.size()) << "cut at " << size;
                EXPECT_EQ(list.back().id, whole.back().id);
            } catch (const MalformedPerfData&) {
            }
        }
    }
}

TEST(PerfDataParse, FieldsLeadingOutsideAreMalformed) {
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    } cases[] = {
        {"block HeaderLength", 24, 0xFFFFFFF0u},
        {"block HeaderLength at the end", 24, 0},  // patched to the block size below
        {"object DefinitionLength", kObject + 4, 0x7FFFFFFFu},
        {"object HeaderLength", kObject + 8, 0xFFFFFFFFu},
        {"NumCounters past the end, id counter missing", kObject + 32, 0x10000000u},
        {"negative NumInstances", kObject + 40, 0xFFFFFFFFu},
        {"instance ByteLength wraps", kFirstInstance, 0xFFFFFFF8u},
        {"instance NameOffset", kFirstInstance + 16, 0x00100000u},
        {"counter offset", kObject + 64 + 40 + 36, 0xFFFFFFFEu},
    };
    for (const Case& c : cases) {
        auto block = PerfDataBlockBuilder().Instances(3).Build();
        Put(block, c.at,
            c.at == 24 && c.value == 0 ? static_cast<std::uint32_t>(block.size()) : c.value);
        if (std::string(c.what).find("NumCounters") != std::string::npos) {
            Put(block, kObject + 64 + 40 + 4, 1);  // no definition carries the index any more
        }
        EXPECT_THROW(Parse(block, block.size()), MalformedPerfData) << c.what;
    }

    // A name without its NUL before the end of the block.
    auto block = PerfDataBlockBuilder().Instance(u"abc", 1).Build();
    const std::size_t nameAt = kFirstInstance + 24;
    EXPECT_THROW(Parse(block, nameAt + 4), MalformedPerfData);
}

TEST(CounterTable, Indexes) {
    struct Case {
        const char* what;
        std::vector<std::string> strings;
        bool hasProcess;
        std::string process;
        bool hasId;
        std::uint32_t id;
    } cases[] = {
        {"standard", {"1", "1847", "230", "Process", "784", "ID Process"}, true, "230", true, 784},
        {"case", {"230", "PROCESS", "784", "id process"}, true, "230", true, 784},
        {"later wins", {"230", "process", "784", "ID Process", "9", "Process", "10", "id process"}, true, "9", true, 10},
        {"no process", {"784", "ID Process"}, false, "", true, 784},
        {"no id process", {"230", "Process"}, true, "230", false, 0},
        {"names only match whole", {"230", "Processes", "784", "ID Process X"}, false, "", false, 0},
        {"largest index", {"230", "Process", "2147483647", "ID Process"}, true, "230", true, 2147483647u},
        {"stops at the first empty string", {"230", "Process", "", "784", "ID Process"}, true, "230", false, 0},
        {"process first, no index before it", {"Process", "784", "ID Process"}, true, "", true, 784},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto table = MultiSz(c.strings);
        const CounterIndexes found = ParseCounterNameTable(table.data(), table.size());
        EXPECT_EQ(found.hasProcessObject, c.hasProcess);
        EXPECT_EQ(found.processObject, c.process);
        EXPECT_EQ(found.hasIdProcessCounter, c.hasId);
        EXPECT_EQ(found.idProcessCounter, c.id);
    }
}

TEST(CounterTable, MalformedIdProcessIndex) {
    const std::vector<std::vector<std::string>> tables = {
        {"ID Process"},
        {"abc", "ID Process"},
        {"2147483648", "ID Process"},
        {"99999999999999999999", "id process"},
    };
    for (const auto& strings : tables) {
        const auto table = MultiSz(strings);
        EXPECT_THROW(ParseCounterNameTable(table.data(), table.size()), MalformedPerfData)
            << strings.front();
    }
}

TEST_F(NtFixture, ListAppendsInOrder) {
    platform.SetPerfInstances({{u"System", 4}, {u"winword", 1234}, {u"Idle", 0}});
    ProcessNameList list{{"kept", 1}};
    EXPECT_EQ(access.ListProcessesFromPerfData(list), PerfListStatus::Listed);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, "kept");
    EXPECT_EQ(list[2].name, "winword");
    EXPECT_EQ(list[2].id, 1234u);
    EXPECT_EQ(platform.privilegeRequests, 1);
    EXPECT_EQ(platform.perfDataReleases, 1);
}

TEST_F(NtFixture, ListStatuses) {
    constexpr PerfListStatus kListed = PerfListStatus::Listed, kUnavailable = PerfListStatus::Unavailable;
    struct Case {
        const char* what;
        fake::Script script;
        PerfListStatus status;
        std::size_t listed;
        bool queriesData;
    } cases[] = {
        {"9x line", [](FakeProcessPlatform& p) { p.facts.version.platformId = 1; }, kUnavailable, 0, false},
        {"no version read: not the NT line", [](FakeProcessPlatform& p) { p.facts.version = {}; }, kUnavailable, 0,
         false},
        {"perflib key", [](FakeProcessPlatform& p) { p.perflibOpenFails = true; }, kUnavailable, 0, false},
        {"Counters size", [](FakeProcessPlatform& p) { p.countersSizeFails = true; }, PerfListStatus::CountersUnreadable,
         0, false},
        {"no process object", [](FakeProcessPlatform& p) { p.counters = MultiSz({"784", "ID Process"}); }, kListed, 0,
         false},
        {"no id process counter", [](FakeProcessPlatform& p) { p.counters = MultiSz({"230", "Process"}); }, kListed,
         0, false},
        {"id process index no definition carries",
         [](FakeProcessPlatform& p) { p.counters = MultiSz({"230", "Process", "999", "ID Process"}); }, kListed, 0,
         true},
        {"zero instances", [](FakeProcessPlatform& p) { p.perfData = PerfDataBlockBuilder().Build(); }, kListed, 0,
         true},
        {"no signature", [](FakeProcessPlatform& p) { p.perfData[0] = 'X'; }, kListed, 0, true},
        {"query error",
         [](FakeProcessPlatform& p) {
             p.perfDataQuery = [](std::uint8_t*, std::uint32_t*) { return PerfQuery::Failed; };
         },
         kListed, 0, true},
        {"success with size 0",
         [](FakeProcessPlatform& p) {
             p.perfDataQuery = [](std::uint8_t*, std::uint32_t* size) {
                 *size = 0;
                 return PerfQuery::Read;
             };
         },
         kListed, 0, true},
        {"300 instances",
         [](FakeProcessPlatform& p) { p.perfData = PerfDataBlockBuilder().Instances(300).Build(); },
         kListed, 254, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAccess run({[](FakeProcessPlatform& p) { p.SetPerfInstances({{u"a", 1}, {u"b", 2}}); }, c.script});
        ProcessNameList list;
        EXPECT_EQ(run.access.ListProcessesFromPerfData(list), c.status);
        EXPECT_EQ(list.size(), c.listed);
        EXPECT_EQ(!run.platform.perfDataQuerySizes.empty(), c.queriesData);
        // Off the NT line neither the privilege nor the data is touched; on it the data is released.
        const int touched = run.platform.facts.NtLine() ? 1 : 0;
        EXPECT_EQ(run.platform.privilegeRequests, touched);
        EXPECT_EQ(run.platform.perfDataReleases, touched);
    }
}

TEST_F(NtFixture, RetriesGrowByTheStep) {
    platform.SetPerfInstances({{u"a", 1}});
    platform.perfData.resize(90000);  // trailing bytes are not read
    ProcessNameList list;
    EXPECT_EQ(access.ListProcessesFromPerfData(list), PerfListStatus::Listed);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(platform.perfDataQuerySizes, (std::vector<std::uint32_t>{51200, 76800, 102400}));
}

TEST_F(NtFixture, RetriesStopAtTheCeiling) {
    platform.SetPerfInstances({{u"a", 1}});
    for (bool shrinks : {false, true}) {
        platform.perfDataQuerySizes.clear();
        platform.perfDataQuery = [shrinks](std::uint8_t*, std::uint32_t* size) {
            if (shrinks) *size = 0;  // must not send the attempts back to a small buffer forever
            return PerfQuery::MoreData;
        };
        ProcessNameList list;
        EXPECT_EQ(access.ListProcessesFromPerfData(list), PerfListStatus::Listed);
        EXPECT_TRUE(list.empty());
        const auto& sizes = platform.perfDataQuerySizes;
        ASSERT_EQ(sizes.size(), 654u);
        for (std::size_t i = 0; i < sizes.size(); ++i) EXPECT_EQ(sizes[i], 51200 + 25600 * i);
        EXPECT_LE(sizes.back(), 16u * 1024 * 1024);
        EXPECT_GT(sizes.back() + 25600, 16u * 1024 * 1024);
    }
}

TEST_F(NtFixture, MalformedDataRaisesAndReleasesEverything) {
    struct Case {
        const char* what;
        fake::Script script;
    } cases[] = {
        {"negative instances",
         [](FakeProcessPlatform& p) {
             p.perfData = PerfDataBlockBuilder().Instances(2).NumInstancesField(-1).Build();
         }},
        {"block cut short",
         [](FakeProcessPlatform& p) {
             const auto whole = PerfDataBlockBuilder().Instances(2).Build();
             p.perfDataQuery = [whole](std::uint8_t* data, std::uint32_t* size) {
                 std::copy(whole.begin(), whole.end(), data);
                 *size = static_cast<std::uint32_t>(whole.size() - 20);
                 return PerfQuery::Read;
             };
         }},
        {"id process without index", [](FakeProcessPlatform& p) { p.counters = MultiSz({"230", "Process", "ID Process"}); }},
        // A block larger than the first buffer, of which the platform fills only the buffer but
        // reports the whole size: read as the buffer holds it (cut, so malformed), never past it.
        {"size reported beyond the buffer",
         [](FakeProcessPlatform& p) {
             PerfDataBlockBuilder big;
             for (std::uint32_t id = 0; id < 200; ++id) big.Instance(std::u16string(300, u'x'), id);
             const auto whole = big.Build();
             p.perfDataQuery = [whole](std::uint8_t* data, std::uint32_t* size) {
                 if (whole.size() <= *size) ADD_FAILURE() << "the block must not fit the buffer";
                 std::copy_n(whole.begin(), *size, data);
                 *size = static_cast<std::uint32_t>(whole.size());
                 return PerfQuery::Read;
             };
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAccess run({[](FakeProcessPlatform& p) { p.SetPerfInstances({{u"a", 1}}); }, c.script});
        ProcessNameList list{{"kept", 1}};
        EXPECT_THROW(run.access.ListProcessesFromPerfData(list), MalformedPerfData);
        EXPECT_EQ(list.size(), 1u);
        EXPECT_EQ(run.platform.perfDataReleases, 1);
    }
}
