// File identities and the programs that the call line names.
#include "process/FileIdentity.h"

#include <utility>

#include "base/AppInfo.h"
#include "process/ProgramName.h"

namespace norvanex {
namespace {

std::optional<FileIdentity> IdentityOfFile(ProcessPlatform& platform, const std::string& path, bool ntLine) {
    const std::uint32_t access = ntLine ? 0 : kGenericRead;
    const std::uint32_t share = kFileShareRead | kFileShareWrite | (ntLine ? kFileShareDelete : 0);
    const OsHandle opened = platform.CreateFileA(path.c_str(), access, share, kOpenExisting, 0);
    if (opened == kInvalidHandle || opened == OsHandle{}) return std::nullopt;
    const PlatformOwned<OsHandle> file(opened, {&platform});
    FileInformation info;
    if (!platform.GetFileInformationByHandle(file.get(), info)) return std::nullopt;
    return FileIdentity{info.volumeSerialNumber, info.fileIndexHigh, info.fileIndexLow};
}

}  // namespace

std::optional<FileIdentity> ReadFileIdentity(ProcessPlatform& platform, const std::string& path,
                                             const std::string& windowsDirectory, bool ntLine, LeadByteFn isLeadByte) {
    // Where Sysnative does not answer (32-bit Windows, the 9x line), the path is opened as it is.
    const std::string sysnative = SysnativePath(path, windowsDirectory, isLeadByte);
    if (!sysnative.empty()) {
        if (std::optional<FileIdentity> identity = IdentityOfFile(platform, sysnative, ntLine)) return identity;
    }
    return IdentityOfFile(platform, path, ntLine);
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
