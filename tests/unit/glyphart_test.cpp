// The glyph side at each scale and the resize of straight-alpha art: sizes, edges on the drawing's
// grid, transparent neighbours and the disabled twin beside a glyph.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "base/GlyphArt.h"

namespace norvanex {
namespace {

constexpr std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

TEST(GlyphArt, SideByDpi) {
    const struct {
        int dpi, side;
    } cases[] = {{96, 16}, {120, 16}, {143, 16}, {144, 24}, {168, 28}, {192, 32}, {288, 48}};
    for (const auto& c : cases) EXPECT_EQ(GlyphSide(c.dpi), c.side) << c.dpi << " DPI";
}

// A pixel of a row of pictures: (picture, x, y).
using Paint = std::function<std::uint32_t(int, int, int)>;

TEST(GlyphArt, Resize) {
    const std::uint32_t red = Argb(255, 255, 0, 0), green = Argb(255, 0, 160, 60);
    const Paint pattern = [](int p, int x, int y) {
        return Argb(1 + (x * 7 + y * 3 + p) % 255, x * 8, y * 8, 200 - x - y);
    };
    const struct {
        const char* name;
        int count, from, to;
        Paint source, expected;
    } cases[] = {
        {"the 32-pixel art at 192 DPI is itself", 2, 32, 32, pattern, pattern},
        // Transparent pixels weigh nothing: the red keeps its colour and the coverage gives the alpha.
        {"half covered, no dark fringe", 1, 32, 16,
         [&](int, int x, int y) { return (x + y) % 2 ? red : 0u; },
         [&](int, int, int) { return Argb(128, 255, 0, 0); }},
        // The drawing's edges lie on whole pixels of the 16 grid; at 24 px an edge on every second
        // of them falls on a pixel boundary and stays sharp.
        {"an edge on the grid stays sharp at 144 DPI", 1, 32, 24,
         [&](int, int x, int) { return x < 16 ? green : 0u; },
         [&](int, int x, int) { return x < 12 ? green : 0u; }},
        {"an edge between grid pixels shares one column", 1, 32, 24,
         [&](int, int x, int) { return x < 18 ? green : 0u; },
         [&](int, int x, int) { return x < 13 ? green : x == 13 ? Argb(128, 0, 160, 60) : 0u; }},
        {"the disabled twin keeps its own colour", 2, 32, 28,
         [&](int p, int, int) { return p == 0 ? green : Argb(100, 128, 128, 128); },
         [&](int p, int, int) { return p == 0 ? green : Argb(100, 128, 128, 128); }},
        {"enlarged beyond 32 at 240 DPI", 2, 32, 40,
         [&](int p, int, int) { return p == 0 ? red : 0u; },
         [&](int p, int, int) { return p == 0 ? red : 0u; }},
    };
    for (const auto& c : cases) {
        std::vector<std::uint32_t> source(static_cast<std::size_t>(c.count) * c.from * c.from);
        for (int y = 0; y < c.from; ++y) {
            for (int p = 0; p < c.count; ++p) {
                for (int x = 0; x < c.from; ++x) source[(y * c.count + p) * c.from + x] = c.source(p, x, y);
            }
        }
        const std::vector<std::uint32_t> out = ResizePictures(source.data(), c.count, c.from, c.to);
        ASSERT_EQ(out.size(), static_cast<std::size_t>(c.count) * c.to * c.to) << c.name;
        int wrong = 0;
        for (int y = 0; y < c.to; ++y) {
            for (int p = 0; p < c.count; ++p) {
                for (int x = 0; x < c.to; ++x) {
                    const std::uint32_t got = out[(y * c.count + p) * c.to + x];
                    if (got != c.expected(p, x, y) && wrong++ < 3) {
                        ADD_FAILURE() << c.name << ": picture " << p << " at " << x << "," << y << " is " << std::hex
                                      << got << ", not " << c.expected(p, x, y);
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace norvanex
