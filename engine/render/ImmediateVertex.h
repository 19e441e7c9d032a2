// The vertex of immediate drawing and of the 2D batch's primitive lists.
#pragma once

#include "engine/render/PrimitiveKind.h"

#include <cstdint>

namespace Varnok {

// 48 bytes; the layout is what the GL attribute pointers assume.
struct ImmediateVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float nx = 0.0f, ny = 0.0f, nz = 0.0f;  // read only by material drawing
    // 0..255, not 0..1.
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
    float u = 0.0f, v = 0.0f;
};
static_assert(sizeof(ImmediateVertex) == 48, "immediate vertices are 48 bytes");

constexpr int kImmediatePositionOffset = 0;
constexpr int kImmediateNormalOffset = 12;
constexpr int kImmediateColourOffset = 24;
constexpr int kImmediateUvOffset = 40;

}  // namespace Varnok
