// The properties sheet through the shell's "properties" verb.
#include "ui/Prop_win.h"

#include <shellapi.h>

#include "base/AppInfo_win.h"
#include "base/ComApartment_win.h"

namespace norvanex {

bool ShowFileProperties(HWND owner, const std::string& path, const std::string& page) {
    // The verb is carried out by a shell extension, which needs COM on the calling thread.
    EnterComApartment();
    // The parameters of the "properties" verb name the sheet's page to show first.
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = "properties";
    const std::string file = ShellPath(path);
    info.lpFile = file.c_str();
    info.lpParameters = page.c_str();
    info.nShow = SW_HIDE;
    return ShellExecuteExA(&info) != FALSE;
}

}  // namespace norvanex
