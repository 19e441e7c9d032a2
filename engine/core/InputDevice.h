// The base of every input device: its binding tables and the dispatch that
// hands each event to the UI first and then to the bound actions.
#pragma once

#include "engine/core/InputBinding.h"
#include "engine/core/InputEvent.h"
#include "engine/core/SmartPtr.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace Varnok {

class InputDevice {
public:
    // One binding list per state bit 0..15.
    static constexpr int kStateListCount = 16;
    using StateLists = std::array<std::vector<InputBinding*>, kStateListCount>;

    InputDevice() = default;
    virtual ~InputDevice() = default;
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    // Called once right after creation.
    virtual void Init() {}
    // Polls and emits this frame's events.
    virtual void Update(float elapsedSeconds) = 0;
    void RemoveAllBindings() { RemoveBindings(0); }
    // Forgets all input state.
    virtual void Reset() {}
    // A small kind number (13 touch, 8 mouse); informational only.
    virtual int GetKind() const = 0;

    // Adds the binding's action (or joins the binding already stored for it)
    // to the lists of `code` for every state bit set in stateMask.
    virtual void Bind(uint32_t code, uint32_t stateMask, InputBinding* binding);

    // A copy of listener becomes the action's listener; nothing when the
    // action is not bound on this device.
    void SetActionListener(uint32_t action, const InputListener& listener);

    // With a file's hash, removes that file's declarations; a binding goes
    // when no declaring file is left. With 0, removes every binding.
    void RemoveBindings(uint32_t source);

    // The UI sees the event first; unless it consumed it, the listeners bound
    // to the event's input for each set state bit are called in binding order.
    void DispatchEvent(InputEvent& event);

    void SendButtonEvent(uint32_t code, uint32_t state, float value, uint32_t timeStamp,
                         uint32_t aux = 0);
    void SendAxisEvent(uint32_t code, uint32_t state, float value, float delta,
                       uint32_t timeStamp, uint16_t aux = 0);
    void SendPointerEvent(const TouchPoint* touch, uint32_t touchId, uint32_t state,
                          uint32_t timeStamp);

    // The stored binding of an action, or null.
    InputBinding* FindBinding(uint32_t action) const;
    // The bindings called for `code` with state bit `stateBit` set; null when
    // the code was never bound.
    const std::vector<InputBinding*>* GetStateList(uint32_t code, int stateBit) const;

private:
    static void CallListeners(std::vector<InputBinding*>& list, InputEvent& event);

    std::map<uint32_t, SmartPtr<InputBinding>> m_actions;  // keeps the bindings alive
    std::map<uint32_t, StateLists> m_inputs;                // by input code; not counted
};

}  // namespace Varnok
