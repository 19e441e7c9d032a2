// Bounds, colour and flags carried by every generated sub-mesh and copied
// into each drawable sub-mesh made from it.
#pragma once

#include <cstdint>

namespace Varnok {

struct GeometryInfo {
    float boundsMin[3];
    float boundsMax[3];
    float further[6];
    uint32_t words[7];  // not touched by Init; copied with the record
    uint8_t colour[4];  // red, green, blue, alpha
    uint8_t flag;

    GeometryInfo() : words{} { Init(); }

    // An empty box (min above max), colour (0, 0, 0, 255), flag 1.
    void Init() {
        for (int i = 0; i < 3; ++i) {
            boundsMin[i] = 1e9f;
            boundsMax[i] = -1e9f;
        }
        for (float& value : further) {
            value = 0.0f;
        }
        colour[0] = colour[1] = colour[2] = 0;
        colour[3] = 255;
        flag = 1;
    }
};

}  // namespace Varnok
