// Shortcut files written and read through CLSID_ShellLink, IShellLinkA and IPersistFile.
#include "app/Shortcut_win.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "base/ComApartment_win.h"
#include "base/ComPtr_win.h"

namespace norvanex {

namespace {

// IPersistFile takes UTF-16 names; ours are in the ANSI code page.
std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

ComPtr<IShellLinkA> NewShellLink() {
    EnterComApartment();
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put()))) {
        link.reset();
    }
    return link;
}

// Reads one text field; the buffer is bigger than any field the shell keeps (INFOTIPSIZE).
template <class Get>
std::string Field(Get&& get) {
    std::vector<char> buffer(4096, '\0');
    if (FAILED(get(buffer.data(), static_cast<int>(buffer.size())))) return std::string();
    buffer.back() = '\0';
    return std::string(buffer.data());
}

}  // namespace

bool CreateShortcut(const std::string& target, const std::string& arguments, const std::string& fileName,
                    const std::string& iconPath, const std::string& description) {
    ComPtr<IShellLinkA> link = NewShellLink();
    if (!link) return false;
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetDescription(description.c_str());
    link->SetIconLocation(iconPath.c_str(), 0);
    ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file) return false;
    file->Save(Wide(fileName).c_str(), TRUE);
    return true;
}

std::optional<ShortcutFields> ReadShortcut(const std::string& fileName) {
    ComPtr<IShellLinkA> link = NewShellLink();
    if (!link) return std::nullopt;
    ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file || FAILED(file->Load(Wide(fileName).c_str(), STGM_READ))) return std::nullopt;
    ShortcutFields fields;
    // The raw path: the target as written, not resolved to wherever a file of that name went.
    fields.target = Field([&](char* text, int size) { return link->GetPath(text, size, nullptr, SLGP_RAWPATH); });
    fields.arguments = Field([&](char* text, int size) { return link->GetArguments(text, size); });
    fields.description = Field([&](char* text, int size) { return link->GetDescription(text, size); });
    fields.iconPath = Field([&](char* text, int size) { return link->GetIconLocation(text, size, &fields.iconNumber); });
    return fields;
}

}  // namespace norvanex
