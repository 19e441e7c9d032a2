// Fruit rays and jiblets: growth and fading, the drawn triangle, following
// (and letting go of) the fruit, the jiblets' flight, bounds and trails.
#include "game/world/FruitRay.h"
#include "game/world/Jiblet.h"

#include "engine/core/HashName.h"
#include "game/rules/GameFunctions.h"
#include "game/world/ParticleManager.h"
#include "tests/game/world/PlayFieldFixture.h"

#include <cmath>
#include <cstring>
#include <string>

namespace Varnok {
namespace {

using TestSupport::PlayFieldTest;

constexpr uint32_t kRay = static_cast<uint32_t>(WorldObjectType::FruitRay);
constexpr uint32_t kJiblet = static_cast<uint32_t>(WorldObjectType::Jiblet);

class FruitRaysTest : public PlayFieldTest {
protected:
    void SetUp() override {
        PlayFieldTest::SetUp();
        ParticleManager::Instance().SetDrawing(false);
        const std::string particles =
            "<particle_file><body><particleTemplate name='dot'><life>60</life><texture name='dot'/>"
            "<SourceBlend>a</SourceBlend><DestinationBlend>b</DestinationBlend><gravity>0 0 0</gravity><color startMin='31 31 31 31' startMax='31 31 31 31'/>"
            "<size startMin='4' startMax='4' endMin='4' endMax='4'/></particleTemplate>"
            "<emitter name='trail'><life>1000</life><particleSet name='dot'><time start='0' stop='0'/>"
            "<particleNumber init='1' perSec='10'/><velocity min='0 0 0' max='0 0 0'/></particleSet></emitter></body></particle_file>";
        ParticleManager::Instance().LoadText("particles", particles.data(), particles.size(), false);
    }
    void TearDown() override {
        ParticleManager::Instance().Clear();
        PlayFieldTest::TearDown();
    }

