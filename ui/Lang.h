// Language choice: every text is a pair (English, German), picked by the country of the user's locale.
#pragma once

#include <string>
#include <string_view>

#include "base/SilentAbort.h"

namespace norvanex {

// A query of the country code text of the user's default locale (LOCALE_ICOUNTRY), at most five
// digits; false when the locale query fails.
using CountryQuery = bool (*)(std::string& text);

// The system's query, on the platform side (Lang_win.cpp).
bool QueryUserCountryText(std::string& text);

// The country code as a number, asked of `query` on every call. Throws SilentAbort when the query
// fails or its text is not a decimal integer.
int GetUserCountryCode(CountryQuery query);

// Parses a decimal country code ("49", "-1"); false for anything else, including overflow.
bool ParseCountryCode(std::string_view text, int& code);

// Switzerland, Austria, Germany and Luxembourg read German.
bool IsGermanCountry(int code);

// The German form where the country that `query` gives reads German, else the English form.
std::string SelectText(std::string_view english, std::string_view german, CountryQuery query);

// The same of the user's locale, on the platform side (Lang_win.cpp).
int GetUserCountryCode();
std::string SelectText(std::string_view english, std::string_view german);

}  // namespace norvanex
