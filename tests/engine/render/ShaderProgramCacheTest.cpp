#include "engine/render/ShaderProgramCache.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/Renderer.h"
#include "engine/render/RenderTransforms.h"
#include "tests/engine/render/RenderTestEnvironment.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace Varnok {
namespace {

const char kPlainVertex[] =
    "attribute vec3 IN_position;\n"
    "void main() { gl_Position = vec4(IN_position, 1.0); }\n";
const char kPlainFragment[] =
    "precision mediump float;\n"
    "void main() { gl_FragColor = vec4(1.0); }\n";

// The fragment stage has a "tint" uniform only when TINT is defined.
const char kTintFragment[] =
    "precision mediump float;\n"
    "#ifdef TINT\n"
    "uniform vec4 tint;\n"
    "#endif\n"
    "void main() {\n"
    "#ifdef TINT\n"
    "    gl_FragColor = tint;\n"
    "#else\n"
    "    gl_FragColor = vec4(1.0);\n"
    "#endif\n"
    "}\n";

std::string FragmentWithUniform(const char* name) {
    return std::string("precision mediump float;\nuniform vec4 ") + name +
           ";\nvoid main() { gl_FragColor = " + name + "; }\n";
}

// Shader files in a temporary folder, mounted above the bundle's data for the
// length of a test. Each test builds its own cache, so ids start afresh.
class ShaderFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/varnok_shadersXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        m_mount = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(m_root.c_str(), true), FileSystemKey("test"), 5);
    }

    void TearDown() override {
        FileSystemRegistry::Get().Remove(m_mount);
        std::filesystem::remove_all(m_root);
    }

    void Write(const std::string& path, const std::string& text) {
        const std::filesystem::path full = std::filesystem::path(m_root) / path;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << text;
    }

    void WritePair(const std::string& base, const std::string& vertex,
                   const std::string& fragment) {
        Write(base + ".vs", vertex);
        Write(base + ".fs", fragment);
    }

    std::string m_root;
    FileSystem* m_mount = nullptr;
};

TEST_F(ShaderFilesTest, SameNameAndDefinesShareOneProgram) {
    WritePair("shaders/gles2/common/tinted", kPlainVertex, kTintFragment);
    ShaderProgramCache cache;

    ShaderProgram* plain = cache.FindOrCreate("tinted", ShaderProgramCache::kAutomaticId, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetId(), 5);
    EXPECT_EQ(cache.FindOrCreate("tinted", ShaderProgramCache::kAutomaticId, nullptr), plain);
    const std::vector<AsciiString> none;
    EXPECT_EQ(cache.FindOrCreate("tinted", 9, &none), plain);  // empty list == no list

    const std::vector<AsciiString> tint = {"TINT"};
    ShaderProgram* tinted = cache.FindOrCreate("tinted", ShaderProgramCache::kAutomaticId, &tint);
    ASSERT_NE(tinted, nullptr);
    EXPECT_EQ(tinted->GetId(), 6);
    EXPECT_EQ(cache.ProgramCount(), 2);
    // The define line came first, so the uniform exists only in this one.
    EXPECT_GE(tinted->GetUniformLocation("tint"), 0);
    EXPECT_EQ(plain->GetUniformLocation("tint"), -1);
    // Both list the declaration (the scan does not preprocess); only one has it.
    ASSERT_EQ(plain->GetDeclarations().size(), 2u);
    EXPECT_STREQ(plain->GetDeclarations()[1].name.c_str(), "tint");
    EXPECT_EQ(plain->GetDeclarations()[1].location, -1);
    ASSERT_EQ(tinted->GetDeclarations().size(), 2u);
    EXPECT_GE(tinted->GetDeclarations()[1].location, 0);

    const std::vector<AsciiString> two = {"TINT", "OTHER 2"};
    ShaderProgram* both = cache.FindOrCreate("tinted", ShaderProgramCache::kAutomaticId, &two);
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->GetId(), 7);
    EXPECT_EQ(cache.FindOrCreate("tinted", 4, &two), both);
}

