// The shortcut editor's rules without windows: which programs the list takes, what the program to
// start shows, and which buttons each step of the user leaves enabled.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/CallLine.h"
#include "base/AnsiText.h"

namespace norvanex {

// One program to end: its caption as it was added and its icon in the system image lists.
struct EditorEntry {
    std::string caption;
    int icon = 0;
    bool whole = false;  // loaded from a shortcut: written into the call as it stands
};

// The buttons whose state follows the editor's lists; the others are always enabled.
struct EditorButtons {
    bool create = false;  // BitBtn1
    bool del = false;     // BitBtn3
    bool remove = false;  // BitBtn6

    bool operator==(const EditorButtons& other) const {
        return create == other.create && del == other.del && remove == other.remove;
    }
};

// What became of a program offered to the list.
enum class Addition {
    Added,
    OwnPath,    // the program itself: refused with a message
    Duplicate,  // an equal caption is listed already: ignored without a word
    Folder,     // a folder, not a program: refused with a message
};

// The editor's state: the programs to end, the program to start, the buttons. Captions compare with
// the letters a to z folded and every other byte exact, a double-byte character as a whole.
class EditorLists {
public:
    using IconLookup = std::function<int(const std::string& path)>;
    // The full, long, canonical spelling of a path that names a folder (CanonicalPathOf).
    using Canonical = std::function<std::string(const std::string& path)>;
    using FolderTest = std::function<bool(const std::string& path)>;
    // Whether a path names the program's own file however it is spelt: the file system's identity
    // of the file (a folder reached through a link, another drive letter for the same folder).
    using OwnFileTest = std::function<bool(const std::string& path)>;

    EditorLists() = default;
    // `ownPath` in any spelling; `canonical`, `isFolder` and `isOwnFile` answer for the file system
    // (none: the text as it stands, no folders, no other names of the program's file).
    EditorLists(std::string ownPath, LeadByteFn isLeadByte, Canonical canonical = nullptr,
                FolderTest isFolder = nullptr, OwnFileTest isOwnFile = nullptr);

    // The caption `path` is listed under: a path that names a folder in its one spelling (full,
    // long names, "/" made "\", "." and ".." resolved, no "\\?\"), so that one file is one entry.
    // A bare name stays as it is, and so does a relative path that the call writes as it stands
    // (`whole`): the kill run, too, reads it as written.
    std::string CaptionOf(const std::string& path, bool whole = false) const;
    // What Add would do with `path`, without doing it. The program itself is recognised in every
    // spelling of a path (".", "..", "/", "\\?\", short names, letter case); a bare name is never
    // it. An entry in another spelling of the same file is a duplicate.
    Addition Classify(const std::string& path, bool whole = false) const;
    // Appends `path` under its caption (CaptionOf) with the icon `iconOf` gives for that caption,
    // unless Classify refuses it; only an appended program is looked up. `whole`: the call writes it
    // as it stands (EditorEntry).
    Addition Add(const std::string& path, const IconLookup& iconOf, bool whole = false);
    // Removes the entry at `index` (the selected one); false, and nothing changes, for none.
    bool Delete(int index);
    // Removes every entry, as Delete would one after the other (a loaded shortcut's list replaces them).
    void DeleteAll();
    // The list's selection changed, by the mouse or by keys: Delete is enabled while the entry at
    // `index` exists (-1: none selected).
    void Select(int index);

    void ChooseProgramToStart(const std::string& path, int icon);
    void RemoveProgramToStart();

    const std::vector<EditorEntry>& Entries() const { return entries_; }
    const std::string& ProgramToStart() const { return programToStart_; }
    // The icon of the program to start; -1 while none is chosen (the image stays empty).
    int ProgramToStartIcon() const { return programToStartIcon_; }
    bool HasProgramToStart() const { return hasProgramToStart_; }
    // What the label under the heading shows of the program to start: its file-name part.
    std::string_view ProgramToStartName() const;
    // Whether the list's hint tells of the double-click (an entry is listed).
    bool ListHint() const { return listHint_; }
    const EditorButtons& Buttons() const { return buttons_; }

private:
    std::string ownPath_;  // canonical
    LeadByteFn isLeadByte_ = NoLeadBytes;
    Canonical canonical_;
    FolderTest isFolder_;
    OwnFileTest isOwnFile_;
    std::vector<EditorEntry> entries_;
    std::string programToStart_;
    int programToStartIcon_ = -1;
    bool hasProgramToStart_ = false;
    bool listHint_ = false;
    EditorButtons buttons_;
};

// What the editor's parts (the intake of files, the drag of an entry) ask of the editor, which
// carries it out: programs to end, in order, as one change of the list; the program to start; a
// loaded shortcut's state in place of the editor's.
struct AddPrograms {
    std::vector<std::string> paths;
};
struct ChooseProgram {
    std::string path;
};
struct LoadRequest {
    CallRequest request;
};
using PartRequest = std::variant<AddPrograms, ChooseProgram, LoadRequest>;

// How a list's rows become the wanted ones with the fewest of them deleted and inserted: the rows
// both have at their start and at their end stay, so that the list keeps their selection, focus and
// scroll as it does for a row appended or deleted. From row `first`, `removed` rows go and the next
// `inserted` wanted rows take their place.
struct RowEdit {
    int first = 0;
    int removed = 0;
    int inserted = 0;
};
// `same(row, wanted)`: whether shown row `row` already shows wanted row `wanted`.
RowEdit RowEditOf(int shown, int wanted, const std::function<bool(int row, int wanted)>& same);

// The files an open dialog returns in its buffer, in the dialog's order: one full path, or the
// folder followed by the names chosen in it ("folder\0name\0name\0\0"). A folder that ends in a
// backslash (a drive root) gets no second one; a trail byte that looks like one is none.
std::vector<std::string> OpenDialogFiles(std::string_view buffer, LeadByteFn isLeadByte);
// The same for the UTF-16 dialog, whose names the ANSI code page may not hold.
std::vector<std::u16string> OpenDialogFiles(std::u16string_view buffer);

// What a file dialog makes of the text in its name box before it tells its hook anything: the
// names in double quotes ("a.exe" "b.exe"), or the whole text when it holds none, each joined to
// the dialog's folder with a backslash unless it is a full path (IsFullPath). The dialog builds
// each in a buffer of MAX_PATH characters on its stack; a longer one must not reach it.
std::vector<std::u16string> TypedDialogPaths(std::u16string_view folder, std::u16string_view typed);

// The message for a typed name whose path (TypedDialogPaths, with ".lnk" where the save dialog adds
// it) is longer than `maxPath` characters: the path stands between the two parts.
namespace texts {
inline constexpr TextPair kNameTooLongBefore{"The name\r", "Der Name\r"};
}  // namespace texts
MessageText NameTooLongTextAfter(size_t length, size_t maxPath);

}  // namespace norvanex
