// Reading node-tree model files (".mmd"): the records a model, its meshes,
// parts and geometries hold, the four readers registered as loaders in the
// resource-loader registry (keyed by what they make: MeshModel, Mesh,
// VertexDataSource, GLIndexBuffer), and LoadNodeModel.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Mutex.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/ResourceLoaderRegistry.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/TypeInfo.h"
#include "engine/model/MemoryModelData.h"
#include "engine/model/MeshModel.h"
#include "engine/model/ModelTree.h"
#include "engine/render/Effect.h"
#include "engine/render/GLBuffer.h"
#include "engine/render/MaterialParameter.h"

#include <cstdint>
#include <vector>

namespace Varnok {

// A transform node as stored (also the node record of binary models).
using ModelNodeRecord = ModelNode;

// A mesh's reference to a transform node, with a box in the node's space.
using MeshNodeRefRecord = MeshNodeRef;

// One parameter record of a part.
struct ModelParamRecord {
    enum class Kind { Values, Texture, Effect };
    Kind kind = Kind::Values;
    AsciiString name;  // parameter name, or the texture's record label
    ParamType type = ParamType::Float;
    float values[4] = {};  // the first 1..4 values; integers converted to floats
    std::vector<float> allValues;
    AsciiString path;  // texture or effect, joined to the model's directory
    AsciiString bindKey;  // texture: the normalised lower-case path as written
};

struct ModelPartRecord {
    AsciiString name;  // the material name
    bool hasTexture = false;
    AsciiString animationKey;
    AsciiString texturePath;  // joined to the model's directory
    float ambient[3] = {};  // 0..1
    float diffuse[3] = {};
    float specular[3] = {};
    float specularStrength = 0.0f;
    std::vector<ModelParamRecord> params;
    // An "fx" record names an effect: the part then declares none of the
    // standard parameters from its colours (if the effect loads).
    bool HasEffect() const;
};

struct ModelGeometryRecord {
    uint16_t partIndex = 0;  // at or past the part count: the mesh's own block
    SmartPtr<MemoryIndexData> indices;
    SmartPtr<MemoryVertexData> vertices;
};

class NodeMeshData : public ReferenceCounter {
public:
    AsciiString name;
    std::vector<MeshNodeRefRecord> nodeRefs;
    std::vector<ModelPartRecord> parts;
    std::vector<ModelGeometryRecord> geometries;
};

class NodeModelData : public ReferenceCounter {
public:
    AsciiString name;
    std::vector<ModelNodeRecord> nodes;
    std::vector<SmartPtr<NodeMeshData>> meshes;
};

// The stride and element list of a packed vertex format. Only float fields
// and colour bytes declare elements, but every stored field advances the
// offset of the elements after it; the extra data lies last.
void DecodePackedVertexFormat(uint32_t format, uint32_t& outStride,
                              std::vector<VertexElementDesc>& outElements);

// A loader of the registry that reads one kind of record from a tree node.
template <typename T>
class ModelTreeLoader : public ResourceLoader {
public:
    using ReadFunction = void (*)(SmartPtr<T>* outResult, ModelTreeNode& node);
    explicit ModelTreeLoader(ReadFunction read) : m_read(read) {}
    SmartPtr<T> Load(ModelTreeNode& node) const {
        SmartPtr<T> result;
        m_read(&result, node);
        return result;
    }

private:
    ReadFunction m_read;
};

// Registers the four node readers, replacing whatever the registry held for
// the type ids of MeshModel, Mesh, VertexDataSource and GLIndexBuffer.
void RegisterNodeModelReaders();

// The registered loader for T run on node; null without one or on failure.
template <typename T>
SmartPtr<T> LoadTypedFromNode(ModelTreeNode& node);

// The drawable model of an ".mmd" file, read through the registered
// readers; null (one log line) when the file does not open or does not hold
// a valid model. Requires a current GL context (effects build programs).
SmartPtr<MeshModel> LoadNodeModel(const AsciiString& path);
// The same from bytes in memory; directory is the base of texture and
// effect paths.
SmartPtr<MeshModel> LoadNodeModelFromMemory(const uint8_t* bytes, size_t size,
                                            const AsciiString& directory);
// Only the records of a file's bytes, checked as the readers check them;
// no GL, textures or effects are touched.
SmartPtr<NodeModelData> LoadNodeModelFromBytes(const uint8_t* bytes, size_t size,
                                               const AsciiString& directory);

// A drawable mesh from its records: textures and effects loaded, the nine
// standard parameters for parts without an effect, one draw item per
// geometry.
SmartPtr<Mesh> BuildNodeMesh(const NodeMeshData& records);

// The template of parts that name no effect of their own; null while its
// effect cannot be loaded.
inline SmartPtr<MaterialTemplate> GetDefaultEffect() {
    return GetDefaultMaterialTemplate();
}

// The mutex that guards the model readers' registry entries.
Mutex& GetModelLoaderMutex();

template <typename T>
SmartPtr<T> LoadTypedFromNode(ModelTreeNode& node) {
    const ModelTreeLoader<T>* loader = nullptr;
    {
        MutexLock lock(GetModelLoaderMutex());
        loader = dynamic_cast<const ModelTreeLoader<T>*>(
            ResourceLoaderRegistry::Get()[TypeInfo<T>::ID].get());
    }
    if (loader == nullptr) {
        return nullptr;
    }
    return loader->Load(node);
}

}  // namespace Varnok
