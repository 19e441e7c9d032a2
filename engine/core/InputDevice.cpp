// Binding tables and event dispatch shared by every input device.
#include "engine/core/InputDevice.h"

#include "engine/core/InputManager.h"
#include "engine/core/InputUiSink.h"

#include <algorithm>

namespace Varnok {

void InputDevice::Bind(uint32_t code, uint32_t stateMask, InputBinding* binding) {
    if (binding == nullptr) {
        return;
    }
    SmartPtr<InputBinding>& stored = m_actions[binding->action];
    if (stored) {
        if (stored.Get() != binding) {
            stored->sources.insert(stored->sources.end(), binding->sources.begin(),
                                   binding->sources.end());
        }
    } else {
        stored = binding;
    }
    StateLists& lists = m_inputs[code];
    for (int i = 0; i < kStateListCount; ++i) {
        if ((stateMask & (1u << i)) == 0) {
            continue;
        }
        // One entry per list: a second declaration of the same input and state
        // (another file, or a continuation line) must not call the listener twice.
        std::vector<InputBinding*>& list = lists[i];
        if (std::find(list.begin(), list.end(), stored.Get()) == list.end()) {
            list.push_back(stored.Get());
        }
    }
}

void InputDevice::SetActionListener(uint32_t action, const InputListener& listener) {
    auto it = m_actions.find(action);
    if (it != m_actions.end()) {
        it->second->listener = listener;
    }
}

void InputDevice::RemoveBindings(uint32_t source) {
    for (auto it = m_actions.begin(); it != m_actions.end();) {
        InputBinding* binding = it->second.Get();
        if (source != 0) {
            std::vector<uint32_t>& sources = binding->sources;
            sources.erase(std::remove(sources.begin(), sources.end(), source), sources.end());
            if (!sources.empty()) {
                ++it;
                continue;
            }
        }
        for (auto& entry : m_inputs) {
            for (std::vector<InputBinding*>& list : entry.second) {
                list.erase(std::remove(list.begin(), list.end(), binding), list.end());
            }
        }
        it = m_actions.erase(it);  // releases this device's reference
    }
}

void InputDevice::DispatchEvent(InputEvent& event) {
    if (IInputUiSink* ui = InputManager::GetUiSink()) {
        if (ui->HandleInputEvent(event) != 0) {
            return;
        }
    }
    auto entry = m_inputs.find(event.GetInputCode());
    if (entry == m_inputs.end()) {
        return;
    }
    for (int i = 0; i < kStateListCount; ++i) {
        if ((event.eventType & (1u << i)) != 0) {
            CallListeners(entry->second[i], event);
        }
    }
}

// A listener may remove bindings (the game unbinds its pause menu from one):
// the list is walked by index and each binding is held while it is called.
void InputDevice::CallListeners(std::vector<InputBinding*>& list, InputEvent& event) {
    size_t i = 0;
    while (i < list.size()) {
        SmartPtr<InputBinding> binding(list[i]);
        if (!binding->listener.IsEmpty()) {
            binding->listener(event);
        }
        if (i < list.size() && list[i] == binding.Get()) {
            ++i;
            continue;
        }
        auto found = std::find(list.begin(), list.end(), binding.Get());
        if (found != list.end()) {
            i = static_cast<size_t>(found - list.begin()) + 1;
        }
        // Otherwise it was removed and its successor now sits at i.
    }
}

void InputDevice::SendButtonEvent(uint32_t code, uint32_t state, float value, uint32_t timeStamp,
                                  uint32_t aux) {
    InputEvent event = InputEvent::MakeButton(code, state, value, timeStamp, aux);
    DispatchEvent(event);
}

void InputDevice::SendAxisEvent(uint32_t code, uint32_t state, float value, float delta,
                                uint32_t timeStamp, uint16_t aux) {
    InputEvent event = InputEvent::MakeAxis(code, state, value, delta, timeStamp, aux);
    DispatchEvent(event);
}

void InputDevice::SendPointerEvent(const TouchPoint* touch, uint32_t touchId, uint32_t state,
                                   uint32_t timeStamp) {
    InputEvent event = InputEvent::MakePointer(touch, touchId, state, timeStamp);
    DispatchEvent(event);
}

InputBinding* InputDevice::FindBinding(uint32_t action) const {
    auto it = m_actions.find(action);
    return it == m_actions.end() ? nullptr : it->second.Get();
}

const std::vector<InputBinding*>* InputDevice::GetStateList(uint32_t code, int stateBit) const {
    if (stateBit < 0 || stateBit >= kStateListCount) {
        return nullptr;
    }
    auto it = m_inputs.find(code);
    return it == m_inputs.end() ? nullptr : &it->second[stateBit];
}

}  // namespace Varnok
