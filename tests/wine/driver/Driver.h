// The end-to-end test driver: starts Win32 programs on the bench's Wine desktop, finds and reads their
// windows across processes, presses buttons and keys, and takes screenshots.
//
// The driver runs inside the bench (tests/wine/bench/bench.sh run), on the same virtual desktop as
// the programs it drives; a window on another desktop is invisible to it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace driver {

constexpr DWORD kTimeout = 10000;  // default wait, in milliseconds

// ---- Paths -------------------------------------------------------------------------------------

std::string ModuleFolder();                     // folder of this test program, no trailing backslash
std::string BesideMe(const std::string& name);  // ModuleFolder() + "\" + name
std::string NorvanexExe();                      // BesideMe("Norvanex.exe")
std::string ScreenshotFolder();                 // <build>\screenshots (created on demand)
std::string ScratchFolder();  // an empty folder of this test program inside the prefix's TEMP
std::string UnixPath(const std::string& windowsPath);  // through Wine's own mapping
// The non-empty lines of a text file (a helper program's record), without their CR; none when the
// file is missing.
std::vector<std::string> FileLines(const std::string& path);
std::string FileBytes(const std::string& path);  // the whole file; empty when it is missing

// Quotes one argument by the rules CommandLineToArgvW and the C runtime read it back with.
std::string QuoteArg(const std::string& arg);

// ---- Processes ---------------------------------------------------------------------------------

struct StartOptions {
  std::string args;         // the command-line tail: "<quoted exe> <args>" is the command line
  std::string commandLine;  // when not empty, the whole command line, exactly (args is ignored)
  std::string lcAll;        // LC_ALL for the program, e.g. "de_CH.UTF-8"; empty: the bench's C.UTF-8
                            // (country 1). See Start() for how it gets there.
  std::string workDir;      // empty: this test program's current folder
  std::vector<std::pair<std::string, std::string>> env;  // variables added or replaced
  // When not empty, the program's standard error goes into this file, where Wine writes its debug
  // channels (WINEDEBUG in env): the program is started through the launcher (see Start()), whose
  // Unix process has it as its descriptor 2; the launcher writes there too.
  std::string stderrPath;
  // Start returns once the program waits for input (WaitForInputIdle), has ended, or idleMs passed.
  // A program that never reads messages (victim.exe, marker.exe) never gets idle: pass 0.
  DWORD idleMs = 5000;
};

// A program the driver started. When the object goes away while the program still runs, the
// program is terminated (only this one; what it started in turn is ended when the test program
// ends, see CheckMain.cpp, or at the latest by the bench's teardown).
class Process {
 public:
  Process() = default;
  Process(HANDLE handle, DWORD pid, std::string commandLine);
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  explicit operator bool() const { return handle_ != nullptr; }
  DWORD pid() const { return pid_; }
  HANDLE handle() const { return handle_; }
  const std::string& commandLine() const { return commandLine_; }
  const std::string& error() const { return error_; }  // why Start failed

  bool Running() const;
  // The exit code, or nothing when the program still runs after timeoutMs.
  std::optional<DWORD> WaitExit(DWORD timeoutMs = kTimeout) const;
  void Terminate(UINT exitCode = 1);
  // Leaves the program running when this object goes away.
  void Detach();

  // Top-level windows of the program (all, or only the visible ones).
  std::vector<HWND> Windows(bool visibleOnly = true) const;
  // The first visible top-level window (with that exact caption, when one is given); nullptr on
  // timeout or when the program ends first.
  HWND WaitWindow(DWORD timeoutMs = kTimeout, const std::string& caption = "") const;
  // A visible dialog of the program (see FindDialog).
  HWND WaitDialog(const std::string& title = "", DWORD timeoutMs = kTimeout) const;

  static Process Failed(std::string why);

 private:
  void Close();

  HANDLE handle_ = nullptr;
  DWORD pid_ = 0;
  bool detached_ = false;
  std::string commandLine_;
  std::string error_;
};

// Starts exe. Without lcAll the program is created directly with CreateProcess. Wine does not take a
// child's locale from its environment block (the child inherits the parent's Unix locale), so with
// lcAll the driver starts `/usr/bin/env LC_ALL=<lcAll> wine launcher.exe REQUEST` as a Unix process, and
// the launcher (beside this program) creates the program with the exact command line and hands its
// process handle back. Either way the command line arrives byte for byte.
Process Start(const std::string& exe, const StartOptions& options = {});
Process Start(const std::string& exe, const std::string& args);

