// The shortcut file's rules that need no Windows: its name, its icon and what a loaded one holds.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/CallLine.h"
#include "base/AnsiText.h"

namespace norvanex {

// Shortcut files end in ".lnk": a name whose last four characters are not ".lnk" in any letter
// case gets it appended ("kill word" -> "kill word.lnk", "A.LNK" stays, "x.lnk.txt" gets it).
std::string LinkFileName(const std::string& name, LeadByteFn isLeadByte);
// Whether a name already ends so: a shortcut file's name.
bool HasLinkEnding(const std::string& name, LeadByteFn isLeadByte);

// A name of no known file type that no file carries: its icon is the shell's icon for unknown files.
inline constexpr const char* kUnknownFileName = "test.dumdidumdidumdidum";

struct IconCandidate {
    std::string caption;
    int iconIndex;  // its index in the system image list
};

// Where the shortcut takes its icon from (always icon number 0): the program to start when one is
// chosen; else the one entry of the list whose icon differs from the unknown-file icon, when there
// is exactly one such entry; else the program's own path.
std::string ChooseIconSource(const std::string& programToStart, const std::vector<IconCandidate>& entries,
                             int unknownIconIndex, const std::string& ownPath);

// True when a shortcut's target is this program: its file name equals the running program's file
// name (letters a to z in either case), wherever either lies.
bool TargetIsProgram(const std::string& target, const std::string& ownPath, LeadByteFn isLeadByte);

// The editor's state that a shortcut's arguments describe: each program to end as the call names
// it (a bare name or a full path), to be written back as it stands.
CallRequest RequestFromArguments(const std::string& arguments, CharNextFn charNext);

// What of a shortcut read in UTF-16 the ANSI code page cannot hold: the first parameter of its
// arguments as the kill run splits them (an "r:" one with its path) that `exact` does not convert
// exactly, else the target when it does not; nothing when all of it converts. Read through the
// ANSI interface, "māil.exe" would arrive as "mail.exe" and end a program nobody named.
std::optional<std::u16string> InexactShortcutPart(std::u16string_view target, std::u16string_view arguments,
                                                  const ExactAnsiFn& exact);

// The editor's state for a shortcut's arguments, or nothing when the editor could not hold what
// the kill run reads there: written again, the shortcut would do something else (an empty "r:"
// path, which the kill run never opens, would be lost) or could not be written at all (an "r:"
// path over kMaxWrittenStartPath characters).
std::optional<CallRequest> LoadableRequest(const std::string& arguments, LeadByteFn isLeadByte,
                                           CharNextFn charNext);

// Whether a file name is one that Windows keeps for a device (CON, PRN, AUX, NUL, COM1 to COM9,
// LPT1 to LPT9, COM¹ to COM³, LPT¹ to LPT³, CONIN$, CONOUT$, CLOCK$) in any letter case, with or
// without an extension, blanks or dots after it, and in any folder: "NUL.lnk" opens the null
// device, not a file, and saving to it writes nothing.
bool IsDeviceName(const std::string& fileName, LeadByteFn isLeadByte);

namespace texts {
inline constexpr TextPair kSaveDialogTitle{"Save as", "Speichern unter"};
inline constexpr TextPair kOverwrite{"Should i overwrite the existing file?",
                                     "Soll die vorhandene Datei überschrieben werden?"};
}  // namespace texts

// The refusal of a dropped shortcut that does not call this program.
MessageText NotOurShortcutText(const std::string& fileName);
// The refusal of a dropped shortcut of this program that the editor could not hold unchanged.
MessageText UnloadableShortcutText(const std::string& fileName);
// The refusal of a dropped shortcut that holds what the code page cannot (InexactShortcutPart):
// the part is in UTF-16 and stands between the two texts.
MessageText InexactShortcutTextBefore(const std::string& fileName);
namespace texts {
inline constexpr TextPair kInexactShortcutAfter{
    "\rwith characters that this Windows cannot pass to Norvanex. Saved again from the editor the "
    "shortcut would name another program, so it is not loaded.",
    "\rmit Zeichen, die dieses Windows nicht an Norvanex übergeben kann. Aus dem Editor wieder "
    "gespeichert, würde die Verknüpfung ein anderes Programm nennen; sie wird daher nicht geladen."};
}  // namespace texts
// Create refused: the program lies in a folder deeper than a shortcut's target can name.
MessageText TooDeepText(const std::string& ownPath, size_t maxPath);
// A save name refused: it names a device.
MessageText DeviceNameText(const std::string& fileName);
// A save name refused: a folder of that name exists.
MessageText FolderNameText(const std::string& fileName);
// A shortcut the link object could not save; `reason` is the system's text.
MessageText NotWrittenText(const std::string& fileName, const std::string& reason);

}  // namespace norvanex
