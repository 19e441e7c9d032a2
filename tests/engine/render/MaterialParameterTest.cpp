#include "engine/render/MaterialParameter.h"

#include "engine/render/Effect.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture2D.h"
#include "engine/render/VertexSemantics.h"
#include "tests/engine/render/TextureFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

ParamDesc Decl(const char* name, ParamType type, int32_t count = 1) {
    return ParamDesc(MakeParamName(name), type, count);
}

std::vector<std::string> Names(const MaterialParamBlock& block) {
    std::vector<std::string> names;
    for (const MaterialParam& param : block.GetParams()) {
        names.push_back(param.GetNameText());
    }
    return names;
}

TEST(MaterialParamBlock, DeclaresOnlyWhatTheParentChainLacks) {
    const std::vector<ParamDesc> meshDecls = {Decl("World", ParamType::Matrix),
                                              Decl("View", ParamType::Matrix)};
    SmartPtr<MaterialParamBlock> mesh(new MaterialParamBlock(meshDecls, nullptr));

    const std::vector<ParamDesc> materialDecls = {
        Decl("World", ParamType::Matrix), Decl("Zeta", ParamType::Float, 2),
        Decl("DiffuseMap", ParamType::Texture2D), Decl("Alpha", ParamType::Float)};
    SmartPtr<MaterialParamBlock> material(new MaterialParamBlock(materialDecls, mesh));

    // Sorted by name; "World" is the parent's.
    EXPECT_EQ(Names(*material), (std::vector<std::string>{"Alpha", "DiffuseMap", "Zeta"}));
    MaterialParam* world = material->Find("World");
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->store, &mesh->GetStore());
    EXPECT_EQ(material->GetStore().GetCount(ParamType::Matrix), 0);
    // Indices follow the declaration order, not the sorted one.
    EXPECT_EQ(material->Find("Zeta")->index, 0);
    EXPECT_EQ(material->Find("Alpha")->index, 2);
    EXPECT_EQ(material->GetStore().GetCount(ParamType::Float), 3);

    // Names are compared as they are written.
    EXPECT_EQ(material->Find("diffusemap"), nullptr);
    EXPECT_EQ(material->Find("Missing"), nullptr);

    // A block whose every declaration the chain has owns nothing.
    SmartPtr<MaterialParamBlock> instance(new MaterialParamBlock(materialDecls, material));
    EXPECT_TRUE(instance->GetParams().empty());
    EXPECT_EQ(instance->GetStore().GetArray(ParamType::Float), nullptr);
    EXPECT_EQ(instance->Find("View"), mesh->Find("View"));
    EXPECT_EQ(instance->Find("Alpha"), material->Find("Alpha"));
}

TEST(MaterialParamBlock, ValuesLiveInTheDeclaringStore) {
    const std::vector<ParamDesc> decls = {Decl("Tint", ParamType::Vector3),
                                          Decl("Gain", ParamType::Float),
                                          Decl("DiffuseMap", ParamType::Texture2D),
                                          Decl("IsLit", ParamType::Bool)};
    SmartPtr<MaterialParamBlock> block(new MaterialParamBlock(decls, nullptr));
    MaterialParam* tint = block->Find("Tint");
    tint->GetFloats()[2] = 0.5f;
    *block->Find("Gain")->GetFloats() = 3.0f;
    *block->Find("IsLit")->GetBool() = 1;
    EXPECT_EQ(block->Find("Tint")->GetFloats()[2], 0.5f);
    EXPECT_EQ(*block->Find("Gain")->GetFloats(), 3.0f);

    // An element past its array reads and writes one shared element instead.
    MaterialParam outside = *block->Find("Gain");
    outside.index = 3;
    EXPECT_EQ(*outside.GetFloats(), 0.0f);
    *outside.GetFloats() = 7.0f;
    MaterialParam otherOutside = *tint;
    otherOutside.index = 5;
    EXPECT_EQ(otherOutside.GetFloats()[0], 7.0f);
    EXPECT_EQ(*block->Find("Gain")->GetFloats(), 3.0f);
    *outside.GetFloats() = 0.0f;

    // Texture references: only for Texture2D, and never kept in the shared element.
    SmartPtr<TextureSource> pixels(new MemoryBlockTextureSource(
        TextureFixture::Describe(TextureFixture::kRgba8, 1, 1), "\xff\xff\xff\xff", 4));
    SmartPtr<Texture> texture = Texture2D::Create(pixels, 0, 7);  // never uploads
    const int32_t held = texture->GetReferenceCount();
    MaterialParam* map = block->Find("DiffuseMap");
    EXPECT_TRUE(map->SetTexture(texture));
    EXPECT_EQ(texture->GetReferenceCount(), held + 1);
    SmartPtr<Texture> readBack;
    EXPECT_TRUE(map->GetTexture(readBack));
    EXPECT_EQ(readBack, texture);
    EXPECT_FALSE(block->Find("Gain")->SetTexture(texture));
    MaterialParam mapOutside = *map;
    mapOutside.index = 4;
    EXPECT_FALSE(mapOutside.SetTexture(texture));
    readBack = nullptr;
    block = nullptr;  // the store lets its references go
    EXPECT_EQ(texture->GetReferenceCount(), held);
}

