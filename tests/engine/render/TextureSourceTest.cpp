#include "engine/render/TextureSource.h"

#include "engine/render/ApparentSizeTextureSource.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "tests/engine/render/TextureFixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {
namespace {

// Records what a source tells its listeners.
struct ListenerRecord {
    int changes = 0;
    std::vector<std::vector<int32_t>> regions;

    void OnChanged() { ++changes; }
    void OnRegion(int32_t l, int32_t t, int32_t r, int32_t b) { regions.push_back({l, t, r, b}); }

    void Listen(TextureSource& source) {
        source.GetChangeListeners().Add(Event0::DelegateType(this, &ListenerRecord::OnChanged));
        source.GetRegionListeners().Add(
            TextureSource::RegionEvent::DelegateType(this, &ListenerRecord::OnRegion));
    }
};

// A source that counts acquires and releases of one image, or yields none.
class CountingSource final : public TextureSource {
public:
    explicit CountingSource(const TextureDescription& description, bool yields = true)
        : m_yields(yields) {
        m_image.description = description;
    }
    TextureImage* AcquireImage() override {
        if (!m_yields) {
            return nullptr;
        }
        ++held;
        return &m_image;
    }
    void ReleaseImage(TextureImage* image) override {
        EXPECT_EQ(image, &m_image);
        --held;
    }
    uint32_t GetHash() const override { return 0x1234; }
    AsciiString Describe() const override { return AsciiString("counting"); }

