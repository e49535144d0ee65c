// The help source parser, the code page 1252 conversion and the checks across sources.
#include "HelpSource.h"

#include <map>

namespace norvanex::help {
namespace {

// Code page 1252's 0x80..0x9F; 0 where the code page has no character.
constexpr uint16_t kHigh1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Titles and keywords are kept in the help file's B+ trees, a few to a page.
constexpr size_t kMaxTitle = 255;

std::string CodePointName(uint32_t cp) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    do {
        hex.insert(hex.begin(), digits[cp % 16]);
        cp /= 16;
    } while (cp != 0);
    while (hex.size() < 4) hex.insert(hex.begin(), '0');
    return "U+" + hex;
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

std::string Where(const std::string& file, int line) { return file + ":" + std::to_string(line) + ": "; }

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string FoldId(std::string_view id) {
    std::string folded(id);
    for (char& c : folded) c = FoldAscii(c);
    return folded;
}

class Parser {
public:
    Parser(const std::string& name, Source& out) : name_(name), out_(out) {}

    bool Parse(std::string_view text, std::string& error) {
        if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
        int lineNo = 0;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) end = text.size();
            std::string_view raw = text.substr(pos, end - pos);
            if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
            ++lineNo;
            std::string line;
            std::string bad;
            if (!Utf8ToCp1252(raw, line, bad)) {
                error = Where(name_, lineNo) + "character " + bad + " is not in code page 1252";
                return false;
            }
            if (!Line(line, lineNo, error)) return false;
            if (end == text.size()) break;
            pos = end + 1;
        }
        if (!EndBlock(error)) return false;
        if (out_.topics.empty()) {
            error = Where(name_, lineNo == 0 ? 1 : lineNo) + "no @topic in this source";
            return false;
        }
        for (const Topic& t : out_.topics) {
            if (t.title.empty()) {
                error = Where(name_, t.line) + "topic \"" + t.id + "\" has no @title";
                return false;
            }
        }
        return true;
    }

private:
    bool Fail(std::string& error, int line, const std::string& what) {
        error = Where(name_, line) + what;
        return false;
    }

    bool Line(const std::string& line, int lineNo, std::string& error) {
        if (!line.empty() && line[0] == '#') return true;
        if (!line.empty() && line[0] == '@') return EndBlock(error) && Directive(line, lineNo, error);
        const std::string trimmed = Trim(line);
        if (trimmed.empty()) return EndBlock(error);
        if (out_.topics.empty()) return Fail(error, lineNo, "text before the first @topic");
        if (line[0] == '>') {
            if (pendingKind_ != BlockKind::Example || pending_.empty()) {
                if (!EndBlock(error)) return false;
                pendingKind_ = BlockKind::Example;
                pendingLine_ = lineNo;
            }
            std::string example = line.substr(1);
            if (!example.empty() && example[0] == ' ') example.erase(0, 1);
            while (!example.empty() && (example.back() == ' ' || example.back() == '\t')) example.pop_back();
            exampleLines_.push_back(example);
            pending_ = "x";
            return true;
        }
        if (pendingKind_ == BlockKind::Example && !pending_.empty()) {
            if (!EndBlock(error)) return false;
        }
        if (line[0] == '=' || (line[0] == '-' && (line.size() == 1 || line[1] == ' '))) {
            if (!EndBlock(error)) return false;
            pendingKind_ = line[0] == '=' ? BlockKind::Heading : BlockKind::ListItem;
            pendingLine_ = lineNo;
            pending_ = Trim(std::string_view(line).substr(1));
            if (pending_.empty()) return Fail(error, lineNo, "empty heading or list item");
            if (pendingKind_ == BlockKind::Heading) return EndBlock(error);
            return true;
        }
        if (pending_.empty()) {
            pendingKind_ = BlockKind::Paragraph;
            pendingLine_ = lineNo;
            pending_ = trimmed;
        } else {
            pending_ += ' ';
            pending_ += trimmed;
        }
        return true;
    }

