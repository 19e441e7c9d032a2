// Queueing into the layered 2D batch and drawing it layer by layer.
#include "engine/render/SpriteLayerBatch.h"

#include "engine/core/Log.h"
#include "engine/render/GLBuffer.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureAtlas.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace Varnok {
namespace {

constexpr int32_t kVertexChunkSize = 4096;
constexpr int32_t kMinimumMeshIndices = 3;
constexpr int kSpriteFloatsPerVertex = 5;
constexpr int kQuadVertices = 4;
constexpr int kQuadIndices = 6;
// 16-bit indices reach 65536 vertices: longer runs take several calls.
constexpr int32_t kMaxQuadsPerCall = 65536 / kQuadVertices;

// The last layer's fixed screen: 480 x 320 units centred on the origin, seen
// from (0, 0, 1), depth -1 to 1000 mapped to 0 to 1.
Matrix4 ScreenMatrix() {
    Matrix43 view;
    BuildLookAtMatrix(Vector3{0.0f, 0.0f, 1.0f}, Vector3{0.0f, 1.0f, 0.0f},
                      Vector3{0.0f, 0.0f, 0.0f}, view);
    Matrix4 orthographic;
    for (float& element : orthographic.m) {
        element = 0.0f;
    }
    orthographic.m[0] = 1.0f / 240.0f;
    orthographic.m[5] = 1.0f / 160.0f;
    orthographic.m[10] = 1.0f / 1001.0f;
    orthographic.m[14] = 1.0f / 1001.0f;
    orthographic.m[15] = 1.0f;
    Matrix4 result;
    Matrix4::Multiply(Matrix4::FromMatrix43(view.m), orthographic, result);
    return result;
}

// `offset` is into the bound GL_ARRAY_BUFFER, or a pointer without one.
void PointAttribute(int32_t location, int components, GLenum type, int stride,
                    const void* offset) {
    if (location >= 0) {
        glVertexAttribPointer(static_cast<GLuint>(location), components, type, GL_FALSE, stride,
                              offset);
    }
}

const void* ByteOffset(size_t bytes) {
    return reinterpret_cast<const void*>(bytes);
}

// Pixels a unit of the layer's x and y axes covers, the smaller of the two;
// 0 for a projection with perspective, whose scale changes across the
// screen. Points are row vectors: x moves by (m[0], m[1]) in clip space.
float PixelsPerUnit(const Matrix4& projection, float viewportWidth, float viewportHeight) {
    const float* m = projection.m;
    if (m[3] != 0.0f || m[7] != 0.0f || m[11] != 0.0f || m[15] == 0.0f) {
        return 0.0f;
    }
    const float halfWidth = 0.5f * viewportWidth / std::fabs(m[15]);
    const float halfHeight = 0.5f * viewportHeight / std::fabs(m[15]);
    const float alongX = std::hypot(m[0] * halfWidth, m[1] * halfHeight);
    const float alongY = std::hypot(m[4] * halfWidth, m[5] * halfHeight);
    return std::min(alongX, alongY);
}

// Moves a texture coordinate pair half a texel toward each other, so that
// linear filtering does not pull in the neighbouring texels.
void InsetPair(float& a, float& b, float halfTexel) {
    if (a <= b) {
        a += halfTexel;
        b -= halfTexel;
    } else {
        a -= halfTexel;
        b += halfTexel;
    }
}

}  // namespace

// A sprite corner as the batch streams it: position (z is the item's depth),
// texture coordinates, and the colour as bytes that the shader reads as
// 0..255.
struct SpriteLayerBatch::QuadVertex {
    float x, y, z;
    float u, v;
    uint8_t r, g, b, a;
};

// The sprites' vertex streams, one refilled each pass in turn, and the index
// list of kMaxQuadsPerCall quads, made once. A stream keeps its storage from
// pass to pass; taking them in turn means a pass does not overwrite the one
// the GL may still be drawing from. All are let go with the GL context and
// made again on the next draw.
class SpriteLayerBatch::QuadBuffers final : public GLResource {
    static_assert(sizeof(QuadVertex) == 24, "the vertex stream's stride: no padding");
    static constexpr int kStreamCount = 3;

public:
    ~QuadBuffers() override { Release(); }

