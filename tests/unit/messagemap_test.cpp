// Which entry of a window's command table takes a command, and whether a command from a hidden or
// disabled control counts: the tables of the main window, the about box and the message box.
#include <gtest/gtest.h>

#include "base/MessageMap.h"

using namespace norvanex;

namespace {

constexpr unsigned kClicked = 0, kAccelerator = 1, kDoubleClicked = 5;
constexpr int kOk = 1, kCancel = 2, kInsertKey = 203, kLink = 209, kAbout = 106;

// The handler is a tag naming the row.
using Row = CommandRow<const char*>;

// As the kill run's result window has them: OK only while usable, Keep running / Escape in any state.
constexpr Row kKillRun[] = {
    {kOk, kAnyCode, "ok"},
    {kCancel, kAnyCode, "keep-or-escape", Sender::AnyState},
    {kInsertKey, kAnyCode, "insert-key"},
    {kAbout, kAnyCode, "about"},
};
// As the about box and the message box have them: clicks only, Escape in any state.
constexpr Row kBox[] = {
    {kLink, kClicked, "link"},
    {kOk, kClicked, "ok"},
    {kCancel, kAnyCode, "escape", Sender::AnyState},
};

enum class Table { KillRun, Box };

const Row* Find(Table table, int id, unsigned code) {
    return table == Table::KillRun ? FindCommand(kKillRun, id, code) : FindCommand(kBox, id, code);
}

}  // namespace

TEST(MessageMap, OneRuleForEveryTable) {
    struct Case {
        const char* what;
        Table table;
        int id;
        unsigned code;
        ControlState state;
        const char* runs;  // null: no row takes it
        bool counts;
    } cases[] = {
        {"a click on a usable button", Table::KillRun, kOk, kClicked, ControlState::Usable, "ok", true},
        {"Enter on a disabled default button", Table::KillRun, kOk, kClicked, ControlState::Unusable, "ok", false},
        {"Escape to the hidden Keep running", Table::KillRun, kCancel, kClicked, ControlState::Unusable,
         "keep-or-escape", true},
        {"Keep running shown", Table::KillRun, kCancel, kClicked, ControlState::Usable, "keep-or-escape", true},
        {"an accelerator, no control of its id", Table::KillRun, kInsertKey, kAccelerator,
         ControlState::None, "insert-key", true},
        {"a posted command for a button that shows", Table::KillRun, kAbout, kClicked,
         ControlState::Usable, "about", true},
        {"an id no row has", Table::KillRun, 999, kClicked, ControlState::Usable, nullptr, false},
        {"a link's click", Table::Box, kLink, kClicked, ControlState::Usable, "link", true},
        {"a link's double-click opens nothing again", Table::Box, kLink, kDoubleClicked,
         ControlState::Usable, nullptr, false},
        {"a link of a hidden box", Table::Box, kLink, kClicked, ControlState::Unusable, "link", false},
        {"Escape in a box without a cancel button", Table::Box, kCancel, kClicked, ControlState::None,
         "escape", true},
        {"the close command of any code", Table::Box, kCancel, kAccelerator, ControlState::None, "escape", true},
    };
    for (const Case& c : cases) {
        const Row* found = Find(c.table, c.id, c.code);
        if (!c.runs) {
            EXPECT_EQ(found, nullptr) << c.what;
            continue;
        }
        ASSERT_NE(found, nullptr) << c.what;
        EXPECT_STREQ(found->handler, c.runs) << c.what;
        EXPECT_EQ(Counts(found->sender, c.state), c.counts) << c.what;
    }
}
