#include "engine/render/PrimitiveKind.h"

#include <GLES2/gl2.h>

namespace Varnok {

bool GLModeForPrimitiveKind(int64_t kind, uint32_t& outMode) {
    switch (kind) {
        case PrimitiveKind::Lines: outMode = GL_LINES; return true;
        case PrimitiveKind::LineStrip: outMode = GL_LINE_STRIP; return true;
        case PrimitiveKind::Triangles: outMode = GL_TRIANGLES; return true;
        case PrimitiveKind::TriangleStrip: outMode = GL_TRIANGLE_STRIP; return true;
        case PrimitiveKind::TriangleFan: outMode = GL_TRIANGLE_FAN; return true;
        default: return false;
    }
}

}  // namespace Varnok
