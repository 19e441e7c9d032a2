// ComponentBackgroundControl's class record and its scroll.
#include "game/screens/ComponentBackgroundControl.h"

#include "engine/ui/UIManager.h"
#include "game/rules/GameRecord.h"

namespace Varnok {

const ComponentClassInfo& ComponentBackgroundControl::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentBackgroundControl", ComponentClassInfo::kNextFreeId,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentBackgroundControl::ComponentBackgroundControl()
    : m_target(GetOrAddProperty<Vector2>(AsciiString("backgroundtarget"), Vector2{})),
      m_moveScale(GetOrAddProperty<float>(AsciiString("movescale"), 0.0f)),
      m_moveStart(GetGameRecord().backgroundPos) {
    SetClassInfo(GetStaticClassInfo());
}

void ComponentBackgroundControl::BeginMove() {
    GameRecord& game = GetGameRecord();
    m_moveStart = game.backgroundPos;
    game.backgroundTarget = m_target->Get();
}

void ComponentBackgroundControl::ResetStart() {
    m_moveStart = GetGameRecord().backgroundPos;
}

void ComponentBackgroundControl::OnPropertyChanged(UIPropertyBase* property) {
    ComponentVisual::OnPropertyChanged(property);
    if (property == m_target) {
        BeginMove();
    } else if (property == GetEnabledProperty()) {
        ResetStart();
    }
}

void ComponentBackgroundControl::Update(float dt) {
    ComponentVisual::Update(dt);
    GameRecord& game = GetGameRecord();
    const Vector2 target = m_target->Get();
    const Vector2 offset = game.backgroundPos;
    const float scale = m_moveScale->Get();
    if (scale >= 0.0f) {
        game.backgroundTarget = Vector2{m_moveStart.x + scale * (target.x - m_moveStart.x),
                                        m_moveStart.y + scale * (target.y - m_moveStart.y)};
    }
    const UITransform world = GetWorldTransform();
    const float verticalScale = world.m[5];
    const float screenHeight = UIManager::Get().GetScreenSize().y;
    const float height = m_height->Get();
    const Vector3 place{target.x - offset.x, target.y - offset.y + (screenHeight - height * verticalScale) / 2.0f, 0.0f};
    const Vector3 now = m_position->Get();
    if (now.x != place.x || now.y != place.y || now.z != place.z) {
        m_position->Set(place);
    }
}

}  // namespace Varnok
