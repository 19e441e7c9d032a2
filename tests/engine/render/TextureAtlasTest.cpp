#include "engine/render/TextureAtlas.h"

#include "engine/core/BinaryStream.h"
#include "engine/core/FileObject.h"
#include "engine/core/HashName.h"
#include "engine/render/AtlasLayoutFile.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "tests/engine/render/TextureFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

constexpr uint32_t kAlphaFormat = 0;
constexpr uint32_t kRgbaFormat = 2;

AtlasKey Key(uint32_t value) {
    AtlasKey key;
    key.AppendBits(&value, 32);
    return key;
}

AtlasKey NameKey(const char* name) {
    return AtlasKey::FromNameHash(HashName(name, static_cast<int>(std::strlen(name))));
}

// width x height pixels of one repeated value, bytesPerPixel each.
std::vector<uint8_t> Solid(int width, int height, int bytesPerPixel, uint8_t value) {
    return std::vector<uint8_t>(static_cast<size_t>(width) * height * bytesPerPixel, value);
}

// RGBA bytes of one colour.
std::vector<uint8_t> SolidRgba(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), {r, g, b, a});
    }
    return pixels;
}

TEST(TextureAtlas, PacksImagesWhereTheTreeSplits) {
    struct Placed {
        int32_t x, y;      // the node
        float umin, vmin;  // where the image itself starts
    };
    const struct {
        const char* what;
        int32_t padding;
        std::vector<std::pair<int32_t, int32_t>> sizes;
        std::vector<Placed> expected;
    } cases[] = {
        {"padding around a narrower image", 1, {{254, 10}}, {{0, 0, 1 / 256.0f, 1 / 256.0f}}},
        {"no horizontal padding at full width", 1, {{256, 10}}, {{0, 0, 0.0f, 1 / 256.0f}}},
        // The first leaves 156 x 156: the split is horizontal, so the second
        // goes beside it and the third below.
        {"three squares without padding",
         0,
         {{100, 100}, {100, 100}, {100, 100}},
         {{0, 0, 0.0f, 0.0f}, {100, 0, 100 / 256.0f, 0.0f}, {0, 100, 0.0f, 100 / 256.0f}}},
        {"full page", 0, {{256, 256}}, {{0, 0, 0.0f, 0.0f}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TextureAtlas atlas(256, 256, c.padding, kAlphaFormat, false);
        for (size_t i = 0; i < c.sizes.size(); ++i) {
            const auto [w, h] = c.sizes[i];
            const std::vector<uint8_t> pixels = Solid(w, h, 1, 0x80);
            const AtlasNode* node = atlas.AddImage(pixels.data(), w, h, Key(i + 1));
            ASSERT_NE(node, nullptr);
            EXPECT_EQ(node->x, c.expected[i].x);
            EXPECT_EQ(node->y, c.expected[i].y);
            EXPECT_FLOAT_EQ(node->umin, c.expected[i].umin);
            EXPECT_FLOAT_EQ(node->vmin, c.expected[i].vmin);
            EXPECT_FLOAT_EQ(node->umax, c.expected[i].umin + w / 256.0f);
            EXPECT_FLOAT_EQ(node->vmax, c.expected[i].vmin + h / 256.0f);
            EXPECT_EQ(node->imageWidth, w);
            EXPECT_EQ(node->imageHeight, h);
            EXPECT_EQ(node->page, atlas.GetPage(0));
            EXPECT_EQ(atlas.FindImage(Key(i + 1)), node);
        }
        EXPECT_EQ(atlas.PageCount(), 1);
    }
}

TEST(TextureAtlas, CopiesRowsInsideThePadding) {
    TextureAtlas atlas(6, 6, 1, kAlphaFormat, false);
    const uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};  // 3 wide, 2 high
    ASSERT_NE(atlas.AddImage(pixels, 3, 2, Key(1)), nullptr);
    const TextureAtlasPage* page = atlas.GetPage(0);
    ASSERT_NE(page->GetPixels(), nullptr);
    const std::vector<uint8_t> buffer(page->GetPixels(), page->GetPixels() + 36);
    const std::vector<uint8_t> expected = {0, 0, 0, 0, 0, 0,  //
                                           0, 1, 2, 3, 0, 0,  //
                                           0, 4, 5, 6, 0, 0,  //
                                           0, 0, 0, 0, 0, 0,  //
                                           0, 0, 0, 0, 0, 0,  //
                                           0, 0, 0, 0, 0, 0};
    EXPECT_EQ(buffer, expected);
    EXPECT_TRUE(page->IsDirty());
}

TEST(TextureAtlas, RefusesImagesThatCannotFitWithoutOpeningAPage) {
    TextureAtlas atlas(16, 16, 0, kAlphaFormat, false);
    const std::vector<uint8_t> pixels = Solid(17, 17, 1, 1);
    EXPECT_EQ(atlas.AddImage(pixels.data(), 17, 4, Key(1)), nullptr);
    EXPECT_EQ(atlas.AddImage(pixels.data(), 4, 17, Key(1)), nullptr);
    EXPECT_EQ(atlas.AddImage(pixels.data(), 0, 4, Key(1)), nullptr);
    EXPECT_EQ(atlas.AddImage(pixels.data(), 4, -1, Key(1)), nullptr);
    EXPECT_EQ(atlas.AddImage(pixels.data(), 4, 4, AtlasKey{}), nullptr);
    EXPECT_EQ(atlas.AddImage(nullptr, 4, 4, Key(1)), nullptr);
    EXPECT_EQ(atlas.PageCount(), 0);
    // 15 wide with padding 1 on both sides needs 17: no page can take it.
    TextureAtlas padded(16, 16, 1, kAlphaFormat, false);
    EXPECT_EQ(padded.AddImage(pixels.data(), 15, 4, Key(1)), nullptr);
    EXPECT_EQ(padded.PageCount(), 1);  // one page was tried, never more
}

TEST(TextureAtlas, RepeatedKeysAreStoredTwiceAndFoundInTheEarliestPage) {
    TextureAtlas atlas(8, 8, 0, kAlphaFormat, false);
    const std::vector<uint8_t> pixels = Solid(8, 8, 1, 1);
    const AtlasNode* first = atlas.AddImage(pixels.data(), 8, 8, Key(7));
    const AtlasNode* second = atlas.AddImage(pixels.data(), 8, 8, Key(7));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first->page, second->page);
    EXPECT_EQ(atlas.PageCount(), 2);
    EXPECT_EQ(atlas.FindImage(Key(7)), first);
    EXPECT_EQ(atlas.FindImage(Key(8)), nullptr);
    // Within one page the map keeps the earlier node as well.
    TextureAtlas wide(8, 8, 0, kAlphaFormat, false);
    const AtlasNode* left = wide.AddImage(pixels.data(), 4, 8, Key(7));
    const AtlasNode* right = wide.AddImage(pixels.data(), 4, 8, Key(7));
    ASSERT_NE(right, nullptr);
    EXPECT_NE(left, right);
    EXPECT_EQ(wide.FindImage(Key(7)), left);
}

