// The call-line reader: token splitting over CharNextA-style stepping.
#include "app/CallLine.h"

#include <limits>
#include <utility>

namespace norvanex {

namespace {

// The reader ends a token at any of these outside quotes.
bool IsSeparator(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

// One character's bytes, never past the terminator even if the stepper would jump over it.
size_t CharLength(const char* p, CharNextFn charNext) {
    if (*p == '\0') return 0;
    size_t length = static_cast<size_t>(charNext(p) - p);
    if (length == 0) length = 1;
    for (size_t i = 1; i < length; ++i) {
        if (p[i] == '\0') return i;
    }
    return length;
}

const char* SkipToToken(const char* p, CharNextFn charNext) {
    for (;;) {
        while (IsSeparator(*p)) p += CharLength(p, charNext);
        if (p[0] == '"' && p[1] == '"') {
            p += 2;
            continue;
        }
        return p;
    }
}

// Collects one token into `token` (when given) and returns where the next one may start.
const char* ReadToken(const char* p, CharNextFn charNext, std::string* token) {
    while (*p != '\0') {
        if (*p == '"') {
            ++p;
            while (*p != '\0' && *p != '"') {
                const size_t n = CharLength(p, charNext);
                if (token) token->append(p, n);
                p += n;
            }
            if (*p == '"') ++p;
        } else if (static_cast<unsigned char>(*p) <= 32) {
            break;
        } else {
            const size_t n = CharLength(p, charNext);
            if (token) token->append(p, n);
            p += n;
        }
    }
    return p;
}

}  // namespace

std::vector<std::string> CallLineParams(const char* commandLine, int count, CharNextFn charNext) {
    std::vector<std::string> params;
    if (commandLine == nullptr) return params;
    const char* p = ReadToken(SkipToToken(commandLine, charNext), charNext, nullptr);  // token 0
    for (int i = 1; i <= count; ++i) {
        std::string token;
        p = ReadToken(SkipToToken(p, charNext), charNext, &token);
        if (token.empty()) break;  // only the end of the line gives an empty token
        params.push_back(std::move(token));
    }
    return params;
}

std::string CallLineParam(const char* commandLine, int index, CharNextFn charNext) {
    if (index < 1) return std::string();
    std::vector<std::string> params = CallLineParams(commandLine, index, charNext);
    return static_cast<int>(params.size()) == index ? std::move(params.back()) : std::string();
}

std::vector<std::u16string> WideCallLineParams(const char16_t* commandLine, int count) {
    std::vector<std::u16string> params;
    if (commandLine == nullptr) return params;
    // The same rule as the ANSI reader: no separator and no quote is part of a surrogate pair or
    // a double-byte character, so each UTF-16 unit is one step.
    auto isSeparator = [](char16_t c) { return c >= 1 && c <= 32; };
    const char16_t* p = commandLine;
    for (int i = 0; i <= count; ++i) {
        for (;;) {
            while (isSeparator(*p)) ++p;
            if (p[0] == u'"' && p[1] == u'"') {
                p += 2;
                continue;
            }
            break;
        }
        std::u16string token;
        while (*p != u'\0' && !isSeparator(*p)) {
            if (*p == u'"') {
                ++p;
                while (*p != u'\0' && *p != u'"') token.push_back(*p++);
                if (*p == u'"') ++p;
            } else {
                token.push_back(*p++);
            }
        }
        if (i == 0) continue;  // the program's own name
        if (token.empty()) break;
        params.push_back(std::move(token));
    }
    return params;
}

std::u16string WideCallLineParam(const char16_t* commandLine, int index) {
    if (index < 1) return std::u16string();
    std::vector<std::u16string> params = WideCallLineParams(commandLine, index);
    return static_cast<int>(params.size()) == index ? std::move(params.back()) : std::u16string();
}

bool ParamSurvives(const std::string& ansi, std::u16string_view wide, const ExactAnsiFn& exact) {
    std::string converted;
    return exact(wide, converted) && converted == ansi;
}

std::string CallParams::operator()(int index) const {
    if (index == 0) return ownPath;
    return index >= 1 && index <= static_cast<int>(texts.size()) ? texts[static_cast<size_t>(index - 1)] : std::string();
}

bool CallParams::AsWritten(int index) const {
    return index < 1 || index > static_cast<int>(asWritten.size()) || asWritten[static_cast<size_t>(index - 1)];
}

CallParams SplitCallParams(std::string ownPath, const char* ansiLine, const char16_t* wideLine, CharNextFn charNext,
                           const ExactAnsiFn& exact) {
    constexpr int kAll = std::numeric_limits<int>::max();
    CallParams params;
    params.ownPath = std::move(ownPath);
    params.texts = CallLineParams(ansiLine, kAll, charNext);
    params.asWritten.assign(params.texts.size(), true);
    if (wideLine == nullptr) return params;
    const std::vector<std::u16string> wide = WideCallLineParams(wideLine, kAll);
    for (size_t i = 0; i < params.texts.size(); ++i) {
        params.asWritten[i] = ParamSurvives(params.texts[i], i < wide.size() ? wide[i] : std::u16string(), exact);
    }
    return params;
}

namespace {

// The N of "~close:N~" in its one spelling (1 to kMaxCloseSeconds, no leading zero); 0 for any
// other text, "~close~" among them.
int WrittenCloseSeconds(std::string_view param) {
    constexpr std::string_view kOpen = "~close:";
    if (param.size() <= kOpen.size() + 1 || param.substr(0, kOpen.size()) != kOpen || param.back() != '~') return 0;
    const std::string_view digits = param.substr(kOpen.size(), param.size() - kOpen.size() - 1);
    if (digits.size() > 4 || digits[0] == '0') return 0;  // 3600 has four digits
    int seconds = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        seconds = seconds * 10 + (c - '0');
    }
    return seconds <= kMaxCloseSeconds ? seconds : 0;
}

std::string CloseMarkerText(int closeSeconds) {
    return closeSeconds == 0 ? std::string(kCloseWord) : "~close:" + std::to_string(closeSeconds) + "~";
}

// Whether parameter `index`, `p`, is the close marker; `first` is parameter 1.
bool IsCloseMarkerAt(int index, const std::string& first, const std::string& p) {
    return (index == 1 || (index == 2 && first == kAskWord)) && CloseMarkerSeconds(p) > 0;
}

}  // namespace

int CloseMarkerSeconds(std::string_view param) {
    return param == kCloseWord ? kDefaultCloseSeconds : WrittenCloseSeconds(param);
}

int CloseMarkerIndex(const ParamFn& param) {
    const std::string first = param(1);
    if (IsCloseMarkerAt(1, first, first)) return 1;
    return IsCloseMarkerAt(2, first, param(2)) ? 2 : 0;
}

bool IsStartParam(const std::string& param) {
    return param.size() >= 2 && (param[0] == 'r' || param[0] == 'R') && param[1] == ':';
}

std::string StartPathOf(const std::string& param) {
    if (param.size() < 2) return std::string();
    return param.substr(2);
}

namespace {

// Whether the reader would cut `token` apart: a separator byte that is not the trail byte of a
// double-byte character.
bool NeedsQuotes(const std::string& token, LeadByteFn isLeadByte) {
    for (size_t i = 0; i < token.size(); ++i) {
        if (isLeadByte(static_cast<unsigned char>(token[i])) && i + 1 < token.size()) {
            ++i;
        } else if (IsSeparator(token[i])) {
            return true;
        }
    }
    return false;
}

std::string Quoted(const std::string& token, LeadByteFn isLeadByte) {
    return NeedsQuotes(token, isLeadByte) ? '"' + token + '"' : token;
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::string_view CallNameOf(const CallRequest& request, size_t index, LeadByteFn isLeadByte) {
    const std::string& caption = request.captions[index];
    if (index < request.whole.size() && request.whole[index]) return caption;
    return AfterLastBackslash(caption, isLeadByte);
}

std::string ComposeCallLine(const CallRequest& request, LeadByteFn isLeadByte) {
    std::string line = request.ask ? std::string(kAskWord) + ' ' : std::string();
    if (request.close) line += CloseMarkerText(request.closeSeconds) + ' ';
    for (size_t i = 0; i < request.captions.size(); ++i) {
        line += Quoted(std::string(CallNameOf(request, i, isLeadByte)), isLeadByte);
        line += ' ';
    }
    if (!request.programToStart.empty()) {
        // The quotes go around the path only: the reader drops them wherever they stand, and the
        // prefix stays where the reader looks for it.
        line += "r:" + Quoted(request.programToStart, isLeadByte);
    }
    // Blanks and control characters go from both ends (the blank after the last name among them),
    // never the trail byte of a double-byte character that ends the line.
    size_t first = 0;
    while (first < line.size() && IsBlankOrControl(line[first])) ++first;
    size_t last = first;
    for (size_t i = first; i < line.size();) {
        const size_t length = (isLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) ? 2 : 1;
        if (length == 2 || !IsBlankOrControl(line[i])) last = i + length;
        i += length;
    }
    return line.substr(first, last - first);
}

void WalkCallLine(const ParamFn& param, const std::function<void(const std::string& path)>& onStart,
                  const std::function<void(const std::string& name)>& onName, const SurvivesFn& survives) {
    // Each parameter is read once: the marker is known by the time the walk gets to it.
    std::string first;
    for (int i = 1; i <= kMaxParams; ++i) {
        const std::string p = param(i);
        if (p.empty()) return;
        if (i == 1) first = p;
        if (IsCloseMarkerAt(i, first, p) || (survives && !survives(i))) continue;
        if (IsStartParam(p)) {
            onStart(StartPathOf(p));
        } else {
            onName(p);
        }
    }
}

CallRead ReadCallLine(const std::string& line, CharNextFn charNext) {
    // The reader passes over token 0, the program's own name.
    const std::string commandLine = "Norvanex.exe " + line;
    const std::vector<std::string> params =
        CallLineParams(commandLine.c_str(), std::numeric_limits<int>::max(), charNext);
    auto param = [&](int index) {
        return index >= 1 && index <= static_cast<int>(params.size()) ? params[index - 1] : std::string();
    };
    CallRead read;
    read.ask = param(1) == kAskWord;
    const int marker = CloseMarkerIndex(param);
    read.close = marker != 0;
    read.closeSeconds = WrittenCloseSeconds(param(marker));
    bool first = true;
    WalkCallLine(
        param,
        [&](const std::string& path) {
            read.startNamed = true;
            read.programToStart = path;
            first = false;
        },
        [&](const std::string& name) {
            if (!(first && read.ask)) read.names.push_back(name);
            first = false;
        });
    read.paramCount = static_cast<int>(params.size());
    return read;
}

CallLineVerdict CheckCallLine(const CallRequest& request, const std::string& line, LeadByteFn isLeadByte,
                              CharNextFn charNext) {
    CallLineVerdict verdict;
    if (line.size() > kMaxCallLine) {
        verdict.fault = CallLineFault::TooLong;
        verdict.count = line.size();
        return verdict;
    }
    const CallRead read = ReadCallLine(line, charNext);
    if (read.paramCount > kMaxParams) {
        verdict.fault = CallLineFault::TooManyParams;
        verdict.count = static_cast<size_t>(read.paramCount);
        return verdict;
    }
    const bool startChosen = !request.programToStart.empty();
    if (startChosen && request.programToStart.size() > kMaxWrittenStartPath) {
        verdict.fault = CallLineFault::StartPathTooLong;
        verdict.subject = request.programToStart;
        verdict.count = request.programToStart.size();
        return verdict;
    }
    // The first entry that does not come back as itself is the one to name; a "~ask~" or a close
    // marker read where none was written, or an "r:" name, shows up here as a name that went missing.
    const bool sameFlags =
        read.ask == request.ask && read.close == request.close && (!read.close || read.closeSeconds == request.closeSeconds);
    for (size_t i = 0; i < request.captions.size(); ++i) {
        const std::string_view name = CallNameOf(request, i, isLeadByte);
        if (!sameFlags || i >= read.names.size() || read.names[i] != name) {
            verdict.fault = CallLineFault::UnreadableName;
            verdict.subject = request.captions[i];
            return verdict;
        }
    }
    if (!sameFlags || read.names.size() != request.captions.size() ||
        read.startNamed != startChosen || read.programToStart != request.programToStart) {
        verdict.fault = startChosen ? CallLineFault::UnreadableStart : CallLineFault::UnreadableName;
        verdict.subject = startChosen ? request.programToStart : std::string();
    }
    return verdict;
}

MessageText CallLineFaultText(const CallLineVerdict& verdict) {
    const std::string count = std::to_string(verdict.count);
    switch (verdict.fault) {
        case CallLineFault::None: return {};
        case CallLineFault::TooLong:
            return {"Too much entrys!\r\rOne call sould have max. " + std::to_string(kMaxCallLine) +
                        " chars, your will have " + count + " chars.\rPlease remove one or more files from the list.",
                    "Zu viele Einträge!\r\rEin Aufruf sollte maximal " + std::to_string(kMaxCallLine) +
                        " Zeichen enthalten, dieser würde " + count +
                        " Zeichen lang sein.\rBitte entfernen Sie eine oder mehrere Dateien aus der Liste."};
        case CallLineFault::TooManyParams:
            return {"Too many entries!\r\rOne call is read up to its " + std::to_string(kMaxParams) +
                        "th parameter, this one would have " + count +
                        ".\rPlease remove one or more files from the list.",
                    "Zu viele Einträge!\r\rEin Aufruf wird bis zu seinem " + std::to_string(kMaxParams) +
                        ". Parameter gelesen, dieser hätte " + count +
                        ".\rBitte entfernen Sie eine oder mehrere Dateien aus der Liste."};
        case CallLineFault::StartPathTooLong:
            return {"The path of the program to run is too long!\r\rA call starts programs whose path has at most " +
                        std::to_string(kMaxWrittenStartPath) + " chars, this one has " + count +
                        " chars.\rPlease choose a program with a shorter path.",
                    "Der Pfad des zu startenden Programms ist zu lang!\r\rEin Aufruf startet Programme mit höchstens " +
                        std::to_string(kMaxWrittenStartPath) + " Zeichen langem Pfad, dieser ist " + count +
                        " Zeichen lang.\rBitte wählen Sie ein Programm mit kürzerem Pfad."};
        case CallLineFault::UnreadableName:
            return {"This entry cannot be written into a call:\r\r" + MarkedName(verdict.subject) +
                        "\r\rThe shortcut would end other programs than the list shows.\rPlease remove it from the list.",
                    "Dieser Eintrag kann nicht in einen Aufruf geschrieben werden:\r\r" + MarkedName(verdict.subject) +
                        "\r\rDie Verknüpfung würde andere Programme beenden, als die Liste zeigt.\rBitte entfernen Sie "
                        "ihn aus der Liste."};
        case CallLineFault::UnreadableStart:
            return {"The program to run cannot be written into a call:\r\r" + MarkedName(verdict.subject) +
                        "\r\rThe shortcut would start another program.\rPlease choose another program to run.",
                    "Das zu startende Programm kann nicht in einen Aufruf geschrieben werden:\r\r" +
                        MarkedName(verdict.subject) +
                        "\r\rDie Verknüpfung würde ein anderes Programm starten.\rBitte wählen Sie ein anderes "
                        "zu startendes Programm."};
    }
    return {};
}

}  // namespace norvanex
