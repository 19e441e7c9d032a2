// The modes' shared bomb reaction and the HUD pop-up helpers.
#include "game/rules/InGameMode.h"

#include "engine/core/AsciiString.h"
#include "engine/core/Random.h"
#include "engine/ui/Component.h"
#include "engine/ui/UIManager.h"
#include "game/rules/GameRecord.h"
#include "game/rules/VoiceOverManager.h"

#include <cmath>
#include <cstdio>

namespace Varnok {

namespace {

constexpr float kBombLineDelaySeconds = 1.0f;
constexpr float kPopupMargin = 70.0f;
constexpr float kPopupSpacing = 70.0f;
constexpr float kPopupPull = 15.0f;  // per second

UIProperty<Vector3>* PositionOf(Component& element) {
    return element.GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{});
}

}  // namespace

void InGameMode::OnBombHit(const Vector3& /*position*/) {
    if (hud != nullptr) {
        if (Component* pause = hud->FindChild(AsciiString("pause"))) {
            pause->PlayAnimation(AsciiString("animate_out"), true);
        }
    }
    VoiceOverManager* voice = GetGameRecord().voiceOver;
    if (voice != nullptr) {
        voice->PlayBomb(kBombLineDelaySeconds, 1.0f, SoundCompletion(&VoiceOverNoCompletion));
    }
}

void InGameMode::ShowPopupAt(Component* element, const Vector3& worldPosition, int trigger) {
    if (element == nullptr) {
        return;
    }
    static const AsciiString kTriggers[6] = {AsciiString("trigger0"), AsciiString("trigger1"), AsciiString("trigger2"),
                                             AsciiString("trigger3"), AsciiString("trigger4"), AsciiString("trigger")};
    PositionOf(*element)->Set(Vector3{worldPosition.x, -worldPosition.y, worldPosition.z});
    element->GetEnabledProperty()->Set(true);
    element->StopAllAnimations(true);
    element->PlayAnimation(kTriggers[trigger >= 0 && trigger <= 4 ? trigger : 5], true);
}

void SetLabelTopValue(Component* element, int value) {
    if (element == nullptr) {
        return;
    }
    static const AsciiString kLabelTop("labelTop");
    Component* label = element->FindChild(kLabelTop);
    if (label == nullptr) {
        return;
    }
    label->GetOrAddProperty<int>(AsciiString("value"), 0)->Set(value);
    char text[16];
    std::snprintf(text, sizeof(text), "%d", value);
    label->SetText(AsciiString(text));
}

void KeepObjectsOnScreen(const std::vector<Component*>& popups, float stepSeconds) {
    const Vector2& size = UIManager::Get().GetScreenSize();
    KeepObjectsOnScreen(popups, stepSeconds, size.x, size.y);
}

void KeepObjectsOnScreen(const std::vector<Component*>& popups, float stepSeconds, float screenWidth,
                         float screenHeight) {
    const float left = kPopupMargin - screenWidth / 2.0f;
    const float right = screenWidth / 2.0f - kPopupMargin;
    const float bottom = kPopupMargin - screenHeight / 2.0f;
    const float top = screenHeight / 2.0f - kPopupMargin;
    auto shown = [](const Component* c) { return c != nullptr && c->IsActive() && c->IsEnabled(); };
    for (Component* element : popups) {
        if (!shown(element)) {
            continue;
        }
        UIProperty<Vector3>* property = PositionOf(*element);
        const Vector3 p = property->Get();
        Vector3 over;
        over.x = p.x < left ? left - p.x : (p.x > right ? right - p.x : 0.0f);
        over.y = p.y < bottom ? bottom - p.y : (p.y > top ? top - p.y : 0.0f);
        Vector3 correction = Scale(over, -stepSeconds * kPopupPull);
        for (Component* other : popups) {
            if (other == element || !shown(other)) {
                continue;
            }
            const Vector3 q = PositionOf(*other)->Get();
            Vector3 d = Subtract(q, p);
            const float d2 = d.x * d.x + d.y * d.y + d.z * d.z;
            if (!(d2 < kPopupSpacing * kPopupSpacing)) {
                continue;
            }
            float distance = 1.0f;
            Vector3 direction;
            if (d2 == 0.0f) {
                const Angle a = static_cast<Angle>(GlobalRandom().NextBelow(65338));
                direction = Vector3{SinLookup(a), CosLookup(a), 0.0f};
            } else {
                distance = std::sqrt(d2);
                direction = Scale(d, 1.0f / distance);
            }
            correction = Add(correction, Scale(direction, (kPopupSpacing - distance) * stepSeconds * kPopupPull));
        }
        property->Set(Subtract(p, correction));
    }
}

}  // namespace Varnok
