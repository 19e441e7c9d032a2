// The four readers of node-tree model files and their registration. Every
// count and size is checked against the bytes its node holds, so a corrupt
// file is refused with one log line rather than read on.
#include "engine/model/NodeModel.h"

#include "engine/core/FileObject.h"
#include "engine/core/FilePath.h"
#include "engine/core/Log.h"
#include "engine/model/internal/ModelParams.h"
#include "engine/render/TextureManager.h"
#include "engine/render/VertexStream.h"
#include "engine/render/VertexSemantics.h"

#include <algorithm>
#include <memory>
#include <strings.h>

namespace Varnok {

namespace {

// The fewest bytes each record can take, to refuse counts that cannot fit.
constexpr size_t kMinNodeRecordBytes = 2 + 33 * 4;
constexpr size_t kMinMeshRecordBytes = 2 + 3 * 4;
constexpr size_t kMinNodeRefBytes = 2 + 6 * 4;
constexpr size_t kReferenceBytes = 4;

// Parameter record types.
constexpr uint32_t kParamEnd = 0;
constexpr uint32_t kParamPath = 8;
constexpr uint32_t kParamFloats = 10;
constexpr uint32_t kParamInts = 19;
constexpr uint32_t kParamIntsToo = 20;

// Bytes of one component, by component code.
constexpr uint32_t kComponentSize[8] = {0, 1, 2, 4, 2, 2, 2, 4};
constexpr uint32_t kFloatCode = 3;
constexpr uint32_t kColourBytesCode = 7;

void ReadColour(ModelTreeNode& node, float* outRgb) {
    const uint32_t word = node.ReadU32();  // byte 0 red, 1 green, 2 blue
    for (int i = 0; i < 3; ++i) {
        outRgb[i] = static_cast<float>((word >> (8 * i)) & 0xFF) / 255.0f;
    }
}

ParamType VectorTypeForCount(uint32_t count, ParamType single) {
    switch (count) {
        case 0:
        case 1:
            return single;
        case 2:
            return ParamType::Vector2;
        case 3:
            return ParamType::Vector3;
        default:
            return ParamType::Vector4;
    }
}

bool ReadParams(ModelTreeNode& node, ModelPartRecord& part) {
    for (;;) {
        const uint32_t type = node.ReadU32();
        if (node.HasFailed()) {
            break;
        }
        if (type == kParamEnd) {
            return true;
        }
        const uint32_t count = node.ReadU32();
        ModelParamRecord record;
        record.name = node.ReadString();
        if (type == kParamFloats || type == kParamInts || type == kParamIntsToo) {
            const uint32_t valueCount = std::max<uint32_t>(count, 1);
            if (valueCount > node.Remaining() / 4) {
                Log("NodeModel %s: parameter \"%s\" declares %u values in %zu bytes",
                    node.name.c_str(), record.name.c_str(), valueCount, node.Remaining());
                return false;
            }
            record.allValues.resize(valueCount);
            for (float& value : record.allValues) {
                value = type == kParamFloats ? node.ReadFloat()
                                             : static_cast<float>(node.ReadS32());
            }
            record.type = VectorTypeForCount(
                count, type == kParamFloats ? ParamType::Float : ParamType::Int);
            std::copy_n(record.allValues.begin(), std::min<size_t>(valueCount, 4), record.values);
            part.params.push_back(std::move(record));
        } else if (type == kParamPath) {
            const AsciiString written = node.ReadString();
            const AsciiString path = AsciiString::ToLowerCopy(NormalisePath(written.c_str()));
            const int dot = path.FindLastChar('.');
            if (dot < 0) {
                continue;
            }
            const char* extension = path.c_str() + dot + 1;
            if (strncasecmp(extension, "tga", 3) == 0 || strncasecmp(extension, "bmp", 3) == 0 ||
                strncasecmp(extension, "tex", 3) == 0) {
                record.kind = ModelParamRecord::Kind::Texture;
                record.type = ParamType::Texture2D;
            } else if (strncasecmp(extension, "fx", 2) == 0) {
                record.kind = ModelParamRecord::Kind::Effect;
            } else {
                continue;
            }
            record.bindKey = path;
            record.path = CombinePath(node.name.c_str(), path.c_str());
            part.params.push_back(std::move(record));
        }
        // Any other type ends its record after the name.
    }
    Log("NodeModel %s: parameter records of part \"%s\" run past their data", node.name.c_str(),
        part.name.c_str());
    return false;
}

bool ReadPart(ModelTreeNode& node, ModelPartRecord& part) {
    part.name = node.ReadString();
    if (ModelTreeNode* texture = node.ReadChild()) {
        part.hasTexture = true;
        part.animationKey = texture->ReadString();
        const AsciiString path = texture->ReadString();
        part.texturePath = CombinePath(node.name.c_str(), path.c_str());
        if (texture->HasFailed()) {
            Log("NodeModel %s: texture record of part \"%s\" cut short", node.name.c_str(),
                part.name.c_str());
            return false;
        }
    }
    ReadColour(node, part.ambient);
    ReadColour(node, part.diffuse);
    node.ReadU32();  // a third colour, unused
    ReadColour(node, part.specular);
    part.specularStrength = node.ReadFloat();
    ModelTreeNode* params = node.ReadChild();
    if (node.HasFailed()) {
        Log("NodeModel %s: part \"%s\" cut short", node.name.c_str(), part.name.c_str());
        return false;
    }
    return params == nullptr || ReadParams(*params, part);
}

// The model record up to its meshes: name and transform nodes. False (one
// log line) on a bad node list; outMeshCount is checked against the data.
bool ParseModelHeader(ModelTreeNode& node, NodeModelData& model, uint32_t& outMeshCount) {
    model.name = node.ReadString();

    const uint32_t nodeCount = node.ReadU32();
    if (nodeCount > node.Remaining() / kMinNodeRecordBytes) {
        Log("NodeModel %s: %u transform nodes in %zu bytes", node.name.c_str(), nodeCount,
            node.Remaining());
        return false;
    }
    model.nodes.resize(nodeCount);
    for (ModelNodeRecord& record : model.nodes) {
        record.name = node.ReadString();
        record.parent = node.ReadS32();
        for (float& value : record.offsetMatrix.m) {
            value = node.ReadFloat();
        }
        record.translation = {node.ReadFloat(), node.ReadFloat(), node.ReadFloat()};
        record.rotation.x = node.ReadFloat();
        record.rotation.y = node.ReadFloat();
        record.rotation.z = node.ReadFloat();
        record.rotation.w = node.ReadFloat();
        for (float& value : record.scale) {
            value = node.ReadFloat();
        }
    }
    // Parents must lie in the list and chains must end, or composing the
    // world matrices would run off the list or loop.
    for (uint32_t i = 0; i < nodeCount; ++i) {
        int32_t at = static_cast<int32_t>(i);
        for (uint32_t steps = 0; at >= 0; ++steps) {
            const int32_t parent = model.nodes[at].parent;
            if (parent >= static_cast<int32_t>(nodeCount) || steps > nodeCount) {
                Log("NodeModel %s: node \"%s\" has a parent chain outside the node list",
                    node.name.c_str(), model.nodes[i].name.c_str());
                return false;
            }
            at = parent;
        }
    }

    outMeshCount = node.ReadU32();
    if (node.HasFailed() || outMeshCount > node.Remaining() / kMinMeshRecordBytes) {
        Log("NodeModel %s: model record cut short", node.name.c_str());
        return false;
    }
    return true;
}

SmartPtr<MemoryIndexData> ParseIndexRecord(ModelTreeNode& node);
SmartPtr<MemoryVertexData> ParseVertexRecord(ModelTreeNode& node);

SmartPtr<NodeMeshData> ParseMeshRecord(ModelTreeNode& node) {
    SmartPtr<NodeMeshData> mesh(new NodeMeshData);
    mesh->name = node.ReadString();
    const uint32_t refCount = node.ReadU32();
    if (refCount > node.Remaining() / kMinNodeRefBytes) {
        Log("NodeModel %s: mesh \"%s\" declares %u node references in %zu bytes",
            node.name.c_str(), mesh->name.c_str(), refCount, node.Remaining());
        return nullptr;
    }
    mesh->nodeRefs.resize(refCount);
    for (MeshNodeRefRecord& ref : mesh->nodeRefs) {
        ref.nodeName = node.ReadString();
        ref.boundsMin = {node.ReadFloat(), node.ReadFloat(), node.ReadFloat()};
        ref.boundsMax = {node.ReadFloat(), node.ReadFloat(), node.ReadFloat()};
    }

    const uint32_t partCount = node.ReadU32();
    if (partCount > node.Remaining() / kReferenceBytes) {
        Log("NodeModel %s: mesh \"%s\" declares %u parts in %zu bytes", node.name.c_str(),
            mesh->name.c_str(), partCount, node.Remaining());
        return nullptr;
    }
    mesh->parts.resize(partCount);
    for (ModelPartRecord& part : mesh->parts) {
        ModelTreeNode* partNode = node.ReadChild();
        if (partNode == nullptr) {
            Log("NodeModel %s: mesh \"%s\" refers to a part that is not there",
                node.name.c_str(), mesh->name.c_str());
            return nullptr;
        }
        if (!ReadPart(*partNode, part)) {
            return nullptr;
        }
    }

    const uint32_t geometryCount = node.ReadU32();
    if (geometryCount > node.Remaining() / kReferenceBytes) {
        Log("NodeModel %s: mesh \"%s\" declares %u geometries in %zu bytes", node.name.c_str(),
            mesh->name.c_str(), geometryCount, node.Remaining());
        return nullptr;
    }
    mesh->geometries.resize(geometryCount);
    for (ModelGeometryRecord& geometry : mesh->geometries) {
        ModelTreeNode* geometryNode = node.ReadChild();
        if (geometryNode == nullptr) {
            Log("NodeModel %s: mesh \"%s\" refers to a geometry that is not there",
                node.name.c_str(), mesh->name.c_str());
            return nullptr;
        }
        geometry.partIndex = geometryNode->ReadU16();
        geometry.indices = ParseIndexRecord(*geometryNode);
        if (!geometry.indices) {
            return nullptr;
        }
        geometry.vertices = ParseVertexRecord(*geometryNode);
        if (!geometry.vertices) {
            return nullptr;
        }
        const int64_t maxIndex = geometry.indices->GetMaxIndex();
        if (maxIndex >= static_cast<int64_t>(geometry.vertices->GetVertexCount())) {
            Log("NodeModel %s: mesh \"%s\" has index %lld past its %u vertices",
                node.name.c_str(), mesh->name.c_str(), static_cast<long long>(maxIndex),
                geometry.vertices->GetVertexCount());
            return nullptr;
        }
    }
    if (node.HasFailed()) {
        Log("NodeModel %s: mesh \"%s\" cut short", node.name.c_str(), mesh->name.c_str());
        return nullptr;
    }
    return mesh;
}

SmartPtr<MemoryIndexData> ParseIndexRecord(ModelTreeNode& node) {
    const uint8_t flags = node.ReadU8();
    uint32_t kind;
    switch (flags >> 4) {
        case 0x2: kind = PrimitiveKind::Triangles; break;
        case 0x3: kind = PrimitiveKind::TriangleFan; break;
        case 0x4: kind = PrimitiveKind::LineStrip; break;
        case 0x5: kind = PrimitiveKind::Lines; break;
        case 0x6: kind = PrimitiveKind::Points; break;
        default: kind = PrimitiveKind::TriangleStrip; break;
    }
    const uint32_t width = (flags & 0xF) == 1 ? 2 : ((flags & 0xF) == 2 ? 4 : 0);
    if (width == 0) {
        if (node.HasFailed()) {
            Log("NodeModel %s: index record cut short", node.name.c_str());
            return nullptr;
        }
        return SmartPtr<MemoryIndexData>(new MemoryIndexData({}, 0, 0, kind));  // vertex order
    }
    const uint32_t count = node.ReadU32();
    const uint8_t* bytes = count <= node.Remaining() / width ? node.TakeBytes(count * width)
                                                              : nullptr;
    if (node.HasFailed() || bytes == nullptr) {
        Log("NodeModel %s: %u indices with %zu bytes left", node.name.c_str(), count,
            node.Remaining());
        return nullptr;
    }
    return SmartPtr<MemoryIndexData>(new MemoryIndexData(
        std::vector<uint8_t>(bytes, bytes + count * width), count, width, kind));
}

SmartPtr<MemoryVertexData> ParseVertexRecord(ModelTreeNode& node) {
    const uint8_t skipWords = node.ReadU8();
    for (uint8_t i = 0; i < skipWords; ++i) {
        node.ReadU32();
    }
    const uint32_t format = node.ReadU32();
    const uint32_t count = node.ReadU32();
    uint32_t stride = 0;
    std::vector<VertexElementDesc> elements;
    DecodePackedVertexFormat(format, stride, elements);
    const bool fits = stride == 0 || count <= node.Remaining() / stride;
    const uint8_t* bytes = fits ? node.TakeBytes(static_cast<size_t>(count) * stride) : nullptr;
    if (node.HasFailed() || bytes == nullptr) {
        Log("NodeModel %s: %u vertices of %u bytes with %zu bytes left", node.name.c_str(),
            count, stride, node.Remaining());
        return nullptr;
    }
    return SmartPtr<MemoryVertexData>(new MemoryVertexData(
        std::vector<uint8_t>(bytes, bytes + static_cast<size_t>(count) * stride), count, stride,
        std::move(elements)));
}

// ---- the registered readers ----

void ReadModelNode(SmartPtr<MeshModel>* outModel, ModelTreeNode& node) {
    NodeModelData records;
    uint32_t meshCount = 0;
    if (!ParseModelHeader(node, records, meshCount)) {
        return;
    }
    SmartPtr<MeshModel> model(new MeshModel(records.name));
    model->SetNodes(std::move(records.nodes));
    model->UpdateNodeTransforms();
    model->UpdateWorldTransforms();
    model->RebindMeshes();
    for (uint32_t i = 0; i < meshCount; ++i) {
        SmartPtr<Mesh> mesh = LoadTypedFromNode<Mesh>(node);
        if (!mesh) {
            return;  // the mesh reader said why
        }
        model->AddMesh(mesh);
    }
    *outModel = model;
}

void ReadMeshNode(SmartPtr<Mesh>* outMesh, ModelTreeNode& node) {
    SmartPtr<NodeMeshData> records = ParseMeshRecord(node);
    if (records) {
        *outMesh = BuildNodeMesh(*records);
    }
}

void ReadVertexDataNode(SmartPtr<VertexDataSource>* outVertices, ModelTreeNode& node) {
    *outVertices = ParseVertexRecord(node);
}

void ReadIndexDataNode(SmartPtr<GLIndexBuffer>* outIndices, ModelTreeNode& node) {
    *outIndices = MakeIndexBuffer(ParseIndexRecord(node));
}

template <typename T>
void Register(void (*read)(SmartPtr<T>*, ModelTreeNode&)) {
    ResourceLoaderRegistry::Get()[TypeInfo<T>::ID] = std::make_unique<ModelTreeLoader<T>>(read);
}

}  // namespace

bool ModelPartRecord::HasEffect() const {
    return std::any_of(params.begin(), params.end(), [](const ModelParamRecord& record) {
        return record.kind == ModelParamRecord::Kind::Effect;
    });
}

void DecodePackedVertexFormat(uint32_t format, uint32_t& outStride,
                              std::vector<VertexElementDesc>& outElements) {
    const uint32_t texCoordCode = format & 0x3;
    const uint32_t colourCode = (format >> 2) & 0x7;
    const uint32_t normalCode = (format >> 5) & 0x3;
    const uint32_t positionCode = (format >> 7) & 0x3;
    const uint32_t extraCode = (format >> 9) & 0x3;
    const uint32_t extraCount = ((format >> 13) & 0x7) + 1;
    const uint32_t tangentCode = (format >> 20) & 0x3;
    const uint32_t binormalCode = (format >> 22) & 0x3;

    outElements.clear();
    uint32_t offset = 0;
    // Each stored field, in vertex order, with the components it stores.
    auto field = [&](VertexSemantic semantic, uint32_t code, uint32_t storedComponents,
                     uint32_t declaredComponents) {
        const uint32_t bytes = storedComponents * kComponentSize[code];
        if (code == kFloatCode && storedComponents == declaredComponents) {
            outElements.push_back({GetVertexSemantic(semantic), declaredComponents,
                                   VertexComponentType::Float, offset});
        } else if (code == kColourBytesCode) {
            outElements.push_back({GetVertexSemantic(semantic), declaredComponents,
                                   kVertexElementColourBytes, offset});
        }
        offset += bytes;
    };
    field(VertexSemantic::TexCoord0, texCoordCode, 2, 2);
    // The colour counts one component in the stride but declares four: only
    // four bytes (code 7) fit; float colour would overrun the vertex and
    // declares nothing.
    field(VertexSemantic::Diffuse, colourCode, 1, 4);
    field(VertexSemantic::Binormal, binormalCode, 3, 3);
    field(VertexSemantic::Tangent, tangentCode, 3, 3);
    field(VertexSemantic::Normal, normalCode, 3, 3);
    field(VertexSemantic::Position, positionCode, 3, 3);
    offset += extraCount * kComponentSize[extraCode];
    outStride = offset;
}

Mutex& GetModelLoaderMutex() {
    static Mutex* mutex = new Mutex;  // never destroyed: loaders may run at exit
    return *mutex;
}

void RegisterNodeModelReaders() {
    MutexLock lock(GetModelLoaderMutex());
    Register<MeshModel>(&ReadModelNode);
    Register<Mesh>(&ReadMeshNode);
    Register<VertexDataSource>(&ReadVertexDataNode);
    Register<GLIndexBuffer>(&ReadIndexDataNode);
}

SmartPtr<NodeModelData> LoadNodeModelFromBytes(const uint8_t* bytes, size_t size,
                                               const AsciiString& directory) {
    ModelTreeNode root;
    if (!root.Parse(bytes, size, directory)) {
        return nullptr;  // the parse said why
    }
    SmartPtr<NodeModelData> model(new NodeModelData);
    uint32_t meshCount = 0;
    if (!ParseModelHeader(root, *model, meshCount)) {
        return nullptr;
    }
    for (uint32_t i = 0; i < meshCount; ++i) {
        SmartPtr<NodeMeshData> mesh = ParseMeshRecord(root);
        if (!mesh) {
            return nullptr;
        }
        model->meshes.push_back(mesh);
    }
    return model;
}

SmartPtr<MeshModel> LoadNodeModelFromMemory(const uint8_t* bytes, size_t size,
                                            const AsciiString& directory) {
    RegisterNodeModelReaders();
    ModelTreeNode root;
    if (!root.Parse(bytes, size, directory)) {
        return nullptr;  // the parse said why
    }
    return LoadTypedFromNode<MeshModel>(root);
}

SmartPtr<MeshModel> LoadNodeModel(const AsciiString& path) {
    FileObject file(path.c_str(), kOpenRead);
    if (!file.Load()) {
        Log("LoadNodeModel: cannot open \"%s\"", path.c_str());
        return nullptr;
    }
    return LoadNodeModelFromMemory(file.GetData(), static_cast<size_t>(file.GetLength()),
                                   GetDirectory(path.c_str()));
}

SmartPtr<Mesh> BuildNodeMesh(const NodeMeshData& records) {
    SmartPtr<Mesh> mesh(new Mesh(nullptr, records.name));
    mesh->SetNodeRefs(records.nodeRefs.data(), static_cast<int>(records.nodeRefs.size()));

    const size_t partCount = records.parts.size();
    std::vector<SmartPtr<MaterialParamBlock>> blocks(partCount);
    std::vector<SmartPtr<MaterialTemplate>> templates(partCount);
    for (size_t i = 0; i < partCount; ++i) {
        const ModelPartRecord& part = records.parts[i];
        SmartPtr<Texture> texture;
        if (part.hasTexture) {
            texture = TextureManager::Get().GetTexture(part.texturePath.c_str());
        }
        for (const ModelParamRecord& record : part.params) {
            if (record.kind == ModelParamRecord::Kind::Effect) {
                SmartPtr<Effect> effect = EffectCache::GetOrLoad(record.path.c_str(), false, 0);
                if (effect) {
                    if (!templates[i]) {
                        templates[i] = new MaterialTemplate();
                    }
                    templates[i]->AddEffect(effect);
                }
                continue;
            }
            const ParamDesc declaration(MakeParamName(record.name.c_str()), record.type, 1);
            MeshMaterial& material = mesh->GetOrCreateMaterial(part.name, &declaration,
                                                               &declaration + 1);
            blocks[i] = material.block;
            if (record.kind == ModelParamRecord::Kind::Texture) {
                mesh->BindUVWOffset(material, record.bindKey, AsciiString());
                SmartPtr<Texture> named = TextureManager::Get().GetTexture(record.path.c_str());
                if (named) {
                    WriteParamTexture(*material.block, record.name.c_str(), named);
                }
            } else if (record.type != ParamType::Int) {
                const int count = record.type == ParamType::Float ? 1
                                  : record.type == ParamType::Vector2 ? 2
                                  : record.type == ParamType::Vector3 ? 3 : 4;
                WriteParamFloats(*material.block, record.name.c_str(), record.type,
                                 record.values, count);
            }
        }
        if (templates[i]) {
            continue;  // the effect declares what the part needs
        }
        MeshMaterial& material = mesh->GetOrCreateMaterial(part.name, StandardMaterialParams());
        blocks[i] = material.block;
        const MaterialParamBlock& block = *material.block;
        WriteParamBool(block, "IsLit", false);
        WriteParamFloats(block, "Ambience", ParamType::Vector3, part.ambient, 3);
        WriteParamFloats(block, "Diffuse", ParamType::Vector3, part.diffuse, 3);
        WriteParamFloats(block, "Specular", ParamType::Vector3, part.specular, 3);
        WriteParamFloats(block, "SpecularStrength", ParamType::Float, &part.specularStrength, 1);
        WriteParamTexture(block, "DiffuseMap", texture);
        if (!part.animationKey.IsEmpty()) {
            mesh->BindUVWOffset(material, part.animationKey, AsciiString());
        }
    }

    for (const ModelGeometryRecord& record : records.geometries) {
        const bool ownPart = record.partIndex < partCount;
        SmartPtr<MaterialParamBlock> block = mesh->GetEngineParams();
        if (ownPart) {
            // A part with an effect and no values has no block yet: an empty
            // one over the engine matrices keeps them in the chain.
            if (!blocks[record.partIndex]) {
                blocks[record.partIndex] =
                    mesh->GetOrCreateMaterial(records.parts[record.partIndex].name, nullptr,
                                              nullptr).block;
            }
            block = blocks[record.partIndex];
        }
        SmartPtr<MaterialTemplate> materialTemplate =
            ownPart && templates[record.partIndex] ? templates[record.partIndex]
                                                   : GetDefaultEffect();
        SmartPtr<VertexStream> stream(new VertexStream);
        stream->SetSource(SmartPtr<VertexDataSource>(record.vertices.Get()));
        stream->UpdateLayout(true);  // uploaded at the first draw
        SmartPtr<MeshGeometry> geometry(new MeshGeometry);
        geometry->AddVertexStream(stream);
        geometry->SetIndexBuffer(MakeIndexBuffer(record.indices), std::string());
        geometry->SetTemplate(materialTemplate);
        SmartPtr<MaterialInstance> item(new MaterialInstance(geometry, block));
        item->SelectPass(0);
        mesh->AddDrawItem(item);
    }
    return mesh;
}

}  // namespace Varnok
