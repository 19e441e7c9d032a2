// The 64-bit linear congruential generator behind all game randomness, and the
// weighted pick over cumulative tables.
#pragma once

#include <cstdint>
#include <vector>

namespace Varnok {

// state = state * multiplier + increment (mod 2^64); draws use the high 32
// bits of the new state. Runs repeat exactly for a given starting state.
class Random {
public:
    static constexpr uint64_t kInitialState = 0xDEADBEEF;
    static constexpr uint64_t kMultiplier = 0x5D588B656C078965ULL;
    static constexpr uint64_t kIncrement = 2531011;

    Random() = default;

    // Steps once; answers the high 32 bits of the new state.
    uint32_t Next();
    // Uniform in [0, 1): ((high * 0x7FFFF) >> 32) / 524287.
    float NextFloat();
    // Uniform below n: (high * n) >> 32. For n of 0 or 0xFFFFFFFF the raw
    // high 32 bits are answered.
    uint32_t NextBelow(uint32_t n);

    // Replaces the state and writes the multiplier and increment again.
    void Reseed(uint64_t state);
    uint64_t GetState() const { return m_state; }

private:
    uint64_t m_state = kInitialState;
    uint64_t m_multiplier = kMultiplier;
    uint64_t m_increment = kIncrement;
};

// The game-wide generator (reseeded to 0 when the game initialises). Main
// thread only.
Random& GlobalRandom();

// A table of entries in order of rising cumulative weight.
struct WeightedTable {
    struct Entry {
        uint32_t value = 0;
        int32_t weight = 0;  // not read by the pick
        uint32_t cumulativeWeight = 0;
    };
    std::vector<Entry> entries;

    // Steps the global generator once and answers the value of the first
    // entry whose cumulative weight exceeds the draw scaled to the total;
    // the last entry's value when none does, 0 for an empty table.
    static uint32_t PickRandom(const WeightedTable& table);
};

}  // namespace Varnok