TEST(TextureAtlas, ClosingOldPagesSendsLaterImagesToTheNewestPage) {
    for (bool closeOldPages : {false, true}) {
        SCOPED_TRACE(closeOldPages);
        TextureAtlas atlas(8, 8, 0, kAlphaFormat, closeOldPages);
        const std::vector<uint8_t> pixels = Solid(8, 8, 1, 1);
        ASSERT_NE(atlas.AddImage(pixels.data(), 4, 8, Key(1)), nullptr);
        ASSERT_NE(atlas.AddImage(pixels.data(), 6, 8, Key(2)), nullptr);  // opens page 2
        const AtlasNode* small = atlas.AddImage(pixels.data(), 2, 2, Key(3));
        ASSERT_NE(small, nullptr);
        EXPECT_EQ(small->page, atlas.GetPage(closeOldPages ? 1 : 0));
        EXPECT_EQ(atlas.GetPage(0)->IsFull(), closeOldPages);
    }
}

TEST(TextureAtlas, ResetRefusesEveryImageButKeepsFinding) {
    TextureAtlas atlas(8, 8, 0, kAlphaFormat, false);
    const std::vector<uint8_t> pixels = Solid(2, 2, 1, 1);
    const AtlasNode* node = atlas.AddImage(pixels.data(), 2, 2, Key(1));
    atlas.Reset();
    EXPECT_EQ(atlas.AddImage(pixels.data(), 1, 1, Key(2)), nullptr);
    EXPECT_EQ(atlas.FindImage(Key(1)), node);
}

