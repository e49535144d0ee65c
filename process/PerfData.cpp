// Reading the counter name table and the performance data block, bounds-checked throughout.
#include "process/PerfData.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/AnsiText.h"

namespace norvanex {
namespace {

// Offsets from the PERF_DATA_BLOCK, PERF_OBJECT_TYPE, PERF_COUNTER_DEFINITION,
// PERF_INSTANCE_DEFINITION and PERF_COUNTER_BLOCK layouts in winperf.h.
constexpr std::uint64_t kBlockHeaderLength = 24;
constexpr std::uint64_t kObjectDefinitionLength = 4;
constexpr std::uint64_t kObjectHeaderLength = 8;
constexpr std::uint64_t kObjectNumCounters = 32;
constexpr std::uint64_t kObjectNumInstances = 40;
constexpr std::uint64_t kCounterDefinitionSize = 40;
constexpr std::uint64_t kCounterNameTitleIndex = 4;
constexpr std::uint64_t kCounterOffset = 36;
constexpr std::uint64_t kInstanceByteLength = 0;
constexpr std::uint64_t kInstanceNameOffset = 16;
constexpr std::uint64_t kCounterBlockByteLength = 0;

// Reads little-endian 32-bit values at offsets checked against the block size. Offsets are 64-bit
// so that adding two 32-bit fields from the data can never wrap around.
class BlockReader {
public:
    BlockReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint32_t U32(std::uint64_t offset) const {
        Require(offset, 4);
        return static_cast<std::uint32_t>(data_[offset]) |
               static_cast<std::uint32_t>(data_[offset + 1]) << 8 |
               static_cast<std::uint32_t>(data_[offset + 2]) << 16 |
               static_cast<std::uint32_t>(data_[offset + 3]) << 24;
    }

    std::int32_t I32(std::uint64_t offset) const {
        const std::uint32_t u = U32(offset);
        std::int32_t s;
        std::memcpy(&s, &u, sizeof s);
        return s;
    }

    // The UTF-16 string at offset up to its NUL, which must lie inside the block.
    std::u16string NulTerminatedUtf16(std::uint64_t offset) const {
        std::u16string text;
        for (std::uint64_t at = offset;; at += 2) {
            Require(at, 2);
            const char16_t unit = static_cast<char16_t>(data_[at] | data_[at + 1] << 8);
            if (unit == 0) return text;
            text.push_back(unit);
        }
    }

private:
    void Require(std::uint64_t offset, std::uint64_t length) const {
        if (offset > size_ || length > size_ - offset) {
            throw MalformedPerfData("performance data field outside the block");
        }
    }

    const std::uint8_t* data_;
    std::uint64_t size_;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The run of decimal digits that ends directly before the string starting at `start` (the index
// string before a name, up to its terminating NUL).
std::string_view DigitsBefore(std::string_view table, std::size_t start) {
    if (start < 2) return {};
    const std::size_t end = start - 1;  // the NUL that ends the previous string
    std::size_t begin = end;
    while (begin > 0 && IsDigit(table[begin - 1])) --begin;
    return table.substr(begin, end - begin);
}

}  // namespace

CounterIndexes ParseCounterNameTable(const std::uint8_t* data, std::size_t size) {
    const std::string_view table(reinterpret_cast<const char*>(data), size);
    CounterIndexes found;
    std::size_t pos = 0;
    while (pos < table.size()) {
        std::size_t nul = table.find('\0', pos);
        if (nul == std::string_view::npos) nul = table.size();  // the last string lacks its NUL
        const std::string_view text = table.substr(pos, nul - pos);
        if (text.empty()) break;

        // The names sought are plain ASCII, which no double-byte character can equal, so the code
        // page's lead bytes do not change the answer.
        if (EqualsIgnoringAsciiCase(text, "process", NoLeadBytes)) {
            found.processObject = std::string(DigitsBefore(table, pos));
            found.hasProcessObject = true;
        } else if (EqualsIgnoringAsciiCase(text, "id process", NoLeadBytes)) {
            const std::string_view digits = DigitsBefore(table, pos);
            if (digits.empty()) throw MalformedPerfData("\"id process\" without an index");
            std::uint64_t value = 0;
            for (char c : digits) {
                value = value * 10 + static_cast<std::uint64_t>(c - '0');
                if (value > 0x7FFFFFFFu) throw MalformedPerfData("\"id process\" index too large");
            }
            found.idProcessCounter = static_cast<std::uint32_t>(value);
            found.hasIdProcessCounter = true;
        }
        pos = nul + 1;
    }
    return found;
}

bool HasPerfSignature(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t kSignature[8] = {'P', 0, 'E', 0, 'R', 0, 'F', 0};
    return size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

ProcessNameList ParsePerfDataBlock(const std::uint8_t* data, std::size_t size,
                                   std::uint32_t idProcessCounter, const ExactAnsiFn& convert) {
    const BlockReader block(data, size);

    // Only the first object is read; the value name of the query asked for the process object.
    const std::uint64_t object = block.U32(kBlockHeaderLength);
    const std::uint32_t definitionLength = block.U32(object + kObjectDefinitionLength);
    const std::uint32_t headerLength = block.U32(object + kObjectHeaderLength);
    const std::uint32_t numCounters = block.U32(object + kObjectNumCounters);
    const std::int32_t numInstances = block.I32(object + kObjectNumInstances);
    if (numInstances < 0) throw MalformedPerfData("negative instance count");

    // Definitions are stepped over by their fixed size; their own length field is not trusted.
    bool haveCounter = false;
    std::uint32_t counterOffset = 0;
    for (std::uint32_t i = 0; i < numCounters; ++i) {
        const std::uint64_t definition = object + headerLength + kCounterDefinitionSize * i;
        if (block.U32(definition + kCounterNameTitleIndex) == idProcessCounter) {
            counterOffset = block.U32(definition + kCounterOffset);
            haveCounter = true;
            break;
        }
    }
    // Without the "id process" counter there is no field that holds the id.
    if (!haveCounter) return {};

    const std::size_t count =
        std::min<std::size_t>(kMaxPerfInstances, static_cast<std::size_t>(numInstances));
    ProcessNameList entries;
    entries.reserve(count);
    std::uint64_t instance = object + definitionLength;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t instanceLength = block.U32(instance + kInstanceByteLength);
        const std::uint32_t nameOffset = block.U32(instance + kInstanceNameOffset);
        const std::u16string wideName = block.NulTerminatedUtf16(instance + nameOffset);

        const std::uint64_t counterBlock = instance + instanceLength;
        const std::uint32_t counterBlockLength = block.U32(counterBlock + kCounterBlockByteLength);
        const std::uint32_t id = block.U32(counterBlock + counterOffset);

        ProcessNameEntry entry;
        entry.wide = wideName;
        if (!convert(wideName, entry.name) || entry.name.size() > kMaxPerfNameBytes) {
            entry.name = "unknown";
            entry.exact = false;
        }
        entry.id = id;
        entries.push_back(std::move(entry));

        instance = counterBlock + counterBlockLength;
    }
    return entries;
}

}  // namespace norvanex
