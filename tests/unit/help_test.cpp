// The help key's rules: the topic by language, the WinHelp request, the viewer decision and the
// address of the HTML help; the about box's link targets.
#include <gtest/gtest.h>

#include <string>

#include "fakes/CodePages.h"
#include "fakes/FakeLocale.h"
#include "ui/Help.h"
#include "ui/HelpTopics.h"
#include "ui/InfoLayout.h"
#include "ui/Lang.h"

using namespace norvanex;

namespace {

// Shift-JIS (932), whose trail bytes include 0x5C ('\').
const LeadByteFn Lead932 = norvanex::fake::LeadBytesOf(932);

}  // namespace

TEST(Help, IndexTopicFollowsTheCountry) {
    struct Case { const char* country; const char* topic; unsigned map; const char* page; } cases[] = {
        {"49", "hlp_index", kHelpMapIndex, "Norvanex_de.html"},
        {"41", "hlp_index", kHelpMapIndex, "Norvanex_de.html"},
        {"352", "hlp_index", kHelpMapIndex, "Norvanex_de.html"},
        {"1", "hlp_index_e", kHelpMapIndexE, "Norvanex.html"},
        {"358", "hlp_index_e", kHelpMapIndexE, "Norvanex.html"},
    };
    for (const auto& c : cases) {
        ::fake::countryText = c.country;
        const HelpTopic& topic = HelpIndexTopic(norvanex::QueryUserCountryText);
        EXPECT_STREQ(topic.contextId, c.topic) << c.country;
        EXPECT_EQ(topic.mapNumber, c.map) << c.country;
        EXPECT_STREQ(topic.htmlPage, c.page) << c.country;
    }
    ::fake::countryText = "x";
    EXPECT_THROW(HelpIndexTopic(norvanex::QueryUserCountryText), SilentAbort);
    ::fake::countryText = "1";
}

TEST(Help, JumpIdMacroIsCutTo255Bytes) {
    const std::string head = "JumpID(\"\",\"";  // 11 bytes, and 2 after the id
    struct Case { std::string id; LeadByteFn lead; std::string expected; } cases[] = {
        {"hlp_index_e", NoLeadBytes, "JumpID(\"\",\"hlp_index_e\")"},
        {"", NoLeadBytes, "JumpID(\"\",\"\")"},
        {std::string(242, 'a'), NoLeadBytes, head + std::string(242, 'a') + "\")"},  // 255 exactly
        {std::string(243, 'a'), NoLeadBytes, head + std::string(243, 'a') + "\""},   // 256: quote stays
        {std::string(300, 'a'), NoLeadBytes, head + std::string(244, 'a')},
        // A double-byte character across the limit goes whole: 254 bytes, not half a character.
        {std::string(243, 'a') + "\x83\x5C", Lead932, head + std::string(243, 'a')},
        {std::string(242, 'a') + "\x83\x5C", Lead932, head + std::string(242, 'a') + "\x83\x5C"},
        // The same bytes in a single-byte code page are two characters: cut after the first.
        {std::string(243, 'a') + "\x83\x5C", NoLeadBytes, head + std::string(243, 'a') + "\x83"},
    };
    for (const auto& c : cases) {
        const std::string macro = JumpIdMacro(c.id, c.lead);
        EXPECT_EQ(macro, c.expected) << c.id.size();
        EXPECT_LE(macro.size(), 255u);
    }
}

TEST(Help, KnownTopicsOpenByMapNumberOthersByMacro) {
    struct Case { const char* id; HelpRequest::Kind kind; unsigned map; const char* macro; } cases[] = {
        {"hlp_index", HelpRequest::Kind::Context, kHelpMapIndex, ""},
        {"hlp_index_e", HelpRequest::Kind::Context, kHelpMapIndexE, ""},
        {"HLP_INDEX", HelpRequest::Kind::Macro, 0, "JumpID(\"\",\"HLP_INDEX\")"},
        {"hlp_killrun", HelpRequest::Kind::Macro, 0, "JumpID(\"\",\"hlp_killrun\")"},
    };
    for (const auto& c : cases) {
        const HelpRequest request = HelpRequestFor(c.id, NoLeadBytes);
        EXPECT_EQ(request.kind, c.kind) << c.id;
        EXPECT_EQ(request.mapNumber, c.map) << c.id;
        EXPECT_EQ(request.macro, c.macro) << c.id;
    }
}

