// One GL ES 2.0 program built from a shader name and a list of defines, with
// the locations of the engine's standard inputs and every other uniform and
// attribute its sources declare.
#pragma once

#include "engine/core/AsciiString.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class ShaderProgramCache;

// A `uniform` or `attribute` line of the sources, for binding by name.
struct ShaderDeclaration {
    AsciiString type;   // "vec4", "mat4", "sampler2D", ...
    AsciiString name;   // without any array size
    int32_t location = -1;  // -1 until queried, and when the linker dropped it
    bool isAttribute = false;
};

// -1 wherever the program does not use the input.
struct ShaderLocations {
    // attributes
    int32_t position = -1;      // "IN_position"
    int32_t normal = -1;        // "IN_normal"
    int32_t tangent = -1;       // "IN_tangent"
    int32_t bitangent = -1;     // "IN_bitangent"
    int32_t vertexColour = -1;  // "IN_vertexcolour", floats 0..255
    int32_t uv = -1;            // "IN_uv"
    int32_t boneWeights = -1;   // "IN_boneWeights"
    int32_t boneIndices = -1;   // "IN_boneIndexs"
    // uniforms
    int32_t displayColour = -1;     // "displaycolour", floats 0..255
    int32_t diffuseTexture = -1;    // "diffusetexture", texture unit 0
    int32_t viewMatrix = -1;        // "viewmatrix"
    int32_t projectionMatrix = -1;  // "projectionmatrix"
    int32_t textureMatrix = -1;     // "texturematrix"
    int32_t worldMatrix = -1;       // "worldmatrix"
    int32_t worldMatrixRot = -1;    // "worldmatrixrot", 3x3
};

class ShaderProgram {
public:
    // defines may be null (no defines); it is copied. The cache holds the
    // scene matrices and must outlive the program.
    ShaderProgram(ShaderProgramCache& cache, const char* name, int32_t id,
                  const std::vector<AsciiString>* defines);
    // Deletes the GL objects.
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Finds "<name>.vs" and "<name>.fs" along the shader search path, compiles
    // both with the define lines in front, links them and queries the
    // locations. False, with a log line, when no file pair exists, no pair
    // compiles, or linking fails; nothing GL stays allocated then.
    [[nodiscard]] bool Link(const AsciiString& platformFolder);

    // Same name (case-sensitive) and the same defines in the same order; a
    // null list equals an empty one.
    bool Matches(const char* name, const std::vector<AsciiString>* defines) const;

    // glUseProgram and enables the standard attribute arrays it uses.
    void Bind();
    // glUseProgram(0) and disables those arrays.
    void Unbind();

    // Uploads the display colour (always), the diffuse texture unit (when
    // forced) and each scene matrix that changed since it was last uploaded
    // (or all of them when forced). Requires: bound.
    void ApplyUniforms(bool forced);

    int32_t GetUniformLocation(const char* name) const;

    // Deletes the GL program and shaders and forgets the declarations.
    void Release();

    int32_t GetId() const { return m_id; }
    const AsciiString& GetName() const { return m_name; }
    const std::vector<AsciiString>& GetDefines() const { return m_defines; }
    // 0 until linked.
    uint32_t GetGLProgram() const { return m_program; }
    bool IsBound() const { return m_bound; }
    const ShaderLocations& GetLocations() const { return m_locations; }
    // Material code remembers looked-up locations in the entries.
    std::vector<ShaderDeclaration>& GetDeclarations() { return m_declarations; }

private:
    void QueryLocations();

    ShaderProgramCache& m_cache;
    int32_t m_id;
    AsciiString m_name;
    std::vector<AsciiString> m_defines;
    uint32_t m_vertexShader = 0;  // GL names; 0 while none
    uint32_t m_fragmentShader = 0;
    uint32_t m_program = 0;
    bool m_bound = false;
    std::vector<ShaderDeclaration> m_declarations;
    ShaderLocations m_locations;
};

}  // namespace Varnok
