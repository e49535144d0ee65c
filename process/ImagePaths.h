// A process's image path, from whichever source answers, in the drive-letter form.
#pragma once

#include <cstdint>
#include <string>

#include "base/SystemFacts.h"
#include "process/ProcessPlatform.h"

namespace norvanex {

// A process's image path: `path` is what it is compared as; where the path as the system holds
// it does not survive the code page, `exact` is false, `path` names nothing and `wide` keeps it.
struct ImagePathRead {
    std::string path;
    bool exact = true;
    std::u16string wide;
};

class ImagePaths {
public:
    ImagePaths(ProcessPlatform& platform, const SystemFacts& facts) : platform_(platform), facts_(facts) {}

    // The path with what does not survive: on the NT line read in UTF-16 first, then from ntdll's
    // debug information, then from the kernel in ANSI. Never throws.
    ImagePathRead Read(std::uint32_t processId);
    // The drive-letter path of the process's executable, or empty when it cannot be learnt or does
    // not survive the code page. Never throws.
    std::string Exact(std::uint32_t processId);

private:
    bool FromKernelWide(std::uint32_t processId, ImagePathRead& read);
    std::string Rewritten(std::string path) const;

    ProcessPlatform& platform_;
    const SystemFacts& facts_;
};

}  // namespace norvanex
