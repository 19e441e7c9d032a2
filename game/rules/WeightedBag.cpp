// WeightedBag: draws, cool-down and regrowth.
#include "game/rules/WeightedBag.h"

#include "game/rules/GameRecord.h"

#include <algorithm>

namespace Varnok {

WeightedBag::WeightedBag(int32_t coolDown)
    : WeightedBag(coolDown, static_cast<uint32_t>(GetGameRecord().playTimeMs)) {}

WeightedBag::WeightedBag(int32_t coolDown, uint64_t seed) : m_coolDown(coolDown) {
    m_random.Reseed(seed);
}

void WeightedBag::Add(const WeightedBagEntry& entry) {
    m_entries.push_back(entry);
    m_total += entry.maxWeight;
}

void WeightedBag::Regrow() {
    m_total = 0;
    for (WeightedBagEntry& entry : m_entries) {
        if (entry.coolDown < 1) {
            const float grown = static_cast<float>(entry.weight) +
                                entry.regrowRate * static_cast<float>(entry.maxWeight);
            // Compared as floats first: a huge or negative rate must not wrap.
            entry.weight = grown >= static_cast<float>(entry.maxWeight) ? entry.maxWeight
                           : grown > 0.0f ? static_cast<uint32_t>(grown)
                                          : 0u;
            m_total += entry.weight;
        } else {
            --entry.coolDown;
        }
    }
}

int32_t WeightedBag::Draw() {
    const uint32_t draw = static_cast<uint32_t>(
        (static_cast<uint64_t>(m_random.Next()) * m_total) >> 32);
    uint32_t sum = 0;
    for (WeightedBagEntry& entry : m_entries) {
        sum += entry.weight;
        if (sum > draw) {
            Take(entry);
            return entry.value;
        }
    }
    return 0;
}

void WeightedBag::Remove(int index) {
    if (index >= 0 && index < Count()) {
        Take(m_entries[index]);
    }
}

void WeightedBag::Take(WeightedBagEntry& entry) {
    m_total -= std::min(m_total, entry.weight);
    entry.weight = 0;
    entry.coolDown = m_coolDown;
}

}  // namespace Varnok
