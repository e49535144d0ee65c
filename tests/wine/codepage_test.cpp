// Names beyond the ANSI code page under Wine (code page 1252): programs named māil.exe, Ωmega.exe,
// 日本.exe and 中国.exe run beside mail.exe. A kill run, the task chooser and the editor must never
// take one of them for another program; the keyboard focus of the editor comes back after the
// about box and the chooser.
// Timeout: 600
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "ui/TaskSelLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

// Outside the code page: best fit reads the first two as mail.exe and Omega.exe, the default
// character the last two both as ??.exe.
const std::wstring kMacron = L"m\u0101il.exe";
const std::wstring kOmega = L"\u03A9mega.exe";
const std::wstring kNihon = L"\u65E5\u672C.exe";
const std::wstring kChina = L"\u4E2D\u56FD.exe";
const std::wstring kPlain = L"mail.exe";

std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0],
                                                        static_cast<int>(wide.size())) - 1));
    return wide;
}

std::string Narrow(const std::wstring& text) {
    char buffer[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

std::wstring ScratchPath(const std::wstring& name) { return Widen(ScratchFolder()) + L"\\" + name; }

// victim.exe copied under a name the code page may not hold; its path.
std::wstring CopyVictim(const std::wstring& name) {
    const std::wstring path = ScratchPath(name);
    CopyFileW(Widen(BesideMe("victim.exe")).c_str(), path.c_str(), FALSE);
    return path;
}

// Starts a program by its UTF-16 path and command line, leaves it running; its pid (0: failed).
DWORD StartWide(const std::wstring& exe, const std::wstring& commandLine = L"") {
    std::wstring line = commandLine.empty() ? L"\"" + exe + L"\"" : commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        check::Log("CreateProcessW failed: " + std::to_string(GetLastError()) + " for " + Narrow(exe));
        return 0;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return info.dwProcessId;
}

// One running copy of each name, started and waited for; ends what it started when it goes away.
struct Victims {
    std::vector<DWORD> pids;
    explicit Victims(const std::vector<std::wstring>& names) {
        for (const std::wstring& name : names) pids.push_back(StartWide(CopyVictim(name)));
    }
    ~Victims() {
        for (DWORD pid : pids) {
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
                TerminateProcess(process, 1);
                CloseHandle(process);
            }
        }
    }
};

Process RunNorvanex(const std::string& args, const std::string& lcAll = "") {
    StartOptions options;
    options.args = args;
    options.lcAll = lcAll;
    return Start(NorvanexExe(), options);
}

// The information box the editor shows, its message in UTF-16; closed with OK.
std::wstring TakeInformation(const Editor& editor) {
    HWND box = editor.process.WaitDialog("Informationen");
    if (!box) return L"";
    std::wstring message;
    for (HWND child : Children(box)) {
        if (lstrcmpiA(ClassOf(child).c_str(), "Static") == 0) message += TextW(child);
    }
    Screenshot("refusal-codepage-en", box);
    Click(GetDlgItem(box, IDOK));
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    return message;
}

bool Holds(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// A shortcut as programs of the NT line write it, through IShellLinkW: its texts in UTF-16.
bool CreateWideShortcut(const std::wstring& target, const std::wstring& arguments, const std::wstring& file) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    bool written = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                              reinterpret_cast<void**>(&link))) &&
                   SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(arguments.c_str())) &&
                   SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
                   SUCCEEDED(persist->Save(file.c_str(), TRUE));
    if (persist) persist->Release();
    if (link) link->Release();
    CoUninitialize();
    return written;
}

}  // namespace

