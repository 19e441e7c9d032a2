// Index buffers from node records, geometry bindings, and technique
// drawing of 16- and 32-bit and missing index data.
#include "engine/model/MeshGeometry.h"
#include "engine/model/NodeModel.h"
#include "engine/render/Renderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/VertexSemantics.h"
#include "tests/engine/render/RenderTestEnvironment.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cstring>

namespace Varnok {
namespace {

TEST(GeometryIndices, FlagsGiveSizeCountAndKind) {
    RegisterNodeModelReaders();
    const struct {
        uint8_t flags;
        uint32_t size;
        uint32_t count;
        uint32_t kind;
    } cases[] = {
        {0x21, 2, 3, PrimitiveKind::Triangles},     {0x00, 0, 0, PrimitiveKind::TriangleStrip},
        {0x62, 4, 3, PrimitiveKind::Points},        {0x31, 2, 3, PrimitiveKind::TriangleFan},
        {0x41, 2, 3, PrimitiveKind::LineStrip},     {0x51, 2, 3, PrimitiveKind::Lines},
        {0x13, 0, 0, PrimitiveKind::TriangleStrip},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.flags));
        ModelTreeNode node;
        // The flags, then with indices a count of 3 and three zero indices.
        node.data = {c.flags};
        if (c.size != 0) {
            node.data = {c.flags, 3, 0, 0, 0};
            node.data.resize(node.data.size() + 3 * c.size, 0);
        }
        SmartPtr<GLIndexBuffer> buffer = LoadTypedFromNode<GLIndexBuffer>(node);
        ASSERT_TRUE(buffer);
        EXPECT_EQ(buffer->GetIndexSize(), c.size);
        EXPECT_EQ(buffer->GetIndexCount(), c.count);
        EXPECT_EQ(buffer->GetPrimitiveKind(), c.kind);
    }
}

// A red triangle over the left half of the frame, in a given index width.
class GeometryDraw : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        Renderer::Get().SetDepthTest(false);
        Renderer::Get().SetCullMode(kCullOff);
        Renderer::Get().SetColour(kColourWhite);
        RenderTransforms::Get().Reset();
        RenderTransforms::Get().Apply(false);  // identity matrices in the program cache
        glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override { RenderTransforms::Get().Reset(); }

    SmartPtr<MeshGeometry> Triangle(const SmartPtr<GLIndexBuffer>& indices) {
        // Position and colour: no texture coordinates, drawn untextured.
        const float vertices[3][7] = {{-1, -1, 0, 255, 0, 0, 255},
                                      {0, -1, 0, 255, 0, 0, 255},
                                      {-1, 1, 0, 255, 0, 0, 255}};
        std::vector<uint8_t> bytes(sizeof(vertices));
        std::memcpy(bytes.data(), vertices, sizeof(vertices));
        std::vector<VertexElementDesc> elements = {
            {GetVertexSemantic(VertexSemantic::Position), 3, VertexComponentType::Float, 0},
            {GetVertexSemantic(VertexSemantic::Diffuse), 4, VertexComponentType::Float, 12}};
        SmartPtr<VertexStream> stream(new VertexStream);
        stream->SetSource(SmartPtr<VertexDataSource>(
            new MemoryVertexData(std::move(bytes), 3, 28, std::move(elements))));
        stream->UpdateLayout(true);
        SmartPtr<MeshGeometry> geometry(new MeshGeometry);
        geometry->AddVertexStream(stream);
        geometry->SetIndexBuffer(indices, std::string());
        SmartPtr<MaterialTemplate> unlit(new MaterialTemplate);
        unlit->AddEffect(EffectCache::GetOrLoad("shaders/gles2/common/gles1_vertex_unlit_notexture",
                                                false, 0));
        geometry->SetTemplate(unlit);
        return geometry;
    }

    static SmartPtr<GLIndexBuffer> Indices(uint32_t size) {
        std::vector<uint8_t> bytes(3 * size, 0);
        for (uint32_t i = 0; i < 3; ++i) {
            bytes[i * size] = static_cast<uint8_t>(i);
        }
        return MakeIndexBuffer(SmartPtr<MemoryIndexData>(
            new MemoryIndexData(std::move(bytes), 3, size, PrimitiveKind::Triangles)));
    }
};

TEST_F(GeometryDraw, SixteenAndThirtyTwoBitIndicesAndNoIndices) {
    const struct {
        const char* what;
        SmartPtr<GLIndexBuffer> indices;
        bool drawn;
    } cases[] = {
        {"16-bit", Indices(2), true},
        {"32-bit", Indices(4), true},
        {"no indices: vertex order", MakeIndexBuffer(SmartPtr<MemoryIndexData>(
                                         new MemoryIndexData({}, 0, 0, PrimitiveKind::Triangles))),
         true},
        {"no index buffer at all", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        glClear(GL_COLOR_BUFFER_BIT);
        SmartPtr<MeshGeometry> geometry = Triangle(c.indices);
        SmartPtr<MaterialInstance> item(new MaterialInstance(geometry, nullptr));
        ASSERT_TRUE(item->SelectPass(0));
        item->Draw();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const RenderTest::Rgba inside = RenderTest::ReadPixel(8, 16);
        EXPECT_EQ(inside.r, c.drawn ? 255 : 0);
        EXPECT_EQ(RenderTest::ReadPixel(56, 32).r, 0);  // right half untouched
        // Afterwards nothing stays bound.
        EXPECT_EQ(ShaderProgramCache::Get().GetCurrentProgram(), nullptr);
        GLint buffer = -1;
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &buffer);
        EXPECT_EQ(buffer, 0);
    }
}

TEST_F(GeometryDraw, BindingsAreKeptUntilSomethingChanges) {
    SmartPtr<MeshGeometry> geometry = Triangle(Indices(2));
    int templateChanges = 0;
    struct Counter {
        int* count;
        void OnChanged(MeshGeometry*) { ++*count; }
    } counter{&templateChanges};
    geometry->GetTemplateListeners().Add(
        MeshGeometry::TemplateEvent::DelegateType(&counter, &Counter::OnChanged));
    ASSERT_EQ(geometry->GetPassBindings().size(), 1u);
    const PassBinding& pass = geometry->GetPassBindings()[0];
    EXPECT_EQ(pass.streams[0].slots[0].offset, 0);   // "Position"
    EXPECT_EQ(pass.streams[0].slots[2].offset, 12);  // "Diffuse"
    EXPECT_FALSE(pass.streams[0].slots[3].stream);   // no "TexCoord0"

    geometry->AddVertexStream(geometry->GetVertexStreams()[0]);
    EXPECT_EQ(geometry->GetVertexStreams().size(), 1u);
    EXPECT_TRUE(geometry->HasPassBindings());
    geometry->SetTemplate(geometry->GetTemplate());
    EXPECT_TRUE(geometry->HasPassBindings());
    EXPECT_EQ(templateChanges, 0);
    geometry->SetTemplate(nullptr);
    EXPECT_FALSE(geometry->HasPassBindings());
    EXPECT_EQ(templateChanges, 1);

    SmartPtr<MaterialInstance> item(new MaterialInstance(Triangle(Indices(2)), nullptr));
    EXPECT_FALSE(item->SelectPass(1));
    EXPECT_EQ(item->GetPassIndex(), 0);
}

}  // namespace
}  // namespace Varnok
