#include "engine/text/FontManager.h"

#include "engine/render/AtlasKey.h"
#include "engine/render/AtlasPacker.h"
#include "engine/render/TextureAtlas.h"
#include "engine/text/Font.h"
#include "tests/engine/text/TextTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Varnok {
namespace {

using TextTest::FontFixture;

class FontManagerTest : public FontFixture {};

// Alpha of one pixel of a glyph image in the RGBA atlas (white + alpha).
uint8_t ImageAlpha(const AtlasNode* image, int x, int y) {
    const TextureAtlasPage* page = image->page;
    const int padX = image->imageWidth == page->GetWidth() ? 0 : page->GetPadding();
    const int padY = image->imageHeight == page->GetHeight() ? 0 : page->GetPadding();
    const size_t at = (static_cast<size_t>(image->y + padY + y) * page->GetWidth() + image->x +
                       padX + x) * 4;
    return page->GetPixels()[at + 3];
}

int InkCount(const AtlasNode* image) {
    int ink = 0;
    for (int y = 0; y < image->imageHeight; ++y) {
        for (int x = 0; x < image->imageWidth; ++x) {
            ink += ImageAlpha(image, x, y) > 0 ? 1 : 0;
        }
    }
    return ink;
}

TEST_F(FontManagerTest, PaddingPerSideFollowsTheEffect) {
    Font& font = GetFont(TextTest::kLatinFont);
    Glyph plain;
    ASSERT_TRUE(font.GetGlyph('H', 20.0f, GlyphEffect(), plain));
    const float bitmapWidth = plain.width;        // no columns of padding
    const float bitmapHeight = plain.height - 2;  // one row each side
    const struct {
        const char* what;
        GlyphEffect effect;
        float columns, rows;
    } cases[] = {
        {"none", GlyphEffect(), 0, 1},
        {"outline 2", GlyphEffect(GlyphEffect::Outline, 2.0f), 3, 4},
        {"glow 2", GlyphEffect(GlyphEffect::Glow, 2.0f), 3, 4},
        {"inner glow 2", GlyphEffect(GlyphEffect::InnerGlow, 2.0f), 0, 1},
        {"bevel", GlyphEffect::MakeBevel(3.0f, 5.0f, 1.0f, 0.5f), 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Glyph glyph;
        ASSERT_TRUE(font.GetGlyph('H', 20.0f, c.effect, glyph));
        EXPECT_EQ(glyph.offsetX, c.columns);
        EXPECT_EQ(glyph.offsetY, c.rows);
        EXPECT_EQ(glyph.width, bitmapWidth + 2 * c.columns);
        EXPECT_EQ(glyph.height, bitmapHeight + 2 * c.rows);
        EXPECT_EQ(glyph.advanceX, plain.advanceX);
    }
}

TEST_F(FontManagerTest, EffectsChangeTheInk) {
    Font& font = GetFont(TextTest::kLatinFont);
    Glyph plain, outline, glow, inner, bevel;
    ASSERT_TRUE(font.GetGlyph('O', 24.0f, GlyphEffect(), plain));
    ASSERT_TRUE(font.GetGlyph('O', 24.0f, GlyphEffect(GlyphEffect::Outline, 3.0f), outline));
    ASSERT_TRUE(font.GetGlyph('O', 24.0f, GlyphEffect(GlyphEffect::Glow, 3.0f), glow));
    ASSERT_TRUE(font.GetGlyph('O', 24.0f, GlyphEffect(GlyphEffect::InnerGlow, 3.0f), inner));
    ASSERT_TRUE(font.GetGlyph('O', 24.0f, GlyphEffect::MakeBevel(3.0f, 5.0f, 0.8f, 0.8f), bevel));
    const int plainInk = InkCount(plain.image);
    // An outline and a glow spread the ink past the plain shape; the inner
    // glow stays inside it, and the bevel lights only a rim of it.
    EXPECT_GT(InkCount(outline.image), plainInk * 3 / 2);
    EXPECT_GT(InkCount(glow.image), plainInk);
    EXPECT_LE(InkCount(inner.image), plainInk);
    EXPECT_GT(InkCount(inner.image), 0);
    EXPECT_GT(InkCount(bevel.image), 0);
    EXPECT_LT(InkCount(bevel.image), plainInk + 2 * (plain.image->imageWidth + plain.image->imageHeight));
    // The outline is solid where the glyph was: the ring of the O.
    const int midY = outline.image->imageHeight / 2;
    int solid = 0;
    for (int x = 0; x < outline.image->imageWidth; ++x) {
        solid += ImageAlpha(outline.image, x, midY) == 255 ? 1 : 0;
    }
    EXPECT_GT(solid, 6);
}

TEST_F(FontManagerTest, AGlyphRendersOnceAndAgainAfterAScaleChange) {
    Font& font = GetFont(TextTest::kLatinFont);
    Glyph first, second;
    ASSERT_TRUE(font.GetGlyph('g', 16.0f, GlyphEffect(), first));
    const int nodes = FontManager::Get().GetAtlas()->GetPage(0)->GetPacker().NodeCount();
    ASSERT_TRUE(font.GetGlyph('g', 16.0f, GlyphEffect(), second));
    EXPECT_EQ(first.image, second.image);
    EXPECT_EQ(FontManager::Get().GetAtlas()->GetPage(0)->GetPacker().NodeCount(), nodes);

    const int firstPixelWidth = first.image->imageWidth;  // the image goes with the atlas
    FontManager::Get().SetScale(2.0f);
    EXPECT_EQ(FontManager::Get().GetAtlas()->PageCount(), 0);  // emptied
    Glyph scaled;
    ASSERT_TRUE(font.GetGlyph('g', 16.0f, GlyphEffect(), scaled));
    EXPECT_EQ(FontManager::Get().GetAtlas()->PageCount(), 1);
    // Twice the pixels, the same size in layout units.
    EXPECT_NEAR(scaled.image->imageWidth, 2 * firstPixelWidth, 2);
    EXPECT_NEAR(scaled.width, first.width, 1.0f);
    EXPECT_NEAR(scaled.advanceX, first.advanceX, 1.0f);
}

TEST_F(FontManagerTest, AFallbackOnlyCharacterCarriesTheFallbacksKey) {
    Font& latin = GetFont(TextTest::kLatinFont);
    Font& cjk = GetFont(TextTest::kCjkFont);
    cjk.SetScale(2.0f, true);  // so that the scale in the key tells them apart
    latin.AddFallback(&cjk);
    const uint32_t han = 0x4E2D;
    ASSERT_FALSE(latin.MapsCharacter(han));
    ASSERT_TRUE(cjk.MapsCharacter(han));

    Glyph glyph;
    ASSERT_TRUE(latin.GetGlyph(han, 20.0f, GlyphEffect(), glyph));
    AtlasKey latinKey, cjkKey;
    latin.BuildGlyphKey(han, 20.0f, GlyphEffect(), latinKey);
    cjk.BuildGlyphKey(han, 20.0f, GlyphEffect(), cjkKey);
    EXPECT_NE(latinKey, cjkKey);
    EXPECT_EQ(glyph.image->key, cjkKey);
    EXPECT_EQ(FontManager::Get().GetAtlas()->FindImage(latinKey), nullptr);
    EXPECT_EQ(glyph.font, &latin);  // kerning still asks the font that was asked
    EXPECT_GT(InkCount(glyph.image), 20);

    // Without the fallback the font draws its own missing-glyph shape.
    Font& bold = GetFont(TextTest::kBoldFont);
    Glyph missing;
    ASSERT_TRUE(bold.GetGlyph(han, 20.0f, GlyphEffect(), missing));
    AtlasKey boldKey;
    bold.BuildGlyphKey(han, 20.0f, GlyphEffect(), boldKey);
    EXPECT_EQ(missing.image->key, boldKey);
}

TEST_F(FontManagerTest, ASpaceIsOneTransparentPixelThatAdvances) {
    Font& font = GetFont(TextTest::kLatinFont);
    Glyph space;
    ASSERT_TRUE(font.GetGlyph(' ', 20.0f, GlyphEffect(GlyphEffect::Outline, 2.0f), space));
    EXPECT_EQ(space.image->imageWidth, 1);
    EXPECT_EQ(space.image->imageHeight, 1);
    EXPECT_EQ(ImageAlpha(space.image, 0, 0), 0);
    EXPECT_EQ(space.offsetX, 0.0f);
    EXPECT_EQ(space.offsetY, 0.0f);
    EXPECT_GT(space.advanceX, 4.0f);
}

TEST_F(FontManagerTest, GetFontIgnoresCaseBackslashesAndDotParts) {
    Font* font = FontManager::Get().GetFont(TextTest::kLatinFont);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(FontManager::Get().GetFont("FontsTrueType\\Miserable.TTF"), font);
    EXPECT_EQ(FontManager::Get().GetFont("./fontstruetype/./miserable.ttf"), font);
    EXPECT_EQ(FontManager::Get().GetFont("fontstruetype/x/../miserable.ttf"), font);
    EXPECT_EQ(FontManager::Get().LoadedFontCount(), 1);
    EXPECT_NE(FontManager::Get().GetFont(TextTest::kBoldFont), font);
    EXPECT_TRUE(FontManager::Get().HasFont("FONTSTRUETYPE/AMIRI.TTF"));  // on disk, not loaded
    EXPECT_FALSE(FontManager::Get().HasFont("fontstruetype/none.ttf"));
}

TEST_F(FontManagerTest, DifferentFontsOrSizesAreNeverKerned) {
    Font& latin = GetFont(TextTest::kLatinFont);
    Font& bold = GetFont(TextTest::kBoldFont);
    Glyph a, v, vBig, vBold;
    ASSERT_TRUE(latin.GetGlyph('A', 30.0f, GlyphEffect(), a));
    ASSERT_TRUE(latin.GetGlyph('V', 30.0f, GlyphEffect(), v));
    ASSERT_TRUE(latin.GetGlyph('V', 31.0f, GlyphEffect(), vBig));
    ASSERT_TRUE(bold.GetGlyph('V', 30.0f, GlyphEffect(), vBold));
    const float kerning = latin.GetKerning('A', 'V', 30.0f);
    EXPECT_LT(kerning, 0.0f);  // the face kerns "AV"
    EXPECT_FLOAT_EQ(a.GetAdvanceWithKerning(&v), a.advanceX + kerning);
    EXPECT_FLOAT_EQ(a.GetAdvanceWithKerning(&vBig), a.advanceX);
    EXPECT_FLOAT_EQ(a.GetAdvanceWithKerning(&vBold), a.advanceX);
    EXPECT_FLOAT_EQ(a.GetAdvanceWithKerning(nullptr), a.advanceX);
}

TEST_F(FontManagerTest, MetricsMatchTheRenderedAdvance) {
    Font& latin = GetFont(TextTest::kLatinFont);
    Font& cjk = GetFont(TextTest::kCjkFont);
    latin.AddFallback(&cjk);
    for (uint32_t c : {uint32_t{'W'}, uint32_t{'j'}, uint32_t{' '}, uint32_t{'.'}, uint32_t{0x3042}}) {
        SCOPED_TRACE(c);
        Glyph rendered;
        ASSERT_TRUE(latin.GetGlyph(c, 18.0f, GlyphEffect(), rendered));
        EXPECT_EQ(latin.GetMetricsGlyph(c, 18.0f).advanceX, rendered.advanceX);
    }
}

TEST_F(FontManagerTest, AFontWithoutAFaceYieldsNothing) {
    TestSupport::LogCapture capture;
    Font* missing = FontManager::Get().GetFont("fontstruetype/none.ttf");
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(capture.Take(), "Font: ", "none.ttf"));
    ASSERT_NE(missing, nullptr);
    EXPECT_FALSE(missing->HasFace());
    Glyph glyph;
    EXPECT_FALSE(missing->GetGlyph('a', 12.0f, GlyphEffect(), glyph));
    EXPECT_EQ(missing->GetMetricsGlyph('a', 12.0f).advanceX, 0.0f);
    EXPECT_EQ(missing->GetKerning('A', 'V', 12.0f), 0.0f);

    const char junk[] = "this is not a font file at all";
    TestSupport::LogCapture refused;
    EXPECT_FALSE(missing->LoadFromMemory(junk, sizeof(junk)));
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(refused.Take(), "Font: ", "FreeType"));
    EXPECT_FALSE(missing->HasFace());
}

