// The image path's sources in their order, each answer rewritten to a drive-letter path.
#include "process/ImagePaths.h"

#include <new>

#include "process/ImagePath.h"
#include "process/ProcessLists.h"

namespace norvanex {
namespace {

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

std::string ImagePaths::Exact(std::uint32_t processId) {
    ImagePathRead read = Read(processId);
    return read.exact ? std::move(read.path) : std::string();
}

ImagePathRead ImagePaths::Read(std::uint32_t processId) {
    ImagePathRead read;
    // The kernel holds the path in UTF-16; the ANSI answers below come through best fit.
    if (facts_.NtLine()) {
        try {
            if (FromKernelWide(processId, read)) return read;
        } catch (const std::bad_alloc&) {
        }
        read = ImagePathRead{};
    }
    std::string path = OrEmpty([&] { return Rewritten(platform_.DebugInfoImagePath(processId)); });
    // A 32-bit process cannot read a 64-bit process's module list, and Wine answers with an empty
    // one; the kernel still knows the image name.
    if (path.empty()) path = OrEmpty([&] { return Rewritten(platform_.KernelImagePathAnsi(processId)); });
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

// True when the kernel answered: `read` then holds the path, exact or not.
bool ImagePaths::FromKernelWide(std::uint32_t processId, ImagePathRead& read) {
    std::optional<std::u16string> wide = platform_.KernelImagePathWide(processId);
    if (!wide || wide->empty()) return false;
    std::string ansi;
    read.exact = ExactIn(platform_, *wide, ansi);
    read.wide = std::move(*wide);
    if (read.exact) read.path = Rewritten(std::move(ansi));
    return true;
}

std::string ImagePaths::Rewritten(std::string path) const {
    return RewriteImagePath(std::move(path), [this] { return facts_.windowsFolder; }, facts_.leadBytes);
}

}  // namespace norvanex
