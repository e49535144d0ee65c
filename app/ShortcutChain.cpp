// Shortcut chains, and the messages about a shortcut's target.
#include "app/ShortcutChain.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace norvanex {

namespace {

char16_t Folded(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + (u'a' - u'A'));
    return c == u'/' ? u'\\' : c;
}

std::u16string FoldedPath(std::u16string_view path) {
    std::u16string folded(path);
    std::transform(folded.begin(), folded.end(), folded.begin(), Folded);
    return folded;
}

MessageText AboutShortcut(const std::string& fileName, const std::string& english, const std::string& german) {
    const std::string marked = "\r" + MarkedName(fileName) + "\r";
    return {"The shortcut" + marked + english, "Die Verknüpfung" + marked + german};
}

}  // namespace

bool IsShortcutPath(std::u16string_view path) {
    return path.size() >= 4 && FoldedPath(path.substr(path.size() - 4)) == u".lnk";
}

ShortcutChain WalkShortcutChain(std::u16string path, const LinkTargetFn& targetOf) {
    std::vector<std::u16string> passed;
    ShortcutChain chain;
    while (IsShortcutPath(path)) {
        std::u16string folded = FoldedPath(path);
        if (std::find(passed.begin(), passed.end(), folded) != passed.end()) return {ChainEnd::Loop, path, chain.links};
        if (chain.links == kMaxShortcutLinks) return {ChainEnd::TooLong, path, chain.links};
        passed.push_back(std::move(folded));
        ++chain.links;
        std::optional<std::u16string> target = targetOf(path);
        if (!target || target->empty()) return {ChainEnd::Unreadable, path, chain.links};
        path = std::move(*target);
    }
    chain.last = std::move(path);
    return chain;
}

bool HasProgramExtension(const std::string& fileName, LeadByteFn isLeadByte) {
    const std::string_view name = AfterLastBackslash(fileName, isLeadByte);
    if (name.size() < 4 || name[name.size() - 4] != '.') return false;
    const std::string_view extension = name.substr(name.size() - 4);
    for (const std::string_view program : {".exe", ".com", ".scr", ".dll"}) {
        if (EqualsIgnoringAsciiCase(extension, program, isLeadByte)) return true;
    }
    return false;
}

MessageText ChainRefusedText(const std::string& fileName, ChainEnd end) {
    if (end == ChainEnd::Loop) {
        return AboutShortcut(fileName,
                             "leads through a chain of shortcuts back to itself: Windows would never reach a "
                             "program through it, so it is not taken.",
                             "führt über eine Kette von Verknüpfungen zu sich selbst zurück: Windows würde durch sie "
                             "nie ein Programm erreichen; sie wird daher nicht übernommen.");
    }
    const std::string most = std::to_string(kMaxShortcutLinks);
    return AboutShortcut(fileName,
                         "leads through more than " + most + " shortcuts in a row; Norvanex follows at most " + most +
                             ", so it is not taken.",
                         "führt über mehr als " + most + " Verknüpfungen nacheinander; Norvanex folgt höchstens " +
                             most + ", sie wird daher nicht übernommen.");
}

MessageText UnreadableTargetText(const std::string& fileName) {
    const std::string marked = "\r" + MarkedName(fileName) + "\r";
    return {"The target of the shortcut" + marked + "cannot be read.",
            "Das Ziel der Verknüpfung" + marked + "kann nicht gelesen werden."};
}

MessageText NoProgramTargetText(const std::string& fileName, const std::string& target) {
    return AboutShortcut(fileName, "does not lead to a program:\r" + MarkedName(target),
                         "führt zu keinem Programm:\r" + MarkedName(target));
}

}  // namespace norvanex
