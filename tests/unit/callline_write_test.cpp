// The editor's call line: composing, the limits, and reading it back as the kill run does.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/CallLine.h"
#include "app/Shortcut.h"
#include "fakes/CodePages.h"

using namespace norvanex;
using fake::DoubleByteNext;
using fake::SingleByteNext;
using fake::TestLeadByte;

namespace {

using List = std::vector<std::string>;

CallRequest Request(bool ask, List captions, std::string start = "") {
    return CallRequest{ask, std::move(captions), std::move(start), {}};
}

// The same with the close marker; 0 writes "~close~".
CallRequest Closing(CallRequest request, int seconds = 0) {
    request.close = true;
    request.closeSeconds = seconds;
    return request;
}

}  // namespace

TEST(CallLineWrite, Composes) {
    struct Case { CallRequest request; std::string line; } cases[] = {
        {Request(true, {"C:\\Office\\winword.exe", "excel.exe"}), "~ask~ winword.exe excel.exe"},
        {Request(false, {"C:\\Office\\winword.exe"}, "C:\\Windows\\notepad.exe"), "winword.exe r:C:\\Windows\\notepad.exe"},
        {Request(false, {"C:\\Office\\winword.exe"}), "winword.exe"},
        {Request(true, {"explorer"}, "explorer"), "~ask~ explorer r:explorer"},
        {Request(true, {}, "C:\\x.exe"), "~ask~ r:C:\\x.exe"},
        // Blanks and tabs: quoted, the name and the path alone, never the prefix.
        {Request(false, {"C:\\Program Files\\My Tool.exe", "a.exe"}, "C:\\Program Files\\Sync\\sync.exe"),
         "\"My Tool.exe\" a.exe r:\"C:\\Program Files\\Sync\\sync.exe\""},
        {Request(false, {"C:\\dir with blank\\plain.exe"}), "plain.exe"},
        {Request(false, {"tab\there.exe"}), "\"tab\there.exe\""},
        {Request(false, {"\xE4pfel.exe"}), "\xE4pfel.exe"},
        // A blank that is the trail byte of a double-byte character separates nothing.
        {Request(false, {"\x82 x.exe"}), "\x82 x.exe"},
        // The close marker after "~ask~", or first; its wait as it was loaded.
        {Closing(Request(true, {"C:\\Office\\winword.exe"})), "~ask~ ~close~ winword.exe"},
        {Closing(Request(false, {"a.exe"}, "C:\\x.exe"), 45), "~close:45~ a.exe r:C:\\x.exe"},
        {Closing(Request(true, {}, "C:\\x.exe"), 3600), "~ask~ ~close:3600~ r:C:\\x.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(ComposeCallLine(c.request, TestLeadByte), c.line) << c.line;
    // The same bytes in a single-byte code page do hold a blank.
    EXPECT_EQ(ComposeCallLine(Request(false, {"\x82 x.exe"}), NoLeadBytes), "\"\x82 x.exe\"");
}

TEST(CallLineWrite, LimitsAndWhatTheReaderRefuses) {
    const std::string name255 = std::string(251, 'n') + ".exe";
    struct Case { const char* what; CallRequest request; CallLineFault fault; size_t count; std::string subject; } cases[] = {
        {"260 exactly", Request(false, {std::string(256, 'a') + ".exe"}), CallLineFault::None, 0, ""},
        {"261", Request(false, {std::string(257, 'a') + ".exe"}), CallLineFault::TooLong, 261, ""},
        {"258 and two quotes", Request(false, {std::string(252, 'a') + " b.exe"}), CallLineFault::None, 0, ""},
        {"259 and two quotes", Request(false, {std::string(253, 'a') + " b.exe"}), CallLineFault::TooLong, 261, ""},
        {"start path of 255", Request(false, {}, "C:\\" + std::string(248, 'p') + ".exe"), CallLineFault::None, 0, ""},
        {"start path of 256", Request(false, {}, "C:\\" + std::string(249, 'p') + ".exe"),
         CallLineFault::StartPathTooLong, 256, "C:\\" + std::string(249, 'p') + ".exe"},
        {"100 parameters", Request(true, List(99, "a")), CallLineFault::None, 0, ""},
        {"101 parameters", Request(true, List(100, "a")), CallLineFault::TooManyParams, 101, ""},
        // The marker is one of them, and the limit counts its characters.
        {"100 with the marker", Closing(Request(true, List(98, "a"))), CallLineFault::None, 0, ""},
        {"101 with the marker", Closing(Request(true, List(99, "a"))), CallLineFault::TooManyParams, 101, ""},
        {"260 with the marker", Closing(Request(false, {std::string(248, 'a') + ".exe"})), CallLineFault::None, 0, ""},
        {"261 with the marker", Closing(Request(false, {std::string(249, 'a') + ".exe"})), CallLineFault::TooLong, 261, ""},
        {"260 with a long wait", Closing(Request(true, {std::string(237, 'a') + ".exe"}), 3600), CallLineFault::None, 0, ""},
        {"261 with a long wait", Closing(Request(true, {std::string(238, 'a') + ".exe"}), 3600), CallLineFault::TooLong,
         261, ""},
        // A name that reads as the marker where the marker counts.
        {"~close~ unmarked", Request(false, {"~close~", "a.exe"}), CallLineFault::UnreadableName, 0, "~close~"},
        {"~close:45~ unmarked", Request(false, {"~close:45~"}), CallLineFault::UnreadableName, 0, "~close:45~"},
        {"~close~ after ~ask~", Request(true, {"~close~"}), CallLineFault::UnreadableName, 0, "~close~"},
        {"~close~ after the marker", Closing(Request(false, {"~close~"})), CallLineFault::None, 0, ""},
        {"no marker's text", Request(false, {"~close:0~", "~CLOSE~"}), CallLineFault::None, 0, ""},
        {"~ask~ unasked", Request(false, {"~ask~", "a.exe"}), CallLineFault::UnreadableName, 0, "~ask~"},
        {"~ask~ asked", Request(true, {"~ask~"}), CallLineFault::None, 0, ""},
        {"folder only", Request(false, {"a.exe", "C:\\dir\\"}), CallLineFault::UnreadableName, 0, "C:\\dir\\"},
        {"start-like name", Request(false, {"a.exe", "R:x.exe"}), CallLineFault::UnreadableName, 0, "R:x.exe"},
        {"quote in a name", Request(false, {"a\"b.exe"}), CallLineFault::UnreadableName, 0, "a\"b.exe"},
        {"quote in the path", Request(false, {"a.exe"}, "C:\\a\"b.exe"), CallLineFault::UnreadableStart, 0,
         "C:\\a\"b.exe"},
    };
    for (const auto& c : cases) {
        const std::string line = ComposeCallLine(c.request, NoLeadBytes);
        const CallLineVerdict verdict = CheckCallLine(c.request, line, NoLeadBytes, SingleByteNext);
        EXPECT_EQ(verdict.fault, c.fault) << c.what;
        EXPECT_EQ(verdict.count, c.count) << c.what;
        EXPECT_EQ(verdict.subject, c.subject) << c.what;
        if (c.fault == CallLineFault::None) {
            EXPECT_LE(line.size(), kMaxCallLine) << c.what;
        }
    }
}

TEST(CallLineWrite, FaultTexts) {
    CallLineVerdict tooLong{CallLineFault::TooLong, "", 261};
    const MessageText text = CallLineFaultText(tooLong);
    EXPECT_EQ(text.english,
              "Too much entrys!\r\rOne call sould have max. 260 chars, your will have 261 chars.\r"
              "Please remove one or more files from the list.");
    EXPECT_EQ(text.german,
              "Zu viele Einträge!\r\rEin Aufruf sollte maximal 260 Zeichen enthalten, dieser würde 261 Zeichen "
              "lang sein.\rBitte entfernen Sie eine oder mehrere Dateien aus der Liste.");
    // Every refusal names its cause in both languages, with the entry or the number at fault.
    for (const CallLineVerdict& v : {CallLineVerdict{CallLineFault::TooManyParams, "", 101},
                                     CallLineVerdict{CallLineFault::StartPathTooLong, "C:\\long", 256},
                                     CallLineVerdict{CallLineFault::UnreadableName, "C:\\dir\\", 0},
                                     CallLineVerdict{CallLineFault::UnreadableStart, "C:\\a\"b", 0}}) {
        const MessageText t = CallLineFaultText(v);
        const bool unreadable = v.fault == CallLineFault::UnreadableName || v.fault == CallLineFault::UnreadableStart;
        const std::string detail = unreadable ? v.subject : std::to_string(v.count);
        EXPECT_NE(t.english.find(detail), std::string::npos) << t.english;
        EXPECT_NE(t.german.find(detail), std::string::npos) << t.german;
        EXPECT_NE(t.english, t.german);
    }
    EXPECT_TRUE(CallLineFaultText(CallLineVerdict{}).english.empty());
}

// Generated editor states, seeded so every run sees the same thousands: each one the limit accepts
// must come back from the reader as the same ask flag and close marker, names in order and program to start, and
// come out of a load into the editor as the same line. The
// generator knows each name it puts into a caption, so the expectation does not come from the
// code under test.
TEST(CallLineWrite, RoundTripOverGeneratedStates) {
    std::mt19937 random(20261207);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::string plain = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-~!#$%&'()+,;=@[]^`{}";
    auto word = [&](int length, bool doubleByte) {
        std::string w;
        while (static_cast<int>(w.size()) < length) {
            const int kind = pick(10);
            if (kind == 0) {
                w += ' ';
            } else if (kind == 1) {
                w += static_cast<char>(0xA0 + pick(0x60));  // the upper half of code page 1252
            } else if (kind == 2 && doubleByte) {
                w += static_cast<char>(0x81 + pick(0x1F));  // lead byte, then any trail but 0
                w += static_cast<char>(1 + pick(255));
            } else {
                w += plain[pick(static_cast<int>(plain.size()))];
            }
        }
        return w;
    };
    int accepted = 0, refused = 0;
    for (int round = 0; round < 5000; ++round) {
        const bool doubleByte = round % 2 == 1;
        const LeadByteFn lead = doubleByte ? TestLeadByte : NoLeadBytes;
        const CharNextFn next = doubleByte ? DoubleByteNext : SingleByteNext;
        CallRequest request;
        request.ask = pick(2) == 0;
        request.close = pick(3) == 0;
        request.closeSeconds = pick(2) == 0 ? 0 : 1 + pick(kMaxCloseSeconds);
        List names;
        const int count = 1 + (pick(8) == 0 ? pick(110) : pick(6));
        for (int i = 0; i < count; ++i) {
            // A name: short, or long enough to bring the line near the limit.
            std::string name = word(1 + (pick(4) == 0 ? pick(250) : pick(12)), doubleByte);
            while (name.back() == ' ' || TestLeadByte(static_cast<unsigned char>(name.back()))) name.pop_back();
            // A backslash as a trail byte stays in the name; a real one would end the folder part.
            if (name.empty() || name == "~ask~" || CloseMarkerSeconds(name) > 0 || IsStartParam(name) || AfterLastBackslash(name, lead) != name) {
                name = "n" + std::to_string(i) + ".exe";
            }
            // Bare, a full path written as its file-name part, or a full path written whole as a
            // parameter loaded from a shortcut keeps it.
            const int kind = pick(3);
            const std::string caption = kind == 0 ? name : "C:\\" + word(pick(20), false) + "\\" + name;
            names.push_back(kind == 2 ? caption : name);
            request.captions.push_back(caption);
            request.whole.push_back(kind == 2);
        }
        if (pick(3) != 0) {
            request.programToStart = "C:\\" + word(1 + (pick(3) == 0 ? 240 + pick(20) : pick(40)), doubleByte) + ".exe";
        }
        const std::string line = ComposeCallLine(request, lead);
        const CallLineVerdict verdict = CheckCallLine(request, line, lead, next);
        const CallRead read = ReadCallLine(line, next);
        const bool readable = request.programToStart.size() <= kMaxWrittenStartPath && read.paramCount <= kMaxParams;
        if (line.size() > kMaxCallLine || !readable) {
            EXPECT_NE(verdict.fault, CallLineFault::None) << line;
            ++refused;
            continue;
        }
        ++accepted;
        ASSERT_EQ(verdict.fault, CallLineFault::None) << line << " | " << verdict.subject;
        ASSERT_EQ(read.ask, request.ask) << line;
        ASSERT_EQ(read.close, request.close) << line;
        if (request.close) {
            ASSERT_EQ(read.closeSeconds, request.closeSeconds) << line;
        }
        ASSERT_EQ(read.names, names) << line;
        ASSERT_EQ(read.startNamed, !request.programToStart.empty()) << line;
        ASSERT_EQ(read.programToStart, request.programToStart) << line;
        // Loaded into the editor and written again unchanged: the same arguments, byte for byte.
        const std::optional<CallRequest> loaded = LoadableRequest(line, lead, next);
        ASSERT_TRUE(loaded.has_value()) << line;
        ASSERT_EQ(ComposeCallLine(*loaded, lead), line);
    }
    // Both sides of the limit were really visited.
    std::printf("%d accepted, %d refused\n", accepted, refused);
    EXPECT_GT(accepted, 1500);
    EXPECT_GT(refused, 250);
}
