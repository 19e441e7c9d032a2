// One game action as the bindings files declare it, shared by every device
// that binds it, and the listener the game attaches to it.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/core/InputEvent.h"
#include "engine/core/ReferenceCounter.h"

#include <cstdint>
#include <vector>

namespace Varnok {

// Called with each event that triggers the action; the result is ignored
// (the game's listeners answer 1).
using InputListener = Delegate1<int, InputEvent&>;

// Counted: the devices' action maps hold it. A second file that declares the
// same action joins the binding already stored, so one action has one
// binding (and one listener) per device.
class InputBinding : public ReferenceCounter {
public:
    explicit InputBinding(uint32_t actionHash) : action(actionHash) {}

    uint32_t action;                // HashName of the action name
    std::vector<uint32_t> sources;  // HashName of each declaring file's path, one per declaration
    InputListener listener;         // empty until the game attaches one
};

}  // namespace Varnok
