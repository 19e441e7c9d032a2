// Bombs: depths, the throw delay and its sound, the bomb factor, hits in
// play and on the menu, and the blasts a hit bomb erupts.
#include "game/world/Bomb.h"

#include "game/rules/SessionControl.h"
#include "game/world/Blast.h"
#include "tests/game/world/PlayFieldFixture.h"

#include <cmath>
#include <vector>

namespace Varnok {
namespace {

using TestSupport::PlayFieldTest;

class BombTest : public PlayFieldTest {
protected:
    Bomb& Make(float x = 0.0f, float y = 0.0f) {
        Bomb* bomb = static_cast<Bomb*>(WorldObjectManager::Instance().Acquire(2));
        bomb->position = Vector3{x, y, 0.0f};
        bomb->velocity = Vector3{};
        bomb->Spawn();
        return *bomb;
    }
    static int Blasts() { return Count(WorldObjectType::Blast); }
};

TEST_F(BombTest, DepthsStepBackAndWrap) {
    const float expected[] = {-60, -110, -160, -210, -260, -310, -360, -10, -60};
    for (float depth : expected) {
        EXPECT_EQ(Make().depth, depth);
    }
}

TEST_F(BombTest, AHitBombBlastsAfterSixTenthsThenEveryTwentiethOfASecond) {
    Bomb& bomb = Make(10.0f, 20.0f);
    bomb.OnHit(nullptr, 0, 0, Vector3{});  // no hitter: no explosion sequence
    ASSERT_TRUE(bomb.hit);
    // Steps of 0.016 s: 0.6 s run out in the 38th, each 0.05 s in 4 more.
    GetGameRecord().frameStep = 0.016f;
    int firstAt = -1;
    for (int i = 1; i <= 100 && firstAt < 0; ++i) {
        Run(1);
        if (Blasts() > 0) {
            firstAt = i;
        }
    }
    EXPECT_EQ(firstAt, 38);
    Run(40);
    EXPECT_EQ(Blasts(), 11);
    EXPECT_EQ(mode.bombHits, 0);
    const Blast* blast = static_cast<const Blast*>(Nth(WorldObjectType::Blast, 0));
    EXPECT_FLOAT_EQ(blast->position.x, 10.0f);
    EXPECT_FLOAT_EQ(blast->position.y, 20.0f);
}

TEST_F(BombTest, ABlastHalfASecondOldReaches1300UnitsAt55Wide) {
    Blast* blast = static_cast<Blast*>(WorldObjectManager::Instance().Acquire(5));
    blast->position = Vector3{5.0f, 5.0f, 0.0f};
    blast->Spawn();
    GetGameRecord().frameStep = 0.05f;
    for (int i = 0; i < 10; ++i) {
        blast->Update(123.0f);  // the argument is not its step
    }
    ImmediateVertex v[6];
    blast->WriteVertices(v);
    const float farX = (v[0].x + v[1].x) / 2.0f - 5.0f;
    const float farY = (v[0].y + v[1].y) / 2.0f - 5.0f;
    EXPECT_NEAR(std::sqrt(farX * farX + farY * farY), 1300.0f, 0.5f);
    const float wide = std::hypot(v[0].x - v[1].x, v[0].y - v[1].y);
    EXPECT_NEAR(wide, 55.0f, 0.1f);  // 2 x 0.5 x 55
    EXPECT_NEAR(std::hypot(v[2].x - v[5].x, v[2].y - v[5].y), 55.0f / 4.0f, 0.1f);
    for (int i = 0; i < 51; ++i) {
        blast->Update(0.0f);
    }
    EXPECT_TRUE(blast->IsDead()) << "dead after 3 s";
    EXPECT_EQ(Blast::RenderAll(), 0) << "no explosion texture, nothing drawn";
}

TEST_F(BombTest, AWaitingBombNeitherMovesNorShowsAndSoundsOnceBeforeItsThrow) {
    Bomb& first = Make(0.0f, -100.0f);
    Bomb& second = Make(30.0f, -100.0f);
    first.velocity = second.velocity = Vector3{0.0f, 10.0f, 0.0f};
    first.SetThrowDelay(0.45f);
    second.SetThrowDelay(0.45f);
    const int soundsBefore = Bomb::GetThrowSoundCount();
    GetGameRecord().frameStep = 0.1f;
    for (int i = 0; i < 3; ++i) {
        Run(1);
        first.Render();
        EXPECT_FLOAT_EQ(first.position.y, -100.0f);
    }
    EXPECT_EQ(Bomb::GetThrowSoundCount(), soundsBefore + 1) << "one sound for two bombs in one frame";
    Run(2);
    EXPECT_GT(first.position.y, -100.0f) << "thrown once its delay ran out";

    Bomb& quick = Make();
    quick.SetThrowDelay(0.0f);
    EXPECT_FLOAT_EQ(quick.throwDelay, 0.2f);
}

TEST_F(BombTest, BombFactorBringsMoreBombsOrDropsThem) {
    WaveManager& waves = WaveManager::Instance();
    // 0 drops the bomb below the screen, where it leaves play.
    const struct {
        float factor;
        int bombs;
    } cases[] = {{2.0f, 2}, {0.0f, 0}, {1.0f, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.factor);
        WorldObjectManager::Instance().Clear();
        Bomb& bomb = Make(0.0f, -150.0f);
        bomb.velocity = Vector3{0.0f, 10.0f, 0.0f};
        bomb.SetThrowDelay(0.05f);
        waves.bombFactor = c.factor;
        Run(4);
        EXPECT_EQ(Count(WorldObjectType::Bomb), c.bombs);
    }
    waves.bombFactor = 1.0f;
}

TEST_F(BombTest, AClassicHitStartsTheExplosionOnceAndTellsTheMode) {
    Bomb& bomb = Make(12.0f, 34.0f);
    GetGameRecord().bombExplosionTime = 0.0f;
    EXPECT_EQ(bomb.OnHit(&bomb, 0, 0, Vector3{}), 0);
    EXPECT_TRUE(bomb.hit);
    EXPECT_FLOAT_EQ(GetGameRecord().bombExplosionTime, 3.2f);
    EXPECT_EQ(stats.Get("bomb"), 1);
    EXPECT_EQ(mode.bombHits, 1);
    EXPECT_FLOAT_EQ(mode.lastBomb.x, 12.0f);
    EXPECT_FLOAT_EQ(GetSessionState().explosionPoint.y, 34.0f);

    // Out of play a cut bomb costs nothing.
    Bomb& idle = Make();
    GetGameRecord().notInPlay = true;
    idle.OnHit(&idle, 0, 0, Vector3{});
    EXPECT_EQ(mode.bombHits, 1);
    EXPECT_EQ(stats.Get("bomb"), 1);
}

TEST_F(BombTest, AMenuBombCutTwiceCallsItsActionOnce) {
    struct Counter {
        int calls = 0;
        void Hit() { ++calls; }
    } counter;
    Bomb& bomb = Make();
    bomb.AttachToMenu(Bomb::Action(&counter, &Counter::Hit), nullptr);
    bomb.OnHit(&bomb, 0, 0, Vector3{});
    bomb.OnHit(&bomb, 0, 0, Vector3{});
    EXPECT_EQ(counter.calls, 1);
    EXPECT_EQ(mode.bombHits, 0);
}

TEST_F(BombTest, QueriesOverTheLiveBombs) {
    EXPECT_EQ(Bomb::HighestBombHeight(), -10000.0f);
    Bomb& low = Make(0.0f, -150.0f);
    Make(0.0f, -110.0f);
    EXPECT_FLOAT_EQ(Bomb::HighestBombHeight(), 50.0f);
    low.SetThrowDelay(1.0f);
    EXPECT_EQ(Bomb::CountBombs(0, false), 1);
    EXPECT_EQ(Bomb::CountBombs(-1, true), 2);
    Bomb::RemoveLiveBombs();
    EXPECT_TRUE(low.IsDead());
    EXPECT_EQ(Bomb::CountBombs(0, false), 0);
}


TEST_F(BombTest, AThrownLiveBombCastsOneShadowUnderIt) {
    Bomb& bomb = Make(10.0f, 20.0f);
    bomb.scale = bomb.baseScale = Vector3{0.5f, 0.5f, 0.5f};
    bomb.shadowOffset = Vector3{3.0f, -4.0f, 0.0f};
    std::vector<ImmediateVertex> quads;
    bomb.SetThrowDelay(0.3f);
    bomb.AppendShadow(quads);
    EXPECT_TRUE(quads.empty()) << "still waiting for its throw";

    bomb.throwDelay = 0.0f;
    bomb.AppendShadow(quads);
    ASSERT_EQ(quads.size(), 6u);
    EXPECT_FLOAT_EQ(quads[2].x - quads[0].x, 82.0f * 0.5f);
    EXPECT_FLOAT_EQ((quads[0].x + quads[2].x) / 2.0f, 13.0f);
    EXPECT_FLOAT_EQ((quads[0].y + quads[2].y) / 2.0f, 20.0f - 0.65f * 82.0f * 0.5f - 4.0f);
    EXPECT_EQ(quads[0].a, 230.0f);

    quads.clear();
    bomb.SetSuspended(1);
    bomb.AppendShadow(quads);
    EXPECT_TRUE(quads.empty());
}

}  // namespace
}  // namespace Varnok
