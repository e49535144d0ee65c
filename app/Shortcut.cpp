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

bool IsDeviceName(const std::string& fileName, LeadByteFn isLeadByte) {
    // The device is named by what comes before the first dot, blanks before that dot ignored. Dot
    // and blank are below 0x40, so neither is ever the trail byte of a double-byte character.
    std::string_view name = std::string_view(fileName).substr(NamePartStart(fileName, "\\/:", isLeadByte));
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"}) {
        if (EqualsIgnoringAsciiCase(name, device, isLeadByte)) return true;
    }
    // The ports' number: 1 to 9, or the superscript one to three that Windows reserves too (0xB9,
    // 0xB2, 0xB3 in code page 1252).
    if (name.size() != 4 || std::string_view("123456789\xB9\xB2\xB3").find(name[3]) == std::string_view::npos) {
        return false;
    }
    return EqualsIgnoringAsciiCase(name.substr(0, 3), "COM", isLeadByte) ||
           EqualsIgnoringAsciiCase(name.substr(0, 3), "LPT", isLeadByte);
}

CallRequest RequestFromArguments(const std::string& arguments, CharNextFn charNext) {
    const CallRead read = ReadCallLine(arguments, charNext);
    CallRequest request;
    request.ask = read.ask;
    request.close = read.close;
    request.closeSeconds = read.closeSeconds;
    request.captions = read.names;
    request.whole.assign(read.names.size(), true);
    if (read.startNamed) request.programToStart = read.programToStart;
    return request;
}

std::optional<std::u16string> InexactShortcutPart(std::u16string_view target, std::u16string_view arguments,
                                                  const ExactAnsiFn& exact) {
    std::string ansi;
    if (!exact(arguments, ansi)) {
        // The reader passes over token 0, the program's own name: a blank stands in for it.
        const std::u16string line = u"x " + std::u16string(arguments);
        for (int i = 1; i <= kMaxParams; ++i) {
            const std::u16string param = WideCallLineParam(line.c_str(), i);
            if (param.empty()) break;
            if (!exact(param, ansi)) return param;
        }
        return std::u16string(arguments);  // beyond the parameters that are read, or between them
    }
    if (!exact(target, ansi)) return std::u16string(target);
    return std::nullopt;
}

std::optional<CallRequest> LoadableRequest(const std::string& arguments, LeadByteFn isLeadByte,
                                           CharNextFn charNext) {
    CallRequest request = RequestFromArguments(arguments, charNext);
    if (request.programToStart.size() > kMaxWrittenStartPath) return std::nullopt;
    const CallRead before = ReadCallLine(arguments, charNext);
    const CallRead after = ReadCallLine(ComposeCallLine(request, isLeadByte), charNext);
    if (before.ask != after.ask || before.close != after.close || before.closeSeconds != after.closeSeconds ||
        before.names != after.names || before.startNamed != after.startNamed ||
        before.programToStart != after.programToStart) {
        return std::nullopt;
    }
    return request;
}

namespace {

// A message that names a file on a line of its own after `lead` ("The shortcut"), `english` or
// `german` after it.
MessageText AboutName(const TextPair& lead, const std::string& name, const std::string& english,
                      const std::string& german) {
    const std::string marked = "\r" + MarkedName(name) + "\r";
    return {lead.english + marked + english, lead.german + marked + german};
}

constexpr TextPair kTheShortcut{"The shortcut", "Die Verknüpfung"};

}  // namespace

MessageText NotOurShortcutText(const std::string& fileName) {
    return AboutName(kTheShortcut, fileName, "does not call Norvanex and cannot be edited here.",
                     "ruft nicht Norvanex auf und kann hier nicht bearbeitet werden.");
}

MessageText UnloadableShortcutText(const std::string& fileName) {
    return AboutName(kTheShortcut, fileName,
                     "names a program to run that Norvanex would never start. Saved again from the editor it "
                     "would do something else, so it is not loaded.",
                     "nennt ein zu startendes Programm, das Norvanex nie starten würde. Aus dem Editor wieder "
                     "gespeichert, würde sie etwas anderes tun; sie wird daher nicht geladen.");
}

MessageText InexactShortcutTextBefore(const std::string& fileName) {
    return AboutName(kTheShortcut, fileName, "holds\r", "enthält\r");
}

MessageText TooDeepText(const std::string& ownPath, size_t maxPath) {
    const std::string length = std::to_string(ownPath.size()), most = std::to_string(maxPath);
    return {"Norvanex lies in a folder too deep for a shortcut:\r" + MarkedName(ownPath) + "\r\rIts path has " + length +
                " chars, a shortcut's target at most " + most +
                ".\rPlease move Norvanex to a folder with a shorter path.",
            "Norvanex liegt in einem Ordner, der für eine Verknüpfung zu tief ist:\r" + MarkedName(ownPath) +
                "\r\rSein Pfad hat " + length + " Zeichen, das Ziel einer Verknüpfung höchstens " + most +
                ".\rBitte verschieben Sie Norvanex in einen Ordner mit kürzerem Pfad."};
}

MessageText DeviceNameText(const std::string& fileName) {
    return AboutName({"The name", "Der Name"}, fileName,
                     "is reserved by Windows for a device; no shortcut can be saved under it.\rPlease choose "
                     "another name.",
                     "ist unter Windows einem Gerät vorbehalten; keine Verknüpfung kann unter ihm gespeichert "
                     "werden.\rBitte wählen Sie einen anderen Namen.");
}

MessageText FolderNameText(const std::string& fileName) {
    return AboutName({"A folder of this name exists:", "Ein Ordner dieses Namens ist vorhanden:"}, fileName,
                     "No shortcut can be saved under its name.\rPlease choose another name.",
                     "Unter seinem Namen kann keine Verknüpfung gespeichert werden.\rBitte wählen Sie einen anderen "
                     "Namen.");
}

MessageText NotWrittenText(const std::string& fileName, const std::string& reason) {
    return AboutName(kTheShortcut, fileName, "was not written:\r" + MarkedName(reason),
                     "wurde nicht geschrieben:\r" + MarkedName(reason));
}

}  // namespace norvanex
