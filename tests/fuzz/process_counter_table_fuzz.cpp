// Fuzzes the walk of the performance library's counter name table ("Counters", REG_MULTI_SZ).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "process/PerfData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const norvanex::CounterIndexes found = norvanex::ParseCounterNameTable(data, size);
        // An index is kept only when it fits a signed 32-bit number; the object index is digits.
        if (found.hasIdProcessCounter && found.idProcessCounter > 0x7FFFFFFFu) std::abort();
        for (char c : found.processObject) {
            if (c < '0' || c > '9') std::abort();
        }
        if (found.processObject.size() > size) std::abort();
    } catch (const norvanex::MalformedPerfData&) {
    }
    return 0;
}
