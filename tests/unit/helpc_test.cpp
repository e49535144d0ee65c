// The help compiler: markup parsing, the checks across sources, and the written file read back.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "HelpSource.h"
#include "HlpWriter.h"
#include "HtmlWriter.h"
#include "hlp/HlpReader.h"
#include "ui/HelpTopics.h"

using namespace norvanex;
using namespace norvanex::help;

namespace {

std::vector<Source> ParseAll(const std::vector<std::pair<std::string, std::string>>& texts, std::string& error) {
    std::vector<Source> sources;
    for (const auto& [name, text] : texts) {
        Source s;
        if (!ParseSource(text, name, s, error)) return {};
        sources.push_back(s);
    }
    if (!CheckSources(sources, error)) return {};
    return sources;
}

// Compiles and reads back; fails the test on any error.
hlptest::HlpFile RoundTrip(const std::vector<Source>& sources, const HlpOptions& options = {"Norvanex", ""}) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(WriteHlp(sources, options, bytes, error)) << error;
    hlptest::HlpFile file;
    EXPECT_TRUE(hlptest::ReadHlp(bytes, file, error)) << error;
    return file;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(HelpSource, RejectsWhatTheFormatCannotHold) {
    struct Case { const char* text; const char* error; } cases[] = {
        {"@topic a\n@title A\n\nChinese \xE4\xB8\xAD here\n", "x.txt:4: character U+4E2D is not in code page 1252"},
        {"@topic a\n@title A\nC1 \xC2\x81\n", "x.txt:3: character U+0081"},
        {"@topic a\n@title A\nbroken \xC3(\n", "x.txt:3: character a broken UTF-8 sequence"},
        {"@topic a\n@title A\noverlong \xE0\x80\xAF\n", "x.txt:3: character an invalid UTF-8"},
        {"@topic a\n@title A\nSee [there|b].\n", "x.txt:3: link to missing topic \"b\""},
        {"@topic a\n@title A\n@topic A\n@title B\n", "x.txt:3: context id \"A\" is already used at x.txt:1"},
        {"@topic dvolkgqx\n@title A\n@topic sacpirpf\n@title B\n",
         "x.txt:3: context id \"sacpirpf\" has the same hash as \"dvolkgqx\" at x.txt:1"},
        {"@topic a\n@map 5\n@title A\n@topic b\n@map 5\n@title B\n", "x.txt:4: map number 5 is already used"},
        {"@topic a-b\n", "x.txt:1: context id \"a-b\""},
        {"@topic a\n@title A\nopen *bold\n", "x.txt:3: bold text not closed"},
        {"@topic a\n@title A\nopen [link|a\n", "x.txt:3: link not closed"},
        {"@topic a\n@title A\nno [target]\n", "x.txt:3: link without \"|topic_id\""},
        {"@topic a\n@title A\nback \\q slash\n", "x.txt:3: \"\\\" must precede"},
        {"text first\n@topic a\n", "x.txt:1: text before the first @topic"},
        {"@topic a\n\n\ntext\n", "x.txt:1: topic \"a\" has no @title"},
        {"@topic a\n@title A\n@map 4294967296\n", "x.txt:3: @map needs a number"},
        {"@topic a\n@title A\n@frob x\n", "x.txt:3: unknown directive @frob"},
        {"# only a comment\n", "x.txt:1: no @topic"},
        {"@topic a\n@title A\n@keywords b;;c\n", "x.txt:3: empty keyword"},
    };
    for (const auto& c : cases) {
        std::string error;
        ParseAll({{"x.txt", c.text}}, error);
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << "\ngot: " << error;
    }
    // Titles and keywords fit the file's trees: 255 characters pass, 256 do not.
    for (const char* directive : {"@title ", "@keywords "}) {
        for (size_t length : {255u, 256u}) {
            std::string error;
            const std::string text = std::string("@topic a\n@title A\n") + directive + std::string(length, 'k') + "\n";
            const bool ok = !ParseAll({{"x.txt", text}}, error).empty();
            EXPECT_EQ(ok, length == 255) << directive << length << ": " << error;
        }
    }
}

TEST(HelpSource, LinksAndIdsAcrossSources) {
    std::string error;
    // A link into the other language's source resolves; an id repeated there in other case does not pass.
    EXPECT_FALSE(ParseAll({{"en", "@topic i_e\n@title E\nto [de|I]\n"}, {"de", "@topic i\n@title D\n"}}, error).empty())
        << error;
    EXPECT_TRUE(ParseAll({{"en", "@topic x\n@title E\n"}, {"de", "@topic X\n@title D\n"}}, error).empty());
    EXPECT_NE(error.find("de:1: context id \"X\" is already used at en:1"), std::string::npos) << error;
}

TEST(HelpSource, MarkupBecomesBlocks) {
    const char* text =
        "\xEF\xBB\xBF@language de\r\n@topic t\r\n@title Gr\xC3\xB6\xC3\x9F" "e\r\n@keywords a; b c ;d\r\n"
        "= Head *x*\nOne\n  two *bold* [link|t] \\*\\[\\]\\|\\\\ \xE2\x82\xAC\n\n- item\n  more\n- next\n"
        "> C:\\x *y* [z]\n>\n> last  \n";
    std::string error;
    Source s;
    ASSERT_TRUE(ParseSource(text, "t.txt", s, error)) << error;
    EXPECT_EQ(s.language, "de");
    ASSERT_EQ(s.topics.size(), 1u);
    const Topic& t = s.topics[0];
    EXPECT_EQ(t.title, "Gr\xF6\xDF" "e");
    EXPECT_EQ(t.keywords, (std::vector<std::string>{"a", "b c", "d"}));
    ASSERT_EQ(t.blocks.size(), 5u);
    EXPECT_EQ(t.blocks[0].kind, BlockKind::Heading);
    EXPECT_EQ(t.blocks[0].runs[1].kind, RunKind::Bold);
    EXPECT_EQ(t.blocks[1].kind, BlockKind::Paragraph);
    EXPECT_EQ(t.blocks[1].line, 6);
    const std::vector<help::Run>& r = t.blocks[1].runs;
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].text, "One two ");
    EXPECT_EQ(r[1].kind, RunKind::Bold);
    EXPECT_EQ(r[2].text, " ");
    EXPECT_EQ(r[3].kind, RunKind::Link);
    EXPECT_EQ(r[3].target, "t");
    EXPECT_EQ(r[4].text, " *[]|\\ \x80");
    EXPECT_EQ(t.blocks[2].kind, BlockKind::ListItem);
    EXPECT_EQ(t.blocks[2].runs[0].text, "item more");
    EXPECT_EQ(t.blocks[4].kind, BlockKind::Example);
    EXPECT_EQ(t.blocks[4].lines, (std::vector<std::string>{"C:\\x *y* [z]", "", "last"}));
}

