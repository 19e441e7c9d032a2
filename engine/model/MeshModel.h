// What the game loads from a model file: named meshes over a hierarchy of
// transform nodes; LoadModel picks the reader by extension, and
// DrawSortedByDepth draws the meshes from the farthest to the nearest.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/MathUtil.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/model/Mesh.h"

#include <cstdint>
#include <list>
#include <vector>

namespace Varnok {

struct ModelNode {
    AsciiString name;
    int32_t parent = -1;  // negative for a root
    Matrix4 offsetMatrix;
    Vector3 translation;
    Quaternion rotation;  // as SetRotationFromQuaternion takes it
    float scale[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // 3x3, row order
};

// The nodes and their matrices, one entry each.
struct ModelNodeSet {
    std::vector<ModelNode> nodes;
    std::vector<Matrix4> local;
    std::vector<Matrix4> world;
    std::vector<Matrix4> skin;
};

class MeshModel : public ReferenceCounter {
public:
    explicit MeshModel(const AsciiString& modelName) : m_name(modelName) {}

    // Appends and binds the mesh's node references to this model's nodes.
    void AddMesh(const SmartPtr<Mesh>& mesh);
    void RebindMeshes();
    int GetMeshCount() const { return static_cast<int>(m_meshes.size()); }
    // Requires: 0 <= index < GetMeshCount().
    SmartPtr<Mesh> GetMesh(int index) const { return m_meshes[index]; }

    // Takes the node list and sizes the matrices to it; RebindMeshes and the
    // two updates make them valid. Every parent must lie in the list.
    void SetNodes(std::vector<ModelNode> nodes);
    // -1 when no node has that name.
    int FindNode(const AsciiString& nodeName) const;
    // local = scale x rotation x translation, node by node.
    void UpdateNodeTransforms();
    // world = local x parent's local x ...; skin = offset x world.
    void UpdateWorldTransforms();

    const AsciiString& GetName() const { return m_name; }
    const ModelNodeSet& GetNodeSet() const { return m_nodeSet; }

private:
    AsciiString m_name;
    std::vector<SmartPtr<Mesh>> m_meshes;
    ModelNodeSet m_nodeSet;
};

// Handed to every load; nothing in the engine adds to it.
class ModelLoadList {
public:
    static ModelLoadList& Get();
    void Clear() { m_models.clear(); }
    void SetBudget(uint32_t bytes) { (void)bytes; }  // kept for callers; no effect

private:
    std::list<SmartPtr<MeshModel>> m_models;
};

// By extension: ".binmodel" (any letter case) through LoadBinModel; another
// existing file through LoadNodeModel; else the same path with ".binmodel".
// Null (logged by the reader) when nothing loads.
SmartPtr<MeshModel> LoadModel(ModelLoadList& list, const AsciiString& path);
SmartPtr<MeshModel> LoadBinModelFile(ModelLoadList& list, const AsciiString& path);

// The most pairs that depth sorting keeps in its shared scratch array; a
// call past it sorts in an array of its own.
constexpr int kDepthSortScratchPairs = 1024;

// Meshes in the order of their box centres' projected depth, farthest
// first, under the current view and projection. One mesh draws without a
// depth; none draws nothing.
void DrawSortedByDepth(const MeshModel& model, const Matrix4& world);

// The projected depth of a point under M (z over w); exposed for tests.
float ProjectedDepth(const Vector3& point, const Matrix4& m);

}  // namespace Varnok
