// Dragging an entry onto the picture of the program to start, with the mouse held by the main window.
#include "app/EntryDrag_win.h"

#include <utility>

namespace norvanex {

MouseCapture& MouseCapture::operator=(MouseCapture&& other) noexcept {
    if (this != &other) {
        reset();
        window_ = std::exchange(other.window_, nullptr);
    }
    return *this;
}

void MouseCapture::reset() {
    if (HWND window = std::exchange(window_, nullptr); window && GetCapture() == window) ReleaseCapture();
}

void EntryDrag::Begin() {
    capture_.emplace(window_);
    SetCursor(LoadCursorA(nullptr, IDC_NO));
}

void EntryDrag::Move(bool onTarget) const {
    if (capture_) SetCursor(LoadCursorA(nullptr, onTarget ? IDC_ARROW : IDC_NO));
}

std::optional<PartRequest> EntryDrag::ButtonUp(bool onTarget, int selected, const EditorLists& lists) {
    if (!capture_) return std::nullopt;
    End();
    if (!onTarget || selected < 0 || selected >= static_cast<int>(lists.Entries().size())) return std::nullopt;
    return PartRequest{ChooseProgram{lists.Entries()[selected].caption}};
}

void EntryDrag::CaptureChanged(HWND newOwner) {
    if (capture_ && newOwner != capture_->get()) End();
}

bool EntryDrag::Cancel() {
    if (!capture_) return false;
    End();
    return true;
}

void EntryDrag::End() { std::exchange(capture_, std::nullopt).reset(); }

}  // namespace norvanex