TEST(HelpSource, Cp1252Conversion) {
    struct Case { const char* utf8; const char* cp1252; } cases[] = {
        {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F", "\xE4\xF6\xFC\xC4\xD6\xDC\xDF"},
        {"\xE2\x82\xAC \xE2\x80\xA6 \xE2\x80\x9E\xE2\x80\x9C \xC5\xB8", "\x80 \x85 \x84\x93 \x9F"},
        {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},
    };
    for (const auto& c : cases) {
        std::string out, bad;
        EXPECT_TRUE(Utf8ToCp1252(c.utf8, out, bad)) << bad;
        EXPECT_EQ(out, c.cp1252);
        EXPECT_EQ(Cp1252ToUtf8(out), c.utf8);
    }
    for (const char* bad : {"\xF0\x9F\x98\x80", "\xC2\x90", "\x01", "\xED\xA0\x80", "\xC0\xAF", "\xE2\x82"}) {
        std::string out, why;
        EXPECT_FALSE(Utf8ToCp1252(bad, out, why)) << bad;
    }
}

TEST(HlpWriter, HashMatchesTheFormatTable) {
    for (const char* id : {"hlp_index", "hlp_index_e", "A.b_9", "z0123456789", "call_line_e", "x"}) {
        EXPECT_EQ(ContextHash(id), hlptest::ReferenceHash(id)) << id;
    }
    EXPECT_EQ(ContextHash("HLP_INDEX"), ContextHash("hlp_index"));
}

TEST(HlpWriter, RoundTripThroughTheReader) {
    std::string error;
    const auto sources = ParseAll(
        {{"en",
          "@topic first\n@map 7\n@title First\n@keywords Alpha; beta\nText *bold* [second|Second.2] end.\n"
          "> line 1\n> line 2\n= Head *bold*\n@topic Second.2\n@title Second \xC3\xA4\n@keywords alpha\n- one\n"},
         {"de", "@topic dritte\n@map 4000000000\n@title Dritte\nZur\xC3\xBC" "ck: [erste|first]\n"}},
        error);
    ASSERT_FALSE(sources.empty()) << error;
    const hlptest::HlpFile f = RoundTrip(sources, {"Norvanex", "dritte"});
    EXPECT_EQ(f.title, "Norvanex");
    ASSERT_EQ(f.topics.size(), 3u);
    EXPECT_EQ(f.topics[0].title, "First");
    EXPECT_EQ(f.topics[1].title, "Second \xE4");
    EXPECT_EQ(f.contents, f.topics[2].offset);
    // Context hashes, map numbers and titles lead to the topics.
    for (const char* id : {"first", "Second.2", "dritte"}) ASSERT_EQ(f.contexts.count(ContextHash(id)), 1u) << id;
    EXPECT_EQ(f.contexts.at(ContextHash("Second.2")), f.topics[1].offset);
    EXPECT_EQ(f.maps, (std::map<uint32_t, uint32_t>{{7, f.topics[0].offset}, {4000000000u, f.topics[2].offset}}));
    for (const auto& t : f.topics) EXPECT_EQ(f.titles.at(t.offset), t.title);
    // Keywords fold case: "Alpha" and "alpha" are one entry with both topics.
    EXPECT_EQ(f.keywords.at("Alpha"), (std::vector<uint32_t>{f.topics[0].offset, f.topics[1].offset}));
    // Title paragraph first, then the text with its jump; example lines kept apart.
    const auto& p = f.topics[0].paragraphs;
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].text, "First");
    EXPECT_EQ(p[1].text, "Text bold second end.");
    EXPECT_EQ(p[1].jumps, (std::vector<int32_t>{ContextHash("Second.2")}));
    EXPECT_EQ(p[1].fonts.size(), 3u);  // text, bold, text again
    EXPECT_EQ(p[2].text, "line 1\nline 2");
    EXPECT_EQ(p[3].text, "Head bold");
    EXPECT_EQ(p[3].fonts.size(), 1u);  // a heading's bold run keeps the heading's font
    // Every jump lands on a topic.
    for (const auto& t : f.topics)
        for (const auto& para : t.paragraphs)
            for (int32_t jump : para.jumps) EXPECT_NE(f.TopicAt(f.contexts.at(jump)), nullptr);
}

