// A pop-up menu whose items show a picture (16 pixels, more from 144 DPI on) beside their caption on every Windows: blended
// by the menu from Windows Vista on, laid over the menu colour where menus draw 32-bit pictures
// without their alpha, and drawn by the program where menu items take no picture at all.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <oleacc.h>

#include "base/Window_win.h"

namespace norvanex {

class ImageMenu {
public:
    ImageMenu() = default;
    ~ImageMenu();
    ImageMenu(const ImageMenu&) = delete;
    ImageMenu& operator=(const ImageMenu&) = delete;

    // Appends an item with command `id`, `caption` (an accelerator ampersand marks its key) and
    // the straight-alpha picture `bitmapId` of `instance`'s resources as `dpi` takes it
    // (LoadGlyphArt; none where it is missing). The menu is made at the first item, for the DPI
    // given there. False when the item could not be added.
    bool Append(HINSTANCE instance, UINT id, const std::wstring& caption, int bitmapId, int dpi);

    // The DPI the pictures were made for, 0 before the first item.
    int Dpi() const { return dpi_; }

    // Destroys the menu and its items; the next Append makes a new one. Never while it is open.
    void Clear();

    // The menu, null before the first item. Its pictures laid over the menu colour follow a change
    // of that colour since the last call.
    HMENU Handle();

    // The owner window's WM_MEASUREITEM, WM_DRAWITEM and WM_MENUCHAR for the items of a menu of this
    // kind that the program draws itself; false for every other message or item.
    static bool OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    struct Item {
        // First, and the item data: a screen reader finds an owner-drawn item's text here
        // (dwMSAASignature MSAA_MENU_SIG, the caption in UTF-16).
        MSAAMENUINFO accessible{};
        UINT id;
        std::wstring caption;
        GdiObject<HBITMAP> source;  // the resource, straight alpha
        DIBSECTION dib{};
        GdiObject<HBITMAP> shown;   // what the menu item was given, if a picture
    };
    struct MenuDeleter {
        void operator()(HMENU menu) const { DestroyMenu(menu); }
    };

    static const Item* DrawnItem(ULONG_PTR data);
    static void Measure(const Item& item, MEASUREITEMSTRUCT& measure);
    static void Draw(const Item& item, const DRAWITEMSTRUCT& draw);
    LRESULT MenuChar(wchar_t key) const;

    Owned<HMENU, MenuDeleter> menu_;
    std::vector<std::unique_ptr<Item>> items_;  // one per item, in menu order; their `accessible` is item data
    COLORREF ground_ = CLR_INVALID;             // the menu colour the pictures lie over
    int dpi_ = 0;
};

}  // namespace norvanex
