// The double-byte question answered by the system's ANSI code page.
#include "base/AnsiText_win.h"

#include <windows.h>

namespace norvanex {

bool SystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

namespace {

constexpr UINT kOwnCodePage = 1252;

void AppendWide(std::wstring& wide, std::string_view text, UINT codePage) {
    if (text.empty()) return;
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return;
    const size_t at = wide.size();
    wide.resize(at + static_cast<size_t>(length));
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[at], length);
}

}  // namespace

std::wstring WideText(std::string_view text) {
    std::wstring wide;
    size_t start = 0;
    while (start < text.size()) {
        const size_t open = text.find(kNameOpen, start);
        AppendWide(wide, text.substr(start, open == std::string_view::npos ? open : open - start), kOwnCodePage);
        if (open == std::string_view::npos) break;
        const size_t close = text.find(kNameClose, open + 1);
        AppendWide(wide, text.substr(open + 1, close == std::string_view::npos ? close : close - open - 1), CP_ACP);
        if (close == std::string_view::npos) break;
        start = close + 1;
    }
    return wide;
}

void SetOwnText(HWND window, std::string_view text) {
    const std::wstring wide = WideText(text);
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

}  // namespace norvanex
