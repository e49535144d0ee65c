// Reads a Windows help file back for the tests: the container, the trees and every topic record,
// checking the layout rules a viewer relies on. Written from the format description, apart from
// the compiler, so that the two cannot share a mistake.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace norvanex::hlptest {

struct Paragraph {
    std::string text;              // the strings joined, line breaks as '\n'
    std::vector<int32_t> jumps;    // context hashes of the jumps, in order
    std::vector<uint16_t> fonts;   // font changes, in order
};

struct Topic {
    std::string title;
    uint32_t offset = 0;  // topic offset, as |CONTEXT and |CTXOMAP give it
    std::vector<Paragraph> paragraphs;
};

struct HlpFile {
    std::map<std::string, uint32_t> directory;  // internal file name to offset
    std::string title;
    uint32_t contents = 0;
    uint16_t fontCount = 0;
    std::vector<std::string> faces;
    std::vector<Topic> topics;                   // in file order
    std::map<int32_t, uint32_t> contexts;        // hash to topic offset
    std::map<uint32_t, uint32_t> maps;           // map number to topic offset
    std::map<uint32_t, std::string> titles;      // |TTLBTREE
    std::map<std::string, std::vector<uint32_t>> keywords;
    uint32_t topicBlocks = 0;

    // The topic at a topic offset, or null.
    const Topic* TopicAt(uint32_t offset) const;
};

// False with a reason when the file breaks a rule of the format.
bool ReadHlp(const std::vector<uint8_t>& data, HlpFile& out, std::string& error);

// The context hash by the format description's table.
int32_t ReferenceHash(std::string_view id);

}  // namespace norvanex::hlptest