    // Makes the buffers when there are none.
    void Prepare() {
        if (m_streams[0].name != 0) {
            return;
        }
        for (Stream& stream : m_streams) {
            glGenBuffers(1, &stream.name);
            stream.capacity = 0;
        }
        // Each quad is its strip's two triangles, in the strip's own winding.
        std::vector<uint16_t> indices(static_cast<size_t>(kMaxQuadsPerCall) * kQuadIndices);
        for (int32_t quad = 0; quad < kMaxQuadsPerCall; ++quad) {
            const auto first = static_cast<uint16_t>(quad * kQuadVertices);
            uint16_t* out = &indices[static_cast<size_t>(quad) * kQuadIndices];
            for (const int corner : {0, 1, 2, 2, 1, 3}) {
                *out++ = static_cast<uint16_t>(first + corner);
            }
        }
        m_indices.Upload(indices.data(), static_cast<uint32_t>(indices.size() * sizeof(uint16_t)));
    }

    // Writes the pass's vertices into the next stream, which grows (to a
    // power of two) only when they do not fit.
    void Fill(const QuadVertex* vertices, int32_t count) {
        m_current = (m_current + 1) % kStreamCount;
        Stream& stream = m_streams[m_current];
        const size_t bytes = static_cast<size_t>(count) * sizeof(QuadVertex);
        glBindBuffer(GL_ARRAY_BUFFER, stream.name);
        if (bytes > stream.capacity) {
            size_t capacity = 64 * 1024;
            while (capacity < bytes) {
                capacity *= 2;
            }
            glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(capacity), nullptr,
                         GL_DYNAMIC_DRAW);
            stream.capacity = capacity;
        }
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), vertices);
    }

    // The stream last filled, and the index list.
    void Bind() const {
        glBindBuffer(GL_ARRAY_BUFFER, m_streams[m_current].name);
        m_indices.Bind();
    }

    void Release() override {
        for (Stream& stream : m_streams) {
            if (stream.name != 0) {
                glDeleteBuffers(1, &stream.name);
            }
            stream = Stream{};
        }
        m_indices.Delete();
    }
    void Restore() override {}  // Prepare makes them again

private:
    struct Stream {
        GLuint name = 0;
        size_t capacity = 0;  // bytes
    };
    Stream m_streams[kStreamCount];
    int m_current = 0;
    GLBufferStorage m_indices{GL_ELEMENT_ARRAY_BUFFER};
};

// The strip's corners: top left, bottom left, top right, bottom right before
// the turn (y up).
void BuildSpriteQuad(const BatchSprite& sprite, float depth, float* out) {
    const Angle angle = AngleFromDegrees(sprite.rotation);
    const float s = SinLookup(angle);
    const float c = CosLookup(angle);
    const float hw = sprite.width * 0.5f;
    const float hh = sprite.height * 0.5f;
    const float x = sprite.x;
    const float y = sprite.y;
    const float corners[4][4] = {
        {x - c * hw - s * hh, y - s * hw + c * hh, sprite.uLeft, sprite.vTop},
        {x - c * hw + s * hh, y - s * hw - c * hh, sprite.uLeft, sprite.vBottom},
        {x + c * hw - s * hh, y + s * hw + c * hh, sprite.uRight, sprite.vTop},
        {x + c * hw + s * hh, y + s * hw - c * hh, sprite.uRight, sprite.vBottom},
    };
    for (const auto& corner : corners) {
        *out++ = corner[0];
        *out++ = corner[1];
        *out++ = depth;
        *out++ = corner[2];
        *out++ = corner[3];
    }
}

SpriteLayerBatch& SpriteLayerBatch::GetInstance() {
    // Never destroyed: its items may hold textures that must not outlive GL.
    static SpriteLayerBatch* s_batch = new SpriteLayerBatch();
    return *s_batch;
}

SpriteLayerBatch::SpriteLayerBatch() = default;

SpriteLayerBatch::SpriteLayerBatch(int32_t layerRequest, const std::vector<int32_t>& capacities) {
    Configure(layerRequest, capacities);
}