TEST_F(FontManagerTest, ImagesTooLargeForAPageAreRefused) {
    Font& font = GetFont(TextTest::kLatinFont);
    Glyph glyph;
    EXPECT_FALSE(font.GetGlyph('W', 600.0f, GlyphEffect(), glyph));
    EXPECT_FALSE(font.GetGlyph('W', -5.0f, GlyphEffect(), glyph));
    EXPECT_TRUE(font.GetGlyph('W', 20.0f, GlyphEffect(), glyph));
}

TEST(FontManagerUninitialised, AnswersNothing) {
    EXPECT_FALSE(FontManager::Get().IsInitialised());
    EXPECT_EQ(FontManager::Get().GetFont(TextTest::kLatinFont), nullptr);
    FontManager::Get().UploadAtlas();
    FontManager::Get().Rebuild();
}

class AlphaAtlasTest : public FontFixture {
protected:
    int AtlasFormat() const override { return FontManager::Alpha8; }
};

TEST_F(AlphaAtlasTest, StoresOneByteOfAlphaAPixel) {
    Font& font = GetFont(TextTest::kLatinFont);
    Glyph glyph;
    ASSERT_TRUE(font.GetGlyph('M', 20.0f, GlyphEffect(), glyph));
    const TextureAtlasPage* page = glyph.image->page;
    EXPECT_EQ(page->GetBytesPerPixel(), 1);
    int ink = 0;
    for (int y = 0; y < glyph.image->imageHeight; ++y) {
        for (int x = 0; x < glyph.image->imageWidth; ++x) {
            ink += page->GetPixels()[(glyph.image->y + 1 + y) * page->GetWidth() + glyph.image->x + 1 + x] == 255;
        }
    }
    EXPECT_GT(ink, 20);
}

}  // namespace
}  // namespace Varnok
