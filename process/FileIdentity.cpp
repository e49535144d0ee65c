// File identities and the programs that the call line names.
#include "process/FileIdentity.h"

#include <utility>

#include "base/AppInfo.h"
#include "process/ProgramName.h"

namespace norvanex {

std::optional<FileIdentity> ReadFileIdentity(ProcessPlatform& platform, const std::string& path,
                                             const std::string& windowsDirectory, bool ntLine, LeadByteFn isLeadByte) {
    // Where Sysnative does not answer (32-bit Windows, the 9x line), the path is opened as it is.
    const std::string sysnative = SysnativePath(path, windowsDirectory, isLeadByte);
    if (!sysnative.empty()) {
        if (std::optional<FileIdentity> identity = platform.FileIdentityOf(sysnative, ntLine)) return identity;
    }
    return platform.FileIdentityOf(path, ntLine);
}

NamedProgram::NamedProgram(std::string_view programName, LeadByteFn isLeadByte, IdentityLookup identityOf)
    : name_(programName),
      comparable_(ComparableProgramName(programName, isLeadByte)),
      isLeadByte_(isLeadByte),
      identityOf_(std::move(identityOf)) {}

bool NamedProgram::Matches(std::string_view candidate) const {
    return ProgramNameMatches(candidate, name_, comparable_, isLeadByte_);
}

bool NamedProgram::NamesImage(std::string_view imagePath) const {
    if (Matches(imagePath)) return true;
    // Neither a bare name nor a folder names a file; a path that no one spelling gives is compared
    // by its spelling alone.
    if (!IsFullPath(name_) || !IsFullPath(imagePath) || EndsInSeparator(name_, isLeadByte_) || !identityOf_) {
        return false;
    }
    const std::string image = ComparableProgramName(imagePath, isLeadByte_);
    const std::string_view fileName = FileNamePart(comparable_, isLeadByte_);
    if (!EqualsIgnoringAsciiCase(FileNamePart(image, isLeadByte_), fileName, isLeadByte_)) return false;
    if (!identityRead_) {
        identityRead_ = true;
        identity_ = identityOf_(name_);
    }
    if (!identity_) return false;
    const std::optional<FileIdentity> other = identityOf_(std::string(imagePath));
    return other && *other == *identity_;
}

}  // namespace norvanex
