// The key-by-key walk of binary model files. Every record is checked against
// the file: a count that cannot fit, a key that needs state the file has not
// set up, or an index past its vertices refuses the model.
#include "engine/model/BinModel.h"

#include "engine/core/FileObject.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/model/MaterialDescription.h"
#include "engine/model/internal/ByteCursor.h"
#include "engine/model/internal/ModelParams.h"
#include "engine/render/TextureManager.h"
#include "engine/render/VertexSemantics.h"
#include "engine/render/VertexStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Varnok {

namespace {

constexpr uint32_t kMaxKeyLength = 100;
constexpr size_t kMinNameRecordBytes = 4 + 1 + 4 + 1;  // key "" and string ""
constexpr size_t kFaceBytes = 16;
constexpr size_t kVertexBytes = 48;
constexpr float kMaxIndex = 65535.0f;

uint32_t Hash(const char* key) {
    return HashName(key, static_cast<int>(std::strlen(key)));
}

// Whole numbers stored as floats; false for NaN, fractions of the range or
// values outside [low, high].
bool FloatToCount(float value, float low, float high, int64_t& outValue) {
    if (!(value >= low && value <= high)) {
        return false;
    }
    outValue = static_cast<int64_t>(value);
    return true;
}

class BinModelWalk {
public:
    BinModelWalk(const uint8_t* bytes, size_t size, const AsciiString& name)
        : m_cursor(bytes, size), m_model(new BinModelData) {
        m_model->name = name;
    }

    SmartPtr<BinModelData> Run();

private:
    bool Fail(const char* fault) {
        Log("LoadBinModel %s: %s", m_model->name.c_str(), fault);
        return false;
    }
    bool Dispatch(uint32_t hash, const AsciiString& key);
    BinModelMaterial* OpenMaterial() {
        return m_mesh != nullptr && m_material >= 0 ? &m_mesh->materials[m_material] : nullptr;
    }

