// Version text, help file path, icon lookup path and DPI scaling.
#include "base/AppInfo.h"

#include <algorithm>
#include <string_view>
#include <vector>

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

bool IsSystem32Folder(const std::string& path, const std::string& windowsDirectory, LeadByteFn isLeadByte) {
    // A file in it would be reached through Sysnative; the folder itself would not.
    return SysnativePath(path, windowsDirectory, isLeadByte).empty() &&
           !SysnativePath(path + "\\x", windowsDirectory, isLeadByte).empty();
}

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The parts of `text` between backslashes, a trail byte that looks like one kept inside its part.
std::vector<std::string> SplitParts(std::string_view text, LeadByteFn isLeadByte) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < text.size();) {
        const size_t length = (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
        if (length == 1 && text[i] == '\\') {
            parts.emplace_back();
        } else {
            parts.back().append(text.substr(i, length));
        }
        i += length;
    }
    return parts;
}

std::string Backslashed(std::string_view text, LeadByteFn isLeadByte) {
    std::string result(text);
    for (size_t i = 0; i < result.size();) {
        if (isLeadByte(static_cast<unsigned char>(result[i])) && i + 1 < result.size()) {
            i += 2;
            continue;
        }
        if (result[i] == '/') result[i] = '\\';
        ++i;
    }
    return result;
}

// A canonical path without its root ("C:" or "\\\\server\\share"): its first backslash on.
std::string_view CanonicalRootless(std::string_view canonical, LeadByteFn isLeadByte) {
    size_t skip = 0;
    if (canonical.rfind("\\\\", 0) == 0) {
        skip = 2;
        for (int names = 0; names < 2 && skip < canonical.size(); ++names) {
            const std::vector<std::string> parts = SplitParts(canonical.substr(skip), isLeadByte);
            skip += parts[0].size() + (names == 0 ? 1 : 0);
        }
    } else if (canonical.size() >= 2 && canonical[1] == ':') {
        skip = 2;
    }
    return canonical.substr(std::min(skip, canonical.size()));
}

}  // namespace

bool IsFullPath(std::string_view path) {
    const bool separatorAt2 = path.size() > 2 && (path[2] == '\\' || path[2] == '/');
    const bool drive = path.size() > 2 && IsDriveLetter(path[0]) && path[1] == ':' && separatorAt2;
    const bool twoSeparators = path.size() > 1 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
    return drive || twoSeparators;
}

std::string CanonicalPath(std::string_view path, std::string_view currentDir, LeadByteFn isLeadByte) {
    std::string text = Backslashed(path, isLeadByte);
    // "\\?\C:\x" and "\\?\UNC\server\share\x" hand the rest to the file system unparsed;
    // the Win32 name of the same file has no prefix ("C:\x", "\\server\share\x").
    if (text.rfind("\\\\?\\", 0) == 0) {
        text.erase(0, 4);
        if (text.size() >= 4 && EqualsIgnoringAsciiCase(std::string_view(text).substr(0, 4), "UNC\\", isLeadByte)) {
            text.replace(0, 3, "\\");
        }
    }
    const bool unc = text.rfind("\\\\", 0) == 0;
    const bool hasDrive = text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == ':';
    if (!unc && !currentDir.empty()) {
        // What the current folder supplies: all of it for a relative path, its root for one that
        // starts at a root, all of it for "C:x.exe" when that is the current folder's drive.
        const std::string current = CanonicalPath(currentDir, std::string_view(), isLeadByte);
        const std::string currentRoot =
            current.substr(0, current.size() - CanonicalRootless(current, isLeadByte).size());
        if (!hasDrive && (text.empty() || text[0] != '\\')) {
            return CanonicalPath(current + "\\" + text, std::string_view(), isLeadByte);
        }
        if (!hasDrive) return CanonicalPath(currentRoot + text, std::string_view(), isLeadByte);
        if (text.size() == 2 || text[2] != '\\') {
            if (EqualsIgnoringAsciiCase(text.substr(0, 2), current.substr(0, 2), isLeadByte)) {
                return CanonicalPath(current + "\\" + text.substr(2), std::string_view(), isLeadByte);
            }
        }
    }
    std::string root;
    std::vector<std::string> parts;
    if (unc) {
        // \\server\share: both names belong to the root.
        parts = SplitParts(std::string_view(text).substr(2), isLeadByte);
        root = "\\\\" + parts[0];
        if (parts.size() > 1) root += "\\" + parts[1];
        parts.erase(parts.begin(), parts.begin() + std::min<size_t>(parts.size(), 2));
    } else if (hasDrive) {
        root = text.substr(0, 2);
        parts = SplitParts(std::string_view(text).substr(2), isLeadByte);
    } else {
        parts = SplitParts(text, isLeadByte);
    }
    std::vector<std::string> kept;
    for (std::string& part : parts) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(std::move(part));
    }
    if (!kept.empty()) {
        std::string& last = kept.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
        if (last.empty()) kept.pop_back();
    }
    std::string result = root;
    for (const std::string& part : kept) result += "\\" + part;
    if (kept.empty()) result += '\\';
    return result;
}

std::string LongPathByParts(std::string_view canonical, const LongNameLookup& longNameOf, LeadByteFn isLeadByte) {
    const std::string_view rootless = CanonicalRootless(canonical, isLeadByte);
    std::string result(canonical.substr(0, canonical.size() - rootless.size()));
    if (result.empty()) return {};  // relative: no root to walk from
    for (const std::string& part : SplitParts(rootless, isLeadByte)) {
        if (part.empty()) continue;
        // Neither wildcard can be the trail byte of a double-byte character (those start at 0x40).
        if (part.find_first_of("*?") != std::string::npos) return {};
        const std::optional<std::string> name = longNameOf(result + "\\" + part);
        if (!name || name->empty()) return {};
        result += "\\" + *name;
    }
    if (result.size() == canonical.size() - rootless.size()) result += '\\';
    return result;
}

int ScaleToDpi(int designValue, int dpi) {
    const long long scaled = static_cast<long long>(designValue) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : -((-scaled + 48) / 96));
}

}  // namespace norvanex