// A shortcut of Norvanex made elsewhere, whose arguments the code page cannot hold, is refused with
// the part named as the link holds it, and nothing of it is loaded: read through the ANSI interface
// it would load as mail.exe, or start ??.exe.
CASE(ShortcutBeyondTheCodePageIsNotLoaded) {
    const std::wstring exe = Widen(NorvanexExe());
    struct Case { std::wstring file; std::wstring arguments; std::wstring part; } cases[] = {
        {ScratchPath(L"macron.lnk"), kMacron, kMacron},
        {ScratchPath(L"nihon.lnk"), L"~ask~ a.exe r:C:\\" + kNihon, L"r:C:\\" + kNihon},
    };
    Editor editor;
    const std::string chosen = CopyToScratch("victim.exe", "winword.exe");
    HWND list = editor.Get(kListView1);
    const RECT where = RectInParent(list);
    REQUIRE(DropFiles(editor.main, POINT{where.left + 20, where.top + 20}, {chosen}));
    REQUIRE(WaitUntil([&] { return LvCount(list) == 1; }));
    const int ask = CheckState(editor.Get(kCheckBox1));
    for (const Case& c : cases) {
        REQUIRE(CreateWideShortcut(exe, c.arguments, c.file));
        REQUIRE(PostDropFiles(editor.main, POINT{where.left + 20, where.top + 20}, {c.file}));
        HWND box = editor.process.WaitDialog("Fehler");
        REQUIRE(box != nullptr);
        std::wstring message;
        for (HWND child : Children(box)) message += TextW(child);
        CHECK(Holds(message, L"The shortcut\r" + c.file + L"\rholds\r" + c.part +
                                 L"\rwith characters that this Windows cannot pass to Norvanex. Saved again from the "
                                 L"editor the shortcut would name another program, so it is not loaded."));
        if (c.part == kMacron) Screenshot("shortcut-beyond-codepage-en", box);
        Click(GetDlgItem(box, IDOK));
        CHECK(WaitUntil([&] { return !IsWindow(box); }));
        CHECK_EQ(LvCount(list), 1);
        CHECK_EQ(LvText(list, 0), chosen);
        CHECK_EQ(Text(editor.Get(kLabel2)), "No programm chosen");
        CHECK_EQ(CheckState(editor.Get(kCheckBox1)), ask);
    }
}

CASE(KillRunEndsNoProgramThatWasNotNamed) {
    Victims victims({kMacron, kOmega, kNihon, kChina, kPlain});
    const DWORD macron = victims.pids[0], omega = victims.pids[1], nihon = victims.pids[2], china = victims.pids[3],
                plain = victims.pids[4];
    for (DWORD pid : victims.pids) REQUIRE(pid != 0 && PidRunning(pid));

    // The look-alikes and the default character name nothing: no window, nothing ended; also in the
    // locales of the user's country (code page 1252 all).
    for (const char* locale : {"", "en_US.UTF-8", "de_DE.UTF-8"}) {
        for (const char* args : {"Omega.exe", "??.exe", "m?il.exe"}) {
            Process run = RunNorvanex(args, locale);
            CHECK(run.error().empty());
            CHECK(run.WaitExit().has_value());
            CHECK(run.Windows(false).empty());
        }
    }
    for (DWORD pid : victims.pids) CHECK(PidRunning(pid));

    // A call line typed in a Unicode shell: the ANSI reader gets mail.exe, the user wrote māil.exe.
    const std::wstring exe = Widen(NorvanexExe());
    const DWORD wide = StartWide(exe, L"\"" + exe + L"\" " + kMacron);
    CHECK(wide != 0);
    CHECK(WaitUntil([&] { return !PidRunning(wide); }));
    CHECK(PidRunning(plain) && PidRunning(macron));

    // mail.exe ends mail.exe alone, lists it once, and the result window's OK has the focus.
    Process run = RunNorvanex("mail.exe", "de_DE.UTF-8");
    HWND main = ResultWindow(run);
    CHECK_EQ(Text(ChildById(main, kLabel1)), "Beendete Programme");
    CHECK(WaitUntil([&] { return !PidRunning(plain); }));
    CHECK(PidRunning(macron) && PidRunning(omega) && PidRunning(nihon) && PidRunning(china));
    HWND list = ChildById(main, kListView1);
    REQUIRE_EQ(LvCount(list), 1);
    CHECK_EQ(LvText(list, 0), Narrow(ScratchPath(kPlain)));
    CHECK(WaitUntil([&] { return FocusOf(main) == ChildById(main, kBitBtn1); }, 3000));
    CHECK(PressOk(run, main));
}