SpriteLayerBatch::~SpriteLayerBatch() {
    ImmediatePrimitiveRenderer& immediate = ImmediatePrimitiveRenderer::Get();
    if (immediate.GetBatchSink() == this) {
        immediate.SetBatchSink(nullptr);
    }
    if (m_currentTexture) {
        m_currentTexture->Unbind();
    }
}

void SpriteLayerBatch::Configure(int32_t layerRequest, const std::vector<int32_t>& capacities) {
    m_active = false;
    m_layerCount = layerRequest >= 1 ? layerRequest + 1 : 3;
    m_layers = std::make_unique<BatchLayer[]>(static_cast<size_t>(m_layerCount));
    int64_t total = 0;
    for (int32_t i = 0; i < m_layerCount; ++i) {
        int32_t capacity = kDefaultCapacity;
        if (i + 1 < m_layerCount && static_cast<size_t>(i) < capacities.size()) {
            capacity = capacities[i];
            if (capacity < 0) {
                Log("SpriteLayerBatch: layer %d capacity %d is negative, using 0", i, capacity);
                capacity = 0;
            }
        }
        BatchLayer& layer = m_layers[i];
        layer.capacity = capacity;
        layer.blended = std::make_unique<BatchItem[]>(static_cast<size_t>(capacity));
        layer.opaque = std::make_unique<BatchItem[]>(static_cast<size_t>(capacity));
        total += capacity;
    }
    m_totalCapacity = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
    m_sprites = std::make_unique<BatchSprite[]>(static_cast<size_t>(m_totalCapacity));
    m_primitives = std::make_unique<BatchPrimitives[]>(static_cast<size_t>(m_totalCapacity));
    // Draw's scratch at its largest: both lists of every layer full, and a
    // quad for every sprite record.
    m_entries.clear();
    m_entries.reserve(static_cast<size_t>(2 * total));
    m_spans.clear();
    m_spans.reserve(static_cast<size_t>(2 * m_layerCount));
    m_vertexCapacity = static_cast<int32_t>(
        std::min<int64_t>(int64_t{kQuadVertices} * m_totalCapacity, INT32_MAX));
    m_vertices = std::make_unique<QuadVertex[]>(static_cast<size_t>(m_vertexCapacity));
    m_vertexCount = 0;
    m_spriteCount = 0;
    m_primitivesCount = 0;
    m_droppedCount = 0;
    m_layers[m_layerCount - 1].matrix = ScreenMatrix();
}

void SpriteLayerBatch::Unconfigure() {
    ImmediatePrimitiveRenderer& immediate = ImmediatePrimitiveRenderer::Get();
    if (immediate.GetBatchSink() == this) {
        immediate.SetBatchSink(nullptr);
    }
    m_active = false;
    m_layerCount = 0;
    m_layers.reset();
    m_sprites.reset();
    m_primitives.reset();
    m_spriteCount = 0;
    m_primitivesCount = 0;
    m_totalCapacity = 0;
    m_droppedCount = 0;
    m_entries.clear();
    m_spans.clear();
    m_vertices.reset();
    m_vertexCapacity = 0;
    m_vertexCount = 0;
}

void SpriteLayerBatch::Reset() {
    if (m_layerCount == 0) {
        Log("SpriteLayerBatch: reset before it was configured; nothing is batched");
        return;
    }
    m_active = true;
    for (int32_t i = 0; i < m_layerCount; ++i) {
        BatchLayer& layer = m_layers[i];
        layer.blendedCount = 0;
        layer.opaqueCount = 0;
        if (i + 1 < m_layerCount) {
            layer.matrix = Matrix4::Identity();
        }
    }
    m_spriteCount = 0;
    m_primitivesCount = 0;
    m_droppedCount = 0;
    m_chunkIndex = 0;
    m_chunkUsed = 0;
    ImmediatePrimitiveRenderer::Get().SetBatchSink(this);
}

BatchLayer* SpriteLayerBatch::CurrentLayer() {
    if (m_currentLayer < 0 || m_currentLayer >= m_layerCount) {
        NoteDropped("no such layer");
        return nullptr;
    }
    return &m_layers[m_currentLayer];
}

BatchItem* SpriteLayerBatch::TakeSlot(BatchLayer& layer, bool blended) {
    int32_t& count = blended ? layer.blendedCount : layer.opaqueCount;
    if (count >= layer.capacity) {
        return nullptr;
    }
    BatchItem* item = blended ? &layer.blended[count] : &layer.opaque[count];
    ++count;
    return item;
}

