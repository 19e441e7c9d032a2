// The primitive kinds shared by index sources, immediate drawing and the 2D
// batch, and the GL draw modes they stand for.
#pragma once

#include <cstdint>

namespace Varnok {

namespace PrimitiveKind {
enum : uint32_t {
    Points = 0,
    Lines = 1,
    LineStrip = 2,
    Triangles = 3,
    TriangleStrip = 4,
    TriangleFan = 5,
};
}  // namespace PrimitiveKind

// The GL mode of the line and triangle kinds; false for any other code
// (points included), which callers either skip or draw as points.
bool GLModeForPrimitiveKind(int64_t kind, uint32_t& outMode);

}  // namespace Varnok
