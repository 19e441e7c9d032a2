// Touch slots, pointer flags and the menu back request from input actions.
#include "game/rules/InputActions.h"

#include "engine/core/HashName.h"
#include "engine/core/InputEvent.h"
#include "engine/core/InputManager.h"
#include "engine/core/Log.h"
#include "engine/core/TouchInputDevice.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"

#include <cstdio>
#include <cstring>

namespace Varnok {
namespace {

constexpr const char* kBindingsFile = "Input/Input.txt";

FirstTouchHook& FirstTouch() {
    static FirstTouchHook s_hook;
    return s_hook;
}

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(strlen(name)));
}

void Listen(const char* action, int (*handler)(InputEvent&)) {
    InputManager::Get().AddActionListener(Hash(action), InputListener(handler));
}

}  // namespace

InputActionState& GetInputActionState() {
    static InputActionState s_state;
    return s_state;
}

void SetFirstTouchHook(const FirstTouchHook& hook) {
    FirstTouch() = hook;
}

bool BindInputActions(const SlashSource& slashes) {
    const bool loaded = InputManager::Get().LoadBindings(kBindingsFile);
    if (!loaded) {
        Log("InputActions: %s not loaded, touches are not bound", kBindingsFile);
    }
    GameRecord& record = GetGameRecord();
    InputActionState& state = GetInputActionState();
    for (int i = 0; i < InputActionState::kSlots; ++i) {
        record.touches[i] = TouchRecord{0.0f, 0.0f, 0.0f};
        state.slashes[i] = slashes ? slashes(i) : nullptr;
        char name[32];
        snprintf(name, sizeof(name), "TouchMove_X%d", i);
        Listen(name, &OnTouchMoveInput);
        snprintf(name, sizeof(name), "TouchMove_Y%d", i);
        Listen(name, &OnTouchMoveInput);
        snprintf(name, sizeof(name), "TouchDown_%d", i);
        Listen(name, &OnTouchDownInput);
    }
    Listen("PointerMove", &OnTouchMoveInput);
    Listen("PointerPressed", &OnPointerPressedInput);
    Listen("PointerReleased", &OnPointerReleasedInput);
    Listen("PointerPressedX", &OnPointerPressedXInput);
    Listen("RegressMenu", &OnRegressMenuInput);
    Listen("ShowPauseMenu", &OnShowPauseMenuInput);
    return loaded;
}

void UnbindInputActions() {
    InputManager::Get().RemoveActionListeners(0);
    InputActionState& state = GetInputActionState();
    for (TouchFollower*& slash : state.slashes) {
        slash = nullptr;
    }
}

void AgeTouchStates() {
    GameRecord& record = GetGameRecord();
    record.pointerPressed = false;
    record.pointerReleased = false;
    for (TouchRecord& touch : record.touches) {
        if (touch.state > 0.0f) {
            touch.state = 0.0f;
        } else if (touch.state == 0.0f) {
            touch.state = -1.0f;
        }
    }
}

void UpdateInputBlock(float stepSeconds) {
    InputActionState& state = GetInputActionState();
    state.inputBlockTimer -= stepSeconds;
    if (!(state.inputBlockTimer > 0.0f)) {
        state.inputBlocked = false;
    }
}

void BlockMenuInput(float seconds) {
    InputActionState& state = GetInputActionState();
    state.inputBlocked = true;
    state.inputBlockTimer = seconds;
}

int GetTouchState(uint32_t slot) {
    if (slot >= static_cast<uint32_t>(GameRecord::kTouchSlots)) {
        return 0;
    }
    const float value = GetGameRecord().touches[slot].state;
    if (value == 1.0f) {
        return 1;
    }
    return value == 2.0f ? 2 : 0;
}

