#include "engine/core/Random.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace Varnok {
namespace {

// The generator's rule written out independently of the class.
struct Reference {
    uint64_t state = 0xDEADBEEFull;
    uint32_t Step() {
        state = state * 0x5D588B656C078965ull + 2531011ull;
        return static_cast<uint32_t>(state >> 32);
    }
};

TEST(Random, StartsAtDeadBeefAndStepsByTheFixedRule) {
    Random random;
    EXPECT_EQ(random.GetState(), 0xDEADBEEFull);
    EXPECT_EQ(random.Next(), 0x0457F41Au);
    EXPECT_EQ(random.GetState(), 0x0457F41AE269DA0Eull);
    EXPECT_EQ(random.Next(), 0xA48F2C2Eu);
    EXPECT_EQ(random.GetState(), 0xA48F2C2ED7FD2449ull);
}

TEST(Random, DrawsMatchTheFormulaStepByStep) {
    Random random;
    Reference reference;
    for (int i = 0; i < 50; ++i) {
        SCOPED_TRACE(i);
        const uint32_t high = reference.Step();
        const float expectedFloat =
            static_cast<float>(((static_cast<uint64_t>(high) * 0x7FFFF) >> 32) / 524287.0);
        EXPECT_EQ(random.NextFloat(), expectedFloat);
        EXPECT_LT(expectedFloat, 1.0f);

        const uint32_t highBelow = reference.Step();
        const uint32_t n = 7 + i * 1000;
        EXPECT_EQ(random.NextBelow(n),
                  static_cast<uint32_t>((static_cast<uint64_t>(highBelow) * n) >> 32));
    }
    EXPECT_EQ(random.GetState(), reference.state);
}

TEST(Random, PinnedDrawsFromTheInitialState) {
    Random floats;
    EXPECT_FLOAT_EQ(floats.NextFloat(), 0.016965898f);
    EXPECT_FLOAT_EQ(floats.NextFloat(), 0.64280823f);
    EXPECT_FLOAT_EQ(floats.NextFloat(), 0.16874918f);

    Random integers;
    EXPECT_EQ(integers.NextBelow(1000), 16u);
    EXPECT_EQ(integers.NextBelow(1000), 642u);
    EXPECT_EQ(integers.NextBelow(10), 1u);
}

TEST(Random, BoundsOfZeroAndAllOnesAnswerTheRawHighWord) {
    Random a;
    EXPECT_EQ(a.NextBelow(0), 0x0457F41Au);
    EXPECT_EQ(a.NextBelow(0xFFFFFFFFu), 0xA48F2C2Eu);
    Random b;
    EXPECT_EQ(b.NextBelow(1), 0u);
}

TEST(Random, ReseedToZeroStartsFromZero) {
    Random random;
    random.Next();
    random.Reseed(0);
    EXPECT_EQ(random.GetState(), 0u);
    random.Next();
    EXPECT_EQ(random.GetState(), 2531011u);
}

TEST(Random, GlobalInstanceIsShared) {
    GlobalRandom().Reseed(0);
    EXPECT_EQ(&GlobalRandom(), &GlobalRandom());
    GlobalRandom().Next();
    EXPECT_EQ(GlobalRandom().GetState(), 2531011u);
}

// The high word the global generator produces next.
uint32_t PeekGlobalHighWord() {
    Random copy = GlobalRandom();
    return copy.Next();
}

WeightedTable MakeTable(std::initializer_list<uint32_t> cumulative) {
    WeightedTable table;
    uint32_t value = 100;
    for (uint32_t c : cumulative) {
        table.entries.push_back({value++, 0, c});
    }
    return table;
}

TEST(WeightedTable, PicksTheFirstEntryAboveTheScaledDraw) {
    const WeightedTable table = MakeTable({10, 30, 60});
    GlobalRandom().Reseed(0xDEADBEEF);
    for (int i = 0; i < 20; ++i) {
        const uint32_t high = PeekGlobalHighWord();
        const uint32_t draw = static_cast<uint32_t>((static_cast<uint64_t>(high) * 60) >> 32);
        const uint32_t expected = draw < 10 ? 100 : draw < 30 ? 101 : 102;
        EXPECT_EQ(WeightedTable::PickRandom(table), expected);
    }
}

TEST(WeightedTable, EdgeTables) {
    // Every case draws from the high word 0x0457F41A.
    const struct {
        const char* what;
        WeightedTable table;
        uint32_t expected;
    } cases[] = {
        // A total of 0 draws the raw high word: nothing exceeds it, and the
        // pick must not walk off the table.
        {"all weights zero", MakeTable({0, 0, 0}), 102},
        // Weights past 0x7FFFFFFF compare unsigned, not as negatives.
        {"huge weights", MakeTable({0x80000000u, 0x90000000u}), 100},
        // A total of 0xFFFFFFFF also draws the raw word.
        {"full range", MakeTable({0x10u, 0xFFFFFFFFu}), 101},
        {"draw lands on a boundary", MakeTable({0x0457F41Au, 0x0457F41Bu, 0xFFFFFFFFu}), 101},
        {"single entry", MakeTable({5}), 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GlobalRandom().Reseed(0xDEADBEEF);
        EXPECT_EQ(WeightedTable::PickRandom(c.table), c.expected);
        EXPECT_EQ(GlobalRandom().GetState(), 0x0457F41AE269DA0Eull);  // stepped once
    }
}

TEST(WeightedTable, EmptyTableAnswersZero) {
    WeightedTable empty;
    EXPECT_EQ(WeightedTable::PickRandom(empty), 0u);
}

}  // namespace
}  // namespace Varnok
