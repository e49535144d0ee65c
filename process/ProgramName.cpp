// The program name match.
#include "process/ProgramName.h"

#include "base/AppInfo.h"

namespace norvanex {

std::string_view FileNamePart(std::string_view candidate, LeadByteFn isLeadByte) {
    return candidate.substr(NamePartStart(candidate, "\\:", isLeadByte));
}

std::string ComparableProgramName(std::string_view programName, LeadByteFn isLeadByte) {
    return IsFullPath(programName) ? CanonicalPath(programName, std::string_view(), isLeadByte)
                                   : std::string(programName);
}

bool EndsInSeparator(std::string_view path, LeadByteFn isLeadByte) {
    return !path.empty() && NamePartStart(path, "\\/", isLeadByte) == path.size();
}

bool ProgramNameMatches(std::string_view candidate, std::string_view programName,
                        LeadByteFn isLeadByte) {
    return ProgramNameMatches(candidate, programName, ComparableProgramName(programName, isLeadByte), isLeadByte);
}

bool ProgramNameMatches(std::string_view candidate, std::string_view programName, std::string_view comparable,
                        LeadByteFn isLeadByte) {
    if (IsFullPath(programName)) {
        // "C:\v\a.exe\" is one spelling of "C:\v\a.exe", but Windows opens no file by it.
        return IsFullPath(candidate) && !EndsInSeparator(programName, isLeadByte) &&
               EqualsIgnoringAsciiCase(ComparableProgramName(candidate, isLeadByte), comparable, isLeadByte);
    }
    return EqualsIgnoringAsciiCase(FileNamePart(candidate, isLeadByte), programName, isLeadByte) ||
           EqualsIgnoringAsciiCase(candidate, programName, isLeadByte);
}

}  // namespace norvanex
