// The program name match: how a process is recognised by the name of its program file.
#pragma once

#include <string_view>

#include "base/AnsiText.h"

namespace norvanex {

// What follows the last '\' or ':' of the candidate, or the whole candidate when it has neither.
// A trail byte of a double-byte character that looks like either is neither.
std::string_view FileNamePart(std::string_view candidate, LeadByteFn isLeadByte);

// A candidate (snapshot executable string, performance-data name or image path) matches when its
// file-name part or the whole of it equals the program name, a to z without regard to case in
// single-byte characters. The program name is taken as given: a full path matches only that whole
// path.
bool ProgramNameMatches(std::string_view candidate, std::string_view programName,
                        LeadByteFn isLeadByte);

}  // namespace norvanex
