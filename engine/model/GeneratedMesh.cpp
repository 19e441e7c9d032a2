// The eight depth orders of a generated sub-mesh.
#include "engine/model/GeneratedMesh.h"

#include "engine/core/Assert.h"
#include "engine/core/Log.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Varnok {

namespace {

const Vector3 kDirections[kDepthSortDirectionCount] = {
    {1, 1, 1}, {1, 1, -1}, {1, -1, 1}, {1, -1, -1},
    {-1, 1, 1}, {-1, 1, -1}, {-1, -1, 1}, {-1, -1, -1},
};

}  // namespace

const Vector3& GetDepthSortDirection(int index) {
    VARNOK_ASSERT(index >= 0 && index < kDepthSortDirectionCount);
    return kDirections[index];
}

bool DepthSortedIndexSets(GeneratedSubMesh& subMesh) {
    const size_t triangleCount = subMesh.vertices.size() / 3;
    subMesh.triangleCentres.clear();
    for (auto& list : subMesh.indexLists) {
        list.clear();
    }
    if (triangleCount > kMaxGeneratedTriangles) {
        Log("GeneratedMesh: sub-mesh \"%s\" has %zu triangles, more than 16-bit indices reach",
            subMesh.name.c_str(), triangleCount);
        return false;
    }

    subMesh.triangleCentres.resize(triangleCount);
    for (size_t i = 0; i < triangleCount; ++i) {
        Vector3& centre = subMesh.triangleCentres[i];
        for (size_t corner = 0; corner < 3; ++corner) {
            const float* p = subMesh.vertices[3 * i + corner].position;
            centre.x += p[0];
            centre.y += p[1];
            centre.z += p[2];
        }
        centre.x /= 3.0f;
        centre.y /= 3.0f;
        centre.z /= 3.0f;
    }

    std::vector<uint16_t> order(triangleCount);
    std::vector<float> depth(triangleCount);
    for (int d = 0; d < kDepthSortDirectionCount; ++d) {
        for (size_t i = 0; i < triangleCount; ++i) {
            const float projection = Dot(subMesh.triangleCentres[i], kDirections[d]);
            // NaN would break the ordering; such triangles go last.
            depth[i] = std::isnan(projection) ? -INFINITY : projection;
        }
        std::iota(order.begin(), order.end(), 0);
        // Projections are compared as stored values, which keeps the order a
        // strict weak ordering whatever the rounding.
        std::stable_sort(order.begin(), order.end(),
                         [&depth](uint16_t a, uint16_t b) { return depth[a] > depth[b]; });
        std::vector<uint16_t>& list = subMesh.indexLists[d];
        list.reserve(triangleCount * 3);
        for (uint16_t triangle : order) {
            const uint16_t first = static_cast<uint16_t>(triangle * 3);
            list.push_back(first);
            list.push_back(static_cast<uint16_t>(first + 1));
            list.push_back(static_cast<uint16_t>(first + 2));
        }
    }
    return true;
}

}  // namespace Varnok
