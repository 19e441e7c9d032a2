// What the platform hands the engine through the event hub's lists: touch
// sets, notification payloads, device tokens and errors. The hub names them
// only; listeners include this header to read them.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {

// One touch as the GL view receives it: its location normalised 0..1 across
// the view, origin top-left, as the display reports it (points are x times
// the view's bounds width, y times its height).
struct PlatformTouchLocation {
    uint32_t id = 0;  // stable for the life of the touch
    float x = 0.0f;
    float y = 0.0f;
};

struct PlatformTouchSet {
    std::vector<PlatformTouchLocation> touches;
};

struct PlatformTouchEvent {
    uint64_t timestampNanoseconds = 0;  // the display's monotonic clock
};

// A notification payload or user-information dictionary, as JSON would give
// it: an object whose values are texts, numbers, booleans, arrays or objects.
struct PlatformDictionary {
    Json::Value value{Json::objectValue};
};

// The device token of a registration for remote notifications.
struct PlatformData {
    std::vector<uint8_t> bytes;
};

struct PlatformError {
    int code = 0;
    std::string description;
};

}  // namespace Varnok