void SpriteLayerBatch::NoteDropped(const char* what) {
    // One line a pass: a UI that overflows does so every frame.
    if (m_droppedCount == 0) {
        Log("SpriteLayerBatch: item dropped (%s) in layer %d; further drops this pass are silent",
            what, m_currentLayer);
    }
    ++m_droppedCount;
}

void SpriteLayerBatch::AddItem(const SmartPtr<Texture>& texture, const BatchSprite& sprite,
                               const BatchSpriteOptions& options) {
    BatchLayer* layer = CurrentLayer();
    if (layer == nullptr) {
        return;
    }
    const bool translucent = sprite.colour.a != 255 || (texture && texture->HasAlpha());
    const bool blended = options.blendMode == 1 || (options.blendMode == 0 && translucent);
    if (m_spriteCount >= m_totalCapacity) {
        NoteDropped("sprite records full");
        return;
    }
    BatchItem* item = TakeSlot(*layer, blended);
    if (item == nullptr) {
        NoteDropped(blended ? "blended list full" : "opaque list full");
        return;
    }
    BatchSprite* record = &m_sprites[m_spriteCount++];
    *record = sprite;

    item->texture = texture;
    item->sequence = layer->blendedCount + layer->opaqueCount;
    if (options.sequenceOffset != -1) {
        item->sequence += options.sequenceOffset;
    }
    item->depthCode = options.depthCode;
    item->blendSrcCode = options.blendSrcCode;
    item->blendDstCode = options.blendDstCode;
    item->kind = BatchItemKind::SpriteQuad;
    item->blended = blended;
    item->opaqueInterior = false;
    item->sprite = record;
    item->primitives = nullptr;

    if (sprite.callback != nullptr || !texture ||
        texture->GetShortList().size() < static_cast<size_t>(kMinimumMeshIndices)) {
        return;
    }
    item->kind = BatchItemKind::ShapedSprite;
    // A mesh whose first extra-word indices cover the translucent rim leaves
    // an opaque interior that can go into the opaque list as well.
    if (blended && sprite.colour.a == 255 &&
        texture->GetExtraWord() < texture->GetShortList().size()) {
        BatchItem* copy = TakeSlot(*layer, false);
        if (copy == nullptr) {
            NoteDropped("opaque list full");
            return;
        }
        *copy = *item;
        copy->blended = false;
        copy->opaqueInterior = true;
        copy->blendSrcCode = -1;
        copy->blendDstCode = -1;
    }
}

void SpriteLayerBatch::AddPrimitives(const SmartPtr<Texture>& texture,
                                     const ImmediateVertex* vertices, int32_t count, int32_t kind,
                                     bool blend) {
    const bool blended = blend || (texture && texture->HasAlpha());
    QueuePrimitives(texture, nullptr, vertices, count, kind, blended);
}

void SpriteLayerBatch::AddAtlasPrimitives(const AtlasNode* image, const ImmediateVertex* vertices,
                                          int32_t count, int32_t kind) {
    QueuePrimitives(SmartPtr<Texture>(), image, vertices, count, kind, true);
}

void SpriteLayerBatch::QueuePrimitives(const SmartPtr<Texture>& texture, const AtlasNode* image,
                                       const ImmediateVertex* vertices, int32_t count,
                                       int32_t kind, bool blended) {
    if (vertices == nullptr || count <= 0) {
        return;
    }
    BatchLayer* layer = CurrentLayer();
    if (layer == nullptr) {
        return;
    }
    if (m_primitivesCount >= m_totalCapacity) {
        NoteDropped("primitive records full");
        return;
    }
    BatchItem* item = TakeSlot(*layer, blended);
    if (item == nullptr) {
        NoteDropped(blended ? "blended list full" : "opaque list full");
        return;
    }
    BatchPrimitives* record = &m_primitives[m_primitivesCount++];
    record->atlasImage = image;
    record->world = RenderTransforms::Get().World().Current();
    record->vertices = vertices;
    record->count = count;
    record->kind = kind;

    item->texture = texture;
    item->sequence = layer->blendedCount + layer->opaqueCount;
    item->depthCode = -1;
    item->blendSrcCode = -1;
    item->blendDstCode = -1;
    item->kind = BatchItemKind::Primitives;
    item->blended = blended;
    item->opaqueInterior = false;
    item->sprite = nullptr;
    item->primitives = record;
}