    ByteCursor m_cursor;
    SmartPtr<BinModelData> m_model;
    BinModelMesh* m_mesh = nullptr;  // the current mesh, inside m_model->meshes
    int m_material = -1;             // the open material of the current mesh
    // The open material's record: colours and levels that the keys combine.
    float m_ambientColour[3] = {};
    float m_diffuseColour[3] = {};
    float m_specularColour[3] = {};
    float m_ambientLevel = 1.0f;
    float m_specularLevel = 1.0f;
    bool m_hasPending = false;  // "faces" read, waiting for "verts"
    BinModelDrawItem m_pending;
};

SmartPtr<BinModelData> BinModelWalk::Run() {
    const size_t size = m_cursor.GetSize();
    while (size > 4 && m_cursor.GetPosition() < size - 4) {
        const uint32_t keyLength = m_cursor.ReadU32();
        if (keyLength > kMaxKeyLength) {
            Fail("key longer than 100 characters");
            return nullptr;
        }
        const uint8_t* chars = m_cursor.Take(keyLength + 1);
        if (chars == nullptr) {
            Fail("key cut short");
            return nullptr;
        }
        const AsciiString key(reinterpret_cast<const char*>(chars), static_cast<int>(keyLength));
        if (!Dispatch(HashName(key.c_str(), key.Length()), key)) {
            return nullptr;
        }
        if (m_cursor.HasFailed()) {
            Log("LoadBinModel %s: record \"%s\" cut short", m_model->name.c_str(), key.c_str());
            return nullptr;
        }
    }
    return m_model;
}

bool BinModelWalk::Dispatch(uint32_t hash, const AsciiString& key) {
    static const uint32_t kTag = Hash("VellMarchMesh");
    static const uint32_t kVersion = Hash("Version");
    static const uint32_t kMeshCount = Hash("MeshCount");
    static const uint32_t kName = Hash("Name");
    static const uint32_t kParent = Hash("Parent");
    static const uint32_t kMatCount = Hash("Matcount");
    static const uint32_t kMatName = Hash("matname");
    static const uint32_t kDiffuseTex = Hash("diffusetex");
    static const uint32_t kAmbient = Hash("ambient");
    static const uint32_t kDiffuse = Hash("diffuse");
    static const uint32_t kSpecular = Hash("specular");
    static const uint32_t kAmbientLevel = Hash("ambientlevel");
    static const uint32_t kSpecLevel = Hash("speclevel");
    static const uint32_t kGlossLevel = Hash("glosslevel");
    static const uint32_t kAlpha = Hash("alpha");
    static const uint32_t kIgnoredWords[] = {Hash("reflectlevel"), Hash("twosided"),
                                             Hash("selfilluminationlevel"), Hash("opacitylevel")};
    static const uint32_t kVarnokMat = Hash("VarnokMat");
    static const uint32_t kMatrix = Hash("matrix0");
    static const uint32_t kFaces = Hash("faces");
    static const uint32_t kVerts = Hash("verts");

    if (hash == kTag) {
        return true;
    }
    if (hash == kVersion) {
        return m_cursor.ReadFloat() == 1.0f || m_cursor.HasFailed() ||
               Fail("\"Version\" is not 1.0");
    }
    if (hash == kMeshCount) {
        const uint32_t count = m_cursor.ReadU32();
        if (count > m_cursor.Remaining() / kMinNameRecordBytes) {
            return Fail("\"MeshCount\" larger than the file can hold");
        }
        m_model->nodes.resize(count);
        return true;
    }
    if (hash == kName) {
        AsciiString name;
        if (!ReadKeyedString(m_cursor, name)) {
            return Fail("mesh name cut short or too long");
        }
        const size_t nodeIndex = m_model->meshes.size();
        if (nodeIndex >= m_model->nodes.size()) {
            return Fail("more meshes than \"MeshCount\"");
        }
        if (m_hasPending) {
            return Fail("\"faces\" without \"verts\"");
        }
        m_model->meshes.emplace_back();
        m_mesh = &m_model->meshes.back();
        m_mesh->name = name;
        m_mesh->nodeIndex = static_cast<int>(nodeIndex);
        m_material = -1;
        ModelNodeRecord& node = m_model->nodes[nodeIndex];
        node = ModelNodeRecord();
        node.name = name;
        return true;
    }
    if (hash == kParent) {
        AsciiString ignored;
        return ReadKeyedString(m_cursor, ignored) || Fail("\"Parent\" cut short or too long");
    }
    if (hash == kMatCount || std::find(std::begin(kIgnoredWords), std::end(kIgnoredWords), hash) !=
                                 std::end(kIgnoredWords)) {
        m_cursor.ReadU32();
        return true;
    }
    if (hash == kMatName) {
        AsciiString name;
        if (!ReadKeyedString(m_cursor, name)) {
            return Fail("material name cut short or too long");
        }
        if (m_mesh == nullptr) {
            return Fail("\"matname\" before any \"Name\"");
        }
        auto found = std::find_if(m_mesh->materials.begin(), m_mesh->materials.end(),
                                  [&name](const BinModelMaterial& m) { return m.name == name; });
        if (found == m_mesh->materials.end()) {
            m_mesh->materials.emplace_back();
            found = m_mesh->materials.end() - 1;
            found->name = name;
        }
        m_material = static_cast<int>(found - m_mesh->materials.begin());
        BinModelMaterial& material = *found;
        material.isLit = false;
        std::fill(std::begin(material.ambience), std::end(material.ambience), 0.0f);
        std::fill(std::begin(material.diffuse), std::end(material.diffuse), 1.0f);
        std::fill(std::begin(material.specular), std::end(material.specular), 0.0f);
        material.specularStrength = 1.0f;
        // A new record starts from zero colours, not the last material's.
        std::fill(std::begin(m_ambientColour), std::end(m_ambientColour), 0.0f);
        std::fill(std::begin(m_diffuseColour), std::end(m_diffuseColour), 0.0f);
        std::fill(std::begin(m_specularColour), std::end(m_specularColour), 0.0f);
        m_ambientLevel = 1.0f;
        m_specularLevel = 1.0f;
        return true;
    }
    if (hash == kDiffuseTex) {
        AsciiString texture;
        if (!ReadKeyedString(m_cursor, texture)) {
            return Fail("texture name cut short or too long");
        }
        BinModelMaterial* material = OpenMaterial();
        if (material == nullptr) {
            return Fail("\"diffusetex\" before any \"matname\"");
        }
        material->hasDiffuseMap = true;
        material->diffuseMap = texture;
        return true;
    }
    if (hash == kAmbient || hash == kDiffuse || hash == kSpecular || hash == kAmbientLevel ||
        hash == kSpecLevel || hash == kGlossLevel || hash == kAlpha) {
        float values[3] = {};
        const bool isColour = hash == kAmbient || hash == kDiffuse || hash == kSpecular;
        for (int i = 0; i < (isColour ? 3 : 1); ++i) {
            values[i] = m_cursor.ReadFloat();
        }
        BinModelMaterial* material = OpenMaterial();
        if (material == nullptr) {
            Log("LoadBinModel %s: \"%s\" before any \"matname\"", m_model->name.c_str(),
                key.c_str());
            return false;
        }
        if (isColour) {
            float* colour = hash == kAmbient ? m_ambientColour
                                             : (hash == kDiffuse ? m_diffuseColour : m_specularColour);
            for (int i = 0; i < 3; ++i) {
                colour[i] = values[i] / 255.0f;
            }
            // Each colour key writes its own parameter only.
            for (int i = 0; i < 3; ++i) {
                if (hash == kAmbient) {
                    material->ambience[i] = m_ambientLevel * m_ambientColour[i];
                } else if (hash == kDiffuse) {
                    material->diffuse[i] = m_diffuseColour[i];
                } else {
                    material->specular[i] = m_specularLevel * m_specularColour[i];
                }
            }
        } else if (hash == kAmbientLevel) {
            m_ambientLevel = values[0] / 100.0f;
            for (int i = 0; i < 3; ++i) {
                material->ambience[i] = m_ambientLevel * m_ambientColour[i];
            }
        } else if (hash == kSpecLevel) {
            m_specularLevel = values[0] / 100.0f;
            for (int i = 0; i < 3; ++i) {
                material->specular[i] = m_specularLevel * m_specularColour[i];
            }
        } else if (hash == kGlossLevel) {
            material->specularStrength = values[0];
        } else {
            material->hasAlpha = true;
            material->alpha = values[0];
        }
        return true;
    }
    if (hash == kVarnokMat) {
        m_cursor.ReadU32();
        MaterialDescription description;
        if (!description.Read(m_cursor, m_cursor.GetSize())) {
            return Fail("embedded material description cut short");
        }
        if (BinModelMaterial* material = OpenMaterial()) {
            for (int i = 0; i < 3; ++i) {
                m_diffuseColour[i] = description.GetDiffuseColour()[i] * 255.0f;
                material->diffuse[i] = m_diffuseColour[i];
            }
            material->hasDiffuseMap = true;
            material->diffuseMap = description.GetDiffuseTexture();
        }
        return true;
    }
    if (hash == kMatrix) {
        float values[12];
        for (float& value : values) {
            value = m_cursor.ReadFloat();
        }
        if (m_mesh == nullptr) {
            return Fail("\"matrix0\" before any \"Name\"");
        }
        ModelNodeRecord& node = m_model->nodes[m_mesh->nodeIndex];
        std::copy(values, values + 9, node.scale);
        node.translation = {values[9], values[10], values[11]};
        return true;
    }
    if (hash == kFaces) {
        int64_t faceCount = 0;
        const float written = m_cursor.ReadFloat();
        if (!FloatToCount(written, 0.0f, static_cast<float>(m_cursor.Remaining() / kFaceBytes),
                          faceCount)) {
            return Fail("\"faces\" count does not fit the file");
        }
        if (m_mesh == nullptr) {
            return Fail("\"faces\" before any \"Name\"");
        }
        m_pending = BinModelDrawItem();
        m_pending.indices.reserve(static_cast<size_t>(faceCount) * 3);
        for (int64_t f = 0; f < faceCount; ++f) {
            for (int corner = 0; corner < 3; ++corner) {
                int64_t index = 0;
                if (!FloatToCount(m_cursor.ReadFloat(), 0.0f, kMaxIndex, index)) {
                    return Fail("face index is not a vertex number");
                }
                m_pending.indices.push_back(static_cast<uint16_t>(index));
            }
            m_cursor.ReadFloat();  // unused fourth value
        }
        m_hasPending = true;
        return true;
    }
    if (hash == kVerts) {
        int64_t vertexCount = 0;
        const float written = m_cursor.ReadFloat();
        m_cursor.ReadU32();  // unused word
        if (!FloatToCount(written, 0.0f, static_cast<float>(m_cursor.Remaining() / kVertexBytes),
                          vertexCount)) {
            return Fail("\"verts\" count does not fit the file");
        }
        if (!m_hasPending || OpenMaterial() == nullptr) {
            return Fail("\"verts\" without \"faces\" and \"matname\" before it");
        }
        m_pending.vertices.resize(static_cast<size_t>(vertexCount));
        for (GeneratedVertex& vertex : m_pending.vertices) {
            float v[12];
            for (float& value : v) {
                value = m_cursor.ReadFloat();
            }
            std::copy(v, v + 3, vertex.position);
            std::copy(v + 3, v + 6, vertex.normal);
            vertex.texCoord[0] = v[6];
            vertex.texCoord[1] = 1.0f - v[7];
            for (int i = 0; i < 4; ++i) {
                vertex.colour[i] = std::min(v[8 + i] * 255.0f, 255.0f);
            }
        }
        for (uint16_t index : m_pending.indices) {
            if (index >= vertexCount) {
                return Fail("face index past the vertices");
            }
        }
        m_pending.materialIndex = m_material;
        m_mesh->drawItems.push_back(std::move(m_pending));
        m_pending = BinModelDrawItem();
        m_hasPending = false;
        return true;
    }
    Log("LoadBinModel %s: unknown key \"%s\"", m_model->name.c_str(), key.c_str());
    return false;
}

}  // namespace

