#include "engine/core/Log.h"

#include <gtest/gtest.h>

#include <string>

TEST(Log, WritesOneLineToStandardError) {
    testing::internal::CaptureStderr();
    Varnok::Log("Error deleting file %s", "a.txt");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error deleting file a.txt\n");
}

TEST(Log, CutsOverlongLinesButKeepsTheNewline) {
    std::string big(5000, 'x');
    testing::internal::CaptureStderr();
    Varnok::Log("%s", big.c_str());
    const std::string out = testing::internal::GetCapturedStderr();
    ASSERT_FALSE(out.empty());
    EXPECT_LT(out.size(), 1100u);
    EXPECT_EQ(out.back(), '\n');
}
