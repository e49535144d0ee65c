// Shortcut files through the shell's link object: writing one, and reading one back.
#pragma once

#include <optional>
#include <string>

#include "app/ShortcutChain.h"

namespace norvanex {

// Writes a shortcut: target, arguments, description and icon (number 0); working folder, hot key
// and show command keep the link object's defaults. True when the file was written; otherwise
// `reason`, when given, receives the system's words for what failed. COM must be initialised.
bool CreateShortcut(const std::string& target, const std::string& arguments, const std::string& fileName,
                    const std::string& iconPath, const std::string& description, std::string* reason = nullptr);

struct ShortcutFields {
    std::string target;
    std::string arguments;
    // What of the target or the arguments the ANSI code page cannot hold (InexactShortcutPart),
    // read in UTF-16; empty when all of it converts, and then the fields above hold it exactly.
    std::u16string inexact;
};

// The fields of a shortcut file; nothing when it cannot be loaded as one. `unicode`: read through
// IShellLinkW and converted exactly (the NT line, where the link holds UTF-16 and the A interface
// hands over best fit); otherwise through IShellLinkA (the 9x line, whose shell has no W: callers
// pass !AnsiTexts()).
std::optional<ShortcutFields> ReadShortcut(const std::string& fileName, bool unicode);

// The target path of a shortcut file as a chain is followed through it (its path with variables
// expanded, else its ID list's), read without resolving anything; nothing when it cannot be loaded.
std::optional<std::u16string> ReadShortcutTarget(const std::u16string& fileName);
// The chain of shortcuts that starts at `path` (WalkShortcutChain), each link read so.
ShortcutChain FollowShortcutChain(const std::string& path);

}  // namespace norvanex