SmartPtr<BinModelData> LoadBinModelFromBytes(const uint8_t* bytes, size_t size,
                                             const AsciiString& name) {
    BinModelWalk walk(bytes, size, name);
    return walk.Run();
}

SmartPtr<MeshModel> BuildBinModel(const BinModelData& records) {
    // One layout for every binary-model vertex.
    static const std::vector<VertexElementDesc> kElements = {
        {GetVertexSemantic(VertexSemantic::Position), 3, VertexComponentType::Float, 0},
        {GetVertexSemantic(VertexSemantic::Normal), 3, VertexComponentType::Float, 12},
        {GetVertexSemantic(VertexSemantic::TexCoord0), 2, VertexComponentType::Float, 24},
        {GetVertexSemantic(VertexSemantic::Diffuse), 4, VertexComponentType::Float, 32},
    };

    SmartPtr<MeshModel> model(new MeshModel(records.name));
    for (const BinModelMesh& meshRecord : records.meshes) {
        SmartPtr<Mesh> mesh(new Mesh(nullptr, meshRecord.name));
        MeshNodeRef ref;
        ref.nodeName = meshRecord.name;
        ref.nodeIndex = meshRecord.nodeIndex;
        mesh->SetNodeRefs(&ref, 1);

        std::vector<SmartPtr<MaterialParamBlock>> blocks;
        for (const BinModelMaterial& material : meshRecord.materials) {
            SmartPtr<MaterialParamBlock> block =
                mesh->GetOrCreateMaterial(material.name, StandardMaterialParams()).block;
            WriteParamBool(*block, "IsLit", material.isLit);
            WriteParamFloats(*block, "Ambience", ParamType::Vector3, material.ambience, 3);
            WriteParamFloats(*block, "Diffuse", ParamType::Vector3, material.diffuse, 3);
            WriteParamFloats(*block, "Specular", ParamType::Vector3, material.specular, 3);
            WriteParamFloats(*block, "SpecularStrength", ParamType::Float,
                             &material.specularStrength, 1);
            if (material.hasAlpha) {
                WriteParamFloats(*block, "Alpha", ParamType::Float, &material.alpha, 1);
            }
            if (material.hasDiffuseMap) {
                SmartPtr<Texture> texture;
                if (!material.diffuseMap.IsEmpty()) {
                    texture = TextureManager::Get().GetTexture(material.diffuseMap.c_str());
                }
                WriteParamTexture(*block, "DiffuseMap", texture);
            }
            blocks.push_back(block);
        }

        for (const BinModelDrawItem& item : meshRecord.drawItems) {
            std::vector<uint8_t> indexBytes(item.indices.size() * 2);
            if (!indexBytes.empty()) {
                std::memcpy(indexBytes.data(), item.indices.data(), indexBytes.size());
            }
            SmartPtr<MemoryIndexData> indices(new MemoryIndexData(
                std::move(indexBytes), static_cast<uint32_t>(item.indices.size()), 2,
                PrimitiveKind::Triangles));
            std::vector<uint8_t> vertexBytes(item.vertices.size() * sizeof(GeneratedVertex));
            if (!vertexBytes.empty()) {
                std::memcpy(vertexBytes.data(), item.vertices.data(), vertexBytes.size());
            }
            SmartPtr<VertexDataSource> vertices(new MemoryVertexData(
                std::move(vertexBytes), static_cast<uint32_t>(item.vertices.size()),
                sizeof(GeneratedVertex), kElements));
            SmartPtr<VertexStream> stream(new VertexStream);
            stream->SetSource(vertices);
            stream->UpdateLayout(true);  // uploaded at the first draw

            SmartPtr<MeshGeometry> geometry(new MeshGeometry);
            geometry->SetTemplate(GetDefaultEffect());
            geometry->SetIndexBuffer(MakeIndexBuffer(indices), std::string());
            geometry->AddVertexStream(stream);
            SmartPtr<MaterialInstance> instance(
                new MaterialInstance(geometry, blocks[item.materialIndex]));
            instance->SelectPass(0);
            mesh->AddDrawItem(instance);
        }
        model->AddMesh(mesh);
    }
    model->SetNodes(records.nodes);
    model->UpdateNodeTransforms();
    model->UpdateWorldTransforms();
    model->RebindMeshes();
    return model;
}

SmartPtr<MeshModel> LoadBinModel(const AsciiString& path) {
    FileObject file(path.c_str(), kOpenRead);
    if (!FileExists(path.c_str(), 0) || !file.Load()) {
        Log("LoadBinModel: cannot open \"%s\"", path.c_str());
        return nullptr;
    }
    SmartPtr<BinModelData> records =
        LoadBinModelFromBytes(file.GetData(), static_cast<size_t>(file.GetLength()), path);
    return records ? BuildBinModel(*records) : nullptr;
}

}  // namespace Varnok
