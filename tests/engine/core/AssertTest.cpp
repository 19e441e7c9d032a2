#include "engine/core/Assert.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

#ifndef NDEBUG

TEST(AssertDeathTest, StopsWithFileLineAndCondition) {
    const int index = 7;
    const std::string where = "AssertTest\\.cpp:" + std::to_string(__LINE__ + 1) + ": ";
    EXPECT_DEATH(VARNOK_ASSERT(index < 4), where + "VARNOK_ASSERT\\(index < 4\\) failed");
}

TEST(Assert, PassesQuietlyWhenTheConditionHolds) {
    testing::internal::CaptureStderr();
    VARNOK_ASSERT(2 + 2 == 4);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

#else

TEST(Assert, ReleaseBuildsNeitherCheckNorEvaluate) {
    int evaluations = 0;
    VARNOK_ASSERT(++evaluations < 0);
    EXPECT_EQ(evaluations, 0);
}

#endif

}  // namespace
}  // namespace Varnok