// Options that start a program under a locale that the host lacks (ja_JP.UTF-8 for code page 932):
// made with localedef into the scratch folder and found through LOCPATH. Empty lcAll when making
// it failed.
StartOptions GeneratedLocale(const std::string& locale, const std::string& charmap = "UTF-8");

// A copy of a helper program beside this one, under another name, in ScratchFolder(); its path.
std::string CopyToScratch(const std::string& helper, const std::string& name);
// Starts count copies of a windowless program (victim.exe and its copies), each once its start-up
// is over (its ready event), leaves them running, and waits until ToolHelp lists them besides
// `alreadyRunning` others of that name. The pids of that name then running; empty when a start
// failed or they did not appear.
std::vector<DWORD> StartWindowless(const std::string& exe, int count, int alreadyRunning = 0);
// Waits until a windowless program (victim.exe and its copies) has set its ready event, its
// start-up over; false when it ended first or did not get there in time.
bool WaitStartedUp(const Process& victim);

// Processes whose executable file name (not path) equals name, ignoring case (ToolHelp).
std::vector<DWORD> ProcessesNamed(const std::string& name);
// Whether the process with this id still runs (false when it cannot be opened).
bool PidRunning(DWORD pid);

struct ProcessEntry {
  DWORD pid;
  std::string name;  // file name as ToolHelp gives it
};
std::vector<ProcessEntry> AllProcesses();
// Terminates every process that is not in before, except this one and Wine's own services
// (services.exe, explorer.exe, rpcss.exe, ...); returns "name (pid)" of each one ended.
std::vector<std::string> EndProcessesNotIn(const std::vector<ProcessEntry>& before);

// ---- Windows: finding --------------------------------------------------------------------------

std::vector<HWND> TopWindows(DWORD pid, bool visibleOnly = true);
// A visible top-level window of pid (any pid when 0) with this caption and/or class ("" = any).
HWND FindTopWindow(DWORD pid, const std::string& caption, const std::string& className = "");
// Every descendant of parent, in the order EnumChildWindows gives.
std::vector<HWND> Children(HWND parent);
// The descendant with this control id (direct children first), or nullptr.
HWND ChildById(HWND parent, int id);
// The first descendant with this class and text ("" = any); text compares with '&' removed.
HWND ChildByText(HWND parent, const std::string& className, const std::string& text);

// A visible dialog of pid: a #32770 window with this title (any title when ""), or else any
// top-level window with this exact title.
HWND FindDialog(DWORD pid, const std::string& title = "");
HWND WaitDialog(DWORD pid, const std::string& title = "", DWORD timeoutMs = kTimeout);
// The button of a dialog whose caption, with '&' removed, equals caption with '&' removed.
HWND ButtonByCaption(HWND dialog, const std::string& caption);

// ---- Windows: reading --------------------------------------------------------------------------

std::string Text(HWND hwnd);  // WM_GETTEXT through SendMessageTimeout (works across processes)
std::wstring TextW(HWND hwnd);  // the same in UTF-16, for names the ANSI code page cannot hold
std::string ClassOf(HWND hwnd);
DWORD PidOf(HWND hwnd);
RECT RectInParent(HWND hwnd);  // in the parent's client coordinates (screen for a top-level)
RECT ScreenRect(HWND hwnd);
SIZE ClientSize(HWND hwnd);
bool Visible(HWND hwnd);  // IsWindowVisible: the window and all its ancestors have WS_VISIBLE
bool Enabled(HWND hwnd);
// The control of the window's thread that has the keyboard focus.
HWND FocusOf(HWND window);
// The mnemonic letter of each visible child that has one ("&Insert" gives 'I'), upper case, in child order.
std::string Mnemonics(HWND window);
LONG Style(HWND hwnd);
LONG ExStyle(HWND hwnd);
bool Topmost(HWND hwnd);
int CheckState(HWND button);  // BM_GETCHECK: BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE
// The tooltip text ("hint") of a control: searched in every tooltips_class32 window of the control's
// process, for a tool whose uId is the control (TTF_IDISHWND) or whose hwnd is the control. Read with
// TTM_GETTEXTW through memory inside that process (Wine marshals no tooltip message), converted to
// the ANSI code page. Nothing when no tool covers the control. Waits up to 3 s for the tips' window,
// which the program makes half a second after its window appears.
std::optional<std::string> Hint(HWND control);

