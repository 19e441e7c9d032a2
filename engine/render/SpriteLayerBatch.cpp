// Queueing into the layered 2D batch and drawing it layer by layer.
#include "engine/render/SpriteLayerBatch.h"

#include "engine/core/Log.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureAtlas.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstdint>

namespace Varnok {
namespace {

constexpr int32_t kVertexChunkSize = 4096;
constexpr int32_t kMinimumMeshIndices = 3;
constexpr int kSpriteFloatsPerVertex = 5;
// A run's vertices: position, colour as floats 0..255, texture coordinates.
constexpr int kRunFloatsPerVertex = 9;
constexpr int kRunStride = kRunFloatsPerVertex * sizeof(float);

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

void PointClientAttribute(int32_t location, int components, int stride, const void* data) {
    if (location >= 0) {
        glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE,
                              stride, data);
    }
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
    m_spriteCount = 0;
    m_primitivesCount = 0;
    m_droppedCount = 0;
    m_layers[m_layerCount - 1].matrix = ScreenMatrix();
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
    for (int32_t i = 0; i < m_layerCount; ++i) {
        BatchLayer& layer = m_layers[i];
        if (layer.blendedCount + layer.opaqueCount > 0) {
            DrawLayer(layer, mode, range);
        }
    }
    if (m_currentTexture) {
        m_currentTexture->Unbind();
        m_currentTexture = SmartPtr<Texture>();
    }
}

void SpriteLayerBatch::DrawLayer(BatchLayer& layer, int32_t mode, const BatchDepthRange& range) {
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Projection().Set(layer.matrix);
    transforms.View().Set(Matrix4::Identity());
    transforms.Texture().Set(Matrix4::Identity());
    transforms.World().Reset();
    transforms.Apply(false);
    // Sprites point GL at client memory.
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    m_previousWasSprite = false;
    const int32_t total = layer.blendedCount + layer.opaqueCount;
    m_drawOrder.clear();
    if (mode == BatchDrawMode::OpaqueFirst) {
        for (int32_t i = layer.opaqueCount - 1; i >= 0; --i) {
            m_drawOrder.push_back(&layer.opaque[i]);
        }
        DrawList(m_drawOrder.data(), static_cast<int32_t>(m_drawOrder.size()), total, range);
        m_drawOrder.clear();
        for (int32_t i = 0; i < layer.blendedCount; ++i) {
            m_drawOrder.push_back(&layer.blended[i]);
        }
    } else {
        int32_t opaque = 0;
        int32_t blended = 0;
        while (opaque < layer.opaqueCount || blended < layer.blendedCount) {
            const bool takeOpaque =
                blended >= layer.blendedCount ||
                (opaque < layer.opaqueCount &&
                 layer.opaque[opaque].sequence <= layer.blended[blended].sequence);
            m_drawOrder.push_back(takeOpaque ? &layer.opaque[opaque++]
                                             : &layer.blended[blended++]);
        }
    }
    DrawList(m_drawOrder.data(), static_cast<int32_t>(m_drawOrder.size()), total, range);
}

void SpriteLayerBatch::DrawList(const BatchItem* const* items, int32_t count,
                                int32_t layerItemCount, const BatchDepthRange& range) {
    if (count == 0) {
        return;
    }
    Renderer& renderer = Renderer::Get();
    const int savedDepthCode = renderer.GetDepthFunc();
    const int savedSrcCode = renderer.GetBlendSrc();
    const int savedDstCode = renderer.GetBlendDst();
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Apply(false);

    // The depth span of the layer: where depth 0 and depth 1 of the
    // projection lie along z.
    Matrix4 viewProjection;
    Matrix4::Multiply(transforms.View().Current(), transforms.Projection().Current(),
                      viewProjection);
    Matrix4 inverse;
    if (!InvertMatrix4(viewProjection, inverse)) {
        Log("SpriteLayerBatch: the layer's projection cannot be inverted; depths span 0 to 1");
        inverse = Matrix4::Identity();
    }
    const float low = inverse.m[14];
    const float high = inverse.m[10] + inverse.m[14];
    const float nearDepth = low + (high - low) * range.nearEnd;
    const float farDepth = low + (high - low) * range.farEnd;

    int lastDepthCode = savedDepthCode;
    int lastSrcCode = savedSrcCode;
    int lastDstCode = savedDstCode;
    for (int32_t i = 0; i < count; ++i) {
        const BatchItem& item = *items[i];
        const float fraction = static_cast<float>(item.sequence) / layerItemCount;
        const float depth = nearDepth + (1.0f - fraction) * (farDepth - nearDepth);

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
            DrawPrimitives(item, depth);
            m_previousWasSprite = false;
        } else {
            // Shaped sprites draw as their plain quad: the quad covers the
            // whole mesh, and the blended entry shows its translucent parts.
            if (!item.opaqueInterior) {
                AppendSpriteToRun(item, depth);
            }
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

void SpriteLayerBatch::AppendSpriteToRun(const BatchItem& item, float depth) {
    if (m_runHead != nullptr &&
        (item.texture.Get() != m_runHead->texture.Get() || item.blended != m_runHead->blended ||
         item.kind != m_runHead->kind)) {
        FlushSpriteRun();
    }
    if (m_runHead == nullptr) {
        m_runHead = &item;
    }
    BatchSprite& sprite = *item.sprite;
    if (item.texture) {
        const TextureDescription& description = item.texture->GetDescription();
        InsetPair(sprite.uLeft, sprite.uRight, 0.5f / std::max<uint16_t>(description.width, 1));
        InsetPair(sprite.vTop, sprite.vBottom, 0.5f / std::max<uint16_t>(description.height, 1));
    }
    float strip[4 * kSpriteFloatsPerVertex];
    if (sprite.callback != nullptr) {
        sprite.callback(sprite, depth, strip);
    } else {
        BuildSpriteQuad(sprite, depth, strip);
    }
    float rgba[4];
    sprite.colour.GetRGBAFloats(rgba);
    // The strip's two triangles, in the strip's own winding.
    for (const int corner : {0, 1, 2, 2, 1, 3}) {
        const float* v = strip + corner * kSpriteFloatsPerVertex;
        m_runVertices.insert(m_runVertices.end(), {v[0], v[1], v[2], rgba[0], rgba[1], rgba[2],
                                                   rgba[3], v[3], v[4]});
    }
}

void SpriteLayerBatch::FlushSpriteRun() {
    if (m_runHead == nullptr) {
        return;
    }
    const BatchItem& head = *m_runHead;
    m_runHead = nullptr;

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
    if (programs.Use(ShaderProgramCache::kUnlitProgram)) {
        const ShaderLocations& locations = programs.GetCurrentProgram()->GetLocations();
        const float* vertices = m_runVertices.data();
        PointClientAttribute(locations.position, 3, kRunStride, vertices);
        PointClientAttribute(locations.vertexColour, 4, kRunStride, vertices + 3);
        PointClientAttribute(locations.uv, 2, kRunStride, vertices + 7);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(m_runVertices.size() / kRunFloatsPerVertex));
    }
    m_runVertices.clear();
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
    const auto* bytes = reinterpret_cast<const uint8_t*>(record.vertices);
    const int stride = sizeof(ImmediateVertex);
    PointClientAttribute(locations.position, 3, stride, bytes + kImmediatePositionOffset);
    PointClientAttribute(locations.uv, 2, stride, bytes + kImmediateUvOffset);
    PointClientAttribute(locations.vertexColour, 4, stride, bytes + kImmediateColourOffset);
    glDrawArrays(mode, 0, record.count);
}

}  // namespace Varnok
