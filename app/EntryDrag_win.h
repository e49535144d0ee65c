// Dragging an entry of the editor's list onto the picture of the program to start: the main window
// holds the mouse until the button is let go, and only the picture takes the drop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

namespace norvanex {

class TMainForm;
class EditorLists;

class EntryDrag {
public:
    // `choose` takes the dropped entry's caption as the program to start.
    EntryDrag(TMainForm& form, const EditorLists& lists, std::function<void(const std::string&)> choose)
        : form_(form), lists_(lists), choose_(std::move(choose)) {}

    // The list's LVN_BEGINDRAG.
    void Begin();
    // The main window's mouse (client coordinates) and its loss of the capture.
    void Move(POINT client);
    void ButtonUp(POINT client);
    void CaptureChanged(HWND newOwner);
    // Escape, or Exit, while an entry is dragged ends the drag, not the program: true when one was.
    bool Cancel();
    // Whether a point of the main window lies on the picture or the frame around it: one target.
    bool OverTarget(POINT client) const;

private:
    void End(POINT client, bool drop);
    void Drop(HWND source);

    TMainForm& form_;
    const EditorLists& lists_;
    std::function<void(const std::string&)> choose_;
    HWND source_ = nullptr;  // the list view an entry is dragged from, while the button is held
};

}  // namespace norvanex
