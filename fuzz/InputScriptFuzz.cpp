// Input scripts from anywhere: bad lines cost only themselves, and the events
// kept come back frame by frame in order.
#include "platform/InputScript.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Varnok::InputScript script;
    script.Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz input");
    const int last = script.LastFrame();
    if ((last < 0) != (script.EventCount() == 0)) {
        __builtin_trap();
    }
    for (const Varnok::InputScriptEvent& event : script.EventsAt(last)) {
        if (event.frame != last) {
            __builtin_trap();
        }
        if (event.kind == Varnok::InputScriptEvent::Touch &&
            !(event.touch.x >= 0.0f && event.touch.x <= 1.0f && event.touch.y >= 0.0f &&
              event.touch.y <= 1.0f)) {
            __builtin_trap();  // positions outside 0..1 are refused
        }
    }
    script.EventsAt(0);
    return 0;
}
