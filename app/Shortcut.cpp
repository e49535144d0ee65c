// The shortcut file's window-free rules.
#include "app/Shortcut.h"

namespace norvanex {

namespace {

// Whether a character starts at byte `offset` of `text` (and not inside a double-byte character).
bool StartsCharacter(const std::string& text, size_t offset, LeadByteFn isLeadByte) {
    size_t i = 0;
    while (i < offset) i += (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    return i == offset;
}

constexpr std::string_view kLinkEnding = ".lnk";

}  // namespace

bool HasLinkEnding(const std::string& name, LeadByteFn isLeadByte) {
    if (name.size() < kLinkEnding.size()) return false;
    const size_t tail = name.size() - kLinkEnding.size();
    return StartsCharacter(name, tail, isLeadByte) &&
           EqualsIgnoringAsciiCase(std::string_view(name).substr(tail), kLinkEnding, isLeadByte);
}

std::string LinkFileName(const std::string& name, LeadByteFn isLeadByte) {
    return HasLinkEnding(name, isLeadByte) ? name : name + std::string(kLinkEnding);
}

std::string ChooseIconSource(const std::string& programToStart, const std::vector<IconCandidate>& entries,
                             int unknownIconIndex, const std::string& ownPath) {
    if (!programToStart.empty()) return programToStart;
    const IconCandidate* single = nullptr;
    int singledOut = 0;
    for (const IconCandidate& entry : entries) {
        if (entry.iconIndex == unknownIconIndex) continue;
        ++singledOut;
        single = &entry;
    }
    return singledOut == 1 ? single->caption : ownPath;
}

bool TargetIsProgram(const std::string& target, const std::string& ownPath, LeadByteFn isLeadByte) {
    const std::string_view name = AfterLastBackslash(target, isLeadByte);
    return !name.empty() && EqualsIgnoringAsciiCase(name, AfterLastBackslash(ownPath, isLeadByte), isLeadByte);
}

CallRequest RequestFromArguments(const std::string& arguments, CharNextFn charNext) {
    const CallRead read = ReadCallLine(arguments, charNext);
    CallRequest request;
    request.ask = read.ask;
    request.captions = read.names;
    if (read.startNamed) request.programToStart = read.programToStart;
    return request;
}

MessageText NotOurShortcutText(const std::string& fileName) {
    return {"The shortcut\r" + fileName + "\rdoes not call Norvanex and cannot be edited here.",
            "Die Verknüpfung\r" + fileName + "\rruft nicht Norvanex auf und kann hier nicht bearbeitet werden."};
}

}  // namespace norvanex
