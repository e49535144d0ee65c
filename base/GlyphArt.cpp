// Glyph sides by DPI and the area-averaging resize of straight-alpha pictures.
#include "base/GlyphArt.h"

#include <algorithm>

#include "base/AppInfo.h"

namespace norvanex {

namespace {

// How much of source pixel `s` lies under target pixel `t` along one axis, in whole numbers:
// measured in 1 / to of a source pixel, target t spans [t * from, (t + 1) * from] and source s
// spans [s * to, (s + 1) * to]; the weights of one target sum to `from`.
std::int64_t Overlap(int t, int s, int from, int to) {
    const std::int64_t low = std::max<std::int64_t>(std::int64_t{t} * from, std::int64_t{s} * to);
    const std::int64_t high = std::min<std::int64_t>(std::int64_t{t + 1} * from, std::int64_t{s + 1} * to);
    return std::max<std::int64_t>(high - low, 0);
}

}  // namespace

int GlyphSide(int dpi) { return dpi < kLargeArtDpi ? 16 : ScaleToDpi(16, dpi); }

std::vector<std::uint32_t> ResizePictures(const std::uint32_t* pixels, int count, int from, int to) {
    if (count < 1 || from < 1 || to < 1) return {};
    std::vector<std::uint32_t> out(static_cast<std::size_t>(count) * to * to);
    const std::size_t fromStride = static_cast<std::size_t>(count) * from;
    const std::size_t toStride = static_cast<std::size_t>(count) * to;
    const std::int64_t area = std::int64_t{from} * from;
    for (int picture = 0; picture < count; ++picture) {
        for (int ty = 0; ty < to; ++ty) {
            // The source rows and columns a target pixel touches: from t * from / to up to the
            // first one that starts at or after its end.
            const int sy0 = static_cast<int>(std::int64_t{ty} * from / to);
            const int sy1 = std::min(from, static_cast<int>((std::int64_t{ty + 1} * from + to - 1) / to));
            for (int tx = 0; tx < to; ++tx) {
                const int sx0 = static_cast<int>(std::int64_t{tx} * from / to);
                const int sx1 = std::min(from, static_cast<int>((std::int64_t{tx + 1} * from + to - 1) / to));
                std::int64_t alpha = 0, colour[3] = {0, 0, 0};
                for (int sy = sy0; sy < sy1; ++sy) {
                    const std::int64_t wy = Overlap(ty, sy, from, to);
                    const std::uint32_t* row = pixels + sy * fromStride + picture * from;
                    for (int sx = sx0; sx < sx1; ++sx) {
                        const std::uint32_t p = row[sx];
                        const std::int64_t weighted = wy * Overlap(tx, sx, from, to) * (p >> 24);
                        alpha += weighted;
                        for (int c = 0; c < 3; ++c) colour[c] += weighted * ((p >> (8 * c)) & 0xFF);
                    }
                }
                std::uint32_t result = 0;  // fully transparent stays 0, 0, 0, 0
                const std::int64_t a = (alpha + area / 2) / area;
                if (a > 0) {
                    result = static_cast<std::uint32_t>(a) << 24;
                    for (int c = 0; c < 3; ++c) result |= static_cast<std::uint32_t>((colour[c] + alpha / 2) / alpha) << (8 * c);
                }
                out[ty * toStride + picture * to + tx] = result;
            }
        }
    }
    return out;
}

}  // namespace norvanex
