// The system's file dialogs, Open and Save As, in their ANSI or their UTF-16 form: a hook that sees
// the user's choice before the dialog closes, and a guard on the names typed into its name box.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace norvanex {

// The dialog's whole buffer when it confirms its names: in the W form `wide`, in the A form `ansi`,
// the other one empty. An open dialog's folder and names each end with a null (OpenDialogFiles).
struct FileDialogNames {
    std::u16string_view wide;
    std::string_view ansi;
};

struct FileDialogRequest {
    HWND owner = nullptr;
    bool save = false;  // Save As, else Open
    // The W form, of the open dialog only: on the NT line the A form hands over names through best
    // fit ("māil.exe" as "mail.exe"). The 9x line has the A form only, and Save As is asked for in
    // the A form everywhere (names that the A functions write).
    bool wide = false;
    // Pairs of description and pattern, each ended by a null, the list by a second one; the texts
    // of the form that is shown.
    std::wstring filter, title;
    std::string ansiFilter, ansiTitle;
    DWORD flags = 0;  // OFN_EXPLORER and OFN_ENABLEHOOK come with the hook
    std::size_t bufferChars = MAX_PATH;
    // The buffer grows while the user selects, so that a selection never arrives cut short.
    bool grows = false;
    // The guard: called when OK is pressed, before the dialog takes the name box's text, with the
    // dialog's folder and that text in UTF-16; false keeps the dialog open and takes nothing.
    std::function<bool(HWND frame, const std::u16string& folder, const std::u16string& typed)> typedNamesFit;
    // When the dialog confirms its names (CDN_FILEOK); false keeps it open for another name.
    std::function<bool(HWND frame, const FileDialogNames& names)> canClose;
};

// Shows the dialog modally. No exception of the handlers crosses it; a handler that fails counts as
// one that accepts.
void ShowFileDialog(const FileDialogRequest& request);

}  // namespace norvanex
