// Keyed records, little-endian: u32 key length, the key, a zero byte, then
// the key's values.
#include "tools/make_models/BinModelWriter.h"

#include <cstring>
#include <string>

namespace Varnok {
namespace ModelTool {

namespace {

class KeyedWriter {
public:
    void U32(uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            m_bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    }
    void Float(float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        U32(bits);
    }
    void Text(const std::string& text) {
        U32(static_cast<uint32_t>(text.size()));
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        m_bytes.push_back(0);
    }
    void Key(const char* key) { Text(key); }

    std::vector<uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

}  // namespace

std::vector<uint8_t> WriteBinModel(const ModelSource& model) {
    KeyedWriter w;
    w.Key("VellMarchMesh");
    w.Key("Version");
    w.Float(1.0f);
    w.Key("MeshCount");
    w.U32(static_cast<uint32_t>(model.meshes.size()));
    for (const ModelMesh& mesh : model.meshes) {
        w.Key("Name");
        w.Text(mesh.name);
        w.Key("matrix0");
        const float matrix[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, mesh.translation[0],
                                  mesh.translation[1], mesh.translation[2]};
        for (float value : matrix) {
            w.Float(value);
        }
        w.Key("Matcount");
        w.U32(static_cast<uint32_t>(mesh.parts.size()));
        for (const ModelPart& part : mesh.parts) {
            w.Key("matname");
            w.Text(part.name);
            w.Key("diffuse");
            for (float channel : part.diffuse) {
                w.Float(channel * 255.0f);
            }
            if (!part.texture.empty()) {
                w.Key("diffusetex");
                w.Text(part.texture);
            }
            w.Key("faces");
            const size_t faceCount = part.indices.size() / 3;
            w.Float(static_cast<float>(faceCount));
            for (size_t f = 0; f < faceCount; ++f) {
                for (int corner = 0; corner < 3; ++corner) {
                    w.Float(static_cast<float>(part.indices[3 * f + corner]));
                }
                w.Float(0.0f);
            }
            w.Key("verts");
            w.Float(static_cast<float>(part.vertices.size()));
            w.U32(0);
            for (const ModelVertex& v : part.vertices) {
                const float values[12] = {v.position[0], v.position[1], v.position[2],
                                          v.normal[0],   v.normal[1],   v.normal[2],
                                          v.uv[0],       1.0f - v.uv[1],  // the reader flips v
                                          v.colour[0],   v.colour[1],   v.colour[2],
                                          v.colour[3]};
                for (float value : values) {
                    w.Float(value);
                }
            }
        }
    }
    return std::move(w.Bytes());
}

}  // namespace ModelTool
}  // namespace Varnok
