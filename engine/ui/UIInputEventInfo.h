// What the UI's input pass needs to know about one engine input event.
#pragma once

#include "engine/core/InputEvent.h"

#include <cstdint>

namespace Varnok {

struct UIInputEventInfo {
    explicit UIInputEventInfo(const InputEvent& event) : event(&event) { Classify(); }

    void Classify();

    const InputEvent* event;  // not owned
    uint32_t valueWord = 0;   // the event's value field, raw
    uint32_t inputCode = 0;
    bool pressed = false;
    bool down = false;
    bool released = false;
    bool moved = false;
    bool touchRange = false;  // 137..185
    bool mouseRange = false;  // 126..136
    bool key = false;         // 1..107
    bool pointer = false;
    bool mouseXMoved = false;
    bool mouseYMoved = false;
    bool mouseMoved = false;
    bool mousePressed = false;
    bool mouseDown = false;
    bool mouseReleased = false;
    bool pointerMoved = false;
    bool keyPressed = false;
    bool keyDown = false;
};

}  // namespace Varnok
