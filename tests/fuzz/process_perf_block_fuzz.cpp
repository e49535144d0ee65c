// Fuzzes the parse of a performance data block. The input is the block as the registry query
// returned it; the "id process" counter index is the one of an English system.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "process/PerfData.h"

namespace {

constexpr std::uint32_t kIdProcessIndex = 784;

// Stands in for WideCharToMultiByte(CP_ACP): one byte per code unit, 0 when it does not fit.
int Narrow(const char16_t* name, char* out, int outSize) {
    int length = 0;
    while (name[length] != 0) ++length;
    if (length + 1 > outSize) return 0;
    for (int i = 0; i < length; ++i) out[i] = static_cast<char>(name[i] & 0xFF);
    out[length] = '\0';
    return length + 1;
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