    int held = 0;

private:
    bool m_yields;
    MemoryTextureImage m_image;
};

TEST(MemoryBlockTextureSource, DescribesItselfByName) {
    SmartPtr<MemoryBlockTextureSource> source(
        new MemoryBlockTextureSource(RgbaDescription(1, 1), "abcd", 4));
    EXPECT_STREQ(source->Describe().c_str(), "<MemoryBlockTextureSource>");
    source->SetName("banner");
    EXPECT_STREQ(source->Describe().c_str(), "banner");
    EXPECT_EQ(source->GetHash(), 0u);
    // The base's own description, for a source that does not give one.
    EXPECT_STREQ(source->TextureSource::Describe().c_str(),
                 "Base TextureSource class (not overriden!)");
}

TEST(MemoryBlockTextureSource, CopiesOrBorrowsTheBlock) {
    std::vector<uint8_t> pixels = {1, 2, 3, 4};
    SmartPtr<MemoryBlockTextureSource> copied(
        new MemoryBlockTextureSource(RgbaDescription(1, 1), pixels.data(), pixels.size(), true));
    SmartPtr<MemoryBlockTextureSource> borrowed(
        new MemoryBlockTextureSource(RgbaDescription(1, 1), pixels.data(), pixels.size(), false));
    pixels[0] = 9;

    TextureImage* image = copied->AcquireImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(copied->AcquireImage(), image);  // the same image, never counted
    size_t size = 0;
    const uint8_t* data = image->GetData(0, 0, size);
    EXPECT_NE(data, pixels.data());
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(image->GetData(3, 7, size), data);  // every layer and level
    EXPECT_EQ(image->description.width, 1);

    EXPECT_EQ(borrowed->AcquireImage()->GetData(0, 0, size), pixels.data());
    EXPECT_EQ(borrowed->AcquireImage()->GetData(0, 0, size)[0], 9);
}

TEST(MemoryBlockTextureSource, CopiedPixelsOfTheSameSizeStayTheSourcesOwn) {
    std::vector<uint8_t> first = {1, 2, 3, 4, 5, 6, 7, 8};
    SmartPtr<MemoryBlockTextureSource> source(
        new MemoryBlockTextureSource(RgbaDescription(2, 1), first.data(), first.size(), true));
    size_t size = 0;
    auto pixels = [&source, &size]() { return source->AcquireImage()->GetData(0, 0, size); };

    std::vector<uint8_t> second = {9, 10, 11, 12, 13, 14, 15, 16};
    source->SetData(second.data(), second.size(), true);
    second[0] = 0;
    EXPECT_EQ(std::vector<uint8_t>(pixels(), pixels() + 8),
              (std::vector<uint8_t>{9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(first[0], 1);  // the first caller's block was copied, never written

    // From its own block, whole or shifted within it.
    source->SetData(pixels(), 8, true);
    EXPECT_EQ(pixels()[0], 9);
    source->SetData(pixels() + 4, 4, true);
    const uint8_t* now = pixels();
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::vector<uint8_t>(now, now + 4), (std::vector<uint8_t>{13, 14, 15, 16}));
}

TEST(MemoryBlockTextureSource, SetDataReportsARegionAndResetAChange) {
    SmartPtr<MemoryBlockTextureSource> source(
        new MemoryBlockTextureSource(RgbaDescription(1, 1), "abcd", 4));
    ListenerRecord first;
    ListenerRecord second;
    first.Listen(*source);
    second.Listen(*source);

    const uint8_t next[8] = {5, 6, 7, 8, 9, 10, 11, 12};
    source->SetData(next, 4, true);
    for (const ListenerRecord* record : {&first, &second}) {
        EXPECT_EQ(record->changes, 0);
        ASSERT_EQ(record->regions.size(), 1u);
        EXPECT_EQ(record->regions[0], (std::vector<int32_t>{0, 0, 2147483647, 2147483647}));
    }
    size_t size = 0;
    EXPECT_EQ(source->AcquireImage()->GetData(0, 0, size)[0], 5);
    EXPECT_EQ(source->AcquireImage()->description.width, 1);  // description unchanged

    source->Reset(RgbaDescription(2, 1), next, 8, false);
    for (const ListenerRecord* record : {&first, &second}) {
        EXPECT_EQ(record->changes, 1);
        EXPECT_EQ(record->regions.size(), 1u);
    }
    const TextureImage* image = source->AcquireImage();
    EXPECT_EQ(image->description.width, 2);
    EXPECT_EQ(image->GetData(0, 0, size), next);
    EXPECT_EQ(size, 8u);
}

// Removes itself from the list while being called.
struct SelfRemover {
    Event0* list = nullptr;
    int calls = 0;
    void OnChanged() {
        ++calls;
        list->Remove(Event0::DelegateType(this, &SelfRemover::OnChanged));
    }
};

TEST(TextureSource, ListenerRemovingItselfIsCalledOnce) {
    SmartPtr<MemoryBlockTextureSource> source(
        new MemoryBlockTextureSource(RgbaDescription(1, 1), "abcd", 4));
    SelfRemover remover;
    remover.list = &source->GetChangeListeners();
    ListenerRecord after;
    source->GetChangeListeners().Add(Event0::DelegateType(&remover, &SelfRemover::OnChanged));
    after.Listen(*source);

    source->NotifyChanged();
    source->NotifyChanged();
    EXPECT_EQ(remover.calls, 1);
    EXPECT_EQ(after.changes, 2);
    EXPECT_EQ(source->GetChangeListeners().EntryCount(), 1);

    TextureSource::ClearListeners(source->GetChangeListeners());
    source->NotifyChanged();
    EXPECT_EQ(after.changes, 2);  // cleared without being called
}

TEST(TextureImageLock, PairsEveryAcquireWithARelease) {
    SmartPtr<CountingSource> a(new CountingSource(RgbaDescription(1, 1)));
    SmartPtr<CountingSource> b(new CountingSource(RgbaDescription(2, 2)));
    {
        TextureImageLock lock(a);
        EXPECT_EQ(a->held, 1);
        ASSERT_NE(lock.GetImage(), nullptr);
        lock.Set(a);  // the same source: acquired again before the old one goes
        EXPECT_EQ(a->held, 1);
        lock.Set(b);
        EXPECT_EQ(a->held, 0);
        EXPECT_EQ(b->held, 1);
        EXPECT_EQ(lock.GetImage()->description.width, 2);
        lock.Set(nullptr);
        EXPECT_EQ(b->held, 0);
        EXPECT_EQ(lock.GetImage(), nullptr);
        lock.Set(b);
    }
    EXPECT_EQ(b->held, 0);  // the destructor released it

    SmartPtr<CountingSource> none(new CountingSource(RgbaDescription(1, 1), false));
    TextureImageLock empty(none);
    EXPECT_EQ(empty.GetImage(), nullptr);
    EXPECT_EQ(empty.GetSource(), none);
    empty.Clear();
    EXPECT_EQ(empty.GetSource(), nullptr);
}

TEST(ApparentSizeTextureSource, SizeComesFromTheSizeSource) {
    SmartPtr<CountingSource> pixels(new CountingSource(RgbaDescription(64, 32)));
    SmartPtr<CountingSource> base(new CountingSource(RgbaDescription(32, 16)));
    SmartPtr<ApparentSizeTextureSource> source(new ApparentSizeTextureSource(pixels, base));

    TextureImage* image = source->AcquireImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->description.width, 64);
    EXPECT_EQ(image->description.apparentWidth, 32u);
    EXPECT_EQ(image->description.apparentHeight, 16u);
    EXPECT_EQ(pixels->held, 1);
    EXPECT_EQ(base->held, 0);  // the size image was given back at once
    size_t size = 0;
    EXPECT_EQ(image->GetData(0, 0, size), nullptr);  // the pixel image has no block
    source->ReleaseImage(image);
    EXPECT_EQ(pixels->held, 0);
    source->ReleaseImage(image);  // already gone: ignored

    EXPECT_EQ(source->GetHash(), 0x1234u);
    EXPECT_STREQ(source->Describe().c_str(), "counting (apparentSize: counting)");
}

TEST(ApparentSizeTextureSource, FallsBackToThePixelsOrFails) {
    SmartPtr<CountingSource> pixels(new CountingSource(RgbaDescription(64, 32)));
    SmartPtr<CountingSource> empty(new CountingSource(RgbaDescription(8, 8), false));

    SmartPtr<ApparentSizeTextureSource> fallback(new ApparentSizeTextureSource(pixels, empty));
    TextureImage* image = fallback->AcquireImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->description.apparentWidth, 64u);
    fallback->ReleaseImage(image);

    SmartPtr<ApparentSizeTextureSource> noPixels(new ApparentSizeTextureSource(empty, pixels));
    EXPECT_EQ(noPixels->AcquireImage(), nullptr);
    EXPECT_EQ(pixels->held, 0);
    SmartPtr<ApparentSizeTextureSource> neither(new ApparentSizeTextureSource(empty, empty));
    EXPECT_EQ(neither->AcquireImage(), nullptr);
    SmartPtr<ApparentSizeTextureSource> nothing(new ApparentSizeTextureSource(nullptr, pixels));
    EXPECT_EQ(nothing->AcquireImage(), nullptr);
    EXPECT_EQ(nothing->GetHash(), 0u);
    EXPECT_STREQ(nothing->Describe().c_str(), "<NULL> (apparentSize: counting)");
}

TEST(ApparentSizeTextureSource, ExplicitSizeWithoutASizeSource) {
    SmartPtr<MemoryBlockTextureSource> pixels(
        new MemoryBlockTextureSource(RgbaDescription(1, 1), "abcd", 4));
    pixels->SetName("banner");
    SmartPtr<ApparentSizeTextureSource> source(new ApparentSizeTextureSource(pixels, nullptr));
    EXPECT_STREQ(source->Describe().c_str(), "banner (apparentSize: 0, 0)");
    TextureImage* image = source->AcquireImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->description.apparentWidth, 0u);
    EXPECT_EQ(image->description.apparentHeight, 0u);
    size_t size = 0;
    EXPECT_EQ(image->GetData(0, 0, size)[3], 'd');
    source->ReleaseImage(image);

