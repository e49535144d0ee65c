// The kill run's window-free rules: who is asked, the walk over the call line, the restart wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/CallLine.h"
#include "app/KillRun.h"
#include "fakes/FakeProcessPlatform.h"
#include "process/ProcessAccess.h"

using namespace norvanex;

namespace {

// A call line as its parameters; records which ones were read.
struct CallLine {
    std::vector<std::string> params;
    mutable std::vector<int> read;
    std::string operator()(int i) const {
        read.push_back(i);
        return i >= 1 && i <= static_cast<int>(params.size()) ? params[i - 1] : std::string();
    }
};

struct Running {
    std::map<std::string, std::string> byName;  // name -> what the lookup answers
    mutable std::vector<std::string> asked;
    std::string operator()(const std::string& name) const {
        asked.push_back(name);
        auto it = byName.find(name);
        return it == byName.end() ? std::string() : it->second;
    }
};

}  // namespace

TEST(KillRun, AsksOnlyForAnExactLeadingAskWordAndARunningProgram) {
    struct Case {
        std::vector<std::string> params;
        bool expected;
        std::vector<std::string> asked;
    } cases[] = {
        {{"~ask~", "winword.exe"}, true, {"~ask~", "winword.exe"}},
        {{"~ask~", "r:C:\\x.exe", "excel.exe"}, false, {"~ask~", "excel.exe"}},
        {{"~ASK~", "winword.exe"}, false, {}},
        {{"winword.exe", "~ask~"}, false, {}},
        {{"~ask~"}, false, {"~ask~"}},
        {{"~ask~", "notes.exe", "winword.exe", "excel.exe"}, true, {"~ask~", "notes.exe", "winword.exe"}},
    };
    Running running{{{"winword.exe", "WINWORD.EXE"}}, {}};
    for (auto& c : cases) {
        running.asked.clear();
        EXPECT_EQ(NeedsConfirmation(CallLine{c.params, {}}, std::cref(running)), c.expected) << c.params[0];
        EXPECT_EQ(running.asked, c.asked) << c.params[0];
    }
}

TEST(KillRun, AskWordItselfIsLookedUpLikeAName) {
    Running running{{{"~ask~", "~ask~"}}, {}};
    EXPECT_TRUE(NeedsConfirmation(CallLine{{"~ask~"}, {}}, running));
}

