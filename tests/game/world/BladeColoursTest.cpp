// The blade colour cycle and the blade shapes.
#include "game/world/BladeColours.h"

#include "engine/core/Random.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

const Colour kPalette[3] = {Colour(0, 0, 0, 255), Colour(100, 0, 200, 255), Colour(200, 100, 0, 255)};

TEST(BladeColours, LerpWalksThePaletteBySeconds) {
    Random random;
    BladeColourCycle::Reset();
    BladeItemDef def;
    def.colours = kPalette;
    def.count = 3;
    def.mode = kBladeColourLerp;
    def.speed = 1.0f;
    ApplyBladeItem(def, random);
    for (int i = 0; i < 3; ++i) {
        BladeColourCycle::Update(nullptr, 0.5f);
    }
    Colour out;
    BladeColourCycle::Update(&out, 0.0f);
    EXPECT_EQ(out, Colour(150, 50, 100, 255));  // half-way between entries 1 and 2
    BladeColourCycle::Update(&out, 1.5f);        // 3.0 wraps onto entry 0
    EXPECT_EQ(out, kPalette[0]);
}

TEST(BladeColours, OneColourInEveryMode) {
    Random random;
    for (int32_t mode : {kBladeColourNone, kBladeColourLerp, kBladeColourPerSlash, kBladeColourContinuous}) {
        SCOPED_TRACE(mode);
        const Colour only(10, 20, 30, 255);
        BladeItemDef def;
        def.colours = &only;
        def.count = 1;
        def.mode = mode;
        ApplyBladeItem(def, random);
        EXPECT_EQ(BladeColourCycle::Update(nullptr, 0.7f), only);
        EXPECT_EQ(BladeColourCycle::Update(nullptr, -2.0f), only);
    }
}

TEST(BladeColours, PerSlashStepsFromARandomEntry) {
    Random random;
    BladeItemDef def;
    def.colours = kPalette;
    def.count = 3;
    def.mode = kBladeColourPerSlash;
    ApplyBladeItem(def, random);
    const int first = static_cast<int>(GetBladeLook().position);
    Colour out;
    BladeColourCycle::Update(&out, 1.0f);
    EXPECT_EQ(out, kPalette[(first + 1) % 3]);
    BladeColourCycle::Update(&out, 1.0f);
    EXPECT_EQ(out, kPalette[(first + 2) % 3]);
}

TEST(BladeColours, NoBladeShowsAtTheFinger) {
    BladeColourCycle::Reset();
    BladeColourCycle::SetParameters(BladeShape{});
    const BladeLook& look = GetBladeLook();
    EXPECT_FLOAT_EQ(look.length, 1.0f);
    EXPECT_FLOAT_EQ(look.startThickness, 1.0f);
    EXPECT_FLOAT_EQ(look.endThickness, 0.0f);
    EXPECT_FLOAT_EQ(look.pointScale, 1.0f);
    EXPECT_EQ(look.flipForUpsideDown, 0);
    EXPECT_EQ(look.splatColour, Colour(0, 0, 0, 0));
    EXPECT_EQ(look.currentColour, kColourWhite);
}

TEST(BladeColours, ModeNames) {
    EXPECT_EQ(BladeModeFromName("LERP"), kBladeColourLerp);
    EXPECT_EQ(BladeModeFromName("per_slash"), kBladeColourPerSlash);
    EXPECT_EQ(BladeModeFromName("CONTINUOUS"), kBladeColourContinuous);
    EXPECT_EQ(BladeModeFromName("rainbow"), kBladeColourNone);
    EXPECT_EQ(BladeModeFromName(nullptr), kBladeColourNone);
}

}  // namespace
}  // namespace Varnok
