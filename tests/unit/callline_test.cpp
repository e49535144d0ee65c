// The call-line reader: splitting, quotes, limits and double-byte stepping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CallLine.h"
#include "app/KillRun.h"
#include "fakes/CodePages.h"

using norvanex::CallLineParam;
using norvanex::fake::DoubleByteNext;
using norvanex::fake::SingleByteNext;

namespace {

std::vector<std::string> Params(const std::string& line, norvanex::CharNextFn next = SingleByteNext) {
    std::vector<std::string> params;
    for (int i = 1;; ++i) {
        std::string p = CallLineParam(line.c_str(), i, next);
        if (p.empty()) break;
        params.push_back(p);
    }
    return params;
}

using List = std::vector<std::string>;

norvanex::ParamFn ParamsOf(const List& params) {
    return [params](int i) { return i >= 1 && i <= static_cast<int>(params.size()) ? params[i - 1] : std::string(); };
}

}  // namespace

TEST(CallLine, SplitsTokens) {
    struct Case { std::string line; List expected; } cases[] = {
        {"Norvanex.exe", {}},
        {"", {}},
        {"\"C:\\Program Files\\Norvanex.exe\" winword.exe", {"winword.exe"}},
        {"n.exe  winword.exe\texcel.exe ", {"winword.exe", "excel.exe"}},
        {"n.exe ~ask~ winword.exe r:C:\\Tools\\backup.exe", {"~ask~", "winword.exe", "r:C:\\Tools\\backup.exe"}},
        {"n.exe r:\"C:\\Program Files\\x.exe\"", {"r:C:\\Program Files\\x.exe"}},
        {"n.exe r:C:\\Program Files\\x.exe", {"r:C:\\Program", "Files\\x.exe"}},
        {"n.exe a\"b c\"d e", {"ab cd", "e"}},
        {"n.exe \"\" a \"\" \"\" b", {"a", "b"}},
        {"n.exe \"\"a", {"a"}},
        {"n.exe a\"\"b", {"ab"}},
        {"n.exe \"open run", {"open run"}},
        {"n.exe C:\\dir\\\" x", {"C:\\dir\\ x"}},
        {"n.exe a\x01" "b\x1F" "c\x7F" "d", {"a", "b", "c\x7F" "d"}},
        {"n.exe \xE4pfel.exe \"\xC4\tb\"", {"\xE4pfel.exe", "\xC4\tb"}},
        {"\"n.exe\"winword.exe x", {"x"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Params(c.line), c.expected) << c.line;
}

TEST(CallLine, ParameterPastTheEndIsEmpty) {
    const char* line = "n.exe a b";
    EXPECT_EQ(CallLineParam(line, 2, SingleByteNext), "b");
    EXPECT_EQ(CallLineParam(line, 3, SingleByteNext), "");
    EXPECT_EQ(CallLineParam(line, 1000, SingleByteNext), "");
    EXPECT_EQ(CallLineParam(line, 0, SingleByteNext), "");
    EXPECT_EQ(CallLineParam(nullptr, 1, SingleByteNext), "");
}

TEST(CallLine, HundredAndOneParameters) {
    std::string line = "n.exe";
    for (int i = 1; i <= 101; ++i) line += " p" + std::to_string(i) + ".exe";
    EXPECT_EQ(CallLineParam(line.c_str(), norvanex::kMaxParams, SingleByteNext), "p100.exe");
    EXPECT_EQ(CallLineParam(line.c_str(), norvanex::kMaxParams + 1, SingleByteNext), "p101.exe");
}

TEST(CallLine, DoubleByteCharactersStayTogether) {
    struct Case { std::string line; List expected; } cases[] = {
        // The trail byte is a quote: no quoted run opens.
        {"n.exe \x81\" x", {"\x81\"", "x"}},
        // The trail byte is a blank: the token does not end inside the character.
        {"n.exe \x82 x y", {"\x82 x", "y"}},
        // Inside a quoted run, a trail quote does not close it.
        {"n.exe \"\x83\" a\" b", {"\x83\" a", "b"}},
        // A lead byte at the very end never steps past the terminator.
        {"n.exe ab\x84", {"ab\x84"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Params(c.line, DoubleByteNext), c.expected) << c.line;
    // The same bytes read single-byte split differently: the stepper really decides.
    EXPECT_EQ(Params("n.exe \x82 x y"), (List{"\x82", "x", "y"}));
}

TEST(CallLine, StartParameters) {
    struct Case { std::string param; bool isStart; std::string path; } cases[] = {
        {"r:C:\\Tools\\backup.exe", true, "C:\\Tools\\backup.exe"},
        {"R:c:\\x y.exe ", true, "c:\\x y.exe "},
        {"r:", true, ""},
        {"r", false, ""},
        {"rr:x", false, ""},
        {"s:x", false, ""},
        {"~ask~", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(norvanex::IsStartParam(c.param), c.isStart) << c.param;
        if (c.isStart) {
            EXPECT_EQ(norvanex::StartPathOf(c.param), c.path) << c.param;
        }
    }
}

// A program to start reaches the walk whole however long it is, bare or quoted around a blank,
// among names before and after it: cut short it would name another file, dropped it would open
// nothing without a word.
TEST(CallLine, LongStartPathsAreKeptWhole) {
    for (const size_t length : {255u, 256u, 259u, 260u, 261u, 4000u, 32000u}) {
        const std::string bare = "C:\\" + std::string(length - 7, 'p') + ".exe";
        const std::string blank = "C:\\Program Files\\" + std::string(length - 21, 'p') + ".exe";
        struct Case { std::string written; std::string path; } cases[] = {
            {"r:" + bare, bare},
            {"R:\"" + blank + "\"", blank},
        };
        for (const Case& c : cases) {
            ASSERT_EQ(c.path.size(), length);
            const norvanex::CallRead read = norvanex::ReadCallLine("a.exe " + c.written + " b.exe", SingleByteNext);
            EXPECT_TRUE(read.startNamed) << length;
            EXPECT_EQ(read.programToStart, c.path) << length;
            EXPECT_EQ(read.names, (List{"a.exe", "b.exe"})) << length;
        }
    }
}

// A parameter names something only when what the ANSI reader got is what the user wrote in UTF-16:
// the ANSI line is the system's best-fit conversion of the UTF-16 one. Without a UTF-16 line (the
// 9x line) the ANSI line is the original, and every parameter stands.
TEST(CallLine, ParamsThatDoNotSurviveTheCodePage) {
    struct Case {
        const char* what;
        unsigned codePage;
        std::u16string wide;
        bool lineInUtf16;
        std::vector<bool> survives;  // per parameter of the line
    } cases[] = {
        {"plain names", 1252, u"N.exe a.exe \"b c.exe\" r:C:\\x.exe", true, {true, true, true}},
        {"best fit: māil reads mail", 1252, u"N.exe mail.exe māil.exe Ωmega.exe", true, {true, false, false}},
        {"default character", 1252, u"N.exe 日本.exe ä.exe", true, {false, true}},
        {"a start path through a folder outside the code page", 1252, u"N.exe r:\"C:\\日本\\a.exe\"", true, {false}},
        {"double-byte code page holds 日本", 932, u"N.exe 日本.exe ä.exe", true, {true, false}},
        {"quotes and empty pairs split alike", 1252, u"N.exe \"\" x\"y z\"w \"ā\"", true, {true, false}},
        {"the 9x line: the ANSI line is what was written", 1252, u"N.exe māil.exe a.exe", false, {true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool unused = false;
        const std::string ansiLine = norvanex::fake::EncodeAnsi(c.codePage, c.wide, false, &unused);
        const norvanex::CharNextFn next = c.codePage == 932 ? DoubleByteNext : SingleByteNext;
        const norvanex::ExactAnsiFn exact = [&](std::u16string_view wide, std::string& ansi) {
            bool usedDefault = false;
            ansi = norvanex::fake::EncodeAnsi(c.codePage, wide, true, &usedDefault);
            return !usedDefault;
        };
        const norvanex::CallParams params =
            norvanex::SplitCallParams("N.exe", ansiLine.c_str(), c.lineInUtf16 ? c.wide.c_str() : nullptr, next, exact);
        std::vector<bool> survives;
        for (int i = 1; !params(i).empty(); ++i) survives.push_back(params.AsWritten(i));
        EXPECT_EQ(survives, c.survives);
    }
}

// The call line is split once, whole: parameter 0 is the program's own file, every parameter is
// kept (the walk reads 100, the list holds the 101st where it stands), and past the end there is
// nothing, neither a text nor one to pass over.
TEST(CallLine, SplitOnceWhole) {
    std::string many = "\"C:\\N.exe\"";
    for (int i = 1; i <= 101; ++i) many += " p" + std::to_string(i);
    struct Case {
        const char* what;
        std::string line;
        int index;
        std::string param;
        bool asWritten;
    } cases[] = {
        {"own file", "\"C:\\N.exe\" a.exe", 0, "C:\\Own\\Norvanex.exe", true},
        {"first", "\"C:\\N.exe\" a.exe", 1, "a.exe", true},
        {"past the end", "\"C:\\N.exe\" a.exe", 2, "", true},
        {"no parameters", "N.exe", 1, "", true},
        {"the 100th", many, 100, "p100", true},
        {"the 101st", many, 101, "p101", true},
        {"past 101", many, 102, "", true},
        {"below zero", "N.exe a.exe", -1, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const norvanex::CallParams params = norvanex::SplitCallParams(
            "C:\\Own\\Norvanex.exe", c.line.c_str(), nullptr, SingleByteNext,
            [](std::u16string_view, std::string&) { return false; });
        EXPECT_EQ(params(c.index), c.param);
        EXPECT_EQ(params.AsWritten(c.index), c.asWritten);
    }
}

// The close marker's wait: "~close~" and "~close:N~" with N from 1 to 3600 in its one spelling;
// any other text is an ordinary parameter.
TEST(CallLine, CloseMarkerWait) {
    struct Case { std::string param; int seconds; } cases[] = {
        {"~close~", 30}, {"~close:1~", 1}, {"~close:45~", 45}, {"~close:3600~", 3600},
        {"~close:0~", 0}, {"~close:3601~", 0}, {"~close:4294967297~", 0}, {"~close:abc~", 0},
        {"~close:~", 0}, {"~close:05~", 0}, {"~close:+5~", 0}, {"~close: 5~", 0}, {"~close:5", 0},
        {"~close:5~~", 0}, {"~close:4a~", 0}, {"~CLOSE~", 0}, {"~Close:5~", 0}, {"~close~ ", 0}, {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(norvanex::CloseMarkerSeconds(c.param), c.seconds) << c.param;
}

// Where a marker counts: parameter 1, or 2 after "~ask~". The walk passes over it; anywhere else
// it is a program name like any other, and the question looks it up as one.
TEST(CallLine, CloseMarkerPlace) {
    struct Case { List params; int index; List names; List starts; } cases[] = {
        {{"~close~", "a.exe"}, 1, {"a.exe"}, {}},
        {{"~ask~", "~close:45~", "a.exe"}, 2, {"~ask~", "a.exe"}, {}},
        {{"~close~"}, 1, {}, {}},
        {{"~close:5~", "r:C:\\x.exe"}, 1, {}, {"C:\\x.exe"}},
        {{"~close~", "~close~", "a.exe"}, 1, {"~close~", "a.exe"}, {}},
        {{"~ask~", "~close~", "~close:9~"}, 2, {"~ask~", "~close:9~"}, {}},
        {{"a.exe", "~close~"}, 0, {"a.exe", "~close~"}, {}},
        {{"~ask~", "a.exe", "~close~"}, 0, {"~ask~", "a.exe", "~close~"}, {}},
        {{"~close~", "~ask~", "a.exe"}, 1, {"~ask~", "a.exe"}, {}},
        {{"~ASK~", "~close~"}, 0, {"~ASK~", "~close~"}, {}},
        {{"~CLOSE~", "a.exe"}, 0, {"~CLOSE~", "a.exe"}, {}},
        {{"~close:0~", "~close:3601~", "~close:abc~", "~close:~"}, 0,
         {"~close:0~", "~close:3601~", "~close:abc~", "~close:~"}, {}},
    };
    for (const auto& c : cases) {
        const norvanex::ParamFn param = ParamsOf(c.params);
        EXPECT_EQ(norvanex::CloseMarkerIndex(param), c.index) << c.params[0];
        List names, starts;
        norvanex::WalkCallLine(param, [&](const std::string& p) { starts.push_back(p); },
                               [&](const std::string& n) { names.push_back(n); });
        EXPECT_EQ(names, c.names) << c.params[0];
        EXPECT_EQ(starts, c.starts) << c.params[0];
    }
    // The question looks up every name but the marker ("~ask~" itself still among them).
    struct Ask { List params; List asked; } asks[] = {
        {{"~ask~", "~close~", "a.exe"}, {"~ask~", "a.exe"}},
        {{"~ask~", "a.exe", "~close~"}, {"~ask~", "a.exe", "~close~"}},
        {{"~close~", "~ask~", "a.exe"}, {}},
    };
    for (const auto& a : asks) {
        List asked;
        const bool running = norvanex::NeedsConfirmation(ParamsOf(a.params), [&](const std::string& name) {
            asked.push_back(name);
            return std::string();
        });
        EXPECT_FALSE(running);
        EXPECT_EQ(asked, a.asked) << a.params[1];
    }
}
