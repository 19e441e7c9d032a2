#include "engine/core/UIImageHelper.h"

#include <gtest/gtest.h>

#include <cmath>
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

namespace {

// A view that records how it was drawn: it fills its bitmap with one colour.
class PaintedView final : public CapturableView {
public:
    float GetFrameWidth() const override { return width; }
    float GetFrameHeight() const override { return height; }
    bool IsHidden() const override { return hidden; }
    void SetHidden(bool value) override { hidden = value; }
    void RenderLayer(uint8_t* rgba, int bitmapWidth, int bitmapHeight) const override {
        drawnHidden = hidden;
        drawnWidth = bitmapWidth;
        drawnHeight = bitmapHeight;
        rgba[0] = 0xAB;  // the first pixel only: the rest stays zero
    }

    float width = 0.0f;
    float height = 0.0f;
    bool hidden = false;
    mutable bool drawnHidden = true;
    mutable int drawnWidth = 0;
    mutable int drawnHeight = 0;
};

}  // namespace

TEST(UIImageHelper, CapturesAViewAtItsFrameSize) {
    const struct {
        const char* what;
        float width, height;
        bool powerOfTwo;
        int expectedWidth, expectedHeight;  // 0: refused
    } cases[] = {
        {"a banner, as it is", 320.5f, 50.9f, false, 320, 50},
        {"rounded up", 320.0f, 50.0f, true, 512, 64},
        {"under a pixel", 0.5f, 50.0f, false, 0, 0},
        {"not a number", NAN, 50.0f, false, 0, 0},
        {"beyond any texture", 9000.0f, 50.0f, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PaintedView view;
        view.width = c.width;
        view.height = c.height;
        view.hidden = true;  // shown for the drawing only
        int outW = -1, outH = -1;
        auto bitmap = UIImageHelper::ConvertViewToBitmapRGBA8(view, &outW, &outH, c.powerOfTwo);
        EXPECT_TRUE(view.hidden);
        if (c.expectedWidth == 0) {
            EXPECT_EQ(bitmap, nullptr);
            EXPECT_EQ(outW, -1);
            continue;
        }
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(outW, c.expectedWidth);
        EXPECT_EQ(outH, c.expectedHeight);
        EXPECT_EQ(view.drawnWidth, c.expectedWidth);
        EXPECT_FALSE(view.drawnHidden);
        EXPECT_EQ(bitmap[0], 0xAB);
        EXPECT_EQ(bitmap[size_t(outW) * outH * 4 - 1], 0);  // zeroed before the drawing
    }
}
