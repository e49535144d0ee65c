// The user's country code from the Windows locale, and the language choice that asks it.
#include <windows.h>

#include "ui/Lang.h"

namespace norvanex {

bool QueryUserCountryText(std::string& text) {
    // LOCALE_ICOUNTRY holds at most five digits; six bytes with the terminator, so that 352 or
    // 358 arrive whole.
    char buffer[6] = {};
    const int length = GetLocaleInfoA(GetUserDefaultLCID(), LOCALE_ICOUNTRY, buffer, sizeof buffer);
    if (length <= 0) return false;
    text.assign(buffer, static_cast<size_t>(length - 1));
    return true;
}

int GetUserCountryCode() { return GetUserCountryCode(QueryUserCountryText); }

std::string SelectText(std::string_view english, std::string_view german) {
    return SelectText(english, german, QueryUserCountryText);
}

}  // namespace norvanex
