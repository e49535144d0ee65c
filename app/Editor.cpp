// The shortcut editor's list rules and button states.
#include "app/Editor.h"

#include <algorithm>
#include <utility>

#include "base/AppInfo.h"

namespace norvanex {

namespace {

// How many characters of a name IsFullPath looks at, and the first one beyond ASCII.
constexpr std::size_t kFullPathHead = 3;
constexpr char16_t kFirstNonAscii = 0x80;

}  // namespace

EditorLists::EditorLists(std::string ownPath, LeadByteFn isLeadByte, Canonical canonical, FolderTest isFolder,
                         OwnFileTest isOwnFile)
    : ownPath_(canonical ? canonical(ownPath) : std::move(ownPath)),
      isLeadByte_(isLeadByte),
      canonical_(std::move(canonical)),
      isFolder_(std::move(isFolder)),
      isOwnFile_(std::move(isOwnFile)) {}

std::string EditorLists::CaptionOf(const std::string& path, bool whole) const {
    if (!canonical_ || !HasFolderPart(path, isLeadByte_) || (whole && !IsFullPath(path))) return path;
    return canonical_(path);
}

Addition EditorLists::Classify(const std::string& path, bool whole) const {
    // Only a text that names a folder can be the program's own file: a bare name means every
    // program of that name, and the kill run spares itself anyway.
    const std::string caption = CaptionOf(path, whole);
    if (HasFolderPart(path, isLeadByte_)) {
        const std::string canonical = canonical_ ? canonical_(path) : path;
        if (EqualsIgnoringAsciiCase(canonical, ownPath_, isLeadByte_) || (isOwnFile_ && isOwnFile_(caption))) {
            return Addition::OwnPath;
        }
        if (isFolder_ && isFolder_(caption)) return Addition::Folder;
    }
    for (const EditorEntry& entry : entries_) {
        if (EqualsIgnoringAsciiCase(caption, entry.caption, isLeadByte_)) return Addition::Duplicate;
    }
    return Addition::Added;
}

Addition EditorLists::Add(const std::string& path, const IconLookup& iconOf, bool whole) {
    const Addition addition = Classify(path, whole);
    if (addition != Addition::Added) return addition;
    listHint_ = true;
    std::string caption = CaptionOf(path, whole);
    const int icon = iconOf ? iconOf(caption) : 0;
    entries_.push_back(EditorEntry{std::move(caption), icon, whole});
    buttons_.create = true;
    return addition;
}

bool EditorLists::Delete(int index) {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return false;
    entries_.erase(entries_.begin() + index);
    buttons_.del = false;
    buttons_.create = !entries_.empty();
    if (entries_.empty()) listHint_ = false;
    return true;
}

void EditorLists::DeleteAll() {
    while (Delete(0)) {
    }
}

void EditorLists::Select(int index) { buttons_.del = index >= 0 && index < static_cast<int>(entries_.size()); }

void EditorLists::ChooseProgramToStart(const std::string& path, int icon) {
    programToStart_ = path;
    programToStartIcon_ = icon;
    hasProgramToStart_ = true;
    buttons_.remove = true;
}

void EditorLists::RemoveProgramToStart() {
    programToStart_.clear();
    programToStartIcon_ = -1;
    hasProgramToStart_ = false;
    buttons_.remove = false;
}

std::string_view EditorLists::ProgramToStartName() const {
    return AfterLastBackslash(programToStart_, isLeadByte_);
}

RowEdit RowEditOf(int shown, int wanted, const std::function<bool(int row, int wanted)>& same) {
    const int common = std::min(shown, wanted);
    int head = 0;
    while (head < common && same(head, head)) ++head;
    int tail = 0;
    while (tail < common - head && same(shown - 1 - tail, wanted - 1 - tail)) ++tail;
    return RowEdit{head, shown - head - tail, wanted - head - tail};
}

std::vector<std::string> OpenDialogFiles(std::string_view buffer, LeadByteFn isLeadByte) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0; start < buffer.size();) {
        const std::size_t end = std::min(buffer.find('\0', start), buffer.size());
        if (end == start) break;  // the empty text that closes the list
        parts.push_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() <= 1) return std::vector<std::string>(parts.begin(), parts.end());
    const std::string_view folder = parts.front();
    const bool endsInBackslash = NamePartStart(folder, "\\", isLeadByte) == folder.size();
    std::vector<std::string> files;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::string file(folder);
        if (!endsInBackslash) file += '\\';
        file += parts[i];
        files.push_back(std::move(file));
    }
    return files;
}

std::vector<std::u16string> OpenDialogFiles(std::u16string_view buffer) {
    std::vector<std::u16string_view> parts;
    for (std::size_t start = 0; start < buffer.size();) {
        const std::size_t end = std::min(buffer.find(u'\0', start), buffer.size());
        if (end == start) break;
        parts.push_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() <= 1) return std::vector<std::u16string>(parts.begin(), parts.end());
    const std::u16string_view folder = parts.front();
    std::vector<std::u16string> files;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::u16string file(folder);
        if (folder.back() != u'\\') file += u'\\';
        file += parts[i];
        files.push_back(std::move(file));
    }
    return files;
}

std::vector<std::u16string> TypedDialogPaths(std::u16string_view folder, std::u16string_view typed) {
    std::vector<std::u16string_view> names;
    if (typed.find(u'"') == std::u16string_view::npos) {
        names.push_back(typed);
    } else {
        for (std::size_t open = typed.find(u'"'); open != std::u16string_view::npos;) {
            const std::size_t close = typed.find(u'"', open + 1);
            names.push_back(typed.substr(open + 1, close == std::u16string_view::npos ? close : close - open - 1));
            open = close == std::u16string_view::npos ? close : typed.find(u'"', close + 1);
        }
    }
    std::vector<std::u16string> paths;
    for (const std::u16string_view name : names) {
        if (name.empty()) continue;
        // IsFullPath asks only about the first three characters, all below 0x80 when it says yes.
        std::string head;
        for (std::size_t i = 0; i < name.size() && i < kFullPathHead; ++i) {
            head.push_back(name[i] < kFirstNonAscii ? static_cast<char>(name[i]) : '?');
        }
        if (IsFullPath(head) || folder.empty()) {
            paths.emplace_back(name);
        } else {
            std::u16string path(folder);
            if (path.back() != u'\\') path += u'\\';
            path += name;
            paths.push_back(std::move(path));
        }
    }
    return paths;
}

MessageText NameTooLongTextAfter(size_t length, size_t maxPath) {
    const std::string has = std::to_string(length), most = std::to_string(maxPath);
    return {"\ris too long: its path has " + has + " chars, at most " + most +
                " are possible.\rPlease choose a shorter name or folder.",
            "\rist zu lang: Sein Pfad hat " + has + " Zeichen, höchstens " + most +
                " sind möglich.\rBitte wählen Sie einen kürzeren Namen oder Ordner."};
}

}  // namespace norvanex
