// The main window as designed at 96 DPI: control ids, kinds, places and texts of both modes.
#pragma once

#include "base/AnsiText.h"
#include "base/ControlDesign.h"

namespace norvanex {

// Ids of the main window's controls. BitBtn1 and BitBtn4 carry the dialog ids of the default and
// the cancel button, so Enter and Escape reach them through IsDialogMessage.
enum MainControl : int {
    kBitBtn1 = 1,  // IDOK
    kBitBtn4 = 2,  // IDCANCEL
    kBitBtn2 = 102,
    kBitBtn3,
    kBitBtn5,
    kBitBtn6,
    kBitBtn9,
    kLabel1,
    kListView1,
    kCheckBox1,
    kCheckBox2,
    kLabel3,
    kLabel2,
    kProgImg,
    kBevel1,
    kBevel2,
    kBevel3,
    kBevel4,
};

constexpr int kClientWidth = 377;
constexpr int kClientHeight = 326;

// Creation order is z-order and tab order: the buttons, the list (its label just before it, so the
// label's accelerator lands on the list), the check boxes, then everything without a tab stop. The
// bevels are not windows: the main window draws them below the controls (PaintBevels).
constexpr ControlDesign kMainDesign[] = {
    {kBitBtn2, ControlKind::Button, 200, 184, 83, 25, 0, false, true},
    {kBitBtn3, ControlKind::Button, 288, 184, 83, 25, 0, false, false},
    {kBitBtn5, ControlKind::Button, 200, 252, 83, 25, 0, false, true},
    {kBitBtn6, ControlKind::Button, 288, 252, 83, 25, 0, false, false},
    {kBitBtn9, ControlKind::Button, 8, 293, 83, 25, 0, false, true},
    {kBitBtn1, ControlKind::Button, 144, 293, 89, 25, control::kDefault, false, true},
    {kBitBtn4, ControlKind::Button, 288, 293, 83, 25, 0, false, true},
    {kLabel1, ControlKind::Label, 8, 8, 0, 0},
    {kListView1, ControlKind::ListView, 8, 24, 361, 153},
    {kCheckBox1, ControlKind::CheckBox, 8, 192, 185, 17, 0, false, true},
    // One row below the first box; what lies below it moved down by that row.
    {kCheckBox2, ControlKind::CheckBox, 8, 213, 185, 17, 0, false, true},
    // Its text is the path of the program to start, for screen readers; never a mnemonic.
    {kProgImg, ControlKind::Picture, 12, 245, 32, 32, control::kNoPrefix},
    {kLabel3, ControlKind::Label, 56, 245, 0, 0},
    {kLabel2, ControlKind::Label, 56, 263, 0, 0, control::kNoPrefix | control::kNotify},
    {kBevel1, ControlKind::TopLine, 8, 236, 361, 9},
    {kBevel2, ControlKind::TopLine, 8, 285, 361, 9},
    {kBevel3, ControlKind::Frame, 8, 241, 41, 41},
    {kBevel4, ControlKind::BoxBevel, 0, 0, 377, 326},
};

// Where BitBtn1 stands in the editor.
constexpr int kEditorBitBtn1Left = 200;
constexpr int kEditorBitBtn1Width = 83;

// The editor's insert menu items and its keys (Ins, Del): their commands arrive as WM_COMMAND.
enum EditorCommand : int {
    kSelectTask = 201,
    kSelectFile,
    kEinfg,
    kEntf,
    kOpenShortcut,  // Ctrl+O
};

// Between the name of the program to start and the Choose button.
constexpr int kLabel2Gap = 4;

// The insert menu pops up this far above BitBtn2's top edge, measured from the window's top edge.
constexpr int kInsertMenuRise = 12;

namespace texts {
constexpr TextPair kTitle{"Norvanex", "Norvanex"};
constexpr TextPair kEditorSuffix{" - New Shortcut", " - Neue Verknüpfung"};

constexpr TextPair kLabel1Kill{"Canceled Programms", "Beendete Programme"};
// While the programs are asked to close: the seconds left stand for %d.
constexpr TextPair kLabel1Closing{"Programs asked to close: %d s left", "Programme zum Schließen aufgefordert: noch %d s"};
constexpr TextPair kEndNow{"End &now", "Jetzt &beenden"};
constexpr TextPair kEndNowHint{"End what is still running now", "Was noch läuft, jetzt beenden"};
constexpr TextPair kKeepRunning{"&Keep running", "&Weiterlaufen lassen"};
constexpr TextPair kKeepRunningHint{"Leave what is still running as it is", "Was noch läuft, so lassen"};
constexpr TextPair kLabel3NotStarted{"Program could not be started", "Programm konnte nicht gestartet werden"};
constexpr TextPair kLabel1Editor{"&Programms to close", "Zu beendende &Programme"};
constexpr TextPair kLabel2{"No programm chosen", "Kein Programm gewählt"};
constexpr TextPair kLabel3Kill{"Called Programm", "Gestartetes Programm"};
constexpr TextPair kLabel3Editor{"Programm to run", "Zu startendes Programm"};
constexpr TextPair kBitBtn1Kill{"&OK", "&OK"};
constexpr TextPair kBitBtn1KillHint{"", ""};
constexpr TextPair kBitBtn1Editor{"C&reate", "E&rstellen"};
constexpr TextPair kBitBtn1EditorHint{"Create Shortcut", "Verknüpfung erstellen"};
constexpr TextPair kBitBtn2{"&Insert", "E&infügen"};
constexpr TextPair kBitBtn2Hint{"Chose file", "Datei wählen"};
constexpr TextPair kBitBtn3{"De&lete", "&Löschen"};
constexpr TextPair kBitBtn3Hint{"Removes a programm from the list", "Programm aus der Liste löschen"};
constexpr TextPair kBitBtn4{"&Exit", "B&eenden"};
constexpr TextPair kBitBtn4Hint{"Exit programm", "Programm beenden"};
constexpr TextPair kBitBtn5{"C&hose", "Wä&hlen"};
constexpr TextPair kBitBtn5Hint{"Chose a programm", "Programm wählem"};
constexpr TextPair kBitBtn6{"Re&move", "En&tfernen"};
constexpr TextPair kBitBtn6Hint{"Remove programm", "Programm entfernen"};
constexpr TextPair kBitBtn9{"Info", "Info"};
constexpr TextPair kBitBtn9Hint{"About Norvanex", "Über Norvanex"};
constexpr TextPair kCheckBox1{"Co&nfirmation required", "Bestätigung &notwendig"};
constexpr TextPair kCheckBox1Hint{"Ask the user if he raely wants to do that action",
                                  "Vor Beginn der Aktion wird der User gefragt, ob er wirklich will"};
constexpr TextPair kCannotGoOn{"Norvanex cannot go on and ends.", "Norvanex kann nicht weiterarbeiten und wird beendet."};
// "C&lose" would share its letter with "De&lete".
constexpr TextPair kCheckBox2{"&Close programs first", "Programme zuerst &schließen"};
constexpr TextPair kCheckBox2Hint{"Ask the programs to close first, so that they can save their work",
                                  "Programme zuerst bitten, sich zu schließen, damit sie speichern können"};
constexpr TextPair kStartFailed{"Norvanex could not start and ends.", "Norvanex konnte nicht starten und wird beendet."};
constexpr TextPair kConfirmation{
    "Are you sure to do this?\r\rAll non saved files will be lost!",
    "Wollen Sie diese Aktion wirklich durchführen?\r\rAlle nicht gespeicherten Daten gehen dabei verloren!"};
// The question of a run that asks its programs to close first.
constexpr TextPair kConfirmationClose{
    "Are you sure to do this?\r\rThe programs will be asked to close and may ask you to save your work. "
    "What is still running when the wait is over will be ended.",
    "Wollen Sie diese Aktion wirklich durchführen?\r\rDie Programme werden gebeten, sich zu schließen, und fragen "
    "Sie vielleicht, ob Ihre Arbeit gespeichert werden soll. Was nach der Wartezeit noch läuft, wird beendet."};
constexpr TextPair kSelectTask{"Insert program from &tasklist...", "Programm aus &Taskliste wählen..."};
constexpr TextPair kSelectFile{"Insert &programfile...", "&Programmdatei wählen..."};
constexpr TextPair kOpenToEnd{"Chose programms to kill", "Zu beendende Programme wählen"};
constexpr TextPair kOpenToStart{"Chose programm to run", "Zu startendes Programm wählen"};
// Pairs of description and pattern, separated by vertical bars.
constexpr TextPair kOpenFilter{"Executables|*.exe|Libraries|*.dll", "Ausführbare Dateien|*.exe|Bibliotheken|*.dll"};
// The list's hint: loading a shortcut by keyboard is said from the first picture on.
constexpr TextPair kListHintEmpty{"Ctrl+O opens a shortcut of Norvanex to edit",
                                  "Strg+O öffnet eine Verknüpfung von Norvanex zum Bearbeiten"};
constexpr TextPair kListHint{"double-click for details, Ctrl+O opens a shortcut of Norvanex to edit",
                             "Doppelclick für Details, Strg+O öffnet eine Verknüpfung von Norvanex zum Bearbeiten"};
constexpr TextPair kOpenShortcutTitle{"Open a shortcut of Norvanex", "Verknüpfung von Norvanex öffnen"};
constexpr TextPair kShortcutFilter{"Shortcuts|*.lnk", "Verknüpfungen|*.lnk"};
// The own path stands between the two parts, each on a line of its own.
constexpr TextPair kOwnPathBefore{"The programm\r", "Das Programm\r"};
constexpr TextPair kOwnPathAfter{"\ris not allowed to chose!", "\rdarf nicht gewählt werden!"};
constexpr TextPair kNotExactBefore{"The file\r", "Die Datei\r"};
constexpr TextPair kNotExactAfter{
    "\rcannot be chosen: its name or folder holds characters that this Windows cannot pass to "
    "Norvanex, so a shortcut could not name it.",
    "\rkann nicht gewählt werden: Ihr Name oder Ordner enthält Zeichen, die dieses Windows nicht an "
    "Norvanex übergeben kann; eine Verknüpfung könnte sie nicht nennen."};
// A folder stands between the two parts in the same way.
constexpr TextPair kFolderBefore{"The folder\r", "Der Ordner\r"};
constexpr TextPair kFolderAfter{"\ris no program and cannot be chosen.",
                                "\rist kein Programm und kann nicht gewählt werden."};
}  // namespace texts

}  // namespace norvanex
