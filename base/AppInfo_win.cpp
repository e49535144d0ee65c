// The running program's shared facts, its icon lookups and its version resource.
#include "base/AppInfo_win.h"

#include <shellapi.h>

#include <vector>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"

namespace norvanex {

namespace {

// The system image lists: the small one (16641) and the large one (16640).
constexpr UINT kSmallIconQuery = SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_SMALLICON;
constexpr UINT kLargeIconQuery = SHGFI_SYSICONINDEX | SHGFI_ICON;

// Asks the shell for a path's icon and drops the icon handle at once: only the index (and the
// image list that the call returns) is used. A failed call leaves the cleared record.
DWORD_PTR QueryShellIcon(const std::string& path, UINT flags, int& index) {
    SHFILEINFOA info{};
    const DWORD_PTR result = SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, flags);
    if (info.hIcon) DestroyIcon(info.hIcon);
    index = info.iIcon;
    return result;
}

}  // namespace

Application& App() {
    static Application app;
    return app;
}

void Terminate() {
    if (!App().terminated) PostQuitMessage(0);
    App().terminated = true;
}

std::string ShellPath(const std::string& path) {
    static const bool wow64 = [] {
        using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
        const auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
        BOOL result = FALSE;
        return isWow64 && isWow64(GetCurrentProcess(), &result) && result;
    }();
    if (!wow64) return path;
    static const std::string windows = [] {
        char directory[MAX_PATH + 1] = {};
        const UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
        return length > 0 && length <= MAX_PATH ? std::string(directory, length) : std::string();
    }();
    const std::string native = SysnativePath(path, windows, SystemLeadByte);
    // Sysnative exists from Vista on (and on XP x64 with a hotfix); where it does not answer, the
    // redirected file is the best there is.
    if (native.empty() || GetFileAttributesA(native.c_str()) == INVALID_FILE_ATTRIBUTES) return path;
    return native;
}

int GetFileIconIndex(const std::string& path) {
    int index = 0;
    QueryShellIcon(IconLookupPath(ShellPath(path)), kSmallIconQuery, index);
    return index;
}

int GetFileIconIndexOnly(const std::string& path) {
    int index = 0;
    QueryShellIcon(IconLookupPath(ShellPath(path)), SHGFI_SYSICONINDEX | SHGFI_SMALLICON, index);
    return index;
}

int GetFileIconIndexOnly(const std::u16string& path) {
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<const wchar_t*>(path.c_str()), 0, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    return info.iIcon;
}

SystemImageLists QuerySystemImageLists(const std::string& root) {
    int ignored = 0;
    SystemImageLists lists;
    lists.small = reinterpret_cast<HIMAGELIST>(QueryShellIcon(root, kSmallIconQuery, ignored));
    lists.large = reinterpret_cast<HIMAGELIST>(QueryShellIcon(root, kLargeIconQuery, ignored));
    return lists;
}

std::string GetVersionText() {
    const std::string& exe = App().exePath;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    if (size == 0) return std::string();
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(exe.c_str(), 0, size, block.data())) return std::string();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || info == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return std::string();
    }
    return FormatFileVersion(info->dwFileVersionMS, info->dwFileVersionLS);
}

}  // namespace norvanex
