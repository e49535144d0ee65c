// Button glyph pairs laid out as the button's six state pictures and handed over in one add.
#include "base/ButtonGlyph_win.h"

#include <algorithm>
#include <cstdint>

namespace norvanex {

ImageList SetButtonGlyph(HWND button, int bitmapId, int margin) {
    // The button's image list takes one picture per state (normal, hot, pressed, disabled,
    // default, stylus hot); one strip added at once costs one round trip instead of six.
    constexpr int kSize = 16;
    constexpr int kStates[] = {0, 0, 0, 1, 0, 0};
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(button, GWLP_HINSTANCE));
    GdiObject<HBITMAP> pair(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    DIBSECTION source{};
    if (!pair.get() || GetObjectA(pair.get(), sizeof source, &source) != sizeof source ||
        source.dsBm.bmBitsPixel != 32 || source.dsBm.bmWidth != 2 * kSize || source.dsBm.bmHeight != kSize) {
        return ImageList();
    }
    BITMAPINFO strip{};
    strip.bmiHeader.biSize = sizeof strip.bmiHeader;
    strip.bmiHeader.biWidth = kSize * 6;
    strip.bmiHeader.biHeight = kSize;  // bottom-up, as the resource
    strip.bmiHeader.biPlanes = 1;
    strip.bmiHeader.biBitCount = 32;
    strip.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject<HBITMAP> states(CreateDIBSection(nullptr, &strip, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!states.get()) return ImageList();
    const auto* from = static_cast<const std::uint32_t*>(source.dsBm.bmBits);
    auto* to = static_cast<std::uint32_t*>(bits);
    for (int row = 0; row < kSize; ++row) {
        for (int state = 0; state < 6; ++state) {
            std::copy_n(from + row * 2 * kSize + kStates[state] * kSize, kSize, to + row * 6 * kSize + state * kSize);
        }
    }
    ImageList list(comctl::ImageListCreate(kSize, kSize, ILC_COLOR32, 6, 0));
    comctl::ImageListAdd(list.get(), states.get(), nullptr);
    BUTTON_IMAGELIST image{};
    image.himl = list.get();
    image.margin = {margin, 0, 0, 0};
    image.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image));
    return list;
}

}  // namespace norvanex
