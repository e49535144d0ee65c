// The main window as the shortcut editor: the programs to end, the program to start, the question
// first, and Create, which writes them into a shortcut's call line.
#pragma once

#include "app/MainUnit.h"

#include <shellapi.h>

#include "app/CallLine.h"
#include "app/Editor.h"
#include "base/MenuImage_win.h"
#include "ui/Lang.h"

namespace norvanex {

// A text of the program (TextPair, MessageText) in the user's language.
template <class Pair>
std::string Select(const Pair& text) { return SelectText(text.english, text.german); }

class EditorMode : public MainMode {
public:
    explicit EditorMode(TMainForm& form) : form_(form) {}

    const ModeFace& Face() const override;
    void FormCreate() override;
    bool Command(int id, bool usable) override;
    bool Notify(NMHDR& header, LRESULT& result) override;
    bool Timer(UINT_PTR) override { return false; }
    bool Message(UINT message, WPARAM wParam, LPARAM lParam) override;
    HACCEL Accelerators() const override { return accelerators_.get(); }

private:
    // The editor's lists and buttons (Editor_win.cpp).
    void BitBtn1Click();
    void BitBtn2Click();
    HMENU PopupMenu2();
    void SelectTaskClick();
    // Adds one program to end: refused with a message when it is this program or a folder,
    // ignored when listed. `whole`: written into the call as it stands (loaded from a shortcut).
    void AddProgramToList(const std::string& path, bool whole = false);
    // Makes `path` the program to start: its icon, its file-name part, Remove enabled.
    void ChooseProgramToStart(const std::string& path);
    bool AskFirst() const;
    void ListView1Click();
    void BitBtn3Click();
    void EntfExecute();
    void BitBtn6Click();
    void ListView1BeginDrag();
    void DragMove(POINT client);
    void DragEnd(POINT client, bool drop);
    bool CancelDrag();
    void ProgImgDragOver(HWND source, bool& accept);
    void ProgImgDragDrop(HWND source);
    void FormDropFiles(HDROP drop);
    bool OverProgImg(POINT client) const;
    void BeginListUpdate();
    void EndListUpdate();
    void ShowEditorState();
    void ShowProgramToStart();
    void EnableKeepingFocus(MainControl id, bool enabled, MainControl focusInstead);
    HWND MessageOwner() const;

    // The open dialog with its two purposes, and files taken from it or from the shell
    // (EditorOpen_win.cpp).
    enum class OpenPurpose { AddToEnd, ChooseToStart };
    void SelectFileClick();
    void BitBtn5Click();
    void ShowOpenDialog(OpenPurpose purpose, DWORD options, const TextPair& title);
    template <class Request, class Text, class Buffer>
    void RunOpenDialog(const Text& filter, const Text& caption, DWORD options, Buffer& buffer);
    template <class Request>
    static UINT_PTR CALLBACK OpenDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    template <class Request>
    void GrowOpenBuffer(HWND dialog, Request& request);
    // The file dialogs' name box: what it holds is checked when OK is pressed, before the dialog
    // takes it. The dialog's kind: its character set, and whether ".lnk" is added.
    enum class NameBox { Wide, Ansi, AnsiAddsLinkEnding };
    static void GuardNameBox(HWND frame, EditorMode* self, NameBox kind);
    static LRESULT CALLBACK FileDialogFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
    bool TypedNamesFit(HWND frame, NameBox kind);
    void OpenDialog1CanClose(std::u16string_view buffer);
    bool TakeExactName(const std::u16string& file, std::string& ansi);
    std::vector<std::u16string> DroppedFiles(HDROP drop) const;

    // Create and the shortcut file (EditorCreate_win.cpp).
    void CreateFromEditor();
    CallRequest EditorRequest() const;
    void ShowSaveDialog1();
    static UINT_PTR CALLBACK SaveDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    bool SaveDialog1CanClose(HWND dialog, const std::string& fileName);
    bool DropShortcut(HDROP drop);
    void LoadShortcut(const std::string& fileName);

    static const CommandEntry<EditorMode> kCommands[];
    static const NotifyEntry<EditorMode> kNotifications[];

    struct AcceleratorDeleter {
        void operator()(HACCEL table) const { DestroyAcceleratorTable(table); }
    };
    TMainForm& form_;
    EditorLists editor_;
    ImageMenu popupMenu2_;  // made at its first opening (PopupMenu2)
    Owned<HACCEL, AcceleratorDeleter> accelerators_;
    OpenPurpose openPurpose_ = OpenPurpose::AddToEnd;
    std::vector<wchar_t> openBuffer_;
    std::vector<char> openBufferAnsi_;  // the open dialog's on the 9x line
    HWND dragSource_ = nullptr;  // the list view an entry is dragged from, while the button is held
    int listUpdates_ = 0;        // nested batch updates of ListView1; redrawn when the last one ends
    std::string pendingCallLine_;  // composed by the last accepted Create, written by the save dialog
    std::vector<char> saveBuffer_;
};

}  // namespace norvanex
