// The record every input device emits once per input and frame: which input
// (a touch slot, a touch axis, a mouse button or axis, the pointer) and what
// happened to it (pressed, down, released, up, moved).
#pragma once

#include "engine/core/AsciiString.h"

#include <cstdint>

namespace Varnok {

struct TouchPoint;

// Numeric codes of the named inputs; consecutive within each group, so
// "Touch5" is kTouch1 + 4. 0 means no input.
namespace InputCode {
constexpr uint32_t kNone = 0;
constexpr uint32_t kMouseButton1 = 126;  // .. MouseButton8 = 133
constexpr uint32_t kMouseAxisX = 134;
constexpr uint32_t kMouseAxisY = 135;
constexpr uint32_t kMouseAxisZ = 136;
constexpr uint32_t kTouch1 = 137;       // .. Touch16 = 152
constexpr uint32_t kTouchAxisX1 = 153;  // .. TouchAxisX16 = 168
constexpr uint32_t kTouchAxisY1 = 169;  // .. TouchAxisY16 = 184
constexpr uint32_t kAccelAxisX = 185;
constexpr uint32_t kAccelAxisY = 186;
constexpr uint32_t kAccelAxisZ = 187;
constexpr uint32_t kPointer = 219;
}  // namespace InputCode

// Payloads by event class. Engine devices send 0 in every auxiliary word.
struct InputButtonData {
    uint32_t aux;
    uint32_t code;
    float value;  // 1.0 from the engine devices
};

struct InputAxisData {
    uint16_t aux;
    uint16_t code;
    float value;
    float delta;  // since the previous report
};

struct InputPointerData {
    const TouchPoint* touch;  // in the touch device's current table; valid during dispatch
    uint32_t touchId;
};

// Built on the emitting device's stack; listeners get a reference that is
// valid only during the call.
struct InputEvent {
    // State bits (low 16): exactly one is set by the engine devices.
    static constexpr uint32_t kPressed = 0x1;   // went down this frame
    static constexpr uint32_t kDown = 0x2;      // is down
    static constexpr uint32_t kReleased = 0x4;  // went up this frame
    static constexpr uint32_t kUp = 0x8;        // is up
    static constexpr uint32_t kMoved = 0x10;    // an axis reports its value
    static constexpr uint32_t kStateMask = 0xFFFF;
    // Class bits (high 16).
    static constexpr uint32_t kButton = 0x10000;
    static constexpr uint32_t kAxis = 0x20000;
    static constexpr uint32_t kAxis2D = 0x40000;  // no producer, no code
    static constexpr uint32_t kKinect = 0x80000;  // axis payload; no producer
    static constexpr uint32_t kPointer = 0x100000;

    // Only the axis code's low 8 bits are kept, as every axis code fits.
    static InputEvent MakeButton(uint32_t code, uint32_t state, float value, uint32_t timeStamp,
                                 uint32_t aux = 0);
    static InputEvent MakeAxis(uint32_t code, uint32_t state, float value, float delta,
                               uint32_t timeStamp, uint16_t aux = 0);
    static InputEvent MakePointer(const TouchPoint* touch, uint32_t touchId, uint32_t state,
                                  uint32_t timeStamp);

    // The input the event is about: the button or axis code, kPointer for a
    // pointer event, 0 for no class bit, AXIS2D or more than one class bit.
    uint32_t GetInputCode() const;

    // A multi-line dump for diagnostics:
    // "InputEvent\n{\n  eventType = { value=65537, PRESSED, BUTTON };\n  timeStamp = 7;\n}"
    AsciiString ToString() const;

    uint32_t eventType = 0;
    union {
        InputButtonData button;
        InputAxisData axis;
        InputPointerData pointer = {nullptr, 0};
    };
    uint32_t timeStamp = 0;  // a device tick count: 0 from touches, updates from the mouse
};

// The code of the input whose name hashes to nameHash ("Touch5", "MouseAxisX";
// case-blind, as names are compared by HashName), or 0 when none does.
uint32_t FindInputCode(uint32_t nameHash);

// The state bit named by a bindings-file keyword hash ("pressed", "down",
// "released", "up", "move"), or 0 for any other word.
uint32_t FindInputStateKeyword(uint32_t wordHash);

}  // namespace Varnok
