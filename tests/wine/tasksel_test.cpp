// The task chooser under Wine, shown by this program's child exactly as the editor shows it, and
// driven with real clicks and keys: the running helpers with their paths, the count in both
// languages, checked rows returned by OK only, marks kept over a re-activation and F5, screenshots.
// Timeout: 400
// Resources: program
#include "driver/Check.h"
#include "driver/Driver.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "base/AppInfo.h"
#include "base/AppInfo_win.h"
#include "ui/TaskSel_win.h"
#include "ui/TaskSelLayout.h"

using namespace driver;
using namespace norvanex::tasksel;
using norvanex::ControlDesign;
using norvanex::ScaleToDpi;

namespace {

constexpr const char* kChoiceOut = "NORVANEX_CHOICE_OUT";
constexpr const char* kHelperName = "choosable.exe";
constexpr const char* kOwnerCaption = "Chooser owner";

struct Outcome {
    int result = -1;
    int helpRequests = -1;  // WM_HELP messages that reached the owner
    std::vector<std::string> checked;
};

int ownerHelpRequests = 0;

// The editor's stand-in: it counts the help requests that reach it.
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP) ++ownerHelpRequests;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A child showing the chooser, and what it handed back once it ended.
struct Chooser {
    Process child;
    std::string out;
    HWND dialog = nullptr;
    HWND owner = nullptr;

    HWND Tasks() const { return ChildById(dialog, kTasks); }
    Outcome Finish() {
        Outcome outcome;
        if (child.WaitExit().value_or(99) != 0) return outcome;
        std::ifstream in(out, std::ios::binary);
        std::string line;
        if (std::getline(in, line)) outcome.result = std::atoi(line.c_str());
        if (std::getline(in, line)) outcome.helpRequests = std::atoi(line.c_str());
        while (std::getline(in, line)) outcome.checked.push_back(line);
        return outcome;
    }
};

// The running helpers, started once for the whole program: two instances of one program.
const std::string& HelperPath() {
    static const std::string path = [] {
        const std::string copy = CopyToScratch("victim.exe", kHelperName);
        return StartWindowless(copy, 2).size() == 2 ? copy : std::string();
    }();
    return path;
}

// The chooser in a child of this program, shown once the helpers run; required to appear.
Chooser ShowChooser(const std::string& lcAll = "", const std::string& title = "Choose tasks to kill") {
    REQUIRE(!HelperPath().empty());
    Chooser c;
    c.out = ScratchFolder() + "\\choice.txt";
    DeleteFileA(c.out.c_str());
    StartOptions options;
    options.lcAll = lcAll;
    options.env = {{kChoiceOut, c.out}};
    c.child = Start(BesideMe("tasksel_test.exe"), options);
    c.dialog = c.child.WaitWindow(kTimeout, title);
    REQUIRE(c.dialog != nullptr);
    c.owner = FindTopWindow(c.child.pid(), kOwnerCaption);
    return c;
}

std::vector<int> RowsOf(HWND lv, const std::string& caption) {
    std::vector<int> rows;
    const std::vector<std::string> texts = LvTexts(lv);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (lstrcmpiA(texts[i].c_str(), caption.c_str()) == 0) rows.push_back(static_cast<int>(i));
    }
    return rows;
}

// A real click on a row's check box, which sits at the row's left edge.
bool ClickCheckBox(HWND lv, int row) {
    const auto bounds = LvItemRect(lv, row, LVIR_BOUNDS);
    if (!bounds) return false;
    POINT point{bounds->left + 8, (bounds->top + bounds->bottom) / 2};
    ClientToScreen(lv, &point);
    return MouseClick(point, lv);
}

// Space on a row: the focus to the row, then the key.
bool SpaceOn(HWND lv, int row) {
    return LvSelect(lv, row) && PressKey(lv, VK_SPACE);
}

}  // namespace

