// The accelerometer holder and its sampling timer.
#include "engine/core/AccelerometerDevice.h"

#include <cmath>

namespace Varnok {

namespace {

void CopyOut(const float* from, float* outX, float* outY, float* outZ) {
    if (outX != nullptr) {
        *outX = from[0];
    }
    if (outY != nullptr) {
        *outY = from[1];
    }
    if (outZ != nullptr) {
        *outZ = from[2];
    }
}

}  // namespace

AccelerationListener::AccelerationListener(AccelerometerDevice& device, float intervalSeconds)
    : m_device(device),
      m_intervalSeconds(intervalSeconds > 0.0f ? intervalSeconds
                                               : AccelerometerDevice::kUpdateIntervalSeconds) {}

void AccelerationListener::AdvanceClock(float elapsedSeconds) {
    if (!(elapsedSeconds > 0.0f) || !std::isfinite(elapsedSeconds)) {
        return;
    }
    m_sinceSampleSeconds += elapsedSeconds;
    if (m_sinceSampleSeconds < m_intervalSeconds) {
        return;
    }
    const float due = std::floor(m_sinceSampleSeconds / m_intervalSeconds);
    m_sinceSampleSeconds -= due * m_intervalSeconds;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    m_device.GetSensorReading(&x, &y, &z);
    m_device.Store(x, y, z);
    if (due >= 2.0f) {
        m_device.Store(x, y, z);  // the reading did not change between those samples
    }
}

AccelerometerDevice& AccelerometerDevice::Get() {
    static AccelerometerDevice device;
    return device;
}

AccelerometerDevice::AccelerometerDevice() = default;
AccelerometerDevice::~AccelerometerDevice() = default;

int AccelerometerDevice::GetAcceleration(float* outX, float* outY, float* outZ) {
    if (!m_started) {
        StartListener(kUpdateIntervalSeconds);
        m_started = true;
    }
    CopyOut(m_current, outX, outY, outZ);
    return 1;
}

void AccelerometerDevice::StartListener(float intervalSeconds) {
    m_listener = std::make_unique<AccelerationListener>(*this, intervalSeconds);
}

void AccelerometerDevice::Store(float x, float y, float z) {
    for (int i = 0; i < 3; ++i) {
        m_previous[i] = m_current[i];
    }
    m_current[0] = x;
    m_current[1] = y;
    m_current[2] = z;
}

void AccelerometerDevice::Feed(float x, float y, float z) {
    m_sensor[0] = x;
    m_sensor[1] = y;
    m_sensor[2] = z;
}

void AccelerometerDevice::AdvanceClock(float elapsedSeconds) {
    if (m_listener != nullptr) {
        m_listener->AdvanceClock(elapsedSeconds);
    }
}

void AccelerometerDevice::GetSensorReading(float* outX, float* outY, float* outZ) const {
    CopyOut(m_sensor, outX, outY, outZ);
}

void AccelerometerDevice::GetPreviousAcceleration(float* outX, float* outY, float* outZ) const {
    CopyOut(m_previous, outX, outY, outZ);
}

}  // namespace Varnok