ImmediateVertex* SpriteLayerBatch::AllocateVertices(int32_t count) {
    if (count <= 0) {
        return nullptr;
    }
    // Chunks are only ever reused from the next Reset on, so what was handed
    // out stays put until then.
    if (m_chunkIndex < m_vertexChunks.size() &&
        m_chunkUsed + count > m_vertexChunks[m_chunkIndex].size) {
        ++m_chunkIndex;
        m_chunkUsed = 0;
    }
    if (m_chunkIndex >= m_vertexChunks.size() || m_vertexChunks[m_chunkIndex].size < count) {
        VertexChunk chunk;
        chunk.size = std::max(count, kVertexChunkSize);
        chunk.vertices = std::make_unique<ImmediateVertex[]>(static_cast<size_t>(chunk.size));
        if (m_chunkIndex < m_vertexChunks.size()) {
            m_vertexChunks[m_chunkIndex] = std::move(chunk);  // unused this pass
        } else {
            m_vertexChunks.push_back(std::move(chunk));
        }
        m_chunkUsed = 0;
    }
    ImmediateVertex* vertices = m_vertexChunks[m_chunkIndex].vertices.get() + m_chunkUsed;
    m_chunkUsed += count;
    return vertices;
}

void SpriteLayerBatch::Draw(int32_t mode, const BatchDepthRange& range) {
    m_active = false;
    m_currentTexture = SmartPtr<Texture>();
    ImmediatePrimitiveRenderer& immediate = ImmediatePrimitiveRenderer::Get();
    if (immediate.GetBatchSink() == this) {
        immediate.SetBatchSink(nullptr);
    }
    // Every sprite's quad is written first and sent in one upload, so the
    // lists then draw from one buffer without waiting between runs.
    m_entries.clear();
    m_spans.clear();
    m_vertexCount = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int32_t i = 0; i < m_layerCount; ++i) {
        const BatchLayer& layer = m_layers[i];
        if (layer.blendedCount + layer.opaqueCount > 0) {
            PrepareLayer(i, mode, range, static_cast<float>(viewport[2]),
                         static_cast<float>(viewport[3]));
        }
    }
    UploadQuads();
    for (size_t first = 0; first < m_spans.size();) {
        size_t last = first + 1;
        while (last < m_spans.size() && m_spans[last].layer == m_spans[first].layer) {
            ++last;
        }
        DrawLayer(m_layers[m_spans[first].layer], &m_spans[first],
                  static_cast<int32_t>(last - first));
        first = last;
    }
    if (m_vertexCount > 0) {
        // Later drawing may point GL at client memory.
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    if (m_currentTexture) {
        m_currentTexture->Unbind();
        m_currentTexture = SmartPtr<Texture>();
    }
}

void SpriteLayerBatch::PrepareLayer(int32_t layerIndex, int32_t mode,
                                    const BatchDepthRange& range, float viewportWidth,
                                    float viewportHeight) {
    const BatchLayer& layer = m_layers[layerIndex];
    // The depth span of the layer: where depth 0 and depth 1 of its
    // projection lie along z (the view is the identity while it draws).
    Matrix4 viewProjection;
    Matrix4::Multiply(Matrix4::Identity(), layer.matrix, viewProjection);
    Matrix4 inverse;
    if (!InvertMatrix4(viewProjection, inverse)) {
        Log("SpriteLayerBatch: the layer's projection cannot be inverted; depths span 0 to 1");
        inverse = Matrix4::Identity();
    }
    const float low = inverse.m[14];
    const float high = inverse.m[10] + inverse.m[14];
    const float nearDepth = low + (high - low) * range.nearEnd;
    const float farDepth = low + (high - low) * range.farEnd;
    const float total = static_cast<float>(layer.blendedCount + layer.opaqueCount);
    const float pixelsPerUnit = PixelsPerUnit(layer.matrix, viewportWidth, viewportHeight);
    const auto add = [&](const BatchItem& item) {
        const float fraction = static_cast<float>(item.sequence) / total;
        AddEntry(item, nearDepth + (1.0f - fraction) * (farDepth - nearDepth), pixelsPerUnit);
    };

    DrawSpan span;
    span.layer = layerIndex;
    span.begin = static_cast<int32_t>(m_entries.size());
    if (mode == BatchDrawMode::OpaqueFirst) {
        for (int32_t i = layer.opaqueCount - 1; i >= 0; --i) {
            add(layer.opaque[i]);
        }
        span.end = static_cast<int32_t>(m_entries.size());
        m_spans.push_back(span);
        span.begin = span.end;
        for (int32_t i = 0; i < layer.blendedCount; ++i) {
            add(layer.blended[i]);
        }
    } else {
        int32_t opaque = 0;
        int32_t blended = 0;
        while (opaque < layer.opaqueCount || blended < layer.blendedCount) {
            const bool takeOpaque =
                blended >= layer.blendedCount ||
                (opaque < layer.opaqueCount &&
                 layer.opaque[opaque].sequence <= layer.blended[blended].sequence);
            add(takeOpaque ? layer.opaque[opaque++] : layer.blended[blended++]);
        }
    }
    span.end = static_cast<int32_t>(m_entries.size());
    m_spans.push_back(span);
}

