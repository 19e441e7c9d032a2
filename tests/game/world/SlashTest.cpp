// The blade: stroke points, the ribbon's life, hits, combos, swipe sounds
// and the splatters of a cut.
#include "game/world/Slash.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "game/rules/GameRecord.h"
#include "game/world/BladeColours.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/ParticleManager.h"
#include "game/world/SplatterLayer.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectFactory.h"
#include "game/world/WorldObjectManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

constexpr float kStep = 1.0f / 60.0f;

std::vector<int>& EndedCounts() {
    static std::vector<int> counts;
    return counts;
}

void RecordEnded(Slash* slash) {
    EndedCounts().push_back(slash->comboCount);
}

class SlashTest : public testing::Test {
protected:
    void SetUp() override {
        WorldObject::CreatePool(kWorldObjectPoolBytes);
        WorldObjectManager& manager = WorldObjectManager::Instance();
        ASSERT_TRUE(manager.Init(kWorldObjectTypeCount, WorldObjectManager::kDefaultListArenaBytes));
        manager.SetFactory(WorldObjectManager::Factory(&CreateWorldObject));
        const std::string text =
            "<fruitInfoFile><critical score=\"5\" chance=\"5\" chance_inc=\"30\" colour=\"255,255,0\"/>"
            "<FruitInfo name=\"apple\" chance=\"5\"/><FruitInfo name=\"banana\" chance=\"5\"/>"
            "<FruitInfo name=\"lime\" chance=\"5\"/></fruitInfoFile>";
        FruitCatalogue::Get().LoadFromText(text.data(), text.size());
        Fruit::SetGenerators(&game, &waves);
        Fruit::ResetDepthCounter();
        Slash::SetRandom(&game);
        Slash::ResetClassState();
        SplatterLayer::Get().SetServices(&game, nullptr);
        SplatterLayer::Get().Create(256);
        BladeColourCycle::Reset();
        BladeColourCycle::SetParameters(BladeShape{});
        GameRecord& record = GetGameRecord();
        record.frameStep = kStep;
        record.score = 0;
        record.notInPlay = false;
        record.paused = false;
        record.roundStartPending = false;
        record.bombExplosionTime = 0.0f;
        record.camera = nullptr;
        record.currentMode = nullptr;
        EndedCounts().clear();
        Slash::SlashEnded.Add(Delegate1<void, Slash*>(&RecordEnded));
    }
    void TearDown() override {
        Slash::SlashEnded.Clear();
        WorldObjectManager::Instance().Shutdown();
        SplatterLayer::Get().Release();
        Fruit::SetGenerators(nullptr, nullptr);
        Slash::SetRandom(nullptr);
        WorldObject::DestroyPool();
    }

    Slash& MakeSlash() {
        auto* slash = static_cast<Slash*>(WorldObjectManager::Instance().Acquire(4));
        slash->Spawn();
        // One pass of the world lets strokes record.
        WorldObjectManager::Instance().UpdateAll(kStep);
        return *slash;
    }

    Fruit& PlaceFruit(int kind, float x, float y) {
        auto* fruit = static_cast<Fruit*>(WorldObjectManager::Instance().Acquire(1));
        fruit->Spawn(kind);
        fruit->position = Vector3{x, y, 0.0f};
        fruit->velocity = Vector3{};
        fruit->gravityOn = false;
        return *fruit;
    }

    // One frame: the finger (when down) feeds the blade, the world runs and
    // the trail is drawn.
    void Frame(Slash& slash, float x, float y, bool down = true) {
        slash.position = Vector3{x, y, 0.0f};
        if (down) {
            slash.StartStroke();
        }
        WorldObjectManager::Instance().UpdateAll(kStep);
        slash.RenderTrail();
    }

    // A straight stroke along y = 0 from x0 in steps of dx, `frames` frames.
    void Sweep(Slash& slash, float x0, float dx, int frames) {
        for (int i = 0; i < frames; ++i) {
            Frame(slash, x0 + dx * static_cast<float>(i), 0.0f);
        }
    }

