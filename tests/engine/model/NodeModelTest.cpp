#include "engine/model/NodeModel.h"

#include "tests/engine/model/ByteWriter.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using ModelTest::ByteWriter;

// A container node: tag, child count, sizes and children, skipped words, data.
std::string Node(const std::string& data, const std::vector<std::string>& children = {},
                 uint32_t skipWords = 0) {
    ByteWriter node;
    node.U32(0x4E4F4445).U32(static_cast<uint32_t>(children.size()));
    for (const std::string& child : children) {
        node.U32(static_cast<uint32_t>(child.size())).Raw(child);
    }
    node.U32(skipWords);
    for (uint32_t i = 0; i < skipWords; ++i) {
        node.U32(0xDEADBEEF);
    }
    node.U32(static_cast<uint32_t>(data.size())).Raw(data);
    return node.Bytes();
}

std::string TextureNode() {
    return Node(ByteWriter().ShortString("spin").ShortString("apple.tex").Bytes());
}

std::string ParamNode() {
    return Node(ByteWriter()
                    .U32(10).U32(0).ShortString("Glow").F32(0.5f)          // one float
                    .U32(19).U32(1).ShortString("Mode").U32(7)             // an integer
                    .U32(10).U32(3).ShortString("Tint").F32(1).F32(2).F32(3)
                    .U32(8).U32(1).ShortString("Shine").ShortString("Sub\\Shine.TEXture")
                    .U32(8).U32(1).ShortString("Look").ShortString("glass.fx")
                    .U32(8).U32(1).ShortString("Skip").ShortString("noextension")
                    .U32(0)
                    .Bytes());
}

std::string PartNode() {
    return Node(ByteWriter()
                    .ShortString("skin")
                    .U32(1)            // texture: child 1
                    .U32(0x00FF0000)   // ambient: blue
                    .U32(0x000000FF)   // diffuse: red
                    .U32(0)
                    .U32(0x0000FF00)   // specular: green
                    .F32(4.0f)
                    .U32(2)            // parameters: child 2
                    .Bytes(),
                {TextureNode(), ParamNode()});
}

std::string GeometryNode(uint32_t vertexCount = 3, uint16_t lastIndex = 2) {
    ByteWriter data;
    data.U16(0);                                   // part 0
    data.U8(0x21).U32(3).U16(0).U16(1).U16(lastIndex);  // 16-bit triangle list
    data.U8(1).U32(0).U32(0x1E3).U32(vertexCount);     // one skipped word
    for (uint32_t i = 0; i < vertexCount * 8; ++i) {
        data.F32(static_cast<float>(i));
    }
    return Node(data.Bytes());
}

ByteWriter ModelRecord(uint32_t meshCount = 1, uint32_t partRef = 1) {
    ByteWriter data;
    data.ShortString("apple").U32(1);
    data.ShortString("root").U32(0xFFFFFFFF);  // parent -1
    for (int i = 0; i < 16; ++i) {
        data.F32(i % 5 == 0 ? 1.0f : 0.0f);
    }
    data.F32(1).F32(2).F32(3).F32(0).F32(0).F32(0).F32(1);
    for (int i = 0; i < 9; ++i) {
        data.F32(i % 4 == 0 ? 1.0f : 0.0f);
    }
    data.U32(meshCount);
    data.ShortString("body").U32(1).ShortString("root");
    for (int i = 0; i < 6; ++i) {
        data.F32(static_cast<float>(i));
    }
    data.U32(1).U32(partRef).U32(1).U32(2);  // one part, one geometry (children 1 and 2)
    return data;
}

std::string ModelFile() {
    return Node(ModelRecord().Bytes(), {PartNode(), GeometryNode()});
}

SmartPtr<NodeModelData> Load(const std::string& bytes) {
    return LoadNodeModelFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                  "models/fruit");
}

