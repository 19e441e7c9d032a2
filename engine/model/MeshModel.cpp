// Model nodes and their matrices, loading by extension, and depth-sorted
// drawing of a model's meshes.
#include "engine/model/MeshModel.h"

#include "engine/core/FilePath.h"
#include "engine/core/FileSystem.h"
#include "engine/model/BinModel.h"
#include "engine/model/NodeModel.h"
#include "engine/render/RenderTransforms.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace Varnok {

namespace {

struct DepthPair {
    Mesh* mesh;
    float depth;
};

// Shared by nested calls: each takes its pairs from the running start and
// gives them back when it ends, so a mesh may draw a model itself.
DepthPair s_scratch[kDepthSortScratchPairs];
int s_scratchStart = 0;

}  // namespace

// ---- MeshModel ----

void MeshModel::AddMesh(const SmartPtr<Mesh>& mesh) {
    if (!mesh) {
        return;
    }
    m_meshes.push_back(mesh);
    mesh->BindNodes(&m_nodeSet);
}

void MeshModel::RebindMeshes() {
    for (const SmartPtr<Mesh>& mesh : m_meshes) {
        mesh->BindNodes(&m_nodeSet);
    }
}

void MeshModel::SetNodes(std::vector<ModelNode> nodes) {
    m_nodeSet.nodes = std::move(nodes);
    const size_t count = m_nodeSet.nodes.size();
    m_nodeSet.local.assign(count, Matrix4());
    m_nodeSet.world.assign(count, Matrix4());
    m_nodeSet.skin.assign(count, Matrix4());
}

int MeshModel::FindNode(const AsciiString& nodeName) const {
    for (size_t i = 0; i < m_nodeSet.nodes.size(); ++i) {
        if (m_nodeSet.nodes[i].name == nodeName) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void MeshModel::UpdateNodeTransforms() {
    for (size_t i = 0; i < m_nodeSet.nodes.size(); ++i) {
        const ModelNode& node = m_nodeSet.nodes[i];
        Matrix4 scale;
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                scale.m[4 * row + column] = node.scale[3 * row + column];
            }
        }
        Matrix4 built;
        Matrix4::SetRotationFromQuaternion(built, node.rotation);
        Matrix4 rotation;  // the 3x3 part, transposed
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                rotation.m[4 * row + column] = built.m[4 * column + row];
            }
        }
        Matrix4 translation;
        translation.m[12] = node.translation.x;
        translation.m[13] = node.translation.y;
        translation.m[14] = node.translation.z;
        Matrix4& local = m_nodeSet.local[i];
        Matrix4::Multiply(scale, rotation, local);
        Matrix4::Multiply(local, translation, local);
    }
}

void MeshModel::UpdateWorldTransforms() {
    const int count = static_cast<int>(m_nodeSet.nodes.size());
    for (int i = 0; i < count; ++i) {
        Matrix4 matrix = m_nodeSet.local[i];
        // The readers refuse parent chains that leave the list or loop; the
        // step limit keeps a model built by hand from looping too.
        int steps = 0;
        for (int p = m_nodeSet.nodes[i].parent; p >= 0 && p < count && steps < count;
             p = m_nodeSet.nodes[p].parent, ++steps) {
            Matrix4::Multiply(matrix, m_nodeSet.local[p], matrix);
        }
        m_nodeSet.world[i] = matrix;
        Matrix4::Multiply(m_nodeSet.nodes[i].offsetMatrix, matrix, m_nodeSet.skin[i]);
    }
}

// ---- ModelLoadList ----

ModelLoadList& ModelLoadList::Get() {
    static ModelLoadList list;
    return list;
}

// ---- loading ----

SmartPtr<MeshModel> LoadModel(ModelLoadList& list, const AsciiString& path) {
    const AsciiString lower = AsciiString::ToLowerCopy(NormalisePath(path.c_str()));
    const int slash = lower.FindLastChar('/');
    int dot = lower.FindLastChar('.');
    if (dot <= slash) {
        dot = -1;  // a dot in a folder name is no extension
    }
    if (dot >= 0 && std::strcmp(lower.c_str() + dot, ".binmodel") == 0) {
        return LoadBinModelFile(list, lower);
    }
    if (FileExists(lower.c_str(), 0)) {
        return LoadNodeModel(lower);
    }
    AsciiString binary(lower.c_str(), dot >= 0 ? dot : lower.Length());
    binary.Append(".binmodel");
    return LoadBinModelFile(list, binary);
}

SmartPtr<MeshModel> LoadBinModelFile(ModelLoadList& /*list*/, const AsciiString& path) {
    return LoadBinModel(path);
}

// ---- depth sorting ----

float ProjectedDepth(const Vector3& c, const Matrix4& m) {
    return (c.x * m.m[2] + c.y * m.m[6] + c.z * m.m[10] + m.m[14]) /
           (c.x * m.m[3] + c.y * m.m[7] + c.z * m.m[11] + m.m[15]);
}

void DrawSortedByDepth(const MeshModel& model, const Matrix4& world) {
    const int count = model.GetMeshCount();
    if (count < 2) {
        if (count == 1) {
            model.GetMesh(0)->Draw(world);
        }
        return;
    }
    RenderTransforms& transforms = RenderTransforms::Get();
    Matrix4 m;
    Matrix4::Multiply(world, transforms.View().Current(), m);
    Matrix4::Multiply(m, transforms.Projection().Current(), m);

    // Past the scratch array's room (deep nesting or a huge model) the pairs
    // go to an array of this call's own rather than past the end.
    std::vector<DepthPair> overflow;
    const int start = s_scratchStart;
    DepthPair* pairs = nullptr;
    if (count <= kDepthSortScratchPairs - start) {
        pairs = s_scratch + start;
        s_scratchStart += count;
    } else {
        overflow.resize(static_cast<size_t>(count));
        pairs = overflow.data();
    }
    for (int i = 0; i < count; ++i) {
        Mesh* mesh = model.GetMesh(i).Get();
        const BoundingBox box = mesh->GetBounds();
        const Vector3 centre{(box.min.x + box.max.x) * 0.5f, (box.min.y + box.max.y) * 0.5f,
                             (box.min.z + box.max.z) * 0.5f};
        float depth = ProjectedDepth(centre, m);
        if (std::isnan(depth)) {
            depth = -std::numeric_limits<float>::infinity();  // keeps the order strict
        }
        pairs[i] = DepthPair{mesh, depth};
    }
    std::sort(pairs, pairs + count,
              [](const DepthPair& a, const DepthPair& b) { return a.depth > b.depth; });
    for (int i = 0; i < count; ++i) {
        pairs[i].mesh->Draw(world);
    }
    s_scratchStart = start;
}

}  // namespace Varnok
