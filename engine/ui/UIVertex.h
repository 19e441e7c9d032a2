// The 48-byte UI vertex. Vertex lists go unchanged to immediate drawing and
// the layered 2D batch, which read the position at byte 0, the colour at
// byte 24 and the texture coordinates at byte 40.
#pragma once

#include <cstddef>
#include <vector>

namespace Varnok {

struct UIVertex {
    float x = 0.0f;  // UI space; y downwards
    float y = 0.0f;
    float z = 0.0f;
    float nx = 0.0f;  // carried along; no drawing path reads it
    float ny = 0.0f;
    float nz = 1.0f;
    float r = 255.0f;  // channels 0..255
    float g = 255.0f;
    float b = 255.0f;
    float a = 255.0f;
    float u = 0.0f;
    float v = 0.0f;
};

static_assert(sizeof(UIVertex) == 48, "the vertex layout is shared with the batch");
static_assert(offsetof(UIVertex, x) == 0, "the batch reads the position at byte 0");
static_assert(offsetof(UIVertex, nx) == 12, "the normal sits at bytes 12 to 23");
static_assert(offsetof(UIVertex, r) == 24, "the batch reads the colour at byte 24");
static_assert(offsetof(UIVertex, u) == 40, "the batch reads the texture coordinates at byte 40");

using UIVertexList = std::vector<UIVertex>;

// The vertex every new list entry copies, and the "nothing" of clipping.
const UIVertex& DefaultUIVertex();
const UIVertexList& EmptyUIVertexList();

}  // namespace Varnok
