// Path data: tokenizing, the calls it makes, and the bounds of its segments.
#include "engine/text/vector/SvgPathData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

// Writes every call as text, so sequences compare as strings.
class CallLog final : public SvgPathSink {
public:
    void MoveTo(float x, float y) override { Add("M", {x, y}); }
    void LineTo(float x, float y) override { Add("L", {x, y}); }
    void QuadTo(float cx, float cy, float x, float y) override { Add("Q", {cx, cy, x, y}); }
    void CubicTo(float a, float b, float c, float d, float x, float y) override {
        Add("C", {a, b, c, d, x, y});
    }
    void ArcTo(float rx, float ry, float rotation, bool large, bool sweep, float x,
               float y) override {
        Add("A", {rx, ry, rotation, large ? 1.0f : 0.0f, sweep ? 1.0f : 0.0f, x, y});
    }
    void Close() override { Add("Z", {}); }
    void End() override { Add("E", {}); }

    std::string text;

private:
    void Add(const char* name, std::initializer_list<float> values) {
        if (!text.empty()) {
            text += " ";
        }
        text += name;
        for (float v : values) {
            char buffer[32];
            snprintf(buffer, sizeof(buffer), "%s%g", text.back() == ' ' || text.back() == name[0] ? "" : ",", v);
            text += buffer;
        }
    }
};

std::string Calls(const char* d) {
    CallLog log;
    BuildSvgPath(d, log);
    return log.text;
}

SvgBounds BoundsOf(const char* d) {
    SvgPathStore store;
    BuildSvgPath(d, store);
    return store.GetBounds();
}

void ExpectBounds(const SvgBounds& b, float x0, float y0, float x1, float y1) {
    EXPECT_NEAR(b.minX, x0, 1e-3f);
    EXPECT_NEAR(b.minY, y0, 1e-3f);
    EXPECT_NEAR(b.maxX, x1, 1e-3f);
    EXPECT_NEAR(b.maxY, y1, 1e-3f);
}

TEST(SvgPathData, CommandsBecomeCalls) {
    const struct {
        const char* d;
        const char* calls;
    } cases[] = {
        {"M10,10L20,20", "M10,10 L20,20"},
        {"M 10 10 L 20 20", "M10,10 L20,20"},
        {"M10-10", "M10,-10"},
        {"M 1 1 2 2", "M1,1 M2,2"},
        {"m 1 1 l 2 2 z l 1 0", "M1,1 L3,3 Z L4,3"},
        {"L 5 5", "L5,5"},
        {"M0 0 H 5 V 7 h 1 v 1", "M0,0 L5,0 L5,7 L6,7 L6,8"},
        {"M1 1 c 1 2 3 4 5 6", "M1,1 C2,3,4,5,6,7"},
        {"M1 1 q 1 1 2 0", "M1,1 Q2,2,3,1"},
        {"M0 0 a 5 5 180 1 0 10 0", "M0,0 A5,5,3.14159,1,0,10,0"},
        {"M0 0 S 1 2 3 4 T 5 6 F 1 P 2 L 7 7", "M0,0 L7,7"},
        {"M 1 1 L 2 2 # L 3 3", "M1,1 L2,2"},
        {"M1e-5", "M1,-5"},
        {"M 0 0 L 1 1 Z 1 2", "M0,0 L1,1 Z Z"},
        {"M 0 0 Z", "M0,0 Z"},
        {"M 1.5.5 2", "M1.5,2"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.d);
        EXPECT_EQ(Calls(c.d), c.calls);
    }
    EXPECT_EQ(Calls(nullptr), "");
}

TEST(SvgPathData, LongNumbersAreCutAfter255Characters) {
    std::string digits(300, '1');
    SvgPathTokenizer tokens;
    tokens.Begin(digits.c_str());
    ASSERT_TRUE(tokens.Next());
    EXPECT_DOUBLE_EQ(tokens.GetNumber(), std::stod(std::string(255, '1')));
    ASSERT_TRUE(tokens.Next());
    EXPECT_DOUBLE_EQ(tokens.GetNumber(), std::stod(std::string(45, '1')));
    EXPECT_FALSE(tokens.Next());
}

TEST(SvgPathData, BoundsFollowEachSegmentExactly) {
    ExpectBounds(BoundsOf("M0 0 Q 10 10 20 0"), 0, 0, 20, 5);
    ExpectBounds(BoundsOf("M0 0 C 0 9 10 12 10 0"), 0, 0, 10, 7.9148f);
    // A zero leading coefficient still has an interior extreme.
    ExpectBounds(BoundsOf("M0 0 C 0 10 10 10 10 0"), 0, 0, 10, 7.5f);
    ExpectBounds(BoundsOf("M 5 5 L 1 8"), 1, 5, 5, 8);
    ExpectBounds(BoundsOf("M 3 3 M 4 4"), 0, 0, 0, 0);
    // Half a circle of radius 5 above, then below the x axis (y down).
    ExpectBounds(BoundsOf("M0 0 A 5 5 0 0 1 10 0"), 0, -5, 10, 0);
    ExpectBounds(BoundsOf("M0 0 A 5 5 0 0 0 10 0"), 0, 0, 10, 5);
    // Radii too small to join the end points are scaled up.
    ExpectBounds(BoundsOf("M0 0 A 1 1 0 0 1 10 0"), 0, -5, 10, 0);
    // A quarter turn stands the ellipse up: centre (4.33, 5), semi-axes 5
    // across and 10 along y, and the large arc passes both y extremes.
    ExpectBounds(BoundsOf("M0 0 A 10 5 90 1 1 0 10"), 0, -5, 9.3301f, 15);
    ExpectBounds(BoundsOf("M0 0 A 0 5 0 0 1 10 0"), 0, 0, 10, 0);
}

TEST(SvgPathData, StoreReplaysWhatItRecorded) {
    const char* d = "M1 2 L3 4 Q5 6 7 8 C9 10 11 12 13 14 A1 2 30 1 0 15 16 Z";
    SvgPathStore store;
    BuildSvgPath(d, store);
    store.End();
    CallLog replayed;
    store.Replay(replayed);
    EXPECT_EQ(replayed.text, Calls(d) + " E");
}

}  // namespace
}  // namespace Varnok
