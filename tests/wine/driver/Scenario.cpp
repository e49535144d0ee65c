// The program's windows, the help viewer, the marker's record and the victims as the scenarios share them.
#include "driver/Scenario.h"

#include <cctype>

#include "app/Shortcut_win.h"
#include "driver/Check.h"

namespace driver {
namespace {

StartOptions InLocale(const std::string& lcAll) {
  StartOptions options;
  options.lcAll = lcAll;
  return options;
}

}  // namespace

Editor::Editor(const std::string& lcAll, const std::string& caption) : Editor(InLocale(lcAll), caption) {}

Editor::Editor(const StartOptions& options, const std::string& caption, const std::string& exe)
    : process(Start(exe, options)), main(process.WaitWindow(kTimeout, caption)) {
  if (!main) check::Log("no editor \"" + caption + "\" " + process.error());
  REQUIRE(main != nullptr);
}

Editor::~Editor() {
  if (main && IsWindow(main)) {
    CloseBySystemMenu(main);
    process.WaitExit(5000);
  }
}

std::vector<bool> Editor::Buttons() const {
  using namespace norvanex;
  return {Enabled(Get(kBitBtn1)), Enabled(Get(kBitBtn3)), Enabled(Get(kBitBtn6))};
}

POINT Editor::CenterIn(HWND control) const {
  POINT at = CenterOnScreen(control);
  ScreenToClient(main, &at);
  return at;
}

bool Editor::DropOnList(const std::vector<std::string>& files) const {
  return DropFiles(main, CenterIn(List()), files);
}

bool Editor::DropOnImage(const std::vector<std::string>& files) const {
  return DropFiles(main, CenterIn(Get(norvanex::kProgImg)), files);
}

HWND Editor::OpenChooser(HWND* tasks) const {
  PostMessageA(main, WM_COMMAND, norvanex::kSelectTask, 0);
  HWND chooser = process.WaitDialog("Choose tasks to kill");
  *tasks = chooser ? WaitListRows(chooser) : nullptr;
  return *tasks ? chooser : nullptr;
}

bool Editor::Close() const {
  CloseBySystemMenu(main);
  return process.WaitExit().has_value();
}

bool Editor::WaitSettled() const {
  const DWORD pid = process.pid();
  return WaitUntil([&] {
           return HasTipWindow(pid) && GetForegroundWindow() == GetLastActivePopup(main) && !ShownTip(pid);
         }) &&
         WaitPainted(main);
}

HWND ResultWindow(const Process& run) {
  HWND result = run.WaitWindow(kTimeout, kResultCaption);
  if (!result) check::Log("no result window: " + run.error());
  REQUIRE(result != nullptr);
  return result;
}

std::string LoopingShortcuts() {
  const std::string loopA = ScratchFolder() + "\\loopA.lnk", loopB = ScratchFolder() + "\\loopB.lnk";
  REQUIRE(norvanex::CreateShortcut(loopB, "", loopA, "", ""));
  REQUIRE(norvanex::CreateShortcut(loopA, "", loopB, "", ""));
  return loopA;
}

Process StartKillRun(const std::string& args, const std::string& lcAll, bool markersStay) {
  DeleteFileA(MarkerFile().c_str());
  StartOptions options = MarkerOptions(lcAll, args);
  if (markersStay) options.env.push_back({"NORVANEX_MARKER_STAY", "1"});
  Process norvanex = Start(NorvanexExe(), options);
  if (!norvanex.error().empty()) check::Log("start failed: " + norvanex.error());
  return norvanex;
}

bool PressOk(const Process& run, HWND result) {
  Click(ChildById(result, norvanex::kBitBtn1));
  return run.WaitExit().has_value();
}

bool ConfirmTitledDialog(const Process& process, const std::string& title, const std::string& name,
                         const std::string& screenshot, bool closes) {
  HWND dialog = process.WaitDialog(title);
  if (!CHECK(dialog != nullptr)) return false;
  HWND field = FileNameField(dialog);
  if (!CHECK(field != nullptr) || !CHECK(SetText(field, name))) return false;
  if (!screenshot.empty()) {
    BringToFront(dialog);
    CHECK(WaitPainted(dialog) && WaitCaretOff(dialog));  // the dialog paints its controls over a while
    CHECK(!Screenshot(screenshot, dialog).empty());
  }
  Click(ChildById(dialog, IDOK));
  return !closes || CHECK(WaitUntil([&] { return !IsWindow(dialog); }));
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

HWND ViewerWindow() {
  for (DWORD pid : ProcessesNamed("winhlp32.exe")) {
    if (HWND w = FindTopWindow(pid, "", "MS_WINHELP")) return w;
  }
  return nullptr;
}

std::string ViewerTopicText(HWND viewer) {
  HWND text = ChildByText(viewer, "RichEdit20A", "");
  return text ? Text(text) : std::string();
}

void CloseViewers() {
  for (DWORD pid : ProcessesNamed("winhlp32.exe")) {
    for (HWND w : TopWindows(pid)) CloseBySystemMenu(w);
  }
  CHECK(WaitUntil([] { return ProcessesNamed("winhlp32.exe").empty(); }));
}

std::string MarkerFile() { return ScratchFolder() + "\\marker.log"; }

std::vector<std::string> MarkerLines() { return FileLines(MarkerFile()); }

StartOptions MarkerOptions(const std::string& lcAll, const std::string& args) {
  StartOptions options = InLocale(lcAll);
  options.args = args;
  options.env = {{"NORVANEX_MARKER", MarkerFile()}};
  return options;
}

DWORD TickOf(const std::string& markerLine) { return std::stoul(markerLine.substr(0, markerLine.find('\t'))); }

void WaitOutStartTimer(DWORD since) {
  const DWORD passed = GetTickCount() - since;
  if (passed < kStartTimerMs + kMarkerWritesMs) Sleep(kStartTimerMs + kMarkerWritesMs - passed);
}

std::vector<DWORD> StartVictims(const std::string& exe, int count, int others) {
  std::vector<DWORD> pids = StartWindowless(exe, count, others);
  REQUIRE(!pids.empty());
  return pids;
}

Process StartCp932Victim(const Cp932Name& name, const StartOptions& japanese) {
  const std::string folder = ScratchFolder(), victim = BesideMe("victim.exe");
  const std::wstring copy = std::wstring(folder.begin(), folder.end()) + L"\\" + name.wide;  // the folder is ASCII
  REQUIRE(CopyFileW(std::wstring(victim.begin(), victim.end()).c_str(), copy.c_str(), FALSE));
  Process started = Start(folder + "\\" + name.cp932, japanese);
  REQUIRE_EQ(started.error(), "");
  REQUIRE(WaitStartedUp(started));
  return started;
}

HWND CheckPlace(HWND window, int id, int left, int top, int width, int height) {
  HWND control = ChildById(window, id);
  if (!CHECK(control != nullptr)) return nullptr;
  const RECT r = RectInParent(control);
  CHECK_EQ(r.left, left);
  CHECK_EQ(r.top, top);
  if (width > 0) {
    CHECK_EQ(r.right - r.left, width);
    CHECK_EQ(r.bottom - r.top, height);
  }
  return control;
}

LeaveNoVictims::~LeaveNoVictims() {
  for (const std::string& ended : EndProcessesNotIn(before)) check::Log("cleaned up " + ended);
}

}  // namespace driver
