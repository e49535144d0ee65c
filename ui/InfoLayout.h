// The about box as designed at 96 DPI: control ids, places, texts, and where its links lead.
#pragma once

#include <string>
#include <string_view>

#include "base/AnsiText.h"
#include "base/ControlDesign.h"

namespace norvanex {

// BitBtn1 carries the dialog id of the default button, so Enter reaches it through
// IsDialogMessage; nothing carries IDCANCEL, so Escape closes nothing.
enum InfoControl : int {
    kInfoBitBtn1 = 1,  // IDOK
    kInfoGroupBox1 = 201,
    kInfoImage1,
    kInfoLabel1,
    kInfoLabel5,
    kInfoLabel6,
    kInfoBevel2,
    kInfoLabel8,
    kInfoImage8,
    kInfoLabel4,
    kInfoBevel3,
};

// Creation order is tab order: the OK button first, then the group box. Labels and links size
// themselves to their text; the mail address keeps the right margin by moving left.
// Image1 lies at 9, 9 inside GroupBox1 (8, 8): 17, 17 in the box's client area.
constexpr ControlDesign kInfoDesign[] = {
    {kInfoBitBtn1, ControlKind::Button, 216, 152, 75, 25, control::kDefault},
    {kInfoGroupBox1, ControlKind::GroupBox, 8, 8, 49, 49},
    {kInfoImage1, ControlKind::Picture, 17, 17, 32, 32},
    {kInfoLabel1, ControlKind::Label, 72, 8, 0, 0, control::kNoPrefix},
    {kInfoLabel5, ControlKind::Label, 8, 64, 0, 0, control::kNoPrefix},
    {kInfoLabel6, ControlKind::Link, 208, 64, 0, 0, control::kNoPrefix},
    {kInfoBevel2, ControlKind::TopLine, 8, 80, 281, 9},
    {kInfoLabel8, ControlKind::Label, 8, 84, 289, 29, control::kNoPrefix | control::kWrapped},
    {kInfoImage8, ControlKind::Picture, 8, 119, 88, 42, control::kNotify},
    {kInfoLabel4, ControlKind::Link, 108, 120, 0, 0, control::kNoPrefix},
    {kInfoBevel3, ControlKind::BoxBevel, 0, 0, 297, 185},
};

// Label1's character height in pixels (bold).
constexpr int kInfoTitleHeight = 19;

namespace infotexts {
constexpr const char* kTitle = "Info";
constexpr TextPair kBitBtn1{"&OK", "&OK"};
constexpr TextPair kLabel8{
    "Any use takes place on own danger! An adhesion for possible damage is in principle excluded.",
    "Jegliche Benutzung erfolgt auf eigene Gefahr! Eine Haftung für eventuelle Schäden wird grundsätzlich "
    "ausgeschlossen."};
}  // namespace infotexts

// The web link: the maker's redirect page on `site`, carrying the home page in its "url" key:
// site + "/redir/prog.php?url=" + homePage. A slash that ends `site` is not doubled.
std::string WebPageTarget(std::string_view site, std::string_view homePage);

// The mail link: "mailto:" and the address.
std::string MailTarget(std::string_view address);

// Label1: the title, one blank, the version; the title alone without a version.
std::string TitleWithVersion(std::string_view title, std::string_view version);

}  // namespace norvanex
