// The one input manager: owns the input devices, reads bindings files into
// them, attaches the game's action listeners and polls every device once per
// game update.
#pragma once

#include "engine/core/InputBinding.h"
#include "engine/core/InputDevice.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class IInputUiSink;

// Pointer positions span this range; the UI maps them into its workspace as
// (value - min) / (max - min) times the workspace size.
struct InputPointerRange {
    float minX = 0.0f;
    float minY = 0.0f;
    float maxX = 1.0f;
    float maxY = 1.0f;
};

class InputManager {
public:
    // The process-wide manager, created on first use.
    static InputManager& Get();

    // The UI that sees every event first; null (the default) lets every event
    // through to the bindings. Not owned; it must outlive its registration.
    static void SetUiSink(IInputUiSink* sink);
    static IInputUiSink* GetUiSink();

    // The code of the named input whose HashName is nameHash, or 0.
    static uint32_t GetInputId(uint32_t nameHash) { return FindInputCode(nameHash); }

    InputManager() = default;
    ~InputManager() { Shutdown(); }
    InputManager(const InputManager&) = delete;
    InputManager& operator=(const InputManager&) = delete;

    // The touch device (registered as TouchInputDevice::Get) and the mouse
    // device that follows it, in that order.
    void CreateDevices();
    // Calls the device's Init and appends it; devices are polled and bound in
    // the order they were added.
    void AddDevice(std::unique_ptr<InputDevice> device);

    // Polls every device inside one UI input frame. Does nothing while a
    // bindings file is being loaded.
    void Update(float elapsedSeconds);

    // Reads a bindings file through the file layer and binds its lines on
    // every device. False when the file is missing or unreadable (nothing
    // changes); true otherwise, also for an empty file. Waits while an update
    // runs on another thread. Must not be called from an action listener: it
    // then refuses (false) rather than waiting for its own update.
    [[nodiscard]] bool LoadBindings(const char* path);
    // Binds already-read file contents as if loaded from `path` (whose
    // HashName is the bindings' source).
    void BindFromMemory(const char* path, const uint8_t* data, int32_t length);

    // Gives every device a copy of the listener. An action that no loaded file
    // declares has no binding, and its listener is dropped.
    void AddActionListener(uint32_t action, const InputListener& listener);
    // With the HashName of a bindings file's path, removes what that file
    // declared; with 0, every binding.
    void RemoveActionListeners(uint32_t source);
    void ResetAllDevices();
    // Removes every binding and deletes every device.
    void Shutdown();

    int GetDeviceCount() const { return static_cast<int>(m_devices.size()); }
    // Requires: 0 <= index < GetDeviceCount().
    InputDevice& GetDevice(int index) const { return *m_devices[index]; }
    const InputPointerRange& GetPointerRange() const { return m_pointerRange; }
    bool IsLoading() const { return m_loading.load(); }
    bool IsUpdating() const { return m_updating.load(); }

private:
    // Set while a bindings file is read (Update skips the devices) and while
    // Update polls (LoadBindings waits). Each sets its own flag before it
    // looks at the other's, so the two can never run together.
    std::atomic<bool> m_loading{false};
    std::atomic<bool> m_updating{false};
    std::vector<std::unique_ptr<InputDevice>> m_devices;
    InputPointerRange m_pointerRange;
};

}  // namespace Varnok
