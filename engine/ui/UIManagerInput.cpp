// The UI's input pass: every event reaches the UI before the game's
// bindings. The pointer follows the mouse axes, keys go to the focus, the
// on-screen keyboard or the components that answer them, touches go to the
// components under the pointer from the top layer down, and a blocking
// screen keeps touches from the game. Once one event of an input frame is
// consumed, every later event of that frame is consumed too.
#include "engine/ui/UIManager.h"

#include "engine/core/InputManager.h"
#include "engine/core/TouchInputDevice.h"
#include "engine/ui/Component.h"
#include "engine/ui/UIHost.h"
#include "engine/ui/UIInputEventInfo.h"

#include <cstring>

namespace Varnok {

namespace {

constexpr uint32_t kLastKeyCode = 107;
constexpr uint32_t kLastTouchRangeCode = 185;
// The state bits that make an event worth a hover test; an accelerometer
// report carries none of them.
constexpr uint32_t kHitTestStates =
    InputEvent::kPressed | InputEvent::kDown | InputEvent::kReleased | InputEvent::kUp;

float EventValue(const InputEvent& event) {
    switch (event.eventType & ~InputEvent::kStateMask) {
        case InputEvent::kButton: return event.button.value;
        case InputEvent::kAxis:
        case InputEvent::kKinect: return event.axis.value;
        default: return 0.0f;
    }
}

uint32_t AxisCode(const InputEvent& event) {
    return (event.eventType & InputEvent::kAxis) != 0 ? event.axis.code : 0;
}

}  // namespace

void UIInputEventInfo::Classify() {
    const float value = EventValue(*event);
    std::memcpy(&valueWord, &value, sizeof(valueWord));
    inputCode = event->GetInputCode();
    const uint32_t type = event->eventType;
    pressed = (type & InputEvent::kPressed) != 0;
    down = (type & InputEvent::kDown) != 0;
    released = (type & InputEvent::kReleased) != 0;
    moved = (type & InputEvent::kMoved) != 0;
    touchRange = inputCode >= InputCode::kTouch1 && inputCode <= kLastTouchRangeCode;
    mouseRange = inputCode >= InputCode::kMouseButton1 && inputCode <= InputCode::kMouseAxisZ;
    key = inputCode >= 1 && inputCode <= kLastKeyCode;
    pointer = inputCode == InputCode::kPointer;
    mouseXMoved = moved && AxisCode(*event) == InputCode::kMouseAxisX;
    mouseYMoved = moved && AxisCode(*event) == InputCode::kMouseAxisY;
    mouseMoved = mouseXMoved || mouseYMoved;
    mousePressed = mouseRange && pressed;
    mouseDown = mouseRange && down;
    mouseReleased = mouseRange && released;
    pointerMoved = mouseMoved;
    keyPressed = key && pressed;
    keyDown = key && down;
}

void UIManager::BeginInputFrame() {
    m_consumedInThisFrame = false;
    m_hoverTestPosition = m_pointerPosition;
    m_hoverTested = false;
}

int UIManager::HandleInputEvent(InputEvent& event) {
    const bool consumed = HandleInput(event);
    if (consumed) {
        m_consumedInThisFrame = true;
    }
    return consumed ? 1 : 0;
}

bool UIManager::EndInputFrame() { return m_consumedInThisFrame; }

bool UIManager::HandleInput(InputEvent& event) {
    m_consumedByThisEvent = false;
    if (!m_initialised) {
        return false;
    }
    const UIInputEventInfo info(event);
    if (OnEditorInputBefore(event)) {
        return true;
    }
    if (m_root == nullptr) {
        return false;
    }
    const UIMessageDataHandleInput payload(&event);
    UIMessage message;
    message.type = UIMessageType_HandleInput;
    message.data = &payload;
    if (!DispatchMessage(message)) {
        return false;
    }

    const InputPointerRange& range = InputManager::Get().GetPointerRange();
    const auto scaleX = [&](float value) {
        return (value - range.minX) / (range.maxX - range.minX) * m_pointerScaleSize.x;
    };
    const auto scaleY = [&](float value) {
        return (value - range.minY) / (range.maxY - range.minY) * m_pointerScaleSize.y;
    };
    if (info.mouseXMoved) {
        m_pointerPosition.x = scaleX(event.axis.value);
    } else if (info.mouseYMoved) {
        m_pointerPosition.y = scaleY(event.axis.value);
    } else if (info.pointer && event.pointer.touch != nullptr) {
        m_pointerPosition = Vector2{scaleX(event.pointer.touch->x), scaleY(event.pointer.touch->y)};
    }
    if (OnEditorInputAfter(event)) {
        return true;
    }

    if (info.keyPressed) {
        HandleKeyPressed(event);
    }
    if (info.mousePressed && HandleTouchPressed()) {
        m_consumedByThisEvent = true;
    }
    if (info.pointerMoved && HandleTouchMoved()) {
        m_consumedByThisEvent = true;
    }
    if (info.mouseReleased && HandleTouchReleased()) {
        m_consumedByThisEvent = true;
    }

    if (m_consumedByThisEvent || m_consumedInThisFrame) {
        return true;
    }
    const bool pointerish = info.touchRange || info.mouseRange || info.pointer;
    const bool positionChanged = m_pointerPosition.x != m_hoverTestPosition.x ||
                                 m_pointerPosition.y != m_hoverTestPosition.y;
    if (pointerish && (event.eventType & kHitTestStates) != 0 && (positionChanged || !m_hoverTested)) {
        ++m_hitTestCount;
        m_hoverTested = true;
        m_hoverTestPosition = m_pointerPosition;
        if (m_root->HitTest(m_pointerPosition, nullptr)) {
            m_consumedByThisEvent = true;
        }
    }
    return m_consumedByThisEvent;
}

void UIManager::HandleKeyPressed(InputEvent& event) {
    bool handled = m_focus != nullptr && m_focus->HandleKeyEvent(event);
    if (!handled && m_host != nullptr && m_host->IsKeyboardActive()) {
        m_host->SendKeyToKeyboard(event.GetInputCode());
        handled = true;
    }
    if (!handled) {
        m_componentScratch.clear();
        m_root->CollectComponentsForKey(event, m_componentScratch);
        // From the top layer down; once handled, only the components that
        // ask for handled keys still hear it.
        for (size_t i = m_componentScratch.size(); i-- > 0;) {
            Component* component = m_componentScratch[i];
            if (component == nullptr) {
                continue;  // destroyed by an earlier handler
            }
            if (!handled) {
                handled = component->HandleKeyEvent(event);
            } else if (component->ReceivesHandledKeys()) {
                component->HandleKeyEvent(event);
            }
        }
        m_componentScratch.clear();
    }
    if (handled) {
        m_consumedByThisEvent = true;
    }
}

bool UIManager::HandleTouchPressed() {
    m_pointerDown = true;
    bool consumed = false;
    if (m_focus != nullptr && !m_focus->ContainsPoint(m_pointerPosition) &&
        m_focus->HandleTouchDownOutside(m_pointerPosition)) {
        consumed = true;
    }
    m_componentScratch.clear();
    m_root->CollectComponentsAtPoint(m_pointerPosition, m_componentScratch);
    bool handled = false;
    for (size_t i = m_componentScratch.size(); i-- > 0;) {
        Component* component = m_componentScratch[i];
        if (component == nullptr) {
            continue;  // destroyed by an earlier handler
        }
        if (!handled) {
            handled = component->HandleTouchDown(m_pointerPosition, false);
        } else if (component->ReceivesObscuredTouches()) {
            component->HandleTouchDown(m_pointerPosition, true);
        }
        if (m_componentScratch[i] != nullptr && component->BlocksInputFromGame()) {
            handled = true;
            break;
        }
    }
    m_componentScratch.clear();
    return consumed || handled;
}

bool UIManager::HandleTouchMoved() {
    bool consumed = m_focus != nullptr && m_focus->HandleTouchMoved(m_pointerPosition);
    m_componentScratch.clear();
    m_root->CollectComponentsAtPoint(m_pointerPosition, m_componentScratch);
    bool handled = false;
    for (size_t i = m_componentScratch.size(); i-- > 0;) {
        Component* component = m_componentScratch[i];
        if (component == nullptr) {
            continue;  // destroyed by an earlier handler
        }
        if (component != m_focus && component->ReceivesMovesWithoutFocus()) {
            handled = component->HandleTouchMoved(m_pointerPosition) || handled;
        }
        if (m_componentScratch[i] != nullptr && component->BlocksInputFromGame()) {
            handled = true;
            break;
        }
    }
    m_componentScratch.clear();
    return consumed || handled;
}

bool UIManager::HandleTouchReleased() {
    m_pointerDown = false;
    return m_focus != nullptr && m_focus->HandleTouchUp(m_pointerPosition);
}

}  // namespace Varnok
