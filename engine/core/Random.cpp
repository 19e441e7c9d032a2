// The generator's step and draws, and the weighted pick.
#include "engine/core/Random.h"

namespace Varnok {

uint32_t Random::Next() {
    m_state = m_state * m_multiplier + m_increment;  // wraps modulo 2^64
    return static_cast<uint32_t>(m_state >> 32);
}

float Random::NextFloat() {
    const uint64_t scaled = (static_cast<uint64_t>(Next()) * 0x7FFFF) >> 32;
    return static_cast<float>(static_cast<double>(scaled) / 524287.0);
}

uint32_t Random::NextBelow(uint32_t n) {
    const uint32_t high = Next();
    if (n == 0 || n == 0xFFFFFFFFu) {
        return high;
    }
    return static_cast<uint32_t>((static_cast<uint64_t>(high) * n) >> 32);
}

void Random::Reseed(uint64_t state) {
    m_state = state;
    m_multiplier = kMultiplier;
    m_increment = kIncrement;
}

Random& GlobalRandom() {
    static Random s_random;
    return s_random;
}

uint32_t WeightedTable::PickRandom(const WeightedTable& table) {
    const uint32_t draw = GlobalRandom().NextBelow(
        table.entries.empty() ? 0 : table.entries.back().cumulativeWeight);
    if (table.entries.empty()) {
        return 0;
    }
    // Unsigned, so that weights above 0x7FFFFFFF still order correctly; the
    // last entry stands in when the draw reaches past every weight (a total
    // of 0 or 0xFFFFFFFF draws the raw 32 bits).
    for (const Entry& entry : table.entries) {
        if (entry.cumulativeWeight > draw) {
            return entry.value;
        }
    }
    return table.entries.back().value;
}

}  // namespace Varnok
