// Notification payloads from anywhere: JSON text into a payload, the payload
// into the record the game reads, and the "o" options text.
#include "engine/iOS/PushNotification.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the application state; the rest is the text.
    const int state = size > 0 ? data[0] % 3 : 0;
    const std::string text(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
                           size > 0 ? size - 1 : 0);
    Varnok::PlatformDictionary payload;
    if (Varnok::ReadPayloadJson(text.c_str(), "fuzz input", payload)) {
        Varnok::PushNotificationRecord record;
        Varnok::ParseNotificationPayload(payload, state, record);
    }
    std::map<int, Varnok::AsciiString> options;
    Varnok::ParseNotificationOptions(text.c_str(), options);
    return 0;
}
