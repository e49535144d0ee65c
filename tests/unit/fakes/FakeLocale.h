// A scripted user locale for the language choice: the country text the platform would report.
#pragma once

#include <optional>
#include <string>

namespace fake {

// The text QueryUserCountryText hands out; nullopt makes the locale query fail.
extern std::optional<std::string> countryText;
// How often the locale was asked, so tests can see that nothing is cached.
extern int countryQueries;

}  // namespace fake