// The text of the tooltip that pid shows now (a visible tooltips_class32 window), or nothing.
std::optional<std::string> ShownTip(DWORD pid);
// Whether pid has made a tooltip window yet, shown or not.
bool HasTipWindow(DWORD pid);

// ---- List views (structures placed inside the list view's process) -----------------------------

struct LvItem {
  std::string text;
  int image = -1;
  UINT state = 0;  // LVIS_SELECTED, LVIS_FOCUSED, ...
  bool selected() const { return (state & LVIS_SELECTED) != 0; }
};

int LvCount(HWND lv);
// The first list view inside dialog once it holds a row, or nullptr when none does in time.
HWND WaitListRows(HWND dialog, DWORD timeoutMs = kTimeout);
int LvColumnCount(HWND lv);
std::optional<LvItem> LvGet(HWND lv, int item, int subItem = 0);
std::string LvText(HWND lv, int item, int subItem = 0);
std::wstring LvTextW(HWND lv, int item);  // LVM_GETITEMTEXTW: the text as the list holds it
std::vector<std::string> LvTexts(HWND lv, int subItem = 0);  // every item's text
std::vector<int> LvSelected(HWND lv);
bool LvChecked(HWND lv, int item);  // its check box (state image 2) ticked
bool LvSelect(HWND lv, int item);  // selects and focuses item, deselects the rest (-1: none)
// An item's rectangle in the list view's client coordinates (LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL).
std::optional<RECT> LvItemRect(HWND lv, int item, int part = LVIR_LABEL);
int LvHitTest(HWND lv, POINT client);  // the item at a client point, -1 for none
// The middle of an item's part (LVIR_LABEL, LVIR_ICON, ...) on the screen.
std::optional<POINT> LvItemOnScreen(HWND lv, int item, int part = LVIR_LABEL);

// ---- Acting ------------------------------------------------------------------------------------

// Posts BM_CLICK and returns at once (a sent click would wait out a modal dialog it opens).
void Click(HWND button);
// True once the window's thread has handled what was sent to it before (WM_NULL through
// SendMessageTimeout): a handler that was running, a modal loop that returned, is over.
bool Answers(HWND window, DWORD timeoutMs = kTimeout);
// Sends BM_CLICK; true when the button's process handled it within timeoutMs.
bool ClickAndWait(HWND button, DWORD timeoutMs = kTimeout);
bool SetText(HWND hwnd, const std::string& text);  // WM_SETTEXT
bool SetText(HWND hwnd, const std::wstring& text);  // WM_SETTEXT in UTF-16
// Closes a top-level window through its system menu command (posts WM_SYSCOMMAND SC_CLOSE).
void CloseBySystemMenu(HWND top);
// The file-name field of a common open or save dialog (the Edit with id 0x47C), or nullptr.
HWND FileNameField(HWND dialog);
// DropFiles for a drop that opens a modal window (a message): posted, it returns at once, and the
// block is left to the target's process.
bool PostDropFiles(HWND target, POINT client, const std::vector<std::string>& files);
// Posts WM_KEYDOWN/WM_KEYUP to target. Reaches LVN_KEYDOWN and IsDialogMessage, not WM_HELP.
void PostKey(HWND target, UINT vk);
// Real input: brings target's window to the front, gives target the focus (AttachThreadInput +
// SetFocus), then SendInput with modifiers held (extended-key flag where the key needs it: Ins,
// Del, arrows, ...). The only way F1 becomes WM_HELP. False when target did not get the focus.
bool PressKey(HWND target, UINT vk, std::initializer_list<UINT> modifiers = {});
// Real typing: gives target the focus as PressKey does, then sends each character of text as a
// key press of its own (KEYEVENTF_UNICODE). False when target did not get the focus.
bool TypeText(HWND target, const std::wstring& text);
// Real input to whatever has the keyboard now (a menu's own loop, an open dialog): down and up,
// with modifiers held.
void SendKey(UINT vk, std::initializer_list<UINT> modifiers = {});
// Brings a top-level window to the front (SetForegroundWindow); true when it is the foreground.
bool BringToFront(HWND top);
// Real mouse input at a screen point; false when the point is not inside expect's window (given
// as a window or any of its descendants) after bringing expect's top-level to the front.
bool MouseClick(POINT screen, HWND expect = nullptr);
bool MouseDoubleClick(POINT screen, HWND expect = nullptr);
// Real mouse movement to a screen point, no button (as MouseClick checks the point).
bool MouseMove(POINT screen, HWND expect = nullptr);
// Rests the mouse on `at` as a hand does until pid shows the tip that starts with `expected`:
// it comes from `away`, a place without a tip, so that the tip comes up anew (a tool the mouse
// never left shows its tip once), and moves a pixel now and then. The tip shown at the end.
std::optional<std::string> HoverForTip(DWORD pid, HWND expect, POINT away, POINT at, const std::string& expected);
POINT CenterOnScreen(HWND hwnd);
// Real double-click on the middle of an item's label, or on list space that holds no item.
bool DoubleClickLvItem(HWND lv, int item);
bool DoubleClickLvEmpty(HWND lv);
// Posts WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP at a client point.
void PostDoubleClick(HWND hwnd, POINT client);
// Real mouse: presses the left button at `from` (inside expect's window, as MouseClick checks),
// moves to `to` in steps with the button held, and lets it go there. False when expect's top-level
// window did not take the drag (hold the mouse) within 3 s of the first move; the button is then
// let go where it was pressed. `beforeRelease`, when given, runs at `to` with the button still held.
bool MouseDrag(POINT from, POINT to, HWND expect = nullptr, const std::function<void()>& beforeRelease = {});
// Files dropped from the shell onto `target`: a DROPFILES block (ANSI names) built inside the
// target's process, delivered as WM_DROPFILES to its top-level window with the drop point in that
// window's client coordinates. True when the window handled the message.
bool DropFiles(HWND target, POINT client, const std::vector<std::string>& files);
// The same with the names in UTF-16 (DROPFILES with fWide), as the shell drops them.
bool DropFiles(HWND target, POINT client, const std::vector<std::wstring>& files);
bool PostDropFiles(HWND target, POINT client, const std::vector<std::wstring>& files);
// Types `text` into the file-name box of a common open or save dialog and presses its OK button.
bool ConfirmFileDialog(HWND dialog, const std::string& text);
bool ConfirmFileDialog(HWND dialog, const std::wstring& text);

