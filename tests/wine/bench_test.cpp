// The bench and its driver, checked on real processes: helper programs from tests/wine/programs are
// started, read, clicked, typed into and photographed across process boundaries under Wine.
// Timeout: 400
#include "driver/Check.h"
#include "driver/Driver.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

using namespace driver;

namespace {

// Probe control ids (programs/probe.cpp).
constexpr int kReport = 100, kPress = 101, kClicks = 102, kOption = 103, kAsk = 104, kAnswer = 105,
              kList = 106, kEvents = 107, kDisabled = 108, kHidden = 109, kEdit = 110,
              kCommandLine = 111, kFolder = 112;

std::string Probe() { return BesideMe("probe.exe"); }

struct Started {
  Process process;
  HWND window = nullptr;
};

Started StartProbe(const StartOptions& options = {}) {
  Started started;
  started.process = Start(Probe(), options);
  REQUIRE_EQ(started.process.error(), "");
  started.window = started.process.WaitWindow();
  REQUIRE(started.window != nullptr);
  return started;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool EventSeen(HWND probe, const std::string& event) {
  return WaitUntil([&] { return Contains(" " + Text(ChildById(probe, kEvents)) + " ", " " + event + " "); }, 5000);
}

}  // namespace

CASE(ReadsWindowsOfAnotherProcess) {
  Started probe = StartProbe();
  CHECK_EQ(Text(probe.window), "Probe");
  CHECK_EQ(ClassOf(probe.window), "NorvanexProbe");
  CHECK_EQ(PidOf(probe.window), probe.process.pid());
  CHECK_EQ(probe.process.Windows().size(), 1u);
  CHECK(!Topmost(probe.window));

  HWND press = ChildById(probe.window, kPress);
  REQUIRE(press != nullptr);
  CHECK_EQ(Text(press), "&Press");
  CHECK(ChildByText(probe.window, "Button", "Press") == press);
  const RECT place = RectInParent(press);
  CHECK_EQ(place.left, 10);
  CHECK_EQ(place.top, 36);
  CHECK_EQ(place.right, 100);
  CHECK_EQ(place.bottom, 61);
  const SIZE client = ClientSize(probe.window);
  const RECT frame = ScreenRect(probe.window);
  CHECK(client.cx > 400 && client.cx < frame.right - frame.left);
  CHECK(client.cy > 250 && client.cy < frame.bottom - frame.top);

  CHECK(Visible(press) && Enabled(press));
  HWND disabled = ChildById(probe.window, kDisabled);
  CHECK(Visible(disabled));
  CHECK(!Enabled(disabled));
  HWND hidden = ChildById(probe.window, kHidden);
  REQUIRE(hidden != nullptr);
  CHECK(!Visible(hidden));
  CHECK_EQ(Text(hidden), "Hidden");
  CHECK_EQ(Style(hidden) & WS_VISIBLE, 0);

  StartOptions onTop;
  onTop.args = "--topmost --title \"On top\"";
  Started topmost = StartProbe(onTop);
  CHECK_EQ(Text(topmost.window), "On top");
  CHECK(Topmost(topmost.window));
  CHECK(ExStyle(topmost.window) & WS_EX_TOPMOST);
}

CASE(CommandLineArrivesByteForByte) {
  // Quotes inside a token, an empty pair, a CP1252 byte: what the program sees must be what was given.
  const std::string args = "one \"two three\" fo\"u r\"x \"\" \"Ärger\\\" end";
  const std::string expected = QuoteArg(Probe()) + " " + args;
  for (const std::string locale : {"", "de_DE.UTF-8"}) {
    StartOptions options;
    options.args = args;
    options.lcAll = locale;
    Started probe = StartProbe(options);
    CHECK_EQ(Text(ChildById(probe.window, kCommandLine)), expected);
    CHECK_EQ(probe.process.commandLine(), expected);
  }
  StartOptions whole;
  whole.commandLine = "probe.exe   spaced";
  Started probe = StartProbe(whole);
  CHECK_EQ(Text(ChildById(probe.window, kCommandLine)), "probe.exe   spaced");
}

CASE(EnvironmentAndFolderReachTheProgram) {
  for (const std::string locale : {"", "fr_CH.UTF-8"}) {
    StartOptions options;
    options.lcAll = locale;
    options.env = {{"PROBE_VALUE", "given-" + std::to_string(locale.size())}};
    options.workDir = ScratchFolder();
    Started probe = StartProbe(options);
    CHECK(Contains(Text(ChildById(probe.window, kReport)), " env=given-" + std::to_string(locale.size())));
    CHECK_EQ(Text(ChildById(probe.window, kFolder)), ScratchFolder());
  }
}

CASE(LocaleReachesTheProgram) {
  struct Row {
    const char* lcAll;
    const char* country;
  };
  const Row rows[] = {
      {"", "1"},           {"de_DE.UTF-8", "49"}, {"de_CH.UTF-8", "41"}, {"de_AT.UTF-8", "43"},
      {"lb_LU.UTF-8", "352"}, {"fr_CH.UTF-8", "41"}, {"en_US.UTF-8", "1"},  {"en_GB.UTF-8", "44"},
      {"fi_FI.UTF-8", "358"},
  };
  for (const Row& row : rows) {
    StartOptions options;
    options.lcAll = row.lcAll;
    Started probe = StartProbe(options);
    const std::string report = Text(ChildById(probe.window, kReport));
    if (!CHECK(Contains(report, std::string("country=") + row.country + " "))) {
      check::Log(std::string("    LC_ALL=") + row.lcAll + ": " + report);
    }
    CHECK(Contains(report, " acp=1252 "));
  }
}

CASE(DpiReachesNewPrograms) {
  const int before = BenchDpi();
  CHECK_EQ(before, 96);
  {
    DpiScope dpi(144);
    CHECK_EQ(BenchDpi(), 144);
    Started probe = StartProbe();
    CHECK(Contains(Text(ChildById(probe.window, kReport)), " dpi=144 "));
    Screenshot("bench-probe-144dpi", probe.window);
  }
  CHECK_EQ(BenchDpi(), before);
  Started probe = StartProbe();
  CHECK(Contains(Text(ChildById(probe.window, kReport)), " dpi=96 "));
}

CASE(PressesButtonsAndReadsTheResult) {
  Started probe = StartProbe();
  HWND press = ChildById(probe.window, kPress);
  HWND clicks = ChildById(probe.window, kClicks);
  Click(press);
  CHECK(WaitUntil([&] { return Text(clicks) == "clicks=1"; }, 5000));
  CHECK(ClickAndWait(press));
  CHECK_EQ(Text(clicks), "clicks=2");

  HWND option = ChildById(probe.window, kOption);
  CHECK_EQ(CheckState(option), BST_UNCHECKED);
  CHECK(ClickAndWait(option));
  CHECK_EQ(CheckState(option), BST_CHECKED);

  HWND edit = ChildById(probe.window, kEdit);
  CHECK(SetText(edit, "typed by WM_SETTEXT"));
  CHECK_EQ(Text(edit), "typed by WM_SETTEXT");
}

CASE(ReadsHints) {
  Started probe = StartProbe();
  const auto press = Hint(ChildById(probe.window, kPress));
  CHECK(press.has_value());
  CHECK_EQ(press.value_or("(none)"), "Press me");
  const auto option = Hint(ChildById(probe.window, kOption));
  CHECK_EQ(option.value_or("(none)"),
           "Tick me: this hint is deliberately longer than eighty characters, the limit of TTM_GETTEXTA.");
  CHECK(!Hint(ChildById(probe.window, kAsk)).has_value());
}

CASE(ReadsListViewsAcrossProcesses) {
  Started probe = StartProbe();
  HWND list = ChildById(probe.window, kList);
  REQUIRE(list != nullptr);
  CHECK_EQ(ClassOf(list), "SysListView32");
  REQUIRE_EQ(LvCount(list), 3);
  CHECK_EQ(LvColumnCount(list), 1);
  const std::vector<std::string> expected{"Alpha", "Beta", "Gamma"};
  CHECK(LvTexts(list) == expected);
  for (int i = 0; i < 3; ++i) {
    const auto item = LvGet(list, i);
    REQUIRE(item.has_value());
    CHECK_EQ(item->image, i);
    CHECK(!item->selected());
  }
  CHECK(LvSelected(list).empty());
  CHECK(LvSelect(list, 1));
  CHECK(LvSelected(list) == std::vector<int>{1});
  CHECK(LvGet(list, 1)->selected());
  CHECK(LvSelect(list, -1));
  CHECK(LvSelected(list).empty());
  const auto rect = LvItemRect(list, 2);
  REQUIRE(rect.has_value());
  CHECK_EQ(LvHitTest(list, POINT{(rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2}), 2);
}

CASE(DoubleClicksReachTheListView) {
  Started probe = StartProbe();
  HWND list = ChildById(probe.window, kList);
  CHECK(DoubleClickLvItem(list, 2));
  CHECK(EventSeen(probe.window, "dblclk:2"));
  CHECK(DoubleClickLvEmpty(list));
  CHECK(EventSeen(probe.window, "dblclk:-1"));
}

CASE(KeysReachTheProgram) {
  Started probe = StartProbe();
  HWND list = ChildById(probe.window, kList);
  PostKey(list, VK_DELETE);
  CHECK(EventSeen(probe.window, "lvkey:46"));
  CHECK(PressKey(list, VK_INSERT));
  CHECK(EventSeen(probe.window, "lvkey:45"));
  CHECK(PressKey(list, VK_F1));
  CHECK(EventSeen(probe.window, "help"));
  HWND edit = ChildById(probe.window, kEdit);
  CHECK(PressKey(edit, 'N', {VK_SHIFT}));
  CHECK(PressKey(edit, 'X'));
  WaitUntil([&] { return Text(edit) == "Nx"; }, 5000);
  CHECK_EQ(Text(edit), "Nx");
}

CASE(FindsAndAnswersModalDialogs) {
  Started probe = StartProbe();
  Click(ChildById(probe.window, kAsk));
  HWND dialog = probe.process.WaitDialog("Probe question");
  REQUIRE(dialog != nullptr);
  CHECK_EQ(ClassOf(dialog), "#32770");
  CHECK(FindDialog(probe.process.pid()) == dialog);
  CHECK(ChildByText(dialog, "Static", "Continue?") != nullptr);
  CHECK(ButtonByCaption(dialog, "Yes") != nullptr);
  HWND no = ButtonByCaption(dialog, "&No");
  REQUIRE(no != nullptr);
  Click(no);
  CHECK(WaitUntil([&] { return Text(ChildById(probe.window, kAnswer)) == "answer=7"; }, 5000));
  CHECK(WaitUntil([&] { return FindDialog(probe.process.pid(), "Probe question") == nullptr; }, 5000));
}

CASE(ClosesThroughTheSystemMenu) {
  Started probe = StartProbe();
  CloseBySystemMenu(probe.window);
  const auto code = probe.process.WaitExit();
  REQUIRE(code.has_value());
  CHECK_EQ(*code, 3u);
  CHECK(!IsWindow(probe.window));
}

CASE(EndsWhatItStartedWhenTheTestEnds) {
  const std::string victim = ScratchFolder() + "\\winword.exe";
  REQUIRE(CopyFileA(BesideMe("victim.exe").c_str(), victim.c_str(), FALSE));
  HANDLE watched = nullptr;
  DWORD pid = 0;
  {
    StartOptions windowless;
    windowless.idleMs = 0;
    Process process = Start(victim, windowless);
    REQUIRE(process);
    pid = process.pid();
    watched = OpenProcess(SYNCHRONIZE, FALSE, pid);
    REQUIRE(watched != nullptr);
    CHECK(WaitStartedUp(process));
    CHECK(process.Windows(false).empty());
    const auto named = ProcessesNamed("WINWORD.EXE");
    CHECK(std::find(named.begin(), named.end(), pid) != named.end());
  }
  CHECK_EQ(WaitForSingleObject(watched, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(watched);

  // A detached process outlives its object.
  StartOptions windowless;
  windowless.idleMs = 0;
  Process kept = Start(victim, windowless);
  REQUIRE(kept);
  const DWORD keptPid = kept.pid();
  kept.Detach();
  kept = Process();
  HANDLE again = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, keptPid);
  REQUIRE(again != nullptr);
  CHECK_EQ(WaitForSingleObject(again, 300), static_cast<DWORD>(WAIT_TIMEOUT));
  TerminateProcess(again, 0);
  CloseHandle(again);
}

CASE(MarkerRecordsItsStart) {
  const std::string folder = ScratchFolder() + "\\markers";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string marker = folder + "\\Excel.EXE";
  REQUIRE(CopyFileA(BesideMe("marker.exe").c_str(), marker.c_str(), FALSE));
  DeleteFileA((folder + "\\marker.log").c_str());
  const DWORD before = GetTickCount();
  Process first = Start(marker, "/x \"y z\"");
  REQUIRE(first);
  REQUIRE_EQ(first.WaitExit().value_or(99), 0u);
  Process second = Start(marker, "second");
  REQUIRE_EQ(second.WaitExit().value_or(99), 0u);
  const DWORD after = GetTickCount();

  std::istringstream lines(FileBytes(folder + "\\marker.log"));
  std::string line;
  std::vector<std::string> got;
  while (std::getline(lines, line)) got.push_back(line);
  REQUIRE_EQ(got.size(), 2u);
  unsigned long ticks = 0, pid = 0;
  char rest[1024] = "";
  REQUIRE_EQ(std::sscanf(got[0].c_str(), "%lu\t%lu\t%1023[^\r]", &ticks, &pid, rest), 3);
  CHECK(ticks >= before && ticks <= after);
  CHECK_EQ(pid, first.pid());
  CHECK_EQ(std::string(rest), QuoteArg(marker) + " /x \"y z\"");
  CHECK(got[1].size() > 8 && got[1].substr(got[1].size() - 8) == " second\r");

  // The variable names another file; with NORVANEX_MARKER_STAY the marker keeps running.
  StartOptions staying;
  staying.env = {{"NORVANEX_MARKER", folder + "\\other.log"}, {"NORVANEX_MARKER_STAY", "1"}};
  Process stays = Start(marker, staying);
  REQUIRE(stays);
  CHECK(WaitUntil([&] { return !FileBytes(folder + "\\other.log").empty(); }, 5000));
  CHECK(stays.Running());
}

CASE(RunsHostCommands) {
  std::string output;
  const auto status = RunHost("echo from the host; exit 3", &output);
  REQUIRE(status.has_value());
  CHECK_EQ(*status, 3);
  CHECK_EQ(output, "from the host\n");
  CHECK_EQ(UnixPath("Z:\\tmp\\x y"), "/tmp/x y");
}

CASE(TakesScreenshots) {
  Started probe = StartProbe();
  const std::string whole = Screenshot("bench-desktop");
  REQUIRE(!whole.empty());
  const std::string window = Screenshot("bench-probe", probe.window);
  REQUIRE(!window.empty());

  // What the PNG holds must be what was captured: ImageMagick on the host decodes it independently.
  const RECT frame = ScreenRect(probe.window);
  const Image image = Capture(frame);
  CHECK_EQ(image.width, frame.right - frame.left);
  const int colors = image.DistinctColors();
  CHECK(colors > 8);  // a title bar, controls and text, not a blank rectangle
  const std::string path = ScreenshotFolder() + "\\bench-capture.png";
  REQUIRE(SavePng(image, path));
  std::string identified;
  const auto status = RunHost("identify -format '%m %w %h %k' '" + UnixPath(path) + "'", &identified);
  REQUIRE(status.has_value());
  CHECK_EQ(*status, 0);
  CHECK_EQ(identified, "PNG " + std::to_string(image.width) + " " + std::to_string(image.height) + " " +
                           std::to_string(colors));
  std::string desktop;
  RunHost("identify -format '%m %w %h' '" + UnixPath(whole) + "'", &desktop);
  CHECK_EQ(desktop, "PNG " + std::to_string(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + " " +
                        std::to_string(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
}