int FindTouchInRect(float minX, float maxX, float minY, float maxY, uint32_t hint) {
    const GameRecord& record = GetGameRecord();
    auto inside = [&](uint32_t slot) {
        const TouchRecord& touch = record.touches[slot];
        return touch.state > 0.0f && touch.x >= minX && touch.x <= maxX && touch.y >= minY && touch.y <= maxY;
    };
    if (hint < static_cast<uint32_t>(GameRecord::kTouchSlots) && inside(hint)) {
        return static_cast<int>(hint);
    }
    for (uint32_t slot = 0; slot < static_cast<uint32_t>(GameRecord::kTouchSlots); ++slot) {
        if (inside(slot)) {
            return static_cast<int>(slot);
        }
    }
    return -1;
}

int OnTouchMoveInput(InputEvent& event) {
    if ((event.eventType & InputEvent::kAxis) == 0) {
        return 1;
    }
    const uint32_t code = event.axis.code;
    const float value = event.axis.value;
    const float x = (value - 0.5f) * LogicalScreenWidth();
    const float y = -(value - 0.5f) * LogicalScreenHeight();
    GameRecord& record = GetGameRecord();
    InputActionState& state = GetInputActionState();
    if (code == InputCode::kMouseAxisY) {
        record.pointerPos.y = y;
    } else if (code == InputCode::kMouseAxisX) {
        record.pointerPos.x = x;
    } else if (code >= InputCode::kTouchAxisX1 && code < InputCode::kTouchAxisX1 + 16) {
        const uint32_t slot = code - InputCode::kTouchAxisX1;
        if (state.slashes[slot] != nullptr) {
            state.slashes[slot]->OnPointerX(value);
        }
        record.touches[slot].x = x;
    } else if (code >= InputCode::kTouchAxisY1 && code < InputCode::kTouchAxisY1 + 16) {
        const uint32_t slot = code - InputCode::kTouchAxisY1;
        if (state.slashes[slot] != nullptr) {
            state.slashes[slot]->OnPointerY(value);
        }
        record.touches[slot].y = y;
    }
    return 1;
}

int OnTouchDownInput(InputEvent& event) {
    if ((event.eventType & InputEvent::kButton) == 0) {
        return 1;
    }
    const uint32_t code = event.button.code;
    if (code < InputCode::kTouch1 || code >= InputCode::kTouch1 + 16) {
        return 1;
    }
    const uint32_t slot = code - InputCode::kTouch1;
    InputActionState& state = GetInputActionState();
    if (state.slashes[slot] != nullptr) {
        state.slashes[slot]->StartStroke();
    }
    TouchRecord& touch = GetGameRecord().touches[slot];
    if (touch.state < 0.0f) {
        touch.state = 2.0f;
        if (FirstTouch()) {
            FirstTouch()();
        }
    } else {
        touch.state = 1.0f;
    }
    return 1;
}

int OnPointerPressedInput(InputEvent&) {
    GameRecord& record = GetGameRecord();
    record.pointerDown = true;
    record.pointerPressed = true;
    return 1;
}

int OnPointerReleasedInput(InputEvent&) {
    GameRecord& record = GetGameRecord();
    record.pointerDown = false;
    record.pointerReleased = true;
    return 1;
}

int OnPointerPressedXInput(InputEvent& event) {
    OnPointerPressedInput(event);
    // The slash of the touch slot the pointer event is about.
    const TouchInputDevice* touches = TouchInputDevice::Get();
    if (touches == nullptr || (event.eventType & InputEvent::kPointer) == 0 || event.pointer.touch == nullptr) {
        return 1;
    }
    for (int slot = 0; slot < kTouchSlotCount; ++slot) {
        if (&touches->GetSlot(slot) == event.pointer.touch) {
            TouchFollower* slash = GetInputActionState().slashes[slot];
            if (slash != nullptr) {
                slash->StartStroke();
            }
            break;
        }
    }
    return 1;
}

int OnRegressMenuInput(InputEvent&) {
    InputActionState& state = GetInputActionState();
    if (!state.inputBlocked) {
        state.inputBlocked = true;
        state.inputBlockTimer = InputActionState::kBlockSeconds;
        GetGameRecord().menuBackRequested = true;
    }
    return 1;
}

int OnShowPauseMenuInput(InputEvent&) {
    return 1;  // the pause opens through the pause button
}

}  // namespace Varnok
