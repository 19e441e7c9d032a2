// Per-frame counters of the UI's update and draw passes.
#pragma once

#include <cstdint>

namespace Varnok {

struct UIFrameStats {
    int32_t maxLayerDrawn = -1;  // never reset
    int32_t previousLayerCount = 0;
    int32_t currentLayerCount = 0;
    int32_t componentCount = 0;  // updated this frame

    void NewFrame() {
        previousLayerCount = currentLayerCount;
        currentLayerCount = 0;
        componentCount = 0;
    }
    void AddSample(int32_t layer) {
        ++currentLayerCount;
        if (layer > maxLayerDrawn) {
            maxLayerDrawn = layer;
        }
    }
    void Increment() { ++componentCount; }
    int32_t GetMax() const { return maxLayerDrawn; }
};

}  // namespace Varnok
