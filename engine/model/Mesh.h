// One drawable piece of a model: its draw items, the engine matrices every
// shader of it can read, its materials by name and the model nodes it hangs
// from, with a bounding box in each node's space.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/MathUtil.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/model/MeshGeometry.h"
#include "engine/render/MaterialParameter.h"

#include <cstdint>
#include <map>
#include <vector>

namespace Varnok {

struct ModelNodeSet;

struct MeshNodeRef {
    AsciiString nodeName;
    Vector3 boundsMin;  // in the node's space
    Vector3 boundsMax;
    int32_t nodeIndex = -1;  // into the model's nodes; -1 when not bound
};

// Values a caller may write into straight away (texture-coordinate offsets).
struct ParamValueRef {
    int32_t kind = 0;
    float* values = nullptr;
    int32_t count = 0;
};

struct MeshMaterial {
    SmartPtr<MaterialParamBlock> block;
    // By animation key; a pointer into block's chain, possibly null.
    std::map<AsciiString, MaterialParam*, AsciiStringLess> animatedParams;
};

struct BoundingBox {
    Vector3 min;
    Vector3 max;
};

// What a model's drawable pieces answer.
class IRenderable {
public:
    virtual ~IRenderable() = default;
    virtual const AsciiString& GetName() const = 0;
    virtual void Draw(const Matrix4& world) = 0;
    virtual BoundingBox GetBounds() const = 0;
    virtual void CollectParamValues(const AsciiString& key, const AsciiString& paramName,
                                    std::vector<ParamValueRef>& outValues) = 0;
    virtual void BindNodes(const ModelNodeSet* nodes) = 0;
    virtual int GetDrawItemCount() const = 0;
    virtual SmartPtr<MaterialInstance> GetDrawItem(int index) const = 0;
};

class Mesh : public ReferenceCounter, public IRenderable {
public:
    // parent may be null; when it already has the four engine matrices it
    // becomes the engine block, else a new block is made over it.
    Mesh(const SmartPtr<MaterialParamBlock>& parent, const AsciiString& meshName);

    void SetNodeRefs(const MeshNodeRef* records, int count);
    void AddDrawItem(const SmartPtr<MaterialInstance>& item) { m_drawList.push_back(item); }

    // The material of that key, grown by whatever of [first, last) its block
    // lacks (the old block becomes the new one's parent).
    MeshMaterial& GetOrCreateMaterial(const AsciiString& key, const ParamDesc* first,
                                      const ParamDesc* last);
    MeshMaterial& GetOrCreateMaterial(const AsciiString& key,
                                      const std::vector<ParamDesc>& declarations) {
        return GetOrCreateMaterial(key, declarations.data(),
                                   declarations.data() + declarations.size());
    }
    // Remembers the material's "UVWOffset" (or prefix + ".UVWOffset") under key.
    void BindUVWOffset(MeshMaterial& material, const AsciiString& key, const AsciiString& prefix);

    const AsciiString& GetName() const override { return m_name; }
    void Draw(const Matrix4& world) override;
    // The stored corners of every node reference through its node's world
    // matrix; the inverted box (1e38 .. -1e38) without references.
    BoundingBox GetBounds() const override;
    void CollectParamValues(const AsciiString& key, const AsciiString& paramName,
                            std::vector<ParamValueRef>& outValues) override;
    void BindNodes(const ModelNodeSet* nodes) override;
    int GetDrawItemCount() const override { return static_cast<int>(m_drawList.size()); }
    // Requires: 0 <= index < GetDrawItemCount().
    SmartPtr<MaterialInstance> GetDrawItem(int index) const override { return m_drawList[index]; }

    const std::vector<MeshNodeRef>& GetNodeRefs() const { return m_nodeRefs; }
    const SmartPtr<MaterialParamBlock>& GetEngineParams() const { return m_engineParams; }
    const std::map<AsciiString, MeshMaterial, AsciiStringLess>& GetMaterials() const {
        return m_materials;
    }

private:
    // The world matrix of a node reference; null for the identity.
    const Matrix4* NodeMatrix(const MeshNodeRef& ref, bool skin) const;

    AsciiString m_name;
    std::vector<MeshNodeRef> m_nodeRefs;
    std::vector<SmartPtr<MaterialInstance>> m_drawList;
    SmartPtr<MaterialParamBlock> m_engineParams;
    std::map<AsciiString, MeshMaterial, AsciiStringLess> m_materials;
    const ModelNodeSet* m_nodes = nullptr;  // the owning model's; null until bound
    MaterialParam* m_worldParam = nullptr;
    MaterialParam* m_viewParam = nullptr;
    MaterialParam* m_projectionParam = nullptr;
    MaterialParam* m_worldViewProjectionParam = nullptr;
};

}  // namespace Varnok
