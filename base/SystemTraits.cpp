// The answers of SystemTraits.h from version numbers.
#include "base/SystemTraits.h"

#include <algorithm>

namespace norvanex {

namespace {

bool AtLeast(std::uint32_t major, std::uint32_t minor, std::uint32_t wantMajor, std::uint32_t wantMinor) {
    return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

// The InitCommonControlsEx flags and the comctl32 version that brought each (commctrl.h, and the
// "Common Control Versions" table of the documentation). Flags from 4.70 are not listed: a
// comctl32 without them has no InitCommonControlsEx at all.
struct ClassFlag {
    std::uint32_t flag;
    std::uint32_t major, minor;
};
constexpr ClassFlag kClassFlags[] = {
    {0x00000800, 4, 71},  // ICC_INTERNET_CLASSES
    {0x00001000, 4, 71},  // ICC_PAGESCROLLER_CLASS
    {0x00002000, 4, 71},  // ICC_NATIVEFNTCTL_CLASS
    {0x00004000, 6, 0},   // ICC_STANDARD_CLASSES
    {0x00008000, 6, 0},   // ICC_LINK_CLASS
};

}  // namespace

bool UsesAnsiTexts(const WindowsVersion& version) { return version.platformId != kVerPlatformNt; }

bool TakesVersion400FileDialog(const WindowsVersion& version) {
    return version.platformId != kVerPlatformNt || version.major < 5;
}

bool IsolatesSessionZero(const WindowsVersion& version) {
    return version.platformId == kVerPlatformNt && version.major >= 6;
}

MenuItemForm MenuItemFormOf(const WindowsVersion& version) {
    if (version.platformId == kVerPlatformNt) {
        if (version.major >= 6) return MenuItemForm::StringAndImage;
        return version.major == 5 ? MenuItemForm::String : MenuItemForm::TypeOnly;
    }
    // Windows 98 is 4.10, Me 4.90; Windows 95 is 4.0.
    return AtLeast(version.major, version.minor, 4, 10) ? MenuItemForm::String : MenuItemForm::TypeOnly;
}

bool IsComctl6(ComctlVersion version) { return version.major >= 6; }

std::uint32_t KnownControlClasses(std::uint32_t wanted, ComctlVersion version) {
    std::uint32_t known = wanted;
    for (const ClassFlag& c : kClassFlags) {
        if (!AtLeast(version.major, version.minor, c.major, c.minor)) known &= ~c.flag;
    }
    // A flag beyond those listed comes from a later version than any listed one.
    if (!IsComctl6(version)) known &= 0x0000FFFF;
    return known;
}

namespace {

// x to the power 2.4 for x in [0, 1], as x squared times the fifth root of x squared (Newton's
// steps): the program's image takes no function of the C runtime's mathematics for it.
double Power24(double x) {
    const double square = x * x;
    double root = 1.0;
    for (int step = 0; step < 40; ++step) root = (4.0 * root + square / (root * root * root * root)) / 5.0;
    return square * root;
}

// WCAG 2's relative luminance of a colour 0x00BBGGRR (sRGB channels made linear).
double Luminance(std::uint32_t colour) {
    auto linear = [](std::uint32_t channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : Power24((c + 0.055) / 1.055);
    };
    return 0.2126 * linear(colour & 0xFF) + 0.7152 * linear((colour >> 8) & 0xFF) + 0.0722 * linear((colour >> 16) & 0xFF);
}

}  // namespace

bool ReadableOn(std::uint32_t text, std::uint32_t ground) {
    const double a = Luminance(text), b = Luminance(ground);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 3.0;
}

}  // namespace norvanex