    bool Directive(const std::string& line, int lineNo, std::string& error) {
        const size_t space = line.find_first_of(" \t");
        const std::string word = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : Trim(std::string_view(line).substr(space));
        if (word == "@language") {
            if (!out_.topics.empty()) return Fail(error, lineNo, "@language belongs before the first @topic");
            out_.language = value;
            return true;
        }
        if (word == "@topic") {
            if (!IsValidContextId(value))
                return Fail(error, lineNo, "context id \"" + value + "\" must be letters, digits, \"_\" or \".\"");
            Topic topic;
            topic.id = value;
            topic.file = name_;
            topic.line = lineNo;
            out_.topics.push_back(topic);
            return true;
        }
        if (out_.topics.empty()) return Fail(error, lineNo, word + " before the first @topic");
        Topic& topic = out_.topics.back();
        if (!topic.blocks.empty()) return Fail(error, lineNo, word + " after the topic's text");
        if (word == "@title") {
            if (value.empty()) return Fail(error, lineNo, "empty @title");
            if (value.size() > kMaxTitle) return Fail(error, lineNo, "@title longer than 255 characters");
            topic.title = value;
            return true;
        }
        if (word == "@map") {
            uint64_t number = 0;
            if (value.empty() || value.size() > 10) return Fail(error, lineNo, "@map needs a number up to 4294967295");
            for (char c : value) {
                if (c < '0' || c > '9') return Fail(error, lineNo, "@map needs a number up to 4294967295");
                number = number * 10 + static_cast<unsigned>(c - '0');
            }
            if (number > 0xFFFFFFFFull) return Fail(error, lineNo, "@map needs a number up to 4294967295");
            topic.hasMap = true;
            topic.map = static_cast<uint32_t>(number);
            return true;
        }
        if (word == "@keywords") {
            size_t start = 0;
            while (start <= value.size()) {
                size_t semi = value.find(';', start);
                if (semi == std::string::npos) semi = value.size();
                const std::string keyword = Trim(std::string_view(value).substr(start, semi - start));
                if (keyword.empty()) return Fail(error, lineNo, "empty keyword");
                if (keyword.size() > kMaxTitle) return Fail(error, lineNo, "keyword longer than 255 characters");
                topic.keywords.push_back(keyword);
                start = semi + 1;
            }
            return true;
        }
        return Fail(error, lineNo, "unknown directive " + word);
    }

    // Splits marked-up text into runs.
    bool Inline(const std::string& text, int lineNo, std::vector<Run>& runs, std::string& error) {
        Run current;
        bool bold = false;
        bool inLink = false;
        bool inTarget = false;
        auto flush = [&](RunKind kind) {
            if (!current.text.empty()) {
                current.kind = kind;
                runs.push_back(current);
            }
            current = Run();
        };
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\\') {
                if (i + 1 >= text.size() || std::string_view("\\*[]|").find(text[i + 1]) == std::string_view::npos)
                    return Fail(error, lineNo, "\"\\\" must precede one of \\ * [ ] |");
                (inTarget ? current.target : current.text) += text[++i];
                continue;
            }
            if (inLink) {
                if (c == '|' && !inTarget) {
                    inTarget = true;
                } else if (c == ']') {
                    if (!inTarget) return Fail(error, lineNo, "link without \"|topic_id\"");
                    if (current.text.empty()) return Fail(error, lineNo, "link without text");
                    current.target = Trim(current.target);
                    if (!IsValidContextId(current.target))
                        return Fail(error, lineNo, "link target \"" + current.target + "\" is not a context id");
                    runs.push_back(Run{RunKind::Link, current.text, current.target});
                    current = Run();
                    inLink = inTarget = false;
                } else if (c == '[' || c == '*' || (c == '|' && inTarget)) {
                    return Fail(error, lineNo, std::string("\"") + c + "\" inside a link; write \"\\" + c + "\"");
                } else {
                    (inTarget ? current.target : current.text) += c;
                }
                continue;
            }
            if (c == '*') {
                flush(bold ? RunKind::Bold : RunKind::Text);
                bold = !bold;
            } else if (c == '[') {
                if (bold) return Fail(error, lineNo, "link inside bold text");
                flush(RunKind::Text);
                inLink = true;
            } else if (c == ']' || c == '|') {
                return Fail(error, lineNo, std::string("\"") + c + "\" outside a link; write \"\\" + c + "\"");
            } else {
                current.text += c;
            }
        }
        if (inLink) return Fail(error, lineNo, "link not closed with \"]\"");
        if (bold) return Fail(error, lineNo, "bold text not closed with \"*\"");
        flush(RunKind::Text);
        return true;
    }

    bool EndBlock(std::string& error) {
        if (pending_.empty()) return true;
        Block block;
        block.kind = pendingKind_;
        block.line = pendingLine_;
        if (pendingKind_ == BlockKind::Example) {
            block.lines = exampleLines_;
            exampleLines_.clear();
        } else if (!Inline(pending_, pendingLine_, block.runs, error)) {
            return false;
        }
        out_.topics.back().blocks.push_back(block);
        pending_.clear();
        pendingKind_ = BlockKind::Paragraph;
        return true;
    }

    const std::string& name_;
    Source& out_;
    std::string pending_;
    BlockKind pendingKind_ = BlockKind::Paragraph;
    int pendingLine_ = 0;
    std::vector<std::string> exampleLines_;
};

}  // namespace

