// The help file writer: topic records in 4 KB blocks, the B+ trees that find them, the container.
#include "HlpWriter.h"

#include <algorithm>
#include <map>

namespace norvanex::help {
namespace {

// Uncompressed 4.0 files: 4096-byte topic blocks, each a 12-byte header and 4084 bytes of records.
// A record position counts 0x4000 per block; a topic offset 0x8000 per block plus the text bytes
// of the block's earlier text records.
constexpr uint32_t kBlockSize = 4096;
constexpr uint32_t kBlockHeader = 12;
constexpr uint32_t kBlockData = kBlockSize - kBlockHeader;
constexpr uint32_t kLinkHeader = 21;
constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr size_t kMaxParagraphText = 4000;

enum Font : uint16_t { kFontText, kFontBold, kFontHeading, kFontTitle, kFontExample, kFontCount };

enum : uint8_t {
    kRecordTopicHeader = 0x02,
    kRecordText = 0x20,
    kCmdFont = 0x80,
    kCmdLineBreak = 0x81,
    kCmdParagraphEnd = 0x82,
    kCmdJump = 0xE3,
    kCmdHotspotEnd = 0x89,
    kCmdEnd = 0xFF,
};

using Bytes = std::vector<uint8_t>;

void Put8(Bytes& b, uint8_t v) { b.push_back(v); }
void Put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, static_cast<uint16_t>(v));
    Put16(b, static_cast<uint16_t>(v >> 16));
}
void PutString(Bytes& b, std::string_view s, bool terminate = true) {
    b.insert(b.end(), s.begin(), s.end());
    if (terminate) b.push_back(0);
}
void Set32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The packed numbers of a text record's formatting part; bit 0 of the first byte says "long form".
void PutPackedSignedShort(Bytes& b, int v) { Put8(b, static_cast<uint8_t>(0x80 + 2 * v)); }  // -64..63
void PutPackedUnsignedShort(Bytes& b, uint32_t v) {
    if (v < 0x80) Put8(b, static_cast<uint8_t>(2 * v));
    else Put16(b, static_cast<uint16_t>(2 * v + 1));
}
void PutPackedSignedLong(Bytes& b, uint32_t v) {
    if (v < 0x4000) Put16(b, static_cast<uint16_t>(0x8000 + 2 * v));
    else Put32(b, 0x80000000u + 2 * v + 1);
}

struct Record {
    uint8_t type = kRecordText;
    Bytes data1;  // formatting part (text records) or topic header (28 bytes)
    Bytes data2;  // text part
    size_t topic = 0;
    uint32_t start = 0;  // in the run of block data
    uint32_t pos = 0;    // record position
};

uint32_t PositionOf(uint32_t start) { return (start / kBlockData) * 0x4000 + kBlockHeader + start % kBlockData; }

// One text record: strings and commands alternate, one NUL-terminated string before each command.
class TextRecord {
public:
    void Command(std::initializer_list<uint8_t> bytes) {
        PutString(text_, pending_);
        pending_.clear();
        commands_.insert(commands_.end(), bytes);
    }
    void Font(uint16_t font) {
        if (font == font_) return;
        Command({kCmdFont, static_cast<uint8_t>(font), static_cast<uint8_t>(font >> 8)});
        font_ = font;
    }
    void Text(std::string_view s) { pending_ += s; }
    void Jump(int32_t hash, std::string_view label) {
        const auto h = static_cast<uint32_t>(hash);
        Command({kCmdJump, static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16),
                 static_cast<uint8_t>(h >> 24)});
        pending_ = label;
        Command({kCmdHotspotEnd});
    }

    // Spacing in the viewer's units; `bits` says which of above, below, left, first-line follow.
    Record Finish(int above, int below, int left, int firstLine, size_t topic) {
        Command({kCmdParagraphEnd});
        Command({kCmdEnd});
        Record r;
        r.type = kRecordText;
        r.topic = topic;
        // The viewer adds up these lengths to reach a topic offset. Counting the text part's bytes
        // keeps offsets of different topics apart and below a block's 0x8000.
        const auto length = static_cast<uint32_t>(text_.size());
        PutPackedSignedLong(r.data1, length);
        PutPackedUnsignedShort(r.data1, length);
        Put8(r.data1, 0x00);
        Put8(r.data1, 0x80);
        Put16(r.data1, 0);
        uint16_t bits = 0;
        if (above) bits |= 0x0002;
        if (below) bits |= 0x0004;
        if (left) bits |= 0x0010;
        if (firstLine) bits |= 0x0040;
        Put16(r.data1, bits);
        if (above) PutPackedSignedShort(r.data1, above);
        if (below) PutPackedSignedShort(r.data1, below);
        if (left) PutPackedSignedShort(r.data1, left);
        if (firstLine) PutPackedSignedShort(r.data1, firstLine);
        r.data1.insert(r.data1.end(), commands_.begin(), commands_.end());
        r.data2 = text_;
        return r;
    }

