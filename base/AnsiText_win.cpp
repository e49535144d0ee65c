// The double-byte question answered by the system's ANSI code page.
#include "base/AnsiText_win.h"

#include <windows.h>

namespace norvanex {

bool SystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

bool ExactAnsi(std::u16string_view wide, std::string& ansi) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");
    ansi.clear();
    if (wide.empty()) return true;
    const auto* text = reinterpret_cast<const wchar_t*>(wide.data());
    const int length = static_cast<int>(wide.size());
    // UTF-8 as the ANSI code page (Windows 10 and later) has every character and refuses the
    // best-fit flag; only an unpaired surrogate fails there.
    const bool utf8 = GetACP() == CP_UTF8;
    const UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* defaulted = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, nullptr, defaulted);
    if (size <= 0) return false;
    ansi.assign(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(codePage, flags, text, length, ansi.data(), size, nullptr, defaulted) != size) {
        ansi.clear();
        return false;
    }
    return usedDefault == FALSE;
}

bool ExactAnsi(const wchar_t* wide, std::string& ansi) {
    return ExactAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(wide)), ansi);
}

}  // namespace norvanex
