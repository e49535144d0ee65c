// Dragging an entry of the editor's list onto the picture of the program to start: the main window
// holds the mouse until the button is let go, and only the picture takes the drop.
#pragma once

#include <windows.h>

#include <optional>

#include "app/Editor.h"

namespace norvanex {

// Holds the mouse for a window while it lives (SetCapture), and lets it go (ReleaseCapture) unless
// another window took it meanwhile. Movable, never copyable: a copy would let go twice.
class MouseCapture {
public:
    explicit MouseCapture(HWND window) : window_(window) { SetCapture(window); }
    MouseCapture(MouseCapture&& other) noexcept : window_(other.window_) { other.window_ = nullptr; }
    MouseCapture& operator=(MouseCapture&& other) noexcept;
    MouseCapture(const MouseCapture&) = delete;
    MouseCapture& operator=(const MouseCapture&) = delete;
    ~MouseCapture() { reset(); }

    HWND get() const { return window_; }
    // Lets the mouse go now. ReleaseCapture sends WM_CAPTURECHANGED before it returns.
    void reset();

private:
    HWND window_;
};

// The drag of the entry selected in ListView1 (its only source: the list's LVN_BEGINDRAG). The
// editor tells it where the mouse is and whether that is the picture; a drop there asks the editor
// to make the entry the program to start.
class EntryDrag {
public:
    // The main window, once made: it holds the mouse while an entry is dragged.
    void Attach(HWND window) { window_ = window; }
    // The list's LVN_BEGINDRAG.
    void Begin();
    // The main window's mouse, over the picture (`onTarget`) or elsewhere.
    void Move(bool onTarget) const;
    // The button let go: over the picture, the entry at `selected` of `lists` is asked for as the
    // program to start; nothing when no entry was dragged or none is selected.
    std::optional<PartRequest> ButtonUp(bool onTarget, int selected, const EditorLists& lists);
    // The main window lost the mouse to `newOwner`: the drag ends without a drop.
    void CaptureChanged(HWND newOwner);
    // Escape, or Exit, while an entry is dragged ends the drag, not the program: true when one was.
    bool Cancel();

private:
    // Lets the mouse go; the capture is taken out first, so that the WM_CAPTURECHANGED that
    // ReleaseCapture sends finds no drag.
    void End();

    HWND window_ = nullptr;
    std::optional<MouseCapture> capture_;  // while the button is held
};

}  // namespace norvanex
