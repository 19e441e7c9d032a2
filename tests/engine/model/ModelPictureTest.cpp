// Models of both file formats loaded through LoadModel, drawn headless in
// depth order, and compared with reference pictures.
#include "engine/model/MeshModel.h"
#include "engine/render/Renderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/ShaderProgramCache.h"
#include "tests/engine/render/TextureFixtures.h"
#include "tools/make_models/BinModelWriter.h"
#include "tools/make_models/NodeModelWriter.h"
#include "tools/make_models/SimpleModels.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

using namespace ModelTool;
using TextureFixture::ExpectFrameMatches;
using TextureFixture::MountedFolder;

constexpr int kTolerance = 3;

class ModelPicture : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        Renderer& renderer = Renderer::Get();
        renderer.SetBlendEnable(false);
        // Without a depth test the picture shows the drawing order.
        renderer.SetDepthTest(false);
        renderer.SetCullMode(kCullOff);
        renderer.SetColour(kColourWhite);
        RenderTransforms& transforms = RenderTransforms::Get();
        transforms.Reset();
        // 45 degrees high, from 4 units out on +z.
        transforms.SetPerspective(std::sin(0.3927f), std::cos(0.3927f), 1.0f, 0.5f, 20.0f);
        transforms.SetLookAt(Vector3{0, 0, 4}, Vector3{0, 1, 0}, Vector3{0, 0, 0});
        transforms.Apply(false);

        const struct {
            const char* path;
            RgbaPicture picture;
        } textures[] = {{kSkinTexture, MakeSkinPicture()},
                        {kFleshTexture, MakeFleshPicture()},
                        {kCubeTexture, MakeCubePicture()}};
        for (const auto& texture : textures) {
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(WriteTexPicture(texture.picture, bytes));
            m_folder.Write(texture.path, bytes);
        }
        glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
        glClearColor(0.1f, 0.1f, 0.3f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void TearDown() override {
        ShaderProgramCache::Get().Unbind();
        RenderTransforms::Get().Reset();
    }

    // Turned by the angles (radians) about y, then x.
    static Matrix4 Turn(float aboutY, float aboutX) {
        Matrix4 world;
        Matrix4::RotateY(world, std::sin(aboutY), std::cos(aboutY));
        Matrix4::RotateX(world, std::sin(aboutX), std::cos(aboutX));
        return world;
    }

    MountedFolder m_folder;
};

TEST_F(ModelPicture, BinaryModelHalvesInDepthOrder) {
    m_folder.Write("models/sphere_halves.binmodel", WriteBinModel(MakeSphereHalves()));
    SmartPtr<MeshModel> model =
        LoadModel(ModelLoadList::Get(), "models/Sphere_Halves.BINMODEL");
    ASSERT_TRUE(model);
    ASSERT_EQ(model->GetMeshCount(), 2);
    DrawSortedByDepth(*model, Turn(0.9f, 0.5f));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ExpectFrameMatches("binmodel_halves.png", kTolerance);
}

TEST_F(ModelPicture, NodeTreeModelHalvesInDepthOrder) {
    m_folder.Write("models/sphere_halves.mmd", WriteNodeModel(MakeSphereHalves()));
    SmartPtr<MeshModel> model = LoadModel(ModelLoadList::Get(), "models/sphere_halves.mmd");
    ASSERT_TRUE(model);
    ASSERT_EQ(model->GetMeshCount(), 2);
    DrawSortedByDepth(*model, Turn(-0.9f, -0.5f));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ExpectFrameMatches("mmd_halves.png", kTolerance);
}

TEST_F(ModelPicture, MissingNodeTreeFileFallsBackToTheBinaryOne) {
    m_folder.Write("models/cube.binmodel", WriteBinModel(MakeCube()));
    SmartPtr<MeshModel> model = LoadModel(ModelLoadList::Get(), "models/cube.mmd");
    ASSERT_TRUE(model);
    EXPECT_STREQ(model->GetName().c_str(), "models/cube.binmodel");
    DrawSortedByDepth(*model, Turn(0.6f, 0.4f));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ExpectFrameMatches("binmodel_cube.png", kTolerance);
}

}  // namespace
}  // namespace Varnok
