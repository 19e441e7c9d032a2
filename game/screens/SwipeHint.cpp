// The hint's wait and target.
#include "game/screens/SwipeHint.h"

#include "engine/ui/ComponentVisual.h"
#include "engine/ui/UIManager.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/screens/ScreenList.h"

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace {

constexpr float kParked = -1000.0f;
constexpr float kMenusUp = 0.99f;  // |menu phase| above it: the menus are fully up
constexpr float kFadeInEnd = 0.35f;
constexpr float kPressStart = 0.6f;
constexpr float kPressEnd = 2.25f;
constexpr float kEndSeconds = 2.75f;
constexpr float kLift = 20.0f;  // workspace units above the sweep
constexpr float kWorkspaceCentreX = 240.0f;

}  // namespace

SwipeHint::SwipeHint() {
    m_layerMask = ScreenLayer::Powers;
}

void SwipeHint::SetTarget(Component* target) {
    if (target != nullptr) {
        m_target = target;
    }
    m_timer = -kWaitSeconds;
}

void SwipeHint::OnTargetTouched(Component* target) {
    if (!(m_timer < 0.0f)) {
        return;
    }
    if (target != nullptr) {
        m_target = target;
    }
    m_timer += kTouchAdvanceSeconds;
    if (m_timer > 0.0f) {
        m_timer = 0.0f;
    }
}

void SwipeHint::Update(float stepSeconds) {
    m_layerMask = ScreenLayer::Powers;
    m_hintOffset = Vector3{kParked, kParked, kParked};
    m_hintColour = Colour(0, 0, 0, 0);
    m_pressed = false;
    const GameRecord& game = GetGameRecord();
    const ScreenList* list = game.screenList;
    const bool menusUp = std::fabs(game.menuPhase) > kMenusUp || (list != nullptr && list->m_popupAlpha < 1.0f);
    const float k = WorkspaceFactor();
    const float size = m_targetSize;
    Vector3 hint;
    if (!menusUp) {
        m_timer = -kWaitSeconds;
    } else if (m_timer < kEndSeconds) {
        m_timer += stepSeconds;
        const float t = m_timer;
        const float v = std::max(0.0f, 2.0f * (t - 1.0f));
        hint = Vector3{-size * (v - 0.5f) * k, size * (0.15f * v - 0.075f) * k, 0.0f};
        m_pressed = true;
        if (t > 0.0f) {
            m_hintColour = Colour(255, 255, 255, 255);
            if (t < kFadeInEnd) {
                m_hintColour.a = static_cast<uint8_t>(255.0f * t / kFadeInEnd);
                m_pressed = false;
                hint.y -= kLift * k;
            } else if (t < kPressStart) {
                m_pressed = false;
                hint.y += -kLift * k + 80.0f * k * (t - kFadeInEnd);
            } else if (t < kPressEnd) {
                // Sweeping across the target, pressed.
            } else if (t < kEndSeconds) {
                m_hintColour.a = static_cast<uint8_t>(std::clamp(255.0f - 508.0f * (t - kPressEnd), 0.0f, 255.0f));
                m_pressed = false;
                hint.y -= kLift * k;
            } else {
                m_pressed = false;
                hint.y -= kLift * k;
                m_timer = -kWaitSeconds;
            }
        }
    }
    if (m_target == nullptr) {
        m_timer = -kWaitSeconds;
        return;
    }
    UpdateTargetPosition();
    if (m_target == nullptr) {
        return;
    }
    m_hintOffset = Vector3{k * m_targetPosition.x - LogicalScreenWidth() / 2.0f + hint.x,
                           -(k * m_targetPosition.y - LogicalScreenHeight() / 2.0f + hint.y),
                           k * m_targetPosition.z + hint.z};
}

void SwipeHint::UpdateTargetPosition() {
    if (m_target == nullptr) {
        return;
    }
    for (const Component* c = m_target; c != nullptr; c = c->GetParent()) {
        if (!c->IsInputEnabled()) {
            m_target = nullptr;
            return;
        }
    }
    auto* visual = dynamic_cast<ComponentVisual*>(m_target);
    if (visual == nullptr) {
        m_target = nullptr;
        return;
    }
    m_targetPosition = visual->GetWorldPosition();
    const Vector3& scale = visual->GetWorldScale();
    m_targetSize = std::max(visual->GetWidth() * scale.x, visual->GetHeight() * scale.y);
    m_mirrored = m_targetPosition.x > kWorkspaceCentreX;
}

float SwipeHint::WorkspaceFactor() {
    const float height = UIManager::Get().GetWorkspaceSize().y;
    return height > 0.0f ? LogicalScreenHeight() / height : 1.0f;
}

}  // namespace Varnok
