// Finding, compiling and linking a program's sources, and its uniform upload.
#include "engine/render/ShaderProgram.h"

#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Log.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgramCache.h"

#include <GLES2/gl2.h>

#include <cstring>
#include <string>

namespace Varnok {
namespace {

bool IsPrecisionWord(const std::string& word) {
    return word == "mediump" || word == "lowp" || word == "highp";
}

// One `uniform` or `attribute` line to a declaration; false for any other line.
bool ParseDeclaration(std::string line, ShaderDeclaration& outDeclaration) {
    std::vector<std::string> words;
    std::string word;
    for (char& c : line) {
        if (c == ';') {
            c = ' ';
        }
        // Splitting at '[' also cuts an array size off the name.
        if (c == ' ' || c == '\t' || c == '[') {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    if (words.size() < 3 || (words[0] != "uniform" && words[0] != "attribute")) {
        return false;
    }
    const bool precision = IsPrecisionWord(words[1]) && words.size() > 3;
    outDeclaration.type = words[precision ? 2 : 1].c_str();
    outDeclaration.name = words[precision ? 3 : 2].c_str();
    outDeclaration.location = -1;
    outDeclaration.isAttribute = words[0] == "attribute";
    return true;
}

void CollectDeclarations(const std::string& text, std::vector<ShaderDeclaration>& declarations) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();  // the last line counts even without a newline
        }
        ShaderDeclaration declaration;
        if (ParseDeclaration(text.substr(start, end - start), declaration)) {
            declarations.push_back(declaration);
        }
        start = end + 1;
    }
}

std::string OneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\0')) {
        text.pop_back();
    }
    for (char& c : text) {
        if (c == '\n') {
            c = ' ';
        }
    }
    return text;
}

std::string ShaderInfoLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        return std::string();
    }
    std::string log(static_cast<size_t>(length), '\0');
    glGetShaderInfoLog(shader, length, nullptr, &log[0]);
    return OneLine(log);
}

std::string ProgramInfoLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        return std::string();
    }
    std::string log(static_cast<size_t>(length), '\0');
    glGetProgramInfoLog(program, length, nullptr, &log[0]);
    return OneLine(log);
}

// Reads the file, puts one "#define" line per define in front and compiles
// it. The shader's GL name, or 0 (with a log line) when the file cannot be
// read or does not compile.
GLuint CompileStage(const AsciiString& path, GLenum stage,
                    std::vector<ShaderDeclaration>& declarations,
                    const std::vector<AsciiString>& defines) {
    std::string text;
    for (const AsciiString& define : defines) {
        text += "#define ";
        text += define.c_str();
        text += '\n';
    }
    FileObject file(path.c_str(), kOpenRead);
    if (!file.Open()) {
        Log("ShaderProgram: cannot open \"%s\"", path.c_str());
        return 0;
    }
    const int32_t length = file.GetLength();
    const size_t prefix = text.size();
    text.resize(prefix + static_cast<size_t>(length > 0 ? length : 0));
    if (length > 0 && !file.Read(&text[prefix], length)) {
        Log("ShaderProgram: cannot read \"%s\"", path.c_str());
        return 0;
    }
    file.Close();
    for (char& c : text) {
        if (c == '\r') {
            c = ' ';
        }
    }

    const GLuint shader = glCreateShader(stage);
    const char* source = text.c_str();
    const GLint sourceLength = static_cast<GLint>(text.size());
    glShaderSource(shader, 1, &source, &sourceLength);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        Log("ShaderProgram: \"%s\" does not compile: %s", path.c_str(),
            ShaderInfoLog(shader).c_str());
        glDeleteShader(shader);
        return 0;
    }
    CollectDeclarations(text, declarations);
    return shader;
}

bool SameMatrix(const Matrix4& a, const Matrix4& b) {
    return std::memcmp(a.m, b.m, sizeof(a.m)) == 0;
}

