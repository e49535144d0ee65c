// The about box under Wine: opened from the editor, its texts and places in both languages and on
// every opening, the keys and the close box, its links handed to the shell, modal and centred.
// Timeout: 400
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <cstdint>
#include <fstream>
#include <utility>
#include <vector>

#include "app/MainLayout.h"
#include "base/AppInfo.h"
#include "base/SystemTraits.h"
#include "resources/resource.h"
#include "ui/InfoLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

const char* const kWebTarget = NORVANEX_SITE "/redir/prog.php?url=" NORVANEX_HOMEPAGE;
const char* const kMailTarget = "mailto:" NORVANEX_MAIL;

struct Language {
    const char* lcAll;
    const char* editorCaption;
    const char* disclaimer;
    const char* shot;
};
const Language kEnglish{"en_US.UTF-8", kEditorCaptionEn,
                        "Any use takes place on own danger! An adhesion for possible damage is in principle excluded.",
                        "about-en"};
const Language kGerman{"de_DE.UTF-8", kEditorCaptionDe,
                       "Jegliche Benutzung erfolgt auf eigene Gefahr! Eine Haftung für eventuelle Schäden wird "
                       "grundsätzlich ausgeschlossen.",
                       "about-de"};

struct Expected {
    InfoControl id;
    int left, top, width, height;  // width 0: sizes itself to its text, not checked
    const char* text;              // nullptr: not checked; "" : the language's disclaimer
};

// The box's controls as they must lie at 96 DPI, in every language (its bevels are painted, no
// controls).
const Expected kBox[] = {
    {kInfoBitBtn1, 216, 152, 75, 25, "&OK"},
    {kInfoGroupBox1, 8, 8, 49, 49, nullptr},
    {kInfoImage1, 17, 17, 32, 32, nullptr},
    {kInfoLabel1, 72, 8, 0, 0, "Norvanex 4.3.0.0"},
    {kInfoLabel5, 8, 64, 0, 0, "\xA9 2026 Norvanex Team"},
    {kInfoLabel8, 8, 84, 289, 29, ""},
    {kInfoImage8, 8, 119, 88, 42, nullptr},
    {kInfoLabel4, 108, 120, 0, 0, NORVANEX_WEB_SHOWN},
};

// Presses Info and waits for the box; nullptr when it did not appear.
HWND OpenBox(const Editor& editor) {
    Click(ChildById(editor.main, kBitBtn9));
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindTopWindow(editor.process.pid(), "Info", "TInfos")) != nullptr; });
    return box;
}

// No timer of the box acts on a key: a key that would close it does so when the box reads it,
// which takes this long at the most on a loaded bench.
constexpr DWORD kKeyReadMs = 500;

bool WaitClosed(HWND box) { return WaitUntil([&] { return !Visible(box); }, 5000); }

void CheckBox(const Editor& editor, HWND box, const Language& language) {
    CHECK(Topmost(box));
    CHECK(!Enabled(editor.main));  // modal: the editor takes no input
    CHECK_EQ(ClientSize(box).cx, 297);
    CHECK_EQ(ClientSize(box).cy, 185);
    CHECK(!(Style(box) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)));
    const RECT b = ScreenRect(box), m = ScreenRect(editor.main);
    CHECK(std::abs((b.left + b.right) - (m.left + m.right)) <= 2);
    CHECK(std::abs((b.top + b.bottom) - (m.top + m.bottom)) <= 2);

    for (const Expected& e : kBox) {
        HWND control = CheckPlace(box, e.id, e.left, e.top, e.width, e.height);
        if (!control) continue;
        if (e.width == 0) CHECK(RectInParent(control).right <= 297 - 8);
        if (e.text) CHECK_EQ(Text(control), std::string(*e.text ? e.text : language.disclaimer));
    }
    // The mail address keeps its line and the box's right margin, clear of the maker's line.
    HWND mail = ChildById(box, kInfoLabel6);
    CHECK_EQ(Text(mail), std::string(NORVANEX_MAIL));
    const RECT r6 = RectInParent(mail), r5 = RectInParent(ChildById(box, kInfoLabel5));
    CHECK_EQ(r6.top, 64);
    CHECK(r6.left <= 208);
    CHECK(r6.right <= 297 - 8);
    CHECK(r6.left > r5.right);
    // Label1, the large title, is taller than the 8-point text below it.
    const RECT r1 = RectInParent(ChildById(box, kInfoLabel1));
    CHECK(r1.bottom - r1.top > r5.bottom - r5.top + 4);
}

