// The release zip, unpacked into a folder with blanks and parentheses and used from there as a user
// would: the editor with its help and about box, a shortcut written to the desktop, and that
// shortcut opened through the shell. The README's pictures are taken here, so that they show the
// installed folder and never a build folder.
// Timeout: 400
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>

#include "app/MainLayout.h"
#include "ui/InfoLayout.h"

using namespace driver;
using namespace norvanex;

namespace {

constexpr const char* kInstalled = "C:\\Program Files (x86)\\Norvanex";
constexpr const char* kTools = "C:\\Tools";

// The fixed file version of a program as four numbers ("4.3.0.0"); empty without one.
std::string FileVersion(const std::string& exe) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(exe.c_str(), 0, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
        return "";
    }
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

// The files of a folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ExePathOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (process) {
        if (!QueryFullProcessImageNameA(process, 0, path, &size)) size = 0;
        CloseHandle(process);
    }
    return process ? std::string(path, size) : std::string();
}

// Removes what the scenario put into the shared bench when it goes away, also after a failed
// check: the programs started since it was made, the desktop shortcut, C:\Tools and the installed
// folder.
struct Leftovers {
    const std::vector<ProcessEntry> before = AllProcesses();
    std::string shortcut;
    ~Leftovers() {
        EndProcessesNotIn(before);
        if (!shortcut.empty()) {
            DeleteFileA(shortcut.c_str());
            // Wine's menu builder puts a Unix launcher beside a shortcut on the desktop.
            DeleteFileA((shortcut.substr(0, shortcut.size() - 4) + ".desktop").c_str());
        }
        RunHost("rm -rf " + QuoteArg(UnixPath(kTools)) + " " + QuoteArg(UnixPath(kInstalled)));
    }
};

}  // namespace