TEST(NodeModel, ReadsAWholeModel) {
    SmartPtr<NodeModelData> model = Load(ModelFile());
    ASSERT_TRUE(model);
    EXPECT_STREQ(model->name.c_str(), "apple");
    ASSERT_EQ(model->nodes.size(), 1u);
    EXPECT_EQ(model->nodes[0].parent, -1);
    EXPECT_FLOAT_EQ(model->nodes[0].translation.z, 3.0f);
    ASSERT_EQ(model->meshes.size(), 1u);

    const NodeMeshData& mesh = *model->meshes[0];
    EXPECT_STREQ(mesh.name.c_str(), "body");
    ASSERT_EQ(mesh.nodeRefs.size(), 1u);
    EXPECT_FLOAT_EQ(mesh.nodeRefs[0].boundsMax.z, 5.0f);

    ASSERT_EQ(mesh.parts.size(), 1u);
    const ModelPartRecord& part = mesh.parts[0];
    EXPECT_STREQ(part.name.c_str(), "skin");
    EXPECT_TRUE(part.hasTexture);
    EXPECT_STREQ(part.animationKey.c_str(), "spin");
    EXPECT_STREQ(part.texturePath.c_str(), "models/fruit/apple.tex");
    EXPECT_FLOAT_EQ(part.ambient[2], 1.0f);
    EXPECT_FLOAT_EQ(part.diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(part.specular[1], 1.0f);
    EXPECT_FLOAT_EQ(part.specularStrength, 4.0f);

    ASSERT_EQ(part.params.size(), 5u);  // the path without an extension is skipped
    EXPECT_EQ(part.params[0].type, ParamType::Float);
    EXPECT_FLOAT_EQ(part.params[0].values[0], 0.5f);
    EXPECT_EQ(part.params[1].type, ParamType::Int);
    EXPECT_EQ(part.params[2].type, ParamType::Vector3);
    EXPECT_FLOAT_EQ(part.params[2].values[2], 3.0f);
    EXPECT_EQ(part.params[3].kind, ModelParamRecord::Kind::Texture);
    EXPECT_STREQ(part.params[3].name.c_str(), "Shine");
    EXPECT_STREQ(part.params[3].path.c_str(), "models/fruit/sub/shine.texture");
    EXPECT_EQ(part.params[4].kind, ModelParamRecord::Kind::Effect);
    EXPECT_STREQ(part.params[4].path.c_str(), "models/fruit/glass.fx");
    EXPECT_TRUE(part.HasEffect());

    ASSERT_EQ(mesh.geometries.size(), 1u);
    const ModelGeometryRecord& geometry = mesh.geometries[0];
    EXPECT_EQ(geometry.indices->GetIndexCount(), 3u);
    EXPECT_EQ(geometry.indices->GetIndexSize(), 2u);
    EXPECT_EQ(geometry.indices->GetPrimitiveKind(), PrimitiveKind::Triangles);
    EXPECT_EQ(geometry.vertices->GetVertexCount(), 3u);
    EXPECT_EQ(geometry.vertices->GetStride(), 32u);
    float lastFloat;
    std::memcpy(&lastFloat, geometry.vertices->GetBytes() + 3 * 32 - 4, 4);
    EXPECT_FLOAT_EQ(lastFloat, 23.0f);
}

TEST(NodeModel, VertexFormatsLayOutEveryStoredField) {
    const struct {
        uint32_t format;
        uint32_t stride;
        std::vector<std::pair<std::string, uint32_t>> elements;  // semantic, offset
    } cases[] = {
        {0x1E3, 32, {{"TexCoord0", 0}, {"Normal", 8}, {"Position", 20}}},
        {0x1FF, 36, {{"TexCoord0", 0}, {"Diffuse", 8}, {"Normal", 12}, {"Position", 24}}},
        // 16-bit texture coordinates declare nothing but still take 4 bytes.
        {0x1E2, 28, {{"Normal", 4}, {"Position", 16}}},
        // Byte normals take 3 bytes; the position follows them.
        {0x1A3, 23, {{"TexCoord0", 0}, {"Position", 11}}},
        // Float colour cannot fit its one stored word: no element.
        {0x1EF, 36, {{"TexCoord0", 0}, {"Normal", 12}, {"Position", 24}}},
        // Two float extras after the position; tangent and binormal as floats.
        {0x2000 | 0x600 | 0x1E3 | (3u << 20) | (3u << 22), 64,
         {{"TexCoord0", 0}, {"Binormal", 8}, {"Tangent", 20}, {"Normal", 32}, {"Position", 44}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        uint32_t stride = 0;
        std::vector<VertexElementDesc> elements;
        DecodePackedVertexFormat(c.format, stride, elements);
        EXPECT_EQ(stride, c.stride);
        ASSERT_EQ(elements.size(), c.elements.size());
        for (size_t i = 0; i < elements.size(); ++i) {
            EXPECT_EQ(elements[i].semantic->GetText(), c.elements[i].first);
            EXPECT_EQ(elements[i].offset, c.elements[i].second);
            EXPECT_LE(elements[i].offset + elements[i].componentCount *
                                               (elements[i].elementType == 5 ? 4u : 1u),
                      stride);
        }
    }
}

TEST(NodeModel, RefusesCorruptFiles) {
    const std::string good = ModelFile();
    std::string lyingChildSize = good;
    lyingChildSize[11] = '\x7F';  // high byte of the first child's size
    std::string deep = Node("");
    for (int i = 0; i < kMaxModelTreeDepth + 2; ++i) {
        deep = Node("", {deep});
    }
    const char* const tree = "ModelTree: ";
    const char* const reader = "NodeModel models/fruit: ";
    const struct {
        const char* what;
        std::string bytes;
        const char* source;  // the tree's parse or the model's reader
        const char* fault;   // as the log line words it
    } cases[] = {
        {"empty file", "", tree, "node header cut short"},
        {"cut in half", good.substr(0, good.size() / 2), tree, "child of 138 bytes with 40 left"},
        {"last byte missing", good.substr(0, good.size() - 1), tree,
         "data block of 209 bytes with 208 left"},
        {"child size past the end", lyingChildSize, tree, "child of 2130706690 bytes"},
        {"huge child count", ByteWriter().U32(0).U32(0x40000000).U32(0).Bytes(), tree,
         "node declares 1073741824 children in 0 bytes"},
        {"huge skip count", ByteWriter().U32(0).U32(0).U32(0x40000000).U32(0).Bytes(), tree,
         "1073741824 skipped words with 4 bytes left"},
        {"data length past the end", ByteWriter().U32(0).U32(0).U32(0).U32(1000).Raw("ab").Bytes(),
         tree, "data block of 1000 bytes with 2 left"},
        {"deep nesting", deep, tree, "nodes nested deeper than 32 levels"},
        {"more meshes than records", Node(ModelRecord(2).Bytes(), {PartNode(), GeometryNode()}),
         reader, "mesh \"\" cut short"},
        {"part reference 0", Node(ModelRecord(1, 0).Bytes(), {PartNode(), GeometryNode()}), reader,
         "mesh \"body\" refers to a part that is not there"},
        {"part reference past the children",
         Node(ModelRecord(1, 9).Bytes(), {PartNode(), GeometryNode()}), reader,
         "mesh \"body\" refers to a part that is not there"},
        {"index past the vertex count",
         Node(ModelRecord().Bytes(), {PartNode(), GeometryNode(3, 3)}), reader,
         "mesh \"body\" has index 3 past its 3 vertices"},
        {"vertex count past the data",
         Node(ModelRecord().Bytes(), {PartNode(), GeometryNode(3).substr(0, 60)}), tree,
         "data block of 122 bytes with 44 left"},
        {"no model record", Node(""), reader, "model record cut short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::LogCapture capture;
        EXPECT_FALSE(Load(c.bytes));
        EXPECT_TRUE(TestSupport::IsOneLogLineNaming(capture.Take(), c.source, c.fault));
    }
}

TEST(NodeModel, ChildReferencesRewindAndIndexlessGeometry) {
    ByteWriter data = ModelRecord();
    std::string bytes = data.Bytes();
    // Two parts, both the same child, read from its start each time.
    const std::string onePart = ByteWriter().U32(1).U32(1).U32(1).U32(2).Bytes();
    const std::string twoParts = ByteWriter().U32(2).U32(1).U32(1).U32(1).U32(2).Bytes();
    bytes.replace(bytes.size() - onePart.size(), onePart.size(), twoParts);

    ByteWriter geometry;
    geometry.U16(5).U8(0x00).U8(0).U32(0x180).U32(2);  // no indices; positions only
    for (int i = 0; i < 6; ++i) {
        geometry.F32(1.0f);
    }
    SmartPtr<NodeModelData> model = Load(Node(bytes, {PartNode(), Node(geometry.Bytes())}));
    ASSERT_TRUE(model);
    const NodeMeshData& mesh = *model->meshes[0];
    ASSERT_EQ(mesh.parts.size(), 2u);
    EXPECT_STREQ(mesh.parts[1].name.c_str(), "skin");
    EXPECT_EQ(mesh.parts[1].params.size(), mesh.parts[0].params.size());
    const ModelGeometryRecord& g = mesh.geometries[0];
    EXPECT_EQ(g.partIndex, 5);  // past the parts: the mesh's own block
    EXPECT_EQ(g.indices->GetIndexCount(), 0u);
    EXPECT_EQ(g.indices->GetPrimitiveKind(), PrimitiveKind::TriangleStrip);
    EXPECT_EQ(g.vertices->GetStride(), 12u);
}

TEST(NodeModel, MissingFileGivesNull) {
    EXPECT_FALSE(LoadNodeModel("no/such/model.mmd"));
}

}  // namespace
}  // namespace Varnok
