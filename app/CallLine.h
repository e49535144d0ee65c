// Reading the call line: parameters split from the command line the way the program always did.
#pragma once

#include <string>

namespace norvanex {

// Steps to the next character of an ANSI string (CharNextA on Windows: the two bytes of a
// double-byte character stay together). Returns its argument when it points at the terminator.
using CharNextFn = const char* (*)(const char*);

// Parameters 1 to 100 are read; later ones are never looked at.
constexpr int kMaxParams = 100;

// Token `index` (1 or more) of `commandLine`; token 0, the program's own name, is passed over.
// Blanks and control characters separate tokens; a double quote opens a run that keeps blanks and
// ends at the next quote or the end of the line, and may stand anywhere in a token; a pair of
// quotes standing alone yields nothing. There is no escape character. Past the last token: "".
std::string CallLineParam(const char* commandLine, int index, CharNextFn charNext);

// True for an "r:" parameter (either letter case): the rest names the program to start.
bool IsStartParam(const std::string& param);

// The program to start as an "r:" parameter names it: everything after the two prefix characters,
// unchanged. A path longer than kMaxStartPath characters is refused (empty result): cutting it could
// name, and later open, another file than the one written.
constexpr size_t kMaxStartPath = 255;
std::string StartPathOf(const std::string& param);

}  // namespace norvanex