// Not a test of its own: the child that the other cases start, showing the chooser over an owner
// window as the editor does. It must stay the first case.
CASE(ChooserChild) {
    const char* out = std::getenv(kChoiceOut);
    if (out == nullptr) return;
    char path[MAX_PATH + 1] = {};
    norvanex::App().exePath.assign(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA ownerClass{};
    ownerClass.lpfnWndProc = OwnerProc;
    ownerClass.hInstance = instance;
    ownerClass.lpszClassName = "ChooserOwner";
    RegisterClassA(&ownerClass);
    HWND owner = CreateWindowExA(0, ownerClass.lpszClassName, kOwnerCaption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 200, 100, nullptr, nullptr, instance, nullptr);
    norvanex::TaskChoice choice;
    if (norvanex::TaskSelect().Create(instance, owner)) norvanex::TaskSelect().ShowModal(owner, choice);
    std::ofstream file(out, std::ios::binary);
    file << choice.result << '\n' << ownerHelpRequests << '\n';
    for (const std::string& caption : choice.checked) file << caption << '\n';
    file.close();
    ExitProcess(IsWindowEnabled(owner) ? 0 : 3);
}

CASE(ListsRunningHelpersWithPathsAndCount) {
    struct Language {
        const char *locale, *title, *abort, *count, *hint;
    } languages[] = {
        {"", "Choose tasks to kill", "A&bort", " running tasks:", "double-click for details"},
        {"de_DE.UTF-8", "Zu beendende Tasks wählen", "A&bbrechen", " laufende Tasks:", "Doppelclick für Details"},
    };
    for (const Language& l : languages) {
        check::Log(std::string("locale ") + (*l.locale ? l.locale : "C"));
        Chooser c = ShowChooser(l.locale, l.title);
        HWND tasks = c.Tasks();
        REQUIRE(tasks != nullptr);
        CHECK(Topmost(c.dialog));
        CHECK(!Enabled(c.owner));
        CHECK_EQ(ClientSize(c.dialog).cx, 417);
        CHECK_EQ(ClientSize(c.dialog).cy, 289);
        for (const norvanex::ControlDesign& d : kDesign) {
            if (d.kind == norvanex::ControlKind::BoxBevel) continue;  // painted by the window, no control
            const RECT r = RectInParent(ChildById(c.dialog, d.id));
            CHECK_EQ(r.left, d.left);
            CHECK_EQ(r.top, d.top);
            if (d.width) CHECK_EQ(r.right - r.left, d.width);
        }
        CHECK_EQ(Text(ChildById(c.dialog, kBitBtn1)), "&OK");
        CHECK_EQ(Text(ChildById(c.dialog, kBitBtn2)), l.abort);
        CHECK_EQ(Hint(tasks).value_or("(no hint)"), std::string(l.hint));

        const int rows = LvCount(tasks);
        CHECK(rows >= 3);  // the two helpers and at least the chooser's own process
        CHECK_EQ(Text(ChildById(c.dialog, kLabel1)), std::to_string(rows) + l.count);
        CHECK_EQ(RowsOf(tasks, HelperPath()).size(), 2u);
        for (int row = 0; row < rows; ++row) CHECK(!LvChecked(tasks, row));
        // Both helper rows share one icon, and it is the file's own, not the empty slot.
        const std::vector<int> helpers = RowsOf(tasks, HelperPath());
        if (helpers.size() == 2) {
            CHECK_EQ(LvGet(tasks, helpers[0])->image, LvGet(tasks, helpers[1])->image);
            CHECK_EQ(LvGet(tasks, helpers[0])->image, norvanex::GetFileIconIndex(HelperPath()));
        }
        Click(ChildById(c.dialog, kBitBtn2));
        const Outcome outcome = c.Finish();
        CHECK_EQ(outcome.result, 0);
    }
}

CASE(OkReturnsTheCheckedRowsInRowOrder) {
    Chooser c = ShowChooser();
    HWND tasks = c.Tasks();
    const std::vector<int> helpers = RowsOf(tasks, HelperPath());
    REQUIRE_EQ(helpers.size(), 2u);
    // The later row first, by mouse; the earlier by Space.
    CHECK(ClickCheckBox(tasks, helpers[1]));
    CHECK(WaitUntil([&] { return LvChecked(tasks, helpers[1]); }, 2000));
    CHECK(SpaceOn(tasks, helpers[0]));
    CHECK(WaitUntil([&] { return LvChecked(tasks, helpers[0]); }, 2000));
    Click(ChildById(c.dialog, kBitBtn1));
    const Outcome outcome = c.Finish();
    CHECK_EQ(outcome.result, 1);
    REQUIRE_EQ(outcome.checked.size(), 2u);
    CHECK_EQ(lstrcmpiA(outcome.checked[0].c_str(), HelperPath().c_str()), 0);
    CHECK_EQ(lstrcmpiA(outcome.checked[1].c_str(), HelperPath().c_str()), 0);

    // OK with nothing checked (Enter, the default button): accepted, nothing listed. F1 before it
    // opens nothing: the chooser has no help, and the request must not travel on to the owner.
    Chooser empty = ShowChooser();
    CHECK(PressKey(empty.Tasks(), VK_F1));
    CHECK(Visible(empty.dialog));
    PressKey(empty.Tasks(), VK_RETURN);  // read after F1: the outcome says what F1 did
    const Outcome none = empty.Finish();
    CHECK_EQ(none.result, 1);
    CHECK_EQ(none.helpRequests, 0);
    CHECK(none.checked.empty());
}

CASE(AbortCloseBoxAndEscapeReturnNothing) {
    struct Way { const char* what; void (*close)(const Chooser&); } ways[] = {
        {"Abort", [](const Chooser& c) { Click(ChildById(c.dialog, kBitBtn2)); }},
        {"close box", [](const Chooser& c) { CloseBySystemMenu(c.dialog); }},
        {"Escape", [](const Chooser& c) { PressKey(c.Tasks(), VK_ESCAPE); }},
    };
    for (const Way& way : ways) {
        check::Log(way.what);
        Chooser c = ShowChooser();
        const std::vector<int> helpers = RowsOf(c.Tasks(), HelperPath());
        REQUIRE(!helpers.empty());
        CHECK(SpaceOn(c.Tasks(), helpers[0]));
        CHECK(WaitUntil([&] { return LvChecked(c.Tasks(), helpers[0]); }, 2000));
        way.close(c);
        const Outcome outcome = c.Finish();
        CHECK_EQ(outcome.result, 0);
        CHECK(outcome.checked.empty());
    }
}

CASE(MarksSurviveDoubleClickAndReactivation) {
    Chooser c = ShowChooser();
    HWND tasks = c.Tasks();
    const std::vector<int> helpers = RowsOf(tasks, HelperPath());
    REQUIRE_EQ(helpers.size(), 2u);
    const int rows = LvCount(tasks);
    CHECK(SpaceOn(tasks, helpers[0]));
    CHECK(WaitUntil([&] { return LvChecked(tasks, helpers[0]); }, 2000));

    // A double-click asks for the properties sheet (Wine shows none), then another program's
    // window takes the front and the chooser gets it back.
    CHECK(DoubleClickLvItem(tasks, helpers[1]));
    CHECK(WaitUntil([&] { return LvSelected(tasks) == std::vector<int>{helpers[1]}; }) && Answers(c.dialog));
    HWND other = CreateWindowExA(0, WC_STATICA, "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 200,
                                 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    CHECK(BringToFront(other) && Answers(c.dialog));  // the chooser has handled its deactivation
    CHECK(BringToFront(c.dialog) && Answers(c.dialog));
    DestroyWindow(other);

    CHECK_EQ(LvCount(tasks), rows);
    CHECK(LvChecked(tasks, helpers[0]));
    Click(ChildById(c.dialog, kBitBtn1));
    const Outcome outcome = c.Finish();
    CHECK_EQ(outcome.result, 1);
    CHECK_EQ(outcome.checked.size(), 1u);
}

CASE(F5RefillsAndKeepsMarks) {
    Chooser c = ShowChooser();
    HWND tasks = c.Tasks();
    const int rows = LvCount(tasks);
    const std::vector<int> helpers = RowsOf(tasks, HelperPath());
    REQUIRE_EQ(helpers.size(), 2u);
    CHECK(SpaceOn(tasks, helpers[1]));
    CHECK(WaitUntil([&] { return LvChecked(tasks, helpers[1]); }, 2000));

    // A third instance starts; F5 lists it, cleared, and the checked instance stays checked.
    const std::vector<DWORD> two = ProcessesNamed(kHelperName);
    const std::vector<DWORD> third = StartWindowless(HelperPath(), 1, 2);
    REQUIRE_EQ(third.size(), 3u);
    CHECK(PressKey(tasks, VK_F5));
    CHECK(WaitUntil([&] { return LvCount(tasks) == rows + 1; }, 3000));
    CHECK_EQ(Text(ChildById(c.dialog, kLabel1)), std::to_string(rows + 1) + " running tasks:");
    const std::vector<int> after = RowsOf(tasks, HelperPath());
    REQUIRE_EQ(after.size(), 3u);
    int checked = 0;
    for (int row = 0; row < LvCount(tasks); ++row) checked += LvChecked(tasks, row) ? 1 : 0;
    CHECK_EQ(checked, 1);
    CHECK(LvChecked(tasks, after[1]));
    Click(ChildById(c.dialog, kBitBtn1));
    CHECK_EQ(c.Finish().checked.size(), 1u);

    // The third instance ends again, so the other cases see two.
    for (DWORD pid : third) {
        if (std::find(two.begin(), two.end(), pid) != two.end()) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }
}

CASE(Screenshots) {
    struct Shot { int dpi; const char* locale; const char* title; const char* name; } shots[] = {
        {96, "en_US.UTF-8", "Choose tasks to kill", "chooser-en-96"},
        {96, "de_DE.UTF-8", "Zu beendende Tasks wählen", "chooser-de-96"},
        {144, "en_US.UTF-8", "Choose tasks to kill", "chooser-en-144"},
        {144, "de_DE.UTF-8", "Zu beendende Tasks wählen", "chooser-de-144"},
        {192, "en_US.UTF-8", "Choose tasks to kill", "chooser-en-192"},
    };
    // Every control but the fitted label where the design puts it at `dpi`.
    auto checkPlaces = [](HWND dialog, int dpi) {
        for (const ControlDesign& d : kDesign) {
            HWND control = ChildById(dialog, d.id);
            if (!control || d.width == 0) continue;
            const RECT r = RectInParent(control);
            CHECK_EQ(r.left, ScaleToDpi(d.left, dpi));
            CHECK_EQ(r.top, ScaleToDpi(d.top, dpi));
            CHECK_EQ(r.right - r.left, ScaleToDpi(d.width, dpi));
            CHECK_EQ(r.bottom - r.top, ScaleToDpi(d.height, dpi));
        }
    };
    for (const Shot& s : shots) {
        DpiScope dpi(s.dpi);
        Chooser c = ShowChooser(s.locale, s.title);
        const SIZE client = ClientSize(c.dialog);
        CHECK_EQ(client.cx, ScaleToDpi(417, s.dpi));
        CHECK_EQ(client.cy, ScaleToDpi(289, s.dpi));
        checkPlaces(c.dialog, s.dpi);
        const std::vector<int> helpers = RowsOf(c.Tasks(), HelperPath());
        if (!helpers.empty()) SpaceOn(c.Tasks(), helpers[0]);
        SetCursorPos(0, 0);  // no hint over the picture
        CHECK(WaitUntil([&] { return !ShownTip(c.child.pid()); }) && WaitPainted(c.dialog));
        CHECK(!Screenshot(s.name, c.dialog).empty());
        if (s.dpi == 96) {
            // Moved to a monitor of 192 DPI (Wine cannot move it there: the message is sent).
            REQUIRE(SendDpiChanged(c.dialog, 96, 192));
            checkPlaces(c.dialog, 192);
            CHECK(WaitPainted(c.dialog));
            CHECK(!Screenshot(std::string(s.name) + "-to-192", c.dialog).empty());
        }
        CloseBySystemMenu(c.dialog);
        CHECK_EQ(c.Finish().result, 0);
    }
}

// A screen reader names a list that has no text of its own by the label just before it in z-order
// (creation order): the label "running tasks:" names the list of tasks. Wine's oleacc names a
// control by its own window text alone, so under Wine the order is what can be shown; where a
// proxy answers, its name is the label's.
CASE(ScreenReaderNamesTheListByItsLabel) {
    Chooser c = ShowChooser("", "Choose tasks to kill");
    HWND label = ChildById(c.dialog, kLabel1);
    CHECK_EQ(GetWindow(c.Tasks(), GW_HWNDPREV), label);
    const std::string text = Text(label);
    const std::optional<std::wstring> name = AccessibleName(c.Tasks());
    check::Log(std::string("the list's accessible name: ") + (name ? "given" : "none from this oleacc"));
    if (name) CHECK(*name == std::wstring(text.begin(), text.end()));
    CloseBySystemMenu(c.dialog);
    CHECK_EQ(c.Finish().result, 0);
}
