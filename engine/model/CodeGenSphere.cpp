// The sphere mesh that debug-drawn collision spheres show.
#include "engine/model/CodeGenSphere.h"

#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"
#include "engine/model/GeneratedMesh.h"

#include <cmath>
#include <memory>
#include <vector>

namespace Varnok {

void BuildCodeGenSphere(GeneratedMesh& mesh, float radius, int ringCount, int segmentCount) {
    if (ringCount < 2 || segmentCount < 2) {
        Log("BuildCodeGenSphere: needs at least 2 rings and 2 segments, got %d and %d", ringCount,
            segmentCount);
        return;
    }
    std::vector<GeneratedVertex> grid(static_cast<size_t>(ringCount) * segmentCount);
    for (int j = 0; j < ringCount; ++j) {
        const float theta = static_cast<float>(j) * kPi / static_cast<float>(ringCount - 1);
        for (int i = 0; i < segmentCount; ++i) {
            const float phi =
                static_cast<float>(i) * 2.0f * kPi / static_cast<float>(segmentCount - 1);
            GeneratedVertex& vertex = grid[static_cast<size_t>(j) * segmentCount + i];
            vertex.normal[0] = std::sin(theta) * std::cos(phi);
            vertex.normal[1] = -std::cos(theta);
            vertex.normal[2] = std::sin(theta) * std::sin(phi);
            for (int k = 0; k < 3; ++k) {
                vertex.position[k] = radius * vertex.normal[k];
            }
            vertex.texCoord[0] = static_cast<float>(i % 2);
            vertex.texCoord[1] = static_cast<float>(j % 2);
            for (float& channel : vertex.colour) {
                channel = 255.0f;
            }
        }
    }
    auto at = [&grid, segmentCount](int ring, int segment) -> const GeneratedVertex& {
        return grid[static_cast<size_t>(ring) * segmentCount + segment];
    };

    auto subMesh = std::make_unique<GeneratedSubMesh>();
    subMesh->vertices.reserve(static_cast<size_t>(ringCount - 1) * segmentCount * 6);
    for (int j = 0; j + 1 < ringCount; ++j) {
        for (int i = 0; i < segmentCount; ++i) {
            const int next = (i + 1 == segmentCount) ? 0 : i + 1;
            for (const GeneratedVertex* vertex : {&at(j, i), &at(j + 1, next), &at(j, next),
                                                  &at(j, i), &at(j + 1, i), &at(j + 1, next)}) {
                subMesh->vertices.push_back(*vertex);
            }
        }
    }
    DepthSortedIndexSets(*subMesh);
    mesh.subMeshes.push_back(std::move(subMesh));
    mesh.name = "CodeGenSphere";
}

const GeneratedMesh& GetCodeGenSphere() {
    static GeneratedMesh* mesh = [] {
        GeneratedMesh* made = new GeneratedMesh;  // kept for the run, as debug models share it
        BuildCodeGenSphere(*made, 1.0f, 8, 8);
        return made;
    }();
    return *mesh;
}

}  // namespace Varnok