// Pixels of the system's link colour in a control: COLOR_HOTLIGHT, unless the scheme made it
// unreadable on the box's white (the bench's Wine theme makes it a pale hover grey), then the
// selection's COLOR_HIGHLIGHT.
int LinkPixels(HWND control) {
    const COLORREF hot = GetSysColor(COLOR_HOTLIGHT);
    const COLORREF c = ReadableOn(hot, GetSysColor(COLOR_WINDOW)) ? hot : GetSysColor(COLOR_HIGHLIGHT);
    const std::uint32_t link = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
    const Image image = Capture(ScreenRect(control));
    int pixels = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) pixels += image.Pixel(x, y) == link;
    }
    return pixels;
}

// The pointer shown now. Another process's pointer handles cannot be read under Wine (GetIconInfo
// fails on them), so tests compare handles only.
HCURSOR ShownPointer() {
    CURSORINFO now{};
    now.cbSize = sizeof now;
    return GetCursorInfo(&now) ? now.hCursor : nullptr;
}

// Real mouse moves onto a control's middle by way of a point beside it, so the control hears of a
// move also when the mouse was there already.
void MoveOnto(HWND control) {
    const POINT at = CenterOnScreen(control);
    MouseMove(POINT{at.x + 1, at.y}, control);
    MouseMove(at, control);
}

}  // namespace

CASE(TextsAndPlacesInBothLanguagesOnEveryOpening) {
    for (const Language* language : {&kEnglish, &kGerman}) {
        check::Log(std::string("locale ") + language->lcAll);
        Editor editor(MarkerOptions(language->lcAll), language->editorCaption);
        for (int opening = 1; opening <= 2; ++opening) {
            HWND box = OpenBox(editor);
            REQUIRE(box != nullptr);
            CHECK_EQ(Text(box), "Info");
            CheckBox(editor, box, *language);
            // In front of the editor and painted, also when opened a second time.
            CHECK(WaitUntil([&] { return LinkPixels(ChildById(box, kInfoLabel6)) > 20; }, 3000));
            CHECK(WaitUntil([&] { return LinkPixels(ChildById(box, kInfoLabel4)) > 20; }, 3000));
            CHECK_EQ(LinkPixels(ChildById(box, kInfoLabel5)), 0);
            if (opening == 1) CHECK(!Screenshot(language->shot, box).empty());
            Click(ChildById(box, kInfoBitBtn1));
            CHECK(WaitClosed(box));
            CHECK(WaitUntil([&] { return Enabled(editor.main); }, 5000));
        }
        CHECK(editor.process.Running());
        CHECK(editor.Close());
    }
}

CASE(EnterOAndTheCloseBoxCloseItEscapeDoesNot) {
    Editor editor(MarkerOptions(kEnglish.lcAll), kEnglish.editorCaption);
    struct Way { const char* name; UINT vk; bool closes; } ways[] = {
        {"Escape", VK_ESCAPE, false}, {"Enter", VK_RETURN, true}, {"O", 'O', true}, {"Alt+O", 0, true},
        {"close box", 1, true},
    };
    for (const Way& way : ways) {
        check::Log(way.name);
        HWND box = OpenBox(editor);
        REQUIRE(box != nullptr);
        HWND ok = ChildById(box, kInfoBitBtn1);
        if (way.vk == 1) {
            CloseBySystemMenu(box);
        } else if (way.vk == 0) {
            CHECK(PressKey(ok, 'O', {VK_MENU}));
        } else {
            CHECK(PressKey(ok, way.vk));
        }
        if (way.closes) {
            CHECK(WaitClosed(box));
        } else {
            Sleep(kKeyReadMs);
            CHECK(Visible(box));
            Click(ok);
            CHECK(WaitClosed(box));
        }
        CHECK(WaitUntil([&] { return Enabled(editor.main); }, 5000));
        CHECK(editor.process.Running());  // the editor's own Escape did not end it either
    }
    CHECK(editor.Close());
}

