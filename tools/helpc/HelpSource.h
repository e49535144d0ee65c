// Help sources: the markup the help compiler reads, its parser and the checks across all sources.
//
// One source per language, UTF-8. Lines starting with "#" are comments. A topic begins with
//   @topic ID          context id: letters, digits, "_" and "."
//   @map NUMBER        optional: the number HELP_CONTEXT opens
//   @title TEXT        shown as the topic's title and heading
//   @keywords A; B     optional: index entries
// followed by its body, blocks separated by blank lines:
//   = TEXT             a heading
//   - TEXT             a list item (following lines continue it)
//   > TEXT             an example line; consecutive ones form one block, kept line by line
//   anything else      a paragraph; its lines are joined by one blank
// Inside headings, paragraphs and list items: *bold*, [link text|topic_id], and "\" before
// one of \ * [ ] | for that character itself. Example lines are taken literally.
// A source may start with "@language CODE" (the HTML page's language).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norvanex::help {

enum class RunKind { Text, Bold, Link };

struct Run {
    RunKind kind = RunKind::Text;
    std::string text;    // code page 1252
    std::string target;  // context id, for links
};

enum class BlockKind { Heading, Paragraph, ListItem, Example };

struct Block {
    BlockKind kind = BlockKind::Paragraph;
    std::vector<Run> runs;           // headings, paragraphs, list items
    std::vector<std::string> lines;  // examples, code page 1252
    int line = 0;
};

struct Topic {
    std::string id;
    bool hasMap = false;
    uint32_t map = 0;
    std::string title;  // code page 1252
    std::vector<std::string> keywords;
    std::vector<Block> blocks;
    std::string file;   // source name, for messages
    int line = 0;       // of "@topic"
    int source = 0;     // index of the source the topic came from
};

struct Source {
    std::string name;
    std::string language;
    std::vector<Topic> topics;
};

// Parses one source. On failure returns false and sets `error` to "NAME:LINE: what".
bool ParseSource(std::string_view text, const std::string& name, Source& out, std::string& error);

// Checks what only all sources together can tell: no context id twice (the viewer finds topics
// by hash, which folds case, so neither in another case nor two ids of one hash), no map number
// twice, every link names a topic.
bool CheckSources(const std::vector<Source>& sources, std::string& error);

// UTF-8 to code page 1252. Fails at the first byte sequence that is not UTF-8 or at a character
// the code page lacks (also control characters); `bad` then names it ("U+4E2D").
bool Utf8ToCp1252(std::string_view utf8, std::string& out, std::string& bad);

// Code page 1252 back to UTF-8 (for the HTML pages).
std::string Cp1252ToUtf8(std::string_view text);

// Letters, digits, "_" and ".": the characters every viewer hashes alike.
bool IsValidContextId(std::string_view id);

// The viewer's hash of a context id; letters fold to one case.
int32_t ContextHash(std::string_view id);

}  // namespace norvanex::help