TEST(HlpWriter, RecordsAcrossBlockBoundaries) {
    // Paragraphs of several lengths push records across many 4 KB blocks: headers move to the
    // next block, texts run over, topic offsets restart per block.
    for (size_t length : {1u, 300u, 1000u, 3990u}) {
        std::string text;
        for (int t = 0; t < 6; ++t) {
            text += "@topic t" + std::to_string(t) + "\n@map " + std::to_string(t) + "\n@title T" + std::to_string(t) + "\n";
            for (int p = 0; p < 5; ++p) text += std::string(length, static_cast<char>('a' + p)) + "\n\n";
        }
        std::string error;
        const auto sources = ParseAll({{"x", text}}, error);
        ASSERT_FALSE(sources.empty()) << error;
        const hlptest::HlpFile f = RoundTrip(sources);
        ASSERT_EQ(f.topics.size(), 6u) << length;
        if (length >= 1000) {
            EXPECT_GT(f.topicBlocks, 6u);
        }
        for (int t = 0; t < 6; ++t) {
            EXPECT_EQ(f.maps.at(t), f.topics[t].offset);
            EXPECT_EQ(f.contexts.at(ContextHash("t" + std::to_string(t))), f.topics[t].offset);
            ASSERT_EQ(f.topics[t].paragraphs.size(), 6u);
            for (int p = 0; p < 5; ++p)
                EXPECT_EQ(f.topics[t].paragraphs[p + 1].text, std::string(length, static_cast<char>('a' + p)));
        }
    }
}

TEST(HlpWriter, TreesGrowPastOnePage) {
    // Enough topics that |CONTEXT, |TTLBTREE and |KWBTREE need leaf pages under index pages.
    for (int count : {1, 255, 256, 700}) {
        std::string text;
        for (int t = 0; t < count; ++t) {
            const std::string n = std::to_string(t);
            text += "@topic topic_" + n + "\n@map " + n + "\n@title Title number " + n + "\n@keywords keyword " + n +
                    "; shared\nSee [the first|topic_0].\n";
        }
        std::string error;
        const auto sources = ParseAll({{"x", text}}, error);
        ASSERT_FALSE(sources.empty()) << error;
        const hlptest::HlpFile f = RoundTrip(sources);
        ASSERT_EQ(f.topics.size(), static_cast<size_t>(count));
        EXPECT_EQ(f.contexts.size(), f.topics.size());
        EXPECT_EQ(f.titles.size(), f.topics.size());
        EXPECT_EQ(f.keywords.size(), f.topics.size() + 1);
        EXPECT_EQ(f.keywords.at("shared").size(), f.topics.size());
        for (int t = 0; t < count; ++t) {
            EXPECT_EQ(f.contexts.at(ContextHash("topic_" + std::to_string(t))), f.topics[t].offset);
            EXPECT_EQ(f.maps.at(t), f.topics[t].offset);
        }
    }
}

