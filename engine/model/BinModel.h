// Reading keyed binary model files (".binmodel"): a flat stream of keyed
// records that builds meshes of 48-byte-vertex triangle lists, one material
// per "matname" record.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/model/GeneratedMesh.h"
#include "engine/model/MeshModel.h"
#include "engine/model/NodeModel.h"

#include <cstdint>
#include <vector>

namespace Varnok {

// The values a material's standard parameters end up with.
struct BinModelMaterial {
    AsciiString name;
    bool isLit = false;
    float ambience[3] = {0, 0, 0};  // ambient level x ambient colour
    float diffuse[3] = {1, 1, 1};
    float specular[3] = {0, 0, 0};  // specular level x specular colour
    float specularStrength = 1.0f;
    bool hasAlpha = false;
    float alpha = 0.0f;
    // Texture of "DiffuseMap" as written; set by "diffusetex" or an embedded
    // description (which may clear it to empty).
    bool hasDiffuseMap = false;
    AsciiString diffuseMap;
};

// One triangle list drawn with one material.
struct BinModelDrawItem {
    int materialIndex = 0;  // in the mesh's materials
    std::vector<uint16_t> indices;
    std::vector<GeneratedVertex> vertices;  // v flipped (1 - v), colour 0..255
};

struct BinModelMesh {
    AsciiString name;
    int nodeIndex = 0;  // the mesh's own node in the model's node list
    std::vector<BinModelMaterial> materials;  // one per distinct "matname"
    std::vector<BinModelDrawItem> drawItems;
};

class BinModelData : public ReferenceCounter {
public:
    AsciiString name;  // the file's path
    std::vector<ModelNodeRecord> nodes;
    std::vector<BinModelMesh> meshes;
};

// The records of a file's bytes. Null (one log line) when they are not a
// valid model: a "Version" other than 1, an unknown key, a record cut
// short, more meshes than "MeshCount", keys before the records they need,
// or indices past the vertices. Four bytes or fewer are an empty model.
SmartPtr<BinModelData> LoadBinModelFromBytes(const uint8_t* bytes, size_t size,
                                             const AsciiString& name);

// The drawable model: one mesh per "Name" hanging from its own node, one
// draw item per triangle list with the default template and the nine
// standard parameters of its material; "DiffuseMap" through the texture
// manager with the name as written. Requires a current GL context.
SmartPtr<MeshModel> BuildBinModel(const BinModelData& records);

// The drawable model of a ".binmodel" file, named after the path; null
// (one log line) when the file is missing or not a valid model.
SmartPtr<MeshModel> LoadBinModel(const AsciiString& path);

}  // namespace Varnok
