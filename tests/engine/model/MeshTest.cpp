// Meshes, their materials and engine matrices, and depth-sorted drawing.
#include "engine/model/MeshModel.h"
#include "engine/render/RenderTransforms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace Varnok {
namespace {

// Records the order in which meshes are drawn.
class RecordingMesh : public Mesh {
public:
    RecordingMesh(const char* name, float centreZ, std::vector<float>* drawn)
        : Mesh(nullptr, name), m_z(centreZ), m_drawn(drawn) {
        MeshNodeRef ref;
        ref.nodeName = "none";
        ref.boundsMin = {0, 0, centreZ};
        ref.boundsMax = {0, 0, centreZ};
        SetNodeRefs(&ref, 1);
    }
    void Draw(const Matrix4&) override {
        m_drawn->push_back(m_z);
        if (inner != nullptr) {
            DrawSortedByDepth(*inner, Matrix4());
        }
    }
    const MeshModel* inner = nullptr;

private:
    float m_z;
    std::vector<float>* m_drawn;
};

class MeshDepth : public ::testing::Test {
protected:
    void SetUp() override { RenderTransforms::Get().Reset(); }  // identity view and projection
};

TEST_F(MeshDepth, DrawsFarthestFirst) {
    const struct {
        const char* what;
        std::vector<float> depths;
        std::vector<float> order;
    } cases[] = {
        {"three meshes", {0.9f, 0.2f, 0.5f}, {0.9f, 0.5f, 0.2f}},
        {"already sorted", {3.0f, 2.0f, 1.0f}, {3.0f, 2.0f, 1.0f}},
        {"one mesh draws without a depth", {0.4f}, {0.4f}},
        {"no meshes", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<float> drawn;
        MeshModel model("m");
        for (float depth : c.depths) {
            model.AddMesh(SmartPtr<Mesh>(new RecordingMesh("mesh", depth, &drawn)));
        }
        DrawSortedByDepth(model, Matrix4());
        EXPECT_EQ(drawn, c.order);
    }
}

TEST_F(MeshDepth, MorePairsThanTheScratchArrayAndNestedModels) {
    std::vector<float> drawn;
    MeshModel inner("inner");
    for (int i = 0; i < 3; ++i) {
        inner.AddMesh(SmartPtr<Mesh>(new RecordingMesh("in", 100.0f + i, &drawn)));
    }
    MeshModel model("big");
    const int count = kDepthSortScratchPairs + 100;
    for (int i = 0; i < count; ++i) {
        SmartPtr<RecordingMesh> mesh(new RecordingMesh("out", static_cast<float>(i), &drawn));
        if (i == 5) {
            mesh->inner = &inner;  // draws a model of its own while sorting
        }
        model.AddMesh(mesh);
    }
    DrawSortedByDepth(model, Matrix4());
    ASSERT_EQ(drawn.size(), static_cast<size_t>(count + 3));
    EXPECT_FLOAT_EQ(drawn.front(), static_cast<float>(count - 1));
    EXPECT_FLOAT_EQ(drawn.back(), 0.0f);
    const auto five = std::find(drawn.begin(), drawn.end(), 5.0f);
    ASSERT_NE(five, drawn.end());
    EXPECT_EQ(std::vector<float>(five + 1, five + 4), (std::vector<float>{102, 101, 100}));
}

TEST(Mesh, MaterialsGrowOverTheirOldBlock) {
    SmartPtr<Mesh> mesh(new Mesh(nullptr, "body"));
    const std::vector<ParamDesc> one = {ParamDesc(MakeParamName("Alpha"), ParamType::Float, 1)};
    std::vector<ParamDesc> two = one;
    two.emplace_back(MakeParamName("Tint"), ParamType::Vector3, 1);
    SmartPtr<MaterialParamBlock> first = mesh->GetOrCreateMaterial("skin", one).block;
    EXPECT_EQ(first->GetParent(), mesh->GetEngineParams());
    EXPECT_EQ(mesh->GetOrCreateMaterial("skin", one).block, first);
    SmartPtr<MaterialParamBlock> grown = mesh->GetOrCreateMaterial("skin", two).block;
    EXPECT_NE(grown, first);
    EXPECT_EQ(grown->GetParent(), first);
    EXPECT_NE(grown->Find("World"), nullptr);  // the engine matrices stay in reach
}

TEST(Mesh, BoundsAndWorldMatrixFollowTheNode) {
    MeshModel model("m");
    std::vector<ModelNode> nodes(1);
    nodes[0].name = "pivot";
    nodes[0].translation = {10, 0, 0};
    model.SetNodes(nodes);
    model.UpdateNodeTransforms();
    model.UpdateWorldTransforms();

    SmartPtr<Mesh> empty(new Mesh(nullptr, "empty"));
    EXPECT_FLOAT_EQ(empty->GetBounds().min.x, 1e38f);
    EXPECT_FLOAT_EQ(empty->GetBounds().max.x, -1e38f);

    const struct {
        const char* what;
        std::vector<const char*> nodeNames;
        float worldX;   // translation of "World"
        float boundsX;  // of the box's min corner
    } cases[] = {
        {"one bound node", {"pivot"}, 11.0f, 10.0f},
        {"one missing node", {"gone"}, 1.0f, 0.0f},
        {"two nodes: world alone", {"pivot", "gone"}, 1.0f, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SmartPtr<Mesh> mesh(new Mesh(nullptr, "mesh"));
        std::vector<MeshNodeRef> refs(c.nodeNames.size());
        for (size_t i = 0; i < refs.size(); ++i) {
            refs[i].nodeName = c.nodeNames[i];
        }
        mesh->SetNodeRefs(refs.data(), static_cast<int>(refs.size()));
        model.AddMesh(mesh);
        Matrix4 world;
        world.m[12] = 1.0f;
        RenderTransforms::Get().Reset();
        mesh->Draw(world);
        const float* worldParam = mesh->GetEngineParams()->Find("World")->GetFloats();
        const float* wvp = mesh->GetEngineParams()->Find("WorldViewProjection")->GetFloats();
        EXPECT_FLOAT_EQ(worldParam[12], c.worldX);
        EXPECT_FLOAT_EQ(wvp[12], 1.0f);  // the node never enters it
        EXPECT_FLOAT_EQ(mesh->GetBounds().min.x, c.boundsX);
    }
}

TEST(Mesh, CollectsOnlyTextureOffsets) {
    SmartPtr<Mesh> mesh(new Mesh(nullptr, "body"));
    const std::vector<ParamDesc> declarations = {
        ParamDesc(MakeParamName("UVWOffset"), ParamType::Vector3, 3)};
    MeshMaterial& material = mesh->GetOrCreateMaterial("skin", declarations);
    mesh->BindUVWOffset(material, "scroll", AsciiString());
    std::vector<ParamValueRef> values;
    mesh->CollectParamValues("scroll", "Opacity", values);
    EXPECT_TRUE(values.empty());
    mesh->CollectParamValues("scroll", "UVWOffset", values);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].count, 3);
    EXPECT_EQ(values[0].values, material.block->Find("UVWOffset")->GetFloats());
}

}  // namespace
}  // namespace Varnok