CASE(UnpackedIntoProgramFilesAndUsedFromThere) {
    // The zip that the build wrote beside bin\, named after the version resource of the program.
    const std::string version = FileVersion(NorvanexExe());
    REQUIRE_EQ(version.empty(), false);
    const std::string zipName = "Norvanex-" + version + "-win32.zip";
    const std::string zip = ModuleFolder().substr(0, ModuleFolder().find_last_of('\\')) + "\\" + zipName;
    REQUIRE(GetFileAttributesA(zip.c_str()) != INVALID_FILE_ATTRIBUTES);

    // Unpacked as it comes into a fresh folder; the files are exactly the six of the release.
    Leftovers leftovers;
    RunHost("rm -rf " + QuoteArg(UnixPath(kInstalled)));
    REQUIRE(CreateDirectoryA(kInstalled, nullptr));
    std::string output;
    const int unpacked = RunHost("/usr/bin/python3 -m zipfile -e " + QuoteArg(UnixPath(zip)) + " " +
                                 QuoteArg(UnixPath(kInstalled)), &output).value_or(-1);
    if (unpacked != 0) check::Log(output);
    REQUIRE_EQ(unpacked, 0);
    const std::string installed = std::string(kInstalled) + "\\Norvanex.exe";
    CHECK_EQ(FilesIn(kInstalled), (std::vector<std::string>{"LICENSE.txt", "Norvanex.exe", "Norvanex.hlp", "Norvanex.html",
                                                          "Norvanex_de.html", "README.txt"}));
    CHECK_EQ(FileVersion(installed), version);
    // The help file's title names the version as the window caption does.
    const std::string caption = "Norvanex " + version.substr(0, version.find('.', version.find('.') + 1));
    CHECK(FileBytes(std::string(kInstalled) + "\\Norvanex.hlp").find(caption + '\0') != std::string::npos);
    // README.txt for Notepad: CRLF line ends only, plain ASCII.
    const std::string readme = FileBytes(std::string(kInstalled) + "\\README.txt");
    CHECK(readme.find("\r\n") != std::string::npos);
    size_t bareLf = 0, high = 0;
    for (size_t i = 0; i < readme.size(); ++i) {
        bareLf += readme[i] == '\n' && (i == 0 || readme[i - 1] != '\r');
        high += static_cast<unsigned char>(readme[i]) > 0x7E;
    }
    CHECK_EQ(bareLf, 0u);
    CHECK_EQ(high, 0u);

    // Programs of the user: two to end, one to start afterwards (it records its start).
    CreateDirectoryA(kTools, nullptr);
    const std::string word = std::string(kTools) + "\\winword.exe", excel = std::string(kTools) + "\\excel.exe";
    const std::string backup = std::string(kTools) + "\\backup.exe";
    REQUIRE(CopyFileA(BesideMe("victim.exe").c_str(), word.c_str(), FALSE));
    REQUIRE(CopyFileA(BesideMe("victim.exe").c_str(), excel.c_str(), FALSE));
    REQUIRE(CopyFileA(BesideMe("marker.exe").c_str(), backup.c_str(), FALSE));
    // More programs of the user, so that the chooser's list runs into a second column: the one in
    // the picture then holds only programs started after this test program, whose own row shows a
    // build folder. Started before the two to end, they leave those two in that column.
    for (const char* name : {"agenda", "chat", "clock", "mailer", "notes", "paint", "player", "radio", "scanner",
                             "sync", "viewer", "weather"}) {
        const std::string other = std::string(kTools) + "\\" + name + ".exe";
        REQUIRE(CopyFileA(BesideMe("victim.exe").c_str(), other.c_str(), FALSE));
        REQUIRE(!StartWindowless(other, 1).empty());
    }
    REQUIRE(!StartWindowless(word, 1).empty());
    REQUIRE(!StartWindowless(excel, 1).empty());
    const std::string marker = ScratchFolder() + "\\release-marker.log";
    DeleteFileA(marker.c_str());
    SetEnvironmentVariableA("NORVANEX_MARKER", marker.c_str());

    // The editor, started from the installed folder, in that folder.
    StartOptions options;
    options.lcAll = "en_US.UTF-8";
    options.workDir = kInstalled;
    Editor installedEditor(options, caption + " - New Shortcut", installed);
    const Process& editor = installedEditor.process;
    HWND main = installedEditor.main;
    CHECK(installedEditor.WaitSettled());  // the title bar drawn active
    CHECK(!Screenshot("release-editor-en", main).empty());

    // F1: the viewer opens the help beside the installed program at its index (no other help file
    // lies within that program's reach).
    CHECK(PressKey(ChildById(main, kBitBtn2), VK_F1));
    HWND viewer = nullptr;
    CHECK(WaitUntil([&] {
        viewer = ViewerWindow();
        return viewer && ViewerTopicText(viewer).rfind("Norvanex help", 0) == 0;
    }));
    if (viewer) {
        CHECK(WaitPainted(viewer));  // the viewer draws its button bar after the topic
        CHECK(!Screenshot("release-help-en", viewer).empty());
    }
    CloseViewers();

    // The about box names the version of the zip.
    Click(ChildById(main, kBitBtn9));
    HWND about = nullptr;
    CHECK(WaitUntil([&] { return (about = FindTopWindow(editor.pid(), "Info", "TInfos")) != nullptr; }));
    if (about) {
        CHECK_EQ(Text(ChildById(about, kInfoLabel1)), "Norvanex " + version);
        CHECK(WaitPainted(about));
        CHECK(!Screenshot("release-about-en", about).empty());
        Click(ChildById(about, kInfoBitBtn1));
        CHECK(WaitUntil([&] { return !Visible(about) && Enabled(main); }));
    }

    // Insert, "Insert program from tasklist...": tick winword.exe and excel.exe, OK.
    Click(ChildById(main, kBitBtn2));
    HWND menu = nullptr;
    REQUIRE(WaitUntil([&] { return (menu = FindTopWindow(editor.pid(), "", "#32768")) != nullptr; }, 3000));
    CHECK(WaitPainted(menu));  // the menu's own loop runs and takes the key
    SendKey('T');
    HWND chooser = editor.WaitDialog("Choose tasks to kill");
    REQUIRE(chooser != nullptr);
    HWND tasks = WaitListRows(chooser);
    REQUIRE(tasks != nullptr);
    const std::vector<std::string> rows = LvTexts(tasks);
    for (const std::string* program : {&word, &excel}) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const std::string& r) { return Lower(r) == Lower(*program); });
        REQUIRE(row != rows.end());
        CHECK(LvSelect(tasks, static_cast<int>(row - rows.begin())) && PressKey(tasks, VK_SPACE));
    }
    // The list runs in columns: the one that holds excel.exe, with no build folder in sight.
    SendMessageA(tasks, LVM_ENSUREVISIBLE, static_cast<WPARAM>(LvSelected(tasks).at(0)), FALSE);
    const int top = static_cast<int>(SendMessageA(tasks, LVM_GETTOPINDEX, 0, 0));
    const int shown = static_cast<int>(SendMessageA(tasks, LVM_GETCOUNTPERPAGE, 0, 0));
    for (int row = top; row < std::min(top + shown, LvCount(tasks)); ++row) {
        CHECK_EQ(Lower(LvText(tasks, row)).rfind("z:", 0), std::string::npos);
    }
    SetCursorPos(0, 0);  // no hint in the picture
    CHECK(WaitUntil([&] { return !ShownTip(editor.pid()); }) && WaitPainted(chooser));
    CHECK(!Screenshot("release-chooser-en", chooser).empty());
    Click(GetDlgItem(chooser, IDOK));
    REQUIRE(WaitUntil([&] { return !IsWindowVisible(chooser) && LvCount(ChildById(main, kListView1)) == 2; }));

    // Ask first (ticked from the start), and the program to start through Choose.
    HWND ask = ChildById(main, kCheckBox1);
    if (CheckState(ask) != BST_CHECKED) Click(ask);
    CHECK(WaitUntil([&] { return CheckState(ask) == BST_CHECKED; }));
    Click(ChildById(main, kBitBtn5));
    REQUIRE(ConfirmTitledDialog(editor, "Chose programm to run", backup));
    REQUIRE(WaitUntil([&] { return Text(ChildById(main, kLabel2)) == "backup.exe"; }));
    BringToFront(main);
    CHECK(WaitPainted(main));
    CHECK(!Screenshot("release-editor-filled-en", main).empty());

    // Create: the shortcut goes onto the desktop.
    char desktop[MAX_PATH] = {};
    REQUIRE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)));
    const std::string shortcut = leftovers.shortcut = std::string(desktop) + "\\Close Office.lnk";
    DeleteFileA(shortcut.c_str());
    Click(ChildById(main, kBitBtn1));
    REQUIRE(ConfirmTitledDialog(editor, "Save as", std::string(desktop) + "\\Close Office"));
    REQUIRE(WaitUntil([&] { return GetFileAttributesA(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    CHECK(installedEditor.Close());

    // The shortcut opened through the shell: asked, Yes; both programs end, the result window of the
    // installed program lists them, and backup.exe starts once.
    const auto opened = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", shortcut.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    CHECK(opened > 32);
    HWND question = WaitDialog(0, "Bestätigung");
    REQUIRE(question != nullptr);
    Click(ButtonByCaption(question, "&Ja"));
    HWND result = nullptr;
    REQUIRE(WaitUntil([&] { return (result = FindTopWindow(0, caption, "TMainForm")) != nullptr; }));
    CHECK_EQ(Lower(ExePathOf(PidOf(result))), Lower(installed));
    CHECK(WaitUntil([] { return ProcessesNamed("winword.exe").empty() && ProcessesNamed("excel.exe").empty(); }));
    std::vector<std::string> listed = LvTexts(ChildById(result, kListView1));
    for (std::string& text : listed) text = Lower(text);
    CHECK_EQ(listed, (std::vector<std::string>{Lower(word), Lower(excel)}));
    WaitUntil([&] { return !FileLines(marker).empty(); }, 5000);
    if (!FileLines(marker).empty()) WaitOutStartTimer(TickOf(FileLines(marker)[0]));  // no second start
    const std::vector<std::string> started = FileLines(marker);
    CHECK_EQ(started.size(), 1u);
    if (!started.empty()) CHECK(Lower(started[0]).find("backup.exe") != std::string::npos);
    BringToFront(result);
    CHECK(WaitPainted(result));
    CHECK(!Screenshot("release-result-en", result).empty());
    Click(ChildById(result, kBitBtn1));
    CHECK(WaitUntil([&] { return !IsWindow(result); }));
    SetEnvironmentVariableA("NORVANEX_MARKER", nullptr);
}
