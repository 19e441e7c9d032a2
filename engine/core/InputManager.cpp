// Device ownership, bindings files and the per-frame poll.
#include "engine/core/InputManager.h"

#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "engine/core/HashName.h"
#include "engine/core/InputBindingsParser.h"
#include "engine/core/InputUiSink.h"
#include "engine/core/Log.h"
#include "engine/core/MouseInputDevice.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/TouchInputDevice.h"

#include <cstring>
#include <thread>
#include <utility>

namespace Varnok {

namespace {

std::atomic<IInputUiSink*> s_uiSink{nullptr};

// Set on the thread that is inside Update: a bindings file loaded from there
// (from a listener) would wait for its own update forever.
thread_local bool t_insideUpdate = false;

}  // namespace

InputManager& InputManager::Get() {
    static InputManager manager;
    return manager;
}

void InputManager::SetUiSink(IInputUiSink* sink) {
    s_uiSink.store(sink);
}

IInputUiSink* InputManager::GetUiSink() {
    return s_uiSink.load();
}

void InputManager::CreateDevices() {
    auto touch = std::make_unique<TouchInputDeviceIOS>();
    TouchInputDevice* touchDevice = touch.get();
    TouchInputDevice::SetCurrent(touchDevice);
    AddDevice(std::move(touch));
    AddDevice(std::make_unique<MouseInputDevice>(*touchDevice));
}

void InputManager::AddDevice(std::unique_ptr<InputDevice> device) {
    if (device == nullptr) {
        return;
    }
    device->Init();
    m_devices.push_back(std::move(device));
}

void InputManager::Update(float elapsedSeconds) {
    m_updating.store(true);
    if (m_loading.load()) {
        m_updating.store(false);
        return;
    }
    t_insideUpdate = true;
    IInputUiSink* ui = GetUiSink();
    if (ui != nullptr) {
        ui->BeginInputFrame();
    }
    for (const std::unique_ptr<InputDevice>& device : m_devices) {
        device->Update(elapsedSeconds);
    }
    if (ui != nullptr) {
        ui->EndInputFrame();  // whether anything was consumed is the UI's business
    }
    t_insideUpdate = false;
    m_updating.store(false);
}

bool InputManager::LoadBindings(const char* path) {
    if (path == nullptr) {
        return false;
    }
    if (t_insideUpdate) {
        Log("InputManager: bindings file %s cannot be loaded from inside an input update", path);
        return false;
    }
    m_loading.store(true);
    while (m_updating.load()) {
        std::this_thread::yield();
    }
    if (!FileExists(path, 0)) {
        Log("InputManager: bindings file %s not found", path);
        m_loading.store(false);
        return false;
    }
    FileObject file(path, kOpenRead);
    if (!file.Load()) {
        Log("InputManager: bindings file %s could not be read", path);
        m_loading.store(false);
        return false;
    }
    BindFromMemory(path, file.GetData(), file.GetLength());
    m_loading.store(false);
    return true;
}

void InputManager::BindFromMemory(const char* path, const uint8_t* data, int32_t length) {
    const uint32_t fileHash =
        path != nullptr ? HashName(path, static_cast<int>(std::strlen(path))) : 0;
    for (const InputBindingLine& line : ParseInputBindings(data, length, path)) {
        SmartPtr<InputBinding> binding(new InputBinding(line.action));
        binding->sources.push_back(fileHash);
        for (uint32_t code : line.inputs) {
            for (const std::unique_ptr<InputDevice>& device : m_devices) {
                device->Bind(code, line.states, binding.Get());
            }
        }
    }
}

void InputManager::AddActionListener(uint32_t action, const InputListener& listener) {
    for (const std::unique_ptr<InputDevice>& device : m_devices) {
        device->SetActionListener(action, listener);
    }
}

void InputManager::RemoveActionListeners(uint32_t source) {
    for (const std::unique_ptr<InputDevice>& device : m_devices) {
        device->RemoveBindings(source);
    }
}

void InputManager::ResetAllDevices() {
    for (const std::unique_ptr<InputDevice>& device : m_devices) {
        device->Reset();
    }
}

void InputManager::Shutdown() {
    m_loading.store(false);
    m_updating.store(false);
    for (const std::unique_ptr<InputDevice>& device : m_devices) {
        device->RemoveAllBindings();
    }
    m_devices.clear();
}

}  // namespace Varnok
