// What immediate drawing queues into instead of drawing while the layered 2D
// batch collects a UI pass. The batch implements it and registers itself with
// ImmediatePrimitiveRenderer::SetBatchSink.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateVertex.h"

#include <cstdint>

namespace Varnok {

struct AtlasNode;
class Texture;

class ImmediateBatchSink {
public:
    virtual ~ImmediateBatchSink() = default;

    // Whether a pass is being collected now.
    virtual bool IsActive() const = 0;

    // Queues primitives into the current layer. The vertices are referenced,
    // not copied: they must stay valid until the batch has drawn. texture
    // may be empty. Nothing is queued for null vertices or a zero count.
    virtual void AddPrimitives(const SmartPtr<Texture>& texture, const ImmediateVertex* vertices,
                               int32_t count, int32_t kind, bool blend) = 0;

    // Queues primitives textured from an atlas image: always blended, no
    // texture of their own; drawn with the texture of the image's page.
    virtual void AddAtlasPrimitives(const AtlasNode* image, const ImmediateVertex* vertices,
                                    int32_t count, int32_t kind) = 0;

    // Storage for count vertices that lives until the batch has drawn, for
    // callers whose own vertices do not (the shared quad of DrawColouredRect,
    // rewritten by every call). Null when the batch cannot provide it.
    virtual ImmediateVertex* AllocateVertices(int32_t count) = 0;
};

}  // namespace Varnok
