// Performance-data blocks laid out as winperf.h describes them (32-bit Windows), and counter name
// tables, for the tests of the performance data's process list.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace norvanex::fake {

inline constexpr std::uint32_t kProcessObjectIndex = 230;  // "Process" in an English counter table
inline constexpr std::uint32_t kIdProcessIndex = 784;      // "ID Process"

// Builds a PERF_DATA_BLOCK with one object: a header, the counter definitions, then per instance a
// PERF_INSTANCE_DEFINITION, its UTF-16 name and a PERF_COUNTER_BLOCK holding every counter's value.
class PerfDataBlockBuilder {
public:
    PerfDataBlockBuilder();

    PerfDataBlockBuilder& Counter(std::uint32_t titleIndex, std::uint32_t counterOffset);
    PerfDataBlockBuilder& Instance(std::u16string name, std::uint32_t id);
    PerfDataBlockBuilder& Instances(std::size_t count);           // "proc0" .. with ids 1000 + k
    PerfDataBlockBuilder& NumInstancesField(std::int32_t value);  // overrides the true count

    std::vector<std::uint8_t> Build() const;

    // Offsets in the built block, for tests that corrupt one field.
    static constexpr std::uint32_t kBlockHeaderLength = 96;
    static constexpr std::uint32_t kObjectHeaderLength = 64;

private:
    struct Def {
        std::uint32_t titleIndex;
        std::uint32_t offset;
    };
    std::vector<Def> counters_;
    std::vector<std::pair<std::u16string, std::uint32_t>> instances_;
    bool overrideCount_ = false;
    std::int32_t countField_ = 0;
};

// A REG_MULTI_SZ value: every string with its NUL, then the closing empty string.
std::vector<std::uint8_t> MultiSz(const std::vector<std::string>& strings);

// The counter name table of an English system: "Process" and "ID Process" with their usual indexes.
std::vector<std::uint8_t> StandardCounterTable();

}  // namespace norvanex::fake