TEST(VertexSemantics, NamesAndComponentSizes) {
    EXPECT_EQ(GetVertexSemantic(VertexSemantic::Position)->GetText(), "Position");
    EXPECT_EQ(GetVertexSemantic(VertexSemantic::Diffuse)->GetText(), "Diffuse");
    EXPECT_EQ(GetVertexSemantic(VertexSemantic::TexCoord0).Get(),
              GetVertexSemantic(VertexSemantic::TexCoord0).Get());

    const struct {
        uint32_t type;
        uint32_t size;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 2}, {4, 2}, {5, 4}, {7, 4}, {0x105, 4}, {0x1002, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(VertexElementTypeSize(c.type), c.size) << c.type;
    }
}

// Effects over shaders written into a mounted folder.
class EffectTest : public ::testing::Test {
protected:
    void WriteShader(const std::string& name, const std::string& vertexUniforms,
                     const std::string& vertexUse, const std::string& fragmentUniforms,
                     const std::string& fragmentUse) {
        m_folder.WriteText(name + ".vs", "attribute vec3 IN_position;\n"
                                         "uniform mat4 worldmatrix;\n" +
                                             vertexUniforms +
                                             "void main() {\n"
                                             "    gl_Position = worldmatrix * vec4(IN_position, 1.0)" +
                                             vertexUse + ";\n}\n");
        m_folder.WriteText(name + ".fs", "precision mediump float;\n" + fragmentUniforms +
                                             "void main() {\n    gl_FragColor = vec4(1.0)" +
                                             fragmentUse + ";\n}\n");
    }

    TextureFixture::MountedFolder m_folder;
};

TEST_F(EffectTest, DeclaresTheProgramsOwnUniforms) {
    WriteShader("fx/inputs", "uniform mediump vec4 Tint;\nuniform vec2 Offset;\n",
                " + Tint * vec4(Offset, 0.0, 0.0)",
                "uniform sampler2D DiffuseMap;\nuniform float Alpha;\nuniform vec4 Tint;\n",
                " * texture2D(DiffuseMap, vec2(0.5)) * Alpha * Tint");
    SmartPtr<Effect> effect = EffectCache::GetOrLoad("fx/inputs.fx", false, 0);
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->GetPath(), "fx/inputs.fx");
    ASSERT_EQ(effect->GetStreamSets().size(), 1u);
    EXPECT_EQ(effect->GetStreamSets()[0].slots[2].semantic->GetText(), "Diffuse");
    EXPECT_EQ(effect->GetStreamSets()[0].slots[4].semantic->GetText(), "TexCoord1");

    // The engine's own uniforms and attributes are not inputs; "Tint", in
    // both stages, is one.
    const struct {
        const char* name;
        ParamType type;
    } expected[] = {{"Tint", ParamType::Vector4},
                    {"Offset", ParamType::Vector2},
                    {"DiffuseMap", ParamType::Texture2D},
                    {"Alpha", ParamType::Float}};
    ASSERT_EQ(effect->GetInputs().size(), std::size(expected));
    ShaderProgram* program = ShaderProgramCache::Get().FindOrCreate("fx/inputs", 4, nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->GetId(), effect->GetProgram());
    for (size_t i = 0; i < std::size(expected); ++i) {
        const ParamDesc& input = effect->GetInputs()[i];
        EXPECT_STREQ(input.GetNameText(), expected[i].name);
        EXPECT_EQ(input.type, expected[i].type);
        EXPECT_EQ(input.count, 1);
        EXPECT_TRUE(input.locationKnown);
        EXPECT_EQ(input.location, program->GetUniformLocation(expected[i].name));
    }

    // Found again by path; loaded anew when the lookup is skipped.
    const int count = EffectCache::GetCount();
    EXPECT_EQ(EffectCache::GetOrLoad("fx/inputs.fx", false, 0), effect);
    SmartPtr<Effect> second = EffectCache::GetOrLoad("fx/inputs.fx", true, 0);
    ASSERT_TRUE(second);
    EXPECT_NE(second, effect);
    EXPECT_EQ(EffectCache::GetCount(), count + 1);

    // A path without shaders loads nothing.
    EXPECT_FALSE(EffectCache::GetOrLoad("fx/missing.fx", false, 0));
    EXPECT_EQ(EffectCache::GetCount(), count + 1);
}