TEST(TextureAtlas, UploadGivesChangedPagesANewTexture) {
    TextureAtlas atlas(8, 8, 0, kRgbaFormat, false);
    const std::vector<uint8_t> red = SolidRgba(4, 4, 255, 0, 0, 255);
    ASSERT_NE(atlas.AddImage(red.data(), 4, 4, Key(1)), nullptr);
    TextureAtlasPage* page = atlas.GetPage(0);
    EXPECT_EQ(page->GetTexture(), nullptr);
    atlas.UploadPages();
    const SmartPtr<Texture> first = page->GetTexture();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->GetGLId(), 0u);
    EXPECT_FALSE(page->IsDirty());
    atlas.UploadPages();
    EXPECT_EQ(page->GetTexture(), first);  // nothing changed

    const std::vector<uint8_t> green = SolidRgba(4, 4, 0, 255, 0, 255);
    ASSERT_NE(atlas.AddImage(green.data(), 4, 4, Key(2)), nullptr);
    atlas.UploadPages();
    const SmartPtr<Texture> second = page->GetTexture();
    EXPECT_NE(second, first);
    const std::vector<uint8_t> texels = TextureFixture::ReadTexture(second->GetGLId(), 8, 8);
    EXPECT_EQ(std::vector<uint8_t>(texels.begin(), texels.begin() + 4),
              (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(std::vector<uint8_t>(texels.begin() + 16, texels.begin() + 20),
              (std::vector<uint8_t>{0, 255, 0, 255}));
}

// A page texture may be asked to upload again at any time (a lost context),
// so its pixels must outlive a full page's upload and the atlas itself.
TEST(TextureAtlas, PageTexturesCanUploadAgainAfterThePageIsClosedOrGone) {
    const std::vector<uint8_t> blue = SolidRgba(8, 8, 0, 0, 255, 255);
    SmartPtr<Texture> texture;
    {
        SmartPtr<TextureAtlas> atlas(new TextureAtlas(8, 8, 0, kRgbaFormat, true));
        ASSERT_NE(atlas->AddImage(blue.data(), 8, 8, Key(1)), nullptr);
        ASSERT_NE(atlas->AddImage(blue.data(), 2, 2, Key(2)), nullptr);  // closes page 1
        atlas->UploadPages();
        TextureAtlasPage* closed = atlas->GetPage(0);
        ASSERT_TRUE(closed->IsFull());
        EXPECT_NE(closed->GetPixels(), nullptr);
        texture = closed->GetTexture();
        texture->ReleaseGL();
        texture->Upload();
        EXPECT_EQ(TextureFixture::ReadTexture(texture->GetGLId(), 8, 8)[2], 255);
    }
    texture->ReleaseGL();
    texture->Upload();  // reads the pixels again, after the atlas has gone
    const std::vector<uint8_t> texels = TextureFixture::ReadTexture(texture->GetGLId(), 8, 8);
    EXPECT_EQ(std::vector<uint8_t>(texels.end() - 4, texels.end()),
              (std::vector<uint8_t>{0, 0, 255, 255}));
}

// A 4 x 4 RGBA layout: a red 2 x 4 entry "left" and a free right half.
AtlasLayout TwoHalvesLayout(bool embedded, const std::vector<uint8_t>& pageTex) {
    AtlasLayout layout;
    layout.pageWidth = 4;
    layout.pageHeight = 4;
    layout.format = kRgbaFormat;
    layout.embedded = embedded;
    AtlasLayoutPage page;
    AtlasNodeRecord root;
    root.node.right = 4;
    root.node.bottom = 4;
    root.firstChild = 1;
    root.secondChild = 2;
    AtlasNodeRecord left;
    left.node.right = 2;
    left.node.bottom = 4;
    left.node.imageWidth = 2;
    left.node.imageHeight = 4;
    left.node.umax = 0.5f;
    left.node.vmax = 1.0f;
    left.node.extra[0] = 3.0f;
    left.position = 1;
    AtlasNodeRecord right;
    right.node.x = 2;
    right.node.right = 4;
    right.node.bottom = 4;
    right.position = 2;
    page.nodes = {root, left, right};
    AtlasLayoutImage image;
    image.key = NameKey("left");
    image.node = 1;
    page.images.push_back(image);
    if (embedded) {
        page.imageBytes = pageTex;
    } else {
        page.imageName = "/atlas_0.tex";
    }
    layout.pages.push_back(page);
    return layout;
}

std::vector<uint8_t> Serialise(const AtlasLayout& layout) {
    BinaryStreamWriter writer(256, kNativeByteOrder);
    WriteAtlasLayout(layout, writer);
    return std::vector<uint8_t>(writer.Data(), writer.Data() + writer.Size());
}

std::vector<uint8_t> HalfRedPageTex() {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 16; ++i) {
        const bool leftHalf = i % 4 < 2;
        pixels.insert(pixels.end(), {static_cast<uint8_t>(leftHalf ? 255 : 0), 0, 0,
                                     static_cast<uint8_t>(leftHalf ? 255 : 0)});
    }
    return TextureFixture::TexFile(TextureFixture::Describe(TextureFixture::kRgba8, 4, 4),
                                   {pixels});
}

