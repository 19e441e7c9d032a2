// Instances of generated meshes and the draw list that gives them materials.
#include "engine/model/GeneratedModelInstance.h"

#include "engine/model/FarhavenCoreMaterial.h"

#include <algorithm>

namespace Varnok {

SubMeshInstance::SubMeshInstance() = default;
SubMeshInstance::SubMeshInstance(const SubMeshInstance& other) = default;
SubMeshInstance& SubMeshInstance::operator=(const SubMeshInstance& other) = default;
SubMeshInstance::~SubMeshInstance() = default;

SmartPtr<GeneratedModelInstance> GeneratedModelInstance::Create(const GeneratedMesh& mesh) {
    SmartPtr<GeneratedModelInstance> instance(new GeneratedModelInstance);
    instance->mesh = &mesh;
    instance->subMeshes.resize(mesh.subMeshes.size());
    for (size_t i = 0; i < mesh.subMeshes.size(); ++i) {
        const GeneratedSubMesh& subMesh = *mesh.subMeshes[i];
        SubMeshInstance& record = instance->subMeshes[i];
        record.owner = instance.Get();
        record.subMeshIndex = static_cast<int32_t>(i);
        record.name = subMesh.name;
        record.description.CopyFrom(subMesh.material);
        record.description.SetChanged(false);
        record.geometry = subMesh.geometry;
    }
    return instance;
}

GeneratedModelInstance::~GeneratedModelInstance() {
    // Materials may outlive the instance in other hands: they must not
    // reach back into the records.
    for (SubMeshInstance& record : subMeshes) {
        if (record.material) {
            record.material->SetRecord(nullptr);
        }
    }
}

void CreateSubMeshMaterial(GeneratedModelInstance& instance, int index) {
    SubMeshInstance& record = instance.subMeshes[index];
    SmartPtr<FarhavenCoreMaterial> material(new FarhavenCoreMaterial(record.description));
    material->SetRecord(&record);
    if (record.material) {
        record.material->SetRecord(nullptr);
    }
    record.material = material;
    material->UpdateTexture();
}

void ModelDrawList::AddInstance(const SmartPtr<GeneratedModelInstance>& instance) {
    if (!instance ||
        std::find(m_instances.begin(), m_instances.end(), instance) != m_instances.end()) {
        return;
    }
    m_instances.push_back(instance);
    for (size_t i = 0; i < instance->subMeshes.size(); ++i) {
        CreateSubMeshMaterial(*instance, static_cast<int>(i));
    }
}

void ModelDrawList::RemoveInstance(const GeneratedModelInstance* instance) {
    auto found = std::find_if(m_instances.begin(), m_instances.end(),
                              [instance](const SmartPtr<GeneratedModelInstance>& held) {
                                  return held.Get() == instance;
                              });
    if (found != m_instances.end()) {
        m_instances.erase(found);
    }
}

}  // namespace Varnok
