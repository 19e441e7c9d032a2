#include "engine/model/GeneratedMesh.h"

#include <gtest/gtest.h>

#include <vector>

namespace Varnok {
namespace {

// One triangle whose centre is c (its corners offset in x and y only).
void AddTriangle(GeneratedSubMesh& subMesh, Vector3 c) {
    const float offsets[3][2] = {{-1, -1}, {1, -1}, {0, 2}};
    for (const auto& offset : offsets) {
        GeneratedVertex vertex{};
        vertex.position[0] = c.x + offset[0];
        vertex.position[1] = c.y + offset[1];
        vertex.position[2] = c.z;
        subMesh.vertices.push_back(vertex);
    }
}

TEST(GeneratedMesh, DepthOrdersFollowTheEightDirections) {
    GeneratedSubMesh subMesh;
    AddTriangle(subMesh, {0, 0, 1});
    AddTriangle(subMesh, {0, 0, -1});
    ASSERT_TRUE(DepthSortedIndexSets(subMesh));
    ASSERT_EQ(subMesh.triangleCentres.size(), 2u);
    EXPECT_FLOAT_EQ(subMesh.triangleCentres[0].z, 1.0f);
    EXPECT_FLOAT_EQ(subMesh.triangleCentres[0].x, 0.0f);

    const std::vector<uint16_t> firstThenSecond = {0, 1, 2, 3, 4, 5};
    const std::vector<uint16_t> secondThenFirst = {3, 4, 5, 0, 1, 2};
    for (int d = 0; d < kDepthSortDirectionCount; ++d) {
        SCOPED_TRACE(d);
        const bool towardsPlusZ = GetDepthSortDirection(d).z > 0;
        EXPECT_EQ(subMesh.indexLists[d], towardsPlusZ ? firstThenSecond : secondThenFirst);
    }
}

TEST(GeneratedMesh, SmallAndOversizedSubMeshes) {
    GeneratedSubMesh one;
    AddTriangle(one, {5, 5, 5});
    ASSERT_TRUE(DepthSortedIndexSets(one));
    for (const auto& list : one.indexLists) {
        EXPECT_EQ(list, (std::vector<uint16_t>{0, 1, 2}));
    }

    GeneratedSubMesh empty;
    ASSERT_TRUE(DepthSortedIndexSets(empty));
    EXPECT_TRUE(empty.triangleCentres.empty());
    EXPECT_TRUE(empty.indexLists[0].empty());

    GeneratedSubMesh oversized;
    oversized.vertices.resize((kMaxGeneratedTriangles + 1) * 3);
    EXPECT_FALSE(DepthSortedIndexSets(oversized));
    EXPECT_TRUE(oversized.indexLists[7].empty());
}

TEST(GeneratedMesh, FreshGeometryInfoIsAnEmptyBox) {
    GeneratedSubMesh subMesh;
    EXPECT_FLOAT_EQ(subMesh.geometry.boundsMin[0], 1e9f);
    EXPECT_FLOAT_EQ(subMesh.geometry.boundsMax[2], -1e9f);
    EXPECT_EQ(subMesh.geometry.colour[3], 255);
    EXPECT_EQ(subMesh.geometry.flag, 1);
    EXPECT_STREQ(subMesh.material.GetName().c_str(), "defaultMaterial");
}

}  // namespace
}  // namespace Varnok
