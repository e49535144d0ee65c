// Tables that route a window's commands and notifications to its handlers.
#pragma once

#include <windows.h>

#include <cstddef>

namespace norvanex {

// Tables that route commands and notifications to handlers by id (and code), as WTL's
// COMMAND_ID_HANDLER and NOTIFY_HANDLER maps do.
template <class T>
struct CommandEntry {
    int id;
    bool whenUsable;  // a button's command counts only while it is visible and enabled
    void (*handler)(T&);
};

constexpr UINT_PTR kAnyId = static_cast<UINT_PTR>(-1);

template <class T>
struct NotifyEntry {
    UINT_PTR id;  // kAnyId: from any sender
    UINT code;
    LRESULT (*handler)(T&, NMHDR&);
};

// True when the table has an entry for `id`, whether or not the control was usable.
template <class T, std::size_t N>
bool DispatchCommand(const CommandEntry<T> (&table)[N], T& target, int id, bool usable) {
    for (const CommandEntry<T>& entry : table) {
        if (entry.id != id) continue;
        if (usable || !entry.whenUsable) entry.handler(target);
        return true;
    }
    return false;
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
