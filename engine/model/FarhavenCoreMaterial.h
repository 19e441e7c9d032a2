// The core 3D material: draws one sub-mesh of a generated-mesh instance with
// the shader "farhaven/gles2_farhaven_corematerial", in the variant its
// settings select through defines, from two GL buffers of its own that hold
// the vertices and the eight depth-sorted index lists.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/model/MaterialDescription.h"
#include "engine/render/GLResource.h"
#include "engine/render/Texture.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class ShaderProgram;
struct SubMeshInstance;

// The scene's lighting as the core shader takes it.
struct CoreLighting {
    float ambientScale = 1.0f;
    SmartPtr<Texture> defaultTexture;  // stands in for a missing diffuse texture; may be null
    SmartPtr<Texture> skyMap;          // may be null
    float coefficients[9][3] = {};     // spherical harmonics L00, L1-1, L10, L11, L2-2 .. L22
};

struct CoreMaterialView {
    bool enabled = true;
    Vector3 eyePosition;
    Vector3 eyeDirection;
    Matrix4 view;
    Matrix4 projection;
    const CoreLighting* lighting = nullptr;  // required while drawing
};

struct CoreDrawItem {
    Matrix4 world;
    int direction = 0;  // 0..7: the depth-sorted index list drawn
};

// The 48-byte vertex the core shader reads.
struct CoreGpuVertex {
    float position[3];
    float normal[3];
    float colour[4];  // 0..255
    float texCoord[2];
};
static_assert(sizeof(CoreGpuVertex) == 48, "core vertices are 48 bytes");

class FarhavenCoreMaterial : public MaterialDescription, public GLResource {
public:
    static constexpr const char* kShaderName = "farhaven/gles2_farhaven_corematerial";

    // The description's settings under the name "Farhaven_CoreMaterial_STATIC".
    explicit FarhavenCoreMaterial(const MaterialDescription& description);
    ~FarhavenCoreMaterial() override;

    // The sub-mesh record drawn; null stops drawing.
    void SetRecord(const SubMeshInstance* record) { m_record = record; }

    // Loads the named diffuse texture (kept only when flat), then rebuilds.
    void UpdateTexture();
    // When the settings changed: the defines and the program of the
    // variant. False when the program cannot be built (nothing draws then).
    bool RebuildVariant();
    bool IsTransparent() const;
    bool WritesDepth() const;

    // Draws index list item.direction. Requires: a current GL context.
    void Draw(bool skip, const CoreMaterialView& view, const CoreDrawItem& item);

    // Deletes the GL buffers; the next draw makes them again.
    void ReleaseGpuData();
    void RestoreGpuData() { RebuildVariant(); }
    void Release() override { ReleaseGpuData(); }
    void Restore() override { RestoreGpuData(); }

    const std::vector<AsciiString>& GetDefines() const { return m_defines; }
    ShaderProgram* GetProgram() const { return m_program; }
    uint32_t GetVertexBuffer() const { return m_vertexBuffer; }
    uint32_t GetIndexBuffer() const { return m_indexBuffer; }
    bool BuffersCreated() const { return m_buffersCreated; }

    // The uniforms the draw sets, by the index of their table entry.
    enum Uniform {
        TextureDiffuse,
        TextureSkymap,
        SceneAmbientScale,
        SceneEyePos,
        SceneEyeDir,
        SpecLevel,
        SpecPow,
        AmbientScale,
        AmbientColour,
        MaterialColour,
        RimColour,
        RimPower,
        RimScale,
        DiffuseL00,  // and the eight coefficients after it
        UniformCount = DiffuseL00 + 9,
    };
    int32_t GetUniformLocation(Uniform uniform) const { return m_locations[uniform]; }

private:
    // False when there is nothing to draw.
    bool EnsureBuffers();
    void AddDefine(const char* define);
    void BindTexture(Uniform uniform, const SmartPtr<Texture>& texture,
                     const CoreLighting& lighting);

    std::vector<SmartPtr<Texture>> m_boundTextures;  // during one draw
    std::vector<AsciiString> m_defines;  // sorted by AsciiString::Compare
    ShaderProgram* m_program = nullptr;  // owned by the program cache
    int32_t m_locations[UniformCount];   // -1: the program lacks it
    const SubMeshInstance* m_record = nullptr;
    std::vector<CoreGpuVertex> m_vertices;
    uint32_t m_vertexBuffer = 0;
    uint32_t m_indexBuffer = 0;
    uint32_t m_vertexCount = 0;  // of the uploaded lists
    bool m_buffersCreated = false;
};

}  // namespace Varnok
