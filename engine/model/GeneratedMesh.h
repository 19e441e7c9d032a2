// Meshes made by code (the collision spheres' debug sphere) as named lists of
// triangle soups, each with eight index lists ordered back to front along
// eight fixed view directions, so that a translucent mesh can be drawn in
// depth order by picking the list nearest the view.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/MathUtil.h"
#include "engine/model/GeometryInfo.h"
#include "engine/model/MaterialDescription.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

// 48 bytes, the layout of binary-model vertices.
struct GeneratedVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
    float colour[4];  // 0..255
};
static_assert(sizeof(GeneratedVertex) == 48, "generated vertices are 48 bytes");

constexpr int kDepthSortDirectionCount = 8;
// Triangles of a sub-mesh are indexed with 16 bits.
constexpr size_t kMaxGeneratedTriangles = 21845;

// (1, 1, 1), (1, 1, -1), (1, -1, 1), (1, -1, -1), (-1, 1, 1), ... in that order.
const Vector3& GetDepthSortDirection(int index);

struct GeneratedSubMesh {
    std::vector<Vector3> triangleCentres;  // one per triangle
    // Per direction: three vertex indices per triangle, farthest along the
    // direction first.
    std::array<std::vector<uint16_t>, kDepthSortDirectionCount> indexLists;
    std::vector<GeneratedVertex> vertices;  // three per triangle
    GeometryInfo geometry;
    AsciiString name;
    MaterialDescription material;
};

class GeneratedMesh {
public:
    GeneratedMesh() = default;
    virtual ~GeneratedMesh() = default;
    GeneratedMesh(const GeneratedMesh&) = delete;
    GeneratedMesh& operator=(const GeneratedMesh&) = delete;

    AsciiString name;
    std::vector<std::unique_ptr<GeneratedSubMesh>> subMeshes;
};

// Fills the sub-mesh's triangle centres and its eight index lists from its
// vertices. A sub-mesh over kMaxGeneratedTriangles triangles gets empty
// lists and a log line. Returns whether the lists were built.
bool DepthSortedIndexSets(GeneratedSubMesh& subMesh);

}  // namespace Varnok
