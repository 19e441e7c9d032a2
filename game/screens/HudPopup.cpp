// The pop-up's life: open, count down, hide.
#include "game/screens/HudPopup.h"

#include "engine/render/TextureImage.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/screens/GameHud.h"
#include "game/world/Fruit.h"

#include <algorithm>

namespace Varnok {

namespace {

constexpr float kRisingSeconds = 1.81f;
constexpr float kUltraRareSpeed = 0.5f;

// Keeps a box of that half size inside the logical screen, centred on 0.
float KeepInside(float value, float half, float screenSize) {
    const float limit = std::max(screenSize / 2.0f - half, 0.0f);
    return std::clamp(value, -limit, limit);
}

}  // namespace

HudPopup::HudPopup() {
    m_closeLocked = true;
    m_visible = false;
    // Fruit sit below the screens and cannot reach the pool themselves; any
    // pop-up of the pool installs the way in (it finds no pool once gone).
    Fruit::SetUltraRareBonusHandler(&HudPopup::ShowUltraRareBonusAtNextFree);
}

void HudPopup::Open() {
    m_visible = true;
    m_playSound = true;
    m_playVoice = true;
    m_showDigits = false;
    m_layerMask = ScreenLayer::Default;
    m_rising = false;
    m_rotation = 0.0f;
    m_finished = false;
    m_isCombo = false;
    m_speed = 1.0f;
    m_timeLeft = 0.0f;
    m_comboSize = 0;
    m_scale = Vector3{65.0f, 65.0f, 0.0f};
    Reset();
}

void HudPopup::Reset() {
    m_colour = Colour(255, 255, 255, 255);
    m_shakeFrames = 0;
    if (m_timeLeft > 0.0f) {
        m_colour.a = 0;
        m_visible = false;
    }
}

void HudPopup::Update(float stepSeconds) {
    if (GetGameRecord().paused || !(m_timeLeft > 0.0f)) {
        return;
    }
    m_timeLeft -= stepSeconds * m_speed;
    m_offset.z = 0.0f;
    if (m_timeLeft <= 0.0f) {
        if (m_onRemoved) {
            m_onRemoved(this);
        }
        m_visible = false;
    }
}

void HudPopup::ShowPicture(const Vector3& position, const char* texture) {
    Open();
    LoadLocalizedTexture(m_texture, texture);
    m_rising = true;
    m_timeLeft = kRisingSeconds;
    m_colour.a = 255;
    // A missing picture keeps the open size and draws nothing.
    float halfWidth = m_scale.x / 2.0f;
    float halfHeight = m_scale.y / 2.0f;
    if (m_texture.Get() != nullptr) {
        const TextureDescription& d = m_texture->GetDescription();
        halfWidth = static_cast<float>((d.apparentWidth + 1) / 2);
        halfHeight = static_cast<float>((d.apparentHeight + 1) / 2);
    }
    m_offset = Vector3{KeepInside(position.x, halfWidth, LogicalScreenWidth()),
                       KeepInside(position.y, halfHeight, LogicalScreenHeight()), position.z};
    m_scale = Vector3{2.0f * halfWidth, 2.0f * halfHeight, 0.0f};
}

void HudPopup::ShowIcon(const Vector3& position, int count, const SmartPtr<Texture>& icon) {
    constexpr float kIconSeconds = 1.81f;
    constexpr float kDroppedSeconds = 1.66f;
    constexpr float kDroppedSize = 62.0f;
    constexpr uint16_t kShakeFrames = 30;
    Open();
    m_offset = position;
    m_colour.a = 255;
    m_rising = true;
    if (icon) {
        m_texture = icon;
        m_playSound = false;
        m_timeLeft = kIconSeconds;
        const TextureDescription& d = icon->GetDescription();
        m_scale = Vector3{static_cast<float>(d.apparentWidth + 1), static_cast<float>(d.apparentHeight + 1), 0.0f};
        return;
    }
    LoadLocalizedTexture(m_texture, "effects/hud_dropped_fruit.tex");
    m_timeLeft = kDroppedSeconds;
    m_shakeFrames = count >= 1 ? kShakeFrames : 0;
    m_scale = Vector3{kDroppedSize, kDroppedSize, kDroppedSize};
    m_offset.x = KeepInside(position.x, kDroppedSize / 2.0f, LogicalScreenWidth());
    m_offset.y = KeepInside(position.y, kDroppedSize / 2.0f, LogicalScreenHeight());
}

void HudPopup::ShowBean(const Vector3& position, bool bonus) {
    ShowPicture(position, bonus ? "effects/hud_bean_bonus.tex" : "effects/hud_bean.tex");
}

void HudPopup::ShowUltraRareBonus(const Vector3& position) {
    ShowPicture(position, "effects/ultra_rare_plus_50.tex");
    m_speed = kUltraRareSpeed;
}

void HudPopup::ShowUltraRareBonusAtNextFree(const Vector3& position) {
    if (HudPopup* popup = GameHud::NextFreePopup()) {
        popup->ShowUltraRareBonus(position);
    }
}

void HudPopup::Render(const float tint[3]) {
    if (m_rising) {
        SpriteScreenItem::Render(tint);
    }
}

}  // namespace Varnok
