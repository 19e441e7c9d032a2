// Immediate drawing: small lists of coloured, textured vertices sent to GL at
// once through a ring of stream buffers, or queued into the layered 2D batch
// while it collects a UI pass, so that callers draw the same way either way.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/GLResource.h"
#include "engine/render/ImmediateVertex.h"

#include <cstdint>

namespace Varnok {

struct AtlasNode;
class Effect;
class ImmediateBatchSink;
class MaterialParamBlock;
class Texture;

// A shader effect and the parameter values it is drawn with. Neither is
// owned; params may be null.
struct ImmediateMaterial {
    Effect* effect = nullptr;
    MaterialParamBlock* params = nullptr;
};

// Main thread only.
class ImmediatePrimitiveRenderer : public GLResource {
public:
    static constexpr int kRingSize = 50;

    // The one renderer, made on first use.
    static ImmediatePrimitiveRenderer& Get();

    // Draws count vertices of one kind. blend forces blending on; material
    // and texture may be null. With a material the vertices go through the
    // material's program; otherwise, while the batch collects, they are
    // queued (and must stay valid until it has drawn).
    void Draw(const ImmediateVertex* vertices, int32_t count, int32_t kind, bool blend,
              const ImmediateMaterial* material, const SmartPtr<Texture>& texture);
    // The effect's program with the block's float, vector and texture
    // parameters; the texture argument is not bound by this path.
    void DrawWithMaterial(const ImmediateVertex* vertices, int32_t count, int32_t kind,
                          const ImmediateMaterial& material, const SmartPtr<Texture>& texture);

    // The batch to queue into while it is active; null (the default) for
    // none. The sink must outlive its registration.
    void SetBatchSink(ImmediateBatchSink* sink) { m_batchSink = sink; }
    ImmediateBatchSink* GetBatchSink() const { return m_batchSink; }
    // The registered batch when it is collecting now, else null.
    ImmediateBatchSink* GetActiveBatch() const;

    // The unit quad centred on the origin (a triangle strip), shared by
    // every rectangle drawn.
    ImmediateVertex* GetQuad() { return m_quad; }

    bool IsCreated() const { return m_created; }
    // The buffer the next draw uses, 0..kRingSize - 1.
    int GetRingPosition() const { return m_ringPosition; }
    // 0 before the ring is made.
    uint32_t GetRingBuffer(int index) const { return m_buffers[index]; }

    // Deletes the ring; the next draw makes a new one.
    void Release() override;
    void Restore() override {}

private:
    ImmediatePrimitiveRenderer() = default;

    void CreateRing();
    // Uploads into the next ring buffer, points the current program's inputs
    // at it and draws. withNormal also feeds IN_normal when the program has it.
    void DrawFromRing(const ImmediateVertex* vertices, int32_t count, uint32_t mode,
                      bool withNormal);

    bool m_created = false;
    uint32_t m_buffers[kRingSize] = {};
    int m_ringPosition = 0;
    ImmediateVertex m_quad[4];
    ImmediateBatchSink* m_batchSink = nullptr;
};

// The shared quad in one colour with u running uLeft to uRight and v vTop to
// vBottom, textured with the currently bound texture. Its size and place come
// from the world matrix.
void DrawColouredRect(const Colour& colour, float uLeft, float uRight, float vTop, float vBottom,
                      const ImmediateMaterial* material = nullptr);
void DrawColouredQuad(const Colour& colour, const ImmediateMaterial* material = nullptr);
void DrawTexturedTriangles(const ImmediateVertex* vertices, int32_t count, bool blend,
                           const ImmediateMaterial* material, const SmartPtr<Texture>& texture);
void DrawTexturedTriangleStrip(const ImmediateVertex* vertices, int32_t count, bool blend,
                               const ImmediateMaterial* material, const SmartPtr<Texture>& texture);
// Geometry textured from an atlas image, drawn with the texture of the
// image's page. Without an image only the batch can take it (with the
// currently bound texture); drawn at once it draws nothing.
void DrawPrimitives(const ImmediateVertex* vertices, int32_t count, int32_t kind,
                    const AtlasNode* atlasImage, bool blend, const ImmediateMaterial* material);
void DrawBatchedTriangles(const ImmediateVertex* vertices, int32_t count,
                          const AtlasNode* atlasImage, bool blend,
                          const ImmediateMaterial* material);

// Debug shapes: they draw nothing in this build.
void DebugDrawBox(const Vector3& minimum, const Vector3& maximum, const Colour& colour);
void DebugDrawLine(const Vector3& from, const Vector3& to, const Colour& colour,
                   const Colour& secondColour);
void DebugDrawSphere(const Vector3& centre, float radius, const Colour& colour);

}  // namespace Varnok