// ---- Waiting -----------------------------------------------------------------------------------

// Polls cond every stepMs until it is true (returns true) or timeoutMs passed (returns false).
template <class Cond>
bool WaitUntil(Cond&& cond, DWORD timeoutMs = kTimeout, DWORD stepMs = 20) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (GetTickCount() - start >= timeoutMs) return cond();
    Sleep(stepMs);
  }
}

// Waits until a window's picture on the screen has stayed the same for quietMs: its painting is
// over, also what a window paints a while after it appeared. False when it kept changing.
bool WaitPainted(HWND window, DWORD quietMs = 300, DWORD timeoutMs = kTimeout);
// Waits for the off phase of the caret that the window's thread shows (it blinks at
// GetCaretBlinkTime), so that a picture holds no caret; true at once when there is none.
bool WaitCaretOff(HWND window);

// ---- Screenshots -------------------------------------------------------------------------------

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // top row first, 3 bytes a pixel
  std::uint32_t Pixel(int x, int y) const;  // 0xRRGGBB
  int DistinctColors(int stopAt = 1 << 24) const;
};

// Copies a screen rectangle (the virtual desktop, title bars included) from the screen DC.
Image Capture(const RECT& screenRect);
Image CaptureScreen();
bool SavePng(const Image& image, const std::string& path);
// Captures the whole screen, or one window with its frame as far as the screen shows it, into
// ScreenshotFolder()\NAME.png;
// returns the PNG's path, empty on failure.
std::string Screenshot(const std::string& name);
std::string Screenshot(const std::string& name, HWND window);

// ---- Bench settings ----------------------------------------------------------------------------

// Sets Wine's screen DPI (HKCU\Control Panel\Desktop LogPixels) for programs started from now on,
// and puts the previous value back when it goes away. Wine reads it when a process starts.
class DpiScope {
 public:
  explicit DpiScope(int dpi);
  ~DpiScope();
  DpiScope(const DpiScope&) = delete;
  DpiScope& operator=(const DpiScope&) = delete;

 private:
  std::optional<DWORD> previous_;
};
int BenchDpi();  // LogPixels as set now (96 when the value is missing)
// Sends `top` WM_DPICHANGED as Windows does when it moves to a monitor of `dpi` (Wine cannot move
// a window between monitors of their own scales): the suggested rectangle lies in the screen's top
// left corner, the window's frame and client area grown from `fromDpi` to `dpi`, as far on the
// screen as it goes. False when the message could not be sent.
bool SendDpiChanged(HWND top, int fromDpi, int dpi);

