// The running program's shared facts, its icon lookups and its version resource.
#include "base/AppInfo_win.h"

#include <shellapi.h>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include "base/AppInfo.h"
#include "base/SystemFacts_win.h"
#include "base/SystemFunction_win.h"
#include "base/SystemMemory_win.h"

namespace norvanex {

namespace {

// The system image lists: the small one (16641) and the large one (16640).
constexpr UINT kSmallIconQuery = SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_SMALLICON;
constexpr UINT kLargeIconQuery = SHGFI_SYSICONINDEX | SHGFI_ICON;

// Asks the shell for a path's icon and drops the icon handle at once: only the index (and the
// image list that the call returns) is used. A failed call leaves the cleared record. A path
// longer than SHGetFileInfoA takes (MAX_PATH characters) is not asked for: cut short on its way
// to the shell it would show another file's icon.
DWORD_PTR QueryShellIcon(const std::string& path, UINT flags, int& index) {
    SHFILEINFOA info{};
    if (path.size() > kMaxAnsiPath) {
        index = 0;
        return 0;
    }
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

namespace {
void (*cannotGoOnMessage)() = nullptr;
}  // namespace

void SetCannotGoOnMessage(void (*say)()) { cannotGoOnMessage = say; }

void CannotGoOn() noexcept {
    // Said at most once: a message box that fails in its turn ends up here again (its handler's
    // failure goes through RunHandler), and would call itself until the stack ran out.
    static std::atomic_flag said = ATOMIC_FLAG_INIT;
    if (cannotGoOnMessage && !said.test_and_set()) {
        try {
            cannotGoOnMessage();
        } catch (...) {
            // Said nothing: the exit code still tells.
        }
    }
    ExitProcess(kExitCannotGoOn);
}

std::string SystemMessage(std::uint32_t code) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    const LocalMemory<char> owned(text);
    std::string message = length > 0 && text ? std::string(text, length) : std::string();
    while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ') message.pop_back();
    return message;
}

void Terminate(int exitCode) {
    if (!App().terminated) PostQuitMessage(exitCode);
    App().terminated = true;
}

// A shell warm-up that the window stopped waiting for (ShellWarmUp) may still be here while the
// process ends: the system's facts are never destroyed.
std::string ShellPath(const std::string& path) {
    const SystemFacts& facts = ThisSystem();
    if (!facts.wow64) return path;
    const std::string native = SysnativePath(path, facts.windowsFolder, facts.leadBytes);
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

// What the warm-up asks the shell for, on the heap: the thread frees it, whenever it ends.
struct ShellWarmUp::Work {
    std::string root;
    std::vector<std::string> paths;
};

ShellWarmUp::ShellWarmUp(std::string root, std::vector<std::string> paths) {
    auto work = std::make_unique<Work>(Work{std::move(root), std::move(paths)});
    thread_.reset(CreateThread(nullptr, 0, Run, work.get(), 0, nullptr));
    if (thread_) work.release();  // the thread's from here
}

ShellWarmUp::~ShellWarmUp() { Wait(); }

void ShellWarmUp::Wait() {
    if (!thread_) return;
    WaitForSingleObject(thread_.get(), kWaitMs);
    thread_.reset();
}

DWORD WINAPI ShellWarmUp::Run(void* work) {
    const std::unique_ptr<Work> owned(static_cast<Work*>(work));
    QuerySystemImageLists(owned->root);
    for (const std::string& path : owned->paths) GetFileIconIndex(path);
    return 0;
}

std::string GetVersionText() {
    // The version resource of the module in memory: GetFileVersionInfoA would need the file's
    // path, which the A functions cannot take beyond MAX_PATH. VerQueryValueA may write into the
    // block, so it works on a copy.
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(self, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));  // RT_VERSION
    HGLOBAL loaded = resource ? LoadResource(self, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = resource ? SizeofResource(self, resource) : 0;
    if (data == nullptr || size == 0) return std::string();
    std::vector<char> block(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || info == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return std::string();
    }
    return FormatFileVersion(info->dwFileVersionMS, info->dwFileVersionLS);
}

std::string CanonicalPathOf(const std::string& path) {
    std::string current(MAX_PATH + 1, '\0');
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(current.size()), current.data());
    if (length >= current.size()) {
        current.assign(length + 1, '\0');
        length = GetCurrentDirectoryA(static_cast<DWORD>(current.size()), current.data());
    }
    current.resize(length < current.size() ? length : 0);
    const std::string full = CanonicalPath(path, current, ThisSystem().leadBytes);
    const std::string found = LongPathOf(full);
    return found.empty() ? full : found;  // no such file, or not answered
}

std::string LongPathOf(const std::string& full) {
    // A 64-bit program in System32 is found through Sysnative, part by part, so that the path keeps
    // its System32 spelling. Elsewhere the system's own lookup where it has one (Windows 98 and
    // 2000 on), else the same walk with FindFirstFileA.
    using GetLongPathNameAFn = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
    const auto getLongPathName = FindSystemFunctionAs<GetLongPathNameAFn>("kernel32.dll", "GetLongPathNameA");
    if (getLongPathName && ShellPath(full) == full) {
        std::string longPath(full.size() + MAX_PATH + 1, '\0');
        const DWORD length = getLongPathName(full.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
        if (length == 0 || length >= longPath.size()) return std::string();
        longPath.resize(length);
        return longPath;
    }
    const SystemFacts& facts = ThisSystem();
    return LongPathByParts(
        full,
        [&facts](const std::string& part) -> std::optional<std::string> {
            // The System32 folder's own entry is redirected as well (on 64-bit Windows it can read
            // as SysWOW64): it keeps the name it is written with.
            if (IsSystem32Folder(part, facts.windowsFolder, facts.leadBytes)) {
                return std::string(AfterLastBackslash(part, facts.leadBytes));
            }
            WIN32_FIND_DATAA data{};
            if (!FindFirstFileOwned(ShellPath(part).c_str(), data)) return std::nullopt;
            return std::string(data.cFileName);
        },
        facts.leadBytes);
}

}  // namespace norvanex
