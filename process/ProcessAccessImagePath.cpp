// Process access, the image path: from the kernel in UTF-16, from ntdll's debug information, from
// the kernel in ANSI, each rewritten to a drive-letter path.
#include <algorithm>
#include <cstring>
#include <new>

#include "process/ImagePath.h"
#include "process/ProcessAccess.h"

namespace norvanex {
namespace {

constexpr std::uint32_t kRtlQueryProcessModules = 0x01;  // PDI_MODULES
// QueryFullProcessImageNameA paths may exceed MAX_PATH; 32767 characters is the longest Win32 path.
constexpr std::uint32_t kFullImageNameBuffer = 32768;

// What `read` gives, or empty where it throws (out of memory for a path buffer).
template <class Read>
std::string OrEmpty(const Read& read) {
    try {
        return read();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace

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
    if (facts_.NtLine()) {
        try {
            if (ImagePathFromKernelWide(processId, read)) return read;
        } catch (const std::bad_alloc&) {
        }
        read = ImagePathRead{};
    }
    std::string path = OrEmpty([&] { return ImagePathFromDebugInformation(processId); });
    // A 32-bit process cannot read a 64-bit process's module list, and Wine answers with an empty
    // one; the kernel still knows the image name.
    if (path.empty()) path = OrEmpty([&] { return ImagePathFromKernel(processId); });
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
    const PlatformOwned<DebugBuffer> buffer(
        platform_.RtlCreateQueryDebugBuffer(rtlCreateQueryDebugBuffer_, 0, false),
        {&platform_, rtlDestroyQueryDebugBuffer_});
    if (!buffer) return {};
    // NTSTATUS: negative values are errors, positive ones are successes with information.
    if (platform_.RtlQueryProcessDebugInformation(rtlQueryProcessDebugInformation_, processId,
                                                  kRtlQueryProcessModules, buffer.get()) < 0) {
        return {};
    }
    std::array<char, 256> raw{};
    if (!platform_.ReadFirstModulePath(buffer.get(), raw)) return {};
    const void* nul = std::memchr(raw.data(), '\0', raw.size());
    const std::size_t length = nul ? static_cast<const char*>(nul) - raw.data() : raw.size();
    return Rewritten(std::string(raw.data(), length));
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

    const auto process = Own(platform_.OpenProcess(kProcessQueryLimitedInformation, false, processId));
    if (!process) return {};

    std::string name(kFullImageNameBuffer, '\0');
    std::uint32_t size = kFullImageNameBuffer;
    if (!platform_.QueryFullProcessImageNameA(queryFullProcessImageName_, process.get(), 0, name.data(),
                                              &size)) {
        return {};
    }
    name.resize(std::min<std::size_t>({size, std::strlen(name.c_str()), kFullImageNameBuffer - 1}));
    return Rewritten(std::move(name));
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
    const auto process = Own(platform_.OpenProcess(kProcessQueryLimitedInformation, false, processId));
    if (!process) return false;

    std::u16string wide(kFullImageNameBuffer, u'\0');
    std::uint32_t size = kFullImageNameBuffer;
    if (!platform_.QueryFullProcessImageNameW(queryFullProcessImageNameW_, process.get(), 0,
                                              wide.data(), &size)) {
        return false;
    }
    wide.resize(std::min<std::size_t>({size, wide.find(u'\0'), kFullImageNameBuffer - 1}));
    if (wide.empty()) return false;
    std::string ansi;
    read.exact = Exact(wide, ansi);
    read.wide = std::move(wide);
    if (read.exact) read.path = Rewritten(std::move(ansi));
    return true;
}

std::string ProcessAccess::Rewritten(std::string path) {
    return RewriteImagePath(std::move(path), [this] { return facts_.windowsFolder; }, facts_.leadBytes);
}

}  // namespace norvanex
