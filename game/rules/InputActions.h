// The game's touch model over the engine's named input actions: sixteen
// touch slots in the game record whose states age every frame, the pointer
// and its flags, one blade per slot that follows its finger, the menus'
// back request and the short block that keeps it from firing twice. The
// handlers run inside the input manager's update. Main thread only.
#pragma once

#include "engine/core/Delegate.h"

#include <cstdint>

namespace Varnok {

struct InputEvent;

// What follows one finger (the blade of that touch slot).
class TouchFollower {
public:
    virtual ~TouchFollower() = default;
    // Axis values run 0..1 across the screen; 1 when taken.
    virtual int OnPointerX(float value) = 0;
    virtual int OnPointerY(float value) = 0;
    // Every frame while the finger is down; 1 when a point was taken.
    virtual int StartStroke() = 0;
};

struct InputActionState {
    static constexpr int kSlots = 16;
    static constexpr float kBlockSeconds = 0.5f;

    TouchFollower* slashes[kSlots] = {};  // not owned: world objects of the manager
    bool inputBlocked = false;  // back and pause inputs do nothing while set
    float inputBlockTimer = 0.0f;  // seconds
};

InputActionState& GetInputActionState();

// Gives the blade of a touch slot, spawned; null when none can be made.
using SlashSource = Delegate1<TouchFollower*, int>;
// Called once per new touch while a challenge runs (its first-touch hook).
using FirstTouchHook = Delegate0<void>;

// Loads "Input/Input.txt", clears the touch slots, takes a blade per slot
// from the source and adds the listeners. False (with a log line) when the
// bindings file did not load; actions without a binding stay unheard.
bool BindInputActions(const SlashSource& slashes);
// Removes every action listener and forgets the blades.
void UnbindInputActions();
void SetFirstTouchHook(const FirstTouchHook& hook);

// Before the input manager's update: the pointer flags clear, held and
// pressed states become 0 (lifted unless a down event follows), 0 becomes -1.
void AgeTouchStates();
// Lowers the block timer; the block ends once it is not above 0.
void UpdateInputBlock(float stepSeconds);
void BlockMenuInput(float seconds);
// 1 held, 2 pressed this frame, else 0 (also for slots past 15).
int GetTouchState(uint32_t slot);
// A slot whose finger is down inside the rectangle (edges included): the
// hint when it qualifies, else the lowest; -1 when none.
int FindTouchInRect(float minX, float maxX, float minY, float maxY, uint32_t hint);

// The handlers; each answers 1 (handled).
int OnTouchMoveInput(InputEvent& event);
int OnTouchDownInput(InputEvent& event);
int OnPointerPressedInput(InputEvent& event);
int OnPointerReleasedInput(InputEvent& event);
int OnPointerPressedXInput(InputEvent& event);
int OnRegressMenuInput(InputEvent& event);
int OnShowPauseMenuInput(InputEvent& event);

}  // namespace Varnok
