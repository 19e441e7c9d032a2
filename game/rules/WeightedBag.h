// A weighted random pick with cool-down: a drawn entry's weight drops to 0
// and regrows only after the bag's cool-down of regrow steps, so the same
// value does not come up again at once.
#pragma once

#include "engine/core/Random.h"

#include <cstdint>
#include <vector>

namespace Varnok {

struct WeightedBagEntry {
    uint32_t maxWeight = 0;
    uint32_t weight = 0;
    float regrowRate = 0.0f;  // of maxWeight, per regrow step
    int32_t value = 0;
    int32_t coolDown = 0;  // regrow steps left before it regrows
};

class WeightedBag {
public:
    // Seeded from the low 32 bits of the game record's play time.
    explicit WeightedBag(int32_t coolDown);
    // A bag with a seed of its own (tests, replays).
    WeightedBag(int32_t coolDown, uint64_t seed);

    // Adds maxWeight (not weight) to the total.
    void Add(const WeightedBagEntry& entry);
    // One step: entries past their cool-down regrow towards maxWeight; the
    // others count their cool-down down.
    void Regrow();
    // Takes the entry the draw lands on: its weight leaves the total and its
    // cool-down starts. 0 when nothing is taken.
    int32_t Draw();
    // Takes entry index out as a draw would; an invalid index does nothing.
    void Remove(int index);

    uint32_t GetTotal() const { return m_total; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    const WeightedBagEntry& GetEntry(int index) const { return m_entries[index]; }

private:
    void Take(WeightedBagEntry& entry);

    std::vector<WeightedBagEntry> m_entries;
    uint32_t m_total = 0;
    int32_t m_coolDown;
    Random m_random;
};

}  // namespace Varnok
