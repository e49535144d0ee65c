// The language choice: country codes, the silent abort, nothing cached.
#include <gtest/gtest.h>

#include "fakes/FakeLocale.h"
#include "ui/Lang.h"

namespace {

// The choice with the scripted locale's query.
std::string SelectText(std::string_view english, std::string_view german) {
    return norvanex::SelectText(english, german, norvanex::QueryUserCountryText);
}

}  // namespace

TEST(Lang, CountryDecidesTheLanguage) {
    struct Case { const char* country; const char* expected; } cases[] = {
        {"49", "de"}, {"41", "de"}, {"43", "de"}, {"352", "de"},
        {"1", "en"}, {"44", "en"}, {"358", "en"}, {"420", "en"}, {"0", "en"},
        {"4", "en"}, {"491", "en"}, {"-49", "en"}, {"35", "en"}, {"+49", "de"}, {"049", "de"},
    };
    for (const auto& c : cases) {
        fake::countryText = c.country;
        EXPECT_EQ(SelectText("en", "de"), c.expected) << "country " << c.country;
    }
}

TEST(Lang, EqualOrEmptyFormsComeBackUnchanged) {
    for (const char* country : {"49", "1"}) {
        fake::countryText = country;
        EXPECT_EQ(SelectText("&OK", "&OK"), "&OK");
        EXPECT_EQ(SelectText("", ""), "");
    }
    fake::countryText = "49";
    EXPECT_EQ(SelectText("Programm to run", ""), "");
    EXPECT_EQ(SelectText("Info", std::string_view("\xDC" "ber", 4)), "\xDC" "ber");
}

TEST(Lang, EveryCallAsksTheLocaleAgain) {
    fake::countryText = "49";
    const std::string first = SelectText("en", "de");
    fake::countryText = "1";
    const int before = fake::countryQueries;
    EXPECT_EQ(SelectText("en", "de"), "en");
    EXPECT_EQ(first, "de");
    EXPECT_EQ(fake::countryQueries, before + 1);
}

TEST(Lang, UnreadableCountryAbortsSilently) {
    const char* bad[] = {"", "4x", "x", " 49", "49 ", "-", "99999999999", "2147483648"};
    for (const char* text : bad) {
        fake::countryText = text;
        EXPECT_THROW(SelectText("en", "de"), norvanex::SilentAbort) << '"' << text << '"';
    }
    fake::countryText.reset();
    EXPECT_THROW(SelectText("en", "de"), norvanex::SilentAbort);
    fake::countryText = "-2147483648";
    EXPECT_EQ(SelectText("en", "de"), "en");
    fake::countryText = "1";
}
