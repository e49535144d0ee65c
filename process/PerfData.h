// Reading the registry's performance data: the counter name table and the "process" object block.
// Works on byte buffers only; the registry queries are in ProcessAccess.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/AnsiText.h"

namespace norvanex {

// One process as the performance data lists it: the instance name and its "id process" counter.
struct ProcessNameEntry {
    std::string name;
    std::uint32_t id = 0;
    bool exact = true;    // false: the name could not be converted exactly; it names nothing
    std::u16string wide{};  // the name as the data holds it
};
using ProcessNameList = std::vector<ProcessNameEntry>;

// Raised for data that cannot be read as the layout describes; every caller catches it and goes on
// with its list unchanged.
class MalformedPerfData : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The most instances one listing appends.
inline constexpr std::size_t kMaxPerfInstances = 254;

// What the "Counters" value (REG_MULTI_SZ of index, name, index, name, ...) says about the two
// names needed. When a name occurs more than once, its last occurrence wins.
struct CounterIndexes {
    bool hasProcessObject = false;
    std::string processObject;  // the decimal digits before "process", kept as text (a value name)
    bool hasIdProcessCounter = false;
    std::uint32_t idProcessCounter = 0;
};

// Walks the strings up to the first empty one (or the end of the data). Throws MalformedPerfData
// when "id process" is not preceded by decimal digits or its index exceeds a signed 32-bit number.
CounterIndexes ParseCounterNameTable(const std::uint8_t* data, std::size_t size);

// True when the block is long enough for, and starts with, the UTF-16 signature "PERF".
bool HasPerfSignature(const std::uint8_t* data, std::size_t size);

// The longest name a listing takes, in bytes of the ANSI code page; a longer one is "unknown".
inline constexpr std::size_t kMaxPerfNameBytes = 260;

// Reads the first object of a PERF_DATA_BLOCK: up to kMaxPerfInstances (name, id) pairs in the
// order of the instances. Every offset, count and length is checked against size before it is
// used; data that would lead outside it throws MalformedPerfData, as does a negative instance
// count. Empty when no counter definition carries idProcessCounter. A name that `convert` cannot
// give exactly, or longer than kMaxPerfNameBytes, is listed as "unknown" and not exact.
ProcessNameList ParsePerfDataBlock(const std::uint8_t* data, std::size_t size,
                                   std::uint32_t idProcessCounter, const ExactAnsiFn& convert);

}  // namespace norvanex
