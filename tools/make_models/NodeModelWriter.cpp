// The node-tree container, written depth first: tag, child count, each
// child's size and bytes, a zero skip count, then the node's data block.
#include "tools/make_models/NodeModelWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace Varnok {
namespace ModelTool {

namespace {

// Texture coordinates, colour bytes, normal and position as floats.
constexpr uint32_t kVertexFormat = 0x1FF;
constexpr uint8_t kTriangleList16 = 0x21;

class DataWriter {
public:
    void U8(uint8_t value) { bytes.push_back(value); }
    void U16(uint16_t value) {
        U8(static_cast<uint8_t>(value & 0xFF));
        U8(static_cast<uint8_t>(value >> 8));
    }
    void U32(uint32_t value) {
        U16(static_cast<uint16_t>(value & 0xFFFF));
        U16(static_cast<uint16_t>(value >> 16));
    }
    void Float(float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        U32(bits);
    }
    void Text(const std::string& text) {
        U16(static_cast<uint16_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    void Colour(const float rgb[3]) {
        uint32_t word = 0xFF000000u;
        for (int i = 0; i < 3; ++i) {
            const float clamped = std::min(std::max(rgb[i], 0.0f), 1.0f);
            word |= static_cast<uint32_t>(std::lround(clamped * 255.0f)) << (8 * i);
        }
        U32(word);
    }

    std::vector<uint8_t> bytes;
};

struct TreeNode {
    DataWriter data;
    std::vector<TreeNode> children;
};

void Serialise(const TreeNode& node, DataWriter& out) {
    out.U32(0);  // tag
    out.U32(static_cast<uint32_t>(node.children.size()));
    for (const TreeNode& child : node.children) {
        DataWriter childBytes;
        Serialise(child, childBytes);
        out.U32(static_cast<uint32_t>(childBytes.bytes.size()));
        out.bytes.insert(out.bytes.end(), childBytes.bytes.begin(), childBytes.bytes.end());
    }
    out.U32(0);  // no skipped words
    out.U32(static_cast<uint32_t>(node.data.bytes.size()));
    out.bytes.insert(out.bytes.end(), node.data.bytes.begin(), node.data.bytes.end());
}

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

TreeNode PartNode(const ModelPart& part) {
    TreeNode node;
    DataWriter& d = node.data;
    d.Text(part.name);
    if (part.texture.empty()) {
        d.U32(0);
    } else {
        TreeNode texture;
        texture.data.Text("");  // no animation key
        texture.data.Text(FileName(part.texture));
        node.children.push_back(std::move(texture));
        d.U32(1);
    }
    const float black[3] = {0, 0, 0};
    d.Colour(black);  // ambient
    d.Colour(part.diffuse);
    d.Colour(black);  // unused third colour
    d.Colour(black);  // specular
    d.Float(1.0f);    // specular strength
    d.U32(0);         // no parameter records
    return node;
}

TreeNode GeometryNode(uint16_t partIndex, const ModelPart& part) {
    TreeNode node;
    DataWriter& d = node.data;
    d.U16(partIndex);
    d.U8(kTriangleList16);
    d.U32(static_cast<uint32_t>(part.indices.size()));
    for (uint16_t index : part.indices) {
        d.U16(index);
    }
    d.U8(0);  // no skipped words
    d.U32(kVertexFormat);
    d.U32(static_cast<uint32_t>(part.vertices.size()));
    for (const ModelVertex& v : part.vertices) {
        d.Float(v.uv[0]);
        d.Float(v.uv[1]);
        for (float channel : v.colour) {
            d.U8(static_cast<uint8_t>(std::lround(std::min(std::max(channel, 0.0f), 1.0f) * 255)));
        }
        for (float value : v.normal) {
            d.Float(value);
        }
        for (float value : v.position) {
            d.Float(value);
        }
    }
    return node;
}

}  // namespace

std::vector<uint8_t> WriteNodeModel(const ModelSource& model) {
    TreeNode root;
    DataWriter& d = root.data;
    d.Text(model.name);
    d.U32(static_cast<uint32_t>(model.meshes.size()));
    for (const ModelMesh& mesh : model.meshes) {
        d.Text(mesh.name);
        d.U32(static_cast<uint32_t>(-1));  // a root
        const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        for (float value : identity) {
            d.Float(value);  // offset matrix
        }
        for (float value : mesh.translation) {
            d.Float(value);
        }
        const float rotation[4] = {0, 0, 0, 1};
        for (float value : rotation) {
            d.Float(value);
        }
        const float scale[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        for (float value : scale) {
            d.Float(value);
        }
    }
    d.U32(static_cast<uint32_t>(model.meshes.size()));
    for (const ModelMesh& mesh : model.meshes) {
        d.Text(mesh.name);
        // One node reference: the mesh's own node, with the box of its vertices.
        float low[3] = {1e30f, 1e30f, 1e30f};
        float high[3] = {-1e30f, -1e30f, -1e30f};
        for (const ModelPart& part : mesh.parts) {
            for (const ModelVertex& v : part.vertices) {
                for (int i = 0; i < 3; ++i) {
                    low[i] = std::min(low[i], v.position[i]);
                    high[i] = std::max(high[i], v.position[i]);
                }
            }
        }
        d.U32(1);
        d.Text(mesh.name);
        for (float value : low) {
            d.Float(value);
        }
        for (float value : high) {
            d.Float(value);
        }
        // Parts and geometries are children of the root, referenced from 1.
        d.U32(static_cast<uint32_t>(mesh.parts.size()));
        for (size_t p = 0; p < mesh.parts.size(); ++p) {
            root.children.push_back(PartNode(mesh.parts[p]));
            d.U32(static_cast<uint32_t>(root.children.size()));
        }
        d.U32(static_cast<uint32_t>(mesh.parts.size()));
        for (size_t p = 0; p < mesh.parts.size(); ++p) {
            root.children.push_back(GeometryNode(static_cast<uint16_t>(p), mesh.parts[p]));
            d.U32(static_cast<uint32_t>(root.children.size()));
        }
    }
    DataWriter out;
    Serialise(root, out);
    return out.bytes;
}

}  // namespace ModelTool
}  // namespace Varnok
