// What the scenarios share above the driver: the editor, the result window and the program's file
// dialogs, the help viewer, the marker's record of what a program started, and windowless victims
// started and cleaned up again.
#pragma once

#include "driver/Driver.h"

#include <string>
#include <vector>

#include "app/MainLayout.h"

namespace driver {

constexpr char kEditorCaptionEn[] = "Norvanex 4.3 - New Shortcut";
constexpr char kEditorCaptionDe[] = "Norvanex 4.3 - Neue Verknüpfung";

// Norvanex.exe (or a copy: exe) started without parameters, as a user starts it, and its window,
// required to appear with that caption in time. When the object goes away, a still open editor is
// closed by its close box; one that does not end then is terminated.
class Editor {
 public:
  explicit Editor(const std::string& lcAll = "", const std::string& caption = kEditorCaptionEn);
  Editor(const StartOptions& options, const std::string& caption, const std::string& exe = NorvanexExe());
  ~Editor();
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  HWND Get(norvanex::MainControl id) const { return ChildById(main, id); }
  HWND List() const { return Get(norvanex::kListView1); }
  int Entries() const { return LvCount(List()); }
  // Buttons Create, Delete, Remove, as enabled now.
  std::vector<bool> Buttons() const;
  // The centre of a control in the main window's client coordinates.
  POINT CenterIn(HWND control) const;
  // Files dropped from the shell onto the list, or onto the program image.
  bool DropOnList(const std::vector<std::string>& files) const;
  bool DropOnImage(const std::vector<std::string>& files) const;
  // Insert from the task list (the menu's command): the chooser once its list holds a row, that
  // list in *tasks; nullptr when it did not come.
  HWND OpenChooser(HWND* tasks) const;
  // Closes the editor by its close box; true when it ended.
  bool Close() const;
  // Waits for the picture a user sees: the bring-to-front timer (Timer2, half a second after the
  // window appeared) has put the window or its open box in front and made the tips, no tip shows,
  // and the painting is over.
  bool WaitSettled() const;

  Process process;
  HWND main = nullptr;
};

// Norvanex.exe started with a call line, as a shortcut starts it, in a locale ("": the bench's),
// passing the marker's file on (MarkerOptions), which is emptied first; with markersStay, markers
// it starts stay running. A start that failed is logged.
Process StartKillRun(const std::string& args, const std::string& lcAll = "", bool markersStay = false);

// The result window of a kill run, required to appear in time.
constexpr char kResultCaption[] = "Norvanex 4.3";
HWND ResultWindow(const Process& run);
// Presses the result window's OK (BitBtn1); true when the run then ended.
bool PressOk(const Process& run, HWND result);

// Types a name into the file dialog titled `title` of a process and confirms it with OK; with a
// screenshot name, the dialog is pictured first, once painted. Unless `closes`, the dialog is
// expected to stay open for a question of the program.
bool ConfirmTitledDialog(const Process& process, const std::string& title, const std::string& name,
                         const std::string& screenshot = "", bool closes = true);

std::string Lower(std::string text);  // ASCII letters in lower case

// Two shortcuts in ScratchFolder() that lead to each other, loopA.lnk and loopB.lnk (required to
// be made): a chain that the shell's own resolver would follow until its stack runs out. The path
// of loopA.lnk.
std::string LoopingShortcuts();

// ---- The help viewer (Wine's winhlp32) ----------------------------------------------------------

// The viewer's main window (class MS_WINHELP), once one is up; nullptr before.
HWND ViewerWindow();
// The text of the topic the viewer shows (Wine's viewer renders it in a rich edit control).
std::string ViewerTopicText(HWND viewer);
// Closes every viewer by its close box and waits until they have ended.
void CloseViewers();

// ---- The marker (programs/marker.cpp) -------------------------------------------------------------

// The file the marker writes into for programs started with MarkerOptions(): one
// line a start, "<tick>\t<pid>\t<command line>". It is also the marker's own default for copies
// in ScratchFolder().
std::string MarkerFile();
std::vector<std::string> MarkerLines();  // none before the first start
// Options for a program that passes NORVANEX_MARKER=MarkerFile() on to what it starts or opens.
StartOptions MarkerOptions(const std::string& lcAll = "", const std::string& args = "");
DWORD TickOf(const std::string& markerLine);

// The result window's start timer (Timer4) opens the program to start 1 s after the first "r:"
// parameter, once. A case that shows that no program, or no second one, is started waits it out
// from `since` (the run's start, or the first start's marker tick), with the time that a started
// marker takes to write its line.
constexpr DWORD kStartTimerMs = 1000;
constexpr DWORD kMarkerWritesMs = 500;
void WaitOutStartTimer(DWORD since);

// ---- Victims -------------------------------------------------------------------------------------

// StartWindowless, required to succeed: count copies of exe running beside `others` of that name
// already running; the pids of that name.
std::vector<DWORD> StartVictims(const std::string& exe, int count, int others = 0);

// A victim named in code page 932 (GeneratedLocale("ja_JP")): victim.exe copied under its UTF-16
// name into ScratchFolder(), started there by its code-page name with `japanese`, and waited for
// until its start-up is over (required to work).
struct Cp932Name {
  const wchar_t* wide;
  const char* cp932;
};
Process StartCp932Victim(const Cp932Name& name, const StartOptions& japanese);

// Checks a control's place in its window's client area against the design; width 0: it sizes itself
// to its text, so only its corner is checked. The control; nullptr (a failed check) when missing.
HWND CheckPlace(HWND window, int id, int left, int top, int width, int height);

// Ends, when it goes away, every process that was not running when it was made (what a case left
// running, on purpose or by failing), so the next case starts from the same list.
struct LeaveNoVictims {
  std::vector<ProcessEntry> before = AllProcesses();
  ~LeaveNoVictims();
};

}  // namespace driver
