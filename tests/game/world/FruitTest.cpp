// Fruit launch, flight, drops, criticals and the hit timer.
#include "game/world/Fruit.h"

#include "engine/core/Random.h"
#include "game/rules/GameRecord.h"
#include "game/world/SplatterLayer.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Varnok {
namespace {

class FruitTest : public testing::Test {
protected:
    void SetUp() override {
        WorldObject::CreatePool(kWorldObjectPoolBytes);
        const std::string text =
            "<fruitInfoFile><critical score=\"5\" chance=\"5\" chance_inc=\"30\"/>"
            "<FruitInfo name=\"apple\" chance=\"5\"/><FruitInfo name=\"bean\" chance=\"1\"/>"
            "<FruitInfo name=\"star\" score=\"5\" chance=\"1\"/></fruitInfoFile>";
        FruitCatalogue::Get().LoadFromText(text.data(), text.size());
        Fruit::SetGenerators(&game, &waves);
        Fruit::ResetDepthCounter();
        SplatterLayer::Get().SetServices(&game, nullptr);
        SplatterLayer::Get().Create(256);
        GameRecord& record = GetGameRecord();
        record.frameStep = 1.0f / 60.0f;
        record.notInPlay = false;
        record.paused = false;
        record.bombExplosionTime = 0.0f;
        record.score = 0;
    }
    void TearDown() override {
        fruits.clear();
        SplatterLayer::Get().Release();
        Fruit::SetGenerators(nullptr, nullptr);
        WorldObject::DestroyPool();
    }

    Fruit& Make(int kind) {
        fruits.emplace_back(static_cast<Fruit*>(CreateWorldObject(1)));
        Fruit& fruit = *fruits.back();
        fruit.Spawn(kind);
        return fruit;
    }

