// List views: row texts, the redraw lock.
#include "base/ListView_win.h"

#include <algorithm>
#include <vector>

namespace norvanex {

namespace {

// The windows whose drawing a lock holds back now (one thread: the program's windows run on one).
std::vector<HWND>& HeldWindows() {
    static std::vector<HWND> held;
    return held;
}

// A text longer than this is not a path any more.
constexpr int kLongestText = 1 << 16;

}  // namespace

std::string ListViewText(HWND list, int row, int column) {
    std::string text(MAX_PATH + 1, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const int length = static_cast<int>(SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        // A text that filled the buffer may have been cut: asked again with twice the room.
        if (length < item.cchTextMax - 1 || item.cchTextMax >= kLongestText) {
            text.resize(static_cast<std::size_t>(std::clamp(length, 0, item.cchTextMax - 1)));
            return text;
        }
        text.assign(text.size() * 2, '\0');
    }
}

RedrawLock::RedrawLock(HWND window)
    : window_(window),
      outermost_(std::find(HeldWindows().begin(), HeldWindows().end(), window) == HeldWindows().end()) {
    if (!outermost_) return;
    HeldWindows().push_back(window_);
    SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
}

RedrawLock::~RedrawLock() {
    if (!outermost_) return;
    auto& held = HeldWindows();
    held.erase(std::remove(held.begin(), held.end(), window_), held.end());
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
}

}  // namespace norvanex
