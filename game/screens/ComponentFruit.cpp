// ComponentFruit's class record, properties and placement rules.
#include "game/screens/ComponentFruit.h"

#include "game/rules/GameFunctions.h"

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace {

constexpr float kLaunchSpinShare = 0.2f;
constexpr float kMinSpinX = 0.75f;
constexpr float kMinSpinY = 0.5f;

float AtLeast(float value, float least) {
    const float size = std::max(std::fabs(value), least);
    return value < 0.0f ? -size : size;
}

}  // namespace

const ComponentClassInfo& ComponentFruit::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentFruit", ComponentClassInfo::kNextFreeId,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentFruit::ComponentFruit()
    : m_fruitType(GetOrAddProperty<AsciiString>(AsciiString("fruittype"), AsciiString(""))),
      m_fruitScale(GetOrAddProperty<float>(AsciiString("fruitscale"), 0.0f)),
      m_rotationSpeed(GetOrAddProperty<Rotation>(AsciiString("rotationspeed"), Rotation{})),
      m_recreate(GetOrAddProperty<bool>(AsciiString("recreate"), false)),
      m_tutorialStart(GetOrAddProperty<bool>(AsciiString("tutorialStart"), false)),
      m_shadowOffset(GetOrAddProperty<Vector3>(AsciiString("fruitShadowOffset"), Vector3{})) {
    SetClassInfo(GetStaticClassInfo());
}

bool ComponentFruit::RespondsToBackButton() const {
    const UIProperty<bool>* responds = FindProperty<bool>(AsciiString("respondsToBackButton"));
    return responds != nullptr && responds->Get();
}

Vector3 ComponentFruit::MenuSpinFromLaunch(const Vector3& launchSpin) {
    return Vector3{AtLeast(launchSpin.x * kLaunchSpinShare, kMinSpinX),
                   AtLeast(launchSpin.y * kLaunchSpinShare, kMinSpinY), launchSpin.z * kLaunchSpinShare};
}

Vector3 ComponentFruit::UiToLogical(const Vector3& uiPosition, const Vector2& uiScreenSize) {
    if (!(uiScreenSize.x > 0.0f) || !(uiScreenSize.y > 0.0f)) {
        return Vector3{0.0f, 0.0f, uiPosition.z};
    }
    return Vector3{(uiPosition.x / uiScreenSize.x - 0.5f) * LogicalScreenWidth(),
                   -((uiPosition.y / uiScreenSize.y - 0.5f) * LogicalScreenHeight()), uiPosition.z};
}

}  // namespace Varnok
