// The scripted locale behind QueryUserCountryText in native tests.
#include "fakes/FakeLocale.h"

#include "ui/Lang.h"

namespace fake {
std::optional<std::string> countryText = std::string("1");
int countryQueries = 0;
}  // namespace fake

namespace norvanex {

bool QueryUserCountryText(std::string& text) {
    ++fake::countryQueries;
    if (!fake::countryText) return false;
    text = *fake::countryText;
    return true;
}

}  // namespace norvanex
