// The system's ANSI code page: the double-byte question, exact conversion into it, and the
// program's own texts shown from code page 1252.
#include "base/AnsiText_win.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>

#include "base/SystemTraits_win.h"

namespace norvanex {

bool SystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

int SystemAnsiConversion(std::u16string_view wide, char* out, int outSize, bool& usedDefault) {
    const auto* text = reinterpret_cast<const wchar_t*>(wide.data());
    const int length = static_cast<int>(wide.size());
    usedDefault = false;
    // UTF-8 as the ANSI code page (Windows 10 and later) has every character and refuses both the
    // best-fit flag and the used-default question; only an unpaired surrogate fails there.
    if (GetACP() == CP_UTF8) {
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, length, out, outSize, nullptr, nullptr);
    }
    // WC_NO_BEST_FIT_CHARS is Windows 2000's; the 9x line refuses the call for it (and its names
    // come from the ANSI code page, so only the used-default flag can tell there).
    BOOL defaulted = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, AnsiTexts() ? 0 : WC_NO_BEST_FIT_CHARS, text, length, out, outSize,
                                            nullptr, &defaulted);
    usedDefault = defaulted != FALSE;
    return written;
}

bool ExactAnsi(std::u16string_view wide, std::string& ansi) { return ExactAnsi(wide, ansi, SystemAnsiConversion); }

namespace {

constexpr UINT kOwnCodePage = 1252;

}  // namespace

std::wstring WideFrom(std::string_view text, UINT codePage) {
    std::wstring wide;
    if (text.empty()) return wide;
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return wide;
    wide.assign(static_cast<std::size_t>(length), L'\0');
    wide.resize(static_cast<std::size_t>(
        std::max(0, MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length))));
    return wide;
}

std::string AnsiFrom(std::wstring_view wide, UINT codePage) {
    std::string ansi;
    if (wide.empty()) return ansi;
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return ansi;
    ansi.assign(static_cast<std::size_t>(size), '\0');
    ansi.resize(static_cast<std::size_t>(
        std::max(0, WideCharToMultiByte(codePage, 0, wide.data(), length, ansi.data(), size, nullptr, nullptr))));
    return ansi;
}

std::wstring WideText(std::string_view text) {
    std::wstring wide;
    size_t start = 0;
    while (start < text.size()) {
        const size_t open = text.find(kNameOpen, start);
        wide += WideFrom(text.substr(start, open == std::string_view::npos ? open : open - start), kOwnCodePage);
        if (open == std::string_view::npos) break;
        const size_t close = text.find(kNameClose, open + 1);
        wide += WideFrom(text.substr(open + 1, close == std::string_view::npos ? close : close - open - 1), CP_ACP);
        if (close == std::string_view::npos) break;
        start = close + 1;
    }
    return wide;
}

std::string ShownAnsi(std::wstring_view wide) { return AnsiFrom(wide, CP_ACP); }

void SetOwnText(HWND window, std::string_view text) { SetWideText(window, WideText(text)); }

void SetWideText(HWND window, const std::wstring& wide) {
    if (AnsiTexts()) {
        SetWindowTextA(window, ShownAnsi(wide).c_str());
        return;
    }
    if (IsWindowUnicode(window)) {
        SetWindowTextW(window, wide.c_str());
        return;
    }
    // WM_SETTEXT to an ANSI window passes through the ANSI code page and loses what that lacks; the
    // default procedure, which keeps every window's text, takes it whole. The program's windows
    // leave WM_SETTEXT to it anyway.
    DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    if (GetParent(window)) InvalidateRect(window, nullptr, TRUE);
}

std::wstring WindowWideText(HWND window) {
    if (AnsiTexts()) {
        std::string ansi(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
        ansi.resize(static_cast<size_t>(GetWindowTextA(window, ansi.data(), static_cast<int>(ansi.size()))));
        return WideFrom(ansi, CP_ACP);
    }
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

int DrawWideText(HDC dc, const std::wstring& text, RECT& rect, UINT format) {
    if (AnsiTexts()) {
        const std::string ansi = ShownAnsi(text);
        return DrawTextA(dc, ansi.c_str(), static_cast<int>(ansi.size()), &rect, format);
    }
    return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

}  // namespace norvanex
