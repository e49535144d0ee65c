// The performance-data block builder and the counter name tables.
#include "fakes/PerfDataBlock.h"

namespace norvanex::fake {
namespace {

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

PerfDataBlockBuilder::PerfDataBlockBuilder() {
    // Two counters around the id, so that a parse reading the wrong one gives a wrong id.
    Counter(6, 8);
    Counter(kIdProcessIndex, 16);
    Counter(1410, 24);
}

PerfDataBlockBuilder& PerfDataBlockBuilder::Counter(std::uint32_t titleIndex,
                                                    std::uint32_t counterOffset) {
    counters_.push_back({titleIndex, counterOffset});
    return *this;
}

PerfDataBlockBuilder& PerfDataBlockBuilder::Instance(std::u16string name, std::uint32_t id) {
    instances_.emplace_back(std::move(name), id);
    return *this;
}

PerfDataBlockBuilder& PerfDataBlockBuilder::Instances(std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::string ascii = "proc" + std::to_string(k);
        Instance(std::u16string(ascii.begin(), ascii.end()), static_cast<std::uint32_t>(1000 + k));
    }
    return *this;
}

PerfDataBlockBuilder& PerfDataBlockBuilder::NumInstancesField(std::int32_t value) {
    overrideCount_ = true;
    countField_ = value;
    return *this;
}

std::vector<std::uint8_t> PerfDataBlockBuilder::Build() const {
    constexpr std::uint32_t kDefinitionSize = 40;
    constexpr std::uint32_t kInstanceHeader = 24;
    std::uint32_t dataEnd = 8;
    for (const Def& d : counters_) dataEnd = std::max(dataEnd, d.offset + 4);
    const std::uint32_t counterBlockLength = (dataEnd + 7) / 8 * 8;

    std::vector<std::uint8_t> block(kBlockHeaderLength);
    const char16_t signature[] = u"PERF";
    for (int i = 0; i < 4; ++i) {
        block[2 * i] = static_cast<std::uint8_t>(signature[i]);
        block[2 * i + 1] = static_cast<std::uint8_t>(signature[i] >> 8);
    }
    PutU32(block, 8, 1);   // LittleEndian
    PutU32(block, 12, 1);  // Version
    PutU32(block, 24, kBlockHeaderLength);
    PutU32(block, 28, 1);  // NumObjectTypes

    const std::size_t object = block.size();
    const auto definitionLength =
        static_cast<std::uint32_t>(kObjectHeaderLength + kDefinitionSize * counters_.size());
    block.resize(object + definitionLength);
    PutU32(block, object + 4, definitionLength);
    PutU32(block, object + 8, kObjectHeaderLength);
    PutU32(block, object + 12, kProcessObjectIndex);
    PutU32(block, object + 32, static_cast<std::uint32_t>(counters_.size()));
    PutU32(block, object + 40,
           static_cast<std::uint32_t>(
               overrideCount_ ? countField_ : static_cast<std::int32_t>(instances_.size())));
    for (std::size_t i = 0; i < counters_.size(); ++i) {
        const std::size_t def = object + kObjectHeaderLength + kDefinitionSize * i;
        PutU32(block, def + 0, kDefinitionSize);
        PutU32(block, def + 4, counters_[i].titleIndex);
        PutU32(block, def + 32, 4);
        PutU32(block, def + 36, counters_[i].offset);
    }

    for (const auto& [name, id] : instances_) {
        const std::size_t instance = block.size();
        const auto nameBytes = static_cast<std::uint32_t>((name.size() + 1) * 2);
        const std::uint32_t instanceLength = (kInstanceHeader + nameBytes + 7) / 8 * 8;
        block.resize(instance + instanceLength + counterBlockLength);
        PutU32(block, instance + 0, instanceLength);
        PutU32(block, instance + 12, 0xFFFFFFFFu);  // UniqueID: PERF_NO_UNIQUE_ID
        PutU32(block, instance + 16, kInstanceHeader);
        PutU32(block, instance + 20, nameBytes);
        for (std::size_t c = 0; c < name.size(); ++c) {
            block[instance + kInstanceHeader + 2 * c] = static_cast<std::uint8_t>(name[c]);
            block[instance + kInstanceHeader + 2 * c + 1] = static_cast<std::uint8_t>(name[c] >> 8);
        }
        const std::size_t counterBlock = instance + instanceLength;
        PutU32(block, counterBlock, counterBlockLength);
        for (const Def& d : counters_) {
            PutU32(block, counterBlock + d.offset,
                   d.titleIndex == kIdProcessIndex ? id : 0xBAD00000u + d.titleIndex);
        }
    }
    PutU32(block, 20, static_cast<std::uint32_t>(block.size()));  // TotalByteLength
    PutU32(block, object, static_cast<std::uint32_t>(block.size() - object));
    return block;
}

std::vector<std::uint8_t> MultiSz(const std::vector<std::string>& strings) {
    std::vector<std::uint8_t> bytes;
    for (const std::string& s : strings) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    return bytes;
}

std::vector<std::uint8_t> StandardCounterTable() {
    return MultiSz({"1", "1847", "2", "System", "6", "% Processor Time", "230", "Process", "784",
                    "ID Process", "1410", "Creating Process ID"});
}

}  // namespace norvanex::fake
