// Design places brought to a scale.
#include "base/ControlDesign.h"

#include "base/AppInfo.h"

namespace norvanex {

PixelPlace ScaledPlace(int left, int top, int width, int height, int dpi) {
    const int x = ScaleToDpi(left, dpi), y = ScaleToDpi(top, dpi);
    return {x, y, x + ScaleToDpi(width, dpi), y + ScaleToDpi(height, dpi)};
}

}  // namespace norvanex
