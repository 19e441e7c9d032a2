#include "engine/model/BinModel.h"

#include "tests/engine/model/ByteWriter.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace Varnok {
namespace {

using ModelTest::ByteWriter;

ByteWriter& Key(ByteWriter& w, const std::string& key) {
    return w.KeyedString(key);
}

ByteWriter Header(uint32_t meshCount = 1) {
    ByteWriter w;
    Key(w, "VellMarchMesh");
    Key(w, "version").F32(1.0f);  // keys are case-blind
    Key(w, "MeshCount").U32(meshCount);
    return w;
}

// faces (one triangle 0, 1, 2) then three vertices.
void Triangle(ByteWriter& w, float lastIndex = 2) {
    Key(w, "faces").F32(1).F32(0).F32(1).F32(lastIndex).F32(0);
    Key(w, "verts").F32(3).U32(0);
    for (int v = 0; v < 3; ++v) {
        w.F32(v).F32(0).F32(0);    // position
        w.F32(0).F32(0).F32(1);    // normal
        w.F32(0.5f).F32(0.25f);    // u, v
        w.F32(1.5f).F32(0.5f).F32(0).F32(1);  // colour
    }
}

SmartPtr<BinModelData> Load(const ByteWriter& w) {
    return LoadBinModelFromBytes(w.Data(), w.Size(), "models/ui.binmodel");
}

TEST(BinModel, ReadsMeshesMaterialsAndTriangles) {
    ByteWriter w = Header(2);
    Key(w, "Name").KeyedString("first");
    Key(w, "matrix0");
    for (int i = 0; i < 12; ++i) {
        w.F32(static_cast<float>(i));
    }
    Key(w, "matname").KeyedString("peel");
    Key(w, "diffusetex").KeyedString("textures/peel.tex");
    Key(w, "specular").F32(255).F32(128).F32(0);
    Key(w, "speclevel").F32(50);
    Key(w, "alpha").F32(0.75f);
    Triangle(w);
    Key(w, "Name").KeyedString("second");
    Key(w, "matname").KeyedString("core");
    Key(w, "diffuse").F32(255).F32(0).F32(0);
    Key(w, "VarnokMat").U32(0).U32(0);
    Key(w, "rgb_diffuseColourMod").F32(10).F32(20).F32(30);
    Key(w, "MatEnd");
    Triangle(w);

    SmartPtr<BinModelData> model = Load(w);
    ASSERT_TRUE(model);
    EXPECT_STREQ(model->name.c_str(), "models/ui.binmodel");
    ASSERT_EQ(model->meshes.size(), 2u);
    ASSERT_EQ(model->nodes.size(), 2u);
    EXPECT_STREQ(model->nodes[0].name.c_str(), "first");
    EXPECT_FLOAT_EQ(model->nodes[0].scale[8], 8.0f);
    EXPECT_FLOAT_EQ(model->nodes[0].translation.z, 11.0f);
    EXPECT_FLOAT_EQ(model->nodes[1].translation.z, 0.0f);

    const BinModelMesh& first = model->meshes[0];
    ASSERT_EQ(first.materials.size(), 1u);
    const BinModelMaterial& peel = first.materials[0];
    EXPECT_STREQ(peel.diffuseMap.c_str(), "textures/peel.tex");
    EXPECT_FLOAT_EQ(peel.specular[0], 0.5f);
    EXPECT_FLOAT_EQ(peel.specular[1], 0.5f * 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(peel.specular[2], 0.0f);
    EXPECT_FLOAT_EQ(peel.alpha, 0.75f);
    ASSERT_EQ(first.drawItems.size(), 1u);
    const BinModelDrawItem& item = first.drawItems[0];
    EXPECT_EQ(item.indices, (std::vector<uint16_t>{0, 1, 2}));
    ASSERT_EQ(item.vertices.size(), 3u);
    EXPECT_FLOAT_EQ(item.vertices[0].texCoord[1], 0.75f);
    EXPECT_FLOAT_EQ(item.vertices[0].colour[0], 255.0f);
    EXPECT_FLOAT_EQ(item.vertices[0].colour[1], 127.5f);
    EXPECT_FLOAT_EQ(item.vertices[2].position[0], 2.0f);

    // The description's colour arrives as written; no texture clears the map.
    const BinModelMaterial& core = model->meshes[1].materials[0];
    EXPECT_FLOAT_EQ(core.diffuse[0], 10.0f);
    EXPECT_FLOAT_EQ(core.diffuse[2], 30.0f);
    EXPECT_TRUE(core.hasDiffuseMap);
    EXPECT_TRUE(core.diffuseMap.IsEmpty());
}

TEST(BinModel, TinyAndTagOnlyFilesAreEmptyModels) {
    ByteWriter tiny;
    tiny.U32(0);
    SmartPtr<BinModelData> model = Load(tiny);
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->meshes.empty());

    ByteWriter tagged;
    Key(tagged, "VellMarchMesh");
    Key(tagged, "Version").F32(1.0f);
    ASSERT_TRUE(Load(tagged));

    // A description before any material is read whole and changes nothing.
    ByteWriter early = Header();
    Key(early, "VarnokMat").U32(0).U32(0);
    Key(early, "MatEnd");
    Key(early, "Name").KeyedString("only");
    EXPECT_TRUE(Load(early));
}

TEST(BinModel, RefusesCorruptFiles) {
    auto withTriangle = [](float lastIndex) {
        ByteWriter w = Header();
        Key(w, "Name").KeyedString("m");
        Key(w, "matname").KeyedString("x");
        Triangle(w, lastIndex);
        return w;
    };
    ByteWriter version2;
    Key(version2, "Version").F32(2.0f);
    ByteWriter unknown = Header();
    Key(unknown, "BONES").U32(0);
    ByteWriter longKey;
    longKey.U32(101).Raw(std::string(101, 'k')).U8(0).U32(0);
    ByteWriter tooManyMeshes = Header(1);
    Key(tooManyMeshes, "Name").KeyedString("a");
    Key(tooManyMeshes, "Name").KeyedString("b");
    ByteWriter hugeMeshCount;
    Key(hugeMeshCount, "MeshCount").U32(0xFFFFFFFF);
    ByteWriter lyingFaces = Header();
    Key(lyingFaces, "Name").KeyedString("m");
    Key(lyingFaces, "faces").F32(1e9f).U32(0);
    ByteWriter negativeFaces = Header();
    Key(negativeFaces, "Name").KeyedString("m");
    Key(negativeFaces, "faces").F32(-1.0f).U32(0);
    ByteWriter nanIndex = Header();
    Key(nanIndex, "Name").KeyedString("m");
    Key(nanIndex, "faces").F32(1).F32(NAN).F32(0).F32(0).F32(0);
    ByteWriter materialFirst = Header();
    Key(materialFirst, "diffuse").F32(1).F32(1).F32(1);
    ByteWriter vertsAlone = Header();
    Key(vertsAlone, "Name").KeyedString("m");
    Key(vertsAlone, "matname").KeyedString("x");
    Key(vertsAlone, "verts").F32(0).U32(0);
    ByteWriter longString = Header();
    Key(longString, "Name").KeyedString(std::string(600, 'n'));
    ByteWriter lyingString = Header();
    Key(lyingString, "Name").U32(400).Raw("short");
    ByteWriter cutDescription = Header();
    Key(cutDescription, "VarnokMat").U32(0).U32(0);
    Key(cutDescription, "rgb_diffuseColourMod").F32(1);
    const ByteWriter good = withTriangle(2);

    const struct {
        const char* what;
        ByteWriter bytes;
        const char* fault;  // as the log line words it
    } cases[] = {
        {"version 2", version2, "\"Version\" is not 1.0"},
        {"unknown key", unknown, "unknown key \"BONES\""},
        {"key over 100 characters", longKey, "key longer than 100 characters"},
        {"more meshes than declared", tooManyMeshes, "more meshes than \"MeshCount\""},
        {"mesh count past the file", hugeMeshCount, "\"MeshCount\" larger than the file can hold"},
        {"face count past the file", lyingFaces, "\"faces\" count does not fit the file"},
        {"negative face count", negativeFaces, "\"faces\" count does not fit the file"},
        {"NaN index", nanIndex, "face index is not a vertex number"},
        {"index past the vertices", withTriangle(3), "face index past the vertices"},
        {"material key before matname", materialFirst, "\"diffuse\" before any \"matname\""},
        {"verts without faces", vertsAlone, "\"verts\" without \"faces\""},
        {"string of 600 characters", longString, "mesh name cut short or too long"},
        {"string longer than the file", lyingString, "mesh name cut short or too long"},
        {"description cut short", cutDescription, "embedded material description cut short"},
        {"file cut inside the vertices", ByteWriter().Raw(good.Bytes().substr(0, good.Size() - 20)),
         "\"verts\" count does not fit the file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::LogCapture capture;
        EXPECT_FALSE(Load(c.bytes));
        EXPECT_TRUE(TestSupport::IsOneLogLineNaming(capture.Take(),
                                                    "LoadBinModel models/ui.binmodel", c.fault));
    }
    EXPECT_TRUE(Load(good));
}

TEST(BinModel, MissingFileGivesNull) {
    EXPECT_FALSE(LoadBinModel("no/such.binmodel"));
}

}  // namespace
}  // namespace Varnok