TEST_F(ShaderFilesTest, SearchesTheFoldersInOrder) {
    // ".fs" missing beside the first ".vs": the common pair is taken.
    Write("shaders/gles2/split.vs", kPlainVertex);
    WritePair("shaders/gles2/common/split", kPlainVertex, FragmentWithUniform("fromcommon"));
    // Both files in the first folder, but one does not compile.
    WritePair("shaders/gles2/broken", kPlainVertex, "this is not GLSL\n");
    WritePair("shaders/gles2/common/broken", kPlainVertex, FragmentWithUniform("fromcommon"));
    // The platform-neutral folder wins over common.
    WritePair("shaders/gles2/both", kPlainVertex, FragmentWithUniform("fromgles2"));
    WritePair("shaders/gles2/common/both", kPlainVertex, FragmentWithUniform("fromcommon"));
    // Finally the name as it stands.
    WritePair("loose/own", kPlainVertex, FragmentWithUniform("fromname"));

    const struct {
        const char* name;
        const char* uniform;
    } cases[] = {
        {"split", "fromcommon"},
        {"broken", "fromcommon"},
        {"both", "fromgles2"},
        {"loose/own", "fromname"},
    };
    ShaderProgramCache cache;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShaderProgram* program = cache.FindOrCreate(c.name, ShaderProgramCache::kAutomaticId, nullptr);
        ASSERT_NE(program, nullptr);
        EXPECT_GE(program->GetUniformLocation(c.uniform), 0);
    }
}

TEST_F(ShaderFilesTest, CollectsDeclaredInputs) {
    WritePair("shaders/gles2/common/decl",
              "attribute vec3 IN_position;\n"
              "attribute highp vec2 IN_uv;\n"
              "uniform highp vec4 bones[30];\n"
              "\tuniform mat4 worldmatrix ;\n"
              "#if 0\n"
              "uniform highp oddity;\n"
              "#endif\n"
              "void main() {\n"
              "    gl_Position = worldmatrix * (bones[0] + vec4(IN_position + vec3(IN_uv, 0.0), 1.0));\n"
              "}\n",
              // Carriage returns, and no newline after the last line.
              "precision mediump float;\r\n"
              "uniform lowp vec4 displaycolour;\r\n"
              "void main() { gl_FragColor = displaycolour; }\r\n"
              "uniform vec4 late;");
    ShaderProgramCache cache;
    ShaderProgram* program = cache.FindOrCreate("decl", ShaderProgramCache::kAutomaticId, nullptr);
    ASSERT_NE(program, nullptr);

    const struct {
        const char* type;
        const char* name;
        bool isAttribute;
        bool used;
    } expected[] = {
        {"vec3", "IN_position", true, true},  {"vec2", "IN_uv", true, true},
        {"vec4", "bones", false, true},       {"mat4", "worldmatrix", false, true},
        {"highp", "oddity", false, false},    {"vec4", "displaycolour", false, true},
        {"vec4", "late", false, false},
    };
    const std::vector<ShaderDeclaration>& declarations = program->GetDeclarations();
    ASSERT_EQ(declarations.size(), std::size(expected));
    for (size_t i = 0; i < declarations.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_STREQ(declarations[i].type.c_str(), expected[i].type);
        EXPECT_STREQ(declarations[i].name.c_str(), expected[i].name);
        EXPECT_EQ(declarations[i].isAttribute, expected[i].isAttribute);
        EXPECT_EQ(declarations[i].location >= 0, expected[i].used);
    }
    const ShaderLocations& l = program->GetLocations();
    EXPECT_EQ(l.worldMatrix, declarations[3].location);
    EXPECT_EQ(l.position, declarations[0].location);
    EXPECT_GE(l.displayColour, 0);
    EXPECT_EQ(l.viewMatrix, -1);
    EXPECT_EQ(l.vertexColour, -1);
}

TEST_F(ShaderFilesTest, KeepsTheLastByteOfAFile) {
    // Without a final newline the closing brace is the last byte.
    WritePair("shaders/gles2/common/tight", "attribute vec3 IN_position;\nvoid main() { gl_Position = vec4(IN_position, 1.0); }",
              "precision mediump float;\nvoid main() { gl_FragColor = vec4(1.0); }");
    ShaderProgramCache cache;
    EXPECT_NE(cache.FindOrCreate("tight", ShaderProgramCache::kAutomaticId, nullptr), nullptr);
}