    Random game;
    Random waves;
    std::vector<std::unique_ptr<Fruit>> fruits;
};

TEST_F(FruitTest, DepthsStepBackAndWrap) {
    EXPECT_EQ(Make(0).depth, -600.0f);
    for (int i = 2; i < 19; ++i) {
        Make(0);
    }
    EXPECT_EQ(Make(0).depth, -2400.0f);  // the 19th
    EXPECT_EQ(Make(0).depth, -500.0f);   // the 20th
    EXPECT_EQ(Make(0).depth, -600.0f);
}

TEST_F(FruitTest, ThrownUpItRisesTenTwelfthsOfASecond) {
    Fruit& fruit = Make(0);
    fruit.velocity = Vector3{0.0f, 10.0f, 0.0f};
    fruit.position = Vector3{0.0f, -100.0f, 0.0f};
    float top = fruit.position.y;
    float topTime = 0.0f;
    for (int i = 1; i <= 120; ++i) {
        fruit.Update(1.0f / 120.0f);
        if (fruit.position.y > top) {
            top = fruit.position.y;
            topTime = i / 120.0f;
        }
    }
    EXPECT_NEAR(topTime, 10.0f / 12.0f, 1.0f / 120.0f);
}

TEST_F(FruitTest, TwoLaunchesInAFramePlayOneThrowSound) {
    Fruit& a = Make(0);
    Fruit& b = Make(0);
    a.StartFlightTimer(0.21f);
    b.StartFlightTimer(0.205f);
    const int before = Fruit::GetThrowSoundCount();
    Fruit::BeginFrame();
    a.Update(1.0f / 60.0f);
    b.Update(1.0f / 60.0f);
    EXPECT_EQ(Fruit::GetThrowSoundCount() - before, 1);
    EXPECT_EQ(a.position.y, 0.0f);  // still waiting: not moved
}

TEST_F(FruitTest, MenuFruitAndFivePointKindsNeverCountAsDropped) {
    Fruit& menu = Make(0);
    menu.isMenuFruit = true;
    Fruit& star = Make(2);
    Fruit& apple = Make(0);
    const int before = Fruit::GetCountedDrops();
    menu.OnDropped(1);
    star.OnDropped(1);
    EXPECT_EQ(Fruit::GetCountedDrops(), before);
    apple.OnDropped(1);
    EXPECT_EQ(Fruit::GetCountedDrops(), before + 1);
    EXPECT_TRUE(apple.IsDead());
}

TEST_F(FruitTest, ShadowsFollowTheSliceProgress) {
    Fruit& fruit = Make(0);  // kind scale 25: scale 0.25
    fruit.position = Vector3{10.0f, 20.0f, 0.0f};
    std::vector<ImmediateVertex> quads;
    fruit.StartFlightTimer(0.5f);
    fruit.AppendShadows(quads);
    EXPECT_TRUE(quads.empty());  // not thrown yet

    fruit.launchWait = 0.0f;
    fruit.AppendShadows(quads);
    ASSERT_EQ(quads.size(), 6u);  // the whole fruit's only
    EXPECT_FLOAT_EQ(quads[2].x - quads[0].x, 82.0f * 0.25f);
    EXPECT_FLOAT_EQ((quads[0].y + quads[2].y) / 2.0f, 20.0f - 0.65f * 82.0f * 0.25f);
    EXPECT_EQ(quads[0].a, 230.0f);

    quads.clear();
    fruit.sliceProgress = 0.5f;
    fruit.AppendShadows(quads);
    ASSERT_EQ(quads.size(), 18u);  // fading whole, growing halves
    EXPECT_EQ(quads[0].a, 115.0f);
    EXPECT_EQ(quads[6].a, 50.0f);
    EXPECT_FLOAT_EQ(quads[8].x - quads[6].x, 50.0f * 0.25f);

    quads.clear();
    fruit.sliceProgress = 1.0f;
    fruit.SetSuspended(1);
    fruit.AppendShadows(quads);
    EXPECT_TRUE(quads.empty());
    fruit.SetSuspended(0);
    fruit.AppendShadows(quads);
    EXPECT_EQ(quads.size(), 12u);  // the halves alone
}

TEST_F(FruitTest, CriticalOdds) {
    CriticalSettings settings;  // chance 5, chance_inc 30, score 5
    const struct {
        const char* what;
        int32_t countdown;
        float factor;
        double rate;
    } cases[] = {
        {"one in five", 40, 1.0f, 0.2},
        {"factor 2.5: one in two", 40, 2.5f, 0.5},
        {"factor 5: always", 40, 5.0f, 1.0},
        {"a stored 3 drops to 2 first", 3, 1.0f, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Random random;
        int hits = 0;
        const int trials = 20000;
        for (int i = 0; i < trials; ++i) {
            int32_t countdown = c.countdown;
            CriticalInputs inputs;
            inputs.score = 10;
            inputs.classicMode = true;
            inputs.factor = c.factor;
            hits += DecideCritical(countdown, settings, inputs, random) ? 1 : 0;
        }
        EXPECT_NEAR(static_cast<double>(hits) / trials, c.rate, 0.015);
    }
    Random random;
    for (int32_t score : {0, 1}) {
        int32_t countdown = 40;
        CriticalInputs inputs;
        inputs.score = score;
        inputs.classicMode = true;
        inputs.factor = 5.0f;
        EXPECT_FALSE(DecideCritical(countdown, settings, inputs, random));
        EXPECT_EQ(countdown, 40);  // not eligible: untouched
    }
    int32_t countdown = 40;
    CriticalInputs bean;
    bean.score = 10;
    bean.classicMode = true;
    bean.factor = 5.0f;
    bean.isBean = true;
    EXPECT_FALSE(DecideCritical(countdown, settings, bean, random));
    bean.isBean = false;
    EXPECT_TRUE(DecideCritical(countdown, settings, bean, random));
    EXPECT_EQ(countdown, 35);

    FruitInfo onePoint;
    EXPECT_EQ(PointsForHit(onePoint, true, settings), 6);
    EXPECT_EQ(PointsForHit(onePoint, false, settings), 1);
}

TEST_F(FruitTest, SecondHitWithinTheHitTimerIsRefusedThenTheFruitSplits) {
    Fruit& fruit = Make(0);
    Fruit& hitter = Make(0);
    const Vector3 stroke{40.0f, 0.0f, 0.0f};
    EXPECT_EQ(fruit.OnHit(&hitter, 0, 0, stroke), 0);
    EXPECT_EQ(GetGameRecord().score, 1);  // no mode: every hit counts
    EXPECT_EQ(fruit.OnHit(&hitter, 0, 0, stroke), 1);
    EXPECT_EQ(GetGameRecord().score, 1);
    fruit.Update(1.0f / 60.0f);
    fruit.Update(1.0f / 60.0f);
    EXPECT_TRUE(fruit.sliced);
    EXPECT_GT(SplatterLayer::Get().AddRandom() - &SplatterLayer::Get().GetRecord(0), -1);
    EXPECT_EQ(fruit.OnHit(&hitter, 0, 0, stroke), 1);
}


std::vector<Vector3> g_bonusShownAt;
void RecordBonus(const Vector3& position) {
    g_bonusShownAt.push_back(position);
}

TEST_F(FruitTest, OnlyAnUltraRareKindHitInPlayShowsTheBonusAtTheFruit) {
    const std::string text =
        "<fruitInfoFile><critical score=\"5\" chance=\"5\" chance_inc=\"30\"/>"
        "<FruitInfo name=\"apple\" chance=\"5\"/><FruitInfo name=\"gold\" score=\"50\" chance=\"1\"/>"
        "</fruitInfoFile>";
    FruitCatalogue::Get().LoadFromText(text.data(), text.size());
    Fruit::SetUltraRareBonusHandler(&RecordBonus);
    g_bonusShownAt.clear();
    const Vector3 stroke{40.0f, 0.0f, 0.0f};
    Fruit& hitter = Make(0);
    Make(0).OnHit(&hitter, 0, 0, stroke);
    EXPECT_TRUE(g_bonusShownAt.empty());

    Fruit& gold = Make(1);
    gold.position = Vector3{12.0f, -30.0f, 0.0f};
    gold.OnHit(&hitter, 0, 0, stroke);
    ASSERT_EQ(g_bonusShownAt.size(), 1u);
    EXPECT_FLOAT_EQ(g_bonusShownAt[0].x, 12.0f);
    EXPECT_FLOAT_EQ(g_bonusShownAt[0].y, -30.0f);
    EXPECT_EQ(gold.OnHit(&hitter, 0, 0, stroke), 1);  // within the hit timer: no second picture
    EXPECT_EQ(g_bonusShownAt.size(), 1u);

    GetGameRecord().notInPlay = true;  // a menu's fruit
    Make(1).OnHit(&hitter, 0, 0, stroke);
    EXPECT_EQ(g_bonusShownAt.size(), 1u);
    Fruit::SetUltraRareBonusHandler(nullptr);
}

}  // namespace
}  // namespace Varnok
