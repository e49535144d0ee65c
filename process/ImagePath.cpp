// Image path rewriting.
#include "process/ImagePath.h"

#include <string_view>

#include "process/ProgramName.h"

namespace norvanex {

std::string RewriteImagePath(std::string path,
                             const std::function<std::string()>& windowsDirectory) {
    static constexpr std::string_view kDosDevices = "\\??\\";
    static constexpr std::string_view kSystemRoot = "\\SYSTEMROOT\\";

    if (std::string_view(path).substr(0, kDosDevices.size()) == kDosDevices) {
        path.erase(0, kDosDevices.size());
    }
    if (path.size() >= kSystemRoot.size() &&
        EqualsIgnoringAsciiCase(std::string_view(path).substr(0, kSystemRoot.size()),
                                kSystemRoot)) {
        std::string directory = windowsDirectory();
        if (!directory.empty()) {
            if (directory.back() != '\\') directory += '\\';
            path = directory + path.substr(kSystemRoot.size());
        }
    }
    return path;
}

}  // namespace norvanex
