// Immediate drawing through the ring of stream buffers, and the helpers that
// draw rectangles, triangle lists and atlas geometry with it.
#include "engine/render/ImmediatePrimitiveRenderer.h"

#include "engine/render/Effect.h"
#include "engine/render/ImmediateBatchSink.h"
#include "engine/render/MaterialParameter.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureAtlas.h"

#include <GLES2/gl2.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace Varnok {
namespace {

// Only flat two-dimensional textures are handed on; a volume or cube map
// counts as none.
SmartPtr<Texture> FlatOnly(Texture* texture) {
    if (texture == nullptr || texture->GetDescription().kind != TextureKind::Flat) {
        return SmartPtr<Texture>();
    }
    return SmartPtr<Texture>(texture);
}

void PointAttribute(int32_t location, int components, int byteOffset) {
    if (location < 0) {
        return;
    }
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE,
                          sizeof(ImmediateVertex),
                          reinterpret_cast<const void*>(static_cast<uintptr_t>(byteOffset)));
}

// The shared quad: a triangle strip over the unit square centred on the origin.
void SetUpQuad(ImmediateVertex* quad) {
    const float corners[4][2] = {{-0.5f, 0.5f}, {-0.5f, -0.5f}, {0.5f, 0.5f}, {0.5f, -0.5f}};
    for (int i = 0; i < 4; ++i) {
        ImmediateVertex& vertex = quad[i];
        vertex = ImmediateVertex{};
        vertex.x = corners[i][0];
        vertex.y = corners[i][1];
        vertex.nz = 1.0f;
        vertex.r = vertex.g = vertex.b = vertex.a = 255.0f;
    }
}

}  // namespace

ImmediatePrimitiveRenderer& ImmediatePrimitiveRenderer::Get() {
    static ImmediatePrimitiveRenderer* s_renderer = [] {
        auto* renderer = new ImmediatePrimitiveRenderer();
        // Set up once, not with the ring: a rectangle written before the
        // first draw must not be reset by it.
        SetUpQuad(renderer->m_quad);
        return renderer;
    }();
    return *s_renderer;
}

ImmediateBatchSink* ImmediatePrimitiveRenderer::GetActiveBatch() const {
    return m_batchSink != nullptr && m_batchSink->IsActive() ? m_batchSink : nullptr;
}

void ImmediatePrimitiveRenderer::CreateRing() {
    glGenBuffers(kRingSize, m_buffers);
    m_ringPosition = 0;
    m_created = true;
}

void ImmediatePrimitiveRenderer::Release() {
    if (m_created) {
        glDeleteBuffers(kRingSize, m_buffers);
    }
    std::memset(m_buffers, 0, sizeof(m_buffers));
    m_created = false;
}

void ImmediatePrimitiveRenderer::Draw(const ImmediateVertex* vertices, int32_t count, int32_t kind,
                                      bool blend, const ImmediateMaterial* material,
                                      const SmartPtr<Texture>& texture) {
    if (!m_created) {
        CreateRing();
    }
    if (material != nullptr) {
        DrawWithMaterial(vertices, count, kind, *material, texture);
        return;
    }
    if (ImmediateBatchSink* batch = GetActiveBatch()) {
        Texture* chosen = texture ? texture.Get() : Texture::GetCurrentlyBound();
        batch->AddPrimitives(FlatOnly(chosen), vertices, count, kind, blend);
        return;
    }
    GLenum mode = GL_TRIANGLES;
    if (!GLModeForPrimitiveKind(kind, mode)) {
        return;
    }
    if (texture && texture.Get() != Texture::GetCurrentlyBound()) {
        texture->Bind();
    }
    Renderer& renderer = Renderer::Get();
    renderer.SetColour(kColourWhite);
    const Texture* bound = Texture::GetCurrentlyBound();
    const int32_t program = bound != nullptr ? ShaderProgramCache::kUnlitProgram
                                             : ShaderProgramCache::kUnlitNoTextureProgram;
    if (ShaderProgramCache::Get().Use(program)) {
        renderer.SetBlendEnable(blend || bound == nullptr || bound->HasAlpha());
        DrawFromRing(vertices, count, mode, false);
    }
    if (texture) {
        texture->Unbind();
    }
}