CASE(LinksHandTheirTargetsToTheShellAndTheBoxStaysOpen) {
    ShellOpenRecorder recorder({"http", "https", "mailto"});
    REQUIRE(recorder.ok());
    DeleteFileA(MarkerFile().c_str());
    Editor editor(MarkerOptions(kEnglish.lcAll), kEnglish.editorCaption);
    HWND box = OpenBox(editor);
    REQUIRE(box != nullptr);
    // The plain maker's line beside the links shows the ordinary pointer.
    // (Asked until it settles: a program that just started shows the busy pointer for a moment.)
    MoveOnto(ChildById(box, kInfoLabel5));
    HCURSOR plain = nullptr;
    WaitUntil([&] { return std::exchange(plain, ShownPointer()) == plain && plain; }, kTimeout, 250);

    struct Link { InfoControl id; const char* target; } links[] = {
        {kInfoLabel4, kWebTarget}, {kInfoImage8, kWebTarget}, {kInfoLabel6, kMailTarget},
    };
    size_t seen = 0;
    for (const Link& link : links) {
        check::Log(std::string("link to ") + link.target);
        HWND control = ChildById(box, link.id);
        REQUIRE(MouseClick(CenterOnScreen(control), control));
        CHECK(WaitUntil([&] { return MarkerLines().size() > seen; }));
        // The next click only once the opened program has ended: under load a click on the logo
        // went unanswered while the marker still ran.
        CHECK(WaitUntil([] { return ProcessesNamed("marker.exe").empty(); }));
        const std::vector<std::string> lines = MarkerLines();
        if (!CHECK_EQ(lines.size(), seen + 1)) continue;
        seen = lines.size();
        const std::string& line = lines.back();
        const std::string expected = std::string("\"") + link.target + "\"";
        CHECK(line.size() >= expected.size() && line.compare(line.size() - expected.size(), expected.size(), expected) == 0);
        if (line.find(link.target) == std::string::npos) check::Log("marker: " + line);
        MoveOnto(control);
        CHECK(WaitUntil([&] {
            const HCURSOR pointer = ShownPointer();
            return pointer != nullptr && pointer != plain;
        }, 3000));
        CHECK(Visible(box));
    }
    Click(ChildById(box, kInfoBitBtn1));
    CHECK(WaitClosed(box));
    CHECK(editor.Close());
}

// By keys alone: Tab goes from OK to the mail link, to the web link and back to OK, each link
// showing the focus; Enter opens the focused link and the box stays open.
CASE(TabReachesEachLinkAfterOkAndEnterOpensIt) {
    ShellOpenRecorder recorder({"http", "https", "mailto"});
    REQUIRE(recorder.ok());
    DeleteFileA(MarkerFile().c_str());
    Editor editor(MarkerOptions(kEnglish.lcAll), kEnglish.editorCaption);
    HWND box = OpenBox(editor);
    REQUIRE(box != nullptr);
    HWND ok = ChildById(box, kInfoBitBtn1);
    REQUIRE(WaitUntil([&] { return FocusOf(box) == ok; }));
    REQUIRE(PressKey(ok, VK_TAB));
    struct Stop { InfoControl id; const char* target; } stops[] = {{kInfoLabel6, kMailTarget}, {kInfoLabel4, kWebTarget}};
    size_t seen = 0;
    for (const Stop& stop : stops) {
        HWND link = ChildById(box, stop.id);
        if (seen > 0) SendKey(VK_TAB);
        CHECK(WaitUntil([&] { return FocusOf(box) == link; }));
        CHECK(WaitPainted(box));
        if (seen == 0) CHECK(!Screenshot("about-link-focus-en", box).empty());
        SendKey(VK_RETURN);
        CHECK(WaitUntil([&] { return MarkerLines().size() > seen; }));
        CHECK(WaitUntil([] { return ProcessesNamed("marker.exe").empty(); }));
        const std::vector<std::string> lines = MarkerLines();
        if (!CHECK_EQ(lines.size(), seen + 1)) break;
        seen = lines.size();
        CHECK(lines.back().find(stop.target) != std::string::npos);
        CHECK(Visible(box));
        REQUIRE(BringToFront(box));
    }
    SendKey(VK_TAB);
    CHECK(WaitUntil([&] { return FocusOf(box) == ok; }));
    SendKey(VK_RETURN);
    CHECK(WaitClosed(box));
    CHECK(editor.Close());
}

