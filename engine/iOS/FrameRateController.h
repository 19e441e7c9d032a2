// Decides every tick whether the game steps (its run flag), and keeps rate
// statistics over the last 30 ticks for inspection.
#pragma once

#include <cstdint>

namespace Varnok {

class FrameRateController {
public:
    static constexpr int kRingSize = 30;
    static constexpr int kDeviceIdentifierSize = 128;  // 127 characters and the terminator
    // Quit-request codes: none until the title menu's quit asks for it.
    static constexpr int kQuitRequested = 2;
    static constexpr int kQuitNone = 3;

    FrameRateController() = default;
    virtual ~FrameRateController() = default;
    FrameRateController(const FrameRateController&) = delete;
    FrameRateController& operator=(const FrameRateController&) = delete;

    // The process-wide controller that the shell ticks.
    static FrameRateController& Get();

    // Sets the run flag, builds the device property map when missing and
    // records the device identifier. The game's set-up calls it first of all.
    virtual void Init();
    // Deletes the device property map (the game's shutdown calls it).
    virtual void Shutdown();
    // Counts one step of the given length (the shell's step, from the
    // display's clock: virtual in headless runs, so the statistics repeat),
    // updates the statistics and answers the run flag. A step of 0 counts as
    // a rate of 0.
    virtual bool Tick(float stepSeconds);
    // Clears the run flag: from then on ticks render without updating. With
    // a quit requested, the shell then ends the program as a window close
    // does.
    virtual void Reset();

    int GetQuitRequest() const { return m_quitRequest; }
    void SetQuitRequest(int code) { m_quitRequest = code; }

    bool IsRunning() const { return m_running; }
    int16_t GetCurrentRate() const { return m_currentRate; }
    int16_t GetAverageRate() const { return m_averageRate; }
    int16_t GetMinimumRate() const { return m_minimumRate; }
    int16_t GetMaximumRate() const { return m_maximumRate; }
    float GetTotalTime() const { return m_totalTime; }
    float GetLastStep() const { return m_lastStep; }
    const char* GetDeviceIdentifier() const { return m_deviceIdentifier; }

private:
    bool m_running = true;
    int m_quitRequest = kQuitNone;
    int16_t m_currentRate = 60;
    int16_t m_averageRate = 60;
    int16_t m_minimumRate = 60;
    int16_t m_maximumRate = 60;
    uint8_t m_fillMark = 0;       // highest ring position reached
    uint8_t m_writePosition = 0;
    int16_t m_ring[kRingSize] = {};
    float m_totalTime = 0.0f;     // seconds
    float m_lastStep = 0.0f;      // seconds
    char m_deviceIdentifier[kDeviceIdentifierSize] = {};
};

}  // namespace Varnok
