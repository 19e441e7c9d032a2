#include "engine/model/CodeGenSphere.h"

#include "engine/model/GeneratedMesh.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

TEST(CodeGenSphere, IsAClosedTriangleSoup) {
    GeneratedMesh mesh;
    BuildCodeGenSphere(mesh, 1.0f, 8, 8);
    EXPECT_STREQ(mesh.name.c_str(), "CodeGenSphere");
    ASSERT_EQ(mesh.subMeshes.size(), 1u);
    const GeneratedSubMesh& subMesh = *mesh.subMeshes[0];
    EXPECT_EQ(subMesh.vertices.size(), 7u * 8u * 6u);
    for (const auto& list : subMesh.indexLists) {
        EXPECT_EQ(list.size(), subMesh.vertices.size());
    }
    for (const GeneratedVertex& vertex : subMesh.vertices) {
        const float* p = vertex.position;
        EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1.0f, 1e-5f);
        EXPECT_EQ(vertex.colour[3], 255.0f);
    }

    GeneratedMesh degenerate;
    BuildCodeGenSphere(degenerate, 1.0f, 1, 8);
    EXPECT_TRUE(degenerate.subMeshes.empty());
}

}  // namespace
}  // namespace Varnok
