// The double-byte question of real ANSI code pages, for tests that run without Windows.
#pragma once

#include <string>
#include <string_view>

#include "base/AnsiText.h"

namespace norvanex::fake {

// IsDBCSLeadByteEx as Windows answers it: 932 (Japanese), 936 (Simplified Chinese), 949 (Korean),
// 950 (Traditional Chinese); every other code page, 1252 among them, has no lead bytes.
LeadByteFn LeadBytesOf(unsigned codePage);

// A model of the code page's conversions, enough for names in tests: single-byte code pages hold
// Latin-1; the double-byte ones ASCII, 日 本 表 中 国 with their code page 932 bytes, and every
// other pair under a made-up CJK character. Best fit (without noBestFit) turns ā into a and Ω
// into O; what has no form becomes '?' and sets usedDefault.
std::u16string DecodeAnsi(unsigned codePage, const std::string& ansi);
std::string EncodeAnsi(unsigned codePage, std::u16string_view wide, bool noBestFit,
                       bool* usedDefault);

// CharNextA of a single-byte code page.
const char* SingleByteNext(const char* p);
// A double-byte code page in miniature, both halves of one rule: 0x81 to 0x9F lead a two-byte
// character, as in Shift-JIS, whose trail byte may be any byte, a blank or a quote included.
bool TestLeadByte(unsigned char byte);
const char* DoubleByteNext(const char* p);

}  // namespace norvanex::fake