CASE(ChooserShowsTheTrueNamesAndRefusesThem) {
    Victims victims({kMacron, kNihon, kPlain});
    Editor editor;
    HWND tasks = nullptr;
    HWND chooser = editor.OpenChooser(&tasks);
    REQUIRE(chooser != nullptr);
    const int rows = LvCount(tasks);
    CHECK_EQ(Text(ChildById(chooser, tasksel::kLabel1)), std::to_string(rows) + " running tasks:");

    int macronRow = -1, nihonRow = -1, plainRow = -1;
    for (int row = 0; row < rows; ++row) {
        const std::wstring text = LvTextW(tasks, row);
        if (text == ScratchPath(kMacron)) macronRow = row;
        if (text == ScratchPath(kNihon)) nihonRow = row;
        if (text == ScratchPath(kPlain)) plainRow = row;
    }
    // Listed under their true paths, as the system holds them.
    REQUIRE(macronRow >= 0 && nihonRow >= 0 && plainRow >= 0);
    CHECK(Holds(Widen(Hint(tasks).value_or("")), L"Greyed programs"));

    // Space and a click on the box tick the plain one only.
    for (int row : {macronRow, nihonRow, plainRow}) {
        CHECK(LvSelect(tasks, row) && PressKey(tasks, VK_SPACE));
    }
    const std::optional<RECT> box = LvItemRect(tasks, nihonRow, LVIR_ICON);
    if (box) {
        POINT at{box->left - 8, (box->top + box->bottom) / 2};
        ClientToScreen(tasks, &at);
        MouseClick(at, tasks);
    }
    // The keys came first; the click selects the row it lands on, so the chooser is painted anew.
    CHECK(WaitUntil([&] { return LvChecked(tasks, plainRow); }) && WaitPainted(chooser));
    CHECK(!LvChecked(tasks, macronRow));
    CHECK(!LvChecked(tasks, nihonRow));
    Screenshot("chooser-codepage", chooser);

    Click(GetDlgItem(chooser, IDOK));
    CHECK(WaitUntil([&] { return Enabled(editor.main); }));
    CHECK(Answers(editor.main));  // the handler that showed the chooser is over
    CHECK(LvTexts(editor.Get(kListView1)) == std::vector<std::string>{Narrow(ScratchPath(kPlain))});
    CHECK(editor.Close());
}

