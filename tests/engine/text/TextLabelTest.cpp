#include "engine/text/TextLabel.h"

#include "engine/text/Font.h"
#include "engine/text/MarkupColourMap.h"
#include "engine/text/StyledText.h"
#include "tests/engine/text/TextTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

class TextLabelTest : public TextTest::FontFixture {
protected:
    Font& Latin() { return GetFont(TextTest::kLatinFont); }
    float Width(const char* text, float size) {
        std::string line = text, rest;
        float width = 0.0f;
        Latin().TakeLine(line, rest, size, 0, -1.0f, &width, nullptr, nullptr);
        return width;
    }
};

TEST_F(TextLabelTest, ThreeLinesInAMaximumOfTwoShrinkUntilTheyFit) {
    const int box = static_cast<int>(Width("word word", 20.0f)) + 2;
    TextLabel label(&Latin(), 20.0f, box, 200, 0, 2, 0);
    label.SetText("word word word word word");
    label.Rebuild();
    EXPECT_LT(label.GetCurrentSize(), 20.0f);
    EXPECT_LE(label.GetLineCount(), 2);
    // One size larger would have needed more than two lines.
    std::vector<std::string> lines;
    Latin().WrapText(label.GetCurrentSize() + 1.0f, "word word word word word", 0,
                     static_cast<float>(box), &lines, nullptr);
    EXPECT_GT(lines.size(), 2u);

    TextLabel hopeless(&Latin(), 20.0f, box, 200, 0, 2, 0);
    hopeless.SetText("a b c d e f g h i j k l m n o p q r s t u v w x y z a b c d e f g h i j k");
    hopeless.Rebuild();
    EXPECT_EQ(hopeless.GetCurrentSize(), 5.0f);
    EXPECT_EQ(hopeless.GetLineStep(), static_cast<int>(5.0f - 0.5f * (20.0f - 5.0f)));
}

TEST_F(TextLabelTest, ATextBoxKeepsItsSizeAndTakesEveryLine) {
    const int box = static_cast<int>(Width("word word", 20.0f)) + 2;
    TextLabel label(&Latin(), 20.0f, box, 2, 0, 2, 0);
    label.SetTextboxMode();
    label.SetText("word word word word word");
    label.Rebuild();
    EXPECT_EQ(label.GetCurrentSize(), 20.0f);
    EXPECT_EQ(label.GetLineCount(), 3);
    EXPECT_FALSE(label.ShrinkToFit());
    EXPECT_EQ(label.GetSize(), 20.0f);
}

TEST_F(TextLabelTest, ShrinkToFitStopsAtSix) {
    TextLabel label(&Latin(), 20.0f, 100, 2, 0, 0, 0);
    label.SetText("no room at all");
    EXPECT_TRUE(label.ShrinkToFit());
    EXPECT_EQ(label.GetSize(), 6.0f);
    EXPECT_TRUE(label.NeedsWrap());

    TextLabel roomy(&Latin(), 20.0f, 400, 100, 0, 0, 0);
    roomy.SetText("fits");
    EXPECT_FALSE(roomy.ShrinkToFit());
    EXPECT_EQ(roomy.GetSize(), 20.0f);

    TextLabel tight(&Latin(), 20.0f, 400, 30, 0, 0, 4);
    tight.SetText("one\ntwo");  // two lines of s with 4 between: 2s + 4 < 30 at s = 12
    EXPECT_TRUE(tight.ShrinkToFit());
    EXPECT_EQ(tight.GetSize(), 12.0f);
}

TEST_F(TextLabelTest, ASizeListIsTriedFromTheLargestBelowTheRequest) {
    const std::vector<float> sizes = {10.0f, 14.0f, 18.0f};
    const char* text = "sizing";
    // Wide enough at 14, too narrow at 18 (and at 20).
    const int box = static_cast<int>((Width(text, 14.0f) + Width(text, 18.0f)) / 2.0f);
    ASSERT_LT(Width(text, 14.0f), box);
    TextLabel label(&Latin(), 20.0f, box, 100, 0, 1, 0, &sizes);
    label.SetText(text);
    label.Rebuild();
    EXPECT_EQ(label.GetCurrentSize(), 14.0f);

    TextLabel tooSmall(&Latin(), 20.0f, 3, 100, 0, 1, 0, &sizes);
    tooSmall.SetText(text);
    tooSmall.Rebuild();
    EXPECT_EQ(tooSmall.GetCurrentSize(), 10.0f);  // the smallest listed, not 5
}

