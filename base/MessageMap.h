// The rule by which a window's table of commands picks the entry that takes a command, and
// whether the command counts; the Win32 side is base/MessageMap_win.h.
#pragma once

#include <cstddef>

namespace norvanex {

// An entry's code that takes whatever the control notifies (a click, a double-click, an
// accelerator's 1, a menu item's 0).
constexpr unsigned kAnyCode = static_cast<unsigned>(-1);

// Whom an entry hears a command from.
enum class Sender : unsigned char {
    Usable,    // a control hidden or disabled gives no command: a click that could not be made
    AnyState,  // whether the control shows or not: a cancel id that Escape sends to a hidden button
};

// The control a command comes from, as the window sees it when the command arrives.
enum class ControlState : unsigned char {
    None,       // no control has the command's id: a menu item, an accelerator
    Usable,     // visible and enabled
    Unusable,   // hidden (itself or its window) or disabled
};

// One row of a window's table: the command's id and notification code, the handler, and whom the
// entry hears. `Handler` is the window side's function pointer.
template <class Handler>
struct CommandRow {
    int id;
    unsigned code;  // kAnyCode: any
    Handler handler;
    Sender sender = Sender::Usable;
};

// The first row for the command `id` with the notification `code`; null when the table has none.
template <class Row, std::size_t N>
const Row* FindCommand(const Row (&table)[N], int id, unsigned code) {
    for (const Row& row : table) {
        if (row.id == id && (row.code == kAnyCode || row.code == code)) return &row;
    }
    return nullptr;
}

// The one rule for unusable controls: a command from a control that the user could not have used
// counts as not given, unless the entry hears it in any state.
constexpr bool Counts(Sender sender, ControlState state) {
    return sender == Sender::AnyState || state != ControlState::Unusable;
}

}  // namespace norvanex