CASE(EditorRefusesNamesItCannotWrite) {
    const std::wstring macron = CopyVictim(kMacron);
    const std::wstring nihon = CopyVictim(kNihon);
    const std::wstring plain = CopyVictim(kPlain);
    Editor editor;
    HWND list = editor.Get(kListView1);

    // The open dialog: the box names the file as it is, nothing is added.
    PostMessageA(editor.main, WM_COMMAND, kSelectFile, 0);
    HWND dialog = editor.process.WaitDialog("Chose programms to kill");
    REQUIRE(dialog != nullptr);
    CHECK(ConfirmFileDialog(dialog, macron));
    const std::wstring fromDialog = TakeInformation(editor);
    CHECK(Holds(fromDialog, macron));
    CHECK(Holds(fromDialog, L"cannot be chosen"));
    CHECK(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    CHECK_EQ(LvCount(list), 0);

    // Dropped on the list, and on the picture of the program to start: the same refusal.
    const RECT listRect = RectInParent(list);
    const RECT picture = RectInParent(editor.Get(kProgImg));
    for (POINT at : {POINT{listRect.left + 20, listRect.top + 20}, POINT{picture.left + 8, picture.top + 8}}) {
        CHECK(PostDropFiles(editor.main, at, std::vector<std::wstring>{nihon}));
        CHECK(Holds(TakeInformation(editor), nihon));
    }
    CHECK_EQ(LvCount(list), 0);
    CHECK_EQ(Text(editor.Get(kLabel2)), "No programm chosen");

    // A name the code page holds goes in as before.
    CHECK(DropFiles(editor.main, POINT{listRect.left + 20, listRect.top + 20}, std::vector<std::wstring>{plain}));
    CHECK(LvTexts(list) == std::vector<std::string>{Narrow(plain)});
    CHECK(editor.Close());
}

CASE(FocusComesBackAfterTheAboutBoxAndTheChooser) {
    Editor editor;
    // The first control in tab order, and Tab and Shift+Tab walk the enabled ones in design order.
    CHECK(WaitUntil([&] { return FocusOf(editor.main) == editor.Get(kBitBtn2); }, 3000));
    REQUIRE(BringToFront(editor.main));
    const std::vector<MainControl> order = {kBitBtn5, kBitBtn9, kBitBtn4, kListView1, kCheckBox1, kCheckBox2, kBitBtn2};
    for (MainControl id : order) {
        SendKey(VK_TAB);
        CHECK(WaitUntil([&] { return FocusOf(editor.main) == editor.Get(id); }, 2000));
    }
    for (auto it = order.rbegin() + 1; it != order.rend(); ++it) {
        const MainControl id = *it;
        PressKey(FocusOf(editor.main), VK_TAB, {VK_SHIFT});
        CHECK(WaitUntil([&] { return FocusOf(editor.main) == editor.Get(id); }, 2000));
    }

    // Two entries, the first selected in the focused list.
    HWND list = editor.Get(kListView1);
    const std::string a = CopyToScratch("victim.exe", "first.exe");
    const std::string b = CopyToScratch("victim.exe", "second.exe");
    CHECK(DropFiles(editor.main, POINT{30, 40}, std::vector<std::string>{a, b}));
    REQUIRE_EQ(LvCount(list), 2);
    CHECK(PressKey(list, VK_HOME));
    CHECK(WaitUntil([&] { return LvSelected(list) == std::vector<int>{0}; }, 2000));

    // The about box, opened and closed without touching the list; then Del.
    PostMessageA(editor.main, WM_COMMAND, kBitBtn9, 0);
    HWND about = nullptr;
    REQUIRE(WaitUntil([&] {
        for (HWND w : editor.process.Windows()) {
            if (w != editor.main) about = w;
        }
        return about != nullptr;
    }));
    Click(GetDlgItem(about, IDOK) ? GetDlgItem(about, IDOK) : ChildByText(about, "Button", "OK"));
    CHECK(WaitUntil([&] { return !IsWindowVisible(about); }));
    CHECK(WaitUntil([&] { return FocusOf(editor.main) == list; }, 3000));
    BringToFront(editor.main);
    SendKey(VK_DELETE);
    CHECK(WaitUntil([&] { return LvCount(list) == 1; }, 3000));

    // The chooser, left with Abort; then Del again.
    LvSelect(list, 0);
    PostMessageA(editor.main, WM_COMMAND, kSelectTask, 0);
    HWND chooser = editor.process.WaitDialog("Choose tasks to kill");
    REQUIRE(chooser != nullptr);
    Click(GetDlgItem(chooser, IDCANCEL));
    CHECK(WaitUntil([&] { return !IsWindowVisible(chooser); }));
    CHECK(WaitUntil([&] { return FocusOf(editor.main) == list; }, 3000));
    BringToFront(editor.main);
    SendKey(VK_DELETE);
    CHECK(WaitUntil([&] { return LvCount(list) == 0; }, 3000));
    CHECK(editor.Close());
}

