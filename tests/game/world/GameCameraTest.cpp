// The game camera's transition, shake and point mapping.
#include "game/world/GameCamera.h"

#include "engine/core/Random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

int g_arrivals = 0;
void CountArrival() {
    ++g_arrivals;
}

TEST(GameCamera, HalfWayTransition) {
    Random random;
    GameCamera camera(random);
    camera.progress = 0.5f;
    camera.zoomTarget = 0.625f;
    camera.focus = Vector3{100.0f, -40.0f, 0.0f};
    camera.Update(0.0f);
    EXPECT_FLOAT_EQ(camera.zoom, 0.71875f);
    EXPECT_NEAR(camera.offset.x, 70.71f, 0.05f);
    EXPECT_NEAR(camera.offset.y, -28.28f, 0.05f);
}

TEST(GameCamera, ZoomInArrivesOnceAfterAThirdOfASecond) {
    Random random;
    GameCamera camera(random);
    g_arrivals = 0;
    camera.onArrival = GameCamera::ArrivalCallback(&CountArrival);
    camera.mode = GameCamera::kModeZoomIn;
    for (int i = 0; i < 19; ++i) {
        camera.Update(1.0f / 60.0f);
    }
    EXPECT_LT(camera.progress, 1.0f);
    EXPECT_EQ(g_arrivals, 0);
    camera.Update(1.0f / 60.0f);
    camera.Update(1.0f / 60.0f);  // float steps may need one more
    EXPECT_FLOAT_EQ(camera.progress, 1.0f);
    EXPECT_EQ(g_arrivals, 1);
    camera.Update(1.0f / 60.0f);
    EXPECT_EQ(g_arrivals, 1);
    camera.mode = GameCamera::kModeZoomOut;
    for (int i = 0; i < 6; ++i) {
        camera.Update(1.0f / 60.0f);
    }
    EXPECT_FLOAT_EQ(camera.progress, 0.0f);
    EXPECT_EQ(g_arrivals, 2);
}

TEST(GameCamera, ShakeAimsAtTheDirectionFirstThenDecays) {
    Random random;
    GameCamera camera(random);
    camera.StartShake(Vector3{1.0f, 0.0f, 0.0f}, 1.6f, 2.0f, 9.0f);
    EXPECT_NEAR(camera.shakeTarget.x, 12.0f, 0.01f);
    EXPECT_NEAR(camera.shakeTarget.y, 0.0f, 0.01f);
    camera.Update(1.0f / 60.0f);
    EXPECT_GT(camera.shakeOffset.x, 0.0f);  // heading for the first target
    EXPECT_NEAR(camera.shakeTarget.x, 12.0f, 0.01f);
    const Angle first = camera.shakeAngle;
    while (camera.shakeAngle == first && camera.shakeTime > 0.0f) {
        camera.Update(1.0f / 60.0f);
    }
    // The next swing turns 140 to 220 degrees on, within 9 x the time left.
    const int turned = static_cast<Angle>(camera.shakeAngle - first);
    EXPECT_GE(turned, 25480);
    EXPECT_LE(turned, 25480 + 14560);
    const float radius = std::hypot(camera.shakeTarget.x, camera.shakeTarget.y);
    EXPECT_LE(radius, 9.0f * camera.shakeTime / 1.6f + 0.01f);
    for (int i = 0; i < 400; ++i) {
        camera.Update(1.0f / 60.0f);
    }
    EXPECT_EQ(camera.shakeOffset.x, 0.0f);
    EXPECT_EQ(camera.shakeOffset.y, 0.0f);
}

TEST(GameCamera, PointMappingIsTheViewsInverse) {
    Random random;
    GameCamera camera(random);
    Vector3 point{30.0f, 40.0f, 0.0f};
    camera.WorldToCamera(point, 1, 1);
    EXPECT_FLOAT_EQ(point.x, 30.0f);  // no transition: unchanged
    camera.progress = 1.0f;
    camera.zoomTarget = 0.5f;
    camera.rollTarget = 90.0f;
    camera.focus = Vector3{10.0f, 0.0f, 0.0f};
    camera.Update(0.0f);
    Vector3 screen{30.0f, 40.0f, 0.0f};
    Vector3 world = screen;
    camera.WorldToCamera(world, 1, 1);
    EXPECT_NEAR(world.y, -15.0f, 0.1f);  // turned a quarter, halved, moved by the focus
    camera.WorldToCamera(world, 0, 1);
    EXPECT_NEAR(world.x, screen.x, 0.1f);
    EXPECT_NEAR(world.y, screen.y, 0.1f);
}

}  // namespace
}  // namespace Varnok
