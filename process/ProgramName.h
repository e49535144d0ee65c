// The program name match: how a process is recognised by the name of its program file.
#pragma once

#include <string_view>

namespace norvanex {

// True when a and b have the same length and equal bytes, where only a-z and A-Z are compared
// without regard to case. Bytes above 127 (accented letters of code page 1252) are compared
// exactly.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// What follows the last '\' or ':' of the candidate, or the whole candidate when it has neither.
std::string_view FileNamePart(std::string_view candidate);

// A candidate (snapshot executable string, performance-data name or image path) matches when its
// file-name part or the whole of it equals the program name. The program name is taken as given:
// a full path matches only that whole path.
bool ProgramNameMatches(std::string_view candidate, std::string_view programName);

}  // namespace norvanex
