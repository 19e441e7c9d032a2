// A pass of the layered 2D batch in steady state allocates nothing: every
// operator new of this test program is counted while a pass runs.
#include "engine/render/SpriteLayerBatch.h"

#include "engine/render/PrimitiveKind.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "tests/engine/render/TextureFixtures.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {

// Counted on the thread that asked, only while it asks; the GL's own
// threads allocate with malloc and are not counted.
thread_local bool t_counting = false;
thread_local int t_allocations = 0;

void* CountedAllocate(size_t size) {
    if (t_counting) {
        ++t_allocations;
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void* CountedAllocateAligned(size_t size, std::align_val_t alignment) {
    if (t_counting) {
        ++t_allocations;
    }
    void* memory = nullptr;
    const size_t align = std::max(static_cast<size_t>(alignment), sizeof(void*));
    if (posix_memalign(&memory, align, size == 0 ? 1 : size) != 0) {
        throw std::bad_alloc();
    }
    return memory;
}

}  // namespace

// Every form, so that no allocation slips past the count and every block is
// given back the way it was taken (AddressSanitizer checks that).
void* operator new(size_t size) { return CountedAllocate(size); }
void* operator new[](size_t size) { return CountedAllocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return CountedAllocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void* operator new(size_t size, std::align_val_t alignment) {
    return CountedAllocateAligned(size, alignment);
}
void* operator new[](size_t size, std::align_val_t alignment) {
    return CountedAllocateAligned(size, alignment);
}
void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    try {
        return CountedAllocateAligned(size, alignment);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t& tag) noexcept {
    return operator new(size, alignment, tag);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(memory);
}

namespace Varnok {
namespace {

template <typename Work>
int CountAllocations(Work&& work) {
    t_allocations = 0;
    t_counting = true;
    work();
    t_counting = false;
    return t_allocations;
}

TEST(SpriteLayerBatchAllocation, TheCountSeesAnAllocation) {
    std::unique_ptr<int[]> block;
    const int count = CountAllocations([&] { block = std::make_unique<int[]>(3); });
    EXPECT_EQ(count, 1);
}

// A UI-like pass: sprites over several textures, tinted and turned, with a
// blend override and queued primitives, in all three layers, drawn in both
// modes.
TEST(SpriteLayerBatchAllocation, ASteadyPassAllocatesNothing) {
    RenderTest::UseTestTarget();
    glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
    Renderer& renderer = Renderer::Get();
    renderer.SetDepthTest(false);
    renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    RenderTransforms::Get().Reset();

    const SmartPtr<Texture> textures[] = {
        TextureFixture::MakeTexture(4, 4, std::vector<uint8_t>(4 * 4 * 4, 200)),
        TextureFixture::MakeTexture(8, 8, std::vector<uint8_t>(8 * 8 * 4, 90)),
    };
    SpriteLayerBatch batch(2, {300, 300});
    const Matrix4 pixels =
        BuildOrthographicMatrix(RenderTest::kHeight, 0, 0, RenderTest::kWidth, -1, 1);
    const auto pass = [&](int32_t mode) {
        batch.Reset();
        for (int32_t layer = 0; layer < batch.GetLayerCount(); ++layer) {
            batch.SetCurrentLayer(layer);
            if (layer + 1 < batch.GetLayerCount()) {
                batch.LayerMatrix(layer) = pixels;
            }
            for (int i = 0; i < 100; ++i) {
                BatchSprite sprite;
                sprite.x = static_cast<float>(i % 60);
                sprite.y = static_cast<float>(i / 2);
                sprite.width = 4.0f + i % 13;  // some drawn smaller than their texels
                sprite.height = 6.0f;
                sprite.rotation = static_cast<float>(i * 7);
                sprite.colour = Colour(255, static_cast<uint8_t>(i), 40, i % 3 == 0 ? 128 : 255);
                BatchSpriteOptions options;
                options.blendMode = i % 4 == 0 ? 2 : 0;
                if (i % 17 == 0) {
                    options.blendSrcCode = kBlendOne;
                    options.blendDstCode = kBlendOne;
                }
                batch.AddItem(textures[(i / 10) % 2], sprite, options);
                if (i % 25 == 0) {
                    ImmediateVertex* triangle = batch.AllocateVertices(3);
                    for (int corner = 0; corner < 3; ++corner) {
                        triangle[corner] = ImmediateVertex{};
                        triangle[corner].x = static_cast<float>(corner * 10);
                        triangle[corner].y = static_cast<float>(corner % 2 * 10);
                        triangle[corner].a = 255;
                    }
                    batch.AddPrimitives(textures[0], triangle, 3, PrimitiveKind::Triangles, true);
                }
            }
        }
        batch.Draw(mode, BatchDepthRange{});
        glFinish();
    };
    // The first passes may size what is made lazily (the GL buffers, the
    // primitives' vertex chunk, the programs).
    for (int i = 0; i < 3; ++i) {
        pass(BatchDrawMode::Merged);
        pass(BatchDrawMode::OpaqueFirst);
    }
    EXPECT_EQ(batch.GetDroppedCount(), 0);
    EXPECT_EQ(CountAllocations([&] { pass(BatchDrawMode::Merged); }), 0);
    EXPECT_EQ(CountAllocations([&] { pass(BatchDrawMode::OpaqueFirst); }), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    RenderTransforms::Get().Reset();
    RenderTransforms::Get().Apply(false);
}

}  // namespace
}  // namespace Varnok
