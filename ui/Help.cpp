// The help topic, the request for WinHelp, the viewer decision and the HTML page's address.
#include "ui/Help.h"

#include "ui/HelpTopics.h"

namespace norvanex {

namespace {

constexpr HelpTopic kIndexE{kHelpTopicIndexE, kHelpMapIndexE, "Norvanex.html"};
constexpr HelpTopic kIndex{kHelpTopicIndex, kHelpMapIndex, "Norvanex_de.html"};
constexpr HelpTopic kTopics[] = {kIndexE, kIndex};

constexpr std::size_t kMaxMacro = 255;
constexpr std::string_view kHelpFileName = "Norvanex.hlp";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view word) {
    if (word.size() > text.size()) return false;
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < word.size() && LowerAscii(text[i + k]) == LowerAscii(word[k])) ++k;
        if (k == word.size()) return true;
    }
    return false;
}

void AppendEscaped(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789ABCDEF";
    if (byte <= 0x20 || byte == 0x7F || byte == '#' || byte == '%' || byte == '?') {
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    } else {
        out += static_cast<char>(byte);
    }
}

}  // namespace

const HelpTopic& HelpIndexTopic(CountryQuery query) {
    const std::string id = SelectText(kIndexE.contextId, kIndex.contextId, query);
    return id == kIndex.contextId ? kTopics[1] : kTopics[0];
}

std::string JumpIdMacro(std::string_view contextId, LeadByteFn isLeadByte) {
    std::string macro = "JumpID(\"\",\"";
    macro.append(contextId);
    macro += "\")";
    if (macro.size() <= kMaxMacro) return macro;
    // Cut at the last character boundary at or below the limit.
    std::size_t end = 0;
    for (std::size_t i = 0; i < macro.size();) {
        const std::size_t length = (isLeadByte(static_cast<unsigned char>(macro[i])) && i + 1 < macro.size()) ? 2 : 1;
        if (i + length > kMaxMacro) break;
        i += length;
        end = i;
    }
    macro.resize(end);
    return macro;
}

HelpRequest HelpRequestFor(std::string_view contextId, LeadByteFn isLeadByte) {
    for (const HelpTopic& topic : kTopics) {
        if (contextId == topic.contextId) return {HelpRequest::Kind::Context, topic.mapNumber, std::string()};
    }
    return {HelpRequest::Kind::Macro, 0, JumpIdMacro(contextId, isLeadByte)};
}

HelpViewer ChooseHelpViewer(const HelpViewerFacts& facts) {
    const bool realViewer = facts.viewerExists && !ContainsIgnoringAsciiCase(facts.viewerDescription, "stub");
    if (realViewer && facts.helpFileExists) return HelpViewer::WinHelp;
    if (facts.htmlPageExists) return HelpViewer::Browser;
    return facts.helpFileExists ? HelpViewer::WinHelp : HelpViewer::Missing;
}

std::string BesideHelpFile(const std::string& helpFile, std::string_view name) {
    std::string path = helpFile;
    if (path.size() >= kHelpFileName.size() &&
        path.compare(path.size() - kHelpFileName.size(), kHelpFileName.size(), kHelpFileName) == 0) {
        path.resize(path.size() - kHelpFileName.size());
    } else {
        path.clear();
    }
    return path.append(name);
}

bool TakesPageUrl(std::string_view program, LeadByteFn isLeadByte) {
    const std::string_view name = program.substr(NamePartStart(program, "\\/:", isLeadByte));
    return !name.empty() && !EqualsIgnoringAsciiCase(name, "rundll32.exe", isLeadByte) &&
           !EqualsIgnoringAsciiCase(name, "rundll32", isLeadByte);
}

std::string FileUrl(std::string_view path, std::string_view fragment, LeadByteFn isLeadByte) {
    std::string url = "file:";
    std::size_t i = 0;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        url += "//";  // \\server\share: the server is the URL's host
        i = 2;
    } else {
        url += "///";
    }
    while (i < path.size()) {
        const unsigned char byte = static_cast<unsigned char>(path[i]);
        if (isLeadByte(byte) && i + 1 < path.size()) {
            url.append(path.substr(i, 2));
            i += 2;
            continue;
        }
        if (byte == '\\') {
            url += '/';
        } else {
            AppendEscaped(url, byte);
        }
        ++i;
    }
    if (!fragment.empty()) {
        url += '#';
        url.append(fragment);
    }
    return url;
}

}  // namespace norvanex
