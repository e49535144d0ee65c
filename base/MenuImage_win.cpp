// Menu items with a picture beside their caption, in the form this Windows takes (MenuItemFormHere).
#include "base/MenuImage_win.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/AnsiText_win.h"
#include "base/AppInfo.h"
#include "base/ButtonGlyph_win.h"
#include "base/SystemTraits_win.h"

namespace norvanex {

namespace {

// The menus alive, for the owner window's messages about the items the program draws.
std::vector<const ImageMenu*>& LiveMenus() {
    static std::vector<const ImageMenu*> menus;
    return menus;
}

// Between the picture, the edges and the caption, in design pixels.
constexpr int kGap = 3;

int Gap() { return ScaleToDpi(kGap, ScreenDpi()); }

// The menus' own font. The structure as Windows 95 and NT 4.0 know it: they refuse the later size.
GdiObject<HFONT> MenuFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return {};
    return GdiObject<HFONT>(CreateFontIndirectA(&metrics.lfMenuFont));
}

// Windows Vista on blends a menu picture by its premultiplied alpha.
void Premultiply(const DIBSECTION& dib) {
    for (int row = 0; row < dib.dsBm.bmHeight; ++row) {
        auto* pixel = static_cast<std::uint8_t*>(dib.dsBm.bmBits) + row * dib.dsBm.bmWidthBytes;
        for (int x = 0; x < dib.dsBm.bmWidth; ++x, pixel += 4) {
            for (int channel = 0; channel < 3; ++channel) pixel[channel] = static_cast<std::uint8_t>(pixel[channel] * pixel[3] / 255);
        }
    }
}

void BlitPicture(HDC dc, HBITMAP picture, int x, int y, int width, int height) {
    const MemoryDC memory(CreateCompatibleDC(dc));
    const ScopedSelectObject selected(memory.get(), picture);
    BitBlt(dc, x, y, width, height, memory.get(), 0, 0, SRCCOPY);
}

// One item with a caption and, when given, a picture (MIIM_STRING and MIIM_BITMAP: Windows 98 and
// 2000 on), through the ANSI functions on the 9x line.
template <class Info, class Char>
bool InsertStringItem(BOOL(WINAPI* insert)(HMENU, UINT, BOOL, const Info*), HMENU menu, UINT position, UINT id,
                      Char* text, HBITMAP picture) {
    Info item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | (picture ? MIIM_BITMAP : 0);
    item.fType = MFT_STRING;
    item.wID = id;
    item.dwTypeData = text;
    item.hbmpItem = picture;
    return insert(menu, position, TRUE, &item) != FALSE;
}

}  // namespace

ImageMenu::~ImageMenu() { Clear(); }

void ImageMenu::Clear() {
    auto& menus = LiveMenus();
    menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
    menu_.reset();  // before the items: it holds their pictures
    items_.clear();
    ground_ = CLR_INVALID;
    dpi_ = 0;
}

bool ImageMenu::Append(HINSTANCE instance, UINT id, const std::wstring& caption, int bitmapId, int dpi) {
    if (!menu_) {
        menu_.reset(CreatePopupMenu());
        if (!menu_) return false;
        LiveMenus().push_back(this);
        dpi_ = dpi;
    }
    auto item = std::make_unique<Item>();
    item->id = id;
    item->caption = caption;
    item->source = LoadGlyphArt(instance, bitmapId, 1, dpi_, item->dib);
    const UINT position = static_cast<UINT>(items_.size());
    bool added = false;
    switch (MenuItemFormHere()) {
        case MenuItemForm::TypeOnly: {
            // Windows 95 and NT 4.0 take no picture and no MIIM_STRING: the item is owner-drawn, its
            // data the item itself, and the owner window hands its messages to OwnerMessage. The
            // structure ends before hbmpItem there.
            MENUITEMINFOA info{};
            info.cbSize = offsetof(MENUITEMINFOA, hbmpItem);
            info.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
            info.fType = MFT_OWNERDRAW;
            info.wID = id;
            item->accessible.dwMSAASignature = static_cast<DWORD>(MSAA_MENU_SIG);
            item->accessible.cchWText = static_cast<DWORD>(item->caption.size());
            item->accessible.pszWText = item->caption.data();
            info.dwItemData = reinterpret_cast<ULONG_PTR>(&item->accessible);
            info.dwTypeData = reinterpret_cast<LPSTR>(&item->accessible);
            added = InsertMenuItemA(menu_.get(), position, TRUE, &info) != FALSE;
            break;
        }
        case MenuItemForm::String:
            // The picture follows, laid over the menu colour (Handle): these systems draw it as it
            // is, and the transparent pixels of a 32-bit picture would show black.
            ground_ = CLR_INVALID;
            [[fallthrough]];
        case MenuItemForm::StringAndImage: {
            HBITMAP picture = nullptr;
            if (MenuItemFormHere() == MenuItemForm::StringAndImage && item->source) {
                Premultiply(item->dib);
                picture = item->source.get();
            }
            if (AnsiTexts()) {
                std::string ansi = ShownAnsi(caption);
                added = InsertStringItem(InsertMenuItemA, menu_.get(), position, id, ansi.data(), picture);
            } else {
                std::wstring text = caption;
                added = InsertStringItem(InsertMenuItemW, menu_.get(), position, id, text.data(), picture);
            }
            break;
        }
    }
    if (added) items_.push_back(std::move(item));
    return added;
}

