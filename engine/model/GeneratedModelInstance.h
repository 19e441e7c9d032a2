// The drawable form of a generated mesh: one record per sub-mesh with its
// own copy of the material settings and geometry information, and, once
// the instance is on a model draw list, a core material per sub-mesh that
// owns the GPU buffers and draws it.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/MathUtil.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/model/GeneratedMesh.h"
#include "engine/model/GeometryInfo.h"
#include "engine/model/MaterialDescription.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class FarhavenCoreMaterial;
class GeneratedModelInstance;

struct SubMeshInstance {
    // The instance that holds the record. A plain back-pointer: a counted
    // one would keep every instance with sub-meshes alive for ever.
    GeneratedModelInstance* owner = nullptr;
    int32_t subMeshIndex = 0;
    AsciiString name;
    MaterialDescription description;  // a copy of the sub-mesh's
    SmartPtr<FarhavenCoreMaterial> material;  // null until on a draw list
    GeometryInfo geometry;

    SubMeshInstance();
    SubMeshInstance(const SubMeshInstance& other);
    SubMeshInstance& operator=(const SubMeshInstance& other);
    ~SubMeshInstance();
};

class GeneratedModelInstance : public ReferenceCounter {
public:
    // One record per sub-mesh, in the mesh's order, without materials. The
    // mesh must outlive the instance.
    static SmartPtr<GeneratedModelInstance> Create(const GeneratedMesh& mesh);
    ~GeneratedModelInstance() override;

    int32_t reserved = 0;
    const GeneratedMesh* mesh = nullptr;
    Matrix4 world;
    std::vector<SubMeshInstance> subMeshes;  // not resized after Create

private:
    GeneratedModelInstance() = default;
};

// Replaces record i's material by a new core material made from its
// description, then loads its texture and builds its shader variant.
void CreateSubMeshMaterial(GeneratedModelInstance& instance, int index);

// The instances a caller draws with their core materials.
class ModelDrawList {
public:
    // An instance already on the list is left alone; otherwise it is
    // appended and every record gets a fresh material.
    void AddInstance(const SmartPtr<GeneratedModelInstance>& instance);
    // The first entry of the instance, if any; its materials stay.
    void RemoveInstance(const GeneratedModelInstance* instance);

    const std::vector<SmartPtr<GeneratedModelInstance>>& GetInstances() const {
        return m_instances;
    }

private:
    std::vector<SmartPtr<GeneratedModelInstance>> m_instances;
};

}  // namespace Varnok
