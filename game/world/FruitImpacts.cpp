// Pool, ageing and drawing of the slice streaks.
#include "game/world/FruitImpacts.h"

#include "engine/core/Random.h"
#include "engine/model/MeshModel.h"
#include "game/rules/SoundPlayer.h"
#include "game/world/Fruit.h"
#include "game/world/FruitModels.h"

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace {

constexpr float kTimePerSecond = 40.0f;
constexpr float kVisceralStrength = 2.5f;
constexpr Vector3 kShape[7] = {{1.0f, 1.0f, 1.0f}, {1.7f, 0.3f, 1.0f}, {8.0f, 0.1f, 1.0f}, {20.0f, 0.1f, 1.0f},
                               {4.0f, 0.1f, 1.0f}, {0.1f, 0.1f, 0.1f}, {0.1f, 0.1f, 0.1f}};

void PlayOnce(SoundPlayer* sounds, const char* name) {
    if (sounds != nullptr) {
        sounds->Play(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

}  // namespace

FruitImpacts& FruitImpacts::Get() {
    static FruitImpacts s_impacts;
    return s_impacts;
}

void FruitImpacts::Clear() {
    m_count = 0;
    m_freeCount = kPoolSize;
    for (int i = 0; i < kPoolSize; ++i) {
        m_free[i] = kPoolSize - 1 - i;
    }
}

Vector3 FruitImpacts::ShapeAt(float time) {
    const float t = std::clamp(time, 0.0f, kEndTime);
    const int whole = std::min(static_cast<int>(t), 5);
    const float f = t - static_cast<float>(whole);
    const Vector3& a = kShape[whole];
    const Vector3& b = kShape[whole + 1];
    return Vector3{a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
}

void FruitImpacts::Add(const Vector3& position, float angleDegrees, float strength, int32_t kind, const Fruit* owner,
                       float speed, Random& random, SoundPlayer* sounds) {
    if (m_freeCount < 0) {
        Clear();
    }
    if (strength > kVisceralStrength && random.NextBelow(3) == 0) {
        if (random.NextBelow(3) == 0) {
            PlayOnce(sounds, "Visceral-impact-1");
        } else if ((random.Next() >> 31) != 0) {
            PlayOnce(sounds, "Visceral-impact-2");
        } else {
            PlayOnce(sounds, "Visceral-impact-3");
        }
    }
    if (owner != nullptr) {
        // One streak a fruit: the older ones vanish at the next draw.
        bool first = true;
        for (int i = 0; i < m_count; ++i) {
            FruitImpact& impact = m_records[m_order[i]];
            if (impact.owner != owner) {
                continue;
            }
            if (!first) {
                impact.owner = nullptr;
                impact.time = kEndTime;
            }
            first = false;
        }
    }
    if (m_freeCount == 0) {
        return;
    }
    const int slot = m_free[--m_freeCount];
    m_records[slot] = FruitImpact{0.0f, strength, angleDegrees, position, kind, owner, speed};
    std::copy_backward(m_order, m_order + m_count, m_order + m_count + 1);
    m_order[0] = slot;
    ++m_count;
}

void FruitImpacts::RemoveAt(int index) {
    m_free[m_freeCount++] = m_order[index];
    std::copy(m_order + index + 1, m_order + m_count, m_order + index);
    --m_count;
}

void FruitImpacts::ClearOwners() {
    for (int i = 0; i < m_count; ++i) {
        m_records[m_order[i]].owner = nullptr;
    }
}

void FruitImpacts::Render(float stepSeconds, int pass) {
    const FruitModels& models = FruitModels::Get();
    for (int i = 0; i < m_count;) {
        FruitImpact& impact = m_records[m_order[i]];
        impact.time += stepSeconds * kTimePerSecond * impact.speed * (impact.kind != 0 ? 0.75f : 1.0f);
        if (impact.owner != nullptr) {
            if (impact.owner->sliced) {
                impact.owner = nullptr;
            } else {
                impact.time = kHeldTime;  // waits for its fruit to split
            }
        }
        if (impact.time >= kEndTime) {
            RemoveAt(i);
            continue;
        }
        ++i;
        const bool special = impact.kind == 3;
        if (impact.time <= 0.0f || special != (pass == 1)) {
            continue;
        }
        const MeshModel* model = models.Streak(impact.kind);
        if (model == nullptr) {
            continue;
        }
        Vector3 shape = ShapeAt(impact.time);
        shape = Vector3{shape.x * impact.strength * (impact.kind != 0 ? 0.9f : 1.0f), shape.y * impact.strength,
                        shape.z * impact.strength};
        const Angle turn = AngleFromDegrees(impact.angle);
        const float c = CosLookup(turn);
        const float s = SinLookup(turn);
        // Row vectors: scale, then the turn about z, then the move.
        Matrix4 world;
        world.m[0] = shape.x * c;
        world.m[1] = shape.x * s;
        world.m[4] = -shape.y * s;
        world.m[5] = shape.y * c;
        world.m[10] = shape.z;
        world.m[12] = impact.position.x;
        world.m[13] = impact.position.y;
        world.m[14] = impact.position.z;
        DrawSortedByDepth(*model, world);
    }
}

}  // namespace Varnok
