// One file under every name: which file a path names as the file system tells it (the volume's
// serial number and the file's index there), and a program named on the call line, which matches
// processes by name and a full path also by that identity.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/AnsiText.h"
#include "process/ProcessPlatform.h"

namespace norvanex {

// Which file `path` names (FileIdentity, in ProcessPlatform.h), or nothing when it cannot be opened
// (no such file, no right, a folder).
// A 32-bit program on 64-bit Windows is redirected from "<Windows>\System32" to the 32-bit system
// folder; a path there is opened through "<Windows>\Sysnative" first, as the path means the file
// that the user and the kernel see there. `ntLine`: opened without any access right and shared
// with every other opener; the 9x line asks for reading and knows no shared deletion.
std::optional<FileIdentity> ReadFileIdentity(ProcessPlatform& platform, const std::string& path,
                                             const std::string& windowsDirectory, bool ntLine, LeadByteFn isLeadByte);

using IdentityLookup = std::function<std::optional<FileIdentity>(const std::string& path)>;

// A program name from the call line, made once per name and compared with every process's
// executable string and image path. A name that is no full path matches by the program name
// match; a full path that ends in a separator names no file and matches nothing. Any other full
// path matches an image path of the same spelling (ComparableProgramName), and one of another
// spelling whose file name is the same when both files can be opened and are one file: a folder
// reached through a link, another drive letter for the same folder, "\\.\C:\", Sysnative. Only
// images of that file name are opened, and the name's own file once, at the first need; where
// either cannot be opened, the spelling decides.
class NamedProgram {
public:
    NamedProgram(std::string_view programName, LeadByteFn isLeadByte, IdentityLookup identityOf);

    const std::string& Name() const { return name_; }
    // The name as it is compared: a full path in its one spelling.
    const std::string& Comparable() const { return comparable_; }
    // ProgramNameMatches, for a snapshot's string or a performance-data name.
    bool Matches(std::string_view candidate) const;
    bool NamesImage(std::string_view imagePath) const;

private:
    std::string name_;
    std::string comparable_;
    LeadByteFn isLeadByte_;
    IdentityLookup identityOf_;
    // Read at the first image that needs it, then kept: the name names one file for the whole run.
    mutable bool identityRead_ = false;
    mutable std::optional<FileIdentity> identity_;
};

}  // namespace norvanex