    Fruit& NewFruit() {
        Fruit* fruit = WaveManager::Instance().SpawnWorldObject(1, 0, nullptr);
        EXPECT_NE(fruit, nullptr);
        fruit->launchWait = 0.0f;
        fruit->position = Vector3{10.0f, 20.0f, 0.0f};
        return *fruit;
    }
    static FruitRay& NewRay(Fruit& fruit) {
        auto* ray = static_cast<FruitRay*>(WorldObjectManager::Instance().Acquire(kRay));
        EXPECT_NE(ray, nullptr);
        ray->Start(fruit, Quaternion{});
        return *ray;
    }
    static Jiblet& NewJiblet(const Vector3& at, const Vector3& velocity, uint32_t trail = 0) {
        auto* jiblet = static_cast<Jiblet*>(WorldObjectManager::Instance().Acquire(kJiblet));
        EXPECT_NE(jiblet, nullptr);
        JibletLaunch launch;
        launch.position = at;
        launch.velocity = velocity;
        launch.trailEffect = trail;
        jiblet->SpawnFromFruit(launch);
        return *jiblet;
    }
    static void Step(float worldStep, float frameStep) {
        GetGameRecord().frameStep = frameStep;
        WorldObjectManager::Instance().UpdateAll(worldStep);
    }
};

TEST_F(FruitRaysTest, ARayGrowsToItsTargetIn015Seconds) {
    Fruit& fruit = NewFruit();
    FruitRay& ray = NewRay(fruit);
    EXPECT_FLOAT_EQ(ray.scale.x, 40.0f);
    const float target = ray.targetScale.x;
    Step(0.075f, 0.075f);
    EXPECT_NEAR(ray.scale.y, 40.0f + 0.5f * (target - 40.0f), 1e-3f);
    Step(0.075f, 0.075f);
    EXPECT_EQ(ray.scale.z, target);
    Step(0.1f, 0.1f);
    EXPECT_EQ(ray.scale.x, target);
    // It follows the fruit, pushed along z by the fruit's depth.
    fruit.position = Vector3{-50.0f, 5.0f, 0.0f};
    fruit.velocity = Vector3{};
    fruit.gravityOn = false;
    Step(0.0f, 0.01f);
    EXPECT_FLOAT_EQ(ray.position.x, -50.0f);
    EXPECT_FLOAT_EQ(ray.position.z, fruit.depth);
}

TEST_F(FruitRaysTest, TargetLengthsLieFrom70BelowTo120) {
    Fruit& fruit = NewFruit();
    float lowest = 1000.0f;
    float highest = 0.0f;
    for (uint64_t seed = 1; seed <= 500; ++seed) {
        GlobalRandom().Reseed(seed * 7919);
        FruitRay& ray = NewRay(fruit);
        lowest = std::min(lowest, ray.targetScale.x);
        highest = std::max(highest, ray.targetScale.x);
        EXPECT_EQ(ray.targetScale.x, ray.targetScale.z);
        ray.flags |= WorldObject::kFlagDead;
        Step(0.0f, 0.0f);
    }
    EXPECT_GE(lowest, 70.0f);
    EXPECT_LT(lowest, 72.0f);
    EXPECT_LT(highest, 120.0f);
    EXPECT_GT(highest, 118.0f);
}

TEST_F(FruitRaysTest, AnEndingRayFadesWiderWhereItStoodAndDies) {
    Fruit& fruit = NewFruit();
    FruitRay& ray = NewRay(fruit);
    Step(0.2f, 0.2f);
    const Matrix4 whole = ray.WorldMatrix();
    ray.End();
    fruit.position = Vector3{100.0f, 100.0f, 0.0f};
    Step(0.5f / 1.6f, 0.5f / 1.6f);
    EXPECT_NEAR(ray.fade, 0.5f, 1e-5f);
    EXPECT_EQ(ray.source, nullptr);
    ImmediateVertex vertices[3];
    ray.BuildVertices(vertices);
    for (const ImmediateVertex& v : vertices) {
        EXPECT_EQ(v.a, 127.0f);
        EXPECT_EQ(v.r, 255.0f);
    }
    EXPECT_EQ(vertices[0].u, 0.5f);
    EXPECT_EQ(vertices[1].x, -0.25f);
    EXPECT_EQ(vertices[2].z, 1.0f);
    const Matrix4 faded = ray.WorldMatrix();
    for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10}) {
        EXPECT_NEAR(faded.m[i], 2.0f * whole.m[i], 1e-3f) << i;
    }
    EXPECT_EQ(faded.m[12], whole.m[12]);  // it stayed where it was
    EXPECT_FALSE(ray.IsDead());
    Step(0.32f, 0.0f);
    EXPECT_TRUE(ray.IsDead() || WorldObjectManager::Instance().Count(kRay) == 0);
}

TEST_F(FruitRaysTest, ARayLetsGoOfAFruitThatWasRecycled) {
    Fruit& fruit = NewFruit();
    FruitRay& ray = NewRay(fruit);
    Step(0.05f, 0.05f);
    const Vector3 before = ray.position;
    // Same storage, another fruit: the ray must not follow it.
    fruit.Spawn(1, 1.0f);
    fruit.position = Vector3{120.0f, -80.0f, 0.0f};
    Step(0.05f, 0.05f);
    EXPECT_EQ(ray.source, nullptr);
    EXPECT_EQ(ray.ending, 1);
    EXPECT_EQ(ray.position.x, before.x);
    EXPECT_LT(ray.fade, 1.0f);
}

