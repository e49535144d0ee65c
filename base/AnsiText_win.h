// The system's answer to the double-byte question, for the text rules of base/AnsiText.h.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/AnsiText.h"

namespace norvanex {

// IsDBCSLeadByte of the system's ANSI code page.
bool SystemLeadByte(unsigned char byte);

// A text of the program in UTF-16: its own words from code page 1252, the names marked in it
// (MarkedName) from the system's ANSI code page. Shown through the W functions, "©" and "ü" stay
// themselves under code page 932 as under 1252.
std::wstring WideText(std::string_view text);

// Sets a window's text, a caption or a control's, from a text of the program (WideText).
void SetOwnText(HWND window, std::string_view text);

}  // namespace norvanex