TEST(HlpWriter, RefusesAParagraphLongerThanABlock) {
    std::string error;
    const auto sources = ParseAll({{"x.txt", "@topic a\n@title A\n\n" + std::string(4001, 'x') + "\n"}}, error);
    ASSERT_FALSE(sources.empty()) << error;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(WriteHlp(sources, {"N", ""}, bytes, error));
    EXPECT_NE(error.find("x.txt:4: paragraph longer than 4000 bytes"), std::string::npos) << error;
}

TEST(HtmlWriter, AnchorsLinksAndEscapes) {
    std::string error;
    const auto sources = ParseAll({{"en", "@language en\n@topic i_e\n@title A & B\nSee [here|x_e], [dort|i] <tag>.\n"
                                          "@topic x_e\n@title X\n> a<b\n"},
                                   {"de", "@language de\n@topic i\n@title \xC3\x9C" "ber\n- [zur\xC3\xBC" "ck|I_E]\n"}},
                                  error);
    ASSERT_FALSE(sources.empty()) << error;
    const std::vector<std::string> pages = {"Norvanex.html", "Norvanex_de.html"};
    const std::string en = WriteHtml(sources, 0, pages), de = WriteHtml(sources, 1, pages);
    for (const char* part : {"<html lang=\"en\">", "<section id=\"i_e\">", "<h1>A &amp; B</h1>", "<a href=\"#x_e\">here</a>",
                             "<a href=\"Norvanex_de.html#i\">dort</a>", "&lt;tag&gt;", "<pre>a&lt;b</pre>"})
        EXPECT_NE(en.find(part), std::string::npos) << part;
    for (const char* part : {"<html lang=\"de\">", "<h1>\xC3\x9C" "ber</h1>", "<ul>\n<li><a href=\"Norvanex.html#i_e\">zur\xC3\xBC" "ck</a></li>\n</ul>"})
        EXPECT_NE(de.find(part), std::string::npos) << part;
}

// The title the build gives the help file (the program's name and version).
#ifdef NORVANEX_HELP_TITLE
constexpr const char* kBuiltTitle = NORVANEX_HELP_TITLE;
#else
constexpr const char* kBuiltTitle = "Norvanex";
#endif

TEST(HelpContent, BothLanguagesCompileAndEveryLinkResolves) {
    const std::string dir = std::string(NORVANEX_SOURCE_DIR) + "/resources/help/";
    std::string error;
    const auto sources = ParseAll({{"en.txt", ReadText(dir + "en.txt")}, {"de.txt", ReadText(dir + "de.txt")}}, error);
    ASSERT_EQ(sources.size(), 2u) << error;
    // The file the build's helpc wrote is the one compiled here, byte for byte, and reads back.
    std::vector<uint8_t> compiled;
    ASSERT_TRUE(WriteHlp(sources, {kBuiltTitle, ""}, compiled, error)) << error;
#ifdef NORVANEX_BUILT_HELP
    const std::string built = ReadText(NORVANEX_BUILT_HELP);
    EXPECT_EQ(std::vector<uint8_t>(built.begin(), built.end()), compiled);
#endif
    hlptest::HlpFile f;
    ASSERT_TRUE(hlptest::ReadHlp(compiled, f, error)) << error;
    // The index topics at the numbers the program asks for, the English one opening by default.
    const hlptest::Topic* de = f.TopicAt(f.maps.at(kHelpMapIndex));
    const hlptest::Topic* en = f.TopicAt(f.maps.at(kHelpMapIndexE));
    ASSERT_TRUE(de && en);
    EXPECT_EQ(f.contexts.at(ContextHash(kHelpTopicIndex)), de->offset);
    EXPECT_EQ(f.contexts.at(ContextHash(kHelpTopicIndexE)), en->offset);
    EXPECT_EQ(de->title, "Norvanex-Hilfe");
    EXPECT_EQ(en->title, "Norvanex help");
    EXPECT_EQ(f.contents, en->offset);
    // Each index links to every other topic of its language; every topic has a map number.
    EXPECT_EQ(f.maps.size(), f.topics.size());
    for (const auto& [source, index] : {std::pair{0, en}, std::pair{1, de}}) {
        std::set<int32_t> linked;
        for (const auto& p : index->paragraphs) linked.insert(p.jumps.begin(), p.jumps.end());
        for (const Topic& t : sources[source].topics) {
            if (t.title == index->title) continue;
            EXPECT_EQ(linked.count(ContextHash(t.id)), 1u) << t.id;
        }
    }
    for (const auto& t : f.topics) {
        for (const auto& p : t.paragraphs) {
            for (int32_t jump : p.jumps) EXPECT_NE(f.TopicAt(f.contexts.at(jump)), nullptr) << t.title;
        }
    }
}
