// The kill run's window-free rules: who is asked, the walk over the call line, the restart wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/CallLine.h"
#include "app/KillRun.h"
#include "app/KillRunMachine.h"
#include "fakes/FakeProcessPlatform.h"
#include "process/ProcessAccess.h"
#include "ui/Lang.h"

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
        ProcessAccess access(platform, platform.facts);

        StartGate gate;
        EndReport report = access.EndProcessesByName(access.Program("single.exe"));
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
        Answer answer;                      // what the question is answered
        bool asked, refused;
        std::vector<std::string> ended;     // names handed to the ending, in order
        std::vector<std::string> results;
        bool startNamed;
        std::string start;
        uint32_t startAt;
        std::vector<std::string> stillRunning = {};
    } cases[] = {
        {"plain", {"winword.exe", "excel.exe", "none.exe"}, Answer::Yes, false, false,
         {"winword.exe", "excel.exe", "none.exe"}, {"C:\\W\\winword.exe", "C:\\E\\excel.exe"}, false, "", 0},
        {"found, not ended", {"csrss.exe", "winword.exe", "lsass.exe"}, Answer::Yes, false, false,
         {"csrss.exe", "winword.exe", "lsass.exe"}, {"C:\\W\\winword.exe"}, false, "", 0,
         {"C:\\S\\csrss.exe", "C:\\S\\lsass.exe"}},
        {"refused", {"~ask~", "winword.exe", "r:C:\\x.exe"}, Answer::No, true, true, {}, {}, false, "", 0},
        {"question not shown", {"~ask~", "winword.exe", "r:C:\\x.exe"}, Answer::CouldNotAsk, true, false, {}, {}, false,
         "", 0},
        {"accepted", {"~ask~", "winword.exe", "r:C:\\x.exe"}, Answer::Yes, true, false, {"~ask~", "winword.exe"},
         {"C:\\W\\winword.exe"}, true, "C:\\x.exe", 1000},
        {"two starts: the later path, the first time", {"r:C:\\a.exe", "winword.exe", "r:C:\\b.exe"}, Answer::Yes, false,
         false, {"winword.exe"}, {"C:\\W\\winword.exe"}, true, "C:\\b.exe", 1000},
        {"empty start", {"r:"}, Answer::Yes, false, false, {}, {}, true, "", 1000},
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
            [&](const std::string& name, const AskToClose& ask, const ProcessIds&) {
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
        EXPECT_EQ(walk.couldNotAsk, c.answer == Answer::CouldNotAsk) << c.what;
        EXPECT_EQ(KillRunExitCode(walk, false) == exit_code::kCouldNotStart, c.answer == Answer::CouldNotAsk) << c.what;
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

namespace {

// The desktop of a run over the process fake: which processes have windows to ask, which show a
// question of their own, and what the run brought forward and opened.
struct FakeDesktop : RunDesktop {
    std::vector<uint32_t> windowed{10, 11, 20, 40};
    std::vector<uint32_t> questions;
    std::vector<uint32_t> brought;
    std::vector<std::string> opened;
    uint32_t openError = 0;
    int confirmations = 0;

    Answer Confirm(bool) override {
        ++confirmations;
        return Answer::Yes;
    }
    bool AskToClose(uint32_t id) override { return std::count(windowed.begin(), windowed.end(), id) != 0; }
    bool ShowsQuestion(uint32_t id) override { return std::count(questions.begin(), questions.end(), id) != 0; }
    void BringQuestion(uint32_t id) override { brought.push_back(id); }
    uint32_t Open(const std::string& path) override {
        opened.push_back(path);
        return openError;
    }
};

// a.exe (10, 11) and b.exe (20) have windows and are asked to close, c.exe (30) has none and is
// ended at once; x.exe (40) lives in a folder of its own.
struct World {
    fake::FakeProcessPlatform platform;
    FakeDesktop desktop;

    World() {
        platform.Add(10, "a.exe", "C:\\a.exe");
        platform.Add(11, "a.exe", "C:\\a.exe");
        platform.Add(20, "b.exe", "C:\\b.exe");
        platform.Add(30, "c.exe", "C:\\c.exe");
        platform.Add(40, "x.exe", "C:\\v\\x.exe");
    }
};
using Happening = std::function<void(World&)>;

struct Step {
    RunEvent event;
    uint32_t at;
    Happening first = {};  // what happens just before the event
    int row = -1;
};

Happening Close(std::vector<uint32_t> ids) {
    return [ids](World& world) {
        for (uint32_t id : ids) world.platform.Find(id)->running = false;
    };
}
Happening StartCopy(uint32_t id, const char* name, bool cannotEnd = false) {
    return [=](World& world) {
        world.platform.Add(id, name, std::string("C:\\") + name).terminateRefused = cannotEnd;
    };
}
Happening Asks(uint32_t id) {
    return [id](World& world) { world.desktop.questions.push_back(id); };
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> params;
    for (size_t at = 0; at < line.size();) {
        const size_t end = std::min(line.find(' ', at), line.size());
        params.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return params;
}

// What a run over the world showed after its steps.
struct Ran {
    KillRunMachine::Phase phase{};
    std::vector<std::string> rows;  // caption and state
    int exitCode = 0;
    bool window = false;
    int results = 0;  // how often the window became the result window
    bool finished = false;
    int mostMadeOfOneName = 0;  // how often one name was made canonical: its file read again
};

// The machine from its call line through the steps; the wait is 5 s from 0 ms, a program to start
// is due at 1000 ms. The machine and its handles are gone when it returns.
Ran RunOver(World& world, const std::string& callLine, const std::vector<Step>& steps) {
    ProcessAccess access(world.platform, world.platform.facts);
    std::map<std::string, int> made;
    KillRunMachine run(access, world.desktop, [&made](const std::string& name) {
        ++made[name];
        return name;
    });
    run.Begin(CallLine{Split(callLine), {}}, {}, [] { return 0u; });
    run.Shown(0);
    Ran ran;
    ran.window = run.ShowsWindow();
    for (const Step& step : steps) {
        if (step.first) step.first(world);
        const RunEffects effects = run.Handle(step.event, step.at, step.row);
        ran.results += effects.result ? 1 : 0;
        EXPECT_FALSE(ran.finished) << "an event after the end";
        ran.finished = ran.finished || effects.finish;
    }
    for (const ResultRow& row : run.Walk().rows) {
        ran.rows.push_back(row.caption + " " + WordsOf(row.outcome, row.error).state.english);
    }
    for (const auto& name : made) ran.mostMadeOfOneName = std::max(ran.mostMadeOfOneName, name.second);
    ran.phase = run.phase();
    ran.exitCode = run.ExitCode();
    return ran;
}

}  // namespace

// The kill run's state machine over the process fake, one row per way in or out.
TEST(KillRun, StateMachine) {
    using Phase = KillRunMachine::Phase;
    using E = RunEvent;
    const std::string closing = "~close:5~ a.exe b.exe c.exe r:C:\\go.exe";
    struct Case {
        const char* what;
        std::string callLine;
        std::vector<Step> steps;
        Phase phase;
        std::vector<std::string> rows;  // caption and state
        int exitCode;
        std::vector<uint32_t> terminated;
        bool opened;
        std::vector<uint32_t> brought = {};
        int results = 1;  // how often the window became the result window
        uint32_t openError = 0;
    } cases[] = {
        {"all close by themselves: the wait ends, the start a second later", closing,
         {{E::Tick, 100, Close({10, 11, 20})}, {E::Tick, 1100}, {E::Ok, 1700}},
         Phase::Done, {"C:\\a.exe closed", "C:\\b.exe closed", "C:\\c.exe ended"}, 0, {30}, true},
        {"a program's question: its row waits, the question comes forward once", closing,
         {{E::Tick, 100, Asks(20)}, {E::Tick, 200}},
         Phase::Closing, {"C:\\a.exe asked to close", "C:\\b.exe waiting for your answer", "C:\\c.exe ended"}, 2,
         {30}, false, {20}, 0},
        {"a double-click on the waiting row brings its question again; Escape keeps", closing,
         {{E::Tick, 100, Asks(20)}, {E::DoubleClick, 300, {}, 1}, {E::Escape, 400}},
         Phase::Result, {"C:\\c.exe ended", "C:\\a.exe still running: kept", "C:\\b.exe still running: kept"}, 2,
         {30}, true, {20, 20}},
        {"End now ends a copy started during the wait; pressed twice, the start still comes", closing,
         {{E::Tick, 100, StartCopy(12, "a.exe")}, {E::EndNow, 200}, {E::EndNow, 250}, {E::Tick, 700},
          {E::Tick, 1200}},
         Phase::Done, {"C:\\a.exe ended", "C:\\b.exe ended", "C:\\c.exe ended"}, 0, {30, 10, 11, 20, 12}, true},
        {"closed, then started again and cannot be ended: said by id", closing,
         {{E::Tick, 100, Close({10, 11})}, {E::Tick, 150, StartCopy(13, "a.exe", true)}, {E::EndNow, 200}},
         Phase::Result, {"C:\\b.exe ended", "C:\\c.exe ended", "C:\\a.exe still running: started again"}, 2,
         {30, 20}, false},
        {"the close box during the wait keeps; after it, it closes", closing,
         {{E::CloseBox, 100}, {E::CloseBox, 700}},
         Phase::Done, {"C:\\c.exe ended", "C:\\a.exe still running: kept", "C:\\b.exe still running: kept"}, 2,
         {30}, true},
        {"OK during the wait does nothing", closing, {{E::Ok, 100}},
         Phase::Closing, {"C:\\a.exe asked to close", "C:\\b.exe asked to close", "C:\\c.exe ended"}, 2, {30}, false,
         {}, 0},
        {"after the wait Keep running is gone and Escape closes", closing,
         {{E::Escape, 100}, {E::KeepRunning, 150}, {E::Escape, 700}},
         Phase::Done, {"C:\\c.exe ended", "C:\\a.exe still running: kept", "C:\\b.exe still running: kept"}, 2,
         {30}, true},
        {"after Keep running, what runs stands below what has gone; a new copy is said", closing,
         {{E::Tick, 100, Close({20})}, {E::KeepRunning, 200, StartCopy(21, "b.exe")}},
         Phase::Result, {"C:\\c.exe ended", "C:\\a.exe still running: kept", "C:\\b.exe still running: started again"},
         2, {30}, true},
        {"a double-click during the wait holds the result for good", closing,
         {{E::DoubleClick, 100, {}, 0}, {E::Tick, 5000}, {E::Tick, 6000}, {E::Tick, 45000}},
         Phase::Result, {"C:\\a.exe ended", "C:\\b.exe ended", "C:\\c.exe ended"}, 0, {30, 10, 11, 20}, true},
        {"a key during the wait holds the result as a double-click does", closing,
         {{E::Hold, 100}, {E::EndNow, 200}, {E::Tick, 1200}, {E::Tick, 31000}},
         Phase::Result, {"C:\\a.exe ended", "C:\\b.exe ended", "C:\\c.exe ended"}, 0, {30, 10, 11, 20}, true},
        {"a key in the result window: no 30-second close; the start still comes, OK still ends", "a.exe r:C:\\go.exe",
         {{E::Hold, 100}, {E::Tick, 1000}, {E::Tick, 30000}, {E::Tick, 90000}, {E::Hold, 90001}, {E::Ok, 90002}},
         Phase::Done, {"C:\\a.exe ended"}, 0, {10, 11}, true},
        {"a key in the result window, then the close box ends it", "a.exe",
         {{E::Hold, 29999}, {E::Tick, 30000}, {E::CloseBox, 40000}},
         Phase::Done, {"C:\\a.exe ended"}, 0, {10, 11}, false},
        {"the wait runs out: the rest is ended, once", closing,
         {{E::Tick, 4900, Close({10})}, {E::Tick, 5000}, {E::Tick, 5001}},
         Phase::Result, {"C:\\a.exe ended", "C:\\b.exe ended", "C:\\c.exe ended"}, 0, {30, 11, 20}, false},
        {"everything gone before the window showed: the end of the wait comes once", closing,
         {{E::Tick, 0, Close({10, 11, 20})}, {E::Tick, 1}, {E::Tick, 2}},
         Phase::Result, {"C:\\a.exe closed", "C:\\b.exe closed", "C:\\c.exe ended"}, 0, {30}, false},
        {"one process named three ways has one row", "~close~ x.exe X.EXE C:\\v\\x.exe",
         {{E::EndNow, 100}}, Phase::Result, {"C:\\v\\x.exe ended"}, 0, {40}, false},
        {"OK before the start was due: the start comes first, then the end", "a.exe r:C:\\go.exe",
         {{E::Ok, 100}, {E::Tick, 999}, {E::Tick, 1000}},
         Phase::Done, {"C:\\a.exe ended"}, 0, {10, 11}, true, {}, 0},
        {"the 30-second close with a start that cannot be opened", "a.exe r:C:\\go.exe",
         {{E::Tick, 30000}},
         Phase::Done, {"C:\\a.exe ended"}, exit_code::kNotStarted, {10, 11}, true, {}, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        world.desktop.openError = c.openError;
        const Ran ran = RunOver(world, c.callLine, c.steps);
        EXPECT_EQ(ran.rows, c.rows);
        EXPECT_EQ(ran.phase, c.phase);
        EXPECT_EQ(ran.finished, c.phase == Phase::Done);
        EXPECT_EQ(ran.exitCode, c.exitCode);
        EXPECT_EQ(ran.results, c.phase == Phase::Closing || c.callLine.find("~close") == std::string::npos ? 0 : c.results);
        EXPECT_EQ(world.platform.terminated, c.terminated);
        EXPECT_EQ(world.desktop.opened, c.opened ? std::vector<std::string>{"C:\\go.exe"} : std::vector<std::string>{});
        EXPECT_EQ(world.desktop.brought, c.brought);
        EXPECT_EQ(world.platform.LiveHandles(), 0u);
        EXPECT_EQ(ran.mostMadeOfOneName, 1);  // the walk, the question and the wait's end share it
    }
}

// The run looks at its own logon session only, over the same state machine: a.exe (10, 11), b.exe
// (20), c.exe (30) as above. From the services' session 0 it acts on every session and has no
// desktop: no question, no request to close, no window; the exit code says what became of it.
TEST(KillRun, LogonSessions) {
    using Phase = KillRunMachine::Phase;
    using E = RunEvent;
    const Happening inServices = [](World& world) { world.platform.selfSession = 0; };
    const Happening elevenElsewhere = [](World& world) { world.platform.Find(11)->session = 2; };
    const Happening newCopyElsewhere = [](World& world) { world.platform.Add(12, "a.exe", "C:\\a.exe").session = 2; };
    struct Case {
        const char* what;
        std::vector<Happening> setup;
        std::string callLine;
        std::vector<Step> steps;
        Phase phase;
        std::vector<std::string> rows;
        int exitCode;
        std::vector<uint32_t> terminated;
        bool opened;
        int confirmations;
        bool window;
    } cases[] = {
        {"copies in another session are neither asked nor ended, also when the wait ends", {elevenElsewhere},
         "~ask~ ~close:5~ a.exe b.exe c.exe", {{E::Tick, 100, newCopyElsewhere}, {E::EndNow, 200}},
         Phase::Result, {"C:\\a.exe ended", "C:\\b.exe ended", "C:\\c.exe ended"}, 0, {30, 10, 20}, false, 1, true},
        {"a program only in another session is not running: no question, no row",
         {[](World& world) { world.platform.Find(20)->session = 2; }}, "~ask~ b.exe r:C:\\go.exe", {{E::Tick, 1000}},
         Phase::Done, {}, 0, {}, true, 0, false},
        {"services: ~close~ ends every session's copies at once, shows nothing, starts when due",
         {inServices, elevenElsewhere}, "~close:5~ a.exe b.exe c.exe r:C:\\go.exe", {{E::Tick, 999}, {E::Tick, 1000}},
         Phase::Done, {"C:\\a.exe ended", "C:\\b.exe ended", "C:\\c.exe ended"}, 0, {10, 11, 20, 30}, true, 0, false},
        {"services, a plain run: what runs on is said by the exit code alone",
         {inServices, [](World& world) { world.platform.Find(20)->terminateRefused = true; }}, "a.exe b.exe", {},
         Phase::Done, {"C:\\a.exe ended", "C:\\b.exe still running: access denied"}, exit_code::kStillRunning, {10, 11},
         false, 0, false},
        {"services: nobody can answer ~ask~, so nothing is done", {inServices}, "~ask~ ~close~ a.exe r:C:\\go.exe", {},
         Phase::Done, {}, exit_code::kRefused, {}, false, 0, false},
        {"Windows XP's session 0 is the first user's: asked and shown as ever",
         {inServices,
          [](World& world) {
              world.platform.facts.version.major = 5;
              world.platform.Find(10)->session = 0;
          }},
         "~ask~ ~close~ a.exe",
         {{E::EndNow, 100}}, Phase::Result, {"C:\\a.exe ended"}, 0, {10}, false, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        for (const Happening& setup : c.setup) setup(world);
        const Ran ran = RunOver(world, c.callLine, c.steps);
        EXPECT_EQ(ran.window, c.window);
        EXPECT_EQ(ran.rows, c.rows);
        EXPECT_EQ(ran.phase, c.phase);
        EXPECT_EQ(ran.exitCode, c.exitCode);
        EXPECT_EQ(world.platform.terminated, c.terminated);
        EXPECT_EQ(world.desktop.opened, c.opened ? std::vector<std::string>{"C:\\go.exe"} : std::vector<std::string>{});
        EXPECT_EQ(world.desktop.confirmations, c.confirmations);
        EXPECT_EQ(world.platform.LiveHandles(), 0u);
    }
}

// What the user reads of each outcome, in either language as the user's country picks it: every
// outcome is said in words (the colour alone would not tell it), no two read alike, each language
// has words of its own, what runs on says so first, and only a row whose word says all has no
// hint.
TEST(KillRun, OutcomeWordsAsTheUserReadsThem) {
    struct Case {
        Outcome outcome;
        uint32_t error;
        bool hint;
    } cases[] = {
        {Outcome::Closing, 0, true},  {Outcome::Waiting, 0, true},
        {Outcome::Closed, 0, true},   {Outcome::Ended, 0, false},
        {Outcome::Itself, 0, true},   {Outcome::Spared, 0, true},
        {Outcome::Failed, kErrorAccessDenied, true}, {Outcome::Failed, 6, true},
        {Outcome::Kept, 0, true},     {Outcome::TimedOut, 5, true},
        {Outcome::Restarted, 0, true},
    };
    struct Language {
        const char* name;
        CountryQuery country;
        const char* runsOn;  // how a row that runs on begins
    } languages[] = {
        {"English (United States)", [](std::string& code) { code = "1"; return true; }, "still running: "},
        {"German (Germany)", [](std::string& code) { code = "49"; return true; }, "läuft noch: "},
    };
    const auto shown = [](const TextPair& text, CountryQuery country) {
        return SelectText(text.english, text.german, country);
    };
    for (const Language& language : languages) {
        SCOPED_TRACE(language.name);
        std::map<std::string, int> outcomesSaying;
        for (const Case& c : cases) {
            const OutcomeWords words = WordsOf(c.outcome, c.error);
            const std::string state = shown(words.state, language.country);
            const std::string hint = shown(words.hint, language.country);
            EXPECT_FALSE(state.empty()) << static_cast<int>(c.outcome);
            EXPECT_EQ(++outcomesSaying[state], 1) << state << ": two outcomes read alike";
            EXPECT_EQ(state.rfind(language.runsOn, 0) == 0, StillRuns(c.outcome)) << state;
            EXPECT_EQ(!hint.empty(), c.hint) << state;
            EXPECT_NE(hint, state);
        }
    }
    for (const Case& c : cases) {
        const OutcomeWords words = WordsOf(c.outcome, c.error);
        EXPECT_NE(shown(words.state, languages[0].country), shown(words.state, languages[1].country))
            << shown(words.state, languages[0].country) << " is not translated";
        if (c.hint) {
            EXPECT_NE(shown(words.hint, languages[0].country), shown(words.hint, languages[1].country));
        }
    }
}
