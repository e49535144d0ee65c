// The editor's files: what comes in (the open dialog, files and shortcuts dropped from the shell)
// and what goes out (Create's shortcut, through the save dialog).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/CallLine.h"
#include "app/Editor.h"
#include "base/FileDialog_win.h"

namespace norvanex {

struct TextPair;

// What the editor's lists ask of a file (EditorLists): a folder is no program, and the program's
// own file may stand under another name.
bool IsFolderPath(const std::string& path);
bool IsOwnFile(const std::string& path);

// A program to start that the kill run would not hand to the shell (a chain of shortcuts that
// loops or goes on too long) is refused with a word to `owner`: true then.
bool RefusesChain(HWND owner, const std::string& path);

// Messages go to the window the user works in: an open dialog or the chooser, else `window`.
HWND MessageOwnerOf(HWND window);

// Programs chosen in the task chooser or the open dialog, and files dropped from the shell, each
// taken only when the ANSI code page holds its name exactly; a dropped shortcut of this program is
// loaded back. What is taken goes to the editor as requests.
class EditorIntake {
public:
    // Carries a request out at once, while the dialog that made it is still open: its messages are
    // owned by that dialog and come in the order of the files, between the intake's own.
    using Apply = std::function<void(PartRequest request)>;

    explicit EditorIntake(Apply apply) : apply_(std::move(apply)) {}
    // The editor's window, once made: it owns the dialogs and the chooser.
    void Attach(HWND window) { window_ = window; }

    // The insert menu's items: programs to end. Choose: the program to start.
    void SelectTaskClick();
    void SelectFileClick();
    void BitBtn5Click();
    // WM_DROPFILES: a shortcut among the files is loaded; otherwise they are taken. `onImage`: the
    // drop came down on the picture of the program to start.
    void FormDropFiles(HDROP drop, bool onImage);
    // Ctrl+O: an open dialog for one shortcut, loaded as a dropped one is.
    void OpenShortcutExecute();

private:
    enum class OpenPurpose { AddToEnd, ChooseToStart };
    void ShowOpenDialog(OpenPurpose purpose, DWORD options, const TextPair& title);
    FileDialogRequest OpenRequest(const TextPair& filter, const TextPair& title);
    void OpenDialog1CanClose(OpenPurpose purpose, const FileDialogNames& names);
    bool TakeExactName(const std::u16string& file, std::string& ansi);
    bool TakeShortcutTarget(const std::u16string& shortcut, std::string& program);
    bool DropShortcut(bool onImage, const std::vector<std::u16string>& files);
    void LoadShortcutFile(const std::u16string& file);
    void LoadShortcut(const std::string& fileName);

    HWND window_ = nullptr;
    Apply apply_;
};

// Create: the call line checked, then the save dialog, which writes the shortcut.
class ShortcutSave {
public:
    // A request whose line the limit and the reader accept opens the save dialog; any other is
    // refused with a message and nothing else happens. `window` owns the dialog, `messageOwner`
    // the refusal.
    void Create(const CallRequest& request, HWND window, HWND messageOwner);

private:
    bool SaveDialog1CanClose(HWND dialog, const std::string& typedName);

    // The request and its line while the save dialog shows them.
    CallRequest request_;
    std::string callLine_;
};

// The guard of both file dialogs: false, with a message, when a path that the name box names,
// joined to the dialog's folder (with ".lnk" where the save dialog adds it), is longer than the
// A functions' paths.
bool TypedNamesFit(HWND frame, const std::u16string& folder, const std::u16string& typed, bool addsLinkEnding);

}  // namespace norvanex
