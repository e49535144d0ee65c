// The system's answer to the double-byte question, for the text rules of base/AnsiText.h.
#pragma once

#include <string>
#include <string_view>

#include "base/AnsiText.h"

namespace norvanex {

// IsDBCSLeadByte of the system's ANSI code page.
bool SystemLeadByte(unsigned char byte);

// `wide` in the system's ANSI code page; false when it does not convert exactly: a look-alike
// (best fit) or the default character would stand for a character the code page lacks.
bool ExactAnsi(std::u16string_view wide, std::string& ansi);
bool ExactAnsi(const wchar_t* wide, std::string& ansi);

}  // namespace norvanex