void SpriteLayerBatch::AddEntry(const BatchItem& item, float depth, float pixelsPerUnit) {
    DrawEntry entry;
    entry.item = &item;
    entry.depth = depth;
    // Shaped sprites draw as their plain quad: the quad covers the whole
    // mesh, and the blended entry shows its translucent parts.
    if (item.kind != BatchItemKind::Primitives && !item.opaqueInterior &&
        m_vertexCount + kQuadVertices <= m_vertexCapacity) {
        WriteSpriteQuad(entry, pixelsPerUnit);
    }
    m_entries.push_back(entry);
}

void SpriteLayerBatch::WriteSpriteQuad(DrawEntry& entry, float pixelsPerUnit) {
    const BatchItem& item = *entry.item;
    BatchSprite& sprite = *item.sprite;
    float texelsWide = 0.0f;
    float texelsHigh = 0.0f;
    if (item.texture) {
        const TextureDescription& description = item.texture->GetDescription();
        texelsWide = description.width;
        texelsHigh = description.height;
        InsetPair(sprite.uLeft, sprite.uRight, 0.5f / std::max<uint16_t>(description.width, 1));
        InsetPair(sprite.vTop, sprite.vBottom, 0.5f / std::max<uint16_t>(description.height, 1));
    }
    float strip[kQuadVertices * kSpriteFloatsPerVertex];
    if (sprite.callback != nullptr) {
        sprite.callback(sprite, entry.depth, strip);
        entry.minified = true;  // its own corners: the scale is not known
    } else {
        BuildSpriteQuad(sprite, entry.depth, strip);
        // Drawn smaller than its texels along either side, it needs the
        // mipmaps (a hair of slack for the rounding of the scale).
        constexpr float kSlack = 1.0f + 1.0f / 1024.0f;
        const float pixelsWide = std::fabs(sprite.width) * pixelsPerUnit * kSlack;
        const float pixelsHigh = std::fabs(sprite.height) * pixelsPerUnit * kSlack;
        entry.minified = std::fabs(sprite.uRight - sprite.uLeft) * texelsWide > pixelsWide ||
                         std::fabs(sprite.vBottom - sprite.vTop) * texelsHigh > pixelsHigh;
    }
    entry.firstVertex = m_vertexCount;
    QuadVertex* out = &m_vertices[m_vertexCount];
    m_vertexCount += kQuadVertices;
    const Colour colour = sprite.colour;
    for (int corner = 0; corner < kQuadVertices; ++corner, ++out) {
        const float* v = strip + corner * kSpriteFloatsPerVertex;
        *out = QuadVertex{v[0], v[1], v[2], v[3], v[4], colour.r, colour.g, colour.b, colour.a};
    }
}

void SpriteLayerBatch::UploadQuads() {
    if (m_vertexCount == 0) {
        return;
    }
    if (!m_buffers) {
        m_buffers = std::make_unique<QuadBuffers>();
    }
    m_buffers->Prepare();
    m_buffers->Fill(m_vertices.get(), m_vertexCount);
}

