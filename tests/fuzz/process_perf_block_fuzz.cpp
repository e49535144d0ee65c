// Fuzzes the parse of a performance data block. The input is the block as the registry query
// returned it; the "id process" counter index is the one of an English system.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "process/PerfData.h"

namespace {

constexpr std::uint32_t kIdProcessIndex = 784;

// Stands in for the exact conversion: one byte per code unit.
bool Narrow(std::u16string_view name, std::string& out) {
    out.clear();
    for (const char16_t c : name) out.push_back(static_cast<char>(c & 0xFF));
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const norvanex::ProcessNameList list =
            norvanex::ParsePerfDataBlock(data, size, kIdProcessIndex, Narrow);
        if (list.size() > norvanex::kMaxPerfInstances) std::abort();
        for (const norvanex::ProcessNameEntry& entry : list) {
            if (entry.name.size() > 260) std::abort();
        }
    } catch (const norvanex::MalformedPerfData&) {
    }
    return 0;
}
