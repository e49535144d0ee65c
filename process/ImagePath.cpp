// Image path rewriting.
#include "process/ImagePath.h"

#include <string_view>

namespace norvanex {

std::string RewriteImagePath(std::string path, const std::function<std::string()>& windowsDirectory,
                             LeadByteFn isLeadByte) {
    static constexpr std::string_view kDosDevices = "\\??\\";
    static constexpr std::string_view kSystemRoot = "\\SYSTEMROOT\\";

    if (std::string_view(path).substr(0, kDosDevices.size()) == kDosDevices) {
        path.erase(0, kDosDevices.size());
    }
    if (path.size() >= kSystemRoot.size() &&
        EqualsIgnoringAsciiCase(std::string_view(path).substr(0, kSystemRoot.size()), kSystemRoot,
                                isLeadByte)) {
        std::string directory = windowsDirectory();
        if (!directory.empty()) {
            // A folder whose name ends in a double-byte character with trail byte 0x5C (C:\表)
            // does not end in a backslash.
            if (!AfterLastBackslash(directory, isLeadByte).empty()) directory += '\\';
            path = directory + path.substr(kSystemRoot.size());
        }
    }
    return path;
}

}  // namespace norvanex
