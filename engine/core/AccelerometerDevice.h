// The device's accelerometer: a holder of the latest reading, which the game
// polls (to tell when the device is held upside down). No input event
// carries it. With no sensor on this platform, the reading comes from a feed
// (input scripts, tests) and is sampled on a timer that the frame loop drives.
#pragma once

#include <memory>

namespace Varnok {

class AccelerometerDevice;

// The sampler: every interval it hands the sensor's reading to the holder.
class AccelerationListener {
public:
    AccelerationListener(AccelerometerDevice& device, float intervalSeconds);

    // Delivers the samples that fall due within elapsedSeconds (at most two:
    // after a long stall only the newest reading matters).
    void AdvanceClock(float elapsedSeconds);

private:
    AccelerometerDevice& m_device;
    float m_intervalSeconds;
    float m_sinceSampleSeconds = 0.0f;
};

class AccelerometerDevice {
public:
    static constexpr float kUpdateIntervalSeconds = 0.2f;

    // The process-wide holder, created zeroed on first use.
    static AccelerometerDevice& Get();

    AccelerometerDevice();
    ~AccelerometerDevice();
    AccelerometerDevice(const AccelerometerDevice&) = delete;
    AccelerometerDevice& operator=(const AccelerometerDevice&) = delete;

    // The latest sample in units of gravity, zeros before the first. The first
    // call starts sampling every kUpdateIntervalSeconds. Always returns 1.
    int GetAcceleration(float* outX, float* outY, float* outZ);
    // Starts sampling at the given interval.
    void StartListener(float intervalSeconds);
    // A sample arrives: the current reading becomes the previous one.
    void Store(float x, float y, float z);

    // What the sensor reads from now on (at rest until fed: 0, 0, 0). It
    // reaches the holder at the next sample.
    void Feed(float x, float y, float z);
    // Drives the sampling timer; the frame loop calls it every tick. Nothing
    // happens before sampling has started.
    void AdvanceClock(float elapsedSeconds);

    bool IsStarted() const { return m_started; }
    void GetSensorReading(float* outX, float* outY, float* outZ) const;
    void GetPreviousAcceleration(float* outX, float* outY, float* outZ) const;

private:
    float m_previous[3] = {0.0f, 0.0f, 0.0f};
    float m_current[3] = {0.0f, 0.0f, 0.0f};
    bool m_started = false;
    float m_sensor[3] = {0.0f, 0.0f, 0.0f};
    std::unique_ptr<AccelerationListener> m_listener;  // null until started
};

}  // namespace Varnok
