#include "engine/text/BitmapFont.h"

#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureImage.h"
#include "tests/engine/render/RenderTestEnvironment.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Varnok {
namespace {

constexpr float kAdvance = 10.0f;  // every printable ASCII glyph
constexpr float kGlyphWidth = 8.0f;
constexpr float kSpaceAdvance = 5.0f;
constexpr float kLineHeight = 16.0f;
constexpr uint32_t kHiragana = 0x3042;  // あ, past the direct table

// A small font: printable ASCII, one code above 127 reached as a signed byte
// and one above 255. Glyphs are a full line high.
std::unique_ptr<BitmapFont> MakeFont(SmartPtr<Texture> page = SmartPtr<Texture>(), float textureScale = 1.0f) {
    auto font = std::make_unique<BitmapFont>(128, 128, textureScale);
    font->AddPage(page);
    for (uint32_t code = 32; code < 127; ++code) {
        BitmapGlyph glyph;
        glyph.code = code;
        glyph.u = 0.0f;
        glyph.v = 0.0f;
        glyph.width = code == ' ' ? 0.0f : kGlyphWidth;
        glyph.height = 1.0f;
        glyph.advance = code == ' ' ? kSpaceAdvance : kAdvance;
        font->AddGlyph(glyph);
    }
    BitmapGlyph high;
    high.code = 200;
    high.width = 4.0f;
    high.height = 1.0f;
    high.advance = 7.0f;
    font->AddGlyph(high);
    BitmapGlyph kana;
    kana.code = kHiragana;
    kana.width = 18.0f;
    kana.height = 1.0f;
    kana.advance = 20.0f;
    kana.page = 0;
    font->AddGlyph(kana);
    return font;
}

std::vector<BitmapQuad> LayOut(const BitmapFont& font, const char* text, BitmapTextDef def) {
    std::vector<BitmapQuad> quads;
    BitmapFont::LayOut(&font, text, def, quads);
    return quads;
}

BitmapTextDef Box(float width, uint32_t flags = BitmapTextFlags::AlignLeft) {
    BitmapTextDef def;
    def.boxWidth = width;
    def.boxHeight = 100.0f;
    def.flags = flags;
    def.lineHeight = kLineHeight;
    return def;
}

TEST(BitmapFont, NullFontMeasuresZeroAndDrawsNothing) {
    EXPECT_EQ(BitmapFont::FindGlyph(nullptr, 'A'), nullptr);
    EXPECT_EQ(BitmapFont::MeasureText(nullptr, "ABC"), 0.0f);
    float justification = 5.0f;
    EXPECT_EQ(BitmapFont::MeasureLine(nullptr, "ABC DEF", 10.0f, &justification), 0.0f);
    EXPECT_EQ(justification, 0.0f);
    EXPECT_EQ(BitmapFont::MeasureHeight(nullptr, "A\nB", 16.0f, 100.0f), 0.0f);
    std::vector<BitmapQuad> quads(3);
    BitmapFont::LayOut(nullptr, "ABC", Box(100), quads);
    EXPECT_TRUE(quads.empty());
    BitmapFont::DrawText(nullptr, "ABC", Box(100));  // no GL needed: nothing is drawn
}

TEST(BitmapFont, FindsGlyphsDirectlyBySignedByteAndAboveTheTable) {
    const auto font = MakeFont();
    ASSERT_NE(BitmapFont::FindGlyph(font.get(), 'A'), nullptr);
    EXPECT_EQ(BitmapFont::FindGlyph(font.get(), 'A')->code, static_cast<uint32_t>('A'));
    const BitmapGlyph* signedByte = BitmapFont::FindGlyph(font.get(), static_cast<int8_t>(200));
    ASSERT_NE(signedByte, nullptr);
    EXPECT_EQ(signedByte->code, 200u);
    ASSERT_NE(BitmapFont::FindGlyph(font.get(), kHiragana), nullptr);
    EXPECT_EQ(BitmapFont::FindGlyph(font.get(), kHiragana)->advance, 20.0f);
    EXPECT_EQ(BitmapFont::FindGlyph(font.get(), 0x3043), nullptr);
    EXPECT_EQ(BitmapFont::FindGlyph(font.get(), 1), nullptr);

    // Codes above 255 are measured and drawn; a code with no glyph is not.
    EXPECT_EQ(BitmapFont::MeasureText(font.get(), "A\xE3\x81\x82" "B"), 40.0f);
    EXPECT_EQ(BitmapFont::MeasureText(font.get(), "A\x01\xE3\x81\x83" "B"), 20.0f);
    const std::vector<BitmapQuad> quads = LayOut(*font, "A\xE3\x81\x82\x01" "B", Box(0));
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_FLOAT_EQ(quads[1].right - quads[1].left, 18.0f);
    EXPECT_FLOAT_EQ(quads[2].left, 30.0f);
}

TEST(BitmapFont, MeasuresTheFirstLineAndCountsWrappedLines) {
    const auto font = MakeFont();
    EXPECT_EQ(BitmapFont::MeasureText(font.get(), "AB CD"), 45.0f);
    EXPECT_EQ(BitmapFont::MeasureText(font.get(), "AB\nCDE"), 20.0f);
    EXPECT_EQ(BitmapFont::MeasureText(font.get(), "<font color=ff0000>AB</font>"), 20.0f);

    const struct {
        const char* text;
        float maxWidth;
        float lines;
    } cases[] = {
        {"AAAA BBBB CC", 95.0f, 2},      // " CC" would pass 95
        {"AAAA BBBB CC", 0.0f, 1},       // no width: newlines only
        {"A\nB\n", 0.0f, 3},             // a final newline starts a line
        {"A\nB", 95.0f, 2},
        {"AAAAAAAAAAAA B", 50.0f, 2},    // the wide first word stays on line 1
        {"AA BB CC DD", 25.0f, 4},
        {"", 50.0f, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(BitmapFont::MeasureHeight(font.get(), c.text, kLineHeight, c.maxWidth), c.lines * kLineHeight);
    }
    const std::vector<BitmapQuad> wide = LayOut(*font, "AAAAAAAAAAAA B", Box(50));
    ASSERT_EQ(wide.size(), 13u);
    EXPECT_EQ(wide[11].line, 0);
    EXPECT_FLOAT_EQ(wide[11].left, 110.0f);
    EXPECT_EQ(wide[12].line, 1);
    EXPECT_FLOAT_EQ(wide[12].left, 0.0f);  // the space at the break is dropped
    EXPECT_FLOAT_EQ(wide[12].top, -kLineHeight);

    // Japanese breaks between characters.
    EXPECT_EQ(BitmapFont::MeasureHeight(font.get(), "\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82", kLineHeight, 45.0f),
              2 * kLineHeight);
}

TEST(BitmapFont, JustifiedLinesSpreadToTheBoxExceptTheLastAndNarrowOnes) {
    const auto font = MakeFont();
    float justification = -1.0f;
    // "AAAA BBBB" is 85 of 95: 8 glyphs and a space give 11 units.
    EXPECT_EQ(BitmapFont::MeasureLine(font.get(), "AAAA BBBB CC", 95.0f, &justification), 95.0f);
    EXPECT_FLOAT_EQ(justification, 10.0f / 11.0f);
    EXPECT_EQ(BitmapFont::MeasureLine(font.get(), "AAAA BBBB CC", 95.0f, nullptr), 85.0f);
    // Broken by the end, or filling no more than 0.75 of the box: not spread.
    EXPECT_EQ(BitmapFont::MeasureLine(font.get(), "AAAA BBBB", 95.0f, &justification), 85.0f);
    EXPECT_EQ(justification, 0.0f);
    EXPECT_EQ(BitmapFont::MeasureLine(font.get(), "AA BBBBBBBB", 90.0f, &justification), 20.0f);
    EXPECT_EQ(justification, 0.0f);

    const std::vector<BitmapQuad> quads =
        LayOut(*font, "AAAA BBBB CC", Box(95, BitmapTextFlags::AlignLeft | BitmapTextFlags::Justify));
    ASSERT_EQ(quads.size(), 10u);
    const float j = 10.0f / 11.0f;
    EXPECT_FLOAT_EQ(quads[7].left + kAdvance + j, 95.0f);  // line 1 ends at the box edge
    EXPECT_FLOAT_EQ(quads[4].left, 4 * (kAdvance + j) + kSpaceAdvance + 3 * j);
    EXPECT_EQ(quads[8].line, 1);
    EXPECT_FLOAT_EQ(quads[9].left, kAdvance);  // the last line keeps its spacing

    // Right and centred alignment of a justified line: it fills the box.
    const std::vector<BitmapQuad> right =
        LayOut(*font, "AAAA BBBB CC", Box(95, BitmapTextFlags::AlignRight | BitmapTextFlags::Justify));
    EXPECT_FLOAT_EQ(right[0].left, 0.0f);
    EXPECT_FLOAT_EQ(right[8].left, 95.0f - 20.0f);
}

TEST(BitmapFont, ColourTagsSetAndRestoreTheColour) {
    const auto font = MakeFont();
    BitmapTextDef def = Box(0);
    def.colour = Colour(10, 20, 30, 200);
    const std::vector<BitmapQuad> quads =
        LayOut(*font, "<font color=ff8000>A</font>B<FONT COLOR=80112233>C<font color=>D</font><x", def);
    ASSERT_EQ(quads.size(), 6u);
    EXPECT_EQ(quads[0].colour.GetPacked(), 0xC8FF8000u);  // six digits keep the alpha
    EXPECT_EQ(quads[1].colour.GetPacked(), def.colour.GetPacked());
    EXPECT_EQ(quads[2].colour.GetPacked(), 0x80112233u);  // eight set it
    EXPECT_EQ(quads[3].colour.GetPacked(), 0xC8000000u);  // empty: black
    EXPECT_EQ(quads[4].colour.GetPacked(), def.colour.GetPacked());
    EXPECT_FLOAT_EQ(quads[4].left, 4 * kAdvance);  // "<x" is text
    EXPECT_FLOAT_EQ(quads[5].left, 5 * kAdvance);
}

TEST(BitmapFont, AlignsClipsAndPlacesVertically) {
    const auto font = MakeFont(SmartPtr<Texture>(), 8.0f);
    EXPECT_FLOAT_EQ(LayOut(*font, "AB", Box(100, BitmapTextFlags::AlignRight))[0].left, 80.0f);
    EXPECT_FLOAT_EQ(LayOut(*font, "AB", Box(100, BitmapTextFlags::AlignCentre))[0].left, 40.0f);
    BitmapTextDef scaled = Box(100, BitmapTextFlags::AlignRight);
    scaled.scale = 2.0f;  // the box is 50 of the text's units
    EXPECT_FLOAT_EQ(LayOut(*font, "AB", scaled)[0].left, 30.0f);

    BitmapTextDef middle = Box(100, BitmapTextFlags::AlignLeft | BitmapTextFlags::MiddleVertically);
    middle.boxHeight = 64.0f;
    EXPECT_FLOAT_EQ(LayOut(*font, "A\nB", middle)[0].top, -16.0f);  // 32 high in 64
    middle.flags = BitmapTextFlags::AlignLeft | BitmapTextFlags::BottomVertically;
    EXPECT_FLOAT_EQ(LayOut(*font, "A\nB", middle)[1].bottom, -64.0f);

    // The clip rectangle is in the caller's units: (x, y) is the text's origin.
    BitmapTextDef clipped = Box(0);
    clipped.x = 100.0f;
    clipped.y = 50.0f;
    const BitmapClipRect clip{104.0f, 46.0f, 125.0f, 0.0f};
    clipped.clip = &clip;
    const std::vector<BitmapQuad> quads = LayOut(*font, "ABCD", clipped);
    ASSERT_EQ(quads.size(), 3u);  // D at 30..38 is wholly outside
    // A (0..8, 0..-16; u 0..0.5, v 0..1/16) cut at x 4 and y -4.
    EXPECT_FLOAT_EQ(quads[0].left, 4.0f);
    EXPECT_FLOAT_EQ(quads[0].uLeft, 0.25f);
    EXPECT_FLOAT_EQ(quads[0].top, -4.0f);
    EXPECT_FLOAT_EQ(quads[0].vTop, 1.0f / 64.0f);
    EXPECT_FLOAT_EQ(quads[2].right, 25.0f);  // C at 20..28 cut at 25
    EXPECT_FLOAT_EQ(quads[2].uRight, 5.0f / 16.0f);
}

TEST(BitmapFont, DrawsGlyphQuadsWithThePageTexture) {
    RenderTest::UseTestTarget();
    glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Renderer::Get().SetDepthTest(false);
    Renderer::Get().SetCullMode(kCullOff);
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Reset();
    transforms.SetOrthographic(RenderTest::kHeight, 0, 0, RenderTest::kWidth, -1, 1);

    const std::vector<uint8_t> white(4 * 4 * 4, 255);
    SmartPtr<TextureSource> source(new MemoryBlockTextureSource(FlatDescription(kRgba8Descriptor, 4, 4),
                                                                white.data(), white.size(), true));
    const auto font = MakeFont(Texture2D::Create(source, 0, TextureCreateMode::Scale), 4.0f);
    BitmapTextDef def = Box(0);
    def.x = 10.0f;
    def.y = 40.0f;
    def.colour = Colour(255, 0, 0, 255);
    BitmapFont::DrawText(font.get(), "A A", def);  // A at 10..18 and 25..33, 40 down to 24

    const RenderTest::Rgba inside = RenderTest::ReadPixel(14, 32);
    EXPECT_EQ(inside.r, 255);
    EXPECT_EQ(inside.g, 0);
    const RenderTest::Rgba second = RenderTest::ReadPixel(29, 30);
    EXPECT_EQ(second.r, 255);
    for (const auto& outside : {RenderTest::ReadPixel(21, 32), RenderTest::ReadPixel(14, 45),
                                RenderTest::ReadPixel(14, 20)}) {
        EXPECT_EQ(outside.r, 0);
    }
    transforms.Reset();
}

}  // namespace
}  // namespace Varnok
