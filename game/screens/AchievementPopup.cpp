// The unlock banner's texts, slide and confetti.
#include "game/screens/AchievementPopup.h"

#include "engine/core/Random.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/SoundPlayer.h"
#include "game/world/ParticleManager.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

constexpr float kX = -95.0f;
constexpr float kAbove = 48.0f;  // above the top edge before it slides in
constexpr float kDrop = 61.0f;
constexpr float kConfettiStep = 0.125f;
constexpr int kConfettiBursts = 3;

int s_prepared = 0;

void FormatTitle(char* out, size_t size, const char* title) {
    std::snprintf(out, size, "%s", title != nullptr ? title : "");
    for (char* c = out; *c != '\0'; ++c) {
        if (*c >= 'a' && *c <= 'z') {
            *c = static_cast<char>(*c - 'a' + 'A');
        }
    }
}

void FormatPoints(char* out, size_t size, int kind, int32_t points) {
    out[0] = '\0';
    if (kind == AchievementPopup::kAchievement) {
        char all[16];
        std::snprintf(all, sizeof(all), "%i", static_cast<int>(points));
        std::snprintf(out, size, "%.3s", all);
    }
}

}  // namespace

AchievementPopup::AchievementPopup(const char* title, int32_t points, const SmartPtr<Texture>& icon, int kind,
                                   const char* detail)
    : m_kind(kind) {
    m_layerMask = ScreenLayer::Top;
    m_texture = icon;
    FormatTitle(m_title, sizeof(m_title), title);
    if (kind == kItem) {
        std::snprintf(m_detail, sizeof(m_detail), "%s", detail != nullptr ? detail : "");
    }
    m_points = static_cast<uint32_t>(points);
    FormatPoints(m_pointsText, sizeof(m_pointsText), kind, points);
    m_offset = Vector3{kX, LogicalScreenHeight() / 2.0f + kAbove, 0.0f};
    if (SoundPlayer* sounds = GetGameRecord().soundPlayer) {
        sounds->PlayAlways("achievement", 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

void AchievementPopup::PrepareText(const char* title, int32_t points, int kind, const char* detail) {
    char text[kTextBytes];
    FormatTitle(text, sizeof(text), title);
    char pointsText[4];
    FormatPoints(pointsText, sizeof(pointsText), kind, points);
    (void)detail;
    ++s_prepared;
}

int AchievementPopup::PreparedCount() {
    return s_prepared;
}

void AchievementPopup::Update(float stepSeconds) {
    const float before = m_age;
    m_age += stepSeconds;
    const float top = LogicalScreenHeight() / 2.0f + kAbove;
    m_offset.x = kX;
    if (m_age <= kSlideSeconds) {
        const float u = m_age / kSlideSeconds;
        m_offset.y = top - kDrop * u * u;
    } else if (m_age <= kRestEnd) {
        m_offset.y = top - kDrop;
    } else {
        const float u = std::max(0.0f, 1.0f - (m_age - kRestEnd) / kSlideSeconds);
        m_offset.y = top - kDrop * u * u;
        if (m_age > kLifeSeconds) {
            m_age = kLifeSeconds;
            m_finished = true;
        }
    }
    if (m_kind != kItem) {
        return;
    }
    // Three bursts of confetti in the first half second.
    while (m_confettiBursts < kConfettiBursts && before < kConfettiStep * static_cast<float>(m_confettiBursts + 1) &&
           m_age >= kConfettiStep * static_cast<float>(m_confettiBursts + 1)) {
        Random& random = GlobalRandom();
        const float jitter = random.NextFloat() * 20.0f - 10.0f;
        const float drop = static_cast<float>(random.NextBelow(5));
        if (ParticleSystem* system = ParticleManager::Instance().Spawn("confettif", nullptr)) {
            system->position = Vector3{100.0f * static_cast<float>(m_confettiBursts) - 100.0f + jitter,
                                       LogicalScreenHeight() / 2.0f - 25.0f - drop, 0.0f};
            system->scale = 1.0f;
        }
        ++m_confettiBursts;
    }
}

void AchievementPopup::DrawPicture(const SmartPtr<Texture>& texture, float x, float y, float width, float height,
                                   const float tint[3]) {
    if (!texture) {
        return;
    }
    const SmartPtr<Texture> kept = m_texture;
    const Vector3 offset = m_offset;
    const Vector3 scale = m_scale;
    m_texture = texture;
    m_offset = Vector3{x, y, 0.0f};
    m_anchor = Vector3{};
    m_scale = Vector3{width, height, 0.0f};
    SpriteScreenItem::Render(tint);
    m_texture = kept;
    m_offset = offset;
    m_scale = scale;
}

void AchievementPopup::Render(const float tint[3]) {
    const AchievementManager& achievements = AchievementManager::Instance();
    const float x = m_offset.x;
    const float y = m_offset.y;
    DrawPicture(achievements.PanelTexture(), x, y - 16.0f, 257.0f, 65.0f, tint);
    DrawPicture(m_texture, x + 11.0f, y - 10.0f, 36.0f, 36.0f, tint);
    if (m_pointsText[0] != '\0') {
        DrawPicture(achievements.BadgeTexture(), x + 181.0f, y - 8.0f, 32.0f, 32.0f, tint);
    }
}

}  // namespace Varnok
