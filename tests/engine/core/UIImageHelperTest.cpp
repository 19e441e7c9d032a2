#include "engine/core/UIImageHelper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Varnok;

TEST(UIImageHelper, StretchesToPowersOfTwo) {
    // 320 x 480 becomes 512 x 512; each quadrant colour lands in the same quadrant.
    const int w = 320, h = 480;
    std::vector<uint8_t> pixels(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &pixels[(size_t(y) * w + x) * 4];
            p[0] = x < w / 2 ? 10 : 200;
            p[1] = y < h / 2 ? 20 : 220;
            p[2] = 30;
            p[3] = 255;
        }
    }
    int outW = 0, outH = 0;
    auto bitmap = UIImageHelper::ConvertImageToBitmapRGBA8({pixels.data(), w, h}, &outW, &outH);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(outW, 512);
    EXPECT_EQ(outH, 512);
    auto at = [&](int x, int y) { return bitmap.get() + (size_t(y) * 512 + x) * 4; };
    EXPECT_EQ(at(0, 0)[0], 10);
    EXPECT_EQ(at(511, 0)[0], 200);
    EXPECT_EQ(at(0, 511)[1], 220);
    EXPECT_EQ(at(255, 255)[1], 20);
    EXPECT_EQ(at(256, 256)[1], 220);

    // A 1 x 1 image stays 1 x 1; an empty one gives null and leaves the sizes.
    const uint8_t one[4] = {1, 2, 3, 4};
    bitmap = UIImageHelper::ConvertImageToBitmapRGBA8({one, 1, 1}, &outW, &outH);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(outW, 1);
    EXPECT_EQ(bitmap[3], 4);
    outW = -5;
    EXPECT_EQ(UIImageHelper::ConvertImageToBitmapRGBA8({one, 0, 1}, &outW, nullptr), nullptr);
    EXPECT_EQ(outW, -5);
}
