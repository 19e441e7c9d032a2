// Slice streaks: the short flash along a cut, from a pool of 100 records,
// newest first. A streak grows and thins through a fixed shape table over
// six time units and returns to the pool; one that belongs to a fruit still
// waiting to split is held half-way until it splits. Main thread only.
#pragma once

#include "engine/core/MathUtil.h"

#include <cstdint>

namespace Varnok {

class Fruit;
class Random;
class SoundPlayer;

struct FruitImpact {
    float time = 0.0f;  // 0 to 6 shape-table units
    float strength = 0.0f;
    float angle = 0.0f;  // degrees about z
    Vector3 position;
    int32_t kind = 0;  // 0 normal, 1 critical, 3 special (drawn in pass 1)
    const Fruit* owner = nullptr;  // not owned; null for none
    float speed = 1.0f;
};

class FruitImpacts {
public:
    static constexpr int kPoolSize = 100;
    static constexpr float kEndTime = 6.0f;
    static constexpr float kHeldTime = 3.0f;

    static FruitImpacts& Get();

    // May play a visceral sound for a strong cut (random: the game-wide
    // generator; sounds may be null). An owner's older streaks vanish. A
    // full pool drops the streak silently.
    void Add(const Vector3& position, float angleDegrees, float strength, int32_t kind, const Fruit* owner,
             float speed, Random& random, SoundPlayer* sounds);
    // Advances every streak by step and draws those of the pass (1: the
    // special kind only; any other pass: the others) with the fruit models'
    // streak models, under the current view.
    void Render(float stepSeconds, int pass);
    // Every streak forgets its fruit.
    void ClearOwners();
    void Clear();

    int GetCount() const { return m_count; }
    // In list order, newest first. Requires: 0 <= index < GetCount().
    const FruitImpact& GetImpact(int index) const { return m_records[m_order[index]]; }
    // The per-axis scale of the shape table at a time (clamped to 0..6).
    static Vector3 ShapeAt(float time);

private:
    void RemoveAt(int index);

    FruitImpact m_records[kPoolSize];
    int m_order[kPoolSize] = {};  // record indices in list order
    int m_free[kPoolSize] = {};
    int m_count = 0;
    int m_freeCount = -1;  // -1: not set up yet
};

}  // namespace Varnok