    source->SetApparentSize(480, 320);
    EXPECT_STREQ(source->Describe().c_str(), "banner (apparentSize: 480, 320)");
    image = source->AcquireImage();
    EXPECT_EQ(image->description.apparentWidth, 480u);
    source->ReleaseImage(image);
}

TEST(ApparentSizeTextureSource, PassesChangesOnAndLetsGoOfItsSources) {
    SmartPtr<MemoryBlockTextureSource> pixels(
        new MemoryBlockTextureSource(RgbaDescription(1, 1), "abcd", 4));
    SmartPtr<MemoryBlockTextureSource> base(
        new MemoryBlockTextureSource(RgbaDescription(1, 1), "abcd", 4));
    SmartPtr<ApparentSizeTextureSource> source(new ApparentSizeTextureSource(pixels, base));
    ListenerRecord record;
    record.Listen(*source);

    pixels->SetData("wxyz", 4, true);
    ASSERT_EQ(record.regions.size(), 1u);
    EXPECT_EQ(record.regions[0][2], 2147483647);
    EXPECT_EQ(record.changes, 0);
    pixels->Reset(RgbaDescription(1, 1), "wxyz", 4, true);
    EXPECT_EQ(record.changes, 1);
    base->Reset(RgbaDescription(1, 1), "wxyz", 4, true);
    EXPECT_EQ(record.changes, 2);
    base->SetData("wxyz", 4, true);  // the size source's regions do not matter
    EXPECT_EQ(record.regions.size(), 1u);

    // Changing a source tells the listeners; the old source forgets this one.
    SmartPtr<MemoryBlockTextureSource> other(
        new MemoryBlockTextureSource(RgbaDescription(1, 1), "abcd", 4));
    source->SetPixelSource(other);
    EXPECT_EQ(record.changes, 3);
    EXPECT_EQ(pixels->GetChangeListeners().ListenerCount(), 0);
    EXPECT_EQ(pixels->GetRegionListeners().ListenerCount(), 0);
    source->SetSizeSource(nullptr);
    EXPECT_EQ(record.changes, 4);
    EXPECT_EQ(base->GetChangeListeners().ListenerCount(), 0);

    // One source as both pixels and size: each link stays separate.
    source->SetSizeSource(other);
    EXPECT_EQ(other->GetChangeListeners().ListenerCount(), 2);
    source->SetSizeSource(nullptr);
    EXPECT_EQ(other->GetChangeListeners().ListenerCount(), 1);
    source->SetSizeSource(other);

    source = nullptr;  // the last holder: its listeners leave the sources
    EXPECT_EQ(other->GetChangeListeners().ListenerCount(), 0);
    EXPECT_EQ(other->GetRegionListeners().ListenerCount(), 0);
}

