// Comparing and cutting ANSI text by characters, never inside a double-byte character.
#include "base/AnsiText.h"

namespace norvanex {

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The length of the character at text[i]: 2 for a lead byte with its trail byte, else 1. A lead
// byte at the very end (a cut string) stands alone.
std::size_t CharLength(std::string_view text, std::size_t i, LeadByteFn isLeadByte) {
    return (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}

}  // namespace

bool NoLeadBytes(unsigned char) { return false; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b, LeadByteFn isLeadByte) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t length = CharLength(a, i, isLeadByte);
        if (length == 2) {
            if (a.substr(i, 2) != b.substr(i, 2)) return false;
        } else if (UpperAscii(a[i]) != UpperAscii(b[i])) {
            return false;
        }
        i += length;
    }
    return true;
}

std::size_t NamePartStart(std::string_view text, std::string_view separators, LeadByteFn isLeadByte) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharLength(text, i, isLeadByte);
        if (length == 1 && separators.find(text[i]) != std::string_view::npos) start = i + 1;
        i += length;
    }
    return start;
}

std::string_view AfterLastBackslash(std::string_view text, LeadByteFn isLeadByte) {
    return text.substr(NamePartStart(text, "\\", isLeadByte));
}

std::string MarkedName(std::string_view name) { return kNameOpen + std::string(name) + kNameClose; }

bool ExactAnsi(std::u16string_view wide, std::string& ansi, const AnsiConversionFn& convert) {
    ansi.clear();
    if (wide.empty()) return true;
    bool usedDefault = false;
    const int size = convert(wide, nullptr, 0, usedDefault);
    if (size <= 0) return false;
    ansi.assign(static_cast<std::size_t>(size), '\0');
    if (convert(wide, ansi.data(), size, usedDefault) != size) {
        ansi.clear();
        return false;
    }
    return !usedDefault;
}

bool HasFolderPart(std::string_view text, LeadByteFn isLeadByte) {
    return NamePartStart(text, "\\/:", isLeadByte) != 0;
}

}  // namespace norvanex
