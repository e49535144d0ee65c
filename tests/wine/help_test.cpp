// The help files the build puts beside Norvanex.exe, opened by Wine's help viewer: by context id
// on the viewer's command line and by map number through WinHelpA, in both languages.
#include "driver/Check.h"
#include "driver/Driver.h"

#include <richedit.h>

#include <algorithm>

#include "ui/HelpTopics.h"

using namespace driver;

namespace {

struct Language {
    const char* id;
    unsigned map;
    const char* title;     // the topic's first paragraph
    const char* phrase;    // a line further down
    const char* shot;
};
// German text in code page 1252, as the viewer's rich edit control gives it back.
const Language kLanguages[] = {
    {norvanex::kHelpTopicIndexE, norvanex::kHelpMapIndexE, "Norvanex help", "What Norvanex never ends", "help-en"},
    {norvanex::kHelpTopicIndex, norvanex::kHelpMapIndex, "Norvanex-Hilfe", "Die Aufrufzeile", "help-de"},
};

std::string HelpFile() { return BesideMe("Norvanex.hlp"); }

// The viewer's topic text: the rich edit control in any visible window of a winhlp32 process.
std::string ViewerText(HWND* top = nullptr, HWND* edit = nullptr) {
    for (DWORD pid : ProcessesNamed("winhlp32.exe")) {
        for (HWND window : TopWindows(pid)) {
            for (HWND child : Children(window)) {
                std::string cls = ClassOf(child);
                for (char& c : cls) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
                if (cls.find("richedit") == std::string::npos) continue;
                if (top) *top = window;
                if (edit) *edit = child;
                return Text(child);
            }
        }
    }
    return "";
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void EndViewers() {
    for (DWORD pid : ProcessesNamed("winhlp32.exe")) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process) continue;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, kTimeout);
        CloseHandle(process);
    }
}

}  // namespace

CASE(HelpFilesBesideTheProgram) {
    const std::string hlp = FileBytes(HelpFile());
    REQUIRE(hlp.size() > 16);
    CHECK_EQ(hlp.substr(0, 4), std::string("\x3F\x5F\x03\x00", 4));
    const std::string en = FileBytes(BesideMe("Norvanex.html")), de = FileBytes(BesideMe("Norvanex_de.html"));
    CHECK(Contains(en, "<section id=\"hlp_index_e\">"));
    CHECK(Contains(de, "<section id=\"hlp_index\">"));
    CHECK(Contains(de, "Norvanex-Hilfe"));
}

CASE(ViewerOpensEachIndexByContextId) {
    for (const Language& language : kLanguages) {
        EndViewers();
        Process viewer = Start("C:\\windows\\winhlp32.exe",
                               std::string("-i ") + language.id + " " + QuoteArg(HelpFile()));
        REQUIRE_EQ(viewer.error(), "");
        HWND top = nullptr;
        std::string text;
        CHECK(WaitUntil([&] { return Contains(text = ViewerText(&top), language.phrase); }));
        CHECK_EQ(text.substr(0, std::string(language.title).size()), std::string(language.title));
        REQUIRE(top != nullptr);
        CHECK(Contains(Text(top), "Norvanex"));
        BringToFront(top);
        CHECK(WaitPainted(top));
        CHECK(!Screenshot(language.shot, top).empty());
        viewer.Terminate();
    }
    EndViewers();
}

