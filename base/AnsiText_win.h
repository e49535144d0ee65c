// The system's answer to the double-byte question, for the text rules of base/AnsiText.h.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/AnsiText.h"

namespace norvanex {

// IsDBCSLeadByte of the system's ANSI code page.
bool SystemLeadByte(unsigned char byte);

// The conversion call of the exact conversion (AnsiConversionFn) on this system.
int SystemAnsiConversion(std::u16string_view wide, char* out, int outSize, bool& usedDefault);
// The exact conversion (base/AnsiText.h) into the system's ANSI code page.
bool ExactAnsi(std::u16string_view wide, std::string& ansi);
// A text of the program in UTF-16: its own words from code page 1252, the names marked in it
// (MarkedName) from the system's ANSI code page. Shown through the W functions, "©" and "ü" stay
// themselves under code page 932 as under 1252.
std::wstring WideText(std::string_view text);

// The one conversion between a code page and UTF-16, each direction one function: `codePage` is
// any code page the system knows (CP_ACP: the system's ANSI code page). To UTF-16 exactly as the
// system decodes; from it with best fit and the default character where the code page lacks one.
// Empty when the system refuses the conversion.
std::wstring WideFrom(std::string_view text, UINT codePage);
std::string AnsiFrom(std::wstring_view wide, UINT codePage);

// The same UTF-16 text as the standard library's char16_t and as the Win32 headers' wchar_t:
// one view of the other, no copy.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");
inline std::u16string_view AsUtf16(std::wstring_view wide) {
    return {reinterpret_cast<const char16_t*>(wide.data()), wide.size()};
}
inline std::wstring_view AsWide(std::u16string_view text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

// The text layer: every text the program shows is held in UTF-16 and goes through the Unicode
// functions on the NT line, through the ANSI functions on the 9x line (AnsiTexts), where the
// Unicode ones are stubs that fail. There the system's code page is all a window can show anyway.

// `wide` in the system's ANSI code page as the 9x line shows it: best fit and the default
// character where the code page lacks a character.
std::string ShownAnsi(std::wstring_view wide);

// Sets a window's text, a caption or a control's, from a text of the program (WideText).
void SetOwnText(HWND window, std::string_view text);

// Sets a window's text from UTF-16, on the NT line without passing it through the ANSI code page.
void SetWideText(HWND window, const std::wstring& wide);

// A window's text in UTF-16 (GetWindowTextLength and GetWindowText).
std::wstring WindowWideText(HWND window);

// DrawText of a UTF-16 text.
int DrawWideText(HDC dc, const std::wstring& text, RECT& rect, UINT format);

}  // namespace norvanex