TEST_F(TextLabelTest, TheSameTextTwiceDoesNotRewrap) {
    TextLabel label(&Latin(), 20.0f, 200, 100, 0, 0, 0);
    label.SetText("steady");
    label.Rebuild();
    const StyledText* line = &label.GetLine(0);
    label.SetText("steady");
    EXPECT_FALSE(label.NeedsWrap());
    label.Draw(1.0f, 1.0f, 0.0f, false);
    EXPECT_EQ(&label.GetLine(0), line);
    label.SetText("changed");
    EXPECT_TRUE(label.NeedsWrap());
    label.SetText(nullptr);
    label.Rebuild();
    EXPECT_EQ(label.GetWrappedLines(), (std::vector<std::string>{"changed"}));
}

TEST_F(TextLabelTest, AnEmptyTextHasNoLines) {
    TextLabel label(&Latin(), 20.0f, 200, 100, 0, 0, 0);
    label.SetText("");
    label.Rebuild();
    EXPECT_EQ(label.GetLineCount(), 0);
    label.Draw(1.0f, 1.0f, 0.0f, false);
    TextLabel noFont(nullptr, 20.0f, 200, 100, 0, 0, 0);
    noFont.SetText("text");
    noFont.Draw(1.0f, 1.0f, 0.0f, false);
    EXPECT_EQ(noFont.GetLineCount(), 0);
}

TEST_F(TextLabelTest, ShadowAndEffectLayers) {
    TextLabel label(&Latin(), 20.0f, 200, 100, 0, 0, 0);
    label.SetText("layers");
    label.Rebuild();
    EXPECT_EQ(label.GetLine(0).GetLayer(StyledText::Shadow), nullptr);  // size 0, mode 0

    label.SetShadow(0.0f, kColourBlack, Vector3{2.0f, -2.0f, 0.0f}, 1);
    label.Rebuild();
    const TextLayout* shadow = label.GetLine(0).GetLayer(StyledText::Shadow);
    ASSERT_NE(shadow, nullptr);  // a plain copy of the glyphs
    EXPECT_EQ(shadow->GetEffect().type, static_cast<uint32_t>(GlyphEffect::Outline));
    // The same glyphs; the outline of size 0 only pads them by a pixel.
    EXPECT_NEAR(shadow->GetBounds().maxX, label.GetLine(0).GetFill().GetBounds().maxX, 2);
    EXPECT_EQ(label.GetLine(0).GetShadowOffset().x, 2.0f);

    label.SetOutline(2.0f, kColourBlack);
    label.SetInnerGlow(2.0f, kColourWhite);
    label.SetBevel(2.0f, 3.0f, 1.0f, 0.5f, kColourWhite, kColourBlack);
    label.Rebuild();
    const StyledText& line = label.GetLine(0);
    for (int layer = 0; layer < StyledText::kLayerCount; ++layer) {
        EXPECT_NE(line.GetLayer(static_cast<StyledText::Layer>(layer)), nullptr) << layer;
    }
    EXPECT_NEAR(line.GetLayer(StyledText::BevelDark)->GetEffect().params[2],
                WrapEffectAngle(1.0f + 3.14159f), 1e-5f);
    label.SetOutline(2.0f, kColourBlack);
    EXPECT_FALSE(label.NeedsWrap());  // unchanged
}

TEST_F(TextLabelTest, LinesArePlacedByTheFlags) {
    const int boxWidth = 300, boxHeight = 120;
    const struct {
        const char* what;
        int flags;
    } cases[] = {{"left top", 0}, {"right", kLabelAlignRight}, {"centre", kLabelAlignCentre},
                 {"middle", kLabelAlignMiddle}, {"bottom", kLabelAlignBottom}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TextLabel label(&Latin(), 20.0f, boxWidth, boxHeight, c.flags, 0, 2);
        label.SetText("first\nsecond");
        label.Rebuild();
        ASSERT_EQ(label.GetLineCount(), 2);
        const StyledText& first = label.GetLine(0);
        const StyledText& second = label.GetLine(1);
        // Reading order downwards, one step apart, inside the box.
        EXPECT_EQ(first.GetPosition().y - second.GetPosition().y, label.GetLineStep());
        for (const StyledText* line : {&first, &second}) {
            const TextBounds& b = line->GetFill().GetBounds();
            const float x = line->GetPosition().x;
            const float y = line->GetPosition().y;
            // The bounds hold a transparent row of padding above and below.
            EXPECT_LE(y + b.maxY, 1.0f);
            EXPECT_GE(y + b.minY, -boxHeight - 1.0f);
            const int width = b.maxX - b.minX;
            switch (c.flags & 3) {
                case kLabelAlignRight:
                    EXPECT_EQ(x, boxWidth - width);
                    break;
                case kLabelAlignCentre:
                    EXPECT_EQ(x, boxWidth / 2 - width / 2);
                    break;
                default:
                    EXPECT_EQ(x, 0.0f);
            }
        }
        if (c.flags == kLabelAlignBottom) {
            EXPECT_EQ(second.GetPosition().y + second.GetFill().GetBounds().minY, -boxHeight);
        }
    }
    TextLabel onTop(&Latin(), 20.0f, boxWidth, boxHeight, 0, 0, 0);
    onTop.SetFirstLineOnTop(true);
    onTop.SetText("Top");
    onTop.Rebuild();
    EXPECT_EQ(onTop.GetLine(0).GetPosition().y, -onTop.GetLine(0).GetFill().GetBounds().maxY);
}

