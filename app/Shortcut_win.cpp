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

ComPtr<IShellLinkA> NewShellLink(HRESULT* status = nullptr) {
    EnterComApartment();
    ComPtr<IShellLinkA> link;
    const HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put());
    if (FAILED(result)) link.reset();
    if (status) *status = result;
    return link;
}

// The system's words for a status, in its language, with the number for what it has no words for.
std::string SystemMessage(HRESULT status) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(status), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ') message.pop_back();
    char number[16];
    wsprintfA(number, "0x%08lX", static_cast<unsigned long>(status));
    return message.empty() ? std::string(number) : message + " (" + number + ")";
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
    if (reason) *reason = SystemMessage(status);
    return false;
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
