// The decisions that differ between Windows versions, from the version numbers each system reports.
#include <gtest/gtest.h>

#include "base/SystemTraits.h"

using namespace norvanex;

TEST(SystemTraits, WindowsVersions) {
    struct Case {
        const char* what;
        WindowsVersion version;
        bool ansiTexts, fileDialog400;
        MenuItemForm menuItem;
        bool sessionZeroIsolated;
    } cases[] = {
        {"Windows 95", {1, 4, 0}, true, true, MenuItemForm::TypeOnly, false},
        {"Windows 98", {1, 4, 10}, true, true, MenuItemForm::String, false},
        {"Windows Me", {1, 4, 90}, true, true, MenuItemForm::String, false},
        {"NT 4", {2, 4, 0}, false, true, MenuItemForm::TypeOnly, false},
        {"Windows 2000", {2, 5, 0}, false, false, MenuItemForm::String, false},
        {"Windows XP", {2, 5, 1}, false, false, MenuItemForm::String, false},
        {"Windows Server 2003", {2, 5, 2}, false, false, MenuItemForm::String, false},
        {"Windows Vista", {2, 6, 0}, false, false, MenuItemForm::StringAndImage, true},
        {"Windows 11 (as GetVersionExA reports it without a manifest entry)", {2, 6, 2}, false, false,
         MenuItemForm::StringAndImage, true},
        {"Windows 10 as itself", {2, 10, 0}, false, false, MenuItemForm::StringAndImage, true},
        // GetVersionExA failed: the ANSI side and the smaller structures, which every Windows takes.
        {"unknown", {0, 0, 0}, true, true, MenuItemForm::TypeOnly, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(UsesAnsiTexts(c.version), c.ansiTexts);
        EXPECT_EQ(TakesVersion400FileDialog(c.version), c.fileDialog400);
        EXPECT_EQ(MenuItemFormOf(c.version), c.menuItem);
        EXPECT_EQ(IsolatesSessionZero(c.version), c.sessionZeroIsolated);
    }
}

TEST(SystemTraits, CommonControlsVersions) {
    // ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES, as the program asks.
    constexpr std::uint32_t kWanted = 0x1 | 0x4 | 0x4000;
    struct Case {
        ComctlVersion version;
        std::uint32_t wanted, known;
        bool six;
    } cases[] = {
        {{4, 70}, kWanted, 0x5, false},    // Internet Explorer 3
        {{4, 72}, 0x800 | 0x1, 0x801, false},  // 4.71 brought ICC_INTERNET_CLASSES
        {{4, 70}, 0x800 | 0x1, 0x1, false},
        {{5, 81}, kWanted, 0x5, false},    // Windows 2000, XP without the manifest
        {{5, 82}, kWanted | 0x8000, 0x5, false},  // ICC_LINK_CLASS is version 6's too
        {{6, 0}, kWanted, kWanted, true},
        {{6, 10}, kWanted | 0x8000, kWanted | 0x8000, true},
        {{5, 81}, 0x10000, 0, false},      // a flag of a later version than any known one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version.major << '.' << c.version.minor);
        EXPECT_EQ(KnownControlClasses(c.wanted, c.version), c.known);
        EXPECT_EQ(IsComctl6(c.version), c.six);
    }
}

// A link colour that the window's ground would swallow is not taken (colours as 0x00BBGGRR).
TEST(SystemTraits, ReadableOn) {
    struct Case {
        const char* what;
        std::uint32_t text, ground;
        bool readable;
    } cases[] = {
        {"navy on white", 0x800000, 0xFFFFFF, true},
        {"Wine Light's hot-light grey on white", 0xE0E0E0, 0xFFFFFF, false},
        {"Wine Light's highlight blue on white", 0xFA9630, 0xFFFFFF, true},
        {"yellow on black (high contrast)", 0x00FFFF, 0x000000, true},
        {"black on black", 0x000000, 0x000000, false},
        {"mid grey on white, just under 3:1", 0x969696, 0xFFFFFF, false},
        {"darker grey on white, just over 3:1", 0x949494, 0xFFFFFF, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadableOn(c.text, c.ground), c.readable) << c.what;
        EXPECT_EQ(ReadableOn(c.ground, c.text), c.readable) << c.what << ", turned round";
    }
}