void SpriteLayerBatch::DrawLayer(BatchLayer& layer, const DrawSpan* spans, int32_t spanCount) {
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Projection().Set(layer.matrix);
    transforms.View().Set(Matrix4::Identity());
    transforms.Texture().Set(Matrix4::Identity());
    transforms.World().Reset();
    transforms.Apply(false);

    m_previousWasSprite = false;
    for (int32_t i = 0; i < spanCount; ++i) {
        DrawList(m_entries.data() + spans[i].begin, spans[i].end - spans[i].begin);
    }
}

void SpriteLayerBatch::DrawList(const DrawEntry* entries, int32_t count) {
    if (count == 0) {
        return;
    }
    Renderer& renderer = Renderer::Get();
    const int savedDepthCode = renderer.GetDepthFunc();
    const int savedSrcCode = renderer.GetBlendSrc();
    const int savedDstCode = renderer.GetBlendDst();
    RenderTransforms::Get().Apply(false);

    int lastDepthCode = savedDepthCode;
    int lastSrcCode = savedSrcCode;
    int lastDstCode = savedDstCode;
    for (int32_t i = 0; i < count; ++i) {
        const DrawEntry& entry = entries[i];
        const BatchItem& item = *entry.item;
        const int depthCode = item.depthCode >= 0 ? item.depthCode : savedDepthCode;
        const int srcCode = item.blendSrcCode >= 0 ? item.blendSrcCode : savedSrcCode;
        const int dstCode = item.blendDstCode >= 0 ? item.blendDstCode : savedDstCode;
        if (depthCode != lastDepthCode || srcCode != lastSrcCode || dstCode != lastDstCode ||
            item.kind == BatchItemKind::Primitives) {
            FlushSpriteRun();  // drawn with the state it was gathered under
        }
        if (depthCode != lastDepthCode) {
            renderer.SetDepthFunc(depthCode);
            lastDepthCode = depthCode;
        }
        if (srcCode != lastSrcCode || dstCode != lastDstCode) {
            renderer.SetBlendFunc(srcCode, dstCode);
            lastSrcCode = srcCode;
            lastDstCode = dstCode;
        }

        if (item.kind == BatchItemKind::Primitives) {
            DrawPrimitives(item, entry.depth);
            m_previousWasSprite = false;
        } else if (!item.opaqueInterior) {
            AppendSpriteToRun(entry);
        }
    }
    FlushSpriteRun();
    if (lastDepthCode != savedDepthCode) {
        renderer.SetDepthFunc(savedDepthCode);
    }
    if (lastSrcCode != savedSrcCode || lastDstCode != savedDstCode) {
        renderer.SetBlendFunc(savedSrcCode, savedDstCode);
    }
}

void SpriteLayerBatch::BindTexture(const SmartPtr<Texture>& texture) {
    if (texture.Get() == m_currentTexture.Get()) {
        return;
    }
    if (m_currentTexture) {
        m_currentTexture->Unbind();
    }
    m_currentTexture = texture;
    if (m_currentTexture) {
        m_currentTexture->Bind();
    }
}

void SpriteLayerBatch::AppendSpriteToRun(const DrawEntry& entry) {
    const BatchItem& item = *entry.item;
    if (entry.firstVertex < 0) {
        return;  // no room was left for its quad
    }
    const BatchItem* head = m_run.head;
    if (head != nullptr &&
        (item.texture.Get() != head->texture.Get() || item.blended != head->blended ||
         item.kind != head->kind ||
         entry.firstVertex != m_run.firstVertex + m_run.quadCount * kQuadVertices)) {
        FlushSpriteRun();
    }
    if (m_run.head == nullptr) {
        m_run.head = &item;
        m_run.firstVertex = entry.firstVertex;
        m_run.quadCount = 0;
        m_run.minified = false;
    }
    ++m_run.quadCount;
    m_run.minified = m_run.minified || entry.minified;
}