TEST(Help, BrowserOnlyWithoutARealViewerOrHelpFileAndWithThePage) {
    struct Case { bool viewer; const char* description; bool page; bool hlp; HelpViewer expected; } cases[] = {
        {true, "", true, true, HelpViewer::WinHelp},                           // Wine: no description
        {true, "Windows Help", true, true, HelpViewer::WinHelp},
        {true, "Windows Winhlp32 Stub", true, true, HelpViewer::Browser},    // Vista and later, as shipped
        {true, "WINHLP32 STUB", true, true, HelpViewer::Browser},
        {true, "Windows Winhlp32 Stub", false, true, HelpViewer::WinHelp},   // no page: the system explains
        {false, "", true, true, HelpViewer::Browser},
        {false, "", false, true, HelpViewer::WinHelp},
        {true, "Stu", true, true, HelpViewer::WinHelp},
        // Without Norvanex.hlp the viewer would open on nothing.
        {true, "Windows Help", true, false, HelpViewer::Browser},
        {true, "Windows Help", false, false, HelpViewer::Missing},
        {false, "", false, false, HelpViewer::Missing},
    };
    for (const auto& c : cases) {
        HelpViewerFacts facts;
        facts.viewerExists = c.viewer;
        facts.viewerDescription = c.description;
        facts.htmlPageExists = c.page;
        facts.helpFileExists = c.hlp;
        EXPECT_EQ(ChooseHelpViewer(facts), c.expected)
            << c.viewer << " '" << c.description << "' " << c.page << " " << c.hlp;
    }
}

TEST(Help, HtmlPageLiesBesideTheHelpFile) {
    struct Case { const char* helpFile; const char* expected; } cases[] = {
        {"C:\\Tools\\Norvanex.hlp", "C:\\Tools\\Norvanex_de.html"},
        {"\\\\server\\share\\Norvanex.hlp", "\\\\server\\share\\Norvanex_de.html"},
        {"C:\\\x83\x5C\\Norvanex.hlp", "C:\\\x83\x5C\\Norvanex_de.html"},
        {"", "Norvanex_de.html"},
    };
    for (const auto& c : cases) EXPECT_EQ(BesideHelpFile(c.helpFile, "Norvanex_de.html"), c.expected) << c.helpFile;
}

TEST(Help, FileUrlOfTheHtmlPage) {
    struct Case { const char* path; LeadByteFn lead; const char* expected; } cases[] = {
        {"C:\\Tools\\Norvanex.html", NoLeadBytes, "file:///C:/Tools/Norvanex.html#hlp_index"},
        {"C:\\Program Files\\N 100%\\Norvanex.html", NoLeadBytes,
         "file:///C:/Program%20Files/N%20100%25/Norvanex.html#hlp_index"},
        {"C:\\a#b?c\\Norvanex.html", NoLeadBytes, "file:///C:/a%23b%3Fc/Norvanex.html#hlp_index"},
        {"\\\\server\\share\\Norvanex.html", NoLeadBytes, "file://server/share/Norvanex.html#hlp_index"},
        {"C:\\\xDC" "bersicht\\Norvanex.html", NoLeadBytes, "file:///C:/\xDC" "bersicht/Norvanex.html#hlp_index"},
        // The trail byte 0x5C of a Shift-JIS character is no backslash.
        {"C:\\\x83\x5C\\Norvanex.html", Lead932, "file:///C:/\x83\x5C/Norvanex.html#hlp_index"},
        {"C:\\\x83\x5C\\Norvanex.html", NoLeadBytes, "file:///C:/\x83//Norvanex.html#hlp_index"},
    };
    for (const auto& c : cases) EXPECT_EQ(FileUrl(c.path, "hlp_index", c.lead), c.expected) << c.path;
    EXPECT_EQ(FileUrl("C:\\x.html", "", NoLeadBytes), "file:///C:/x.html");
}

TEST(Help, OnlyABrowserIsHandedThePageUrl) {
    struct Case { const char* program; LeadByteFn lead; bool expected; } cases[] = {
        {"C:\\Program Files\\Browser\\browser.exe", NoLeadBytes, true},
        {"C:\\WINDOWS\\system32\\RUNDLL32.EXE", NoLeadBytes, false},
        {"C:\\Windows\\System32\\rundll32", NoLeadBytes, false},
        {"rundll32.exe", NoLeadBytes, false},
        {"C:\\Tools\\rundll32.exe.bak", NoLeadBytes, true},
        {"", NoLeadBytes, false},
        {"C:\\Tools\\", NoLeadBytes, false},
        // A Shift-JIS name whose trail byte is 0x5C is a name, not a folder.
        {"C:\\\x83\x5C", Lead932, true},
        {"C:\\\x83\x5C", NoLeadBytes, false},
    };
    for (const auto& c : cases) EXPECT_EQ(TakesPageUrl(c.program, c.lead), c.expected) << c.program;
}

TEST(Info, LinkTargets) {
    struct Case { const char* site; const char* home; const char* expected; } cases[] = {
        {"https://www.norvanex.example", "https://www.norvanex.example/norvanex/",
         "https://www.norvanex.example/redir/prog.php?url=https://www.norvanex.example/norvanex/"},
        {"https://www.norvanex.example/", "https://x.example",
         "https://www.norvanex.example/redir/prog.php?url=https://x.example"},
        {"http://a.example//", "", "http://a.example/redir/prog.php?url="},
    };
    for (const auto& c : cases) EXPECT_EQ(WebPageTarget(c.site, c.home), c.expected) << c.site;
    EXPECT_EQ(MailTarget("mail@norvanex.example"), "mailto:mail@norvanex.example");
    EXPECT_EQ(TitleWithVersion("Norvanex", "4.3.0.0"), "Norvanex 4.3.0.0");
    EXPECT_EQ(TitleWithVersion("Norvanex", ""), "Norvanex");
}