private:
    Bytes commands_;
    Bytes text_;
    std::string pending_;
    uint16_t font_ = 0xFFFF;
};

// Headings are bold already: their bold runs keep the heading's font.
void AddRuns(TextRecord& rec, const std::vector<Run>& runs, uint16_t plainFont) {
    const uint16_t boldFont = plainFont == kFontText ? static_cast<uint16_t>(kFontBold) : plainFont;
    rec.Font(plainFont);
    for (const Run& run : runs) {
        switch (run.kind) {
        case RunKind::Text:
            rec.Font(plainFont);
            rec.Text(run.text);
            break;
        case RunKind::Bold:
            rec.Font(boldFont);
            rec.Text(run.text);
            break;
        case RunKind::Link:
            rec.Font(plainFont);
            rec.Jump(ContextHash(run.target), run.text);
            break;
        }
    }
}

// A B+ tree: the entries, sorted by the caller, fill leaf pages in order; above them index pages
// hold the first key of each further child page, up to a single root. An entry's key is its
// leading NUL-terminated string or its first four bytes.
bool BuildTree(const char* structure, uint16_t flags, uint16_t pageSize, const std::vector<Bytes>& entries,
               Bytes& out, std::string& error, const char* what) {
    const bool stringKey = structure[0] == 'z' || structure[0] == 'F' || structure[0] == 'i';
    auto keyOf = [&](const Bytes& entry) {
        size_t length = 4;
        if (stringKey) length = static_cast<size_t>(std::find(entry.begin(), entry.end(), 0) - entry.begin()) + 1;
        return Bytes(entry.begin(), entry.begin() + static_cast<std::ptrdiff_t>(std::min(length, entry.size())));
    };
    struct Page {
        std::vector<const Bytes*> entries;
        std::vector<Bytes> index;  // (key, child) entries of an index page
        uint16_t firstChild = 0;
        size_t used = 8;
        Bytes firstKey;
    };
    std::vector<Page> pages;
    std::vector<size_t> level;  // pages of the level being built
    for (const Bytes& e : entries) {
        if (8 + e.size() > pageSize) {
            error = std::string("an entry of the ") + what + " is longer than a B+ tree page";
            return false;
        }
        if (level.empty() || pages[level.back()].used + e.size() > pageSize) {
            level.push_back(pages.size());
            pages.emplace_back();
            pages.back().firstKey = keyOf(e);
        }
        pages[level.back()].entries.push_back(&e);
        pages[level.back()].used += e.size();
    }
    if (level.empty()) {
        level.push_back(0);
        pages.emplace_back();
    }
    const std::vector<size_t> leaves = level;
    uint16_t levels = 1;
    while (level.size() > 1) {
        std::vector<size_t> upper;
        for (size_t i = 0; i < level.size(); ++i) {
            Bytes e = pages[level[i]].firstKey;
            Put16(e, static_cast<uint16_t>(level[i]));
            if (i == 0 || pages[upper.back()].used + e.size() > pageSize) {
                upper.push_back(pages.size());
                Page page;
                page.firstChild = static_cast<uint16_t>(level[i]);
                page.firstKey = pages[level[i]].firstKey;
                page.used = 6;
                pages.push_back(page);
                continue;
            }
            pages[upper.back()].index.push_back(e);
            pages[upper.back()].used += e.size();
        }
        level = upper;
        ++levels;
    }
    if (pages.size() > 0xFFFE) {
        error = std::string("too many ") + what + " for a B+ tree";
        return false;
    }
    out.clear();
    Put16(out, 0x293B);
    Put16(out, flags);
    Put16(out, pageSize);
    char name[16] = {};
    std::copy(structure, structure + std::char_traits<char>::length(structure), name);
    out.insert(out.end(), name, name + 16);
    Put16(out, 0);                                                // must be zero
    Put16(out, static_cast<uint16_t>(leaves.size() - 1));         // page splits
    Put16(out, static_cast<uint16_t>(level.front()));             // root page
    Put16(out, 0xFFFF);                                           // must be -1
    Put16(out, static_cast<uint16_t>(pages.size()));              // total pages
    Put16(out, levels);
    Put32(out, static_cast<uint32_t>(entries.size()));
    for (size_t n = 0; n < pages.size(); ++n) {
        const Page& page = pages[n];
        const size_t at = out.size();
        const bool leaf = n < leaves.size();
        Put16(out, static_cast<uint16_t>(pageSize - page.used));
        Put16(out, static_cast<uint16_t>(leaf ? page.entries.size() : page.index.size()));
        if (leaf) {
            Put16(out, n == 0 ? 0xFFFF : static_cast<uint16_t>(n - 1));                  // previous leaf
            Put16(out, n + 1 == leaves.size() ? 0xFFFF : static_cast<uint16_t>(n + 1));  // next leaf
            for (const Bytes* e : page.entries) out.insert(out.end(), e->begin(), e->end());
        } else {
            Put16(out, page.firstChild);
            for (const Bytes& e : page.index) out.insert(out.end(), e.begin(), e.end());
        }
        out.resize(at + pageSize, 0);
    }
    return true;
}

