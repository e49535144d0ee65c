// The test reader of help files; every read is bounds-checked, every rule failure names itself.
#include "hlp/HlpReader.h"

#include <cstring>
#include <functional>
#include <set>

namespace norvanex::hlptest {
namespace {

constexpr uint32_t kBlockSize = 4096;
constexpr uint32_t kBlockData = kBlockSize - 12;
constexpr uint32_t kNone = 0xFFFFFFFFu;

struct Bad {
    std::string what;
};

[[noreturn]] void Fail(const std::string& what) { throw Bad{what}; }

// A bounded view of bytes.
struct View {
    const uint8_t* data = nullptr;
    size_t size = 0;

    void Need(size_t at, size_t n, const char* what) const {
        if (at > size || n > size - at) Fail(std::string(what) + ": read past the end");
    }
    uint8_t U8(size_t at, const char* what = "byte") const {
        Need(at, 1, what);
        return data[at];
    }
    uint16_t U16(size_t at, const char* what = "word") const {
        Need(at, 2, what);
        return static_cast<uint16_t>(data[at] | data[at + 1] << 8);
    }
    uint32_t U32(size_t at, const char* what = "long") const {
        Need(at, 4, what);
        return static_cast<uint32_t>(U16(at)) | static_cast<uint32_t>(U16(at + 2)) << 16;
    }
    std::string Z(size_t at, size_t& next, const char* what = "string") const {
        std::string s;
        size_t i = at;
        for (;; ++i) {
            const uint8_t c = U8(i, what);
            if (c == 0) break;
            s += static_cast<char>(c);
        }
        next = i + 1;
        return s;
    }
    View Sub(size_t at, size_t n, const char* what) const {
        Need(at, n, what);
        return View{data + at, n};
    }
};

// An internal file's content, after its 9-byte header.
View InternalFile(const View& file, uint32_t offset, const std::string& name) {
    const uint32_t reserved = file.U32(offset, "file header");
    const uint32_t used = file.U32(offset + 4, "file header");
    file.U8(offset + 8, "file header");
    if (static_cast<uint64_t>(used) + 9 > reserved) Fail(name + ": reserved space smaller than used space + 9");
    file.Need(offset, reserved, (name + " does not fit in the file").c_str());
    return file.Sub(offset + 9, used, name.c_str());
}

// Walks a B+ tree's leaves in order; `entry` reads one entry at a position and returns its end.
// Index pages must name, for each child after the first, the first key of that child's subtree;
// a key is the entry's leading NUL-terminated string, or its first four bytes.
void WalkTree(const View& tree, const std::string& name, bool stringKey,
              const std::function<size_t(const View&, size_t)>& entry) {
    if (tree.U16(0) != 0x293B) Fail(name + ": not a B+ tree");
    const uint16_t pageSize = tree.U16(4);
    const uint16_t root = tree.U16(26);
    const uint16_t pages = tree.U16(30);
    const uint16_t levels = tree.U16(32);
    const uint32_t count = tree.U32(34);
    if (tree.U16(28) != 0xFFFF) Fail(name + ": must-be-minus-one field");
    if (pageSize < 8 || levels == 0 || root >= pages) Fail(name + ": bad tree header");
    tree.Need(38, static_cast<size_t>(pages) * pageSize, (name + " pages").c_str());
    auto page = [&](uint16_t n) {
        if (n >= pages) Fail(name + ": page number out of range");
        return tree.Sub(38 + static_cast<size_t>(n) * pageSize, pageSize, name.c_str());
    };
    auto keyAt = [&](const View& v, size_t at) {
        size_t end = at + 4;
        if (stringKey) v.Z(at, end);
        v.Need(at, end - at, "key");
        return std::string(reinterpret_cast<const char*>(v.data + at), end - at);
    };
    // The first key below a page, following first children down to a leaf.
    std::function<std::string(uint16_t, uint16_t)> firstKey = [&](uint16_t n, uint16_t level) {
        const View p = page(n);
        if (level == levels) {
            if (p.U16(2) == 0) Fail(name + ": empty leaf below an index page");
            return keyAt(p, 8);
        }
        return firstKey(p.U16(4), static_cast<uint16_t>(level + 1));
    };
    std::function<void(uint16_t, uint16_t)> checkIndex = [&](uint16_t n, uint16_t level) {
        if (level == levels) return;
        const View p = page(n);
        checkIndex(p.U16(4), static_cast<uint16_t>(level + 1));
        size_t at = 6;
        for (uint16_t i = 0; i < p.U16(2); ++i) {
            const std::string key = keyAt(p, at);
            at += key.size();
            const uint16_t child = p.U16(at);
            at += 2;
            if (firstKey(child, static_cast<uint16_t>(level + 1)) != key) Fail(name + ": index key differs from its child's");
            checkIndex(child, static_cast<uint16_t>(level + 1));
        }
        if (p.U16(0) != pageSize - at) Fail(name + ": free-bytes count of an index page is wrong");
    };
    if (levels > 8) Fail(name + ": too many levels");
    checkIndex(root, 1);
    uint16_t current = root;
    for (uint16_t level = 1; level < levels; ++level) current = page(current).U16(4);
    if (page(current).U16(4) != 0xFFFF) Fail(name + ": first leaf has a previous page");
    uint32_t seen = 0;
    std::set<uint16_t> visited;
    uint16_t previous = 0xFFFF;
    while (current != 0xFFFF) {
        if (!visited.insert(current).second) Fail(name + ": leaf pages form a loop");
        const View leaf = page(current);
        if (leaf.U16(4) != previous) Fail(name + ": a leaf's previous page is wrong");
        const uint16_t entries = leaf.U16(2);
        size_t at = 8;
        for (uint16_t i = 0; i < entries; ++i) {
            at = entry(leaf, at);
            if (at > pageSize) Fail(name + ": entry runs past its page");
        }
        if (leaf.U16(0) != pageSize - at) Fail(name + ": free-bytes count is wrong");
        seen += entries;
        previous = current;
        current = leaf.U16(6);
    }
    if (seen != count) Fail(name + ": entry count differs from the header");
}

// Packed numbers of a text record's formatting part.
struct Cursor {
    View v;
    size_t at = 0;
    size_t end = 0;
    uint8_t Byte() {
        if (at >= end) Fail("formatting part ends early");
        return v.U8(at++);
    }
    uint16_t Word() {
        const uint16_t lo = Byte();
        return static_cast<uint16_t>(lo | Byte() << 8);
    }
    uint32_t Long() {
        const uint32_t lo = Word();
        return lo | static_cast<uint32_t>(Word()) << 16;
    }
    int32_t PackedSignedLong() {
        if (v.U8(at) & 1) return static_cast<int32_t>((Long() >> 1)) - 0x40000000;
        return static_cast<int32_t>(Word() >> 1) - 0x4000;
    }
    uint32_t PackedUnsignedShort() {
        if (v.U8(at) & 1) return Word() >> 1;
        return Byte() >> 1;
    }
    int PackedSignedShort() {
        if (v.U8(at) & 1) return static_cast<int>(Word() >> 1) - 0x4000;
        return static_cast<int>(Byte() >> 1) - 0x40;
    }
};

Paragraph ReadParagraph(const View& stream, size_t recordAt, uint32_t dataLen1, uint32_t dataLen2,
                        uint16_t fontCount, uint32_t& topicLength) {
    Cursor f{stream, recordAt + 21, recordAt + dataLen1};
    const int32_t topicSize = f.PackedSignedLong();
    topicLength = f.PackedUnsignedShort();
    if (topicSize < 0) Fail("negative topic size");
    f.Byte();
    f.Byte();
    f.Word();
    const uint16_t bits = f.Word();
    if (bits & 0x0001) f.PackedSignedLong();
    for (uint16_t bit : {0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040}) {
        if (bits & bit) f.PackedSignedShort();
    }
    if (bits & 0x0300) Fail("borders and tabs are not expected");
    const View text = stream.Sub(recordAt + dataLen1, dataLen2, "text part");
    size_t t = 0;
    Paragraph p;
    for (;;) {
        size_t next = 0;
        p.text += text.Z(t, next, "text string");
        t = next;
        const uint8_t cmd = f.Byte();
        if (cmd == 0xFF) break;
        switch (cmd) {
        case 0x80: {
            const uint16_t font = f.Word();
            if (font >= fontCount) Fail("font number beyond |FONT");
            p.fonts.push_back(font);
            break;
        }
        case 0x81: p.text += '\n'; break;
        case 0x82: break;
        case 0x83: p.text += '\t'; break;
        case 0x89: break;
        case 0xE2: case 0xE3: case 0xE6: case 0xE7: p.jumps.push_back(static_cast<int32_t>(f.Long())); break;
        default: Fail("unknown formatting command " + std::to_string(cmd));
        }
    }
    if (f.at != f.end) Fail("formatting part goes on after its end command");
    if (t != dataLen2) Fail("text part holds more strings than commands");
    return p;
}

}  // namespace

const Topic* HlpFile::TopicAt(uint32_t offset) const {
    for (const Topic& t : topics) {
        if (t.offset == offset) return &t;
    }
    return nullptr;
}

int32_t ReferenceHash(std::string_view id) {
    // The table of the format description for the characters context ids may hold.
    auto value = [](unsigned char c) -> uint32_t {
        if (c >= '1' && c <= '9') return c - '0';
        if (c == '0') return 0x0A;
        if (c == '.') return 0x0C;
        if (c == '_') return 0x0D;
        if (c >= 'A' && c <= 'Z') return 0x11 + (c - 'A');
        if (c >= 'a' && c <= 'z') return 0x11 + (c - 'a');
        return c;  // not used by valid ids
    };
    uint32_t hash = 0;
    for (char c : id) hash = hash * 43 + value(static_cast<unsigned char>(c));
    return static_cast<int32_t>(hash);
}

bool ReadHlp(const std::vector<uint8_t>& data, HlpFile& out, std::string& error) {
    out = HlpFile();
    try {
        const View file{data.data(), data.size()};
        if (file.U32(0, "header") != 0x00035F3F) Fail("not a help file");
        if (file.U32(8) != kNone) Fail("free list expected to be empty");
        if (file.U32(12) != data.size()) Fail("file size field differs from the size");
        const View dir = InternalFile(file, file.U32(4), "directory");
        std::string previous;
        WalkTree(dir, "directory", true, [&](const View& page, size_t at) {
            size_t next = 0;
            std::string name = page.Z(at, next);
            if (!out.directory.empty() && !(previous < name)) Fail("directory not sorted: " + name);
            previous = name;
            out.directory[name] = page.U32(next);
            return next + 4;
        });
        auto internal = [&](const std::string& name) {
            const auto it = out.directory.find(name);
            if (it == out.directory.end()) Fail("no internal file " + name);
            return InternalFile(file, it->second, name);
        };

        const View system = internal("|SYSTEM");
        if (system.U16(0) != 0x036C || system.U16(4) != 1 || system.U16(2) <= 16) Fail("|SYSTEM: not a 3.1+ file");
        if (system.U16(10) != 0) Fail("|SYSTEM: compressed files are not expected");
        for (size_t at = 12; at < system.size;) {
            const uint16_t type = system.U16(at);
            const uint16_t size = system.U16(at + 2);
            const View record = system.Sub(at + 4, size, "|SYSTEM record");
            size_t next = 0;
            if (type == 1) out.title = record.Z(0, next);
            if (type == 3) {
                if (size != 4) Fail("|SYSTEM: contents record size");
                out.contents = record.U32(0);
            }
            at += 4 + size;
        }

        const View font = internal("|FONT");
        const uint16_t faces = font.U16(0);
        out.fontCount = font.U16(2);
        const uint16_t faceAt = font.U16(4), descAt = font.U16(6);
        if (faces == 0 || descAt < faceAt) Fail("|FONT: bad offsets");
        const size_t faceSize = (descAt - faceAt) / faces;
        for (uint16_t i = 0; i < faces; ++i) {
            const View name = font.Sub(faceAt + i * faceSize, faceSize, "face name");
            out.faces.emplace_back(reinterpret_cast<const char*>(name.data),
                                   strnlen(reinterpret_cast<const char*>(name.data), faceSize));
        }
        for (uint16_t i = 0; i < out.fontCount; ++i) {
            if (font.U16(descAt + i * 11 + 3) >= faces) Fail("|FONT: face index out of range");
        }

        // |TOPIC: padded 4 KB blocks; records reached from position 12 through their next links.
        const View topic = internal("|TOPIC");
        if (topic.size == 0 || topic.size % kBlockSize != 0) Fail("|TOPIC: not whole 4 KB blocks");
        out.topicBlocks = static_cast<uint32_t>(topic.size / kBlockSize);
        std::vector<uint8_t> streamBytes;
        for (uint32_t b = 0; b < out.topicBlocks; ++b) {
            const uint8_t* block = topic.data + static_cast<size_t>(b) * kBlockSize;
            streamBytes.insert(streamBytes.end(), block + 12, block + kBlockSize);
        }
        const View stream{streamBytes.data(), streamBytes.size()};
        struct Seen { uint32_t pos; uint8_t type; uint32_t block; };
        std::vector<Seen> seen;
        std::vector<std::pair<size_t, uint32_t>> headers;  // topic index, header record index
        uint32_t pos = 12, previousPos = kNone, block = kNone, counted = 0;
        while (pos != kNone) {
            if (pos < 12 || ((pos - 12) & 0x3FFF) >= kBlockData) Fail("record position outside block data");
            const uint32_t b = (pos - 12) >> 14;
            if (b >= out.topicBlocks) Fail("record position beyond the last block");
            const size_t at = static_cast<size_t>(b) * kBlockData + ((pos - 12) & 0x3FFF);
            const uint32_t blockSize = stream.U32(at, "record"), dataLen2 = stream.U32(at + 4, "record");
            const uint32_t prev = stream.U32(at + 8, "record"), next = stream.U32(at + 12, "record");
            const uint32_t dataLen1 = stream.U32(at + 16, "record");
            const uint8_t type = stream.U8(at + 20, "record");
            if (prev != previousPos) Fail("record's previous link is wrong");
            if (dataLen1 < 21 || blockSize != dataLen1 + dataLen2) Fail("record sizes disagree");
            if ((pos - 12) % 0x4000 + dataLen1 > kBlockData) Fail("record header crosses a block boundary");
            if (next != kNone && next <= pos) Fail("records do not move forward");
            if (b != block) {
                block = b;
                counted = 0;
            }
            if (type == 0x02) {
                if (dataLen1 != 21 + 28) Fail("topic header size");
                const View title = stream.Sub(at + dataLen1, dataLen2, "title");
                Topic t;
                t.title.assign(reinterpret_cast<const char*>(title.data), dataLen2);
                t.offset = b * 0x8000 + counted;
                if (stream.U32(at + 21 + 12) != out.topics.size()) Fail("topic number out of order");
                headers.emplace_back(out.topics.size(), static_cast<uint32_t>(seen.size()));
                out.topics.push_back(t);
            } else if (type == 0x20) {
                if (out.topics.empty()) Fail("text before the first topic header");
                uint32_t length = 0;
                out.topics.back().paragraphs.push_back(
                    ReadParagraph(stream, at, dataLen1, dataLen2, out.fontCount, length));
                counted += length;
                if (counted >= 0x8000) Fail("topic offset counter overflows its block");
            } else {
                Fail("unexpected record type " + std::to_string(type));
            }
            seen.push_back({pos, type, b});
            previousPos = pos;
            pos = next;
        }
        if (out.topics.empty() || !out.topics.back().title.empty() || !out.topics.back().paragraphs.empty())
            Fail("|TOPIC does not end with an empty topic header");
        out.topics.pop_back();
        for (size_t h = 0; h + 1 < headers.size(); ++h) {
            const size_t at = static_cast<size_t>((seen[headers[h].second].pos - 12) >> 14) * kBlockData +
                              ((seen[headers[h].second].pos - 12) & 0x3FFF);
            if (stream.U32(at + 21 + 24) != seen[headers[h + 1].second].pos) Fail("next-topic link is wrong");
            if (stream.U32(at + 21 + 20) != seen[headers[h].second + 1].pos) Fail("scrolling-region link is wrong");
        }
        for (uint32_t b = 0; b < out.topicBlocks; ++b) {
            uint32_t first = kNone, last = kNone;
            for (const Seen& s : seen) {
                if (s.block < b) last = s.pos;
                if (s.block == b && first == kNone) first = s.pos;
            }
            const View head = topic.Sub(static_cast<size_t>(b) * kBlockSize, 12, "block header");
            if (head.U32(0) != last || head.U32(4) != first) Fail("block header " + std::to_string(b) + " is wrong");
        }

        int32_t lastHash = 0;
        WalkTree(internal("|CONTEXT"), "|CONTEXT", false, [&](const View& page, size_t at) {
            const auto hash = static_cast<int32_t>(page.U32(at));
            if (!out.contexts.empty() && hash <= lastHash) Fail("|CONTEXT not sorted by signed hash");
            lastHash = hash;
            out.contexts[hash] = page.U32(at + 4);
            return at + 8;
        });
        const View map = internal("|CTXOMAP");
        const uint16_t maps = map.U16(0);
        if (map.size != 2 + 8u * maps) Fail("|CTXOMAP size");
        for (uint16_t i = 0; i < maps; ++i) out.maps[map.U32(2 + 8 * i)] = map.U32(6 + 8 * i);
        WalkTree(internal("|TTLBTREE"), "|TTLBTREE", false, [&](const View& page, size_t at) {
            size_t next = 0;
            const uint32_t offset = page.U32(at);
            if (!out.titles.empty() && offset <= out.titles.rbegin()->first) Fail("|TTLBTREE not sorted");
            out.titles[offset] = page.Z(at + 4, next);
            return next;
        });
        if (out.directory.count("|KWBTREE")) {
            const View kwdata = internal("|KWDATA");
            WalkTree(internal("|KWBTREE"), "|KWBTREE", true, [&](const View& page, size_t at) {
                size_t next = 0;
                const std::string keyword = page.Z(at, next);
                const uint16_t count = page.U16(next);
                const uint32_t where = page.U32(next + 2);
                for (uint16_t i = 0; i < count; ++i) out.keywords[keyword].push_back(kwdata.U32(where + 4u * i));
                return next + 6;
            });
        }
    } catch (const Bad& bad) {
        error = bad.what;
        return false;
    }
    return true;
}

}  // namespace norvanex::hlptest
