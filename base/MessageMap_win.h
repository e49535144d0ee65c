// Tables that route a window's commands and notifications to its handlers.
#pragma once

#include <windows.h>

#include <cstddef>

#include "base/MessageMap.h"

namespace norvanex {

// A WM_COMMAND as a handler sees it, as WTL's COMMAND_HANDLER passes it: the notification code
// (BN_CLICKED, STN_CLICKED; 0 from a menu, 1 from an accelerator), the id, and the control that
// sent it (null from a menu, an accelerator or a message posted by hand).
struct CommandMessage {
    unsigned code;
    int id;
    HWND control;
};

inline CommandMessage CommandOf(WPARAM wParam, LPARAM lParam) {
    return {HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam)};
}

// Tables that route commands and notifications to handlers by id and code, as WTL's
// COMMAND_HANDLER and NOTIFY_HANDLER maps do. Every window of the program dispatches through them.
template <class T>
using CommandEntry = CommandRow<void (*)(T&, const CommandMessage&)>;

constexpr UINT_PTR kAnyId = static_cast<UINT_PTR>(-1);

template <class T>
struct NotifyEntry {
    UINT_PTR id;  // kAnyId: from any sender
    UINT code;
    LRESULT (*handler)(T&, NMHDR&);
};

// The control that `command` comes from, in `window`: the one that sent it, or, for a command
// that names none (a message posted by hand), the window's child that carries its id.
inline ControlState SenderState(HWND window, const CommandMessage& command) {
    HWND control = command.control ? command.control : GetDlgItem(window, command.id);
    if (!control) return ControlState::None;
    // IsWindowVisible is false also while the window itself is hidden.
    return IsWindowVisible(control) && IsWindowEnabled(control) ? ControlState::Usable : ControlState::Unusable;
}

// Runs the entry of `table` that takes `command`, sent to `window`, when the command counts
// (Counts). True when the table has such an entry, whether or not the command counted: no other
// table is asked then.
template <class T, std::size_t N>
bool DispatchCommand(const CommandEntry<T> (&table)[N], T& target, HWND window, const CommandMessage& command) {
    const CommandEntry<T>* entry = FindCommand(table, command.id, command.code);
    if (!entry) return false;
    if (Counts(entry->sender, SenderState(window, command))) entry->handler(target, command);
    return true;
}

template <class T, std::size_t N>
bool DispatchNotify(const NotifyEntry<T> (&table)[N], T& target, NMHDR& header, LRESULT& result) {
    for (const NotifyEntry<T>& entry : table) {
        if ((entry.id != kAnyId && entry.id != header.idFrom) || entry.code != header.code) continue;
        result = entry.handler(target, header);
        return true;
    }
    return false;
}

}  // namespace norvanex