// A real click on a link of each index leads to the linked topic: the jump's hash finds it.
CASE(LinksLeadToTheirTopics) {
    struct Link { const char* from; const char* label; const char* title; } links[] = {
        {norvanex::kHelpTopicIndexE, "The call line", "The call line"},
        {norvanex::kHelpTopicIndexE, "Norvanex-Hilfe", "Norvanex-Hilfe"},
        {norvanex::kHelpTopicIndex, "Was Norvanex nie beendet", "Was Norvanex nie beendet"},
    };
    for (const Link& link : links) {
        EndViewers();
        Process viewer = Start("C:\\windows\\winhlp32.exe", std::string("-i ") + link.from + " " + QuoteArg(HelpFile()));
        REQUIRE_EQ(viewer.error(), "");
        HWND top = nullptr, edit = nullptr;
        std::string text;
        REQUIRE(WaitUntil([&] { return Contains(text = ViewerText(&top, &edit), link.label); }));
        // The rich edit control counts a paragraph break as one character; WM_GETTEXT gives two.
        // The last occurrence: the German index names its own title first.
        const size_t at = text.rfind(link.label);
        const LONG index = static_cast<LONG>(at - std::count(text.begin(), text.begin() + at, '\n') + 3);
        RemoteMemory point(edit, sizeof(POINTL));
        REQUIRE(static_cast<bool>(point));
        SendMessageA(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(point.At()), index);
        POINTL pl{};
        REQUIRE(point.Read(0, &pl, sizeof pl));
        POINT screen{pl.x + 2, pl.y + 6};
        ClientToScreen(edit, &screen);
        CHECK(MouseClick(screen, edit));
        CHECK(WaitUntil([&] { return ViewerText().rfind(link.title, 0) == 0; }));
        CHECK_EQ(ViewerText().substr(0, std::string(link.title).size()), std::string(link.title));
        viewer.Terminate();
    }
    EndViewers();
}

// The viewer's index lists the keywords of both languages from the file's keyword tree.
CASE(ViewerIndexListsTheKeywords) {
    EndViewers();
    Process viewer = Start("C:\\windows\\winhlp32.exe", std::string("-i hlp_index_e ") + QuoteArg(HelpFile()));
    REQUIRE_EQ(viewer.error(), "");
    HWND top = nullptr;
    REQUIRE(WaitUntil([&] { return Contains(ViewerText(&top), "Norvanex help"); }));
    HWND index = nullptr;
    for (HWND child : Children(top)) {
        std::string text = Text(child);
        text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
        if (text == "Index") index = child;
    }
    REQUIRE(index != nullptr);
    Click(index);
    HWND list = nullptr;
    REQUIRE(WaitUntil([&] {
        for (HWND window : TopWindows(viewer.pid())) {
            for (HWND child : Children(window)) {
                if (ClassOf(child) == "ListBox" && SendMessageA(child, LB_GETCOUNT, 0, 0) > 0) list = child;
            }
        }
        return list != nullptr;
    }));
    // Between processes Wine hands LB_GETTEXT back in UTF-16 even to SendMessageA: ask for UTF-16.
    std::vector<std::string> keywords;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[512] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) >= 512) continue;
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
        char text[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        keywords.push_back(text);
    }
    CHECK(count > 40);
    for (const char* keyword : {"call line", "Aufrufzeile", "\xDC" "berblick", "~ask~", "r:"}) {
        CHECK(std::find(keywords.begin(), keywords.end(), keyword) != keywords.end());
    }
    CHECK(!Screenshot("help-index-en").empty());
    viewer.Terminate();
    EndViewers();
}

CASE(WinHelpOpensEachIndexByMapNumber) {
    // An owner window of our own, as the program's main window would be.
    HWND owner = CreateWindowExA(0, "STATIC", "help owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    REQUIRE(owner != nullptr);
    EndViewers();
    const std::string file = HelpFile();
    // German first, then English in the same viewer: the second request must replace the topic.
    for (const Language* language : {&kLanguages[1], &kLanguages[0]}) {
        CHECK(WinHelpA(owner, file.c_str(), HELP_CONTEXT, language->map));
        std::string text;
        CHECK(WaitUntil([&] {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            text = ViewerText();
            return Contains(text, language->phrase);
        }));
        CHECK_EQ(text.substr(0, std::string(language->title).size()), std::string(language->title));
    }
    WinHelpA(owner, file.c_str(), HELP_QUIT, 0);
    CHECK(WaitUntil([] { return ProcessesNamed("winhlp32.exe").empty(); }));
    EndViewers();
    DestroyWindow(owner);
}
