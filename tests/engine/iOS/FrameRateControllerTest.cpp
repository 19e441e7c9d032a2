// The frame-rate controller's run flag and its rate statistics over the
// steps the shell hands it.
#include "engine/iOS/FrameRateController.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

TEST(FrameRateController, FirstTickMeasuresNothingAndMinimumWaitsForTheWrap) {
    FrameRateController controller;
    EXPECT_TRUE(controller.Tick(0.0f));  // the shell's first step after initialisation
    EXPECT_EQ(controller.GetCurrentRate(), 0);

    for (int tick = 1; tick < FrameRateController::kRingSize; ++tick) {
        controller.Tick(0.02f);  // 50 per second
        EXPECT_EQ(controller.GetCurrentRate(), 50);
        // The first tick's 0 (and the unwritten slot) keep the minimum down.
        EXPECT_EQ(controller.GetMinimumRate(), 0);
    }
    EXPECT_EQ(controller.GetMaximumRate(), 50);
    controller.Tick(0.02f);  // wraps over the first tick's 0
    EXPECT_EQ(controller.GetMinimumRate(), 50);
    EXPECT_EQ(controller.GetAverageRate(), 50);
    EXPECT_NEAR(controller.GetTotalTime(), 30 * 0.02f, 1e-4f);
    EXPECT_EQ(controller.GetLastStep(), 0.02f);

    // A step too short for the 16-bit rate is clamped, not wrapped.
    controller.Tick(1e-6f);
    EXPECT_EQ(controller.GetCurrentRate(), 32767);
    // One going backwards counts as none.
    controller.Tick(-1.0f);
    EXPECT_EQ(controller.GetCurrentRate(), 0);
    EXPECT_EQ(controller.GetLastStep(), 0.0f);
}

TEST(FrameRateController, RunFlag) {
    FrameRateController controller;
    controller.Reset();
    EXPECT_FALSE(controller.Tick(0.016f));
    controller.Init();
    EXPECT_TRUE(controller.Tick(0.016f));
    controller.Shutdown();
}

}  // namespace
}  // namespace Varnok