HMENU ImageMenu::Handle() {
    if (!menu_ || MenuItemFormHere() != MenuItemForm::String || GetSysColor(COLOR_MENU) == ground_) return menu_.get();
    ground_ = GetSysColor(COLOR_MENU);
    for (const std::unique_ptr<Item>& item : items_) {
        if (!item->source) continue;
        GdiObject<HBITMAP> shown = OverGround(item->dib, 0, item->dib.dsBm.bmWidth, ground_);
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = shown.get();
        // The one given before is deleted only once the item holds the new one.
        if (SetMenuItemInfoA(menu_.get(), item->id, FALSE, &info)) item->shown = std::move(shown);
    }
    return menu_.get();
}

const ImageMenu::Item* ImageMenu::DrawnItem(ULONG_PTR data) {
    for (const ImageMenu* menu : LiveMenus()) {
        for (const std::unique_ptr<Item>& item : menu->items_) {
            if (reinterpret_cast<ULONG_PTR>(&item->accessible) == data) return item.get();
        }
    }
    return nullptr;
}

void ImageMenu::Measure(const Item& item, MEASUREITEMSTRUCT& measure) {
    const GdiObject<HFONT> font = MenuFont();
    const ScopedGetDC screen(nullptr);
    const ScopedSelectObject selected(screen.get(), font.get());
    RECT text{};
    DrawWideText(screen.get(), item.caption, text, DT_CALCRECT | DT_SINGLELINE);
    const int gap = Gap();
    measure.itemWidth = static_cast<UINT>(4 * gap + item.dib.dsBm.bmWidth + text.right);
    measure.itemHeight = static_cast<UINT>(std::max<int>(text.bottom, item.dib.dsBm.bmHeight) + 2 * gap);
}

// As the system draws a menu item: the highlight colour while selected, grey while disabled.
void ImageMenu::Draw(const Item& item, const DRAWITEMSTRUCT& draw) {
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const int ground = selected ? COLOR_HIGHLIGHT : COLOR_MENU;
    RECT r = draw.rcItem;
    FillRect(draw.hDC, &r, GetSysColorBrush(ground));
    const int gap = Gap();
    const int width = item.dib.dsBm.bmWidth, height = item.dib.dsBm.bmHeight;
    if (item.source) {
        const GdiObject<HBITMAP> picture = OverGround(item.dib, 0, width, GetSysColor(ground));
        if (picture) BlitPicture(draw.hDC, picture.get(), r.left + gap, r.top + (r.bottom - r.top - height) / 2, width, height);
    }
    const GdiObject<HFONT> font = MenuFont();
    const ScopedSelectObject selectedFont(draw.hDC, font.get());
    SetBkMode(draw.hDC, TRANSPARENT);
    const bool grey = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    SetTextColor(draw.hDC, GetSysColor(grey ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    RECT text = r;
    text.left += 3 * gap + width;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    if (draw.itemState & ODS_NOACCEL) format |= DT_HIDEPREFIX;
    DrawWideText(draw.hDC, item.caption, text, format);
}

// An owner-drawn item has no text for the menu to find its key in: the item whose caption marks
// `key` is chosen here. The keys are letters a to z; the case does not matter.
LRESULT ImageMenu::MenuChar(wchar_t key) const {
    auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const std::wstring& caption = items_[i]->caption;
        for (std::size_t at = caption.find(L'&'); at != std::wstring::npos && at + 1 < caption.size();
             at = caption.find(L'&', at + 2)) {
            if (caption[at + 1] == L'&') continue;
            if (upper(caption[at + 1]) == upper(key)) return MAKELRESULT(i, MNC_EXECUTE);
            break;
        }
    }
    return MAKELRESULT(0, MNC_IGNORE);
}

bool ImageMenu::OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_MEASUREITEM: {
            auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            const Item* item = measure.CtlType == ODT_MENU ? DrawnItem(measure.itemData) : nullptr;
            if (!item) return false;
            Measure(*item, measure);
            result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            const Item* item = draw.CtlType == ODT_MENU ? DrawnItem(draw.itemData) : nullptr;
            if (!item) return false;
            Draw(*item, draw);
            result = TRUE;
            return true;
        }
        case WM_MENUCHAR:
            for (const ImageMenu* menu : LiveMenus()) {
                if (menu->menu_.get() != reinterpret_cast<HMENU>(lParam) || MenuItemFormHere() != MenuItemForm::TypeOnly) {
                    continue;
                }
                result = menu->MenuChar(static_cast<wchar_t>(static_cast<unsigned char>(LOWORD(wParam))));
                return HIWORD(result) != MNC_IGNORE;
            }
            return false;
        default: return false;
    }
}

}  // namespace norvanex