// Restores the empty variant names however the test ends.
struct VariantNames {
    VariantNames(const char* prefix, const char* suffix) {
        TextureSource::SetVariantNames(prefix, suffix);
    }
    ~VariantNames() { TextureSource::SetVariantNames("", ""); }
};

TEST(TextureSource, LoadFileWithoutVariantNamesIsTheLoader) {
    TextureFixture::MountedFolder folder;
    folder.Write("textures/a/b.tex",
                 TextureFixture::TexFile(TextureFixture::Describe(TextureFixture::kRgba8, 1, 1),
                                         {{1, 2, 3, 4}}));
    const SmartPtr<TextureSource> source = TextureSource::LoadFile("textures/a/b.tex");
    ASSERT_TRUE(source);
    EXPECT_STREQ(source->Describe().c_str(), "(TextureLoader)textures/a/b.tex");
    EXPECT_FALSE(TextureSource::LoadFile("textures/a/missing.tex"));
    EXPECT_FALSE(TextureSource::LoadFile(nullptr));
}

TEST(TextureSource, VariantPaths) {
    VariantNames names("hd_", "");
    EXPECT_STREQ(TextureSource::MakeVariantPath("textures/a/b.tex").c_str(), "textures/a/hd_b.tex");
    EXPECT_STREQ(TextureSource::MakeVariantPath("b.tex").c_str(), "hd_b.tex");
    EXPECT_STREQ(TextureSource::MakeVariantPath("a\\b/c\\d.tex").c_str(), "a\\b/c\\hd_d.tex");
    EXPECT_STREQ(TextureSource::MakeVariantPath("a/").c_str(), "a/hd_");
    VariantNames suffix("", "@2x");
    EXPECT_STREQ(TextureSource::MakeVariantPath("t/x.tex").c_str(), "t/x.tex@2x");
}

TEST(TextureSource, LoadFilePrefersTheVariantsPixelsAndTheBasesSize) {
    using namespace TextureFixture;
    MountedFolder folder;
    folder.Write("textures/a/b.tex", TexFile(Describe(kRgba8, 1, 1), {{1, 2, 3, 4}}));
    folder.Write("textures/a/hd_b.tex",
                 TexFile(Describe(kRgba8, 2, 2), {std::vector<uint8_t>(16, 9)}));
    folder.Write("textures/a/hd_only.tex", TexFile(Describe(kRgba8, 1, 1), {{5, 6, 7, 8}}));
    folder.Write("textures/a/plain.tex", TexFile(Describe(kRgba8, 1, 1), {{5, 6, 7, 8}}));
    VariantNames names("hd_", "");

    const SmartPtr<TextureSource> both = TextureSource::LoadFile("textures/a/b.tex");
    ASSERT_TRUE(both);
    EXPECT_STREQ(
        both->Describe().c_str(),
        "(TextureLoader)textures/a/hd_b.tex (apparentSize: (TextureLoader)textures/a/b.tex)");
    {
        TextureImageLock lock(both);
        ASSERT_NE(lock.GetImage(), nullptr);
        EXPECT_EQ(lock.GetImage()->description.width, 2);
        EXPECT_EQ(lock.GetImage()->description.apparentWidth, 1u);
    }
    const SmartPtr<TextureSource> variantOnly = TextureSource::LoadFile("textures/a/only.tex");
    ASSERT_TRUE(variantOnly);
    EXPECT_STREQ(variantOnly->Describe().c_str(), "(TextureLoader)textures/a/hd_only.tex");
    const SmartPtr<TextureSource> baseOnly = TextureSource::LoadFile("textures/a/plain.tex");
    ASSERT_TRUE(baseOnly);
    EXPECT_STREQ(baseOnly->Describe().c_str(), "(TextureLoader)textures/a/plain.tex");
    EXPECT_FALSE(TextureSource::LoadFile("textures/a/none.tex"));
}

}  // namespace
}  // namespace Varnok
