// Program lookup by id, the current program, and the scene matrices.
#include "engine/render/ShaderProgramCache.h"

#include "engine/core/Log.h"

#include <GLES2/gl2.h>

#include <utility>

namespace Varnok {
namespace {

constexpr int kMinVertexUniformVectors = 128;
constexpr int kMaxVertexUniformVectors = 304;

Matrix4 ZeroMatrix4() {
    Matrix4 matrix;
    for (float& element : matrix.m) {
        element = 0.0f;
    }
    return matrix;
}

}  // namespace

ShaderProgramCache::ShaderProgramCache()
    : m_world(ZeroMatrix4()),
      m_view(ZeroMatrix4()),
      m_texture(ZeroMatrix4()),
      m_projection(ZeroMatrix4()) {
    for (float& element : m_worldRotation.m) {
        element = 0.0f;
    }
    GLint vectors = 0;
    glGetIntegerv(GL_MAX_VERTEX_UNIFORM_VECTORS, &vectors);
    if (vectors < kMinVertexUniformVectors) {
        vectors = kMinVertexUniformVectors;
    } else if (vectors > kMaxVertexUniformVectors) {
        vectors = kMaxVertexUniformVectors;
    }
    m_maxVertexUniformVectors = vectors;
}

ShaderProgramCache::~ShaderProgramCache() {
    m_current = nullptr;
    m_programs.clear();
}

ShaderProgramCache& ShaderProgramCache::Get() {
    static ShaderProgramCache cache;
    return cache;
}

ShaderProgram* ShaderProgramCache::FindOrCreate(const char* name, int32_t id,
                                                const std::vector<AsciiString>* defines) {
    if (name == nullptr) {
        Log("ShaderProgramCache: program without a name refused");
        return nullptr;
    }
    for (const auto& entry : m_programs) {
        if (entry.second->Matches(name, defines)) {
            return entry.second.get();
        }
    }
    if (id == kAutomaticId) {
        id = NextAutomaticId();
    } else if (id < 0) {
        Log("ShaderProgramCache: id %d for \"%s\" refused", id, name);
        return nullptr;
    } else {
        const auto taken = m_programs.find(id);
        if (taken != m_programs.end()) {
            // Replacing would leave users of the old id drawing with the new
            // program; keeping both is impossible.
            Log("ShaderProgramCache: id %d is taken by \"%s\", \"%s\" refused", id,
                taken->second->GetName().c_str(), name);
            return nullptr;
        }
    }

    auto program = std::make_unique<ShaderProgram>(*this, name, id, defines);
    if (!program->Link(m_platformFolder)) {
        return nullptr;
    }
    ShaderProgram* stored = program.get();
    m_programs.emplace(id, std::move(program));
    return stored;
}

int32_t ShaderProgramCache::NextAutomaticId() {
    // Skip ids that were given explicitly.
    do {
        ++m_nextAutomaticId;
    } while (m_programs.count(m_nextAutomaticId) != 0);
    return m_nextAutomaticId;
}

bool ShaderProgramCache::Use(int32_t id) {
    if (m_current != nullptr && id == m_currentId) {
        m_current->ApplyUniforms(false);
        return true;
    }
    Unbind();
    const auto found = m_programs.find(id);
    if (found == m_programs.end()) {
        Log("ShaderProgramCache: no program %d to use", id);
        return false;
    }
    m_current = found->second.get();
    m_currentId = id;
    m_current->Bind();
    m_current->ApplyUniforms(true);
    return true;
}

void ShaderProgramCache::Unbind() {
    if (m_current != nullptr) {
        m_current->Unbind();
    }
    m_current = nullptr;
    m_currentId = kNoProgram;
}

void ShaderProgramCache::SetWorldMatrix(const Matrix4& matrix) {
    m_world = matrix;
    for (int row = 0; row < 3; ++row) {
        Vector3 axis{matrix.m[4 * row], matrix.m[4 * row + 1], matrix.m[4 * row + 2]};
        axis.Normalise();
        m_worldRotation.m[3 * row] = axis.x;
        m_worldRotation.m[3 * row + 1] = axis.y;
        m_worldRotation.m[3 * row + 2] = axis.z;
    }
}

void ShaderProgramCache::Release() {
    // The current program goes with the rest, so nothing may point at it.
    Unbind();
    m_programs.clear();
}

void ShaderProgramCache::Restore() {
    m_current = nullptr;
    m_currentId = kNoProgram;
}

}  // namespace Varnok
