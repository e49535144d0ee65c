// A kill run that asks its programs to close first ("~close~"): programs with windows close
// themselves, ask their user, ignore the request or hang; the wait, End now, Keep running and the
// close box; what each row says, and the exit code a script reads.
// Timeout: 600
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <string>
#include <vector>

#include "app/MainLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

// windowed.exe's exit codes: closed by itself, and after its "save?" question Yes and No. Ended
// from outside, it exits with 0.
constexpr DWORD kClosed = 41, kSaved = 42;

Process StartWindowed(const std::string& name, const std::string& behaviour) {
    StartOptions options;
    options.args = behaviour;
    options.idleMs = 0;  // a hung one never gets idle
    Process victim = Start(CopyToScratch("windowed.exe", name), options);
    REQUIRE(WaitStartedUp(victim));
    return victim;
}

std::vector<std::string> States(HWND main) { return LvTexts(ChildById(main, kListView1), 1); }

// Whether `front` stands before `back` in the windows' order on the screen.
bool Above(HWND front, HWND back) {
    for (HWND below = GetWindow(front, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
        if (below == back) return true;
    }
    return false;
}

}  // namespace

// The question says that the programs are asked; the result window opens at once and counts down;
// each program answers as it does; End now (the real mouse) ends the rest; OK ends with code 0.
CASE(ClosesWhatAnswersAndEndsTheRest) {
    LeaveNoVictims cleanup;
    Process closer = StartWindowed("closer.exe", "close");
    Process asker = StartWindowed("asker.exe", "ask");
    Process stubborn = StartWindowed("stubborn.exe", "ignore");
    Process hung = StartWindowed("hung.exe", "hang");
    Process many = StartWindowed("many.exe", "close 50");
    Process owned = StartWindowed("owned.exe", "owned");  // asked through its window with a hidden owner
    StartVictims(CopyToScratch("victim.exe", "plain.exe"), 1);

    Process norvanex =
        StartKillRun("~ask~ ~close:60~ closer.exe asker.exe stubborn.exe hung.exe many.exe owned.exe plain.exe");
    HWND question = norvanex.WaitDialog("Bestätigung");
    REQUIRE(question != nullptr);
    bool said = false;
    for (HWND child : Children(question)) said = said || Text(child).find("will be asked to close") != std::string::npos;
    CHECK(said);
    CHECK(PressKey(ButtonByCaption(question, "&Ja"), 'J'));

    HWND main = ResultWindow(norvanex);
    CHECK_EQ(closer.WaitExit().value_or(0), kClosed);
    CHECK_EQ(many.WaitExit().value_or(0), kClosed);
    CHECK_EQ(owned.WaitExit().value_or(0), kClosed);
    CHECK(ProcessesNamed("plain.exe").empty());  // no window to ask: ended at once
    HWND save = asker.WaitDialog("windowed");
    REQUIRE(save != nullptr);
    CHECK(PressKey(ButtonByCaption(save, "&Yes"), 'Y'));
    CHECK_EQ(asker.WaitExit().value_or(0), kSaved);

    const std::vector<std::string> waiting{"closed", "closed", "asked to close", "asked to close", "closed", "closed",
                                           "ended"};
    CHECK(WaitUntil([&] { return States(main) == waiting; }));
    CHECK_EQ(Text(ChildById(main, kLabel1)).rfind("Programs asked to close: ", 0), 0u);
    CHECK_EQ(Text(ChildById(main, kBitBtn1)), "End &now");
    CHECK_EQ(Text(ChildById(main, kBitBtn4)), "&Keep running");
    CHECK(Visible(ChildById(main, kBitBtn4)));
    Screenshot("result-closing-en", main);

    CHECK(MouseClick(CenterOnScreen(ChildById(main, kBitBtn1)), main));
    CHECK_EQ(stubborn.WaitExit().value_or(1), 0u);
    CHECK_EQ(hung.WaitExit().value_or(1), 0u);
    CHECK(WaitUntil([&] { return Text(ChildById(main, kLabel1)) == "Canceled Programms"; }));
    CHECK_EQ(States(main), (std::vector<std::string>{"closed", "closed", "ended", "ended", "closed", "closed", "ended"}));
    CHECK_EQ(Text(ChildById(main, kBitBtn1)), "&OK");
    CHECK(!Visible(ChildById(main, kBitBtn4)));
    Screenshot("result-closed-en", main);
    CHECK(PressOk(norvanex, main));
    CHECK_EQ(norvanex.WaitExit().value_or(99), 0u);
}