TEST_F(FruitRaysTest, AWorldStepOfZeroHoldsJibletsAndEndingRaysButARayStillGrows) {
    Fruit& fruit = NewFruit();
    FruitRay& growing = NewRay(fruit);
    FruitRay& ending = NewRay(fruit);
    ending.End();
    Step(0.05f, 0.05f);
    Jiblet& jiblet = NewJiblet(Vector3{0.0f, 0.0f, 0.0f}, Vector3{30.0f, 10.0f, 0.0f});
    Step(0.05f, 0.05f);  // past its still start
    const Vector3 at = jiblet.position;
    const float age = jiblet.age;
    const float fade = ending.fade;
    const float length = growing.scale.x;
    const Matrix4 turned = jiblet.orientation;
    Step(0.0f, 1.0f / 60.0f);
    EXPECT_EQ(jiblet.position.x, at.x);
    EXPECT_EQ(jiblet.age, age);
    EXPECT_EQ(std::memcmp(turned.m, jiblet.orientation.m, sizeof(turned.m)), 0);
    EXPECT_EQ(ending.fade, fade);
    EXPECT_GT(growing.scale.x, length);
}

TEST_F(FruitRaysTest, AJibletFliesStraightAfterItsStillStartAndTurns) {
    Jiblet& moving = NewJiblet(Vector3{0.0f, 0.0f, 0.0f}, Vector3{100.0f, 0.0f, 0.0f});
    Jiblet& still = NewJiblet(Vector3{5.0f, 5.0f, 0.0f}, Vector3{});
    EXPECT_FLOAT_EQ(moving.age, -0.04f);
    for (const float rate : moving.spin) {
        EXPECT_GE(std::fabs(rate), 50.0f);
        EXPECT_LT(std::fabs(rate), 150.0f);
    }
    Step(0.01f, 0.01f);  // age -0.02: not yet moving
    EXPECT_EQ(moving.position.x, 0.0f);
    const Matrix4 before = still.orientation;
    Step(0.01f, 0.01f);  // age 0: moves with a = 0.02
    Step(0.01f, 0.01f);
    EXPECT_NEAR(moving.position.x, 4.0f, 1e-4f);
    EXPECT_EQ(still.position.x, 5.0f);
    EXPECT_NE(std::memcmp(before.m, still.orientation.m, sizeof(before.m)), 0);
}

TEST_F(FruitRaysTest, AJibletOutsideTheExtendedScreenGoesAtItsFirstUpdate) {
    const float x = 0.6f * LogicalScreenWidth();
    Jiblet& edge = NewJiblet(Vector3{x, 0.0f, 0.0f}, Vector3{});
    Jiblet& outside = NewJiblet(Vector3{0.0f, -0.6f * 320.0f - 1.0f, 0.0f}, Vector3{});
    Step(0.01f, 0.01f);
    EXPECT_TRUE(outside.IsDead() || WorldObjectManager::Instance().Count(kJiblet) == 1);
    EXPECT_FALSE(edge.IsDead());
}

TEST_F(FruitRaysTest, AJibletAndItsTrailReleaseEachOther) {
    const uint32_t trail = HashName("trail", 5);
    ParticleManager& particles = ParticleManager::Instance();
    Jiblet& unknown = NewJiblet(Vector3{}, Vector3{1.0f, 0.0f, 0.0f}, HashName("nothing", 7));
    EXPECT_EQ(unknown.trailEffect, 0u);
    Jiblet& jiblet = NewJiblet(Vector3{}, Vector3{1.0f, 0.0f, 0.0f}, trail);
    Step(0.02f, 0.02f);  // age 0.0
    EXPECT_EQ(jiblet.trail, nullptr);
    Step(0.03f, 0.03f);  // age past 0.05
    ASSERT_NE(jiblet.trail, nullptr);
    EXPECT_EQ(jiblet.trail->position.x, jiblet.position.x);
    EXPECT_EQ(particles.RunningCount(), 1);

    // The particle manager's clear reaches the jiblet...
    particles.Clear();
    EXPECT_EQ(jiblet.trail, nullptr);
    Step(0.01f, 0.01f);  // ...which starts a new one
    ASSERT_NE(jiblet.trail, nullptr);
    // ...and the world's clear reaches the particle manager.
    WorldObjectManager::Instance().Clear();
    EXPECT_EQ(particles.RunningCount(), 0);
}

}  // namespace
}  // namespace Varnok