    Random game;
    Random waves;
};

TEST_F(SlashTest, StillFingerAddsNoPointAndTheRibbonShrinksAway) {
    Slash& slash = MakeSlash();
    Sweep(slash, -100.0f, 10.0f, 4);
    // The first point of a stroke has no direction yet: three points after it.
    EXPECT_EQ(slash.vertexCount, 6);
    int previous = slash.vertexCount;
    for (int i = 0; i < 40; ++i) {
        Frame(slash, -70.0f + static_cast<float>(i % 2), 0.0f);  // within 5 units of the last point
        EXPECT_LE(slash.vertexCount, previous);
        previous = slash.vertexCount;
        EXPECT_TRUE(slash.IsStrokeActive());
    }
    // The last point stays while the finger is down, but a ribbon of one
    // point neither draws nor cuts.
    EXPECT_EQ(slash.vertexCount, 2);
    EXPECT_LT(slash.hitRadiusSq, 0.0f);
}

TEST_F(SlashTest, RibbonTapersAndPointsAhead) {
    Slash& slash = MakeSlash();
    Sweep(slash, -100.0f, 10.0f, 6);
    ASSERT_GE(slash.vertexCount, 4);
    const ImmediateVertex* s0 = slash.GetStrip(0);
    const ImmediateVertex* s1 = slash.GetStrip(1);
    auto halfWidth = [&](int k) { return std::abs(s1[k + 1].y - s1[k].y); };
    // The oldest point is thinner than the newest, which is 9 units wide.
    EXPECT_LT(halfWidth(0), halfWidth(slash.vertexCount - 2));
    EXPECT_NEAR(std::abs(s0[slash.vertexCount - 1].y), 9.0f - 0.75f, 0.01f);
    // The tip lies ahead of the newest point along the stroke.
    EXPECT_GT(s0[slash.vertexCount].x, s0[slash.vertexCount - 2].x + 10.0f);
    // Lifting the finger ends the stroke after two draws.
    Frame(slash, slash.position.x, 0.0f, false);
    Frame(slash, slash.position.x, 0.0f, false);
    EXPECT_FALSE(slash.IsStrokeActive());
}

TEST_F(SlashTest, ThreeQuickFruitMakeAComboAndALaterOneStartsANewOne) {
    Slash& slash = MakeSlash();
    for (float x : {-60.0f, -30.0f, 0.0f, 70.0f}) {
        PlaceFruit(0, x, 0.0f);
    }
    Sweep(slash, -110.0f, 10.0f, 19);  // reaches x = 70
    EXPECT_EQ(Slash::GetCombosScored(), 1);
    EXPECT_EQ(Slash::GetLastComboCount(), 3);
    ASSERT_FALSE(EndedCounts().empty());
    EXPECT_EQ(EndedCounts().front(), 3);
    EXPECT_EQ(slash.comboCount, 1);  // the fourth opened a combo of its own
    EXPECT_EQ(slash.comboKinds[0], 0);
    EXPECT_EQ(slash.comboKinds[1], -1);
    // Four apples and the combo of three.
    EXPECT_EQ(GetGameRecord().score, 4 + 3);
}

TEST_F(SlashTest, SharpTurnClosesTheComboInTheSameFrame) {
    Slash& slash = MakeSlash();
    PlaceFruit(0, -30.0f, 0.0f);
    PlaceFruit(1, 0.0f, 0.0f);
    Sweep(slash, -80.0f, 10.0f, 10);  // to x = 10
    ASSERT_EQ(slash.comboCount, 2);
    EXPECT_TRUE(EndedCounts().empty());
    Frame(slash, 0.0f, 0.0f);  // straight back
    ASSERT_EQ(EndedCounts().size(), 1u);
    EXPECT_EQ(EndedCounts().front(), 2);
    EXPECT_EQ(slash.comboCount, 0);
    EXPECT_EQ(Slash::GetCombosScored(), 0);
}