std::string FoldKeyword(std::string_view s) {
    std::string folded(s);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

}  // namespace

bool WriteHlp(const std::vector<Source>& sources, const HlpOptions& options, std::vector<uint8_t>& out,
              std::string& error) {
    std::vector<const Topic*> topics;
    for (const Source& s : sources)
        for (const Topic& t : s.topics) topics.push_back(&t);
    if (topics.empty()) {
        error = "no topics";
        return false;
    }

    // Records: per topic a header, its title as the first paragraph, then its blocks.
    std::vector<Record> records;
    for (size_t ti = 0; ti < topics.size(); ++ti) {
        const Topic& topic = *topics[ti];
        Record header;
        header.type = kRecordTopicHeader;
        header.topic = ti;
        header.data1.assign(28, 0);
        PutString(header.data2, topic.title, false);
        records.push_back(header);

        TextRecord title;
        title.Font(kFontTitle);
        title.Text(topic.title);
        records.push_back(title.Finish(0, 4, 0, 0, ti));

        for (const Block& block : topic.blocks) {
            TextRecord rec;
            Record r;
            switch (block.kind) {
            case BlockKind::Heading:
                AddRuns(rec, block.runs, kFontHeading);
                r = rec.Finish(12, 0, 0, 0, ti);
                break;
            case BlockKind::Paragraph:
                AddRuns(rec, block.runs, kFontText);
                r = rec.Finish(6, 0, 0, 0, ti);
                break;
            case BlockKind::ListItem:
                rec.Font(kFontText);
                rec.Text("\x95 ");
                AddRuns(rec, block.runs, kFontText);
                r = rec.Finish(3, 0, 24, -12, ti);
                break;
            case BlockKind::Example:
                rec.Font(kFontExample);
                for (size_t i = 0; i < block.lines.size(); ++i) {
                    rec.Text(block.lines[i]);
                    if (i + 1 < block.lines.size()) rec.Command({kCmdLineBreak});
                }
                r = rec.Finish(6, 0, 24, 0, ti);
                break;
            }
            if (r.data2.size() > kMaxParagraphText) {
                error = topic.file + ":" + std::to_string(block.line) + ": paragraph longer than " +
                        std::to_string(kMaxParagraphText) + " bytes; split it";
                return false;
            }
            records.push_back(r);
        }
    }
    Record closing;
    closing.type = kRecordTopicHeader;
    closing.topic = topics.size();
    closing.data1.assign(28, 0);
    records.push_back(closing);

    // Layout: a record's header and formatting part stay inside one block, where the viewer looks
    // for them from the record's position; its text may run on into the next block.
    uint32_t run = 0;
    for (Record& r : records) {
        const auto head = static_cast<uint32_t>(kLinkHeader + r.data1.size());
        if (run % kBlockData + head > kBlockData) run += kBlockData - run % kBlockData;
        r.start = run;
        r.pos = PositionOf(run);
        run += head + static_cast<uint32_t>(r.data2.size());
    }
    const uint32_t blocks = (run + kBlockData - 1) / kBlockData;

    // Topic offsets of the headers, as the viewer counts them.
    std::vector<uint32_t> topicOffset(topics.size() + 1, 0);
    uint32_t block = kNone, counted = 0;
    for (const Record& r : records) {
        if (r.start / kBlockData != block) {
            block = r.start / kBlockData;
            counted = 0;
        }
        if (r.type == kRecordTopicHeader) topicOffset[r.topic] = block * 0x8000 + counted;
        else counted += static_cast<uint32_t>(r.data2.size());
    }

    // Topic headers: size of the topic's records, no browse sequence, the topic's number, where
    // its scrolling region starts, and where the next topic header is.
    for (size_t i = 0; i < records.size(); ++i) {
        Record& r = records[i];
        if (r.type != kRecordTopicHeader) continue;
        size_t next = i + 1;
        uint32_t size = 0;
        for (size_t k = i; k < records.size() && (k == i || records[k].type != kRecordTopicHeader); ++k, next = k)
            size += static_cast<uint32_t>(kLinkHeader + records[k].data1.size() + records[k].data2.size());
        const bool last = r.topic == topics.size();
        Set32(r.data1, 0, size);
        Set32(r.data1, 4, kNone);
        Set32(r.data1, 8, kNone);
        Set32(r.data1, 12, static_cast<uint32_t>(r.topic));
        Set32(r.data1, 16, kNone);
        Set32(r.data1, 20, last || i + 1 >= records.size() ? kNone : records[i + 1].pos);
        Set32(r.data1, 24, last || next >= records.size() ? kNone : records[next].pos);
    }

    // |TOPIC: blocks with their headers. The last block is padded to full size, because a viewer
    // reads an uncompressed file block by block, whole blocks at a time.
    Bytes topicFile(static_cast<size_t>(blocks) * kBlockSize, 0);
    auto putAt = [&](uint32_t at, uint8_t v) {
        topicFile[(at / kBlockData) * kBlockSize + kBlockHeader + at % kBlockData] = v;
    };
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        Bytes link;
        Put32(link, static_cast<uint32_t>(kLinkHeader + r.data1.size() + r.data2.size()));
        Put32(link, static_cast<uint32_t>(r.data2.size()));
        Put32(link, i == 0 ? kNone : records[i - 1].pos);
        Put32(link, i + 1 == records.size() ? kNone : records[i + 1].pos);
        Put32(link, static_cast<uint32_t>(kLinkHeader + r.data1.size()));
        Put8(link, r.type);
        link.insert(link.end(), r.data1.begin(), r.data1.end());
        link.insert(link.end(), r.data2.begin(), r.data2.end());
        for (uint32_t k = 0; k < link.size(); ++k) putAt(r.start + k, link[k]);
    }
    for (uint32_t b = 0; b < blocks; ++b) {
        uint32_t lastLink = kNone, firstLink = kNone, lastHeader = 0;
        for (const Record& r : records) {
            if (r.start < b * kBlockData) {
                lastLink = r.pos;
                if (r.type == kRecordTopicHeader) lastHeader = r.pos;
            } else if (firstLink == kNone && r.start < (b + 1) * kBlockData) {
                firstLink = r.pos;
            }
        }
        Bytes head;
        Put32(head, lastLink);
        Put32(head, firstLink);
        Put32(head, lastHeader);
        std::copy(head.begin(), head.end(), topicFile.begin() + static_cast<size_t>(b) * kBlockSize);
    }

    // |SYSTEM: version 4.0, uncompressed; title, contents topic, ANSI character set.
    uint32_t contents = topicOffset[0];
    if (!options.contentsTopic.empty()) {
        bool found = false;
        for (size_t i = 0; i < topics.size(); ++i) {
            if (FoldKeyword(topics[i]->id) == FoldKeyword(options.contentsTopic)) {
                contents = topicOffset[i];
                found = true;
            }
        }
        if (!found) {
            error = "contents topic \"" + options.contentsTopic + "\" does not exist";
            return false;
        }
    }
    Bytes system;
    Put16(system, 0x036C);
    Put16(system, 33);
    Put16(system, 1);
    Put32(system, 0);  // generation date: none, so that equal sources give equal files
    Put16(system, 0);
    Put16(system, 1);
    Put16(system, static_cast<uint16_t>(options.title.size() + 1));
    PutString(system, options.title);
    Put16(system, 3);
    Put16(system, 4);
    Put32(system, contents);
    Put16(system, 11);
    Put16(system, 2);
    Put16(system, 0);  // ANSI_CHARSET: the text is code page 1252

    // |FONT: two faces, five descriptors (text, bold, heading, title, example).
    Bytes font;
    const char* faces[] = {"Arial", "Courier New"};
    constexpr uint16_t kFaceSize = 32;
    Put16(font, 2);
    Put16(font, kFontCount);
    Put16(font, 8);
    Put16(font, 8 + 2 * kFaceSize);
    for (const char* face : faces) {
        Bytes name(kFaceSize, 0);
        std::copy(face, face + std::char_traits<char>::length(face), name.begin());
        font.insert(font.end(), name.begin(), name.end());
    }
    struct Descriptor { uint8_t attributes, halfPoints, family; uint16_t face; uint8_t r, g, b; };
    const Descriptor descriptors[kFontCount] = {
        {0, 20, 3, 0, 0, 0, 0},     // text
        {1, 20, 3, 0, 0, 0, 0},     // bold
        {1, 24, 3, 0, 0, 0, 0x80},  // heading, navy
        {1, 28, 3, 0, 0, 0, 0x80},  // title, navy
        {0, 20, 1, 1, 0, 0, 0},     // example, fixed pitch
    };
    for (const Descriptor& d : descriptors) {
        Put8(font, d.attributes);
        Put8(font, d.halfPoints);
        Put8(font, d.family);
        Put16(font, d.face);
        Put8(font, d.r);
        Put8(font, d.g);
        Put8(font, d.b);
        Put8(font, 0xFF);
        Put8(font, 0xFF);
        Put8(font, 0xFF);
    }

    // |CONTEXT (hash to topic), |CTXOMAP (map number to topic), |TTLBTREE (topic to title).
    std::vector<std::pair<int32_t, uint32_t>> hashes;
    std::vector<std::pair<uint32_t, uint32_t>> maps;
    std::vector<Bytes> titles;
    for (size_t i = 0; i < topics.size(); ++i) {
        hashes.emplace_back(ContextHash(topics[i]->id), topicOffset[i]);
        if (topics[i]->hasMap) maps.emplace_back(topics[i]->map, topicOffset[i]);
        Bytes e;
        Put32(e, topicOffset[i]);
        PutString(e, topics[i]->title);
        titles.push_back(e);
    }
    std::sort(hashes.begin(), hashes.end());
    std::sort(maps.begin(), maps.end());
    for (size_t i = 1; i < hashes.size(); ++i) {
        if (hashes[i].first == hashes[i - 1].first) {
            error = "two context ids share one hash";
            return false;
        }
    }
    std::vector<Bytes> hashEntries;
    for (const auto& [hash, offset] : hashes) {
        Bytes e;
        Put32(e, static_cast<uint32_t>(hash));
        Put32(e, offset);
        hashEntries.push_back(e);
    }
    Bytes context, titleTree;
    if (!BuildTree("L4", 0x0002, 0x0800, hashEntries, context, error, "context ids")) return false;
    if (!BuildTree("Lz", 0x0002, 0x0800, titles, titleTree, error, "topic titles")) return false;
    if (maps.size() > 0xFFFF) {
        error = "more than 65535 map numbers";
        return false;
    }
    Bytes ctxomap;
    Put16(ctxomap, static_cast<uint16_t>(maps.size()));
    for (const auto& [map, offset] : maps) {
        Put32(ctxomap, map);
        Put32(ctxomap, offset);
    }

    // |KWBTREE and |KWDATA: each keyword (case folded, as the index sorts) with its topics.
    std::map<std::string, std::pair<std::string, std::vector<uint32_t>>> keywords;
    for (size_t i = 0; i < topics.size(); ++i) {
        for (const std::string& k : topics[i]->keywords) {
            auto& entry = keywords[FoldKeyword(k)];
            if (entry.first.empty()) entry.first = k;
            if (std::find(entry.second.begin(), entry.second.end(), topicOffset[i]) == entry.second.end())
                entry.second.push_back(topicOffset[i]);
        }
    }
    Bytes kwdata, kwtree;
    std::vector<Bytes> kwEntries;
    for (const auto& [folded, entry] : keywords) {
        Bytes e;
        PutString(e, entry.first);
        Put16(e, static_cast<uint16_t>(entry.second.size()));
        Put32(e, static_cast<uint32_t>(kwdata.size()));
        kwEntries.push_back(e);
        for (uint32_t offset : entry.second) Put32(kwdata, offset);
    }
    if (!BuildTree("F24", 0x0002, 0x0800, kwEntries, kwtree, error, "keywords")) return false;

    // The container: header, internal files, then the directory that names them.
    std::vector<std::pair<std::string, const Bytes*>> files = {
        {"|CONTEXT", &context}, {"|CTXOMAP", &ctxomap}, {"|FONT", &font},   {"|SYSTEM", &system},
        {"|TOPIC", &topicFile}, {"|TTLBTREE", &titleTree},
    };
    if (!keywords.empty()) {
        files.emplace_back("|KWBTREE", &kwtree);
        files.emplace_back("|KWDATA", &kwdata);
    }
    std::sort(files.begin(), files.end());
    out.assign(16, 0);
    std::vector<Bytes> dirEntries;
    auto putFile = [&](const Bytes& data) {
        const auto at = static_cast<uint32_t>(out.size());
        Put32(out, static_cast<uint32_t>(data.size() + 9));
        Put32(out, static_cast<uint32_t>(data.size()));
        Put8(out, 4);
        out.insert(out.end(), data.begin(), data.end());
        return at;
    };
    for (const auto& [name, data] : files) {
        Bytes e;
        PutString(e, name);
        Put32(e, putFile(*data));
        dirEntries.push_back(e);
    }
    Bytes directory;
    if (!BuildTree("z4", 0x0402, 0x0400, dirEntries, directory, error, "internal files")) return false;
    const uint32_t dirAt = putFile(directory);
    Set32(out, 0, 0x00035F3F);
    Set32(out, 4, dirAt);
    Set32(out, 8, kNone);
    Set32(out, 12, static_cast<uint32_t>(out.size()));
    return true;
}

}  // namespace norvanex::help