// Uploads `matrix` to `location` when forced or when it differs from what was
// last sent; answers whether it did.
bool UploadMatrix(int32_t location, const Matrix4& matrix, Matrix4& lastUploaded, bool forced) {
    if (location < 0 || (!forced && SameMatrix(matrix, lastUploaded))) {
        return false;
    }
    // Row-major with row vectors is exactly GL's column-major layout.
    glUniformMatrix4fv(location, 1, GL_FALSE, matrix.m);
    lastUploaded = matrix;
    return true;
}

}  // namespace

ShaderProgram::ShaderProgram(ShaderProgramCache& cache, const char* name, int32_t id,
                             const std::vector<AsciiString>* defines)
    : m_cache(cache), m_id(id), m_name(name) {
    if (defines != nullptr) {
        m_defines = *defines;
    }
}

ShaderProgram::~ShaderProgram() {
    Release();
}

bool ShaderProgram::Link(const AsciiString& platformFolder) {
    // The platform's own folder first, then the shared ones, then the name as
    // it stands. Without a platform folder the first would name the second.
    std::vector<AsciiString> candidates;
    if (!platformFolder.IsEmpty()) {
        AsciiString own = "shaders/gles2/";
        own.AppendString(platformFolder);
        own.Append("/");
        own.AppendString(m_name);
        candidates.push_back(own);
    }
    for (const char* folder : {"shaders/gles2/", "shaders/gles2/common/", ""}) {
        AsciiString base = folder;
        base.AppendString(m_name);
        candidates.push_back(base);
    }

    bool foundPair = false;
    for (const AsciiString& base : candidates) {
        AsciiString vertexPath = base;
        vertexPath.Append(".vs");
        AsciiString fragmentPath = base;
        fragmentPath.Append(".fs");
        if (!FileExists(vertexPath.c_str(), 0) || !FileExists(fragmentPath.c_str(), 0)) {
            continue;
        }
        foundPair = true;
        m_declarations.clear();
        const GLuint vertex = CompileStage(vertexPath, GL_VERTEX_SHADER, m_declarations, m_defines);
        const GLuint fragment =
            CompileStage(fragmentPath, GL_FRAGMENT_SHADER, m_declarations, m_defines);
        if (vertex == 0 || fragment == 0) {
            // One failing stage sends the search on to the next folder.
            glDeleteShader(vertex);
            glDeleteShader(fragment);
            continue;
        }

        const GLuint program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            Log("ShaderProgram: \"%s\" does not link: %s", base.c_str(),
                ProgramInfoLog(program).c_str());
            glDeleteProgram(program);
            glDeleteShader(vertex);
            glDeleteShader(fragment);
            m_declarations.clear();
            return false;
        }
        m_vertexShader = vertex;
        m_fragmentShader = fragment;
        m_program = program;
        m_bound = false;
        QueryLocations();
        return true;
    }
    // A pair that did not compile has said so already.
    if (!foundPair) {
        Log("ShaderProgram: no shader files \"%s.vs\" and \"%s.fs\"", m_name.c_str(),
            m_name.c_str());
    }
    m_declarations.clear();
    return false;
}

bool ShaderProgram::Matches(const char* name, const std::vector<AsciiString>* defines) const {
    if (std::strcmp(m_name.c_str(), name) != 0) {
        return false;
    }
    if (defines == nullptr) {
        return m_defines.empty();
    }
    if (defines->size() != m_defines.size()) {
        return false;
    }
    for (size_t i = 0; i < m_defines.size(); ++i) {
        if (std::strcmp(m_defines[i].c_str(), (*defines)[i].c_str()) != 0) {
            return false;
        }
    }
    return true;
}

