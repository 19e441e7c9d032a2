// A mouse made of the touch screen: it follows the newest touch still down
// and reports it as mouse button 1 with the mouse x and y axes.
#pragma once

#include "engine/core/InputDevice.h"

#include <cstdint>

namespace Varnok {

class TouchInputDevice;

class MouseInputDevice : public InputDevice {
public:
    static constexpr int kKind = 8;

    // touches must outlive this device; it is polled after them, so it sees
    // the table they have just latched.
    explicit MouseInputDevice(TouchInputDevice& touches) : m_touches(touches) {}

    void Update(float elapsedSeconds) override;
    // Stops following; the update count goes on.
    void Reset() override;
    int GetKind() const override { return kKind; }

    uint32_t GetTrackedTouchId() const { return m_trackedId; }

private:
    TouchInputDevice& m_touches;
    uint32_t m_trackedId = 0;  // 0: none
    float m_lastX = 0.0f;
    float m_lastY = 0.0f;
    uint32_t m_updateCount = 0;  // the time stamp of this device's events
};

}  // namespace Varnok