TEST_F(ShaderFilesTest, FailuresStoreNothing) {
    Write("shaders/gles2/common/halfpair.vs", kPlainVertex);
    WritePair("shaders/gles2/common/badsyntax", kPlainVertex, "void main() { oops }\n");
    // The fragment stage reads a varying that the vertex stage never writes.
    WritePair("shaders/gles2/common/badlink", kPlainVertex,
              "precision mediump float;\nvarying vec4 v_missing;\n"
              "void main() { gl_FragColor = v_missing; }\n");

    ShaderProgramCache cache;
    for (const char* name : {"missing", "halfpair", "badsyntax", "badlink"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(cache.FindOrCreate(name, ShaderProgramCache::kAutomaticId, nullptr), nullptr);
        EXPECT_EQ(cache.ProgramCount(), 0);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderFilesTest, RefusesAnIdThatIsTaken) {
    WritePair("shaders/gles2/common/first", kPlainVertex, kPlainFragment);
    WritePair("shaders/gles2/common/second", kPlainVertex, FragmentWithUniform("colour"));
    ShaderProgramCache cache;
    ShaderProgram* first = cache.FindOrCreate("first", 6, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.FindOrCreate("second", 6, nullptr), nullptr);
    EXPECT_EQ(cache.ProgramCount(), 1);
    ASSERT_TRUE(cache.Use(6));
    EXPECT_EQ(cache.GetCurrentProgram(), first);
    cache.Unbind();

    // Automatic ids step over the one given explicitly.
    ShaderProgram* second = cache.FindOrCreate("second", ShaderProgramCache::kAutomaticId, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetId(), 5);
    const std::vector<AsciiString> define = {"X"};
    ShaderProgram* third = cache.FindOrCreate("second", ShaderProgramCache::kAutomaticId, &define);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->GetId(), 7);
    EXPECT_EQ(cache.FindOrCreate("first", -1, &define), nullptr);
}

GLint CurrentGlProgram() {
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

bool AttribArrayEnabled(int32_t location) {
    GLint enabled = 0;
    glGetVertexAttribiv(static_cast<GLuint>(location), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    return enabled != 0;
}

Matrix4 Translation(float x, float y, float z) {
    Matrix4 m;
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

class ShaderProgramUseTest : public ::testing::Test {
protected:
    void TearDown() override {
        Renderer::Get().SetColour(kColourWhite);
        m_cache.Unbind();
    }

    ShaderProgramCache m_cache;
};

TEST_F(ShaderProgramUseTest, SendsOnlyWhatChangedToTheCurrentProgram) {
    ShaderProgram* program =
        m_cache.FindOrCreate("gles1_vertex_unlit", ShaderProgramCache::kUnlitProgram, nullptr);
    ASSERT_NE(program, nullptr);
    const ShaderLocations& l = program->GetLocations();
    m_cache.SetWorldMatrix(Translation(1, 2, 3));
    m_cache.SetViewMatrix(Matrix4::Identity());
    m_cache.SetProjectionMatrix(Matrix4::Identity());
    m_cache.SetTextureMatrix(Matrix4::Identity());
    Renderer::Get().SetColour(Colour(10, 20, 30, 40));

    ASSERT_TRUE(m_cache.Use(ShaderProgramCache::kUnlitProgram));
    EXPECT_EQ(CurrentGlProgram(), static_cast<GLint>(program->GetGLProgram()));
    EXPECT_TRUE(program->IsBound());
    for (int32_t location : {l.position, l.uv, l.vertexColour}) {
        EXPECT_TRUE(AttribArrayEnabled(location));
    }
    float values[16];
    glGetUniformfv(program->GetGLProgram(), l.worldMatrix, values);
    EXPECT_EQ(values[12], 1.0f);
    EXPECT_EQ(values[14], 3.0f);
    glGetUniformfv(program->GetGLProgram(), l.displayColour, values);
    EXPECT_EQ(values[0], 10.0f);  // 0..255, not 0..1
    EXPECT_EQ(values[3], 40.0f);

    // Behind the cache's back: a later apply of unchanged matrices must not
    // overwrite this, while the display colour always goes.
    const Matrix4 marker = Translation(-7, -7, -7);
    glUniformMatrix4fv(l.worldMatrix, 1, GL_FALSE, marker.m);
    Renderer::Get().SetColour(Colour(50, 60, 70, 80));
    ASSERT_TRUE(m_cache.Use(ShaderProgramCache::kUnlitProgram));
    glGetUniformfv(program->GetGLProgram(), l.worldMatrix, values);
    EXPECT_EQ(values[12], -7.0f);
    glGetUniformfv(program->GetGLProgram(), l.displayColour, values);
    EXPECT_EQ(values[0], 50.0f);

    m_cache.SetWorldMatrix(Translation(4, 5, 6));
    ASSERT_TRUE(m_cache.Use(ShaderProgramCache::kUnlitProgram));
    glGetUniformfv(program->GetGLProgram(), l.worldMatrix, values);
    EXPECT_EQ(values[12], 4.0f);
}

TEST_F(ShaderProgramUseTest, WorldRotationIsTheNormalisedRows) {
    Matrix4 world;
    Matrix4::Scale(world, 2.0f, 2.0f, 2.0f);
    Matrix4::RotateZ(world, 0.6f, 0.8f);
    world.m[12] = 9.0f;
    m_cache.SetWorldMatrix(world);
    const Matrix3& rotation = m_cache.GetWorldRotation();
    for (int row = 0; row < 3; ++row) {
        const float* r = &rotation.m[3 * row];
        EXPECT_NEAR(r[0] * r[0] + r[1] * r[1] + r[2] * r[2], 1.0f, 1e-6f);
        for (int column = 0; column < 3; ++column) {
            EXPECT_NEAR(r[column] * 2.0f, world.m[4 * row + column], 1e-6f);
        }
    }
}

TEST_F(ShaderProgramUseTest, UnknownIdUnbindsAndRefuses) {
    ShaderProgram* program =
        m_cache.FindOrCreate("gles1_vertex_unlit", ShaderProgramCache::kUnlitProgram, nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_FALSE(m_cache.Use(ShaderProgramCache::kNoProgram));  // nothing current yet
    ASSERT_TRUE(m_cache.Use(ShaderProgramCache::kUnlitProgram));

    EXPECT_FALSE(m_cache.Use(99));
    EXPECT_EQ(m_cache.GetCurrentProgram(), nullptr);
    EXPECT_EQ(m_cache.GetCurrentProgramId(), ShaderProgramCache::kNoProgram);
    EXPECT_EQ(CurrentGlProgram(), 0);
    EXPECT_FALSE(program->IsBound());
    EXPECT_FALSE(AttribArrayEnabled(program->GetLocations().position));
    EXPECT_FALSE(m_cache.Use(ShaderProgramCache::kNoProgram));
}

TEST_F(ShaderProgramUseTest, ReleaseForgetsTheCurrentProgram) {
    bool listed = false;
    for (GLResource* r = GLResource::GetFirst(); r != nullptr; r = r->GetNext()) {
        listed = listed || r == &m_cache;
    }
    EXPECT_TRUE(listed);

    ASSERT_NE(m_cache.FindOrCreate("gles1_vertex_simple2d", 3, nullptr), nullptr);
    ASSERT_TRUE(m_cache.Use(3));
    m_cache.Release();
    EXPECT_EQ(m_cache.ProgramCount(), 0);
    EXPECT_EQ(m_cache.GetCurrentProgram(), nullptr);
    EXPECT_EQ(CurrentGlProgram(), 0);
    EXPECT_FALSE(m_cache.Use(3));
    // Built again on demand.
    ASSERT_NE(m_cache.FindOrCreate("gles1_vertex_simple2d", 3, nullptr), nullptr);
    EXPECT_TRUE(m_cache.Use(3));
}

// The engine's 48-byte vertex: position, normal, colour 0..255, texcoords.
struct Vertex {
    float position[3];
    float normal[3];
    float colour[4];
    float uv[2];
};
static_assert(sizeof(Vertex) == 48, "the immediate vertex layout");

void DrawQuad(const ShaderProgram& program, const float colour[4]) {
    Vertex quad[4] = {};
    const float corners[4][2] = {{-0.5f, 0.5f}, {-0.5f, -0.5f}, {0.5f, 0.5f}, {0.5f, -0.5f}};
    for (int i = 0; i < 4; ++i) {
        quad[i].position[0] = corners[i][0];
        quad[i].position[1] = corners[i][1];
        quad[i].normal[2] = 1.0f;
        for (int c = 0; c < 4; ++c) {
            quad[i].colour[c] = colour[c];
        }
        quad[i].uv[0] = corners[i][0] + 0.5f;
        quad[i].uv[1] = corners[i][1] + 0.5f;
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const ShaderLocations& l = program.GetLocations();
    const char* base = reinterpret_cast<const char*>(quad);
    glVertexAttribPointer(l.position, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), base);
    if (l.vertexColour >= 0) {
        glVertexAttribPointer(l.vertexColour, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), base + 24);
    }
    if (l.uv >= 0) {
        glVertexAttribPointer(l.uv, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), base + 40);
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

TEST(BuiltInPrograms, DrawThroughTheSceneMatrices) {
    RenderTest::UseTestTarget();
    Renderer& renderer = Renderer::Get();
    renderer.SetBlendEnable(false);
    renderer.SetDepthTest(false);
    renderer.SetCullMode(kCullOff);

    // A white 1 x 1 texture for the textured programs.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t white[4] = {255, 255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    // One unit is one pixel; the world matrix scales the unit quad to 16
    // pixels and moves it up and right of the centre.
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Reset();
    transforms.SetOrthographic(32, -32, -32, 32, -1, 1);
    Matrix4& world = transforms.World().Current();
    world.m[0] = 16.0f;
    world.m[5] = 16.0f;
    world.m[12] = 16.0f;
    world.m[13] = 16.0f;
    transforms.Apply(false);

    const struct {
        int32_t id;
        Colour display;
        float vertexColour[4];
        RenderTest::Rgba expected;
    } cases[] = {
        {ShaderProgramCache::kUnlitProgram, kColourWhite, {0, 0, 255, 255}, {0, 0, 255, 255}},
        {ShaderProgramCache::kUnlitNoTextureProgram, kColourWhite, {255, 0, 0, 255}, {255, 0, 0, 255}},
        {ShaderProgramCache::kSimple2DProgram, kColourGreen, {0, 0, 0, 0}, {0, 255, 0, 255}},
        // The display colour tints vertex colours too.
        {ShaderProgramCache::kUnlitNoTextureProgram, Colour(255, 0, 255, 255), {255, 255, 0, 255}, {255, 0, 0, 255}},
    };
    ShaderProgramCache& cache = ShaderProgramCache::Get();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.SetColour(c.display);
        ASSERT_TRUE(cache.Use(c.id));
        DrawQuad(*cache.GetCurrentProgram(), c.vertexColour);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

        const RenderTest::Rgba inside = RenderTest::ReadPixel(48, 48);
        EXPECT_NEAR(inside.r, c.expected.r, 2);
        EXPECT_NEAR(inside.g, c.expected.g, 2);
        EXPECT_NEAR(inside.b, c.expected.b, 2);
        // Pixels 40..55 are covered; the opposite quarter and just left of
        // the quad's edge stay clear.
        for (const auto& p : {RenderTest::ReadPixel(16, 16), RenderTest::ReadPixel(37, 48)}) {
            EXPECT_EQ(p.r + p.g + p.b, 0);
        }
    }
    cache.Unbind();
    renderer.SetColour(kColourWhite);
    glDeleteTextures(1, &texture);
    transforms.Reset();
    transforms.Apply(false);
}

TEST(BuiltInPrograms, CompileWithDefinesInFront) {
    ShaderProgramCache& cache = ShaderProgramCache::Get();
    const std::vector<AsciiString> defines = {"VARNOK_UNUSED_DEFINE", "VARNOK_LEVEL 2"};
    const char* names[] = {"gles1_vertex_unlit", "gles1_vertex_unlit_notexture",
                           "gles1_vertex_simple2d"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        ShaderProgram* plain = cache.FindOrCreate(name, ShaderProgramCache::kAutomaticId, nullptr);
        ASSERT_NE(plain, nullptr);
        EXPECT_LT(plain->GetId(), 4);  // the renderer made it already
        ShaderProgram* defined = cache.FindOrCreate(name, ShaderProgramCache::kAutomaticId, &defines);
        ASSERT_NE(defined, nullptr);
        EXPECT_NE(defined, plain);
        EXPECT_GT(defined->GetId(), 4);
        EXPECT_EQ(defined->GetLocations().position, plain->GetLocations().position);
    }
}

}  // namespace
}  // namespace Varnok