// Every way the wait ends, in both languages: what is still running is ended, or kept (and the exit
// code says that it still runs). Dismissing the window during the wait keeps: a program may be
// saving. A program that starts itself anew as it closes has its new copy ended with the rest.
CASE(TheWaitEndsEveryWay) {
    struct Case {
        const char* how;
        const char* behaviour;
        const char* args;
        const char* locale;
        const char* keepOrEnd;  // the button pressed, by its letter or the mouse; "" for none
        const char* state;      // of the stubborn program afterwards
        DWORD exitCode;
        const char* shot;
    } cases[] = {
        {"wait runs out", "ignore", "~close:1~ stubborn.exe", "", "", "ended", 0, ""},
        {"close box", "ignore", "~close~ stubborn.exe", "", "close box", "still running: kept", 2, ""},
        {"Escape", "ignore", "~close~ stubborn.exe", "", "escape", "still running: kept", 2, ""},
        {"End now by its letter", "ignore", "~close~ stubborn.exe", "", "N", "ended", 0, ""},
        {"Keep running by the mouse", "ignore", "~close~ stubborn.exe", "", "mouse", "still running: kept", 2, ""},
        {"Keep running by its letter, German", "ignore", "~close~ stubborn.exe", "de_DE.UTF-8", "W",
         "läuft noch: weiterlaufen lassen", 2, "result-kept-de"},
        {"it starts itself anew", "restart", "~close~ stubborn.exe", "", "", "ended", 0, ""},
    };
    for (const Case& c : cases) {
        check::Log(c.how);
        LeaveNoVictims cleanup;
        Process stubborn = StartWindowed("stubborn.exe", c.behaviour);
        Process norvanex = StartKillRun(c.args, c.locale);
        HWND main = ResultWindow(norvanex);
        HWND keep = ChildById(main, kBitBtn4);
        if (*c.locale) {
            CHECK_EQ(Text(ChildById(main, kLabel1)).rfind("Programme zum Schließen aufgefordert: noch ", 0), 0u);
            CHECK_EQ(Text(ChildById(main, kBitBtn1)), "Jetzt &beenden");
            CHECK_EQ(Text(keep), "&Weiterlaufen lassen");
        }
        const std::string how = c.keepOrEnd;
        if (how == "close box") CloseBySystemMenu(main);
        if (how == "escape") CHECK(PressKey(keep, VK_ESCAPE));
        if (how == "mouse") CHECK(MouseClick(CenterOnScreen(keep), main));
        if (how.size() == 1) CHECK(PressKey(keep, static_cast<UINT>(how[0]), {VK_MENU}));
        CHECK(WaitUntil([&] { return !Visible(keep); }));
        CHECK_EQ(States(main), std::vector<std::string>{c.state});
        CHECK_EQ(!ProcessesNamed("stubborn.exe").empty(), c.exitCode != 0);
        if (*c.shot) Screenshot(c.shot, main);
        CHECK(PressOk(norvanex, main));
        CHECK_EQ(norvanex.WaitExit().value_or(99), c.exitCode);
    }
}

// A program's own "save changes?" question comes in front of the result window, which is not on
// top of others while programs are asked, and holds the keyboard: answered there with real keys.
// Cancel keeps the program, and End now ends it. The result window goes on top when the wait is over.
CASE(TheProgramsQuestionComesFirst) {
    struct Case {
        UINT key;
        DWORD exitCode;  // the asker's
        const char* state;
        const char* shot;
    } cases[] = {
        {'Y', kSaved, "closed", "result-question-en"},
        {'N', kSaved + 1, "closed", ""},
        {VK_ESCAPE, 0, "ended", ""},  // Cancel: it stays until End now
    };
    for (const Case& c : cases) {
        LeaveNoVictims cleanup;
        Process asker = StartWindowed("asker.exe", "ask");
        Process norvanex = StartKillRun("~close:60~ asker.exe");
        HWND main = ResultWindow(norvanex);
        HWND save = asker.WaitDialog("windowed");
        REQUIRE(save != nullptr);
        // Its row says so once the question has been brought forward; from then on it stands in
        // front of the result window and holds the keyboard.
        CHECK(WaitUntil([&] { return States(main) == std::vector<std::string>{"waiting for your answer"}; }));
        CHECK(WaitUntil([&] { return GetForegroundWindow() == save && Above(save, main); }));
        CHECK(!Topmost(main));
        if (*c.shot) Screenshot(c.shot);
        SendKey(c.key);
        if (c.key == VK_ESCAPE) {
            CHECK(WaitUntil([&] { return States(main) == std::vector<std::string>{"asked to close"}; }));
            CHECK(MouseClick(CenterOnScreen(ChildById(main, kBitBtn1)), main));
        }
        CHECK_EQ(asker.WaitExit().value_or(99), c.exitCode);
        CHECK(WaitUntil([&] { return States(main) == std::vector<std::string>{c.state}; }));
        CHECK(WaitUntil([&] { return Topmost(main); }));
        CHECK(PressOk(norvanex, main));
        CHECK_EQ(norvanex.WaitExit().value_or(99), 0u);
    }
}

// End now, and at once Enter, which OK takes as the default button then. The window goes, and the
// program to start still opens, a second after the program went.
CASE(QuickOkStillStartsTheProgram) {
    LeaveNoVictims cleanup;
    Process stubborn = StartWindowed("stubborn.exe", "ignore");
    const std::string marker = CopyToScratch("marker.exe", "starter.exe");
    Process norvanex = StartKillRun("~close~ stubborn.exe r:" + marker);
    HWND main = ResultWindow(norvanex);
    CHECK(MouseClick(CenterOnScreen(ChildById(main, kBitBtn1)), main));
    SendKey(VK_RETURN);
    CHECK_EQ(stubborn.WaitExit().value_or(99), 0u);
    CHECK_EQ(norvanex.WaitExit().value_or(99), 0u);
    CHECK(WaitUntil([] { return MarkerLines().size() == 1; }, 5000));
}
