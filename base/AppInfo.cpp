// Version text, help file path, icon lookup path and DPI scaling.
#include "base/AppInfo.h"

#include <string_view>

namespace norvanex {

std::string FormatFileVersion(uint32_t versionMS, uint32_t versionLS) {
    return std::to_string(versionMS >> 16) + '.' + std::to_string(versionMS & 0xFFFF) + '.' +
           std::to_string(versionLS >> 16) + '.' + std::to_string(versionLS & 0xFFFF);
}

std::string MajorMinor(const std::string& version) {
    std::string text = version;
    for (int cut = 0; cut < 2; ++cut) {
        const size_t point = text.rfind('.');
        if (point == std::string::npos) break;
        text.erase(point);
    }
    return text;
}

std::string HelpFilePath(const std::string& exePath, LeadByteFn isLeadByte) {
    std::string folder = exePath.substr(0, NamePartStart(exePath, "\\:", isLeadByte));
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder + "Norvanex.hlp";
}

std::string IconLookupPath(const std::string& path) {
    std::string lookup = path;
    if (lookup.size() == 1) lookup += ':';
    if (lookup.size() == 2 && lookup[1] == ':') lookup += '\\';
    return lookup;
}

std::string SysnativePath(const std::string& path, const std::string& windowsDirectory, LeadByteFn isLeadByte) {
    if (windowsDirectory.empty()) return {};
    std::string folder = windowsDirectory;
    if (!AfterLastBackslash(folder, isLeadByte).empty()) folder += '\\';
    const std::string system32 = folder + "System32\\";
    if (path.size() <= system32.size() ||
        !EqualsIgnoringAsciiCase(std::string_view(path).substr(0, system32.size()), system32, isLeadByte)) {
        return {};
    }
    return folder + "Sysnative\\" + path.substr(system32.size());
}

int ScaleToDpi(int designValue, int dpi) {
    const long long scaled = static_cast<long long>(designValue) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : -((-scaled + 48) / 96));
}

}  // namespace norvanex
