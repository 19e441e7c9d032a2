// The bonus label's mirror of its power, its flight and its payment.
#include "game/screens/BonusTimeLabel.h"

#include "engine/core/HashName.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameRecord.h"
#include "game/rules/Powers.h"
#include "game/screens/CountdownTimer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

constexpr float kStartSize = 50.0f;
constexpr float kSwell = 30.0f;
constexpr float kEndSize = 32.0f;
constexpr float kSwellStart = 0.03f;
constexpr float kSwellSeconds = 0.3f;
constexpr float kFlyLength = 0.45f;
constexpr float kEaseBase = 0.75f;
constexpr float kEaseFrames = 60.0f;
constexpr float kRound = 0.005f;

float Ease(float t) {
    return EaseOutQuad(std::clamp(t, 0.0f, 1.0f));
}

}  // namespace

BonusTimeLabel::BonusTimeLabel() {
    m_anchor = Vector3{0.0f, 0.25f, 1.0f};
}

void BonusTimeLabel::Update(float dt) {
    CountdownTimer* clock = GetGameRecord().countdownTimer;
    if (m_source != nullptr) {
        m_alpha = std::max(m_alpha, m_colour.a);
        if (const PowerRecord* owner = m_source->owner) {
            for (const auto& effect : owner->subEffects) {
                if (effect->Type() == PowerSubEffect::kBonusTimeType) {
                    m_target = effect->bonusTime;
                    break;
                }
            }
        }
        static const uint32_t kScoreMult = HashName("score_mult", 10);
        m_doubled = m_doubled || PowerManager::Instance().Find(kScoreMult) != nullptr;
        m_startAnchor = m_anchor;
        m_startOffset = m_offset;
    } else {
        if (!m_detachedOnce) {
            m_detachedOnce = true;
            if (m_doubled) {
                m_target *= 2.0f;
                m_doubled = false;
            }
        }
        m_colour.a = m_alpha;
        m_age += dt;
        m_size = kStartSize + kSwell * Ease((m_age - kSwellStart) / kSwellSeconds);
        const float fly = Ease((m_age - kFlySeconds) / kFlyLength);
        m_size += (kEndSize - m_size) * fly;
        if (m_age > kFlySeconds && clock != nullptr) {
            const Vector3 target = clock->m_anchor;
            m_anchor = Vector3{m_startAnchor.x + (target.x - m_startAnchor.x) * fly,
                               m_startAnchor.y + (target.y - m_startAnchor.y) * fly, m_startAnchor.z};
            m_offset = Vector3{m_startOffset.x + (clock->m_offset.x - m_startOffset.x) * fly,
                               m_startOffset.y + (clock->m_offset.y - m_startOffset.y) * fly, m_startOffset.z};
        }
        if (m_age > kDoneSeconds) {
            if (clock != nullptr) {
                clock->m_timeLeft += m_target;
            }
            m_finished = true;
        }
    }
    if (clock != nullptr) {
        clock->m_timeLeft += dt;  // the clock waits while a label is up
    }
    const float goal = m_target + kRound;
    m_shown = goal + std::pow(kEaseBase, kEaseFrames * dt) * (m_shown - goal);
}

void BonusTimeLabel::FormatShown(char* out, int size) const {
    const float shown = std::max(m_shown, 0.0f);
    const int whole = static_cast<int>(shown);
    const int hundredths = static_cast<int>((shown - static_cast<float>(whole)) * 100.0f);
    std::snprintf(out, static_cast<size_t>(size), "+%i:%02i", whole, hundredths);
}

void BonusTimeLabel::Render(const float tint[3]) {
    // The digits need the game's bitmap digit font, which no slot holds yet.
    SpriteScreenItem::Render(tint);
}

}  // namespace Varnok
