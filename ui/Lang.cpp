// Language choice by the user's country code; no state, every call asks the locale again.
#include "ui/Lang.h"

#include <climits>

namespace norvanex {

bool ParseCountryCode(std::string_view text, int& code) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return false;
    code = static_cast<int>(value);
    return true;
}

int GetUserCountryCode(CountryQuery query) {
    std::string text;
    int code = 0;
    if (!query(text) || !ParseCountryCode(text, code)) throw SilentAbort{};
    return code;
}

bool IsGermanCountry(int code) {
    return code == 41 || code == 43 || code == 49 || code == 352;
}

std::string SelectText(std::string_view english, std::string_view german, CountryQuery query) {
    return std::string(IsGermanCountry(GetUserCountryCode(query)) ? german : english);
}

}  // namespace norvanex
