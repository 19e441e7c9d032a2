// Balloons: attaching a load, lift and the load's pull, an emptied balloon,
// leaving the play box, popping, and the wobble.
#include "game/world/Balloon.h"

#include "engine/core/HashName.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameHelpers.h"
#include "game/world/WorldObjectFactory.h"
#include "tests/game/world/PlayFieldFixture.h"

#include <cmath>
#include <cstring>

namespace Varnok {
namespace {

using TestSupport::PlayFieldTest;

constexpr float kStep = 1.0f / 60.0f;

class BalloonTest : public PlayFieldTest {
protected:
    Balloon& MakeBalloon() {
        auto* balloon = static_cast<Balloon*>(WorldObjectManager::Instance().Acquire(0));
        EXPECT_NE(balloon, nullptr);
        return *balloon;
    }
    Fruit& MakeFruit(const Vector3& at) {
        auto* fruit = static_cast<Fruit*>(WorldObjectManager::Instance().Acquire(1));
        fruit->Spawn(0);
        fruit->position = at;
        return *fruit;
    }
    Bomb& MakeBomb(const Vector3& at) {
        auto* bomb = static_cast<Bomb*>(WorldObjectManager::Instance().Acquire(2));
        bomb->Spawn();
        bomb->position = at;
        return *bomb;
    }
    static void Step(Balloon& balloon, int frames) {
        for (int i = 0; i < frames; ++i) {
            balloon.Update(kStep);
        }
    }
};

TEST_F(BalloonTest, TheFactoryMakesInactiveBalloonsThatDoNothingUntilAttached) {
    WorldObject* object = CreateWorldObject(0);
    ASSERT_NE(object, nullptr);
    auto* balloon = static_cast<Balloon*>(object);
    EXPECT_FALSE(balloon->active);
    balloon->Update(kStep);
    EXPECT_EQ(balloon->position.y, 0.0f);
    delete object;
}

TEST_F(BalloonTest, AttachHangsTheLoadBelowAndHoldsItThere) {
    Fruit& fruit = MakeFruit(Vector3{10, -50, 0});
    fruit.velocity = Vector3{3, 7, 0};
    Balloon& balloon = MakeBalloon();
    balloon.Attach(fruit.position, Vector3{0, 1, 0}, 5.0f, 3.0f, &fruit);
    EXPECT_TRUE(balloon.active);
    EXPECT_FLOAT_EQ(balloon.position.x, 10.0f);
    EXPECT_FLOAT_EQ(balloon.position.y, 70.0f);
    EXPECT_FLOAT_EQ(balloon.position.z, -60.0f);
    EXPECT_FLOAT_EQ(balloon.scale.x, 0.5f);
    EXPECT_EQ(balloon.depth, fruit.depth);
    ASSERT_NE(balloon.collision, nullptr);
    const auto& sphere = static_cast<const CollisionSphere&>(*balloon.collision);
    EXPECT_FLOAT_EQ(sphere.radius, 25.0f);
    EXPECT_GE(balloon.wobbleTimer, 0.0f);
    EXPECT_LT(balloon.wobbleTimer, 0.4f);

    Step(balloon, 10);
    EXPECT_EQ(fruit.velocity.x, 0.0f);
    EXPECT_EQ(fruit.velocity.y, 0.0f);
    EXPECT_FLOAT_EQ(fruit.position.x, balloon.position.x);
    EXPECT_FLOAT_EQ(fruit.position.y, balloon.position.y - 120.0f);
    EXPECT_FLOAT_EQ(fruit.position.z, balloon.position.z + 60.0f);
    EXPECT_FLOAT_EQ(sphere.centre.y, balloon.position.y);

    // A second attach reuses the volume.
    const CollisionVolume* volume = balloon.collision.get();
    Bomb& bomb = MakeBomb(Vector3{0, 0, 0});
    balloon.Attach(bomb.position, Vector3{}, 5.0f, 3.0f, &bomb);
    EXPECT_EQ(balloon.collision.get(), volume);
    EXPECT_EQ(balloon.depth, bomb.depth);
    Step(balloon, 1);
    EXPECT_TRUE(bomb.held);
}

TEST_F(BalloonTest, ALoadPullsTheBalloonDownAtTwelveAndAnEmptiedBalloonKeepsRising) {
    // No lift, moving up at 6: the load slows it by 12 a second until it falls.
    Fruit& fruit = MakeFruit(Vector3{0, 0, 0});
    Balloon& loaded = MakeBalloon();
    loaded.Attach(fruit.position, Vector3{0, 6, 0}, 0.0f, 10.0f, &fruit);
    Step(loaded, 30);
    EXPECT_NEAR(loaded.velocity.y, 0.0f, 1e-4f);
    const float top = loaded.position.y;
    Step(loaded, 30);
    EXPECT_NEAR(loaded.velocity.y, -6.0f, 1e-4f);
    EXPECT_LT(loaded.position.y, top);

    // Its fruit sliced, the same balloon climbs with its lift up to the top speed.
    Fruit& other = MakeFruit(Vector3{0, 0, 0});
    Balloon& emptied = MakeBalloon();
    emptied.Attach(other.position, Vector3{0, 0, 0}, 6.0f, 2.0f, &other);
    other.sliced = true;
    float lastY = emptied.position.y;
    for (int i = 0; i < 60; ++i) {
        Step(emptied, 1);
        EXPECT_EQ(emptied.carried, nullptr);
        EXPECT_GT(emptied.position.y, lastY) << i;
        lastY = emptied.position.y;
    }
    EXPECT_GE(emptied.velocity.y, 2.0f);
    EXPECT_LT(emptied.velocity.y, 2.0f + 6.0f * kStep + 1e-4f);
    EXPECT_FALSE(emptied.IsDead());
}

TEST_F(BalloonTest, LeavingThePlayBoxDropsTheFruitAsMissedAndRemovesTheBomb) {
    const int dropsBefore = Fruit::GetCountedDrops();
    Fruit& fruit = MakeFruit(Vector3{0, 0, 0});
    Balloon& withFruit = MakeBalloon();
    withFruit.Attach(Vector3{0, 355, 0}, Vector3{0, 10, 0}, 0.0f, 0.0f, &fruit);  // 475, near the top of the box
    Step(withFruit, 1);
    EXPECT_TRUE(withFruit.IsDead());
    EXPECT_TRUE(fruit.IsDead());
    EXPECT_EQ(Fruit::GetCountedDrops(), dropsBefore + 1);

    Bomb& bomb = MakeBomb(Vector3{0, 0, 0});
    Balloon& withBomb = MakeBalloon();
    const float left = -1.5f * LogicalScreenWidth();
    withBomb.Attach(Vector3{left + 10.0f, -100, 0}, Vector3{-10, 0, 0}, 0.0f, 0.0f, &bomb);
    Step(withBomb, 1);
    EXPECT_TRUE(withBomb.IsDead());
    EXPECT_TRUE(bomb.IsDead());

    Balloon& inside = MakeBalloon();
    inside.Attach(Vector3{400, 300, 0}, Vector3{}, 0.0f, 0.0f, nullptr);
    Step(inside, 1);
    EXPECT_FALSE(inside.IsDead());
}

TEST_F(BalloonTest, APopCountsTheStatisticsOnceAndLetsTheLoadFall) {
    Fruit& fruit = MakeFruit(Vector3{0, 0, 0});
    Balloon& balloon = MakeBalloon();
    balloon.Attach(fruit.position, Vector3{}, 4.0f, 2.0f, &fruit);
    Step(balloon, 2);
    EXPECT_EQ(balloon.OnHit(nullptr, 0, 0, Vector3{}), 1);
    EXPECT_TRUE(balloon.IsDead());
    EXPECT_EQ(balloon.carried, nullptr);
    EXPECT_FALSE(fruit.IsDead());
    EXPECT_EQ(stats.Get("balloons"), 1);
    const auto lifetime = [&](const char* name) {
        const auto it = stats.lifetimeStats.find(HashName(name, static_cast<int>(std::strlen(name))));
        return it == stats.lifetimeStats.end() ? 0 : it->second.value;
    };
    EXPECT_EQ(lifetime("balloons_total"), 1);
    EXPECT_EQ(lifetime("balloonsSinceV3_total"), 1);
    EXPECT_EQ(lifetime("balloons"), 0);
}

TEST_F(BalloonTest, TheWobbleWidensAndFlattensEveryFourTenthsOfASecond) {
    Balloon& balloon = MakeBalloon();
    balloon.Attach(Vector3{}, Vector3{}, 0.0f, 0.0f, nullptr);
    balloon.wobbleTimer = 0.0f;
    balloon.Update(0.2f);  // the middle of the cycle: widest and flattest
    const float e = EaseInOutCosine(0.5f);
    EXPECT_NEAR(balloon.wobbleScale.x, 1.0f + e * 0.04377f * 4.0f, 1e-5f);
    EXPECT_NEAR(balloon.wobbleScale.y, 1.0f - e * 0.04194f * 4.0f, 1e-5f);
    EXPECT_EQ(balloon.wobbleScale.z, 0.0f);
    balloon.Update(0.2f);
    EXPECT_NEAR(balloon.wobbleScale.x, 1.0f, 1e-4f);
    EXPECT_NEAR(balloon.wobbleScale.y, 1.0f, 1e-4f);
    EXPECT_GE(balloon.wobbleTimer, 0.0f);
    EXPECT_LE(balloon.wobbleTimer, 0.4f);
}

}  // namespace
}  // namespace Varnok
