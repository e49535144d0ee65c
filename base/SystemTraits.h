// What the running Windows accepts where its versions differ: the 9x line or the NT line, the size
// of a structure it takes, what its common controls know. Each question is answered here from the
// version numbers alone; SystemTraits_win.h asks the system once and gives the answers.
#pragma once

#include <cstdint>

namespace norvanex {

// dwPlatformId of GetVersionExA: the 9x line (VER_PLATFORM_WIN32_WINDOWS) and the NT line.
inline constexpr std::uint32_t kVerPlatformWindows = 1;
inline constexpr std::uint32_t kVerPlatformNt = 2;

struct WindowsVersion {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// The program's texts and controls go through the ANSI functions: the 9x line has the Unicode
// ones as stubs that fail (SetWindowTextW, DefWindowProcW, InsertMenuItemW, GetOpenFileNameW and
// most others). Anything but the NT line takes the ANSI side, which every Windows implements.
bool UsesAnsiTexts(const WindowsVersion& version);

// GetOpenFileName and GetSaveFileName of the 9x line and of NT 4 refuse any lStructSize but
// OPENFILENAME_SIZE_VERSION_400; the full structure (with FlagsEx) is Windows 2000's.
bool TakesVersion400FileDialog(const WindowsVersion& version);

// Session 0 holds the services alone, and every user logs on in a session of their own (Windows
// Vista and later). Before, the first user to log on shares session 0 with the services: the
// console of Windows 2000 and XP, fast user switching's first user, NT 4.0 Terminal Server's.
bool IsolatesSessionZero(const WindowsVersion& version);

// What a menu item with a caption and a 32-bit picture may be given.
enum class MenuItemForm {
    // Windows 95 and NT 4: the structure ends before hbmpItem, and the caption is MIIM_TYPE's
    // MFT_STRING data; they refuse the item for the longer structure or MIIM_STRING, and MIIM_BITMAP
    // does not exist. A picture goes with an owner-drawn item.
    TypeOnly,
    // Windows 98, Me, 2000 and XP: MIIM_STRING and hbmpItem, but a 32-bit picture is drawn without
    // its alpha channel (a black square): it is given laid over the menu colour.
    String,
    // Windows Vista on: the picture blended by its premultiplied alpha, beside the caption.
    StringAndImage,
};
MenuItemForm MenuItemFormOf(const WindowsVersion& version);

// The loaded comctl32's version (DllGetVersion); 4.0 for the first one, which lacks it.
struct ComctlVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// Version 6 (bound through the manifest, Windows XP on): the themed controls, button image lists
// and the full TOOLINFO. Before it, tips take TTTOOLINFO_V2_SIZE and buttons show no glyph.
bool IsComctl6(ComctlVersion version);

// The InitCommonControlsEx flags of `wanted` that `version` knows: a version that meets a flag
// it does not know refuses the whole call.
std::uint32_t KnownControlClasses(std::uint32_t wanted, ComctlVersion version);

// Whether text of the colour `text` can be read on `ground` (both 0x00BBGGRR, as GetSysColor
// gives them): a contrast ratio of at least 3 to 1 by the relative luminance of WCAG 2. A scheme
// may give its link colour another use (Wine's "Light" theme makes COLOR_HOTLIGHT a pale hover
// grey), and a link in it would vanish on the window's white.
bool ReadableOn(std::uint32_t text, std::uint32_t ground);

}  // namespace norvanex
