// Process access over a ProcessPlatform: platform check, performance data, debug privilege, image
// path, and finding and ending processes by program name.
#include "process/ProcessAccess.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "process/ImagePath.h"
#include "process/ProgramName.h"
#include "process/SystemProcesses.h"

namespace norvanex {
namespace {

// Access rights, from winnt.h.
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kTokenAdjustPrivilegesAndQuery = 0x28;
constexpr std::uint32_t kSePrivilegeEnabled = 2;

constexpr std::int32_t kErrorSuccess = 0;
constexpr std::int32_t kErrorMoreData = 234;
constexpr std::uint32_t kOsVersionInfoSize = 148;  // sizeof(OSVERSIONINFOA)
constexpr std::uint32_t kRtlQueryProcessModules = 0x01;  // PDI_MODULES

// RegQueryValueExA on HKEY_PERFORMANCE_DATA answers ERROR_MORE_DATA without saying how much it
// needs, so the buffer grows step by step; the ceiling keeps a platform that never stops asking
// for more from taking all memory.
constexpr std::uint32_t kPerfDataFirstSize = 51200;
constexpr std::uint32_t kPerfDataGrowth = 25600;
constexpr std::uint64_t kPerfDataCeiling = 16u * 1024 * 1024;

// The Windows directory fits in MAX_PATH on every system seen, but GetWindowsDirectoryA reports the
// size it needs when it does not, and then it is asked again.
constexpr std::uint32_t kWindowsDirectoryBuffer = 255;
// QueryFullProcessImageNameA paths may exceed MAX_PATH; 32767 characters is the longest Win32 path.
constexpr std::uint32_t kFullImageNameBuffer = 32768;

constexpr char kPerflibKey[] = "software\\microsoft\\windows nt\\currentversion\\perflib";
constexpr unsigned kLangEnglishNeutral = 9;  // MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL)

class HandleCloser {
public:
    HandleCloser(ProcessPlatform& platform, OsHandle handle)
        : platform_(platform), handle_(handle) {}
    ~HandleCloser() { platform_.CloseHandle(handle_); }
    HandleCloser(const HandleCloser&) = delete;
    HandleCloser& operator=(const HandleCloser&) = delete;

private:
    ProcessPlatform& platform_;
    OsHandle handle_;
};

class KeyCloser {
public:
    KeyCloser(ProcessPlatform& platform, RegKey key) : platform_(platform), key_(key) {}
    ~KeyCloser() { platform_.RegCloseKey(key_); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    ProcessPlatform& platform_;
    RegKey key_;
};

// A zero-filled byte buffer. calloc, because fresh pages from the system are zero already, so the
// large buffers of the performance-data retries cost no clearing.
class ZeroedBuffer {
public:
    explicit ZeroedBuffer(std::size_t size)
        : data_(static_cast<std::uint8_t*>(std::calloc(size ? size : 1, 1))) {
        if (!data_) throw std::bad_alloc();
    }
    ~ZeroedBuffer() { std::free(data_); }
    ZeroedBuffer(const ZeroedBuffer&) = delete;
    ZeroedBuffer& operator=(const ZeroedBuffer&) = delete;
    std::uint8_t* data() const { return data_; }

private:
    std::uint8_t* data_;
};

void Remember(std::vector<std::uint32_t>* ids, std::uint32_t id) {
    if (ids && std::find(ids->begin(), ids->end(), id) == ids->end()) ids->push_back(id);
}

}  // namespace

ProcessAccess::ProcessAccess(ProcessPlatform& platform)
    : platform_(platform), toolHelp_(platform) {}

void ProcessAccess::CheckPlatform() {
    OsVersionInfo info;
    info.size = kOsVersionInfoSize;
    // On failure the record stays zeroed: platform id 0, not the NT line.
    platform_.GetVersionExA(info);
    platformId_ = info.platformId;
}

void ProcessAccess::WalkSnapshot(const std::function<void(const SnapshotEntry&)>& visit) {
    // The ANSI walk hands out names that the system converted with best fit: "māil.exe" as
    // "mail.exe". The 9x line holds its names in ANSI, so there they are exact.
    if (platformId_ == kPlatformWin32Nt && toolHelp_.BindWide()) {
        SnapshotEntry visited;
        toolHelp_.WalkSnapshotWide([&](std::u16string_view name, std::uint32_t processId) {
            AnsiForm ansi = ToAnsi(name);
            visited.exeFile = std::move(ansi.text);
            visited.exact = ansi.exact;
            visited.wide.assign(name);
            visited.processId = processId;
            visit(visited);
        });
        return;
    }
    toolHelp_.WalkSnapshot(visit);
}

AnsiForm ProcessAccess::ToAnsi(std::u16string_view wide) {
    AnsiForm form;
    const std::u16string terminated(wide);
    // A UTF-16 unit becomes at most two bytes in every ANSI code page.
    std::string out(terminated.size() * 2 + 1, '\0');
    bool usedDefault = false;
    const int written =
        platform_.WideCharToMultiByte(kCpAcp, kWcNoBestFitChars, terminated.c_str(), -1,
                                      out.data(), static_cast<int>(out.size()), &usedDefault);
    if (written <= 0) return form;
    out.resize(std::strlen(out.c_str()));
    form.text = std::move(out);
    form.exact = !usedDefault && form.text.size() == static_cast<std::size_t>(written) - 1;
    return form;
}

std::int32_t ProcessAccess::EnableDebugPrivilege() {
    OsHandle token{};
    if (!platform_.OpenProcessToken(platform_.GetCurrentProcess(), kTokenAdjustPrivilegesAndQuery,
                                    &token)) {
        return -2;
    }
    HandleCloser closeToken(platform_, token);

    Luid luid;
    if (!platform_.LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid)) return -3;