TEST_F(SlashTest, RepeatedFruitClosesTheComboWithoutJoiningTwice) {
    Slash& slash = MakeSlash();
    PlaceFruit(0, -30.0f, 0.0f);
    Fruit& last = PlaceFruit(1, 0.0f, 0.0f);
    Sweep(slash, -80.0f, 10.0f, 9);  // to x = 0
    ASSERT_EQ(slash.comboCount, 2);
    // The fruit cut last comes back whole ahead of the blade, as a bouncing
    // fruit does.
    last.sliced = false;
    last.hitTimer = -1.0f;
    last.position = Vector3{20.0f, 0.0f, 0.0f};
    last.velocity = Vector3{};
    Frame(slash, 10.0f, 0.0f);
    Frame(slash, 20.0f, 0.0f);
    ASSERT_EQ(EndedCounts().size(), 1u);
    EXPECT_EQ(EndedCounts().front(), 2);
}

TEST_F(SlashTest, TenthFruitClosesTheComboAtOnce) {
    Slash& slash = MakeSlash();
    for (int i = 0; i < 11; ++i) {
        PlaceFruit(i % 3, -100.0f + 20.0f * static_cast<float>(i), 0.0f);
    }
    Sweep(slash, -150.0f, 10.0f, 24);  // the tenth fruit sits at x = 80
    ASSERT_FALSE(EndedCounts().empty());
    EXPECT_EQ(EndedCounts().front(), 10);
    EXPECT_EQ(Slash::GetLastComboCount(), 10);
    Frame(slash, 100.0f, 0.0f);
    EXPECT_EQ(slash.comboCount, 1);  // the eleventh starts again
}

TEST_F(SlashTest, ACutGivesTwoSplattersFromTheBlade) {
    Slash& slash = MakeSlash();
    PlaceFruit(2, 0.0f, 0.0f);
    Sweep(slash, -60.0f, 10.0f, 12);
    SplatterLayer& layer = SplatterLayer::Get();
    int fromBlade = 0;
    for (int i = 0; i < layer.GetCount(); ++i) {
        const SplatterRecord& record = layer.GetRecord(i);
        if (record.fromSlash != 0) {  // landed or not: one in four never lands
            ++fromBlade;
            EXPECT_EQ(record.kind, 2);
        }
    }
    EXPECT_EQ(fromBlade, 2);
}

TEST_F(SlashTest, StrokeCutsOnlyTheFruitItCrosses) {
    Slash& slash = MakeSlash();
    Fruit& crossed = PlaceFruit(0, 0.0f, 0.0f);
    Fruit& above = PlaceFruit(1, 0.0f, 60.0f);
    Fruit& beyond = PlaceFruit(2, 120.0f, 0.0f);
    Sweep(slash, -60.0f, 10.0f, 12);  // ends at x = 50
    EXPECT_TRUE(crossed.sliced);
    EXPECT_FALSE(above.sliced);
    EXPECT_FALSE(beyond.sliced);
}

TEST_F(SlashTest, OneSwipeSoundPerFastSweep) {
    Slash& slash = MakeSlash();
    Sweep(slash, -200.0f, 40.0f, 10);
    EXPECT_EQ(Slash::GetSwipeSoundCount(), 1);
    for (int i = 0; i < 30; ++i) {
        Frame(slash, slash.position.x, 0.0f);  // the blade rests until its ribbon is gone
    }
    Sweep(slash, 200.0f, -40.0f, 6);
    EXPECT_EQ(Slash::GetSwipeSoundCount(), 2);
}

TEST_F(SlashTest, SuspendedHitsAndBlockedHitsCutNothing) {
    Slash& slash = MakeSlash();
    Fruit& fruit = PlaceFruit(0, 0.0f, 0.0f);
    Slash::interactionFlags = Slash::kSuspendHits;
    Sweep(slash, -60.0f, 10.0f, 12);
    EXPECT_FALSE(fruit.sliced);
    Slash::interactionFlags = 0;
    Slash::hitsBlocked = true;
    Sweep(slash, 60.0f, -10.0f, 12);  // same stroke: still blocked
    EXPECT_FALSE(fruit.sliced);
    for (int i = 0; i < 3; ++i) {
        Frame(slash, 0.0f, 0.0f, false);  // lift
    }
    Sweep(slash, -60.0f, 10.0f, 12);  // a new stroke clears the block
    EXPECT_TRUE(fruit.sliced);
}