TEST(TextureAtlas, LoadsLayoutsWithSeparateAndEmbeddedPageImages) {
    TextureFixture::MountedFolder folder;
    folder.Write("ui/atlas_0.tex", HalfRedPageTex());
    for (bool embedded : {false, true}) {
        SCOPED_TRACE(embedded);
        folder.Write("ui/menu.atlas", Serialise(TwoHalvesLayout(embedded, HalfRedPageTex())));
        SmartPtr<TextureAtlas> atlas(new TextureAtlas(64, 64, 3, kAlphaFormat, false));
        FileObject file("ui/menu.atlas", 0);
        ASSERT_TRUE(atlas->LoadLayout(file));
        EXPECT_STREQ(atlas->GetName().c_str(), "ui/menu.atlas");
        EXPECT_EQ(atlas->GetPageWidth(), 4);
        EXPECT_EQ(atlas->GetPadding(), 0);
        EXPECT_EQ(atlas->GetFormat(), kRgbaFormat);
        ASSERT_EQ(atlas->PageCount(), 1);

        const AtlasNode* entry = atlas->FindImage(NameKey("left"));
        ASSERT_NE(entry, nullptr);
        EXPECT_FLOAT_EQ(entry->umax, 0.5f);
        EXPECT_FLOAT_EQ(entry->extra[0], 3.0f);
        const SmartPtr<Texture> texture = entry->page->GetTexture();
        ASSERT_NE(texture, nullptr);
        const std::vector<uint8_t> texels = TextureFixture::ReadTexture(texture->GetGLId(), 4, 4);
        EXPECT_EQ(texels[0], 255);  // left half red
        EXPECT_EQ(texels[8], 0);    // right half empty
        EXPECT_EQ(texels[11], 0);

        // New images go into the free part of the loaded tree.
        const std::vector<uint8_t> green = SolidRgba(2, 4, 0, 255, 0, 255);
        const AtlasNode* added = atlas->AddImage(green.data(), 2, 4, Key(9));
        ASSERT_NE(added, nullptr);
        EXPECT_EQ(added->x, 2);
        const AtlasNode* overflow = atlas->AddImage(green.data(), 1, 1, Key(10));
        ASSERT_NE(overflow, nullptr);
        EXPECT_EQ(overflow->page, atlas->GetPage(1));  // the loaded page is full
    }
}

