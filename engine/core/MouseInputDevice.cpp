// Following one touch as the mouse.
#include "engine/core/MouseInputDevice.h"

#include "engine/core/TouchInputDevice.h"

namespace Varnok {

void MouseInputDevice::Update(float /*elapsedSeconds*/) {
    const uint32_t stamp = ++m_updateCount;
    const TouchPoint* followed = nullptr;
    bool isNew = false;
    if (m_trackedId != 0) {
        for (int i = 0; i < kTouchSlotCount; ++i) {
            if (m_touches.GetSlot(i).id == m_trackedId) {
                followed = &m_touches.GetSlot(i);
                break;
            }
        }
        if (followed == nullptr || !followed->IsDown()) {
            SendButtonEvent(InputCode::kMouseButton1, InputEvent::kReleased, 1.0f, stamp);
            SendButtonEvent(InputCode::kMouseButton1, InputEvent::kUp, 1.0f, stamp);
            m_trackedId = 0;
            return;
        }
    } else {
        // Adopt the newest touch still down.
        for (int i = 0; i < kTouchSlotCount; ++i) {
            const TouchPoint& slot = m_touches.GetSlot(i);
            if (slot.IsDown() && (followed == nullptr || slot.id > followed->id)) {
                followed = &slot;
            }
        }
        if (followed == nullptr) {
            SendButtonEvent(InputCode::kMouseButton1, InputEvent::kUp, 1.0f, stamp);
            return;
        }
        m_trackedId = followed->id;
        isNew = true;
    }
    const float x = followed->x;
    const float y = followed->y;
    SendAxisEvent(InputCode::kMouseAxisX, InputEvent::kMoved, x, x - m_lastX, stamp);
    SendAxisEvent(InputCode::kMouseAxisY, InputEvent::kMoved, y, y - m_lastY, stamp);
    if (isNew) {
        SendButtonEvent(InputCode::kMouseButton1, InputEvent::kPressed, 1.0f, stamp);
    }
    SendButtonEvent(InputCode::kMouseButton1, InputEvent::kDown, 1.0f, stamp);
    m_lastX = x;
    m_lastY = y;
}

void MouseInputDevice::Reset() {
    m_trackedId = 0;
    m_lastX = 0.0f;
    m_lastY = 0.0f;
}

}  // namespace Varnok