TEST_F(TextLabelTest, MarkupFollowsTheCharactersAcrossLines) {
    TextLabel label(&Latin(), 20.0f, 400, 100, 0, 0, 0);
    label.EnableMarkup(true);
    label.GetMarkup()->DefineColour("red", kColourRed);
    label.SetText("ab\nc<red>d</red>");
    label.Rebuild();
    ASSERT_EQ(label.GetLineCount(), 2);
    EXPECT_EQ(label.GetLineStarts(), (std::vector<int>{0, 3}));
    const std::vector<ImmediateVertex>& vertices = label.GetLine(1).GetFill().GetBatch(0).GetVertices();
    ASSERT_EQ(vertices.size(), 12u);
    EXPECT_EQ(vertices[0].g, 255.0f);  // c
    EXPECT_EQ(vertices[6].g, 0.0f);    // d, red
    EXPECT_EQ(vertices[6].r, 255.0f);
}

TEST_F(TextLabelTest, ColourChangesApplyNowOrAtTheNextWrap) {
    TextLabel label(&Latin(), 20.0f, 400, 100, 0, 0, 0);
    label.SetText("hue");
    label.Rebuild();
    label.SetColour(kColourGreen, true);
    EXPECT_FALSE(label.NeedsWrap());
    EXPECT_EQ(label.GetLine(0).GetFill().GetBatch(0).GetVertices()[0].r, 0.0f);
    label.SetGradient(kColourRed, kColourBlue, false);
    EXPECT_TRUE(label.NeedsWrap());
    label.Rebuild();
    EXPECT_EQ(label.GetLine(0).GetFill().GetColourStops().size(), 2u);
    label.SetGradient4(kColourRed, kColourGreen, kColourBlue, kColourWhite, true);
    EXPECT_EQ(label.GetLine(0).GetFill().GetColourStops().size(), 4u);
    label.SetAlpha(128);
    EXPECT_EQ(label.GetLine(0).GetFill().GetBatch(0).GetVertices()[0].a, 128.0f);
}

class TextLabelDrawingTest : public TextTest::DrawingFixture {};

TEST_F(TextLabelDrawingTest, InkStaysInsideTheBox) {
    Font& font = GetFont(TextTest::kBoldFont);
    // A 44 x 36 box with its top-left corner at (10, 54); y up. The outline
    // and the shadow may reach 2 pixels past the box.
    TextLabel label(&font, 14.0f, 44, 36, kLabelAlignCentre | kLabelAlignMiddle, 2, 0);
    label.SetText("Box it");
    label.SetColour(kColourRed, false);
    label.SetOutline(1.0f, Colour{255, 255, 255, 255});
    label.SetShadow(1.0f, Colour{255, 255, 255, 255}, Vector3{1.0f, -1.0f, 0.0f}, 1);
    label.SetPosition(Vector3{10.0f, 54.0f, 0.0f}, false);
    label.Draw(1.0f, 1.0f, 0.0f, false);
    const Ink ink = CountInk(8, 16, 56, 56);
    EXPECT_GT(ink.inside, 50);
    EXPECT_EQ(ink.outside, 0);

    // Clipped to the left half of the box, nothing reaches the right half.
    glClear(GL_COLOR_BUFFER_BIT);
    const std::vector<Vector2> leftHalf = {{0, 0}, {22, 0}, {22, 36}, {0, 36}};
    label.SetClipPolygon(&leftHalf, nullptr);
    label.Draw(1.0f, 1.0f, 0.0f, false);
    const Ink clipped = CountInk(8, 16, 33, 56);
    EXPECT_GT(clipped.inside, 10);
    EXPECT_EQ(clipped.outside, 0);
}

}  // namespace
}  // namespace Varnok
