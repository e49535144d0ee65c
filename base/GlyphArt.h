// Which drawing a glyph or menu picture takes at a display scale, and its pictures resized to that
// side by area averaging.
#pragma once

#include <cstdint>
#include <vector>

namespace norvanex {

// From this DPI on the 32-pixel art is taken; below it the 16-pixel art, as drawn.
constexpr int kLargeArtDpi = 144;

// The side of a glyph or menu picture at `dpi`: 16 pixels below kLargeArtDpi, 16 design pixels
// scaled from there on.
int GlyphSide(int dpi);

// A row of `count` square pictures, `from` pixels each, as 32-bit BGRA with straight alpha (rows
// of count * from pixels, in either order), resized to `to` pixels each in the same layout. Each
// target pixel is the area average of the source pixels it covers, weighted by their alpha, so a
// transparent neighbour never darkens an edge; each picture on its own, so the disabled twin
// beside a glyph never bleeds into it. Empty for a size below 1.
std::vector<std::uint32_t> ResizePictures(const std::uint32_t* pixels, int count, int from, int to);

}  // namespace norvanex
