// Shortcut files written and read through CLSID_ShellLink, IShellLinkA or IShellLinkW, and IPersistFile.
#include "app/Shortcut_win.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <type_traits>
#include <vector>

#include "app/Shortcut.h"
#include "base/AnsiText_win.h"
#include "base/AppInfo_win.h"
#include "base/ComApartment_win.h"
#include "base/ComPtr_win.h"
#include "base/SystemFunction_win.h"
#include "base/SystemMemory_win.h"
#include "base/SystemTraits_win.h"

namespace norvanex {

namespace {

// IPersistFile takes UTF-16 names; ours are in the ANSI code page.
std::wstring Wide(const std::string& text) { return WideFrom(text, CP_ACP); }

template <class Link = IShellLinkA>
ComPtr<Link> NewShellLink(HRESULT* status = nullptr) {
    EnterComApartment();
    ComPtr<Link> link;
    const IID& iid = std::is_same_v<Link, IShellLinkW> ? IID_IShellLinkW : IID_IShellLinkA;
    const HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, iid, link.put());
    if (FAILED(result)) link.reset();
    if (status) *status = result;
    return link;
}

// The system's words for a status, with its number (or the number alone where it has no words).
std::string StatusText(HRESULT status) {
    const std::string message = SystemMessage(static_cast<std::uint32_t>(status));
    char number[16];
    wsprintfA(number, "0x%08lX", static_cast<unsigned long>(status));
    return message.empty() ? std::string(number) : message + " (" + number + ")";
}

// Reads one text field; the buffer is bigger than any field the shell keeps (INFOTIPSIZE).
template <class Char, class Get>
std::basic_string<Char> Field(Get&& get) {
    std::vector<Char> buffer(4096, Char());
    if (FAILED(get(buffer.data(), static_cast<int>(buffer.size())))) return {};
    buffer.back() = Char();
    return std::basic_string<Char>(buffer.data());
}

// Loading reads the file and resolves nothing: the shell's resolver runs only in Resolve.
bool LoadFile(IUnknown* link, const std::wstring& fileName) {
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())))) return false;
    return SUCCEEDED(file->Load(fileName.c_str(), STGM_READ));
}

// The path a link names: its path as written (`flags` 0: with the variables in it expanded), or
// else the file its ID list names. The shell writes a file that it knows by its ID list alone
// without a path; neither Wine nor every Windows answers GetPath for it.
template <class Char, class Link>
std::basic_string<Char> LinkTarget(Link* link, DWORD flags) {
    std::basic_string<Char> target =
        Field<Char>([&](Char* text, int size) { return link->GetPath(text, size, nullptr, flags); });
    if (!target.empty()) return target;
    LPITEMIDLIST given = nullptr;
    const HRESULT status = link->GetIDList(&given);
    const TaskMemory<ITEMIDLIST> ids(given);
    if (FAILED(status) || !ids) return target;
    using PathFromIds = BOOL(WINAPI*)(LPCITEMIDLIST, Char*);
    constexpr bool wide = std::is_same_v<Char, wchar_t>;
    const auto pathOf =
        FindSystemFunctionAs<PathFromIds>("shell32.dll", wide ? "SHGetPathFromIDListW" : "SHGetPathFromIDListA");
    Char path[MAX_PATH] = {};
    if (pathOf && pathOf(ids.get(), path)) target = path;
    return target;
}

std::optional<ShortcutFields> ReadShortcutA(const std::string& fileName) {
    ComPtr<IShellLinkA> link = NewShellLink();
    if (!link || !LoadFile(link.get(), Wide(fileName))) return std::nullopt;
    ShortcutFields fields;
    // The raw path: the target as written, not resolved to wherever a file of that name went.
    fields.target = LinkTarget<char>(link.get(), SLGP_RAWPATH);
    fields.arguments = Field<char>([&](char* text, int size) { return link->GetArguments(text, size); });
    return fields;
}

std::optional<ShortcutFields> ReadShortcutW(const std::string& fileName) {
    ComPtr<IShellLinkW> link = NewShellLink<IShellLinkW>();
    if (!link || !LoadFile(link.get(), Wide(fileName))) return std::nullopt;
    const std::wstring target = LinkTarget<wchar_t>(link.get(), SLGP_RAWPATH);
    const std::wstring arguments = Field<wchar_t>([&](wchar_t* text, int size) { return link->GetArguments(text, size); });
    ShortcutFields fields;
    const auto exact = [](std::u16string_view wide, std::string& ansi) { return ExactAnsi(wide, ansi); };
    if (const auto inexact = InexactShortcutPart(AsUtf16(target), AsUtf16(arguments), exact)) fields.inexact = *inexact;
    // The target whenever it converts, so that the caller can tell whose shortcut it is; the
    // arguments only when all of them do.
    if (!ExactAnsi(AsUtf16(target), fields.target)) fields.target.clear();
    if (fields.inexact.empty()) ExactAnsi(AsUtf16(arguments), fields.arguments);
    return fields;
}

}  // namespace

bool CreateShortcut(const std::string& target, const std::string& arguments, const std::string& fileName,
                    const std::string& iconPath, const std::string& description, std::string* reason) {
    HRESULT status = E_FAIL;
    ComPtr<IShellLinkA> link = NewShellLink(&status);
    ComPtr<IPersistFile> file;
    if (link) {
        // A target or arguments that the link object did not take would make a shortcut that
        // opens nothing, or does something else.
        status = link->SetPath(target.c_str());
        if (SUCCEEDED(status)) status = link->SetArguments(arguments.c_str());
        if (SUCCEEDED(status)) {
            link->SetDescription(description.c_str());
            link->SetIconLocation(iconPath.c_str(), 0);
            file = link.As<IPersistFile>(IID_IPersistFile);
            status = file ? file->Save(Wide(fileName).c_str(), TRUE) : E_NOINTERFACE;
        }
    }
    if (SUCCEEDED(status)) return true;
    if (reason) *reason = StatusText(status);
    return false;
}

std::optional<ShortcutFields> ReadShortcut(const std::string& fileName, bool unicode) {
    return unicode ? ReadShortcutW(fileName) : ReadShortcutA(fileName);
}

// In UTF-16 on the NT line, so that a link named beyond the code page is followed too; the 9x
// line's shell holds its names in ANSI.
std::optional<std::u16string> ReadShortcutTarget(const std::u16string& fileName) {
    const std::wstring file(AsWide(fileName));
    std::wstring target;
    if (AnsiTexts()) {
        const ComPtr<IShellLinkA> link = NewShellLink();
        if (!link || !LoadFile(link.get(), file)) return std::nullopt;
        target = Wide(LinkTarget<char>(link.get(), 0));
    } else {
        const ComPtr<IShellLinkW> link = NewShellLink<IShellLinkW>();
        if (!link || !LoadFile(link.get(), file)) return std::nullopt;
        target = LinkTarget<wchar_t>(link.get(), 0);
    }
    return std::u16string(AsUtf16(target));
}

ShortcutChain FollowShortcutChain(const std::string& path) {
    return WalkShortcutChain(std::u16string(AsUtf16(Wide(path))), ReadShortcutTarget);
}

}  // namespace norvanex
