// The program name match.
#include "process/ProgramName.h"

namespace norvanex {

std::string_view FileNamePart(std::string_view candidate, LeadByteFn isLeadByte) {
    return candidate.substr(NamePartStart(candidate, "\\:", isLeadByte));
}

bool ProgramNameMatches(std::string_view candidate, std::string_view programName,
                        LeadByteFn isLeadByte) {
    return EqualsIgnoringAsciiCase(FileNamePart(candidate, isLeadByte), programName, isLeadByte) ||
           EqualsIgnoringAsciiCase(candidate, programName, isLeadByte);
}

}  // namespace norvanex