TEST(KillRun, WalkSplitsNamesAndProgramToStart) {
    struct Case {
        std::vector<std::string> params;
        std::vector<std::string> names, starts;
    } cases[] = {
        {{"winword.exe", "excel.exe"}, {"winword.exe", "excel.exe"}, {}},
        {{"r:C:\\a.exe", "x.exe", "R:C:\\b.exe"}, {"x.exe"}, {"C:\\a.exe", "C:\\b.exe"}},
        {{"r:"}, {}, {""}},
        {{"~ask~", "a.exe"}, {"~ask~", "a.exe"}, {}},
        {{"a.exe", "", "b.exe"}, {"a.exe"}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names, starts;
        WalkCallLine(CallLine{c.params, {}}, [&](const std::string& p) { starts.push_back(p); },
                     [&](const std::string& n) { names.push_back(n); });
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(starts, c.starts);
    }
}

TEST(KillRun, HundredAndFirstParameterIsNeverRead) {
    for (const std::string last : {"p101.exe", "r:C:\\late.exe"}) {
        CallLine line;
        for (int i = 1; i <= 100; ++i) line.params.push_back("p" + std::to_string(i) + ".exe");
        line.params.push_back(last);
        int names = 0, starts = 0;
        WalkCallLine(std::cref(line), [&](const std::string&) { ++starts; }, [&](const std::string&) { ++names; });
        EXPECT_EQ(names, 100);
        EXPECT_EQ(starts, 0);
        EXPECT_EQ(line.read.size(), 100u);
        for (int i : line.read) EXPECT_LE(i, kMaxParams);

        line.params[0] = kAskWord;
        line.read.clear();
        Running running;
        NeedsConfirmation(std::cref(line), running);
        EXPECT_FALSE(line.read.empty());
        for (int i : line.read) EXPECT_LE(i, kMaxParams);
    }
}

TEST(KillRun, StartWaitsForTheEndedProcessesToGo) {
    struct Case {
        const char* what;
        std::vector<uint32_t> ended;
        std::vector<bool> runningAtTick;  // the snapshot's answer at each tick
        std::vector<uint32_t> tickMs;
        int opensAtTick;                  // -1: not within the ticks
    } cases[] = {
        {"nothing ended", {}, {true}, {1000}, 0},
        {"already gone", {7}, {false}, {1000}, 0},
        {"gone at the third look", {7, 8}, {true, true, false}, {1000, 1100, 1200}, 2},
        {"never gone: five seconds", {7}, {true, true, true, true}, {1000, 3000, 5999, 6000}, 3},
        {"tick count wraps", {7}, {true, true, true}, {0xFFFFFF00u, 0x00001000u, 0x00001288u}, 2},
    };
    for (const auto& c : cases) {
        StartGate gate;
        gate.AddEnded(c.ended);
        int opened = -1;
        for (size_t t = 0; t < c.tickMs.size() && opened < 0; ++t) {
            const bool running = c.runningAtTick[t];
            if (gate.MayOpen(c.tickMs[t], [&](const std::vector<uint32_t>& ids) {
                    EXPECT_EQ(ids, c.ended);
                    return running;
                })) {
                opened = static_cast<int>(t);
            }
        }
        EXPECT_EQ(opened, c.opensAtTick) << c.what;
    }
}

TEST(KillRun, RestartWaitsOnTheRealSnapshotWalk) {
    for (bool leaves : {true, false}) {
        fake::FakeProcessPlatform platform;
        platform.Add(10, "single.exe", "C:\\Tools\\single.exe");
        platform.Add(11, "other.exe", "C:\\Tools\\other.exe");
        platform.Add(12, "SINGLE.EXE", "C:\\Tools\\single.exe");
        ProcessAccess access(platform);
        access.CheckPlatform();

        StartGate gate;
        EndReport report = access.EndProcessesByName("single.exe");
        EXPECT_EQ(report.ended, "C:\\Tools\\single.exe");
        const std::vector<uint32_t> ended = report.endedIds;
        EXPECT_EQ(ended, (std::vector<uint32_t>{10, 12}));
        gate.AddEnded(ended);
        auto anyRunning = [&](const std::vector<uint32_t>& ids) { return access.AnyProcessRunning(ids); };

        // The first victim is still on its way out: it stays listed for a while.
        platform.processes[0].running = true;
        const int snapshotsBefore = platform.snapshots;
        EXPECT_FALSE(gate.MayOpen(1000, anyRunning));
        EXPECT_FALSE(gate.MayOpen(1100, anyRunning));
        EXPECT_EQ(platform.snapshots, snapshotsBefore + 2);  // a fresh snapshot at every look
        if (leaves) {
            platform.processes[0].running = false;
            EXPECT_TRUE(gate.MayOpen(1200, anyRunning));
        } else {
            EXPECT_FALSE(gate.MayOpen(5999, anyRunning));
            EXPECT_TRUE(gate.MayOpen(6000, anyRunning));
        }
        // Other programs' processes never hold the start back.
        EXPECT_TRUE(platform.processes[1].running);
    }
}

TEST(KillRun, WalkAsksEndsAndNotesTheProgramToStart) {
    struct Case {
        const char* what;
        std::vector<std::string> params;
        bool answer;                        // what the question is answered
        bool asked, refused;
        std::vector<std::string> ended;     // names handed to the ending, in order
        std::vector<std::string> results;
        bool startNamed;
        std::string start;
        uint32_t startAt;
        std::vector<std::string> stillRunning = {};
    } cases[] = {
        {"plain", {"winword.exe", "excel.exe", "none.exe"}, true, false, false,
         {"winword.exe", "excel.exe", "none.exe"}, {"C:\\W\\winword.exe", "C:\\E\\excel.exe"}, false, "", 0},
        {"found, not ended", {"csrss.exe", "winword.exe", "lsass.exe"}, true, false, false,
         {"csrss.exe", "winword.exe", "lsass.exe"}, {"C:\\W\\winword.exe"}, false, "", 0,
         {"C:\\S\\csrss.exe", "C:\\S\\lsass.exe"}},
        {"refused", {"~ask~", "winword.exe", "r:C:\\x.exe"}, false, true, true, {}, {}, false, "", 0},
        {"accepted", {"~ask~", "winword.exe", "r:C:\\x.exe"}, true, true, false, {"~ask~", "winword.exe"},
         {"C:\\W\\winword.exe"}, true, "C:\\x.exe", 1000},
        {"two starts: the later path, the first time", {"r:C:\\a.exe", "winword.exe", "r:C:\\b.exe"}, true, false,
         false, {"winword.exe"}, {"C:\\W\\winword.exe"}, true, "C:\\b.exe", 1000},
        {"empty start", {"r:"}, true, false, false, {}, {}, true, "", 1000},
    };
    for (const auto& c : cases) {
        std::vector<std::string> ended;
        bool asked = false;
        uint32_t clock = 1000;
        const KillWalk walk = WalkKillRun(
            CallLine{c.params, {}},
            [](const std::string& name) { return name == "winword.exe" ? name : std::string(); },
            [&](bool closing) {
                EXPECT_FALSE(closing);
                asked = true;
                return c.answer;
            },
            [&](const std::string& name, const AskToClose& ask) {
                EXPECT_FALSE(ask);
                ended.push_back(name);
                EndReport report;
                if (name == "csrss.exe" || name == "lsass.exe") report.runsOn = {"C:\\S\\" + name, true};
                if (name == "winword.exe") {
                    report.endedIds.assign({7, 9});
                    report.ended = "C:\\W\\winword.exe";
                }
                if (name == "excel.exe") report.ended = "C:\\E\\excel.exe";
                return report;
            },
            {}, [&] { return clock += 100, clock - 100; });
        std::vector<std::string> results, stillRunning;
        for (const ResultRow& row : walk.rows) (StillRuns(row.outcome) ? stillRunning : results).push_back(row.caption);
        EXPECT_EQ(asked, c.asked) << c.what;
        EXPECT_EQ(walk.refused, c.refused) << c.what;
        EXPECT_EQ(ended, c.ended) << c.what;
        EXPECT_EQ(results, c.results) << c.what;
        EXPECT_EQ(stillRunning, c.stillRunning) << c.what;
        EXPECT_EQ(walk.startNamed, c.startNamed) << c.what;
        EXPECT_EQ(walk.programToStart, c.start) << c.what;
        if (c.startNamed) {
            EXPECT_EQ(walk.startNamedAtMs, c.startAt) << c.what;
        }
        const bool endedWord = std::find(c.ended.begin(), c.ended.end(), "winword.exe") != c.ended.end();
        EXPECT_EQ(walk.endedIds, endedWord ? std::vector<uint32_t>({7, 9}) : std::vector<uint32_t>()) << c.what;
    }
}

// A run that asks its programs to close, over the process fake: programs with windows are asked
// and handed back, the rest ended at once; then each way the wait ends, with the rows' outcomes and
// the exit code a script reads.
TEST(KillRun, ClosingPhaseOverTheFake) {
    enum class End { Poll, EndNow, Keep };
    struct Case {
        const char* what;
        std::vector<uint32_t> closeThemselves;  // of the windowed 10 and 11 (a.exe), 20 (b.exe)
        std::vector<uint32_t> cannotEnd;
        End end;
        std::vector<Outcome> outcomes;  // a.exe, b.exe, c.exe (windowless, ended at once)
        int exitCode;
        std::vector<uint32_t> terminated;
    } cases[] = {
        {"all close", {10, 11, 20}, {}, End::Poll, {Outcome::Closed, Outcome::Closed, Outcome::Ended}, 0, {30}},
        {"one still closing", {10, 20}, {}, End::Poll, {Outcome::Closing, Outcome::Closed, Outcome::Ended}, 2, {30}},
        {"wait over: the rest ended", {10}, {}, End::EndNow, {Outcome::Ended, Outcome::Ended, Outcome::Ended}, 0,
         {30, 11, 20}},
        {"wait over: one cannot be ended", {}, {20}, End::EndNow,
         {Outcome::Ended, Outcome::TimedOut, Outcome::Ended}, 2, {30, 10, 11}},
        {"kept", {20}, {}, End::Keep, {Outcome::Kept, Outcome::Closed, Outcome::Ended}, 2, {30}},
        {"all gone before Keep", {10, 11, 20}, {}, End::Keep, {Outcome::Closed, Outcome::Closed, Outcome::Ended}, 0,
         {30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake::FakeProcessPlatform platform;
        platform.Add(10, "a.exe", "C:\\a.exe");
        platform.Add(11, "a.exe", "C:\\a.exe");
        platform.Add(20, "b.exe", "C:\\b.exe");
        platform.Add(30, "c.exe", "C:\\c.exe");
        for (uint32_t id : c.cannotEnd) platform.Find(id)->terminateRefused = true;
        ProcessAccess access(platform);
        access.CheckPlatform();
        std::vector<uint32_t> askedIds;
        KillWalk walk = WalkKillRun(
            CallLine{{"~close:5~", "a.exe", "b.exe", "c.exe"}, {}}, [](const std::string&) { return std::string(); },
            [](bool) { return true; },
            [&](const std::string& name, const AskToClose& ask) { return access.EndProcessesByName(name, ask); },
            [&](uint32_t id) {
                askedIds.push_back(id);
                return id != 30;  // c.exe has no window
            },
            [] { return 0u; });
        EXPECT_EQ(walk.closeSeconds, 5);
        EXPECT_EQ(askedIds, (std::vector<uint32_t>{10, 11, 20, 30}));
        ASSERT_EQ(walk.rows.size(), 3u);
        EXPECT_TRUE(walk.Closing());

        for (uint32_t id : c.closeThemselves) platform.Find(id)->running = false;
        auto ended = [&](const AskedProcess& asked) { return access.AskedProcessEnded(asked); };
        switch (c.end) {
            case End::Poll: PollClosing(walk, ended); break;
            case End::EndNow:
                PollClosing(walk, ended);
                EndClosing(walk, [&](AskedProcess& asked) { return access.EndAskedProcess(asked); });
                break;
            case End::Keep: KeepClosing(walk, ended); break;
        }
        std::vector<Outcome> outcomes;
        for (const ResultRow& row : walk.rows) outcomes.push_back(row.outcome);
        EXPECT_EQ(outcomes, c.outcomes);
        EXPECT_EQ(KillRunExitCode(walk, false), c.exitCode);
        EXPECT_EQ(KillRunExitCode(walk, true), c.exitCode | exit_code::kNotStarted);
        EXPECT_EQ(platform.terminated, c.terminated);
        if (c.end == End::EndNow && !c.cannotEnd.empty()) {
            EXPECT_EQ(walk.rows[1].error, kErrorAccessDenied);
        }
        walk.rows.clear();  // the asked processes' handles go with their rows
        EXPECT_EQ(platform.LiveHandles(), 0u);
    }
}

// Every outcome is said in words in both languages, and what runs on says so first: the colour
// alone would not tell it.
TEST(KillRun, OutcomeWords) {
    struct Case {
        Outcome outcome;
        uint32_t error;
        const char* english;
        const char* german;
        bool hint;
    } cases[] = {
        {Outcome::Closing, 0, "asked to close", "zum Schließen aufgefordert", true},
        {Outcome::Closed, 0, "closed", "geschlossen", true},
        {Outcome::Ended, 0, "ended", "beendet", false},
        {Outcome::Itself, 0, "still running: Norvanex itself", "läuft noch: Norvanex selbst", true},
        {Outcome::Spared, 0, "still running: part of Windows", "läuft noch: Teil von Windows", true},
        {Outcome::Failed, kErrorAccessDenied, "still running: access denied", "läuft noch: Zugriff verweigert", true},
        {Outcome::Failed, 6, "still running: not ended", "läuft noch: nicht beendet", true},
        {Outcome::Kept, 0, "still running: kept", "läuft noch: weiterlaufen lassen", true},
        {Outcome::TimedOut, 5, "still running: did not close", "läuft noch: nicht geschlossen", true},
        {Outcome::Restarted, 0, "still running: started again", "läuft noch: neu gestartet", true},
    };
    for (const Case& c : cases) {
        const OutcomeWords words = WordsOf(c.outcome, c.error);
        EXPECT_STREQ(words.state.english, c.english);
        EXPECT_STREQ(words.state.german, c.german);
        EXPECT_EQ(*words.hint.english != '\0', c.hint) << c.english;
        EXPECT_EQ(*words.hint.german != '\0', c.hint) << c.english;
        EXPECT_EQ(std::string(c.english).rfind("still running: ", 0) == 0, StillRuns(c.outcome)) << c.english;
    }
}
