// Small game-wide functions beside the game-state dispatcher.
#pragma once

namespace Varnok {

// The logical screen is 320 units high and as wide as the viewport's shape
// makes it: 320 x viewport width / viewport height (320 while the viewport
// has no height).
float LogicalScreenWidth();
inline float LogicalScreenHeight() {
    return 320.0f;
}

}  // namespace Varnok
