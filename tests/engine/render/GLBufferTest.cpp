#include "engine/render/GLBuffer.h"

#include "engine/render/VertexSemantics.h"
#include "engine/render/VertexStream.h"
#include "tests/engine/render/RenderTestEnvironment.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Varnok {
namespace {

class TestIndexSource final : public IndexDataSource {
public:
    uint32_t GetIndexSize() const override { return 2; }
    uint32_t GetIndexCount() const override { return static_cast<uint32_t>(indices.size()); }
    uint32_t GetPrimitiveKind() const override { return kind; }
    const void* LockData() override {
        ++locks;
        return indices.data();
    }
    void UnlockData() override { ++unlocks; }
    void CopyData(void* destination) const override {
        std::memcpy(destination, indices.data(), indices.size() * 2);
    }
    const void* GetData() const override { return indices.data(); }
    void Change() { GetChangeListeners().Invoke(this); }

    std::vector<uint16_t> indices = {0, 1, 2};
    uint32_t kind = PrimitiveKind::Triangles;
    int locks = 0;
    int unlocks = 0;
};

class TestVertexSource final : public VertexDataSource {
public:
    uint32_t GetVertexCount() const override { return vertexCount; }
    uint32_t GetStride() const override { return stride; }
    uint32_t GetByteSize() const override { return static_cast<uint32_t>(bytes.size()); }
    const void* LockData() override { return bytes.data(); }
    void UnlockData() override {}
    void CopyData(void* destination) const override {
        std::memcpy(destination, bytes.data(), bytes.size());
    }
    const void* GetData() const override { return bytes.data(); }
    const std::vector<VertexElement>& GetElements() const override { return elements; }

    void Add(VertexSemantic semantic, uint32_t count, uint32_t type, uint32_t offset) {
        elements.push_back(VertexElement{GetVertexSemantic(semantic), count, type, offset});
    }
    template <typename T>
    void Put(size_t offset, T value) {
        std::memcpy(&bytes[offset], &value, sizeof(value));
    }

