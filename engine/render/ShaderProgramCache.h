// Every GL program of the process by integer id, the program in use, and the
// scene matrices that a program receives when it is made current.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/MathUtil.h"
#include "engine/render/GLResource.h"
#include "engine/render/ShaderProgram.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace Varnok {

class ShaderProgramCache : public GLResource {
public:
    // The built-in programs that the renderer creates at start-up.
    static constexpr int32_t kUnlitProgram = 0;           // "gles1_vertex_unlit"
    static constexpr int32_t kUnlitNoTextureProgram = 2;  // "gles1_vertex_unlit_notexture"
    static constexpr int32_t kSimple2DProgram = 3;        // "gles1_vertex_simple2d"
    // Passed as an id: give the program the next free id from 5 upwards.
    static constexpr int32_t kAutomaticId = 4;
    static constexpr int32_t kNoProgram = -1;

    // Requires a current GL context (reads a limit of it).
    ShaderProgramCache();
    ~ShaderProgramCache() override;

    // The process-wide cache, built on first use.
    static ShaderProgramCache& Get();

    // The stored program with this name and these defines (whatever its id),
    // or a new one built and stored under `id`. Null, with a log line, when
    // the program cannot be built or `id` is already taken by another
    // program. defines may be null (no defines).
    ShaderProgram* FindOrCreate(const char* name, int32_t id,
                                const std::vector<AsciiString>* defines);

    // Makes the program current and uploads its uniforms (only what changed
    // when it already was current). An id that no program has unbinds the
    // current one and answers false: the caller must not draw.
    [[nodiscard]] bool Use(int32_t id);
    // Afterwards no program is current.
    void Unbind();

    // Copies kept until a program's uniforms are applied.
    void SetWorldMatrix(const Matrix4& matrix);  // also recomputes the world rotation
    void SetViewMatrix(const Matrix4& matrix) { m_view = matrix; }
    void SetProjectionMatrix(const Matrix4& matrix) { m_projection = matrix; }
    void SetTextureMatrix(const Matrix4& matrix) { m_texture = matrix; }

    const Matrix4& GetWorldMatrix() const { return m_world; }
    // The world matrix's first three rows, each scaled to unit length.
    const Matrix3& GetWorldRotation() const { return m_worldRotation; }
    const Matrix4& GetViewMatrix() const { return m_view; }
    const Matrix4& GetProjectionMatrix() const { return m_projection; }
    const Matrix4& GetTextureMatrix() const { return m_texture; }

    // Null when none is current.
    ShaderProgram* GetCurrentProgram() const { return m_current; }
    int32_t GetCurrentProgramId() const { return m_currentId; }
    int ProgramCount() const { return static_cast<int>(m_programs.size()); }
    // GL_MAX_VERTEX_UNIFORM_VECTORS within 128..304.
    int GetMaxVertexUniformVectors() const { return m_maxVertexUniformVectors; }

    // Deletes every program; none is current afterwards.
    void Release() override;
    // Programs come back through FindOrCreate; only the current one is forgotten.
    void Restore() override;

    // What was last sent to GL, shared by all programs: a program made
    // current gets every matrix, later applies only the changed ones.
    struct UploadedMatrices {
        Matrix4 world;
        Matrix4 view;
        Matrix4 projection;
        Matrix4 texture;
    };
    UploadedMatrices& GetUploadedMatrices() { return m_uploaded; }

private:
    int32_t NextAutomaticId();

    std::map<int32_t, std::unique_ptr<ShaderProgram>> m_programs;
    int32_t m_nextAutomaticId = kAutomaticId;
    int32_t m_currentId = kNoProgram;
    ShaderProgram* m_current = nullptr;  // owned by m_programs
    Matrix4 m_world;
    Matrix3 m_worldRotation;
    Matrix4 m_view;
    Matrix4 m_texture;
    Matrix4 m_projection;
    UploadedMatrices m_uploaded;
    AsciiString m_platformFolder;  // the platform's own shader folder; none here
    int m_maxVertexUniformVectors = 128;
};

}  // namespace Varnok
