// The run flag and the rate ring of the frame-rate controller.
#include "engine/iOS/FrameRateController.h"

#include "engine/core/AsciiString.h"
#include "engine/core/DevicePropertyMap.h"
#include "engine/core/DeviceSettings.h"

#include <algorithm>
#include <cstdio>

namespace Varnok {

FrameRateController& FrameRateController::Get() {
    static FrameRateController controller;
    return controller;
}

void FrameRateController::Init() {
    m_running = true;
    m_quitRequest = kQuitNone;
    m_totalTime = 0.0f;
    m_lastStep = 0.0f;
    if (DevicePropertyMap::Instance() == nullptr) {
        DevicePropertyMap::Rebuild();
    }
    AsciiString identifier;
    const char* found = nullptr;
    if (Varnok::GetDeviceIdentifier(identifier)) {
        found = identifier.c_str();
    } else {
        found = DevicePropertyMap::Get(DevicePropertyMap::Instance(),
                                       DevicePropertyMap::kDeviceIdentifier);
    }
    if (found != nullptr) {
        snprintf(m_deviceIdentifier, sizeof(m_deviceIdentifier), "%s", found);
    }
}

void FrameRateController::Shutdown() {
    DevicePropertyMap::Destroy();
}

bool FrameRateController::Tick(float stepSeconds) {
    // A negative or NaN step counts as none.
    const float step = stepSeconds > 0.0f ? stepSeconds : 0.0f;
    m_lastStep = step;
    m_totalTime += step;

    // A step under 1/32767 s would not fit the rate's 16 bits.
    const float rate = step > 0.0f ? std::min(1.0f / step, 32767.0f) : 0.0f;
    m_currentRate = static_cast<int16_t>(rate);

    m_ring[m_writePosition] = m_currentRate;
    m_writePosition = static_cast<uint8_t>((m_writePosition + 1) % kRingSize);
    m_fillMark = std::max(m_fillMark, m_writePosition);

    // Until the ring wraps, the position at the fill mark is the next to be
    // written and still counts with its old value.
    int16_t lowest = m_ring[0];
    int16_t highest = m_ring[0];
    unsigned sum = 0;
    for (int i = 0; i <= m_fillMark; ++i) {
        lowest = std::min(lowest, m_ring[i]);
        highest = std::max(highest, m_ring[i]);
        sum += static_cast<unsigned>(m_ring[i]);
    }
    m_minimumRate = lowest;
    m_maximumRate = highest;
    m_averageRate = static_cast<int16_t>(sum / (static_cast<unsigned>(m_fillMark) + 1u));
    return m_running;
}

void FrameRateController::Reset() {
    m_running = false;
}

}  // namespace Varnok