void SpriteLayerBatch::FlushSpriteRun() {
    if (m_run.head == nullptr) {
        return;
    }
    const SpriteRun run = m_run;
    m_run = SpriteRun{};
    const BatchItem& head = *run.head;

    RenderTransforms& transforms = RenderTransforms::Get();
    if (!m_previousWasSprite) {
        transforms.World().Reset();
        transforms.Texture().Set(Matrix4::Identity());
        transforms.Apply(true);
        m_previousWasSprite = true;
    }

    BindTexture(head.texture);
    Renderer& renderer = Renderer::Get();
    renderer.SetBlendEnable(head.blended);
    // White display colour: the vertices carry each sprite's own colour.
    renderer.SetColour(kColourWhite);
    if (head.kind == BatchItemKind::ShapedSprite) {
        renderer.SetCullMode(kCullOff);
    }
    ShaderProgramCache& programs = ShaderProgramCache::Get();
    if (!programs.Use(ShaderProgramCache::kUnlitProgram)) {
        return;
    }
    const ShaderLocations& locations = programs.GetCurrentProgram()->GetLocations();
    m_buffers->Bind();
    // At 1:1 or larger GL never reads the mipmaps, yet sampling with a
    // mipmap filter still works out the level for every pixel: level 0
    // alone does the same picture for less.
    const uint32_t mipmapFilter = m_currentTexture ? m_currentTexture->GetMipmapMinFilter() : 0;
    const bool levelZeroOnly = mipmapFilter != 0 && !run.minified;
    if (levelZeroOnly) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    constexpr int stride = sizeof(QuadVertex);
    for (int32_t done = 0; done < run.quadCount; done += kMaxQuadsPerCall) {
        const int32_t quads = std::min(kMaxQuadsPerCall, run.quadCount - done);
        // No base vertex in GL ES 2.0: the attributes start at the call's
        // first quad instead.
        const size_t base = static_cast<size_t>(run.firstVertex + done * kQuadVertices) * stride;
        PointAttribute(locations.position, 3, GL_FLOAT, stride,
                       ByteOffset(base + offsetof(QuadVertex, x)));
        PointAttribute(locations.uv, 2, GL_FLOAT, stride, ByteOffset(base + offsetof(QuadVertex, u)));
        PointAttribute(locations.vertexColour, 4, GL_UNSIGNED_BYTE, stride,
                       ByteOffset(base + offsetof(QuadVertex, r)));
        glDrawElements(GL_TRIANGLES, quads * kQuadIndices, GL_UNSIGNED_SHORT, nullptr);
    }
    if (levelZeroOnly) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(mipmapFilter));
    }
}

void SpriteLayerBatch::DrawPrimitives(const BatchItem& item, float depth) {
    BatchPrimitives& record = *item.primitives;
    Matrix4 lift;
    lift.m[14] = depth;
    Matrix4::Multiply(record.world, lift, record.world);

    SmartPtr<Texture> texture = item.texture;
    if (record.atlasImage != nullptr && record.atlasImage->page != nullptr) {
        if (SmartPtr<Texture> pageTexture = record.atlasImage->page->GetTexture()) {
            texture = pageTexture;
        }
    }
    BindTexture(texture);

    GLenum mode = GL_TRIANGLES;
    if (!GLModeForPrimitiveKind(record.kind, mode)) {
        return;
    }
    Renderer& renderer = Renderer::Get();
    renderer.SetBlendEnable(item.blended);
    renderer.SetColour(kColourWhite);
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.World().Set(record.world);
    transforms.Apply(true);
    ShaderProgramCache& programs = ShaderProgramCache::Get();
    const int32_t program = texture ? ShaderProgramCache::kUnlitProgram
                                    : ShaderProgramCache::kUnlitNoTextureProgram;
    if (!programs.Use(program)) {
        return;
    }
    const ShaderLocations& locations = programs.GetCurrentProgram()->GetLocations();
    // The caller's vertices are read where they lie, from client memory.
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const auto* bytes = reinterpret_cast<const uint8_t*>(record.vertices);
    const int stride = sizeof(ImmediateVertex);
    PointAttribute(locations.position, 3, GL_FLOAT, stride, bytes + kImmediatePositionOffset);
    PointAttribute(locations.uv, 2, GL_FLOAT, stride, bytes + kImmediateUvOffset);
    PointAttribute(locations.vertexColour, 4, GL_FLOAT, stride, bytes + kImmediateColourOffset);
    glDrawArrays(mode, 0, record.count);
}

}  // namespace Varnok
