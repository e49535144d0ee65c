// The main window as the shortcut editor: the programs to end, the program to start, the question
// first, and Create, which writes them into a shortcut's call line.
#pragma once

#include "app/MainUnit_win.h"

#include <shellapi.h>

#include "app/CallLine.h"
#include "app/Editor.h"
#include "app/EditorFiles_win.h"
#include "app/EntryDrag_win.h"
#include "base/ListView_win.h"
#include "base/MenuImage_win.h"
#include "ui/Lang.h"

namespace norvanex {

// A text of the program (TextPair, MessageText) in the user's language.
template <class Pair>
std::string Select(const Pair& text) { return SelectText(text.english, text.german); }

class EditorMode : public MainMode {
public:
    explicit EditorMode(TMainForm& form);

    const ModeFace& Face() const override;
    void FormCreate() override;
    bool Command(const CommandMessage& command) override;
    bool Notify(NMHDR& header, LRESULT& result) override;
    bool Timer(UINT_PTR) override { return false; }
    bool Message(UINT message, WPARAM wParam, LPARAM lParam) override;
    HACCEL Accelerators() const override { return accelerators_.get(); }
    void Rescaled() override { ShowProgramToStart(); }

private:
    // What the editor's parts (EditorIntake, EntryDrag) ask of it.
    void Apply(PartRequest request);
    // Adds one program to end: refused with a message when it is this program or a folder,
    // ignored when listed. `whole`: written into the call as it stands (loaded from a shortcut).
    void AddProgramToList(const std::string& path, bool whole = false);
    // Makes `path` the program to start: its icon, its file-name part, Remove enabled. A chain of
    // shortcuts that the kill run would not open is refused with a message (RefusesChain).
    void ChooseProgramToStart(const std::string& path);
    // Replaces the editor's state with a loaded shortcut's, unless its program to start is refused.
    void Load(const CallRequest& request);
    // Several changes of the list as one: it is drawn again when the outermost lock ends, also when
    // a change throws (the language choice's silent abort).
    RedrawLock ListUpdate() const { return RedrawLock(form_.Control(kListView1)); }
    // Whether a point of the main window lies on the picture or the frame around it: one target.
    bool OverProgImg(POINT client) const;
    // Messages go to the window the user works in: an open dialog or the chooser, else the editor.
    HWND MessageOwner() const { return MessageOwnerOf(form_.hwnd()); }

    // The editor's lists and buttons (Editor_win.cpp).
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn4Click();
    HMENU PopupMenu2();
    bool AskFirst() const;
    bool CloseFirst() const;
    CallRequest EditorRequest() const;
    void ListView1SelectItem();
    void BitBtn3Click();
    void EntfExecute();
    void BitBtn6Click();
    void ShowEntries();
    void ShowEditorState();
    void ShowProgramToStart();
    void EnableKeepingFocus(MainControl id, bool enabled, MainControl focusInstead);

    static const CommandEntry<EditorMode> kCommands[];
    static const NotifyEntry<EditorMode> kNotifications[];

    struct AcceleratorDeleter {
        void operator()(HACCEL table) const { DestroyAcceleratorTable(table); }
    };
    TMainForm& form_;
    EditorLists editor_;
    EntryDrag drag_;
    EditorIntake intake_;
    ShortcutSave save_;
    ImageMenu popupMenu2_;  // made at its first opening (PopupMenu2)
    Owned<HACCEL, AcceleratorDeleter> accelerators_;
    int closeSeconds_ = 0;  // the close marker's wait as the last loaded shortcut wrote it (0: "~close~")
};

}  // namespace norvanex