TEST_F(SlashTest, EqualCombosKeepTheBetterPattern) {
    Slash& slash = MakeSlash();
    // Three apples first, then apple, banana, lime: one kind ranks above
    // plain size in the analysis.
    for (float x : {-60.0f, -30.0f, 0.0f}) {
        PlaceFruit(0, x, 0.0f);
    }
    Sweep(slash, -110.0f, 10.0f, 19);
    ASSERT_EQ(Slash::GetBestComboCount(), 3);
    const int32_t* best = Slash::GetBestComboKinds();
    EXPECT_EQ(best[0], 0);
    EXPECT_EQ(best[2], 0);
    for (int i = 0; i < 3; ++i) {
        Frame(slash, 0.0f, 0.0f, false);
    }
    for (int i = 0; i < 3; ++i) {
        PlaceFruit(i, -20.0f + 30.0f * static_cast<float>(i), -100.0f);
    }
    for (int i = 0; i < 18; ++i) {
        Frame(slash, -70.0f + 10.0f * static_cast<float>(i), -100.0f);
    }
    EXPECT_EQ(Slash::GetCombosScored(), 2);
    EXPECT_EQ(Slash::GetBestComboKinds()[1], 0);  // the three apples stay best
}


uint32_t ParticleName(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

TEST_F(SlashTest, TheBladesParticlesFollowTheStrokeSparkOnCutsAndPuffOnLift) {
    std::string file =
        "<particle_file><body><particleTemplate name='dot'><life>60</life><texture name='dot'/>"
        "<SourceBlend>a</SourceBlend><DestinationBlend>b</DestinationBlend><gravity>0 0 0</gravity>"
        "<color startMin='31 31 31 31' startMax='31 31 31 31'/>"
        "<size startMin='4' startMax='4' endMin='4' endMax='4'/></particleTemplate>";
    for (const char* name : {"trail", "spark", "puff"}) {
        file += std::string("<emitter name='") + name +
                "'><life>60</life><particleSet name='dot'><time start='0' stop='0'/>"
                "<particleNumber init='1' perSec='10'/><velocity min='0 0 0' max='0 0 0'/></particleSet></emitter>";
    }
    file += "</body></particle_file>";
    ParticleManager& particles = ParticleManager::Instance();
    particles.LoadText("particles", file.data(), file.size(), false);
    BladeItemDef blade;
    blade.particles = ParticleName("trail");
    blade.contactParticles = ParticleName("spark");
    blade.releaseParticles = ParticleName("puff");
    ApplyBladeItem(blade, game);

    Slash& slash = MakeSlash();
    PlaceFruit(0, 0.0f, 0.0f);
    Sweep(slash, -60.0f, 10.0f, 12);  // ends at x = 50, through the fruit
    ASSERT_NE(slash.emitter, nullptr);
    EXPECT_FLOAT_EQ(slash.emitter->position.x, 50.0f);  // no camera: the blade point itself
    EXPECT_EQ(particles.RunningCount(), 2) << "the stroke's emitter and one spark at the cut";

    Frame(slash, 50.0f, 0.0f, false);  // the lift shows at this draw
    Frame(slash, 50.0f, 0.0f, false);
    EXPECT_FALSE(slash.IsStrokeActive());
    EXPECT_EQ(slash.emitter, nullptr);
    EXPECT_EQ(particles.RunningCount(), 2) << "the spark and the puff at the lift";

    // A blade without particles gives the next stroke none.
    BladeColourCycle::Reset();
    Sweep(slash, -60.0f, 10.0f, 4);
    EXPECT_EQ(slash.emitter, nullptr);
    particles.Clear();
}

}  // namespace
}  // namespace Varnok
