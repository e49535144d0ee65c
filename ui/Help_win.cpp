// The help key: WinHelp where the system has a viewer, the HTML help in the browser elsewhere.
#include "ui/Help_win.h"

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/AnsiText_win.h"
#include "base/AppInfo_win.h"
#include "base/ComApartment_win.h"
#include "base/SystemFacts_win.h"
#include "ui/Help.h"
#include "ui/MsgBox_win.h"

namespace norvanex {

namespace {

// The FileDescription of a file's version resource, in the first language it lists; empty
// without one.
std::string FileDescription(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::string();
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return std::string();
    struct Translation { WORD language, codePage; }* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length) ||
        translations == nullptr || length < sizeof(Translation)) {
        return std::string();
    }
    char key[64];
    wsprintfA(key, "\\StringFileInfo\\%04x%04x\\FileDescription", translations[0].language,
              translations[0].codePage);
    char* text = nullptr;
    if (!VerQueryValueA(block.data(), key, reinterpret_cast<void**>(&text), &length) || text == nullptr) {
        return std::string();
    }
    return std::string(text, strnlen(text, length));  // the length may count the terminator
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What the viewer decision looks at: <Windows folder>\winhlp32.exe, its description, the help
// file and the topic's HTML page beside it.
HelpViewerFacts ViewerFacts(const std::string& helpFile, const std::string& htmlPage) {
    HelpViewerFacts facts;
    const std::string& windows = ThisSystem().windowsFolder;
    if (!windows.empty()) {
        std::string viewer = windows;
        if (viewer.back() != '\\') viewer += '\\';
        viewer += "winhlp32.exe";
        facts.viewerExists = IsFile(viewer);
        if (facts.viewerExists) facts.viewerDescription = FileDescription(viewer);
    }
    facts.htmlPageExists = IsFile(htmlPage);
    facts.helpFileExists = IsFile(helpFile);
    return facts;
}

// The shell turns a file: URL back into a path and loses the #topic on the way (Wine then looks
// for a file named "page.html#topic" and finds none), so the program that opens the page, the
// default browser, gets the URL itself. Without one the page opens plainly, at its top.
void OpenPageAtTopic(const std::string& page, const char* topic) {
    EnterComApartment();  // the association may be a shell extension, which needs COM
    char browser[MAX_PATH + 1] = {};
    if (reinterpret_cast<INT_PTR>(FindExecutableA(page.c_str(), nullptr, browser)) > 32 &&
        TakesPageUrl(browser, SystemLeadByte)) {
        const std::string url = '"' + FileUrl(page, topic, SystemLeadByte) + '"';
        if (reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", browser, url.c_str(), "", SW_SHOW)) > 32) return;
    }
    ShellExecuteA(nullptr, "open", page.c_str(), "", "", SW_SHOW);
}

constexpr TextPair kHelpTooDeep{
    "The help cannot be opened: Norvanex lies in a folder whose path is too long for it.\rPlease move Norvanex "
    "to a folder with a shorter path.",
    "Die Hilfe kann nicht geöffnet werden: Norvanex liegt in einem Ordner, dessen Pfad dafür zu lang ist.\rBitte "
    "verschieben Sie Norvanex in einen Ordner mit kürzerem Pfad."};

constexpr TextPair kHelpMissing{
    "The help cannot be opened: neither Norvanex.hlp nor Norvanex.html lies beside Norvanex.exe.\rPlease "
    "unpack them from the Norvanex zip file into the same folder again.",
    "Die Hilfe kann nicht geöffnet werden: Weder Norvanex.hlp noch Norvanex_de.html liegt neben "
    "Norvanex.exe.\rBitte entpacken Sie sie erneut aus der Zip-Datei von Norvanex in denselben Ordner."};

}  // namespace

void ShowHelpIndex(HWND owner) {
    const HelpTopic& topic = HelpIndexTopic(QueryUserCountryText);
    const std::string& helpFile = App().helpFile;
    // Neither the viewer nor the shell takes a path beyond MAX_PATH: the viewer would only say
    // that the file cannot be found.
    if (helpFile.size() > kMaxAnsiPath) {
        ShowMessage(owner, kHelpTooDeep, MessageKind::Error);
        return;
    }
    const std::string page = BesideHelpFile(helpFile, topic.htmlPage);
    switch (ChooseHelpViewer(ViewerFacts(helpFile, page))) {
        case HelpViewer::Browser:
            OpenPageAtTopic(page, topic.contextId);
            return;
        case HelpViewer::Missing:
            // The viewer would start on nothing and say only that a file cannot be found.
            ShowMessage(owner, kHelpMissing, MessageKind::Error);
            return;
        case HelpViewer::WinHelp:
            break;
    }
    // Wine's viewer runs no macros, so JumpID through HELP_COMMAND would open nothing there; the
    // topic's map number opens it in every viewer.
    const HelpRequest request = HelpRequestFor(topic.contextId, SystemLeadByte);
    if (request.kind == HelpRequest::Kind::Context) {
        WinHelpA(owner, helpFile.c_str(), HELP_CONTEXT, request.mapNumber);
    } else {
        WinHelpA(owner, helpFile.c_str(), HELP_COMMAND, reinterpret_cast<ULONG_PTR>(request.macro.c_str()));
    }
}

bool PlainHelpKey() {
    return GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

bool HelpIsFor(HWND window, const HELPINFO& info) {
    if (!PlainHelpKey()) return false;
    if (info.iContextType == HELPINFO_MENUITEM) return true;
    HWND item = static_cast<HWND>(info.hItemHandle);
    return item == window || IsChild(window, item);
}

}  // namespace norvanex
