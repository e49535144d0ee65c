// A shortcut whose target is a shortcut: the chain followed link by link as the shell would follow
// it, but by reading each link's target, never through the shell's own resolver, which follows a
// chain that loops until its stack runs out.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/CallLine.h"
#include "base/AnsiText.h"

namespace norvanex {

// The longest chain followed: a shortcut to a shortcut to ... in at most this many links.
inline constexpr int kMaxShortcutLinks = 8;

enum class ChainEnd {
    Target,      // a file that is no shortcut (the path itself when it is none)
    Unreadable,  // a shortcut whose target cannot be read: no chain can be seen there
    Loop,        // a shortcut met a second time
    TooLong,     // more than kMaxShortcutLinks shortcuts
};

struct ShortcutChain {
    ChainEnd end = ChainEnd::Target;
    std::u16string last;  // the target reached, or the shortcut that could not be read or came again
    int links = 0;        // the shortcuts passed on the way
};

// A shortcut's target path as the link holds it, or nothing when none can be read.
using LinkTargetFn = std::function<std::optional<std::u16string>(const std::u16string& shortcut)>;

// Whether a path names a shortcut file: ".lnk" in any letter case.
bool IsShortcutPath(std::u16string_view path);

// Follows `path` while it names a shortcut (".lnk" in any letter case). The shortcuts are told
// apart by their paths, letters a to z in either case and "/" as "\"; a loop that comes back under
// another spelling ends as TooLong.
ShortcutChain WalkShortcutChain(std::u16string path, const LinkTargetFn& targetOf);

// Whether the shell may be given the path: its chain reaches a target, or a shortcut that the
// shell reads on its own (one to no file, such as a folder of the shell's own).
inline bool ShellMayOpen(const ShortcutChain& chain) {
    return chain.end == ChainEnd::Target || chain.end == ChainEnd::Unreadable;
}

// Whether a file name is one of a program file, a process's image: ".exe", ".com", ".scr" or
// ".dll" in any letter case (the 9x line lists KERNEL32.DLL as a process).
bool HasProgramExtension(const std::string& fileName, LeadByteFn isLeadByte);

// The refusal of a chain that loops (Loop) or is too long (TooLong), naming the shortcut chosen.
MessageText ChainRefusedText(const std::string& fileName, ChainEnd end);
// A shortcut whose target cannot be read: neither a path nor an ID list that names a file.
MessageText UnreadableTargetText(const std::string& fileName);
// A shortcut chosen as a program to end whose target is no program file.
MessageText NoProgramTargetText(const std::string& fileName, const std::string& target);

}  // namespace norvanex