void ShaderProgram::QueryLocations() {
    const GLuint program = m_program;
    ShaderLocations& l = m_locations;
    l.viewMatrix = glGetUniformLocation(program, "viewmatrix");
    l.projectionMatrix = glGetUniformLocation(program, "projectionmatrix");
    l.textureMatrix = glGetUniformLocation(program, "texturematrix");
    l.worldMatrix = glGetUniformLocation(program, "worldmatrix");
    l.worldMatrixRot = glGetUniformLocation(program, "worldmatrixrot");
    l.position = glGetAttribLocation(program, "IN_position");
    l.normal = glGetAttribLocation(program, "IN_normal");
    l.tangent = glGetAttribLocation(program, "IN_tangent");
    l.bitangent = glGetAttribLocation(program, "IN_bitangent");
    l.vertexColour = glGetAttribLocation(program, "IN_vertexcolour");
    l.uv = glGetAttribLocation(program, "IN_uv");
    l.displayColour = glGetUniformLocation(program, "displaycolour");
    l.diffuseTexture = glGetUniformLocation(program, "diffusetexture");
    l.boneWeights = glGetAttribLocation(program, "IN_boneWeights");
    l.boneIndices = glGetAttribLocation(program, "IN_boneIndexs");
    for (ShaderDeclaration& declaration : m_declarations) {
        declaration.location = declaration.isAttribute
                                   ? glGetAttribLocation(program, declaration.name.c_str())
                                   : glGetUniformLocation(program, declaration.name.c_str());
    }
}

void ShaderProgram::Bind() {
    m_bound = true;
    glUseProgram(m_program);
    const ShaderLocations& l = m_locations;
    for (int32_t location : {l.position, l.normal, l.tangent, l.bitangent, l.vertexColour, l.uv,
                             l.boneIndices, l.boneWeights}) {
        if (location >= 0) {
            glEnableVertexAttribArray(static_cast<GLuint>(location));
        }
    }
}

void ShaderProgram::Unbind() {
    glUseProgram(0);
    const ShaderLocations& l = m_locations;
    for (int32_t location : {l.position, l.vertexColour, l.uv, l.normal, l.tangent, l.bitangent,
                             l.boneIndices, l.boneWeights}) {
        if (location >= 0) {
            glDisableVertexAttribArray(static_cast<GLuint>(location));
        }
    }
    m_bound = false;
}

void ShaderProgram::ApplyUniforms(bool forced) {
    const ShaderLocations& l = m_locations;
    if (forced && l.diffuseTexture >= 0) {
        glUniform1i(l.diffuseTexture, 0);
    }
    if (l.displayColour >= 0) {
        float rgba[4];
        Renderer::Get().GetColour().GetRGBAFloats(rgba);
        glUniform4f(l.displayColour, rgba[0], rgba[1], rgba[2], rgba[3]);
    }
    ShaderProgramCache& cache = m_cache;
    ShaderProgramCache::UploadedMatrices& uploaded = cache.GetUploadedMatrices();
    if (UploadMatrix(l.worldMatrix, cache.GetWorldMatrix(), uploaded.world, forced) &&
        l.worldMatrixRot >= 0) {
        glUniformMatrix3fv(l.worldMatrixRot, 1, GL_FALSE, cache.GetWorldRotation().m);
    }
    UploadMatrix(l.viewMatrix, cache.GetViewMatrix(), uploaded.view, forced);
    UploadMatrix(l.textureMatrix, cache.GetTextureMatrix(), uploaded.texture, forced);
    UploadMatrix(l.projectionMatrix, cache.GetProjectionMatrix(), uploaded.projection, forced);
}

int32_t ShaderProgram::GetUniformLocation(const char* name) const {
    return glGetUniformLocation(m_program, name);
}

void ShaderProgram::Release() {
    if (m_program != 0) {
        glDeleteProgram(m_program);
    }
    if (m_vertexShader != 0) {
        glDeleteShader(m_vertexShader);
    }
    if (m_fragmentShader != 0) {
        glDeleteShader(m_fragmentShader);
    }
    m_program = 0;
    m_vertexShader = 0;
    m_fragmentShader = 0;
    m_declarations.clear();
    m_bound = false;
}

}  // namespace Varnok
