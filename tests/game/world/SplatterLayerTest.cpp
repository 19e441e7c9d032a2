// The splatter ring, its sounds and the critical flash.
#include "game/world/SplatterLayer.h"

#include "engine/core/Random.h"
#include "game/world/BladeColours.h"
#include "game/world/FruitCatalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

class SplatterLayerTest : public testing::Test {
protected:
    void SetUp() override {
        const std::string text =
            "<fruitInfoFile><critical colour=\"255,255,0,255\"/>"
            "<FruitInfo name=\"apple\"><colours colour=\"0,0,255,255\"/></FruitInfo>"
            "<FruitInfo name=\"lime\"><colours colour=\"0,200,0,255\"/></FruitInfo></fruitInfoFile>";
        FruitCatalogue::Get().LoadFromText(text.data(), text.size());
        BladeColourCycle::Reset();
        layer.SetServices(&random, nullptr);
        layer.Create(SplatterLayer::kDefaultCount);
    }
    void TearDown() override { layer.Release(); }

    Random random;
    SplatterLayer& layer = SplatterLayer::Get();
};

TEST_F(SplatterLayerTest, FullRingAnswersTheRecordAtTheCursor) {
    for (int i = 0; i < 7; ++i) {
        layer.GetRecord(i).active = 0;
    }
    for (int i = 0; i < layer.GetCount(); ++i) {
        layer.GetRecord(i).active = 1;
    }
    layer.GetRecord(5).active = 0;
    EXPECT_EQ(layer.AddRandom(), &layer.GetRecord(5));
    layer.GetRecord(5).active = 1;
    const int cursor = layer.GetCursor();
    EXPECT_EQ(layer.AddRandom(), &layer.GetRecord(cursor));
    EXPECT_EQ(layer.GetCursor(), cursor);
}

TEST_F(SplatterLayerTest, FourSplatsInAFrameMakeOneSound) {
    const int before = layer.GetSoundsPlayed();
    for (int i = 0; i < 4; ++i) {
        layer.PlaySound(1);
    }
    EXPECT_EQ(layer.GetSoundsPlayed() - before, 1);
}

TEST_F(SplatterLayerTest, NonFruitSplatterFadesFromCriticalToItsJuice) {
    SplatterRecord* record = nullptr;
    // Past the fruit: a critical hit on lime (kind 1 + 2 kinds).
    for (int attempt = 0; attempt < 50; ++attempt) {
        record = layer.AddRandom();
        layer.Add(*record, Vector3{}, Vector3{1, 1, 0}, 1, 1, 3);
        if (record->active) {
            break;
        }
    }
    ASSERT_TRUE(record->active);
    EXPECT_EQ(record->colour.r, 255);
    EXPECT_FLOAT_EQ(record->flash, 1.5f);
    SplatterFrame frame;
    frame.frameStep = 0.05f;
    record->life = 100.0f;
    for (int i = 0; i < 25; ++i) {  // 1.25 s
        layer.Update(frame.frameStep, frame);
        record->life = 100.0f;  // keep it for the colour
    }
    EXPECT_NEAR(record->colour.r, 127, 2);  // half-way from 255 to lime's 0
    EXPECT_NEAR(record->colour.g, 227, 2);  // half-way from 255 to 200
    for (int i = 0; i < 6; ++i) {
        layer.Update(frame.frameStep, frame);
        record->life = 100.0f;
    }
    EXPECT_EQ(record->colour.r, 0);
    EXPECT_EQ(record->colour.g, 200);
}

TEST_F(SplatterLayerTest, FruitSplatterLandsAndFades) {
    SplatterRecord* record = nullptr;
    for (int attempt = 0; attempt < 50; ++attempt) {
        record = layer.AddRandom();
        layer.Add(*record, Vector3{5, 6, 0}, Vector3{2, 1, 0}, 0, 0, 0);
        if (record->active) {
            break;
        }
    }
    ASSERT_TRUE(record->active);
    EXPECT_EQ(record->colour, Colour(0, 0, 255, 255));
    SplatterFrame frame;
    frame.frameStep = 1.0f / 60.0f;
    layer.Update(frame.frameStep, frame);
    EXPECT_GE(record->frame, 0);
    EXPECT_FLOAT_EQ(record->position.z, -50.0f);
    EXPECT_EQ(layer.GetActiveCount(), 1);
    for (int i = 0; i < 60 * 20 && record->active; ++i) {  // life up to 6.25 at 0.47 a second
        layer.Update(frame.frameStep, frame);
    }
    EXPECT_FALSE(record->active);
    EXPECT_EQ(layer.GetActiveCount(), 0);
}

TEST_F(SplatterLayerTest, BladeOverrideColoursFruitJuice) {
    GetBladeLook().splatColour = Colour(9, 8, 7, 255);
    SplatterRecord record;
    layer.Add(record, Vector3{}, Vector3{1, 0, 0}, 0, 1, 1);
    EXPECT_EQ(record.colour.r, 9);
    // Neither opaque black nor a reset's all-zero colour overrides.
    for (const Colour none : {kColourBlack, Colour(0, 0, 0, 0)}) {
        GetBladeLook().splatColour = none;
        layer.Add(record, Vector3{}, Vector3{1, 0, 0}, 0, 1, 1);
        EXPECT_EQ(record.colour, Colour(0, 200, 0, 255));
    }
    BladeColourCycle::Reset();
}

}  // namespace
}  // namespace Varnok
