// Timed touches (and accelerometer readings) read from a text file, which
// drive the headless display for demos and tests.
//
// One event a line, '#' starts a comment:
//   <frame> down|move|up|cancel <touch id> <x> <y>   positions normalised 0..1, origin top-left
//   <frame> accel <x> <y> <z>                       in g
//   <frame> text <characters>                       typed, as the platform's text input
//                                                   delivers it: the rest of the line,
//                                                   UTF-8, blanks around it not typed
// Frames count ticks from 0. Lines need not be in order; events of one frame
// keep the order of the file.
#pragma once

#include "platform/PlatformDisplay.h"

#include <string>
#include <vector>

namespace Varnok {

struct InputScriptEvent {
    enum Kind { Touch, Accel, Text };
    int frame = 0;
    Kind kind = Touch;
    PlatformTouch touch;
    float accel[3] = {0.0f, 0.0f, 0.0f};
    std::string text;  // Text only; never empty
};

class InputScript {
public:
    // Malformed lines are logged and skipped; false only when the file
    // cannot be read.
    [[nodiscard]] bool Load(const char* path);
    void Parse(const std::string& text, const char* sourceName);

    // Events due on this frame, in file order.
    std::vector<InputScriptEvent> EventsAt(int frame) const;

    int LastFrame() const;
    size_t EventCount() const { return m_events.size(); }

private:
    std::vector<InputScriptEvent> m_events;  // sorted by frame, stable
};

}  // namespace Varnok
