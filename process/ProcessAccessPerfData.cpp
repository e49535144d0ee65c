// Process access, the performance data: the debug privilege and the "process" object's list.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "process/ProcessAccess.h"

namespace norvanex {
namespace {

struct FreeMemory {
    void operator()(std::uint8_t* data) const { std::free(data); }
};
using Buffer = UniqueHandle<std::uint8_t*, FreeMemory>;

// A zero-filled byte buffer. calloc, because fresh pages from the system are zero already, so the
// large buffers of the performance-data retries cost no clearing.
Buffer ZeroedBuffer(std::size_t size) {
    auto* data = static_cast<std::uint8_t*>(std::calloc(size ? size : 1, 1));
    if (!data) throw std::bad_alloc();
    return Buffer(data);
}

// Access rights, from winnt.h.
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kTokenAdjustPrivilegesAndQuery = 0x28;
constexpr std::uint32_t kSePrivilegeEnabled = 2;

constexpr char kPerflibKey[] = "software\\microsoft\\windows nt\\currentversion\\perflib";
constexpr unsigned kLangEnglishNeutral = 9;  // MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL)

constexpr std::int32_t kErrorSuccess = 0;
constexpr std::int32_t kErrorMoreData = 234;

// RegQueryValueExA on HKEY_PERFORMANCE_DATA answers ERROR_MORE_DATA without saying how much it
// needs, so the buffer grows step by step; the ceiling keeps a platform that never stops asking
// for more from taking all memory.
constexpr std::uint32_t kPerfDataFirstSize = 51200;
constexpr std::uint32_t kPerfDataGrowth = 25600;
constexpr std::uint64_t kPerfDataCeiling = 16u * 1024 * 1024;

}  // namespace

PrivilegeStatus ProcessAccess::EnableDebugPrivilege() {
    OsHandle opened{};
    const bool open =
        platform_.OpenProcessToken(platform_.GetCurrentProcess(), kTokenAdjustPrivilegesAndQuery, &opened);
    const PlatformOwned<OsHandle> token(open ? opened : OsHandle{}, {&platform_});
    if (!token) return PrivilegeStatus::TokenUnopened;

    Luid luid;
    if (!platform_.LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid)) return PrivilegeStatus::NameUnknown;

    TokenPrivilege enable;
    enable.privilegeCount = 1;
    enable.luid = luid;
    enable.attributes = kSePrivilegeEnabled;
    TokenPrivilege previous;
    std::uint32_t returnLength = 0;
    // AdjustTokenPrivileges succeeds also when it assigned nothing; only the last error tells
    // (ERROR_NOT_ALL_ASSIGNED), so its own result says nothing here.
    platform_.AdjustTokenPrivileges(token.get(), false, enable, kTokenPrivilegeSize, &previous, &returnLength);
    return platform_.GetLastError() != 0 ? PrivilegeStatus::NotAssigned : PrivilegeStatus::Enabled;
}

PerfListStatus ProcessAccess::ListProcessesFromPerfData(ProcessNameList& list) {
    if (!facts_.NtLine()) return PerfListStatus::Unavailable;
    EnableDebugPrivilege();
    // Closing HKEY_PERFORMANCE_DATA lets the performance library free what it gathered; it is done
    // on every way out, malformed data included.
    const PlatformOwned<RegKey> perfData(kHkeyPerformanceData, {&platform_});
    return ReadPerfData(list);
}

PerfListStatus ProcessAccess::ReadPerfData(ProcessNameList& list) {
    char keyPath[sizeof kPerflibKey + 8];
    std::snprintf(keyPath, sizeof keyPath, "%s\\%.3X", kPerflibKey, kLangEnglishNeutral);

    RegKey opened{};
    if (platform_.RegOpenKeyExA(kHkeyLocalMachine, keyPath, 0, kKeyRead, &opened) != kErrorSuccess) {
        return PerfListStatus::Unavailable;
    }
    const PlatformOwned<RegKey> perflib(opened, {&platform_});

    std::uint32_t tableSize = 0;
    if (platform_.RegQueryValueExA(perflib.get(), "Counters", nullptr, nullptr, &tableSize) != kErrorSuccess ||
        tableSize > kPerfDataCeiling) {
        return PerfListStatus::CountersUnreadable;
    }
    CounterIndexes indexes;
    {
        // Zero-filled, so a read that fails leaves an empty table.
        const Buffer table = ZeroedBuffer(tableSize);
        std::uint32_t readSize = tableSize;
        platform_.RegQueryValueExA(perflib.get(), "Counters", nullptr, table.get(), &readSize);
        indexes = ParseCounterNameTable(table.get(), tableSize);
    }
    // Without both indexes there is no object to ask for and no counter that holds the id.
    if (!indexes.hasProcessObject || indexes.processObject.empty() ||
        !indexes.hasIdProcessCounter) {
        return PerfListStatus::Listed;
    }

    std::uint32_t size = kPerfDataFirstSize;
    Buffer buffer;
    std::size_t valid = 0;
    for (;;) {
        buffer.reset();
        buffer = ZeroedBuffer(size);
        std::uint32_t returned = size;
        const std::int32_t result =
            platform_.RegQueryValueExA(kHkeyPerformanceData, indexes.processObject.c_str(), nullptr,
                                       buffer.get(), &returned);
        // A size above the buffer's would be a platform fault; never read past what was allocated.
        valid = std::min<std::size_t>(returned, size);
        if (result == kErrorSuccess && returned > 0 && HasPerfSignature(buffer.get(), valid))
            break;
        if (result != kErrorMoreData) return PerfListStatus::Listed;
        // Never smaller than the refused buffer, so the attempts always move towards the ceiling.
        const std::uint64_t next = std::uint64_t{std::max(returned, size)} + kPerfDataGrowth;
        if (next > kPerfDataCeiling) return PerfListStatus::Listed;
        size = static_cast<std::uint32_t>(next);
    }

    const ProcessNameList entries =
        ParsePerfDataBlock(buffer.get(), valid, indexes.idProcessCounter,
                           [this](std::u16string_view name, std::string& ansi) { return Exact(name, ansi); });
    list.insert(list.end(), entries.begin(), entries.end());
    return PerfListStatus::Listed;
}

}  // namespace norvanex
