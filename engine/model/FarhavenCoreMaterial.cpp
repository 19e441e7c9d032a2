// Variant choice, GPU buffers and drawing of the core 3D material.
#include "engine/model/FarhavenCoreMaterial.h"

#include "engine/model/GeneratedModelInstance.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/TextureManager.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstddef>

namespace Varnok {

namespace {

const char* const kUniformNames[FarhavenCoreMaterial::UniformCount] = {
    "IN_texture_diffuse",      "IN_texture_skymap_specular", "IN_scene_ambientscale",
    "IN_scene_eye_pos",        "IN_scene_eye_dir",           "IN_material_speclevel",
    "IN_material_specpow",     "IN_material_ambientscale",   "IN_material_ambientcolour",
    "IN_material_colour",      "IN_material_RimColour",      "IN_material_RimPower",
    "IN_material_RimScale",    "IN_diffuse_L00",             "IN_diffuse_L1m1",
    "IN_diffuse_L10",          "IN_diffuse_L11",             "IN_diffuse_L2m2",
    "IN_diffuse_L2m1",         "IN_diffuse_L20",             "IN_diffuse_L21",
    "IN_diffuse_L22",
};

}  // namespace

FarhavenCoreMaterial::FarhavenCoreMaterial(const MaterialDescription& description) {
    std::fill(std::begin(m_locations), std::end(m_locations), -1);
    CopyFrom(description);
    SetName("Farhaven_CoreMaterial_STATIC");
    SetChanged(true);
}

FarhavenCoreMaterial::~FarhavenCoreMaterial() {
    ReleaseGpuData();
}

void FarhavenCoreMaterial::UpdateTexture() {
    SmartPtr<Texture> texture;
    if (!GetDiffuseTexture().IsEmpty()) {
        // The manager makes flat textures only.
        texture = TextureManager::Get().GetTexture(GetDiffuseTexture().c_str());
    }
    SetDiffuseTextureObject(texture);
    RebuildVariant();
}

void FarhavenCoreMaterial::AddDefine(const char* define) {
    const AsciiString name(define);
    for (const AsciiString& held : m_defines) {
        if (held == name) {
            return;
        }
    }
    m_defines.push_back(name);
    std::sort(m_defines.begin(), m_defines.end(), AsciiStringLess());
}

bool FarhavenCoreMaterial::RebuildVariant() {
    if (!IsChanged()) {
        return false;
    }
    SetChanged(false);
    m_defines.clear();
    AddDefine("USE_STATIC");
    if (GetDiffuseTextureObject()) {
        AddDefine("USE_DIFFUSE_TEXTURE");
    }
    if (GetDiffuseMethod() < 0.01f) {
        AddDefine("USE_IMAGE_BASED_LIGHTING");
    }
    if (GetSpecularLevel() > 0.01f) {
        AddDefine("USE_SPECULAR");
    }
    if (HasUVAnimation()) {
        AddDefine("USE_UV_ANIMATION");
    }
    if (HasRimShading()) {
        AddDefine("USE_RIM_SHADING");
    }
    m_program = ShaderProgramCache::Get().FindOrCreate(kShaderName, ShaderProgramCache::kAutomaticId,
                                                       &m_defines);
    if (m_program == nullptr) {
        return false;
    }
    // Locations of this program only: one another variant found stays with it.
    for (int u = 0; u < UniformCount; ++u) {
        m_locations[u] = m_program->GetUniformLocation(kUniformNames[u]);
    }
    return true;
}

bool FarhavenCoreMaterial::IsTransparent() const {
    const SmartPtr<Texture>& texture = GetDiffuseTextureObject();
    return (HasTextureAlpha() && texture && texture->HasAlpha()) ||
           (IsTranslucent() && GetAlphaLevel() < 0.99f);
}

bool FarhavenCoreMaterial::WritesDepth() const {
    return !HasTextureAlpha() && !GetExtraFlag() && IsEnabled();
}

void FarhavenCoreMaterial::ReleaseGpuData() {
    if (m_vertexBuffer != 0) {
        glDeleteBuffers(1, &m_vertexBuffer);
    }
    if (m_indexBuffer != 0) {
        glDeleteBuffers(1, &m_indexBuffer);
    }
    m_vertexBuffer = 0;
    m_indexBuffer = 0;
    m_buffersCreated = false;
    SetChanged(true);
}

bool FarhavenCoreMaterial::EnsureBuffers() {
    if (m_buffersCreated) {
        return m_vertexCount != 0;
    }
    if (m_record == nullptr || m_record->owner == nullptr || m_record->owner->mesh == nullptr) {
        return false;
    }
    const GeneratedMesh& mesh = *m_record->owner->mesh;
    if (m_record->subMeshIndex < 0 ||
        static_cast<size_t>(m_record->subMeshIndex) >= mesh.subMeshes.size()) {
        return false;
    }
    const GeneratedSubMesh& subMesh = *mesh.subMeshes[m_record->subMeshIndex];
    const size_t n = subMesh.vertices.size();
    m_buffersCreated = true;
    m_vertexCount = 0;
    for (const auto& list : subMesh.indexLists) {
        if (list.size() != n) {
            return false;  // lists not built: nothing to draw
        }
    }
    m_vertices.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const GeneratedVertex& from = subMesh.vertices[i];
        CoreGpuVertex& to = m_vertices[i];
        std::copy(from.position, from.position + 3, to.position);
        std::copy(from.normal, from.normal + 3, to.normal);
        std::copy(from.colour, from.colour + 4, to.colour);
        std::copy(from.texCoord, from.texCoord + 2, to.texCoord);
    }
    glGenBuffers(1, &m_vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(n * sizeof(CoreGpuVertex)),
                 m_vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    std::vector<uint16_t> indices;
    indices.reserve(n * kDepthSortDirectionCount);
    for (const auto& list : subMesh.indexLists) {
        indices.insert(indices.end(), list.begin(), list.end());
    }
    glGenBuffers(1, &m_indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 2),
                 indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    m_vertexCount = static_cast<uint32_t>(n);
    return n != 0;
}

void FarhavenCoreMaterial::BindTexture(Uniform uniform, const SmartPtr<Texture>& texture,
                                       const CoreLighting& lighting) {
    if (m_locations[uniform] < 0) {
        return;
    }
    const SmartPtr<Texture>& bound = texture ? texture : lighting.defaultTexture;
    const GLint unit = static_cast<GLint>(m_boundTextures.size());
    m_boundTextures.push_back(bound);
    if (unit != 0) {
        glActiveTexture(GL_TEXTURE0 + unit);
    }
    if (bound && bound->GetGLId() == 0) {
        bound->Upload();
    }
    glBindTexture(GL_TEXTURE_2D, bound ? bound->GetGLId() : 0);
    glUniform1i(m_locations[uniform], unit);
}

void FarhavenCoreMaterial::Draw(bool skip, const CoreMaterialView& view, const CoreDrawItem& item) {
    if (skip || !view.enabled || view.lighting == nullptr) {
        return;
    }
    RebuildVariant();
    if (m_program == nullptr || item.direction < 0 || item.direction >= kDepthSortDirectionCount ||
        !EnsureBuffers()) {
        return;
    }
    const CoreLighting& lighting = *view.lighting;
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);

