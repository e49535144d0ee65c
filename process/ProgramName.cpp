// The program name match.
#include "process/ProgramName.h"

namespace norvanex {
namespace {

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

std::string_view FileNamePart(std::string_view candidate) {
    const std::size_t sep = candidate.find_last_of("\\:");
    return sep == std::string_view::npos ? candidate : candidate.substr(sep + 1);
}

bool ProgramNameMatches(std::string_view candidate, std::string_view programName) {
    return EqualsIgnoringAsciiCase(FileNamePart(candidate), programName) ||
           EqualsIgnoringAsciiCase(candidate, programName);
}

}  // namespace norvanex
