// The program name match: how a process is recognised by the name of its program file.
#pragma once

#include <string>
#include <string_view>

#include "base/AnsiText.h"

namespace norvanex {

// What follows the last '\' or ':' of the candidate, or the whole candidate when it has neither.
// A trail byte of a double-byte character that looks like either is neither.
std::string_view FileNamePart(std::string_view candidate, LeadByteFn isLeadByte);

// The program name as it is compared: a full path (IsFullPath) in its one spelling (CanonicalPath:
// "C:/x/../y.exe", "C:\\y.exe" and "\\?\C:\y.exe" are "C:\y.exe"); any other name as it stands.
std::string ComparableProgramName(std::string_view programName, LeadByteFn isLeadByte);

// Whether the text ends in "\" or "/" (not a trail byte that looks like one): as a path it names a
// folder at most, never a program file.
bool EndsInSeparator(std::string_view path, LeadByteFn isLeadByte);

// A candidate (snapshot executable string, performance-data name or image path) matches when its
// file-name part or the whole of it equals the program name, a to z without regard to case in
// single-byte characters. A full path matches only that whole path, each in its one spelling, and
// one that ends in a separator matches nothing; any other name is taken as given.
bool ProgramNameMatches(std::string_view candidate, std::string_view programName,
                        LeadByteFn isLeadByte);
// The same with the program name's comparable form made already (once per name, not per candidate).
bool ProgramNameMatches(std::string_view candidate, std::string_view programName, std::string_view comparable,
                        LeadByteFn isLeadByte);

}  // namespace norvanex