TEST_F(EffectTest, TemplatesMergeInputsAndRefuseConflicts) {
    WriteShader("fx/a_float", "", "", "uniform float Alpha;\nuniform vec4 Tint;\n", " * Alpha * Tint");
    WriteShader("fx/b_vector", "", "", "uniform vec3 Alpha;\nuniform float Gain;\n",
                " * vec4(Alpha, Gain)");
    WriteShader("fx/c_tint", "", "", "uniform vec4 Tint;\nuniform float Gain;\n", " * Tint * Gain");
    SmartPtr<Effect> a = EffectCache::GetOrLoad("fx/a_float.fx", false, 0);
    SmartPtr<Effect> b = EffectCache::GetOrLoad("fx/b_vector.fx", false, 0);
    SmartPtr<Effect> c = EffectCache::GetOrLoad("fx/c_tint.fx", false, 0);
    ASSERT_TRUE(a && b && c);

    SmartPtr<MaterialTemplate> material(new MaterialTemplate());
    material->AddEffect(c);
    material->AddEffect(a);
    material->AddEffect(a);  // the same path again changes nothing
    material->AddEffect(nullptr);
    ASSERT_EQ(material->GetEffects().size(), 2u);
    EXPECT_EQ(material->GetEffects()[0], a);  // ordered by path
    EXPECT_EQ(material->GetEffects()[1], c);

    // "Alpha" as a vector conflicts: the effect stays out, and "Alpha" keeps
    // its type. Inputs merged before the conflict would stay.
    material->AddEffect(b);
    EXPECT_EQ(material->GetEffects().size(), 2u);
    std::vector<std::string> names;
    for (const ParamDesc& param : material->GetParams()) {
        names.push_back(param.GetNameText());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Gain", "Tint"}));
    EXPECT_EQ(material->GetParams()[0].type, ParamType::Float);

    EXPECT_FALSE(material->MergeParams({Decl("Beta", ParamType::Float), Decl("Tint", ParamType::Vector3),
                                        Decl("Zed", ParamType::Float)}));
    names.clear();
    for (const ParamDesc& param : material->GetParams()) {
        names.push_back(param.GetNameText());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "Gain", "Tint"}));
}

TEST_F(EffectTest, UniformLocationsBelongToOneProgram) {
    // "Tint" is used by the first program only; the second lacks it.
    WriteShader("fx/with_tint", "", "", "uniform vec4 Other;\nuniform vec4 Tint;\n", " * Other * Tint");
    WriteShader("fx/without_tint", "", "", "uniform vec4 Other;\n", " * Other");
    ShaderProgramCache& cache = ShaderProgramCache::Get();
    ShaderProgram* with = cache.FindOrCreate("fx/with_tint", 4, nullptr);
    ShaderProgram* without = cache.FindOrCreate("fx/without_tint", 4, nullptr);
    ASSERT_TRUE(with != nullptr && without != nullptr);
    ASSERT_GE(with->GetUniformLocation("Tint"), 0);

    // One parameter set from both programs in turn, as two passes of one
    // material would: each program gets its own location.
    ParamDesc tint = Decl("Tint", ParamType::Vector4);
    EXPECT_EQ(tint.UniformLocation(*with), with->GetUniformLocation("Tint"));
    EXPECT_EQ(tint.UniformLocation(*without), -1);
    EXPECT_EQ(tint.UniformLocation(*with), with->GetUniformLocation("Tint"));
}

TEST(DefaultMaterialTemplate, HoldsTheUnlitEffect) {
    SmartPtr<MaterialTemplate> material = GetDefaultMaterialTemplate();
    ASSERT_TRUE(material);
    ASSERT_EQ(material->GetEffects().size(), 1u);
    EXPECT_EQ(material->GetEffects()[0]->GetPath(), "shaders/gles2/common/gles1_vertex_unlit");
    EXPECT_EQ(GetDefaultMaterialTemplate(), material);
    // The unlit program's uniforms are all the engine's.
    EXPECT_TRUE(material->GetParams().empty());
}

}  // namespace
}  // namespace Varnok