// A high-contrast black scheme for programs started from now on: its system colours written to
// HKCU\Control Panel\Colors (Wine reads them when a process starts) and the high-contrast flag
// set (SPI_SETHIGHCONTRAST); both put back when it goes away. flagSet() says whether this Wine
// took the flag.
class HighContrastScope {
 public:
  HighContrastScope();
  ~HighContrastScope();
  HighContrastScope(const HighContrastScope&) = delete;
  HighContrastScope& operator=(const HighContrastScope&) = delete;
  bool flagSet() const { return flagSet_; }

 private:
  struct Saved {
    std::string name;
    std::optional<std::string> value;
  };
  std::vector<Saved> saved_;
  bool flagSet_ = false;
};
bool HighContrastOnNow();  // SPI_GETHIGHCONTRAST as this process reads it
bool SetBenchDpi(int dpi);

// Hands what the shell opens for some classes to marker.exe instead of a browser or mail program:
// sets HKEY_CLASSES_ROOT\\<class>\\shell\\open\\command to `"<marker.exe>" "%1"` for each URL
// scheme or class ("https", "mailto", ...); an extension (".html") is pointed at a class of the
// recorder's own that does the same. Everything is put back when it goes away. Programs started
// with NORVANEX_MARKER in their environment pass it on to what they open, so the marker writes the
// opened target into that file.
class ShellOpenRecorder {
 public:
  explicit ShellOpenRecorder(std::initializer_list<const char*> classes);
  ~ShellOpenRecorder();
  ShellOpenRecorder(const ShellOpenRecorder&) = delete;
  ShellOpenRecorder& operator=(const ShellOpenRecorder&) = delete;
  bool ok() const { return ok_; }

 private:
  struct Saved {
    std::string key;  // under HKEY_CLASSES_ROOT; its default value
    bool existed;
    std::string value;
  };
  void Set(const std::string& key, const std::string& value);
  std::vector<Saved> saved_;
  bool ok_ = true;
};

// Under Wine every program file shows the shell's icon for unknown files. Files of the type ".nvxicon"
// get an icon of their own (a DefaultIcon in HKEY_CLASSES_ROOT) for as long as this lives, for
// tests that need an entry whose icon differs from the others.
class OwnIconType {
 public:
  static constexpr const char* kExtension = ".nvxicon";
  OwnIconType();
  ~OwnIconType();
  OwnIconType(const OwnIconType&) = delete;
  OwnIconType& operator=(const OwnIconType&) = delete;
};

// ---- The host ----------------------------------------------------------------------------------

// Runs a /bin/sh command on the Linux host (Wine starts Unix executables for CreateProcess) and
// waits for it; returns its exit status and, when output is given, what it printed (stdout and
// stderr). Nothing on timeout or when it could not start.
std::optional<int> RunHost(const std::string& shellCommand, std::string* output = nullptr,
                           DWORD timeoutMs = 60000);

// ---- What a screen reader reads (MSAA, oleacc) -----------------------------------------------

// The accessible name of a window's object (OBJID_CLIENT: the control itself, or a child of it
// such as a list's row, 1-based) as oleacc's proxies answer it; nothing where they answer nothing.
std::optional<std::wstring> AccessibleName(HWND window, LONG objectId = OBJID_CLIENT, LONG child = CHILDID_SELF);
// Its state (STATE_SYSTEM_...).
std::optional<LONG> AccessibleState(HWND window, LONG objectId = OBJID_CLIENT, LONG child = CHILDID_SELF);

// ---- Memory inside another process --------------------------------------------------------------

// A block allocated inside the process of a window, for messages whose pointers Wine does not
// marshal between processes (LVM_GETITEM, TTM_GETTEXT, ...).
class RemoteMemory {
 public:
  RemoteMemory(HWND windowOfProcess, size_t size);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  explicit operator bool() const { return base_ != nullptr; }
  // The address inside the other process, offset bytes into the block.
  void* At(size_t offset = 0) const { return static_cast<char*>(base_) + offset; }
  bool Write(size_t offset, const void* data, size_t size);
  bool Read(size_t offset, void* data, size_t size) const;
  // Leaves the block to the other process: it is not freed when this object goes away.
  void Release() { base_ = nullptr; }

 private:
  HANDLE process_ = nullptr;
  void* base_ = nullptr;
  size_t size_ = 0;
};

}  // namespace driver
