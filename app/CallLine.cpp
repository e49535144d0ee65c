// The call-line reader: token splitting over CharNextA-style stepping.
#include "app/CallLine.h"

namespace norvanex {

namespace {

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

std::string CallLineParam(const char* commandLine, int index, CharNextFn charNext) {
    std::string token;
    if (commandLine == nullptr || index < 1) return token;
    const char* p = commandLine;
    for (int i = 0; i < index; ++i) {
        p = ReadToken(SkipToToken(p, charNext), charNext, nullptr);
    }
    ReadToken(SkipToToken(p, charNext), charNext, &token);
    return token;
}

bool IsStartParam(const std::string& param) {
    return param.size() >= 2 && (param[0] == 'r' || param[0] == 'R') && param[1] == ':';
}

std::string StartPathOf(const std::string& param) {
    if (param.size() < 2 || param.size() - 2 > kMaxStartPath) return std::string();
    return param.substr(2);
}

}  // namespace norvanex
