// Sets the client generator so that its next draw is a chosen number.
#pragma once

#include "kiplink/Source/Random.h"

#include <cstdint>

namespace KiplinkTest {

inline void StateForDraw(uint32_t target) {
    const uint32_t y = 0x12345678, z = 0x9ABCDEF0, w = 0x0F1E2D3C;
    // Undo t ^ (t >> 8), then x ^ (x << 11).
    const uint32_t u = target ^ w ^ (w >> 19);
    const uint32_t t = u ^ (u >> 8) ^ (u >> 16) ^ (u >> 24);
    const uint32_t x = t ^ (t << 11) ^ (t << 22);
    Kiplink::SetRandomState(x, y, z, w);
}

}  // namespace KiplinkTest
