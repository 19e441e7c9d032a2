// Helpers for input tests: a UI sink that records every event in readable
// form, and a listener that counts calls per action.
#pragma once

#include "engine/core/HashName.h"
#include "engine/core/InputEvent.h"
#include "engine/core/InputManager.h"
#include "engine/core/InputUiSink.h"
#include "engine/core/TouchInputDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace VarnokTest {

inline uint32_t Hash(const char* text) {
    return Varnok::HashName(text, static_cast<int>(std::strlen(text)));
}

inline std::string InputName(uint32_t code) {
    using namespace Varnok::InputCode;
    char name[32];
    if (code >= kTouch1 && code < kTouch1 + 16) {
        std::snprintf(name, sizeof(name), "Touch%u", code - kTouch1 + 1);
    } else if (code >= kTouchAxisX1 && code < kTouchAxisX1 + 16) {
        std::snprintf(name, sizeof(name), "TouchAxisX%u", code - kTouchAxisX1 + 1);
    } else if (code >= kTouchAxisY1 && code < kTouchAxisY1 + 16) {
        std::snprintf(name, sizeof(name), "TouchAxisY%u", code - kTouchAxisY1 + 1);
    } else if (code == kMouseButton1) {
        return "MouseButton1";
    } else if (code == kMouseAxisX) {
        return "MouseAxisX";
    } else if (code == kMouseAxisY) {
        return "MouseAxisY";
    } else if (code == kPointer) {
        return "Pointer";
    } else {
        std::snprintf(name, sizeof(name), "code%u", code);
    }
    return name;
}

inline std::string StateName(uint32_t eventType) {
    switch (eventType & Varnok::InputEvent::kStateMask) {
        case Varnok::InputEvent::kPressed: return "PRESSED";
        case Varnok::InputEvent::kDown: return "DOWN";
        case Varnok::InputEvent::kReleased: return "RELEASED";
        case Varnok::InputEvent::kUp: return "UP";
        case Varnok::InputEvent::kMoved: return "MOVED";
        default: return "?";
    }
}

// "Touch16 PRESSED", "Pointer DOWN #3", "TouchAxisX16 MOVED 0.25 +0.25".
inline std::string Describe(const Varnok::InputEvent& event) {
    std::string text = InputName(event.GetInputCode()) + " " + StateName(event.eventType);
    char extra[64];
    if ((event.eventType & Varnok::InputEvent::kAxis) != 0) {
        std::snprintf(extra, sizeof(extra), " %g %+g", event.axis.value, event.axis.delta);
        text += extra;
    } else if ((event.eventType & Varnok::InputEvent::kPointer) != 0) {
        std::snprintf(extra, sizeof(extra), " #%u", event.pointer.touchId);
        text += extra;
    }
    return text;
}

// Sees every event before the bindings; consumes those `consume` accepts.
class RecordingUiSink : public Varnok::IInputUiSink {
public:
    void BeginInputFrame() override { ++frames; }
    int HandleInputEvent(Varnok::InputEvent& event) override {
        events.push_back(Describe(event));
        return consume && consume(event) ? 1 : 0;
    }
    bool EndInputFrame() override {
        ++ends;
        return false;
    }

    // Events about one input, in order.
    std::vector<std::string> About(const std::string& inputName) const {
        std::vector<std::string> out;
        for (const std::string& e : events) {
            if (e.compare(0, inputName.size() + 1, inputName + " ") == 0) {
                out.push_back(e);
            }
        }
        return out;
    }

    std::vector<std::string> events;
    std::function<bool(const Varnok::InputEvent&)> consume;
    int frames = 0;
    int ends = 0;
};

// Registers itself as the UI for the scope of a test.
class ScopedUiSink {
public:
    explicit ScopedUiSink(Varnok::IInputUiSink* sink) { Varnok::InputManager::SetUiSink(sink); }
    ~ScopedUiSink() { Varnok::InputManager::SetUiSink(nullptr); }
};

// A listener object for one action: counts its calls and keeps what it saw.
struct ActionRecorder {
    int OnEvent(Varnok::InputEvent& event) {
        seen.push_back(Describe(event));
        return 1;
    }
    Varnok::InputListener Listener() { return Varnok::InputListener(this, &ActionRecorder::OnEvent); }
    int Calls() const { return static_cast<int>(seen.size()); }

    std::vector<std::string> seen;
};

}  // namespace VarnokTest
