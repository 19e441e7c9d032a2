// The pop-up's life: open, count down, hide.
#include "game/screens/HudPopup.h"

#include "engine/core/Random.h"
#include "engine/render/TextureImage.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/SoundPlayer.h"
#include "game/rules/VoiceOverManager.h"
#include "game/screens/GameHud.h"
#include "game/screens/ScreenList.h"
#include "game/world/Fruit.h"
#include "game/world/GameCamera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Varnok {

namespace {

constexpr float kRisingSeconds = 1.81f;
constexpr float kShownSeconds = 1.66f;  // the first 0.15 s of a 1.81 s life are a delay
constexpr float kUltraRareSpeed = 0.5f;
constexpr float kRepelDistance = 70.0f;  // times the camera zoom squared
constexpr float kRepelRate = 15.0f;
constexpr float kRestingSize = 0.65f;
constexpr float kSoundWeight = 0.25f;
constexpr float kVoiceDelay = 0.4f;
constexpr int kMaxComboSound = 8;

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
    m_texture = GameHud::GetPicture(GameHud::kCritical);
    if (m_texture) {
        const float side = static_cast<float>(m_texture->GetDescription().apparentWidth / 2 + 1);
        m_scale = Vector3{side, side, 0.0f};
    } else {
        m_scale = Vector3{65.0f, 65.0f, 0.0f};
    }
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
    float step = stepSeconds * m_speed;
    if (m_rising) {
        GameHud::NoteRising();
        Repel(stepSeconds);
        step = stepSeconds * GameHud::FrameFactor() * m_speed;
    }
    if (GetGameRecord().paused || !(m_timeLeft > 0.0f)) {
        return;
    }
    const float before = m_timeLeft;
    m_timeLeft -= step;
    m_offset.z = 0.0f;
    if (m_rising && before >= kShownSeconds && m_timeLeft < kShownSeconds) {
        Announce();
    }
    if (m_timeLeft <= 0.0f) {
        if (m_onRemoved) {
            m_onRemoved(this);
        }
        m_visible = false;
    }
}

void HudPopup::Repel(float stepSeconds) {
    const GameCamera* camera = GetGameRecord().camera;
    const float zoom = camera != nullptr ? camera->zoom : 1.0f;
    const float reach = kRepelDistance * zoom * zoom;
    Vector3 push;
    for (int i = 0; i < GameHud::GetCount(); ++i) {
        const HudPopup* other = GameHud::GetPopup(i);
        if (other == this || !other->m_visible) {
            continue;
        }
        float dx = m_offset.x - other->m_offset.x;
        float dy = m_offset.y - other->m_offset.y;
        const float distance = std::sqrt(dx * dx + dy * dy);
        if (!(distance < reach)) {
            continue;
        }
        if (distance > 0.0f) {
            dx /= distance;
            dy /= distance;
        } else {
            // On top of each other: apart in any direction.
            const Angle angle = static_cast<Angle>(GlobalRandom().Next() >> 16);
            dx = CosLookup(angle);
            dy = SinLookup(angle);
        }
        const float strength = (reach - distance) * stepSeconds * kRepelRate;
        push.x += dx * strength;
        push.y += dy * strength;
    }
    m_offset.x += push.x;
    m_offset.y += push.y;
}

const char* HudPopup::AnnouncementSound(char* buffer, int size) const {
    if (!m_isCombo) {
        return "New-best-score";
    }
    std::snprintf(buffer, static_cast<size_t>(size), "combo-%i", std::clamp(m_comboSize - 2, 1, kMaxComboSound));
    return buffer;
}

void HudPopup::Announce() {
    ++m_announcements;
    GameRecord& game = GetGameRecord();
    if (m_playSound && game.soundPlayer != nullptr) {
        char buffer[16];
        const char* name = AnnouncementSound(buffer, sizeof(buffer));
        game.soundPlayer->PauseSound(name);
        game.soundPlayer->Play(name, kSoundWeight, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
    if (m_playVoice && game.voiceOver != nullptr) {
        if (m_isCombo) {
            game.voiceOver->PlayCombo(kVoiceDelay, 1.0f, SoundCompletion(&VoiceOverNoCompletion));
        } else {
            game.voiceOver->PlayComboDelegate(kVoiceDelay, 1.0f, SoundCompletion(&VoiceOverNoCompletion));
        }
    }
}

float HudPopup::PulseScale(float timeLeft) {
    // Six quarter turns over the shown life: it pops up, settles at 0.65 of
    // its size and pops out.
    const float quarters = std::clamp(timeLeft / kShownSeconds * 6.0f, 0.0f, 6.0f);
    const float wave = std::fabs(std::sin(quarters * kPi / 2.0f));
    if (quarters < 1.0f || quarters >= 5.0f) {
        return wave;
    }
    if (quarters < 2.0f || quarters >= 4.0f) {
        return std::max(kRestingSize, wave);
    }
    return kRestingSize;
}

void HudPopup::ShowPicture(const Vector3& position, const SmartPtr<Texture>& picture) {
    Open();
    m_texture = picture;
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
    m_texture = GameHud::GetPicture(GameHud::kDroppedFruit);
    m_timeLeft = kDroppedSeconds;
    m_shakeFrames = count >= 1 ? kShakeFrames : 0;
    m_scale = Vector3{kDroppedSize, kDroppedSize, kDroppedSize};
    m_offset.x = KeepInside(position.x, kDroppedSize / 2.0f, LogicalScreenWidth());
    m_offset.y = KeepInside(position.y, kDroppedSize / 2.0f, LogicalScreenHeight());
}

void HudPopup::ShowBean(const Vector3& position, bool bonus) {
    ShowPicture(position, GameHud::GetPicture(bonus ? GameHud::kBeanBonus : GameHud::kBean));
}

void HudPopup::ShowUltraRareBonus(const Vector3& position) {
    ShowPicture(position, GameHud::GetPicture(GameHud::kUltraRare));
    m_speed = kUltraRareSpeed;
}

void HudPopup::ShowUltraRareBonusAtNextFree(const Vector3& position) {
    if (HudPopup* popup = GameHud::NextFreePopup()) {
        popup->ShowUltraRareBonus(position);
    }
}

void HudPopup::Render(const float tint[3]) {
    if (!m_rising || m_timeLeft > kShownSeconds) {
        return;
    }
    const Vector3 offset = m_offset;
    const Vector3 scale = m_scale;
    const uint8_t alpha = m_colour.a;
    if (m_shakeFrames > 0) {
        m_offset.x += static_cast<float>(static_cast<int>(GlobalRandom().Next() >> 29) - 4);
        m_offset.y += static_cast<float>(static_cast<int>(GlobalRandom().Next() >> 29) - 4);
        --m_shakeFrames;
    }
    const float pulse = PulseScale(m_timeLeft);
    m_scale = Vector3{scale.x * pulse, scale.y * pulse, scale.z * pulse};
    const ScreenList* list = GameHud::GetList();
    if (list != nullptr && list->m_popupAlpha < 1.0f) {
        m_colour.a = static_cast<uint8_t>(std::clamp(static_cast<float>(alpha) * list->m_popupAlpha, 0.0f, 255.0f));
    }
    SpriteScreenItem::Render(tint);
    m_offset = offset;
    m_scale = scale;
    m_colour.a = alpha;
}

}  // namespace Varnok