    TokenPrivilege enable;
    enable.privilegeCount = 1;
    enable.luid = luid;
    enable.attributes = kSePrivilegeEnabled;
    TokenPrivilege previous;
    std::uint32_t returnLength = 0;
    // AdjustTokenPrivileges succeeds also when it assigned nothing; only the last error tells
    // (ERROR_NOT_ALL_ASSIGNED), so its own result says nothing here.
    platform_.AdjustTokenPrivileges(token, false, enable, 16, &previous, &returnLength);
    return platform_.GetLastError() != 0 ? -4 : 0;
}

std::int32_t ProcessAccess::ListProcessesFromPerfData(ProcessNameList& list) {
    if (platformId_ != kPlatformWin32Nt) return -1;
    EnableDebugPrivilege();
    // Closing HKEY_PERFORMANCE_DATA lets the performance library free what it gathered; it is done
    // on every way out, malformed data included.
    KeyCloser closePerfData(platform_, kHkeyPerformanceData);
    return ReadPerfData(list);
}

std::int32_t ProcessAccess::ReadPerfData(ProcessNameList& list) {
    char keyPath[sizeof kPerflibKey + 8];
    std::snprintf(keyPath, sizeof keyPath, "%s\\%.3X", kPerflibKey, kLangEnglishNeutral);

    RegKey perflib{};
    if (platform_.RegOpenKeyExA(kHkeyLocalMachine, keyPath, 0, kKeyRead, &perflib) !=
        kErrorSuccess) {
        return -1;
    }
    KeyCloser closePerflib(platform_, perflib);

    std::uint32_t tableSize = 0;
    if (platform_.RegQueryValueExA(perflib, "Counters", nullptr, nullptr, &tableSize) !=
            kErrorSuccess ||
        tableSize > kPerfDataCeiling) {
        return -2;
    }
    CounterIndexes indexes;
    {
        // Zero-filled, so a read that fails leaves an empty table.
        const ZeroedBuffer table(tableSize);
        std::uint32_t readSize = tableSize;
        platform_.RegQueryValueExA(perflib, "Counters", nullptr, table.data(), &readSize);
        indexes = ParseCounterNameTable(table.data(), tableSize);
    }
    // Without both indexes there is no object to ask for and no counter that holds the id.
    if (!indexes.hasProcessObject || indexes.processObject.empty() ||
        !indexes.hasIdProcessCounter) {
        return 0;
    }

    std::uint32_t size = kPerfDataFirstSize;
    std::unique_ptr<ZeroedBuffer> buffer;
    std::size_t valid = 0;
    for (;;) {
        buffer.reset();
        buffer = std::make_unique<ZeroedBuffer>(size);
        std::uint32_t returned = size;
        const std::int32_t result =
            platform_.RegQueryValueExA(kHkeyPerformanceData, indexes.processObject.c_str(), nullptr,
                                       buffer->data(), &returned);
        // A size above the buffer's would be a platform fault; never read past what was allocated.
        valid = std::min<std::size_t>(returned, size);
        if (result == kErrorSuccess && returned > 0 && HasPerfSignature(buffer->data(), valid))
            break;
        if (result != kErrorMoreData) return 0;
        // Never smaller than the refused buffer, so the attempts always move towards the ceiling.
        const std::uint64_t next = std::uint64_t{std::max(returned, size)} + kPerfDataGrowth;
        if (next > kPerfDataCeiling) return 0;
        size = static_cast<std::uint32_t>(next);
    }

    const ProcessNameList entries = ParsePerfDataBlock(
        buffer->data(), valid, indexes.idProcessCounter,
        [this](const char16_t* name, char* out, int outSize) {
            // A name that does not survive the code page counts as one that cannot be converted.
            bool usedDefault = false;
            const int written = platform_.WideCharToMultiByte(kCpAcp, kWcNoBestFitChars, name, -1,
                                                              out, outSize, &usedDefault);
            return usedDefault ? 0 : written;
        });
    list.insert(list.end(), entries.begin(), entries.end());
    return static_cast<std::int32_t>(entries.size());
}

bool ProcessAccess::BindNtdllDebugFunctions() {
    if (ntdll_ == ModuleHandle{}) {
        ntdll_ = platform_.LoadLibraryA("ntdll.dll");
        if (ntdll_ != ModuleHandle{}) {
            rtlCreateQueryDebugBuffer_ =
                platform_.GetProcAddress(ntdll_, "RtlCreateQueryDebugBuffer");
            rtlQueryProcessDebugInformation_ =
                platform_.GetProcAddress(ntdll_, "RtlQueryProcessDebugInformation");
            rtlDestroyQueryDebugBuffer_ =
                platform_.GetProcAddress(ntdll_, "RtlDestroyQueryDebugBuffer");
        }
    }
    return rtlCreateQueryDebugBuffer_ != ProcAddress{} &&
           rtlQueryProcessDebugInformation_ != ProcAddress{} &&
           rtlDestroyQueryDebugBuffer_ != ProcAddress{};
}

std::string ProcessAccess::GetProcessImagePath(std::uint32_t processId) {
    ImagePathRead read = ReadImagePath(processId);
    return read.exact ? std::move(read.path) : std::string();
}

ImagePathRead ProcessAccess::ReadImagePath(std::uint32_t processId) {
    ImagePathRead read;
    // The kernel holds the path in UTF-16; the ANSI answers below come through best fit.
    if (platformId_ == kPlatformWin32Nt) {
        try {
            if (ImagePathFromKernelWide(processId, read)) return read;
        } catch (const std::exception&) {
        }
        read = ImagePathRead{};
    }
    std::string path;
    try {
        path = ImagePathFromDebugInformation(processId);
    } catch (const std::exception&) {
        path.clear();
    }
    // A 32-bit process cannot read a 64-bit process's module list, and Wine answers with an empty
    // one; the kernel still knows the image name.
    if (path.empty()) {
        try {
            path = ImagePathFromKernel(processId);
        } catch (const std::exception&) {
            path.clear();
        }
    }
    // ntdll and the A function put the default character where the code page lacks one; a '?' is
    // never part of a file name (only of the prefixes "\??\" and "\\?\"), so a path holding one
    // is not the file's. (A look-alike cannot be seen here; systems that have the UTF-16 query
    // get this far only where it refuses.)
    if (path.find('?', 4) != std::string::npos) {
        read.exact = false;
        path.clear();
    }
    read.path = std::move(path);
    return read;
}

std::string ProcessAccess::ImagePathFromDebugInformation(std::uint32_t processId) {
    if (!BindNtdllDebugFunctions()) return {};
    const DebugBuffer buffer =
        platform_.RtlCreateQueryDebugBuffer(rtlCreateQueryDebugBuffer_, 0, false);
    if (buffer == DebugBuffer{}) return {};
    struct DestroyAtEnd {
        ProcessPlatform& platform;
        ProcAddress destroy;
        DebugBuffer buffer;
        ~DestroyAtEnd() { platform.RtlDestroyQueryDebugBuffer(destroy, buffer); }
    } destroyAtEnd{platform_, rtlDestroyQueryDebugBuffer_, buffer};

    // NTSTATUS: negative values are errors, positive ones are successes with information.
    if (platform_.RtlQueryProcessDebugInformation(rtlQueryProcessDebugInformation_, processId,
                                                  kRtlQueryProcessModules, buffer) < 0) {
        return {};
    }
    std::array<char, 256> raw{};
    if (!platform_.ReadFirstModulePath(buffer, raw)) return {};
    const void* nul = std::memchr(raw.data(), '\0', raw.size());
    const std::size_t length = nul ? static_cast<const char*>(nul) - raw.data() : raw.size();
    return RewriteImagePath(std::string(raw.data(), length), [this] { return WindowsDirectory(); },
                            platform_.LeadBytes());
}

void ProcessAccess::BindKernelImageName() {
    if (kernel32_ != ModuleHandle{}) return;
    kernel32_ = platform_.GetModuleHandleA("kernel32.dll");
    if (kernel32_ != ModuleHandle{}) {
        queryFullProcessImageName_ = platform_.GetProcAddress(kernel32_, "QueryFullProcessImageNameA");
    }
}

std::string ProcessAccess::ImagePathFromKernel(std::uint32_t processId) {
    BindKernelImageName();
    if (queryFullProcessImageName_ == ProcAddress{}) return {};

    const OsHandle process =
        platform_.OpenProcess(kProcessQueryLimitedInformation, false, processId);
    if (process == OsHandle{}) return {};
    HandleCloser closeProcess(platform_, process);

    std::string name(kFullImageNameBuffer, '\0');
    std::uint32_t size = kFullImageNameBuffer;
    if (!platform_.QueryFullProcessImageNameA(queryFullProcessImageName_, process, 0, name.data(),
                                              &size)) {
        return {};
    }
    name.resize(std::min<std::size_t>({size, std::strlen(name.c_str()), kFullImageNameBuffer - 1}));
    return RewriteImagePath(std::move(name), [this] { return WindowsDirectory(); },
                            platform_.LeadBytes());
}

// True when the kernel answered: `read` then holds the path, exact or not.
bool ProcessAccess::ImagePathFromKernelWide(std::uint32_t processId, ImagePathRead& read) {
    BindKernelImageName();
    if (kernel32_ == ModuleHandle{}) return false;
    if (queryFullProcessImageNameW_ == ProcAddress{}) {
        queryFullProcessImageNameW_ =
            platform_.GetProcAddress(kernel32_, "QueryFullProcessImageNameW");
        if (queryFullProcessImageNameW_ == ProcAddress{}) return false;
    }
    const OsHandle process =
        platform_.OpenProcess(kProcessQueryLimitedInformation, false, processId);
    if (process == OsHandle{}) return false;
    HandleCloser closeProcess(platform_, process);

    std::u16string wide(kFullImageNameBuffer, u'\0');
    std::uint32_t size = kFullImageNameBuffer;
    if (!platform_.QueryFullProcessImageNameW(queryFullProcessImageNameW_, process, 0,
                                              wide.data(), &size)) {
        return false;
    }
    wide.resize(std::min<std::size_t>({size, wide.find(u'\0'), kFullImageNameBuffer - 1}));
    if (wide.empty()) return false;
    AnsiForm ansi = ToAnsi(wide);
    read.exact = ansi.exact;
    read.wide = std::move(wide);
    read.path = ansi.exact ? RewriteImagePath(std::move(ansi.text),
                                              [this] { return WindowsDirectory(); },
                                              platform_.LeadBytes())
                           : std::string();
    return true;
}

std::string ProcessAccess::WindowsDirectory() {
    std::string directory(kWindowsDirectoryBuffer, '\0');
    std::uint32_t length =
        platform_.GetWindowsDirectoryA(directory.data(), kWindowsDirectoryBuffer);
    if (length >= kWindowsDirectoryBuffer) {
        // Too small: length is the size needed, with the NUL.
        const std::uint32_t needed = length;
        directory.assign(needed, '\0');
        length = platform_.GetWindowsDirectoryA(directory.data(), needed);
        if (length >= needed) return {};
    }
    directory.resize(length);
    return directory;
}

ProcessNameList ProcessAccess::PerfDataListOrEmpty() {
    ProcessNameList list;
    try {
        ListProcessesFromPerfData(list);
    } catch (const std::exception&) {
        list.clear();
    }
    return list;
}

const std::string& ProcessAccess::PathOf(Match& match) {
    if (!match.pathKnown) {
        if (platformId_ == kPlatformWin32Nt) {
            ImagePathRead read = ReadImagePath(match.id);
            match.path = std::move(read.path);
            match.pathInexact = !read.exact;
        } else {
            // The 9x line has no query for another process's image (neither ntdll's debug
            // information nor QueryFullProcessImageName); its snapshot's szExeFile is the full path.
            match.path = match.exeFile;
        }
        match.pathKnown = true;
    }
    return match.path;
}

bool ProcessAccess::IsSparedSessionProcess(const std::string& imagePath) {
    return IsSystemSessionProcess(imagePath, WindowsDirectory(), platform_.LeadBytes());
}

// A handle that may end the process, or null when it cannot be opened or must not be ended.
OsHandle ProcessAccess::OpenToEnd(Match& match) {
    Criticality critical = Criticality::Unknown;
    OsHandle process =
        platform_.OpenProcess(kProcessTerminate | kProcessQueryInformation, false, match.id);
    if (process != OsHandle{}) {
        critical = platform_.QueryProcessCritical(process);
    } else {
        // Rights that allow ending but not asking: the question stays unanswered.
        process = platform_.OpenProcess(kProcessTerminate, false, match.id);
        if (process == OsHandle{}) return OsHandle{};
    }
    if (SparedFor(match, critical)) {
        platform_.CloseHandle(process);
        return OsHandle{};
    }
    return process;
}

// Ending a critical process stops the whole system at once. Where the system cannot say (Wine, or
// no right to ask), its own session processes are known by name and folder; the path is read only
// for those names.
bool ProcessAccess::SparedFor(Match& match, Criticality critical) {
    if (critical != Criticality::Unknown) return critical == Criticality::Critical;
    const LeadByteFn lead = platform_.LeadBytes();
    return IsSystemSessionName(FileNamePart(match.exeFile, lead), lead) && IsSparedSessionProcess(PathOf(match));
}

// The same question without the right to end: what a kill run would do with the process.
bool ProcessAccess::IsSpared(Match& match) {
    Criticality critical = Criticality::Unknown;
    const OsHandle process = platform_.OpenProcess(kProcessQueryInformation, false, match.id);
    if (process != OsHandle{}) {
        HandleCloser closeProcess(platform_, process);
        critical = platform_.QueryProcessCritical(process);
    }
    return SparedFor(match, critical);
}

ProcessAccess::EndOutcome ProcessAccess::EndMatches(std::vector<Match>& matches,
                                                    std::vector<std::uint32_t>* endedIds) {
    EndOutcome outcome;
    std::string lastPath;
    std::size_t lastSurvivor = matches.size();
    for (std::size_t i = 0; i < matches.size(); ++i) {
        const OsHandle process = OpenToEnd(matches[i]);
        // Only the last match's path is read, and before it is ended; the others would each cost a
        // query of another process for nothing.
        if (i + 1 == matches.size()) {
            lastPath = PathOf(matches[i]);
            // A folder outside the code page: listed under its exact file name instead.
            if (lastPath.empty() && matches[i].pathInexact) lastPath = matches[i].exeFile;
        }
        bool ended = false;
        if (process != OsHandle{}) {
            HandleCloser closeProcess(platform_, process);
            ended = platform_.TerminateProcess(process, 0);
        }
        if (ended) {
            outcome.anyEnded = true;
            Remember(endedIds, matches[i].id);
        } else {
            lastSurvivor = i;
            outcome.survivors.push_back(matches[i].id);
        }
    }
    // Listed as ended only when something was. Matches of one name are copies of one program, so
    // the last one's path names it also when that one ran on.
    if (outcome.anyEnded) outcome.ended = lastPath;
    if (lastSurvivor < matches.size()) {
        // It still runs, so its path can be read now.
        Match& survivor = matches[lastSurvivor];
        outcome.stillRunning = PathOf(survivor).empty() ? survivor.exeFile : PathOf(survivor);
    }
    return outcome;
}

// The snapshot's processes whose image path matches the name, for a second pass without the
// performance data. Only processes whose executable string matches the name's file-name part can
// have a matching path, so only theirs are read: a query of another process each.
std::vector<ProcessAccess::Match> ProcessAccess::SnapshotMatchesByPath(const std::string& name,
                                                                       bool firstOnly) {
    const LeadByteFn lead = platform_.LeadBytes();
    const std::uint32_t self = platform_.GetCurrentProcessId();
    // "C:/x/y.exe" ends in "y.exe" as "C:\x\y.exe" does.
    const std::string comparable = ComparableProgramName(name, lead);
    const std::string_view namePart = FileNamePart(comparable, lead);
    std::vector<Match> candidates;
    WalkSnapshot([&](const SnapshotEntry& entry) {
        if (entry.exact && entry.processId != self &&
            ProgramNameMatches(entry.exeFile, namePart, lead)) {
            candidates.push_back({entry.processId, entry.exeFile, {}, false});
        }
    });
    std::vector<Match> matches;
    for (Match& candidate : candidates) {
        if (ProgramNameMatches(PathOf(candidate), name, lead) && !candidate.path.empty()) {
            matches.push_back(std::move(candidate));
            if (firstOnly) break;
        }
    }
    return matches;
}

std::string ProcessAccess::FindProcessByName(const std::string& name) {
    try {
        const LeadByteFn lead = platform_.LeadBytes();
        // The program never ends itself, so its own process is no reason to ask.
        const std::uint32_t self = platform_.GetCurrentProcessId();
        std::vector<Match> matches;
        WalkSnapshot([&](const SnapshotEntry& entry) {
            if (entry.exact && entry.processId != self &&
                ProgramNameMatches(entry.exeFile, name, lead)) {
                matches.push_back({entry.processId, entry.exeFile, {}, false});
            }
        });
        for (auto match = matches.rbegin(); match != matches.rend(); ++match) {
            if (!IsSpared(*match)) return match->exeFile;
        }
        if (!matches.empty()) return {};  // found, and every one of them spared

        const ProcessNameList list = PerfDataListOrEmpty();
        for (const ProcessNameEntry& entry : list) {
            if (entry.id == self) continue;
            std::string path = GetProcessImagePath(entry.id);
            if (path.empty() && entry.exact) path = entry.name;
            if ((entry.exact && ProgramNameMatches(entry.name, name, lead)) ||
                (!path.empty() && ProgramNameMatches(path, name, lead))) {
                Match match{entry.id, std::string(FileNamePart(path, lead)), path, true};
                if (!IsSpared(match)) return path;
            }
        }
        if (list.empty()) {
            for (Match& match : SnapshotMatchesByPath(name, false)) {
                if (!IsSpared(match)) return match.path;
            }
        }
    } catch (const std::exception&) {
    }
    return {};
}

std::string ProcessAccess::EndProcessesByName(const std::string& name,
                                              std::vector<std::uint32_t>* endedIds,
                                              std::string* stillRunning) {
    if (stillRunning) stillRunning->clear();
    try {
        const LeadByteFn lead = platform_.LeadBytes();
        // Ending the program's own process would cut the run short: later names not ended, the
        // program to start not opened, no window.
        const std::uint32_t self = platform_.GetCurrentProcessId();

        std::vector<Match> matches;
        WalkSnapshot([&](const SnapshotEntry& entry) {
            if (entry.exact && entry.processId != self &&
                ProgramNameMatches(entry.exeFile, name, lead)) {
                matches.push_back({entry.processId, entry.exeFile, {}, false});
            }
        });
        const EndOutcome first = EndMatches(matches, endedIds);
        if (!first.ended.empty()) {
            if (stillRunning) *stillRunning = first.stillRunning;
            return first.ended;
        }

        // The second pass runs with the debug privilege that the performance data enables, so it
        // may end what the first pass could not open; what it leaves is reported as before.
        std::string result;
        std::string runsOn;
        const ProcessNameList list = PerfDataListOrEmpty();
        for (const ProcessNameEntry& entry : list) {
            if (entry.id == self) continue;
            // The result is the entry's name, so its path is needed only when the name alone does
            // not match.
            bool isMatch = entry.exact && ProgramNameMatches(entry.name, name, lead);
            std::string path;
            if (!isMatch) {
                path = GetProcessImagePath(entry.id);
                isMatch = !path.empty() && ProgramNameMatches(path, name, lead);
            }
            if (isMatch) {
                // A name that did not survive the code page is no caption; its path did.
                const std::string& caption = entry.exact ? entry.name : path;
                if (TerminateProcessById(entry.id) == 0) {
                    Remember(endedIds, entry.id);
                    result = caption;
                } else {
                    runsOn = caption;
                }
                break;
            }
        }
        if (list.empty()) {
            std::vector<Match> byPath = SnapshotMatchesByPath(name, false);
            const EndOutcome second = EndMatches(byPath, endedIds);
            result = second.ended;
            runsOn = second.stillRunning;
        }
        if (stillRunning) {
            // The first pass names what it found better (by path) while that still runs.
            if (!first.survivors.empty() && AnyProcessRunning(first.survivors)) {
                *stillRunning = first.stillRunning;
            } else {
                *stillRunning = runsOn;
            }
        }
        return result;
    } catch (const std::exception&) {
    }
    return {};
}

std::int32_t ProcessAccess::TerminateProcessById(std::uint32_t processId) {
    if (platformId_ != kPlatformWin32Nt) return -1;
    const OsHandle process = platform_.OpenProcess(kProcessAllAccess, true, processId);
    if (process == OsHandle{}) return -2;
    HandleCloser closeProcess(platform_, process);
    switch (platform_.QueryProcessCritical(process)) {
        case Criticality::Critical: return -2;
        case Criticality::Unknown:
            if (IsSparedSessionProcess(GetProcessImagePath(processId))) return -2;
            break;
        case Criticality::NotCritical: break;
    }
    return platform_.TerminateProcess(process, 0) ? 0 : -3;
}

bool ProcessAccess::AnyProcessRunning(const std::vector<std::uint32_t>& ids) {
    bool found = false;
    WalkSnapshot([&](const SnapshotEntry& entry) {
        if (!found && std::find(ids.begin(), ids.end(), entry.processId) != ids.end()) found = true;
    });
    return found;
}

}  // namespace norvanex
