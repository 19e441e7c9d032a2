// Mesh materials, node binding, bounds and the per-draw engine matrices.
#include "engine/model/Mesh.h"

#include "engine/model/MeshModel.h"
#include "engine/render/RenderTransforms.h"

#include <algorithm>
#include <cstring>

namespace Varnok {

namespace {

const char* const kEngineParamNames[4] = {"World", "SceneCamera.View", "SceneCamera.Projection",
                                          "WorldViewProjection"};

Vector3 TransformPoint(const Vector3& p, const Matrix4& m) {
    return Vector3{p.x * m.m[0] + p.y * m.m[4] + p.z * m.m[8] + m.m[12],
                   p.x * m.m[1] + p.y * m.m[5] + p.z * m.m[9] + m.m[13],
                   p.x * m.m[2] + p.y * m.m[6] + p.z * m.m[10] + m.m[14]};
}

void Widen(BoundingBox& box, const Vector3& p) {
    box.min.x = std::min(box.min.x, p.x);
    box.min.y = std::min(box.min.y, p.y);
    box.min.z = std::min(box.min.z, p.z);
    box.max.x = std::max(box.max.x, p.x);
    box.max.y = std::max(box.max.y, p.y);
    box.max.z = std::max(box.max.z, p.z);
}

void WriteMatrix(MaterialParam* param, const Matrix4& matrix) {
    if (param != nullptr && param->type == ParamType::Matrix) {
        std::memcpy(param->GetFloats(), matrix.m, sizeof(matrix.m));
    }
}

}  // namespace

Mesh::Mesh(const SmartPtr<MaterialParamBlock>& parent, const AsciiString& meshName)
    : m_name(meshName) {
    std::vector<ParamDesc> declarations;
    for (const char* name : kEngineParamNames) {
        declarations.emplace_back(MakeParamName(name), ParamType::Matrix, 1);
    }
    bool parentHasAll = parent.Get() != nullptr;
    for (const ParamDesc& declaration : declarations) {
        parentHasAll = parentHasAll && parent->Contains(declaration);
    }
    m_engineParams = parentHasAll ? parent
                                  : SmartPtr<MaterialParamBlock>(
                                        new MaterialParamBlock(declarations, parent));
    m_worldParam = m_engineParams->Find(kEngineParamNames[0]);
    m_viewParam = m_engineParams->Find(kEngineParamNames[1]);
    m_projectionParam = m_engineParams->Find(kEngineParamNames[2]);
    m_worldViewProjectionParam = m_engineParams->Find(kEngineParamNames[3]);
}

void Mesh::SetNodeRefs(const MeshNodeRef* records, int count) {
    m_nodeRefs.assign(records, records + std::max(count, 0));
}

MeshMaterial& Mesh::GetOrCreateMaterial(const AsciiString& key, const ParamDesc* first,
                                        const ParamDesc* last) {
    auto found = m_materials.find(key);
    if (found != m_materials.end()) {
        bool hasAll = true;
        for (const ParamDesc* d = first; d != last && hasAll; ++d) {
            hasAll = found->second.block->Contains(*d);
        }
        if (hasAll) {
            return found->second;
        }
        // A material only grows: the old block becomes the parent.
        found->second.block = new MaterialParamBlock(first, last, found->second.block);
        return found->second;
    }
    MeshMaterial& material = m_materials[key];
    material.block = new MaterialParamBlock(first, last, m_engineParams);
    return material;
}

void Mesh::BindUVWOffset(MeshMaterial& material, const AsciiString& key, const AsciiString& prefix) {
    AsciiString name;
    if (!prefix.IsEmpty()) {
        name = prefix;
        name.Append(".");
    }
    name.Append("UVWOffset");
    material.animatedParams[key] = material.block ? material.block->Find(name.c_str()) : nullptr;
}

const Matrix4* Mesh::NodeMatrix(const MeshNodeRef& ref, bool skin) const {
    if (m_nodes == nullptr || ref.nodeIndex < 0 ||
        static_cast<size_t>(ref.nodeIndex) >= m_nodes->world.size()) {
        return nullptr;
    }
    return skin ? &m_nodes->skin[ref.nodeIndex] : &m_nodes->world[ref.nodeIndex];
}

void Mesh::Draw(const Matrix4& world) {
    Matrix4 meshWorld = world;
    if (m_nodeRefs.size() == 1) {
        if (const Matrix4* skin = NodeMatrix(m_nodeRefs[0], true)) {
            Matrix4::Multiply(world, *skin, meshWorld);
        }
    }
    WriteMatrix(m_worldParam, meshWorld);
    RenderTransforms& transforms = RenderTransforms::Get();
    const Matrix4& view = transforms.View().Current();
    const Matrix4& projection = transforms.Projection().Current();
    WriteMatrix(m_viewParam, view);
    WriteMatrix(m_projectionParam, projection);
    Matrix4 worldViewProjection;
    Matrix4::Multiply(world, view, worldViewProjection);
    Matrix4::Multiply(worldViewProjection, projection, worldViewProjection);
    WriteMatrix(m_worldViewProjectionParam, worldViewProjection);
    for (const SmartPtr<MaterialInstance>& item : m_drawList) {
        item->Draw();
    }
}

BoundingBox Mesh::GetBounds() const {
    BoundingBox box{{1e38f, 1e38f, 1e38f}, {-1e38f, -1e38f, -1e38f}};
    for (const MeshNodeRef& ref : m_nodeRefs) {
        const Matrix4* matrix = NodeMatrix(ref, false);
        const Matrix4 identity;
        Widen(box, TransformPoint(ref.boundsMin, matrix != nullptr ? *matrix : identity));
        Widen(box, TransformPoint(ref.boundsMax, matrix != nullptr ? *matrix : identity));
    }
    return box;
}

void Mesh::CollectParamValues(const AsciiString& key, const AsciiString& paramName,
                              std::vector<ParamValueRef>& outValues) {
    // Only texture-coordinate offsets are collected; other names (such as
    // "Opacity") have nothing to offer.
    if (std::strcmp(paramName.c_str(), "UVWOffset") != 0) {
        return;
    }
    for (auto& entry : m_materials) {
        auto found = entry.second.animatedParams.find(key);
        if (found == entry.second.animatedParams.end()) {
            continue;
        }
        MaterialParam* param = found->second;
        if (param != nullptr && param->type == ParamType::Vector3) {
            outValues.push_back(ParamValueRef{0, param->GetFloats(), param->count});
        }
    }
}

void Mesh::BindNodes(const ModelNodeSet* nodes) {
    m_nodes = nodes;
    for (MeshNodeRef& ref : m_nodeRefs) {
        ref.nodeIndex = -1;
        if (nodes == nullptr) {
            continue;
        }
        for (size_t i = 0; i < nodes->nodes.size(); ++i) {
            if (nodes->nodes[i].name == ref.nodeName) {
                ref.nodeIndex = static_cast<int32_t>(i);
                break;
            }
        }
    }
}

}  // namespace Varnok
