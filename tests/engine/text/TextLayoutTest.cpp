#include "engine/text/TextLayout.h"

#include "engine/render/TextureAtlas.h"
#include "engine/text/Font.h"
#include "engine/text/MarkupColourMap.h"
#include "tests/engine/text/TextTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace Varnok {
namespace {

constexpr Colour kGold{255, 200, 0, 255};

class TextLayoutTest : public TextTest::FontFixture {
protected:
    Font& Latin() { return GetFont(TextTest::kLatinFont); }
};

int VertexCount(const TextLayout& layout) {
    int count = 0;
    for (int b = 0; b < layout.GetBatchCount(); ++b) {
        count += static_cast<int>(layout.GetBatch(b).GetDrawnVertices().size());
    }
    return count;
}

TEST_F(TextLayoutTest, OneGlyphIsItsWidthPlusSpacingPlusOne) {
    Font& font = Latin();
    const struct {
        const char* text;
        float spacing;
    } cases[] = {{"M", 0.0f}, {"M", 3.0f}, {" ", 0.0f}, {" ", 2.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "' spacing " + std::to_string(c.spacing));
        TextLayout layout(&font, c.text, 20.0f, kColourWhite, c.spacing, GlyphEffect(), nullptr, 0);
        ASSERT_EQ(layout.GetGlyphs().size(), 1u);
        const Glyph& glyph = layout.GetGlyphs()[0];
        const float expected = glyph.width + c.spacing + 1.0f + (c.text[0] == ' ' ? glyph.advanceX : 0.0f);
        EXPECT_FLOAT_EQ(layout.GetWidth(), expected);
    }
    // Between glyphs the pen moves by the kerned advance.
    TextLayout pair(&font, "AV", 20.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    const Glyph& a = pair.GetGlyphs()[0];
    EXPECT_FLOAT_EQ(pair.GetGlyphs()[1].positionX, a.advanceX + font.GetKerning('A', 'V', 20.0f) + 1.0f);
}

TEST_F(TextLayoutTest, ANewlineHasAnIndexButNoTriangles) {
    TextLayout layout(&Latin(), "ab\ncd", 20.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 10);
    ASSERT_EQ(layout.GetGlyphs().size(), 5u);
    EXPECT_EQ(layout.GetGlyphs()[2].character, 10u);
    EXPECT_EQ(layout.GetGlyphs()[2].index, 12);  // position plus the index base
    EXPECT_EQ(VertexCount(layout), 4 * 6);
}

TEST_F(TextLayoutTest, BoundsCoverTheGlyphsAroundTheBaseline) {
    TextLayout layout(&Latin(), "gH", 20.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    const TextBounds& bounds = layout.GetBounds();
    EXPECT_LT(bounds.minY, 0);  // the descender of g
    EXPECT_GT(bounds.maxY, 10);
    EXPECT_GE(bounds.maxX, static_cast<int>(layout.GetWidth() + bounds.minX));
    TextLayout empty(&Latin(), "", 20.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    EXPECT_EQ(empty.GetBounds().maxX, 0);
    EXPECT_EQ(empty.GetBatchCount(), 0);
}

TEST_F(TextLayoutTest, ClippingKeepsInsideBatchesAndDropsOutsideOnes) {
    TextLayout layout(&Latin(), "Hi", 20.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    const TextBounds b = layout.GetBounds();
    const int before = VertexCount(layout);
    // y downwards: the text spans -maxY .. -minY.
    auto box = [](float left, float top, float right, float bottom) {
        return std::vector<Vector2>{{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    };
    layout.ClipPolygon(box(b.minX - 5.0f, -b.maxY - 5.0f, b.maxX + 5.0f, -b.minY + 5.0f), Vector2{});
    EXPECT_FALSE(layout.GetBatch(0).IsClipped());
    EXPECT_EQ(VertexCount(layout), before);

    layout.ClipPolygon(box(b.maxX + 1.0f, -b.maxY, b.maxX + 50.0f, -b.minY), Vector2{});
    EXPECT_TRUE(layout.GetBatch(0).IsClipped());
    EXPECT_EQ(VertexCount(layout), 0);

    // Halfway: every vertex left lies inside the box.
    const float middle = (b.minX + b.maxX) / 2.0f;
    layout.ClipPolygon(box(b.minX - 5.0f, -b.maxY - 5.0f, middle, -b.minY + 5.0f), Vector2{});
    ASSERT_GT(VertexCount(layout), 0);
    for (const ImmediateVertex& v : layout.GetBatch(0).GetDrawnVertices()) {
        EXPECT_LE(v.x, middle + 1e-3f);
    }
    // An offset moves the polygon.
    layout.ClipPolygon(box(b.minX - 5.0f, -b.maxY - 5.0f, middle, -b.minY + 5.0f), Vector2{500.0f, 0.0f});
    EXPECT_EQ(VertexCount(layout), 0);
    layout.ResetClip();
    EXPECT_EQ(VertexCount(layout), before);
}

TEST_F(TextLayoutTest, MarkupColoursTheTaggedCharacters) {
    MarkupColourMap markup;
    markup.DefineColour("gold", kGold);
    std::string text = "w<gold>or</gold>d";
    markup.Parse(text);
    EXPECT_EQ(text, "word");
    TextLayout layout(&Latin(), text.c_str(), 20.0f, kColourWhite, 0.0f, GlyphEffect(), &markup, 0);
    const std::vector<ImmediateVertex>& vertices = layout.GetBatch(0).GetVertices();
    ASSERT_EQ(vertices.size(), 24u);
    for (int glyph = 0; glyph < 4; ++glyph) {
        SCOPED_TRACE(glyph);
        const ImmediateVertex& v = vertices[glyph * 6];
        const bool tagged = glyph == 1 || glyph == 2;
        EXPECT_EQ(v.g, tagged ? 200.0f : 255.0f);
        EXPECT_EQ(v.b, tagged ? 0.0f : 255.0f);
    }
}

TEST(MarkupColourMapTest, ParsesTags) {
    const struct {
        const char* what;
        const char* in;
        const char* out;
        std::set<int> coloured;
    } cases[] = {
        {"undefined name colours nothing", "a<blue>bc</blue>", "abc", {}},
        {"closing ends colouring", "<gold>ab</>c", "abc", {0, 1}},
        {"tags do not nest", "<gold>a<blue>b</blue>c", "abc", {0}},
        {"an unclosed '<' drops the rest", "ab<gold c", "ab", {}},
        {"a stray '>' is text", "a>b", "a>b", {}},
        {"nested brackets belong to one tag", "<g<x>y>ab", "ab", {}},
        {"multibyte characters count once", "\xC3\xA9<gold>\xE4\xB8\xAD</gold>x", "\xC3\xA9\xE4\xB8\xAD" "x", {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MarkupColourMap markup;
        markup.DefineColour("gold", kGold);
        std::string text = c.in;
        markup.Parse(text);
        EXPECT_EQ(text, c.out);
        for (int i = 0; i < 6; ++i) {
            Colour colour;
            EXPECT_EQ(markup.GetCharColour(i, colour), c.coloured.count(i) == 1) << i;
        }
    }
    EXPECT_EQ(ParseTextMarkupMode("Colourise"), 1);
    EXPECT_EQ(ParseTextMarkupMode("StripTagsOnly"), 2);
    EXPECT_EQ(ParseTextMarkupMode("colourise"), 0);
    EXPECT_EQ(ParseTextMarkupMode(nullptr), 0);
}

TEST_F(TextLayoutTest, GradientsAndStops) {
    TextLayout layout(&Latin(), "I", 40.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    const TextBounds b = layout.GetBounds();
    layout.SetGradient(kColourRed, kColourBlue);
    for (const ImmediateVertex& v : layout.GetBatch(0).GetVertices()) {
        const float s = (v.y - b.minY) / (b.maxY - b.minY);
        EXPECT_NEAR(v.r, 255.0f * s, 1.5f);
        EXPECT_NEAR(v.b, 255.0f * (1.0f - s), 1.5f);
    }
    EXPECT_EQ(layout.GetBatch(0).GetVertices().size(), 6u);

    const float middle = (b.maxY + b.minY) * 0.5f;
    layout.AddColourStop(kColourGreen, 0.5f);
    const std::vector<ImmediateVertex>& split = layout.GetBatch(0).GetVertices();
    EXPECT_GT(split.size(), 6u);
    int onLine = 0;
    for (const ImmediateVertex& v : split) {
        if (std::fabs(v.y - middle) < 1e-3f) {
            ++onLine;
            EXPECT_EQ(v.g, 255.0f);
            EXPECT_EQ(v.r, 0.0f);
        }
        EXPECT_EQ(split.size() % 3, 0u);
    }
    EXPECT_GE(onLine, 4);

    layout.SetAlpha(100);
    for (const ImmediateVertex& v : layout.GetBatch(0).GetVertices()) {
        EXPECT_EQ(v.a, 100.0f);
    }
}

TEST_F(TextLayoutTest, ArcsBendTheLine) {
    TextLayout layout(&Latin(), "arc", 20.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    layout.SetArc(100.0f);
    EXPECT_TRUE(layout.IsCurved());
    const std::vector<Glyph>& glyphs = layout.GetGlyphs();
    EXPECT_LT(glyphs[0].positionX, 0.0f);  // centred on the top of the circle
    EXPECT_GT(glyphs[2].positionX, 0.0f);
    EXPECT_GT(glyphs[0].rotation, 0.0f);
    EXPECT_LT(glyphs[2].rotation, 0.0f);
    EXPECT_NEAR(glyphs[1].positionY, 100.0f + glyphs[1].advanceY, 2.0f);
}

TEST_F(TextLayoutTest, ARebuiltAtlasMakesLayoutsRenderAgain) {
    TextLayout layout(&Latin(), "ok", 20.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    FontManager::Get().Rebuild();
    EXPECT_FALSE(layout.IsBuilt());
    EXPECT_TRUE(layout.GetGlyphs().empty());
    layout.Build();
    EXPECT_EQ(layout.GetGlyphs().size(), 2u);
    EXPECT_EQ(layout.GetGlyphs()[0].page, FontManager::Get().GetAtlas()->GetPage(0));
}

TEST_F(TextLayoutTest, GlyphsThatCannotBeProducedAreSkipped) {
    // 400 points: a W is too wide for a page, the dot is not.
    TextLayout layout(&Latin(), "W.", 400.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    ASSERT_EQ(layout.GetGlyphs().size(), 1u);
    EXPECT_EQ(layout.GetGlyphs()[0].character, static_cast<uint32_t>('.'));
    EXPECT_EQ(layout.GetGlyphs()[0].index, 1);
    TextLayout faceless(FontManager::Get().GetFont("fontstruetype/none.ttf"), "abc", 20.0f,
                        kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    EXPECT_TRUE(faceless.GetGlyphs().empty());
    TextLayout nullFont(nullptr, "abc", 20.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    nullFont.Draw(Vector3{}, 1.0f, 1.0f, 0.0f, 0, nullptr);
}

class TextLayoutDrawingTest : public TextTest::DrawingFixture {};

TEST_F(TextLayoutDrawingTest, DrawsWhereTheBoundsSay) {
    Font& font = GetFont(TextTest::kBoldFont);
    TextLayout layout(&font, "HI", 20.0f, kColourWhite, 0.0f, GlyphEffect(), nullptr, 0);
    const TextBounds b = layout.GetBounds();
    layout.Draw(Vector3{10.0f, 20.0f, 0.0f}, 1.0f, 1.0f, 0.0f, 0, nullptr);
    const Ink ink = CountInk(10 + b.minX, 20 + b.minY, 10 + b.maxX, 20 + b.maxY);
    EXPECT_GT(ink.inside, 40);
    EXPECT_EQ(ink.outside, 0);

    // Centred both ways on the middle of the target, red through markup-free colour.
    glClear(GL_COLOR_BUFFER_BIT);
    layout.Draw(Vector3{32.0f, 32.0f, 0.0f}, 1.0f, 1.0f, 0.0f, kTextAlignCentre | kTextAlignMiddle,
                nullptr);
    const int w = b.maxX - b.minX;
    const int h = b.maxY - b.minY;
    const Ink centred = CountInk(32 - w / 2 - 1, 32 - h / 2 - 1, 32 + w / 2 + 2, 32 + h / 2 + 2);
    EXPECT_GT(centred.inside, 40);
    EXPECT_EQ(centred.outside, 0);

    // Clipped away entirely, nothing is drawn.
    glClear(GL_COLOR_BUFFER_BIT);
    layout.ClipPolygon({{500, 0}, {600, 0}, {600, 100}, {500, 100}}, Vector2{});
    layout.Draw(Vector3{10.0f, 20.0f, 0.0f}, 1.0f, 1.0f, 0.0f, 0, nullptr);
    EXPECT_EQ(CountInk(0, 0, 64, 64).inside, 0);
}

}  // namespace
}  // namespace Varnok
