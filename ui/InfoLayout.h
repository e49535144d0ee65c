// The about box as designed at 96 DPI: control ids, places, texts, and where its links lead.
#pragma once

#include <string>
#include <string_view>

#include "base/AnsiText.h"

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

enum class InfoKind { Button, GroupBox, Icon, Label, Link, Picture, TopLine, BoxBevel, WrappedLabel };

struct InfoDesign {
    InfoControl id;
    InfoKind kind;
    int left, top, width, height;  // labels and links size themselves to their text: 0, 0
};

constexpr int kInfoClientWidth = 297;
constexpr int kInfoClientHeight = 185;
// The right margin that a link keeps: a mail address wider than its designed place moves left.
constexpr int kInfoRightMargin = 8;

// Creation order is tab order: the OK button first, then the group box.
// Image1 lies at 9, 9 inside GroupBox1 (8, 8): 17, 17 in the box's client area.
constexpr InfoDesign kInfoDesign[] = {
    {kInfoBitBtn1, InfoKind::Button, 216, 152, 75, 25},
    {kInfoGroupBox1, InfoKind::GroupBox, 8, 8, 49, 49},
    {kInfoImage1, InfoKind::Icon, 17, 17, 32, 32},
    {kInfoLabel1, InfoKind::Label, 72, 8, 0, 0},
    {kInfoLabel5, InfoKind::Label, 8, 64, 0, 0},
    {kInfoLabel6, InfoKind::Link, 208, 64, 0, 0},
    {kInfoBevel2, InfoKind::TopLine, 8, 80, 281, 9},
    {kInfoLabel8, InfoKind::WrappedLabel, 8, 84, 289, 29},
    {kInfoImage8, InfoKind::Picture, 8, 119, 88, 42},
    {kInfoLabel4, InfoKind::Link, 108, 120, 0, 0},
    {kInfoBevel3, InfoKind::BoxBevel, 0, 0, 297, 185},
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
