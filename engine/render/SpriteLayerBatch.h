// The layered 2D batch: while a UI pass collects, sprites and immediate
// primitives queue into the current layer; at the end every layer is drawn
// with its own projection, each item at a depth from its place in the
// submission order so that later items end up in front.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateBatchSink.h"
#include "engine/render/ImmediateVertex.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

struct AtlasNode;
struct BatchSprite;
class Texture;

// Writes a sprite's four strip vertices (x, y, z, u, v each: 20 floats) in
// place of the batch; z should be depth.
using BatchVertexCallback = void (*)(const BatchSprite& sprite, float depth, float* outVertices);

// A queued sprite quad: what the caller describes, kept until the batch draws.
struct BatchSprite {
    float x = 0.0f;  // centre
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float rotation = 0.0f;  // degrees, counter-clockwise with y up
    float uLeft = 0.0f;
    float uRight = 1.0f;
    float vTop = 0.0f;
    float vBottom = 1.0f;
    Colour colour = kColourWhite;
    BatchVertexCallback callback = nullptr;  // null: the batch makes the quad
};

// The batch's own quad for a sprite: the rectangle turned about its centre
// by the rotation, as a strip starting top left (before the turn).
void BuildSpriteQuad(const BatchSprite& sprite, float depth, float* outVertices);

// A queued primitive list. The vertices are the caller's, not copied.
struct BatchPrimitives {
    const AtlasNode* atlasImage = nullptr;  // may be null
    Matrix4 world;                          // the world matrix when queued
    const ImmediateVertex* vertices = nullptr;
    int32_t count = 0;
    int32_t kind = 0;  // PrimitiveKind
};

namespace BatchItemKind {
enum : int32_t {
    SpriteQuad = 0,
    ShapedSprite = 1,  // its texture carries a mesh
    Primitives = 2,
};
}  // namespace BatchItemKind

// How a sprite is queued besides its quad. -1 codes keep the renderer's.
struct BatchSpriteOptions {
    int32_t blendMode = 0;        // 1 blended; 0 by alpha; anything else opaque
    int32_t sequenceOffset = -1;  // added to the sequence unless -1
    int32_t depthCode = -1;       // engine compare code
    int32_t blendSrcCode = -1;    // engine blend factor codes
    int32_t blendDstCode = -1;
};

struct BatchItem {
    SmartPtr<Texture> texture;  // may be empty
    // The layer's item count just after the item was added (1 for the first),
    // plus any sequence offset.
    int32_t sequence = 0;
    int32_t depthCode = -1;
    int32_t blendSrcCode = -1;
    int32_t blendDstCode = -1;
    int32_t kind = BatchItemKind::SpriteQuad;
    bool blended = false;
    // The opaque entry of a blended shaped sprite: it stands for the opaque
    // interior of the sprite's mesh, which the blended entry already covers
    // as long as sprites are drawn as plain quads, so it draws nothing.
    bool opaqueInterior = false;
    // Exactly one is set, by kind.
    BatchSprite* sprite = nullptr;
    BatchPrimitives* primitives = nullptr;
};

struct BatchLayer {
    std::unique_ptr<BatchItem[]> blended;
    int32_t blendedCount = 0;
    std::unique_ptr<BatchItem[]> opaque;
    int32_t opaqueCount = 0;
    int32_t capacity = 0;  // of each of the two lists
    Matrix4 matrix;        // view-projection, points as row vectors
};

// Fractions of the layer's depth span: items go from `farEnd` (the first)
// to `nearEnd` (the last).
struct BatchDepthRange {
    float farEnd = 1.0f;
    float nearEnd = 0.0f;
};

namespace BatchDrawMode {
enum : int32_t {
    Merged = 0,       // both lists in submission order; what the UI uses
    OpaqueFirst = 1,  // opaque newest first, then blended oldest first
};
}  // namespace BatchDrawMode

// Main thread only.
class SpriteLayerBatch final : public ImmediateBatchSink {
public:
    static constexpr int32_t kDefaultCapacity = 1000;

    // The one batch of the system, made unconfigured on first use.
    static SpriteLayerBatch& GetInstance();

    // Unconfigured: no layers; a pass collects nothing.
    SpriteLayerBatch();
    SpriteLayerBatch(int32_t layerRequest, const std::vector<int32_t>& capacities);
    ~SpriteLayerBatch() override;
    SpriteLayerBatch(const SpriteLayerBatch&) = delete;
    SpriteLayerBatch& operator=(const SpriteLayerBatch&) = delete;

    // layerRequest + 1 layers (3 when below 1). Every layer but the last
    // holds capacities[i] items a list (kDefaultCapacity where none is
    // given); the last holds kDefaultCapacity and projects a 480 x 320 unit
    // screen centred on the origin. Drops whatever was queued.
    void Configure(int32_t layerRequest, const std::vector<int32_t>& capacities);
    // Back to unconfigured: no layers, nothing queued, immediate drawing no
    // longer queues here.
    void Unconfigure();

    // Starts a pass: empties every layer, gives all but the last the identity
    // matrix and makes immediate drawing queue here. The current layer stays.
    void Reset();

    // Queues a sprite into the current layer. Past a list's or the records'
    // capacity the sprite is dropped with a log line.
    void AddItem(const SmartPtr<Texture>& texture, const BatchSprite& sprite,
                 const BatchSpriteOptions& options = BatchSpriteOptions{});

