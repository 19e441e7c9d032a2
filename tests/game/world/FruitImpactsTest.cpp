// Slice streaks: the pool's limit, one streak per fruit, holding for an
// unsplit fruit, and the shape table.
#include "game/world/FruitImpacts.h"

#include "engine/core/Random.h"
#include "game/world/Fruit.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

class FruitImpactsTest : public testing::Test {
protected:
    void SetUp() override { FruitImpacts::Get().Clear(); }
    void TearDown() override { FruitImpacts::Get().Clear(); }

    void Add(float strength, const Fruit* owner = nullptr) {
        FruitImpacts::Get().Add(Vector3{}, 0.0f, strength, 0, owner, 1.0f, random, nullptr);
    }

    Random random;
};

TEST_F(FruitImpactsTest, TheHundredAndFirstStreakIsDroppedAndStreaksEndAfterSixUnits) {
    FruitImpacts& impacts = FruitImpacts::Get();
    for (int i = 0; i < FruitImpacts::kPoolSize + 1; ++i) {
        Add(static_cast<float>(i));
    }
    EXPECT_EQ(impacts.GetCount(), FruitImpacts::kPoolSize);
    EXPECT_EQ(impacts.GetImpact(0).strength, 99.0f);  // newest first; the 101st never joined
    impacts.Render(0.1f, 0);  // 4 time units
    EXPECT_EQ(impacts.GetCount(), FruitImpacts::kPoolSize);
    impacts.Render(0.05f, 0);  // 6: every record back in the pool
    EXPECT_EQ(impacts.GetCount(), 0);
    Add(1.0f);
    EXPECT_EQ(impacts.GetCount(), 1);
}

TEST_F(FruitImpactsTest, AFruitsStreaksAreHeldUntilItSplitsAndOlderOnesGo) {
    Fruit fruit;  // a plain object: only its sliced flag is read
    fruit.sliced = false;
    FruitImpacts& impacts = FruitImpacts::Get();
    Add(1.0f, &fruit);
    Add(2.0f, &fruit);
    Add(3.0f, &fruit);  // a new streak clears those behind the fruit's newest one
    Add(4.0f);          // another fruit's streak stays
    impacts.Render(0.0f, 0);
    ASSERT_EQ(impacts.GetCount(), 3);
    EXPECT_EQ(impacts.GetImpact(0).strength, 4.0f);
    EXPECT_EQ(impacts.GetImpact(1).strength, 3.0f);
    EXPECT_EQ(impacts.GetImpact(2).strength, 2.0f);
    impacts.Render(1.0f, 0);  // would end them all, but the fruit has not split
    ASSERT_EQ(impacts.GetCount(), 2);
    EXPECT_EQ(impacts.GetImpact(0).time, FruitImpacts::kHeldTime);
    fruit.sliced = true;
    impacts.Render(0.075f, 0);  // 3 units on from the hold, and the owner forgotten
    EXPECT_EQ(impacts.GetCount(), 0);
}

TEST_F(FruitImpactsTest, ShapeTableIsInterpolated) {
    const struct {
        float time;
        float x, y, z;
    } cases[] = {{0.0f, 1.0f, 1.0f, 1.0f}, {2.5f, 14.0f, 0.1f, 1.0f}, {3.0f, 20.0f, 0.1f, 1.0f},
                 {4.5f, 2.05f, 0.1f, 0.55f}, {9.0f, 0.1f, 0.1f, 0.1f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        const Vector3 shape = FruitImpacts::ShapeAt(c.time);
        EXPECT_NEAR(shape.x, c.x, 1e-5f);
        EXPECT_NEAR(shape.y, c.y, 1e-5f);
        EXPECT_NEAR(shape.z, c.z, 1e-5f);
    }
}

}  // namespace
}  // namespace Varnok
