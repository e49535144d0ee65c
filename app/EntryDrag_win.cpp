// Dragging an entry onto the picture of the program to start, with the mouse held by the main window.
#include "app/EntryDrag_win.h"

#include <commctrl.h>

#include <utility>

#include "app/Editor.h"
#include "app/MainUnit_win.h"
#include "base/ListView_win.h"

namespace norvanex {

namespace {

bool IsListView(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, WC_LISTVIEWA) == 0;
}

// Only an entry of a list view is taken.
bool Accepts(HWND source) { return source != nullptr && IsListView(source); }

}  // namespace

void EntryDrag::Begin() {
    source_ = form_.Control(kListView1);
    SetCapture(form_.hwnd());
    SetCursor(LoadCursorA(nullptr, IDC_NO));
}

void EntryDrag::Move(POINT client) {
    if (source_ == nullptr) return;
    const bool accept = OverTarget(client) && Accepts(source_);
    SetCursor(LoadCursorA(nullptr, accept ? IDC_ARROW : IDC_NO));
}

void EntryDrag::ButtonUp(POINT client) {
    if (source_) End(client, true);
}

void EntryDrag::CaptureChanged(HWND newOwner) {
    if (source_ && newOwner != form_.hwnd()) End(POINT{-1, -1}, false);
}

bool EntryDrag::Cancel() {
    if (source_ == nullptr) return false;
    End(POINT{-1, -1}, false);
    return true;
}

bool EntryDrag::OverTarget(POINT client) const {
    const RECT frame = form_.BevelRect(kBevel3);
    return PtInRect(&frame, client) != FALSE;
}

void EntryDrag::End(POINT client, bool drop) {
    HWND source = std::exchange(source_, nullptr);
    if (GetCapture() == form_.hwnd()) ReleaseCapture();
    if (drop && OverTarget(client) && Accepts(source)) Drop(source);
}

void EntryDrag::Drop(HWND source) {
    const int selected = ListView_GetNextItem(source, -1, LVNI_SELECTED);
    if (selected < 0) return;
    if (source == form_.Control(kListView1)) {
        if (selected < static_cast<int>(lists_.Entries().size())) choose_(lists_.Entries()[selected].caption);
        return;
    }
    choose_(ListViewText(source, selected));
}

}  // namespace norvanex