    // ImmediateBatchSink. The world matrix is taken from the render
    // transforms now.
    bool IsActive() const override { return m_active; }
    void AddPrimitives(const SmartPtr<Texture>& texture, const ImmediateVertex* vertices,
                       int32_t count, int32_t kind, bool blend) override;
    void AddAtlasPrimitives(const AtlasNode* image, const ImmediateVertex* vertices, int32_t count,
                            int32_t kind) override;
    // Valid until the next Reset.
    ImmediateVertex* AllocateVertices(int32_t count) override;

    // Draws every layer that holds items and ends the pass. Leaves the
    // render transforms as the last drawn layer set them.
    void Draw(int32_t mode, const BatchDepthRange& range);

    // The UI selects the layer and sets the layer matrices directly.
    int32_t GetCurrentLayer() const { return m_currentLayer; }
    void SetCurrentLayer(int32_t layer) { m_currentLayer = layer; }
    int32_t GetLayerCount() const { return m_layerCount; }
    // layer must lie in 0..GetLayerCount() - 1.
    BatchLayer& GetLayer(int32_t layer) { return m_layers[layer]; }
    const BatchLayer& GetLayer(int32_t layer) const { return m_layers[layer]; }
    Matrix4& LayerMatrix(int32_t layer) { return m_layers[layer].matrix; }

    int32_t GetSpriteCount() const { return m_spriteCount; }
    int32_t GetPrimitivesCount() const { return m_primitivesCount; }
    int32_t GetTotalCapacity() const { return m_totalCapacity; }
    // Items dropped for want of room since the last Reset.
    int32_t GetDroppedCount() const { return m_droppedCount; }

private:
    struct VertexChunk {
        std::unique_ptr<ImmediateVertex[]> vertices;
        int32_t size = 0;
    };
    // One item of a list in drawing order, with what the first half of Draw
    // worked out for it.
    struct DrawEntry {
        const BatchItem* item = nullptr;
        float depth = 0.0f;
        int32_t firstVertex = -1;  // of its quad in the vertex stream; -1: none
        bool minified = true;      // drawn smaller than its texels (or not known)
    };
    // A list of one layer: entries [begin, end).
    struct DrawSpan {
        int32_t layer = 0;
        int32_t begin = 0;
        int32_t end = 0;
    };
    // A run of consecutive sprites drawn with one call.
    struct SpriteRun {
        const BatchItem* head = nullptr;  // null: no run gathered
        int32_t firstVertex = 0;
        int32_t quadCount = 0;
        bool minified = false;  // some sprite of it is drawn smaller than its texels
    };
    struct QuadVertex;
    class QuadBuffers;

    // The current layer, or null (with a log line) when it does not exist.
    BatchLayer* CurrentLayer();
    // The next free slot of the list, counted in; null when the list is full.
    BatchItem* TakeSlot(BatchLayer& layer, bool blended);
    void NoteDropped(const char* what);
    void QueuePrimitives(const SmartPtr<Texture>& texture, const AtlasNode* image,
                         const ImmediateVertex* vertices, int32_t count, int32_t kind,
                         bool blended);

    // The first half of Draw: a layer's lists in drawing order, each item's
    // depth, and every sprite's quad written into the vertex stream.
    void PrepareLayer(int32_t layerIndex, int32_t mode, const BatchDepthRange& range,
                      float viewportWidth, float viewportHeight);
    // pixelsPerUnit: the pixels a unit of the layer covers at least; 0 when
    // not known, and then every sprite counts as drawn smaller.
    void AddEntry(const BatchItem& item, float depth, float pixelsPerUnit);
    // Requires: room for four more vertices.
    void WriteSpriteQuad(DrawEntry& entry, float pixelsPerUnit);
    void UploadQuads();
    // The second half: the lists of one layer, drawn.
    void DrawLayer(BatchLayer& layer, const DrawSpan* spans, int32_t spanCount);
    void DrawList(const DrawEntry* entries, int32_t count);
    // Consecutive sprites that share texture, blending and culling draw as
    // one run: one call per run instead of one per sprite, with each
    // sprite's colour carried in its vertices.
    void AppendSpriteToRun(const DrawEntry& entry);
    void FlushSpriteRun();
    void DrawPrimitives(const BatchItem& item, float depth);
    void BindTexture(const SmartPtr<Texture>& texture);

    bool m_active = false;
    std::unique_ptr<BatchLayer[]> m_layers;
    std::unique_ptr<BatchSprite[]> m_sprites;
    std::unique_ptr<BatchPrimitives[]> m_primitives;
    int32_t m_spriteCount = 0;
    int32_t m_primitivesCount = 0;
    int32_t m_layerCount = 0;
    int32_t m_totalCapacity = 0;
    int32_t m_currentLayer = 0;
    SmartPtr<Texture> m_currentTexture;  // bound while drawing

    int32_t m_droppedCount = 0;
    bool m_previousWasSprite = false;  // within the layer being drawn
    // Scratch of Draw, sized at configuration so that a pass allocates
    // nothing.
    std::vector<DrawEntry> m_entries;
    std::vector<DrawSpan> m_spans;
    std::unique_ptr<QuadVertex[]> m_vertices;  // the sprites' quads, four vertices each
    int32_t m_vertexCapacity = 0;
    int32_t m_vertexCount = 0;
    SpriteRun m_run;
    std::unique_ptr<QuadBuffers> m_buffers;  // made on the first draw with sprites
    std::vector<VertexChunk> m_vertexChunks;
    size_t m_chunkIndex = 0;
    int32_t m_chunkUsed = 0;
};

}  // namespace Varnok
