// The pinata rope: its links, the first drop, hits, the delayed pull, the
// ceiling, the frame's step count and the strip it draws.
#include "game/world/PinataRope.h"

#include "engine/core/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace Varnok {
namespace {

float Length(const Vector3& v) {
    return std::sqrt(Dot(v, v));
}

void Advance(PinataRope& rope, float seconds, float step = 1.0f / 60.0f) {
    const int frames = static_cast<int>(std::lround(seconds / step));
    for (int i = 0; i < frames; ++i) {
        rope.Update(step);
    }
}

TEST(PinataRopeTest, LinksRestAtATenthOfTheLengthAndTheEndStartsNineTenthsDown) {
    for (float length : {280.0f, 140.0f}) {
        PinataRope rope(Vector3{0, 100, 0}, Vector3{0, -100, 0}, length);
        const RopeSimulation& sim = rope.GetSimulation();
        ASSERT_EQ(sim.GetMassCount(), 10);
        ASSERT_EQ(sim.GetLinkCount(), 9);
        for (int i = 0; i < sim.GetLinkCount(); ++i) {
            EXPECT_FLOAT_EQ(sim.GetLink(i).restLength, length / 10.0f);
            EXPECT_EQ(sim.GetLink(i).first, i);
            EXPECT_EQ(sim.GetLink(i).second, i + 1);
        }
        EXPECT_FLOAT_EQ(rope.GetEndMass().position.y, 100.0f - 180.0f);
        EXPECT_FLOAT_EQ(rope.GetEndMass().mass, 0.1f);
        EXPECT_FLOAT_EQ(sim.GetMass(0).mass, 0.01f);
    }
}

TEST(PinataRopeTest, TheEndDropsUnderAnExtraPushForHalfASecondThenHangsAtTheLength) {
    PinataRope pushed(Vector3{0, 100, 0}, Vector3{0, 0, 0}, 280.0f);
    PinataRope plain(Vector3{0, 100, 0}, Vector3{0, 0, 0}, 280.0f);
    plain.GetEndMass().pushSeconds = 0.0f;
    Advance(pushed, 0.25f);
    Advance(plain, 0.25f);
    EXPECT_GT(pushed.GetEndMass().pushSeconds, 0.0f);
    EXPECT_LT(pushed.GetEndMass().position.y, plain.GetEndMass().position.y - 1.0f);

    Advance(pushed, 0.3f);
    EXPECT_LE(pushed.GetEndMass().pushSeconds, 0.0f);
    Advance(pushed, 5.0f);
    // Hanging still nine links down: the stiff links stretch little under
    // the load.
    const RopeMass& end = pushed.GetEndMass();
    const float drop = 100.0f - end.position.y;
    EXPECT_GT(drop, 0.9f * 280.0f);
    EXPECT_LT(drop, 0.95f * 280.0f);
    EXPECT_NEAR(end.position.x, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(pushed.GetSimulation().GetMass(0).position.y, 100.0f);  // the top stays pinned
}

TEST(PinataRopeTest, HitFactorGrowsWithHitsUpToTwenty) {
    const struct {
        int hits;
        float factor;
    } cases[] = {{-2, 0.375f}, {0, 0.375f}, {1, 0.4375f}, {10, 1.0f}, {20, 1.625f}, {30, 1.625f}};
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(PinataRope::HitFactor(c.hits), c.factor) << c.hits;
    }
}

TEST(PinataRopeTest, AHitWritesBackTheDirectionAndPushesTheEndWithASidewaysPart) {
    for (int hits : {0, 30}) {
        GlobalRandom().Reseed(Random::kInitialState);
        PinataRope rope(Vector3{0, 100, 0}, Vector3{0, -100, 0}, 280.0f);
        rope.GetEndMass().velocity = Vector3{5, 5, 0};
        Vector3 direction{3, 4, 0};
        rope.Hit(direction, hits);
        EXPECT_FLOAT_EQ(direction.x, 240.0f);
        EXPECT_FLOAT_EQ(direction.y, 320.0f);
        const RopeMass& end = rope.GetEndMass();
        EXPECT_FLOAT_EQ(end.pushSeconds, 0.1f);
        EXPECT_EQ(Length(end.velocity), 0.0f);
        const float factor = PinataRope::HitFactor(hits);
        const Vector3 sideways = Subtract(Scale(end.pushForce, 1.0f / factor), direction);
        EXPECT_NEAR(Length(sideways), 280.0f, 0.01f);
        EXPECT_EQ(sideways.z, 0.0f);
    }
}

TEST(PinataRopeTest, ADelayedImpulseRaisesTheTopByTheLengthOverASecondAndClearsTheCeiling) {
    const float length = 140.0f;
    PinataRope rope(Vector3{10, 100, 0}, Vector3{10, 0, 0}, length);
    rope.impulseDelay = 2.0f;
    rope.impulse = Vector3{0, 1, 0};
    rope.EnableCeiling();
    const float step = 1.0f / 64.0f;  // exact in binary: the delay runs out on frame 128
    Advance(rope, 127 * step, step);
    EXPECT_EQ(rope.pullTimer, 0.0f);
    EXPECT_TRUE(rope.GetSimulation().ceilingEnabled);

    rope.Update(step);
    EXPECT_FALSE(rope.GetSimulation().ceilingEnabled);
    EXPECT_FLOAT_EQ(rope.impulse.y, 1.0f);
    const RopeMass& end = rope.GetEndMass();
    EXPECT_FLOAT_EQ(end.mass, 0.01f);
    EXPECT_FLOAT_EQ(end.pushForce.y, 200.0f);
    EXPECT_NEAR(end.pushSeconds, 1.0f - 16 * 0.001f, 1e-4f);  // the frame's 16 steps ran after it

    Advance(rope, 0.5f, step);
    EXPECT_NEAR(rope.GetSimulation().connectionPosition.y, 100.0f + 0.5f * length, length * step + 0.01f);
    Advance(rope, 0.6f, step);
    EXPECT_LE(rope.pullTimer, 0.0f);
    EXPECT_NEAR(rope.GetSimulation().GetMass(0).position.y, 100.0f + length, length * step + 0.01f);
    EXPECT_FLOAT_EQ(rope.GetSimulation().GetMass(0).position.x, 10.0f);
}

TEST(PinataRopeTest, TheCeilingDrivesAHighEndBackBelowIt) {
    // Anchored well above the ceiling (120), with the end thrown up past the top.
    PinataRope capped(Vector3{0, 400, 0}, Vector3{0, 300, 0}, 50.0f);
    PinataRope free(Vector3{0, 400, 0}, Vector3{0, 300, 0}, 50.0f);
    capped.EnableCeiling();
    for (PinataRope* rope : {&capped, &free}) {
        rope->GetEndMass().pushSeconds = 0.0f;
        Advance(*rope, 2.0f);
    }
    EXPECT_GT(free.GetEndMass().position.y, 300.0f);
    EXPECT_LT(capped.GetEndMass().position.y, free.GetEndMass().position.y - 20.0f);

    Vector3 up{0, 2, 0};
    capped.Impulse(up);
    EXPECT_FALSE(capped.GetSimulation().ceilingEnabled);
    EXPECT_FLOAT_EQ(up.y, 1.0f);
}

TEST(PinataRopeTest, AFrameRunsMillisecondStepsCappedAtAThirtiethOfASecond) {
    const struct {
        float step;
        int steps;
    } cases[] = {{1.0f / 60.0f, 17}, {1.0f / 30.0f, 34}, {0.5f, 34}, {0.0005f, 1}, {0.0f, 1},
                 {-1.0f, 1}, {std::numeric_limits<float>::quiet_NaN(), 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(PinataRope::StepsForFrame(c.step), c.steps) << c.step;
    }
}

TEST(PinataRopeTest, TheStripRunsAlongTheMassesWithAlternatingU) {
    PinataRope rope(Vector3{0, 100, -50}, Vector3{0, 0, -50}, 100.0f);
    ImmediateVertex strip[PinataRope::kStripVertices];
    rope.BuildStrip(strip, 0x80FF4020u);
    for (int i = 0; i < PinataRope::kMassCount; ++i) {
        const ImmediateVertex& a = strip[2 * i];
        const ImmediateVertex& b = strip[2 * i + 1];
        EXPECT_FLOAT_EQ(a.y, 100.0f - 10.0f * static_cast<float>(i));
        // Hanging straight down, the strip's second edge lies 8 to the left.
        EXPECT_FLOAT_EQ(b.x - a.x, -8.0f) << i;
        EXPECT_FLOAT_EQ(b.y, a.y);
        EXPECT_EQ(a.z, -50.0f);
        EXPECT_EQ(a.u, static_cast<float>(i % 2));
        EXPECT_EQ(b.u, a.u);
        EXPECT_EQ(a.v, 0.0f);
        EXPECT_EQ(b.v, 1.0f);
        EXPECT_EQ(a.nz, 1.0f);
        EXPECT_EQ(a.r, 255.0f);
        EXPECT_EQ(a.g, 64.0f);
        EXPECT_EQ(a.b, 32.0f);
        EXPECT_EQ(a.a, 128.0f);
    }
    EXPECT_FALSE(PinataRope::IsTextureLoaded());
    rope.Render();  // no texture: draws nothing and touches no GL state
}

}  // namespace
}  // namespace Varnok
