// The pictures the tool draws itself, as RGBA bytes (red first), rows from
// the top.
#pragma once

#include <cstdint>
#include <vector>

namespace Varnok {

struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width x height x 4
};

// The start-up logo: a sliced fruit and a blade stroke on a clear background,
// anti-aliased.
RgbaPicture DrawLogo(int width, int height);

// Orientation and format checks: colour bars in the top-left quarter, an
// 8-pixel checkerboard top-right, a grey ramp bottom-left and an alpha ramp
// bottom-right; the corner pixels are red (top-left), green (top-right),
// blue (bottom-left) and white (bottom-right).
RgbaPicture DrawTestPattern(int width, int height);

}  // namespace Varnok
