// The weighted bag: weights decide the odds, a drawn entry sits out its
// cool-down, removal takes an entry out.
#include "game/rules/WeightedBag.h"

#include <gtest/gtest.h>

#include <vector>

namespace Varnok {
namespace {

WeightedBagEntry Entry(uint32_t maxWeight, int32_t value) {
    WeightedBagEntry entry;
    entry.maxWeight = maxWeight;
    entry.weight = maxWeight;
    entry.regrowRate = 1.0f;
    entry.value = value;
    return entry;
}

TEST(WeightedBag, WeightsOfOneAndThreeDrawTheSecondThreeTimesInFour) {
    WeightedBag bag(0, 7);
    bag.Add(Entry(1, 10));
    bag.Add(Entry(3, 20));
    EXPECT_EQ(bag.GetTotal(), 4u);
    const int kDraws = 4000;
    int second = 0;
    for (int i = 0; i < kDraws; ++i) {
        second += bag.Draw() == 20 ? 1 : 0;
        bag.Regrow();
    }
    EXPECT_NEAR(second / static_cast<double>(kDraws), 0.75, 0.03);
}

TEST(WeightedBag, ADrawnEntrySitsOutItsCoolDown) {
    WeightedBag bag(3, 11);
    for (int i = 0; i < 6; ++i) {
        bag.Add(Entry(10, i));
    }
    std::vector<int32_t> drawn;
    for (int i = 0; i < 1000; ++i) {
        drawn.push_back(bag.Draw());
        bag.Regrow();
    }
    for (size_t i = 1; i < drawn.size(); ++i) {
        for (size_t back = 1; back <= 3 && back <= i; ++back) {
            ASSERT_NE(drawn[i], drawn[i - back]) << "draw " << i;
        }
    }
}

TEST(WeightedBag, RemoveTakesAnEntryOutAndAnEmptyBagDrawsZero) {
    WeightedBag bag(2, 3);
    EXPECT_EQ(bag.Draw(), 0);
    bag.Add(Entry(5, 42));
    bag.Remove(7);
    bag.Remove(-1);
    EXPECT_EQ(bag.GetTotal(), 5u);
    bag.Remove(0);
    EXPECT_EQ(bag.GetTotal(), 0u);
    EXPECT_EQ(bag.GetEntry(0).coolDown, 2);
    EXPECT_EQ(bag.Draw(), 0);
    for (int i = 0; i < 3; ++i) {
        bag.Regrow();
    }
    EXPECT_EQ(bag.GetTotal(), 5u);
    EXPECT_EQ(bag.Draw(), 42);
}

}  // namespace
}  // namespace Varnok
