// Stream matching of mesh geometry and the technique drawing of material
// instances: one pass, its declared inputs from the parameter chain, the
// engine matrices and one draw call per stream binding.
#include "engine/model/MeshGeometry.h"

#include "engine/core/Log.h"
#include "engine/model/MemoryModelData.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture.h"
#include "engine/render/VertexSemantics.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstring>

#ifndef GL_UNSIGNED_INT
#define GL_UNSIGNED_INT 0x1405
#endif

namespace Varnok {

namespace {

bool SameSemantic(const SmartPtr<ParamName>& a, const SmartPtr<ParamName>& b) {
    if (a.Get() == b.Get()) {
        return true;
    }
    return a && b && a->GetText() == b->GetText();
}

// 32-bit indices are drawn as such only where GL offers them.
bool HasUintIndices() {
    static const bool has = [] {
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        return extensions != nullptr && std::strstr(extensions, "GL_OES_element_index_uint");
    }();
    return has;
}

// The GL type of an index size; 0 when it cannot be drawn.
GLenum IndexType(uint32_t size) {
    switch (size) {
        case 1:
            return GL_UNSIGNED_BYTE;
        case 2:
            return GL_UNSIGNED_SHORT;
        case 4:
            return HasUintIndices() ? GL_UNSIGNED_INT : 0;
        default:
            return 0;
    }
}

// Without GL_OES_element_index_uint, 32-bit index data that fits in 16 bits
// is replaced by a 16-bit copy. False when the buffer still cannot be drawn.
bool NarrowIndices(GLIndexBuffer& buffer) {
    GLDataBuffer* data = dynamic_cast<GLDataBuffer*>(&buffer);
    MemoryIndexData* indices =
        data != nullptr ? dynamic_cast<MemoryIndexData*>(data->GetSource().Get()) : nullptr;
    SmartPtr<MemoryIndexData> narrowed = indices != nullptr ? indices->Narrowed() : nullptr;
    if (!narrowed) {
        return false;
    }
    data->SetSource(SmartPtr<IndexDataSource>(narrowed.Get()));
    data->Update();
    return true;
}

void PassMatrix(const MaterialParamBlock& block, const char* name,
                void (ShaderProgramCache::*set)(const Matrix4&)) {
    const MaterialParam* param = block.Find(name);
    if (param == nullptr || param->type != ParamType::Matrix) {
        return;  // the cache keeps what it has
    }
    Matrix4 matrix;
    std::memcpy(matrix.m, param->GetFloats(), sizeof(matrix.m));
    (ShaderProgramCache::Get().*set)(matrix);
}

}  // namespace

// ---- MeshGeometry ----

void MeshGeometry::AddVertexStream(const SmartPtr<VertexStream>& stream) {
    if (std::find(m_vertexStreams.begin(), m_vertexStreams.end(), stream) !=
        m_vertexStreams.end()) {
        return;
    }
    m_vertexStreams.push_back(stream);
    m_passBindings.clear();
}

void MeshGeometry::SetIndexBuffer(const SmartPtr<GLIndexBuffer>& buffer, const std::string& name) {
    SmartPtr<GLIndexBuffer>& slot = name.empty() ? m_indexBuffer : m_namedIndexBuffers[name];
    if (slot != buffer) {
        slot = buffer;
        m_passBindings.clear();
    }
}

SmartPtr<GLIndexBuffer> MeshGeometry::GetNamedIndexBuffer(const std::string& name) const {
    auto found = m_namedIndexBuffers.find(name);
    return found != m_namedIndexBuffers.end() ? found->second : nullptr;
}

void MeshGeometry::SetTemplate(const SmartPtr<MaterialTemplate>& materialTemplate) {
    if (materialTemplate == m_template) {
        return;
    }
    m_template = materialTemplate;
    m_passBindings.clear();
    m_templateChanged.Invoke(this);
}

void MeshGeometry::FindStream(const SmartPtr<ParamName>& semantic, int32_t format,
                              StreamSlot& outSlot) const {
    for (const SmartPtr<VertexStream>& stream : m_vertexStreams) {
        for (const VertexElement& element : stream->GetElements()) {
            const int32_t elementFormat = static_cast<int32_t>(element.elementType);
            if (SameSemantic(element.semantic, semantic) &&
                (elementFormat == format || elementFormat == 0 || format == 0)) {
                outSlot.format = elementFormat;
                outSlot.stride = static_cast<int32_t>(stream->GetStride());
                outSlot.offset = static_cast<int32_t>(element.offset);
                outSlot.stream = stream;
                return;
            }
        }
    }
}

const std::vector<PassBinding>& MeshGeometry::GetPassBindings() {
    if (!m_passBindings.empty() || !m_template) {
        return m_passBindings;
    }
    for (const SmartPtr<Effect>& effect : m_template->GetEffects()) {
        PassBinding pass;
        pass.effect = effect.Get();
        for (const EffectStreamSet& set : effect->GetStreamSets()) {
            StreamBinding binding;
            binding.indexBuffer = m_indexBuffer;
            for (int s = 0; s < EffectStreamSet::kSlotCount; ++s) {
                FindStream(set.slots[s].semantic, set.slots[s].format, binding.slots[s]);
            }
            pass.streams.push_back(std::move(binding));
        }
        m_passBindings.push_back(std::move(pass));
    }
    return m_passBindings;
}

// ---- MaterialInstance ----

MaterialInstance::MaterialInstance(const SmartPtr<MeshGeometry>& geometry,
                                   const SmartPtr<MaterialParamBlock>& parent)
    : m_geometry(geometry) {
    static const std::vector<ParamDesc> kNone;
    const SmartPtr<MaterialTemplate>& materialTemplate =
        geometry ? geometry->GetTemplate() : SmartPtr<MaterialTemplate>();
    m_block = new MaterialParamBlock(materialTemplate ? materialTemplate->GetParams() : kNone,
                                     parent);
}

bool MaterialInstance::SelectPass(int32_t index) {
    if (!m_geometry || index < 0 ||
        static_cast<size_t>(index) >= m_geometry->GetPassBindings().size()) {
        return false;
    }
    m_passIndex = index;
    return true;
}

MaterialParam* MaterialInstance::FindParam(const char* name) const {
    return m_block ? m_block->Find(name) : nullptr;
}

uint32_t MaterialInstance::BindStreams(const StreamBinding& binding) {
    PassMatrix(*m_block, "SceneCamera.Projection", &ShaderProgramCache::SetProjectionMatrix);
    PassMatrix(*m_block, "SceneCamera.View", &ShaderProgramCache::SetViewMatrix);
    PassMatrix(*m_block, "World", &ShaderProgramCache::SetWorldMatrix);

    VertexStream* stream = binding.slots[0].stream.Get();
    if (stream == nullptr) {
        return 0;
    }
    if (stream->GetGLName() == 0) {
        stream->Upload();  // loading leaves the upload to the first draw
    }
    stream->Bind();

    // The last element of each name gives the attribute's offset; -1: absent.
    enum { kPosition, kTexCoord, kColour, kNormal, kTangent, kBinormal, kAttributeCount };
    static const VertexSemantic kSemantics[kAttributeCount] = {
        VertexSemantic::Position, VertexSemantic::TexCoord0, VertexSemantic::Diffuse,
        VertexSemantic::Normal,   VertexSemantic::Tangent,   VertexSemantic::Binormal};
    int32_t offsets[kAttributeCount] = {-1, -1, -1, -1, -1, -1};
    for (const VertexElement& element : stream->GetElements()) {
        for (int a = 0; a < kAttributeCount; ++a) {
            if (SameSemantic(element.semantic, GetVertexSemantic(kSemantics[a]))) {
                offsets[a] = static_cast<int32_t>(element.offset);
            }
        }
    }

    const ShaderLocations& locations = ShaderProgramCache::Get().GetCurrentProgram()->GetLocations();
    const int32_t attributeLocations[kAttributeCount] = {
        locations.position, locations.uv,      locations.vertexColour,
        locations.normal,   locations.tangent, locations.bitangent};
    static const int kComponents[kAttributeCount] = {3, 2, 4, 3, 3, 3};
    const GLsizei stride = static_cast<GLsizei>(stream->GetStride());
    for (int a = 0; a < kAttributeCount; ++a) {
        const GLint location = attributeLocations[a];
        if (location < 0) {
            continue;
        }
        if (offsets[a] >= 0 || a == kPosition) {
            glEnableVertexAttribArray(static_cast<GLuint>(location));
            glVertexAttribPointer(static_cast<GLuint>(location), kComponents[a], GL_FLOAT, GL_FALSE,
                                  stride,
                                  reinterpret_cast<const void*>(
                                      static_cast<uintptr_t>(std::max(offsets[a], 0))));
        } else {
            // A stream without the element: a constant, rather than reading
            // the position bytes as colours or coordinates. Vertices without
            // colour draw white (colours are 0..255).
            glDisableVertexAttribArray(static_cast<GLuint>(location));
            const float value = a == kColour ? 255.0f : 0.0f;
            glVertexAttrib4f(static_cast<GLuint>(location), value, value, value, value);
        }
    }
    return stream->GetVertexCount();
}

void MaterialInstance::Draw() {
    if (!m_geometry) {
        return;
    }
    const std::vector<PassBinding>& passes = m_geometry->GetPassBindings();
    if (m_passIndex < 0 || static_cast<size_t>(m_passIndex) >= passes.size()) {
        return;
    }
    const PassBinding& pass = passes[m_passIndex];
    const SmartPtr<Effect> effect(pass.effect);  // held for the draw
    ShaderProgramCache& cache = ShaderProgramCache::Get();
    if (!cache.Use(effect->GetProgram())) {
        return;
    }
    ShaderProgram& program = *cache.GetCurrentProgram();

    auto bindTexture = [this](const SmartPtr<Texture>& texture) {
        const GLint unit = static_cast<GLint>(m_boundTextures.size());
        m_boundTextures.push_back(texture);
        if (unit != 0) {
            glActiveTexture(GL_TEXTURE0 + unit);
        }
        if (texture->GetGLId() == 0) {
            texture->Upload();
        }
        glBindTexture(GL_TEXTURE_2D, texture->GetGLId());
        return unit;
    };

    for (const ParamDesc& input : effect->GetInputs()) {
        MaterialParam* param = m_block->Find(input.GetNameText());
        if (param == nullptr) {
            continue;
        }
        const GLint location = param->UniformLocation(program);
        if (location < 0) {
            continue;
        }
        const float* values = param->GetFloats();
        switch (param->type) {
            case ParamType::Float:
                glUniform1f(location, values[0]);
                break;
            case ParamType::Vector3:
                glUniform3f(location, values[0], values[1], values[2]);
                break;
            case ParamType::Vector4:
                glUniform4f(location, values[0], values[1], values[2], values[3]);
                break;
            case ParamType::Texture2D: {
                SmartPtr<Texture> texture;
                if (param->GetTexture(texture) && texture) {
                    glUniform1i(location, bindTexture(texture));
                }
                break;
            }
            default:
                break;  // matrices go through the program cache; the rest is never set
        }
    }
    // The unlit programs sample the engine's own "diffusetexture" on unit 0
    // and declare no texture input, so the part's "DiffuseMap" goes there.
    if (m_boundTextures.empty() && program.GetLocations().diffuseTexture >= 0) {
        const MaterialParam* diffuseMap = m_block->Find("DiffuseMap");
        SmartPtr<Texture> texture;
        if (diffuseMap != nullptr && diffuseMap->GetTexture(texture) && texture) {
            bindTexture(texture);
        }
    }

    for (const StreamBinding& binding : pass.streams) {
        const uint32_t vertexCount = BindStreams(binding);
        GLIndexBuffer* indices = binding.indexBuffer.Get();
        if (indices == nullptr || binding.slots[0].stream.Get() == nullptr) {
            continue;  // nothing says what to draw
        }
        indices->Update();
        program.ApplyUniforms(true);
        if (indices->GetIndexCount() == 0) {
            glDrawArrays(indices->GetPrimitiveMode(), 0, static_cast<GLsizei>(vertexCount));
            continue;
        }
        GLenum type = IndexType(indices->GetIndexSize());
        if (type == 0 && indices->GetIndexSize() == 4 && NarrowIndices(*indices)) {
            type = IndexType(indices->GetIndexSize());
        }
        if (type == 0 || indices->GetGLName() == 0) {
            static bool s_logged = false;
            if (!s_logged) {
                s_logged = true;
                Log("MaterialInstance: %u-byte indices cannot be drawn here; skipped",
                    indices->GetIndexSize());
            }
            continue;
        }
        indices->Bind();
        glDrawElements(indices->GetPrimitiveMode(), static_cast<GLsizei>(indices->GetIndexCount()),
                       type, nullptr);
    }

    if (!m_boundTextures.empty()) {
        for (size_t j = 0; j < m_boundTextures.size(); ++j) {
            glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + j));
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        glActiveTexture(GL_TEXTURE0);
        m_boundTextures.clear();
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    cache.Unbind();
}

}  // namespace Varnok
