// The hint's wait and target.
#include "game/screens/SwipeHint.h"

namespace Varnok {

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
    m_timer += stepSeconds;
}

}  // namespace Varnok
