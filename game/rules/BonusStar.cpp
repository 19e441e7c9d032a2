// The star's flight and payment.
#include "game/rules/BonusStar.h"

#include "engine/core/MathUtil.h"
#include "engine/text/BitmapFont.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/Powers.h"
#include "game/world/ParticleManager.h"

#include <algorithm>
#include <cstdio>

namespace Varnok {

namespace {

constexpr float kRise = 70.0f;
constexpr float kSideways = 150.0f;
constexpr float kSidewaysStart = 1.05f;
constexpr float kShrinkSeconds = 0.2f;
constexpr float kNearQuarterTurn = 16380.0f;
constexpr Angle kOvershootAngle = 20566;
constexpr float kGrownScale = 1.35f;
constexpr float kNumberSize = 35.0f;
constexpr float kNumberLift = 10.0f;
constexpr int kPendingFont = 2;
constexpr int kPaidFont = 12;

}  // namespace

void BonusStarItem::Release(int32_t pointsToPay) {
    m_points = pointsToPay;
    m_startPosition = m_offset;
    m_owner = nullptr;
}

void BonusStarItem::PayOut() {
    SetPointsModifier(PointsModifier());
    AddPoints(m_points, 0, 0);
    PowerManager::Instance().RefreshPointsHook();
    m_pending = 0;
}

void BonusStarItem::Update(float stepSeconds) {
    if (m_owner != nullptr) {
        m_pending = m_owner->deferedPoints;
        return;
    }
    if (GetGameRecord().paused) {
        return;
    }
    const float before = m_timer;
    const float t = m_timer + stepSeconds;
    m_timer = t;
    const float a = std::clamp(t / kRiseSeconds, 0.0f, 1.0f);
    const float g = 1.0f - (1.0f - a) * (1.0f - a);
    if (m_points == 0) {
        m_offset = Vector3{m_startPosition.x, m_startPosition.y + kRise * g, m_startPosition.z};
        if (g > 0.99f) {
            m_finished = true;
        }
        return;
    }
    const float b = std::clamp(4.0f * (t - kSidewaysStart), 0.0f, 1.0f);
    m_offset = Vector3{m_startPosition.x - kSideways * b * b, m_startPosition.y - kRise * g, m_startPosition.z};
    if (t < kImpactSeconds) {
        const float c = std::clamp((t - kRiseSeconds) / kShrinkSeconds, 0.0f, 1.0f);
        m_numberScale = SinLookup(static_cast<Angle>(static_cast<int32_t>((1.0f - c) * kNearQuarterTurn)));
    } else {
        if (before < kImpactSeconds) {
            if (ParticleSystem* burst = ParticleManager::Instance().Spawn(kImpactParticles, nullptr)) {
                burst->position = Vector3{m_offset.x, m_offset.y + kNumberLift, m_offset.z};
            }
        }
        const float c = std::clamp((t - kImpactSeconds) / kShrinkSeconds, 0.0f, 1.0f);
        const Angle angle = static_cast<Angle>(static_cast<int32_t>(c * static_cast<float>(kOvershootAngle)));
        m_numberScale = kGrownScale * SinLookup(angle) / SinLookup(kOvershootAngle);
    }
    if (t > kPaySeconds && m_pending >= 1) {
        PayOut();
    }
    if (t > kEndSeconds) {
        m_finished = true;
    }
}

void BonusStarItem::OnBeforeSave() {
    if (m_owner == nullptr && m_pending >= 1) {
        PayOut();
    }
}

void BonusStarItem::Reset() {
    m_pending = 0;
    m_points = 0;
    m_finished = true;
}

void BonusStarItem::Render(const float tint[3]) {
    m_colour = Colour(255, 255, 255, 255);
    SpriteScreenItem::Render(tint);
    const bool beforeImpact = m_timer < kImpactSeconds;
    BitmapFont* font = GetGameRecord().bitmapFonts[beforeImpact ? kPendingFont : kPaidFont];
    if (font == nullptr) {
        return;  // the number needs a bitmap font in its slot
    }
    char number[32];
    std::snprintf(number, sizeof(number), "%i", static_cast<int>(beforeImpact ? m_pending : m_points));
    BitmapTextDef def;
    const Vector3 position = GetLogicalPosition();
    def.x = position.x;
    def.y = position.y + kNumberLift;
    def.z = position.z;
    def.colour = beforeImpact ? Colour(20, 150, 20, 255) : Colour(255, 255, 255, 255);
    def.scale = kNumberSize * m_numberScale / def.lineHeight;
    def.flags = 15;
    BitmapFont::DrawText(font, number, def);
}

}  // namespace Varnok