    Renderer& renderer = Renderer::Get();
    renderer.SetCullMode(IsTwoSided() ? kCullOff : kCullCounterClockwise);
    renderer.SetDepthTest(true);
    if (IsTransparent()) {
        renderer.SetBlendEnable(true);
        renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    } else {
        renderer.SetBlendEnable(false);
    }
    renderer.SetDepthWrite(WritesDepth());

    ShaderProgramCache& cache = ShaderProgramCache::Get();
    cache.SetProjectionMatrix(view.projection);
    cache.SetViewMatrix(view.view);
    cache.SetWorldMatrix(item.world);
    renderer.SetColour(Colour(255, 255, 255, 255));
    if (!cache.Use(m_program->GetId())) {
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        return;
    }

    BindTexture(TextureDiffuse, GetDiffuseTextureObject(), lighting);
    BindTexture(TextureSkymap, lighting.skyMap, lighting);

    auto set1 = [this](Uniform u, float value) {
        if (m_locations[u] >= 0) {
            glUniform1f(m_locations[u], value);
        }
    };
    auto set3 = [this](Uniform u, const float* values) {
        if (m_locations[u] >= 0) {
            glUniform3fv(m_locations[u], 1, values);
        }
    };
    const float eyePosition[3] = {view.eyePosition.x, view.eyePosition.y, view.eyePosition.z};
    const float eyeDirection[3] = {view.eyeDirection.x, view.eyeDirection.y, view.eyeDirection.z};
    set1(SceneAmbientScale, lighting.ambientScale);
    set3(SceneEyePos, eyePosition);
    set3(SceneEyeDir, eyeDirection);
    set1(SpecLevel, GetSpecularLevel());
    set1(SpecPow, GetSpecularPower());
    set1(AmbientScale, GetFactors()[0]);
    if (m_locations[RimColour] >= 0) {
        set3(RimColour, GetRimColour());
        set1(RimPower, GetRimPower());
        set1(RimScale, GetRimScale());
    }
    if (m_locations[MaterialColour] >= 0) {
        const float colour[4] = {GetDiffuseColour()[0], GetDiffuseColour()[1],
                                 GetDiffuseColour()[2], GetAlphaLevel()};
        glUniform4fv(m_locations[MaterialColour], 1, colour);
    }
    set3(AmbientColour, GetFactors() + 1);
    if (m_locations[DiffuseL00] >= 0) {
        for (int k = 0; k < 9; ++k) {
            set3(static_cast<Uniform>(DiffuseL00 + k), lighting.coefficients[k]);
        }
    }

    const ShaderLocations& locations = m_program->GetLocations();
    const struct {
        int32_t location;
        int components;
        size_t offset;
    } attributes[] = {
        {locations.position, 3, offsetof(CoreGpuVertex, position)},
        {locations.uv, 2, offsetof(CoreGpuVertex, texCoord)},
        {locations.vertexColour, 4, offsetof(CoreGpuVertex, colour)},
        {locations.normal, 3, offsetof(CoreGpuVertex, normal)},
    };
    for (const auto& attribute : attributes) {
        if (attribute.location >= 0) {
            glEnableVertexAttribArray(static_cast<GLuint>(attribute.location));
            glVertexAttribPointer(static_cast<GLuint>(attribute.location), attribute.components,
                                  GL_FLOAT, GL_FALSE, sizeof(CoreGpuVertex),
                                  reinterpret_cast<const void*>(attribute.offset));
        }
    }
    m_program->ApplyUniforms(true);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m_vertexCount), GL_UNSIGNED_SHORT,
                   reinterpret_cast<const void*>(static_cast<uintptr_t>(2) * m_vertexCount *
                                                 static_cast<uintptr_t>(item.direction)));

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    for (size_t j = 0; j < m_boundTextures.size(); ++j) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + j));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    m_boundTextures.clear();
}

}  // namespace Varnok
