// Language choice: every text is a pair (English, German), picked by the country of the user's locale.
#pragma once

#include <string>
#include <string_view>

namespace norvanex {

// The silent abort: thrown where a handler cannot go on (the locale query failed). The message loop
// and every window-procedure thunk catch it and drop it, so only the current handler ends.
struct SilentAbort {};

// Platform side: the country code text of the user's default locale (LOCALE_ICOUNTRY), at most
// five digits. Returns false when the locale query fails.
bool QueryUserCountryText(std::string& text);

// The country code as a number, read afresh on every call. Throws SilentAbort when the locale
// query fails or its text is not a decimal integer.
int GetUserCountryCode();

// Parses a decimal country code ("49", "-1"); false for anything else, including overflow.
bool ParseCountryCode(std::string_view text, int& code);

// Switzerland, Austria, Germany and Luxembourg read German.
bool IsGermanCountry(int code);

// The German form where the user's country reads German, else the English form.
std::string SelectText(std::string_view english, std::string_view german);

}  // namespace norvanex