// Each scale from the start, and a change of monitor (WM_DPICHANGED) from 96 to 192 DPI and back:
// every control of the design at its place of the new scale, as if the box had started there.
CASE(ScalesWithTheScreen) {
    struct Shot { int dpi; const Language* language; const char* name; } shots[] = {
        {96, &kEnglish, "about-en-96"}, {144, &kEnglish, "about-en-144"}, {144, &kGerman, "about-de-144"},
        {192, &kEnglish, "about-en-192"},
    };
    auto scale = [](int value, int dpi) { return ScaleToDpi(value, dpi); };
    auto checkPlaces = [&](HWND box, int dpi) {
        for (const ControlDesign& d : kInfoDesign) {
            HWND control = ChildById(box, d.id);
            if (!control) continue;  // a bevel
            const RECT r = RectInParent(control);
            CHECK_EQ(r.left, d.id == kInfoLabel6 ? r.left : scale(d.left, dpi));  // the mail link moves left
            CHECK_EQ(r.top, scale(d.top, dpi));
            if (d.width == 0) continue;  // fitted to its text
            CHECK_EQ(r.right - r.left, scale(d.width, dpi));
            CHECK_EQ(r.bottom - r.top, scale(d.height, dpi));
        }
    };
    for (const Shot& s : shots) {
        DpiScope dpi(s.dpi);
        Editor editor(MarkerOptions(s.language->lcAll), s.language->editorCaption);
        HWND box = OpenBox(editor);
        REQUIRE(box != nullptr);
        CHECK_EQ(ClientSize(box).cx, scale(297, s.dpi));
        CHECK_EQ(ClientSize(box).cy, scale(185, s.dpi));
        checkPlaces(box, s.dpi);
        // The title in one bold face at its height, its letters as close as at 96 DPI: twice as
        // wide at 192 as at 96, give or take a few pixels of the face's own hinting.
        const RECT title = RectInParent(ChildById(box, kInfoLabel1));
        CHECK_EQ(title.bottom - title.top >= scale(19, s.dpi), true);
        CHECK(WaitPainted(box));
        CHECK(!Screenshot(s.name, box).empty());
        if (s.dpi == 96) {
            const int width96 = title.right - title.left;
            REQUIRE(SendDpiChanged(box, 96, 192));
            checkPlaces(box, 192);
            const RECT wide = RectInParent(ChildById(box, kInfoLabel1));
            CHECK(std::abs((wide.right - wide.left) - 2 * width96) <= width96 / 5);
            CHECK(WaitPainted(box));
            CHECK(!Screenshot("about-en-96-to-192", box).empty());
            REQUIRE(SendDpiChanged(box, 192, 96));
            checkPlaces(box, 96);
            CHECK_EQ(RectInParent(ChildById(box, kInfoLabel1)).right - RectInParent(ChildById(box, kInfoLabel1)).left, width96);
        }
        Click(ChildById(box, kInfoBitBtn1));
        CHECK(WaitClosed(box));
        CHECK(editor.Close());
    }
}