TEST(TextureAtlas, RefusedLayoutLeavesTheAtlasAsItWas) {
    TextureFixture::MountedFolder folder;
    folder.Write("ui/good.atlas", Serialise(TwoHalvesLayout(true, HalfRedPageTex())));
    std::vector<uint8_t> lying = Serialise(TwoHalvesLayout(true, HalfRedPageTex()));
    lying.resize(lying.size() - 10);  // the embedded image runs past the end
    folder.Write("ui/bad.atlas", lying);

    SmartPtr<TextureAtlas> atlas(new TextureAtlas(64, 64, 0, kAlphaFormat, false));
    FileObject good("ui/good.atlas", 0);
    ASSERT_TRUE(atlas->LoadLayout(good));
    FileObject bad("ui/bad.atlas", 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(atlas->LoadLayout(bad));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("\"ui/bad.atlas\" refused: truncated page image"), std::string::npos) << log;
    EXPECT_STREQ(atlas->GetName().c_str(), "ui/good.atlas");
    EXPECT_NE(atlas->FindImage(NameKey("left")), nullptr);

    FileObject missing("ui/missing.atlas", 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(atlas->LoadLayout(missing));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be opened"), std::string::npos);
}

TEST(TextureAtlas, PageWhoseImageCannotLoadStaysEmpty) {
    TextureFixture::MountedFolder folder;
    folder.Write("ui/menu.atlas", Serialise(TwoHalvesLayout(false, {})));  // no atlas_0.tex
    SmartPtr<TextureAtlas> atlas(new TextureAtlas(64, 64, 0, kAlphaFormat, false));
    FileObject file("ui/menu.atlas", 0);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(atlas->LoadLayout(file));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("ui/atlas_0.tex of \"ui/menu.atlas\" cannot be loaded"), std::string::npos)
        << log;
    const TextureAtlasPage* page = atlas->GetPage(0);
    ASSERT_NE(page->GetPixels(), nullptr);
    for (size_t i = 0; i < page->GetPixelByteCount(); ++i) {
        ASSERT_EQ(page->GetPixels()[i], 0) << i;
    }
    EXPECT_NE(atlas->FindImage(NameKey("left")), nullptr);
}

// Generated RGBA images of assorted sizes for the page picture.
std::vector<uint8_t> Disc(int size, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    const float radius = size / 2.0f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = x + 0.5f - radius;
            const float dy = y + 0.5f - radius;
            const bool inside = dx * dx + dy * dy <= radius * radius;
            pixels.insert(pixels.end(), {r, g, b, static_cast<uint8_t>(inside ? 255 : 0)});
        }
    }
    return pixels;
}

std::vector<uint8_t> Gradient(int width, int height) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.insert(pixels.end(), {static_cast<uint8_t>(255 * x / (width - 1)),
                                         static_cast<uint8_t>(255 * y / (height - 1)), 128, 255});
        }
    }
    return pixels;
}

std::vector<uint8_t> Stripes(int width, int height) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool light = (x / 2) % 2 == 0;
            pixels.insert(pixels.end(), {static_cast<uint8_t>(light ? 250 : 60),
                                         static_cast<uint8_t>(light ? 220 : 60), 40, 255});
        }
    }
    return pixels;
}

// The page after packing, drawn one texel to a pixel over the whole target.
TEST(TextureAtlas, PagePicture) {
    RenderTest::UseTestTarget();
    glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
    glClearColor(0.1f, 0.1f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    TextureAtlas atlas(64, 64, 1, kRgbaFormat, false);
    const struct {
        int width, height;
        std::vector<uint8_t> pixels;
    } images[] = {
        {64, 6, Stripes(64, 6)},         {30, 20, Gradient(30, 20)},
        {16, 16, Disc(16, 230, 60, 60)}, {20, 12, Stripes(20, 12)},
        {12, 12, Disc(12, 60, 200, 90)}, {40, 10, Gradient(40, 10)},
        {8, 8, Disc(8, 80, 120, 250)},   {6, 20, Gradient(6, 20)},
    };
    uint32_t key = 1;
    for (const auto& image : images) {
        ASSERT_NE(atlas.AddImage(image.pixels.data(), image.width, image.height, Key(key++)),
                  nullptr)
            << image.width << "x" << image.height;
    }
    ASSERT_EQ(atlas.PageCount(), 1);
    atlas.UploadPages();
    const SmartPtr<Texture> page = atlas.GetPage(0)->GetTexture();
    ASSERT_NE(page, nullptr);

    page->Bind();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Reset();
    transforms.SetOrthographic(RenderTest::kHeight, 0, 0, RenderTest::kWidth, -1, 1);
    Matrix4 world;
    world.m[0] = RenderTest::kWidth;
    world.m[5] = RenderTest::kHeight;
    world.m[12] = RenderTest::kWidth / 2.0f;
    world.m[13] = RenderTest::kHeight / 2.0f;
    transforms.World().Set(world);
    transforms.Apply(false);
    Renderer::Get().SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    DrawColouredQuad(Colour(255, 255, 255, 255));  // page row 0 at the top
    transforms.Reset();
    transforms.Apply(false);
    TextureFixture::ExpectFrameMatches("atlas_page.png", 2);
}

}  // namespace
}  // namespace Varnok