void ImmediatePrimitiveRenderer::DrawFromRing(const ImmediateVertex* vertices, int32_t count,
                                              GLenum mode, bool withNormal) {
    if (vertices == nullptr || count < 0) {
        count = 0;  // an empty draw, as for a zero count
    }
    const ShaderProgram* program = ShaderProgramCache::Get().GetCurrentProgram();
    glBindBuffer(GL_ARRAY_BUFFER, m_buffers[m_ringPosition]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count) * sizeof(ImmediateVertex),
                 vertices, GL_STREAM_DRAW);
    const ShaderLocations& locations = program->GetLocations();
    PointAttribute(locations.position, 3, kImmediatePositionOffset);
    if (withNormal) {
        PointAttribute(locations.normal, 3, kImmediateNormalOffset);
    }
    PointAttribute(locations.uv, 2, kImmediateUvOffset);
    PointAttribute(locations.vertexColour, 4, kImmediateColourOffset);
    glDrawArrays(mode, 0, count);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    m_ringPosition = (m_ringPosition + 1) % kRingSize;
}

void ImmediatePrimitiveRenderer::DrawWithMaterial(const ImmediateVertex* vertices, int32_t count,
                                                  int32_t kind, const ImmediateMaterial& material,
                                                  const SmartPtr<Texture>& texture) {
    if (!m_created) {
        CreateRing();
    }
    const SmartPtr<Texture> kept = FlatOnly(texture.Get());
    ShaderProgramCache& cache = ShaderProgramCache::Get();
    if (material.effect == nullptr || !cache.Use(material.effect->GetProgram())) {
        if (texture) {
            texture->Unbind();
        }
        return;
    }
    ShaderProgram* program = cache.GetCurrentProgram();

    // The block's textures stay referenced until their units are cleared.
    std::vector<SmartPtr<Texture>> unitTextures;
    if (material.params != nullptr) {
        for (MaterialParam& param : material.params->GetParams()) {
            // Looked up per program: one material may be drawn by several.
            const int32_t location = param.UniformLocation(*program);
            if (location < 0) {
                continue;
            }
            switch (param.type) {
                case ParamType::Float: glUniform1f(location, param.GetFloats()[0]); break;
                case ParamType::Vector3: {
                    const float* v = param.GetFloats();
                    glUniform3f(location, v[0], v[1], v[2]);
                    break;
                }
                case ParamType::Vector4: {
                    const float* v = param.GetFloats();
                    glUniform4f(location, v[0], v[1], v[2], v[3]);
                    break;
                }
                case ParamType::Texture2D: {
                    SmartPtr<Texture> unitTexture;
                    if (!param.GetTexture(unitTexture) || !unitTexture) {
                        break;
                    }
                    const int unit = static_cast<int>(unitTextures.size());
                    if (unit > 0) {
                        glActiveTexture(GL_TEXTURE0 + unit);
                    }
                    glBindTexture(GL_TEXTURE_2D, unitTexture->GetGLId());
                    glUniform1i(location, unit);
                    unitTextures.push_back(unitTexture);
                    break;
                }
                default: break;
            }
        }
    }

    GLenum mode = GL_TRIANGLES;
    if (GLModeForPrimitiveKind(kind, mode)) {
        program->ApplyUniforms(false);
        DrawFromRing(vertices, count, mode, true);
    }
    // Also after an unknown kind: the units must not keep the textures.
    for (size_t unit = 0; unit < unitTextures.size(); ++unit) {
        if (unit > 0) {
            glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    if (texture) {
        texture->Unbind();
    }
}

void DrawColouredRect(const Colour& colour, float uLeft, float uRight, float vTop, float vBottom,
                      const ImmediateMaterial* material) {
    ImmediatePrimitiveRenderer& renderer = ImmediatePrimitiveRenderer::Get();
    ImmediateVertex* quad = renderer.GetQuad();
    const float us[4] = {uLeft, uLeft, uRight, uRight};
    const float vs[4] = {vTop, vBottom, vTop, vBottom};
    for (int i = 0; i < 4; ++i) {
        quad[i].u = us[i];
        quad[i].v = vs[i];
        quad[i].r = colour.r;
        quad[i].g = colour.g;
        quad[i].b = colour.b;
        quad[i].a = colour.a;
    }
    // The batch only keeps a pointer, and the next rectangle rewrites the
    // shared quad: a queued one gets a copy that lives as long as the pass.
    const ImmediateVertex* vertices = quad;
    if (material == nullptr) {
        if (ImmediateBatchSink* batch = renderer.GetActiveBatch()) {
            if (ImmediateVertex* copy = batch->AllocateVertices(4)) {
                std::memcpy(copy, quad, 4 * sizeof(ImmediateVertex));
                vertices = copy;
            }
        }
    }
    renderer.Draw(vertices, 4, PrimitiveKind::TriangleStrip, false, material,
                  SmartPtr<Texture>(Texture::GetCurrentlyBound()));
}

void DrawColouredQuad(const Colour& colour, const ImmediateMaterial* material) {
    DrawColouredRect(colour, 0.0f, 1.0f, 0.0f, 1.0f, material);
}

void DrawTexturedTriangles(const ImmediateVertex* vertices, int32_t count, bool blend,
                           const ImmediateMaterial* material, const SmartPtr<Texture>& texture) {
    ImmediatePrimitiveRenderer::Get().Draw(vertices, count, PrimitiveKind::Triangles, blend,
                                           material, texture);
}

void DrawTexturedTriangleStrip(const ImmediateVertex* vertices, int32_t count, bool blend,
                               const ImmediateMaterial* material,
                               const SmartPtr<Texture>& texture) {
    ImmediatePrimitiveRenderer::Get().Draw(vertices, count, PrimitiveKind::TriangleStrip, blend,
                                           material, texture);
}

void DrawPrimitives(const ImmediateVertex* vertices, int32_t count, int32_t kind,
                    const AtlasNode* atlasImage, bool blend, const ImmediateMaterial* material) {
    ImmediatePrimitiveRenderer& renderer = ImmediatePrimitiveRenderer::Get();
    if (ImmediateBatchSink* batch = renderer.GetActiveBatch()) {
        if (atlasImage != nullptr) {
            if (vertices != nullptr && count > 0) {
                batch->AddAtlasPrimitives(atlasImage, vertices, count, kind);
            }
        } else {
            batch->AddPrimitives(FlatOnly(Texture::GetCurrentlyBound()), vertices, count, kind,
                                 blend);
        }
        return;
    }
    if (atlasImage == nullptr) {
        return;
    }
    SmartPtr<Texture> texture;
    if (atlasImage->page != nullptr) {
        texture = atlasImage->page->GetTexture();
    }
    renderer.Draw(vertices, count, kind, blend, material, texture);
}

void DrawBatchedTriangles(const ImmediateVertex* vertices, int32_t count,
                          const AtlasNode* atlasImage, bool blend,
                          const ImmediateMaterial* material) {
    DrawPrimitives(vertices, count, PrimitiveKind::Triangles, atlasImage, blend, material);
}

void DebugDrawBox(const Vector3& /*minimum*/, const Vector3& /*maximum*/,
                  const Colour& /*colour*/) {}

void DebugDrawLine(const Vector3& /*from*/, const Vector3& /*to*/, const Colour& /*colour*/,
                   const Colour& /*secondColour*/) {}

void DebugDrawSphere(const Vector3& /*centre*/, float /*radius*/, const Colour& /*colour*/) {}

}  // namespace Varnok
