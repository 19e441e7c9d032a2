// Generated-mesh instances on a draw list, the core material's variants and
// buffers, and the collision sphere's debug model drawn with it.
#include "engine/core/WeakPtr.h"
#include "engine/model/CollisionVolume.h"
#include "engine/model/FarhavenCoreMaterial.h"
#include "engine/model/GeneratedModelInstance.h"
#include "engine/render/Renderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/ShaderProgramCache.h"
#include "tests/engine/render/TextureFixtures.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

std::vector<std::string> Texts(const std::vector<AsciiString>& defines) {
    std::vector<std::string> texts;
    for (const AsciiString& define : defines) {
        texts.emplace_back(define.c_str());
    }
    return texts;
}

TEST(GeneratedModelInstance, RecordsCopyTheSubMeshesAndMaterialsComeWithTheList) {
    GeneratedMesh mesh;
    for (const char* name : {"a", "b", "c"}) {
        auto subMesh = std::make_unique<GeneratedSubMesh>();
        subMesh->name = name;
        subMesh->material.SetDiffuseTexture("none");
        mesh.subMeshes.push_back(std::move(subMesh));
    }
    SmartPtr<GeneratedModelInstance> instance = GeneratedModelInstance::Create(mesh);
    WeakPtr<GeneratedModelInstance> watch(instance);
    ASSERT_EQ(instance->subMeshes.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const SubMeshInstance& record = instance->subMeshes[i];
        EXPECT_EQ(record.subMeshIndex, i);
        EXPECT_EQ(record.name, mesh.subMeshes[i]->name);
        EXPECT_FALSE(record.description.IsChanged());
        EXPECT_FALSE(record.material);
        EXPECT_EQ(record.owner, instance.Get());
    }

    ModelDrawList list;
    list.AddInstance(instance);
    const SmartPtr<FarhavenCoreMaterial> first = instance->subMeshes[0].material;
    ASSERT_TRUE(first);
    list.AddInstance(instance);
    EXPECT_EQ(list.GetInstances().size(), 1u);
    EXPECT_EQ(instance->subMeshes[0].material, first);
    list.RemoveInstance(instance.Get());
    EXPECT_TRUE(list.GetInstances().empty());
    EXPECT_EQ(instance->subMeshes[0].material, first);  // kept off the list
    list.AddInstance(instance);
    EXPECT_NE(instance->subMeshes[0].material, first);

    // Records do not hold their instance: once its holders let go it is gone.
    list.RemoveInstance(instance.Get());
    instance = nullptr;
    EXPECT_FALSE(watch.Lock());
}

TEST(FarhavenCoreMaterial, VariantDefinesAndTransparency) {
    MaterialDescription defaults;
    SmartPtr<FarhavenCoreMaterial> material(new FarhavenCoreMaterial(defaults));
    EXPECT_STREQ(material->GetName().c_str(), "Farhaven_CoreMaterial_STATIC");
    EXPECT_TRUE(material->RebuildVariant());
    EXPECT_EQ(Texts(material->GetDefines()),
              (std::vector<std::string>{"USE_STATIC", "USE_SPECULAR", "USE_IMAGE_BASED_LIGHTING"}));
    EXPECT_NE(material->GetProgram(), nullptr);
    EXPECT_FALSE(material->RebuildVariant());  // nothing changed
    EXPECT_FALSE(material->IsTransparent());
    EXPECT_TRUE(material->WritesDepth());
}

class CoreMaterialDraw : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
        glClearColor(0.1f, 0.1f, 0.3f, 1);
        glClearDepthf(1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Renderer::Get().SetDepthFunc(kCompareLessEqual);
        m_view.projection = BuildPerspectiveMatrix(std::sin(0.3927f), std::cos(0.3927f), 1.0f,
                                                   0.5f, 20.0f);
        Matrix43 lookAt;
        BuildLookAtMatrix(Vector3{0, 0, 4}, Vector3{0, 1, 0}, Vector3{0, 0, 0}, lookAt);
        m_view.view = Matrix4::FromMatrix43(lookAt.m);
        m_view.eyePosition = {0, 0, 4};
        m_view.eyeDirection = {0, 0, -1};
        // Light from above and the right: a constant term and a linear one.
        m_lighting.coefficients[0][0] = 0.6f;
        m_lighting.coefficients[0][1] = 0.5f;
        m_lighting.coefficients[0][2] = 0.3f;
        for (int k : {1, 3}) {
            m_lighting.coefficients[k][0] = m_lighting.coefficients[k][1] = 0.4f;
            m_lighting.coefficients[k][2] = 0.3f;
        }
        m_view.lighting = &m_lighting;
    }
    void TearDown() override {
        Renderer::Get().SetDepthTest(false);
        Renderer::Get().SetDepthWrite(true);
        ShaderProgramCache::Get().Unbind();
        RenderTransforms::Get().Reset();
    }

    void DrawList(const ModelDrawList& list) {
        for (const SmartPtr<GeneratedModelInstance>& instance : list.GetInstances()) {
            for (const SubMeshInstance& record : instance->subMeshes) {
                CoreDrawItem item;
                item.world = instance->world;
                record.material->Draw(false, m_view, item);
            }
        }
    }

    CoreLighting m_lighting;
    CoreMaterialView m_view;
};

TEST_F(CoreMaterialDraw, DebugSphereOfACollisionSphere) {
    ModelDrawList list;
    CollisionSphere sphere(Vector3{0.2f, -0.1f, 0.0f}, 1.2f);
    sphere.AttachDebugModel(list);
    ASSERT_EQ(list.GetInstances().size(), 1u);
    sphere.DebugDraw();
    EXPECT_FLOAT_EQ(sphere.GetDebugModel()->world.m[0], 1.2f);
    EXPECT_FLOAT_EQ(sphere.GetDebugModel()->world.m[12], 0.2f);

    DrawList(list);
    FarhavenCoreMaterial& material = *sphere.GetDebugModel()->subMeshes[0].material;
    const uint32_t vertexBuffer = material.GetVertexBuffer();
    ASSERT_NE(vertexBuffer, 0u);
    DrawList(list);  // buffers are made once
    EXPECT_EQ(material.GetVertexBuffer(), vertexBuffer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    TextureFixture::ExpectFrameMatches("debug_sphere.png", 3);

    // Releasing the GPU data deletes the buffers; the next draw makes new ones.
    material.ReleaseGpuData();
    EXPECT_FALSE(glIsBuffer(vertexBuffer));
    EXPECT_FALSE(material.BuffersCreated());
    DrawList(list);
    EXPECT_TRUE(material.BuffersCreated());

    sphere.DetachDebugModel(list);
    EXPECT_TRUE(list.GetInstances().empty());
    EXPECT_FALSE(sphere.GetDebugModel());
}

}  // namespace
}  // namespace Varnok