bool IsValidContextId(std::string_view id) {
    if (id.empty() || id.size() > 255) return false;
    for (char c : id) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
        if (!ok) return false;
    }
    return true;
}

bool Utf8ToCp1252(std::string_view utf8, std::string& out, std::string& bad) {
    out.clear();
    size_t i = 0;
    while (i < utf8.size()) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        uint32_t cp = 0;
        size_t length = 1;
        if (b0 < 0x80) {
            cp = b0;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            cp = b0 & 0x1F;
            length = 2;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            cp = b0 & 0x0F;
            length = 3;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            cp = b0 & 0x07;
            length = 4;
        } else {
            bad = "byte 0x" + CodePointName(b0).substr(4) + " (not UTF-8)";
            return false;
        }
        if (i + length > utf8.size()) {
            bad = "a cut UTF-8 sequence";
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto b = static_cast<unsigned char>(utf8[i + k]);
            if ((b & 0xC0) != 0x80) {
                bad = "a broken UTF-8 sequence";
                return false;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
        if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            bad = "an invalid UTF-8 sequence";
            return false;
        }
        i += length;
        if ((cp >= 0x20 && cp < 0x7F) || cp == '\t' || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp == '\t' ? ' ' : cp);
            continue;
        }
        bool found = false;
        for (unsigned k = 0; k < 32 && !found; ++k) {
            if (kHigh1252[k] != 0 && kHigh1252[k] == cp) {
                out += static_cast<char>(0x80 + k);
                found = true;
            }
        }
        if (!found) {
            bad = CodePointName(cp);
            return false;
        }
    }
    return true;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        uint32_t cp = b;
        if (b >= 0x80 && b < 0xA0) cp = kHigh1252[b - 0x80] != 0 ? kHigh1252[b - 0x80] : 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

int32_t ContextHash(std::string_view id) {
    uint32_t hash = 0;
    for (char ch : id) {
        const auto c = static_cast<unsigned char>(ch);
        uint32_t x = 0;
        if (c >= 'A' && c <= 'Z') x = c - 'A' + 17;
        else if (c >= 'a' && c <= 'z') x = c - 'a' + 17;
        else if (c >= '1' && c <= '9') x = c - '0';
        else if (c == '0') x = 10;
        else if (c == '.') x = 12;
        else if (c == '_') x = 13;
        hash = hash * 43 + x;
    }
    return static_cast<int32_t>(hash);
}

bool ParseSource(std::string_view text, const std::string& name, Source& out, std::string& error) {
    out = Source();
    out.name = name;
    Parser parser(name, out);
    return parser.Parse(text, error);
}

bool CheckSources(const std::vector<Source>& sources, std::string& error) {
    std::map<std::string, const Topic*> ids;
    std::map<int32_t, const Topic*> hashes;
    std::map<uint32_t, const Topic*> maps;
    for (const Source& source : sources) {
        for (const Topic& topic : source.topics) {
            auto [it, added] = ids.emplace(FoldId(topic.id), &topic);
            if (!added) {
                error = Where(topic.file, topic.line) + "context id \"" + topic.id + "\" is already used at " +
                        it->second->file + ":" + std::to_string(it->second->line) + " (\"" + it->second->id + "\")";
                return false;
            }
            auto [h, hashAdded] = hashes.emplace(ContextHash(topic.id), &topic);
            if (!hashAdded) {
                error = Where(topic.file, topic.line) + "context id \"" + topic.id + "\" has the same hash as \"" +
                        h->second->id + "\" at " + h->second->file + ":" + std::to_string(h->second->line) +
                        "; rename one of them";
                return false;
            }
            if (topic.hasMap) {
                auto [m, mapAdded] = maps.emplace(topic.map, &topic);
                if (!mapAdded) {
                    error = Where(topic.file, topic.line) + "map number " + std::to_string(topic.map) +
                            " is already used at " + m->second->file + ":" + std::to_string(m->second->line);
                    return false;
                }
            }
        }
    }
    for (const Source& source : sources) {
        for (const Topic& topic : source.topics) {
            for (const Block& block : topic.blocks) {
                for (const Run& run : block.runs) {
                    if (run.kind == RunKind::Link && ids.find(FoldId(run.target)) == ids.end()) {
                        error = Where(topic.file, block.line) + "link to missing topic \"" + run.target + "\"";
                        return false;
                    }
                }
            }
        }
    }
    return true;
}

}  // namespace norvanex::help