    std::vector<VertexElement> elements;
    std::vector<uint8_t> bytes;
    uint32_t vertexCount = 0;
    uint32_t stride = 0;
};

GLint GlBufferSize(GLenum target, uint32_t name) {
    GLint size = -1;
    glBindBuffer(target, name);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    glBindBuffer(target, 0);
    return size;
}

TEST(GLIndexBuffer, ReallocatesOnlyWhenTooSmallOrLessThanHalfUsed) {
    RenderTest::UseTestTarget();
    SmartPtr<TestIndexSource> source(new TestIndexSource());
    SmartPtr<GLDataBuffer> buffer(new GLDataBuffer(source));
    std::vector<uint8_t> bytes(200, 7);

    const struct {
        uint32_t upload;
        uint32_t capacity;
    } steps[] = {
        {100, 100},  // first allocation
        {60, 100},   // fits and uses at least half: written in place
        {50, 100},   // exactly half
        {40, 40},    // below half: allocated anew
        {41, 41},    // above the capacity
        {41, 41},
    };
    buffer->Upload(bytes.data(), steps[0].upload);
    const uint32_t name = buffer->GetGLName();
    ASSERT_NE(name, 0u);
    EXPECT_TRUE(glIsBuffer(name));
    for (const auto& step : steps) {
        SCOPED_TRACE(step.upload);
        buffer->Upload(bytes.data(), step.upload);
        EXPECT_EQ(buffer->GetGLName(), name);  // one GL buffer throughout
        EXPECT_EQ(buffer->GetSize(), step.upload);
        EXPECT_EQ(buffer->GetCapacity(), step.capacity);
        EXPECT_EQ(GlBufferSize(GL_ELEMENT_ARRAY_BUFFER, name), static_cast<GLint>(step.capacity));
    }

    // Nothing to upload deletes the buffer; the next upload makes a new one.
    buffer->Upload(bytes.data(), 0);
    EXPECT_EQ(buffer->GetGLName(), 0u);
    EXPECT_EQ(buffer->GetCapacity(), 0u);
    EXPECT_FALSE(glIsBuffer(name));
    buffer->Upload(bytes.data(), 8);
    EXPECT_NE(buffer->GetGLName(), 0u);
    EXPECT_EQ(buffer->GetCapacity(), 8u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(GLDataBuffer, ManySourceChangesCostOneUpload) {
    SmartPtr<TestIndexSource> source(new TestIndexSource());
    SmartPtr<GLDataBuffer> buffer(new GLDataBuffer(source));
    EXPECT_TRUE(buffer->IsDirty());
    buffer->Update();
    EXPECT_EQ(source->locks, 1);
    EXPECT_EQ(source->unlocks, 1);
    EXPECT_EQ(buffer->GetSize(), 6u);

    source->indices = {0, 1, 2, 2, 1, 3};
    source->Change();
    source->Change();
    source->Change();
    buffer->Update();
    buffer->Update();
    EXPECT_EQ(source->locks, 2);
    EXPECT_EQ(buffer->GetSize(), 12u);

    // A source the buffer has let go no longer marks it.
    SmartPtr<TestIndexSource> other(new TestIndexSource());
    buffer->SetSource(other);
    buffer->Update();
    source->Change();
    EXPECT_FALSE(buffer->IsDirty());
    buffer = nullptr;
    other->Change();  // no listener left behind
    EXPECT_EQ(other->GetChangeListeners().ListenerCount(), 0);
}

TEST(GLIndexBuffer, PrimitiveModes) {
    SmartPtr<TestIndexSource> source(new TestIndexSource());
    SmartPtr<GLDataBuffer> buffer(new GLDataBuffer(source));
    const struct {
        uint32_t kind;
        uint32_t mode;
    } cases[] = {{0, GL_POINTS},         {1, GL_LINES},          {2, GL_LINE_STRIP},
                 {3, GL_TRIANGLES},      {4, GL_TRIANGLE_STRIP}, {5, GL_TRIANGLE_FAN},
                 {7, GL_POINTS}};
    for (const auto& c : cases) {
        source->kind = c.kind;
        EXPECT_EQ(buffer->GetPrimitiveMode(), c.mode) << c.kind;
    }
}

struct Element {
    VertexSemantic semantic;
    uint32_t count;
    uint32_t type;
    uint32_t offset;
};

TEST(VertexStream, FloatLayouts) {
    constexpr uint32_t kFloat = VertexComponentType::Float;
    constexpr uint32_t kShort = VertexComponentType::Short;
    constexpr uint32_t kUByte = VertexComponentType::UnsignedByte;
    const struct {
        const char* what;
        std::vector<Element> elements;
        uint32_t stride;
        std::vector<uint32_t> floatOffsets;
        uint32_t floatStride;
        bool converted;
    } cases[] = {
        {"packed floats",
         {{VertexSemantic::Position, 3, kFloat, 0}, {VertexSemantic::TexCoord0, 2, kFloat, 12}},
         20, {0, 12}, 20, false},
        {"16-bit position",
         {{VertexSemantic::Position, 3, kShort, 0}, {VertexSemantic::TexCoord0, 2, kFloat, 8}},
         16, {0, 12}, 20, true},
        {"byte colour", {{VertexSemantic::Diffuse, 4, kUByte, 0}}, 4, {0}, 16, true},
        {"floats out of order",
         {{VertexSemantic::TexCoord0, 2, kFloat, 12}, {VertexSemantic::Position, 3, kFloat, 0}},
         20, {0, 8}, 20, true},
        // Drawing steps by the float stride, so spare bytes must go.
        {"floats with spare bytes", {{VertexSemantic::Position, 3, kFloat, 0}}, 16, {0}, 12, true},
        // Component type in the low 12 bits only.
        {"flagged float type", {{VertexSemantic::Position, 2, 0x1000 | kFloat, 0}}, 8, {0}, 8, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SmartPtr<TestVertexSource> source(new TestVertexSource());
        for (const Element& e : c.elements) {
            source->Add(e.semantic, e.count, e.type, e.offset);
        }
        source->stride = c.stride;
        source->vertexCount = 3;
        source->bytes.assign(c.stride * 3, 0);
        SmartPtr<VertexStream> stream(new VertexStream());
        stream->SetSource(source);
        stream->UpdateLayout(false);

        ASSERT_EQ(stream->GetElements().size(), c.floatOffsets.size());
        for (size_t i = 0; i < c.floatOffsets.size(); ++i) {
            const VertexElement& e = stream->GetElements()[i];
            EXPECT_EQ(e.offset, c.floatOffsets[i]);
            EXPECT_EQ(e.semantic, source->elements[i].semantic);
            EXPECT_EQ(e.componentCount, source->elements[i].componentCount);
            EXPECT_EQ(e.elementType, static_cast<uint32_t>(VertexComponentType::Float));
        }
        EXPECT_EQ(stream->GetStride(), c.floatStride);
        EXPECT_EQ(stream->NeedsConversion(), c.converted);
        EXPECT_EQ(stream->GetConversionBuffer() != nullptr, c.converted);
        EXPECT_EQ(stream->GetByteSize(), c.floatStride * 3);
        EXPECT_EQ(GlBufferSize(GL_ARRAY_BUFFER, stream->GetGLName()),
                  static_cast<GLint>(c.floatStride * 3));
    }
}

TEST(VertexStream, ConvertsComponentsToTheirPlainValues) {
    SmartPtr<TestVertexSource> source(new TestVertexSource());
    source->Add(VertexSemantic::Position, 3, VertexComponentType::Short, 0);
    source->Add(VertexSemantic::TexCoord0, 2, VertexComponentType::Float, 8);
    source->Add(VertexSemantic::Diffuse, 4, VertexComponentType::UnsignedByte, 16);
    source->Add(VertexSemantic::Normal, 1, VertexComponentType::Byte, 20);
    source->stride = 24;
    source->vertexCount = 2;
    source->bytes.assign(48, 0);
    source->Put<int16_t>(0, -1);
    source->Put<int16_t>(2, 2);
    source->Put<int16_t>(4, 300);
    source->Put<float>(8, 0.25f);
    source->Put<float>(12, 0.5f);
    const uint8_t colour[4] = {255, 0, 128, 1};
    std::memcpy(&source->bytes[16], colour, 4);
    source->Put<int8_t>(20, -5);
    source->Put<int16_t>(24, 7);

    SmartPtr<VertexStream> stream(new VertexStream());
    int layoutCalls = 0;
    struct Counter {
        int* calls;
        void OnLayout(VertexStream*) { ++*calls; }
    } counter{&layoutCalls};
    stream->GetLayoutListeners().Add(VertexStream::LayoutEvent::DelegateType(&counter, &Counter::OnLayout));
    stream->SetSource(source);
    stream->UpdateLayout(false);
    EXPECT_EQ(layoutCalls, 1);

    const float expected[] = {-1, 2, 300, 0.25f, 0.5f, 255, 0, 128, 1, -5, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(stream->GetStride(), 40u);
    const float* converted = stream->GetConversionBuffer();
    ASSERT_NE(converted, nullptr);
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(converted[i], expected[i]) << i;
    }

    // A data change uploads again, a layout change rebuilds first.
    source->Put<int16_t>(24, 9);
    source->GetDataListeners().Invoke(source.Get());
    EXPECT_EQ(stream->GetConversionBuffer()[10], 9.0f);
    source->elements.pop_back();
    source->GetLayoutListeners().Invoke(source.Get());
    EXPECT_EQ(layoutCalls, 2);
    EXPECT_EQ(stream->GetStride(), 36u);
    EXPECT_EQ(stream->GetConversionBuffer()[9], 9.0f);  // the second vertex's x

    // A stream that is gone leaves nothing in its source's lists.
    stream = nullptr;
    EXPECT_EQ(source->GetLayoutListeners().ListenerCount(), 0);
    EXPECT_EQ(source->GetDataListeners().ListenerCount(), 0);
    source->GetDataListeners().Invoke(source.Get());
}

TEST(VertexStream, ReadsNothingPastItsSource) {
    // Elements that claim more than the bytes hold read as 0.
    SmartPtr<TestVertexSource> source(new TestVertexSource());
    source->Add(VertexSemantic::Position, 3, VertexComponentType::Short, 0);
    source->stride = 6;
    source->vertexCount = 2;
    source->bytes.assign(8, 0);  // the second vertex is cut short
    source->Put<int16_t>(6, 4);
    SmartPtr<VertexStream> stream(new VertexStream());
    stream->SetSource(source);
    stream->UpdateLayout(false);
    const float* converted = stream->GetConversionBuffer();
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(converted[3], 4.0f);
    EXPECT_EQ(converted[4], 0.0f);
    EXPECT_EQ(converted[5], 0.0f);
}

}  // namespace
}  // namespace Varnok
