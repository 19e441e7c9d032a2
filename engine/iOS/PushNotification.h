// Remote (push) notification payloads: the parsed record, the notification
// that launched the application, and reading a payload from JSON text.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/iOS/PlatformObjects.h"

#include <map>

namespace Varnok {

// The platform's application states.
enum ApplicationState : int {
    ApplicationActive = 0,
    ApplicationInactive = 1,  // e.g. the user is opening a notification
    ApplicationBackground = 2,
};

struct PushNotificationRecord {
    static constexpr int kRemoteKind = 2;

    bool activeWhenParsed = true;  // false when parsed while inactive
    int kind = kRemoteKind;
    AsciiString alert;  // "aps" / "alert"
    AsciiString p;
    AsciiString s;      // the description of the "s" value: a number as its decimal text
    std::map<int, AsciiString> o;  // from the "o" text: "key||value|,|key||value"
    std::map<AsciiString, AsciiString, AsciiStringLess> values;  // emptied, not filled
};

// Fills the record from the payload; missing or mistyped keys leave their
// fields empty.
void ParseNotificationPayload(const PlatformDictionary& payload, int applicationState,
                              PushNotificationRecord& outRecord);
// The "o" text into its map: entries split at "|,|", each a key and a value
// split at "||"; an entry without a value is skipped, the last of a key wins.
void ParseNotificationOptions(const char* text, std::map<int, AsciiString>& outOptions);

// The notification that launched the application, kept for the process.
void SetLaunchNotification(const PushNotificationRecord& record);
// Null when none launched it.
const PushNotificationRecord* GetLaunchNotification();

// JSON text into a payload. False (with a log line naming the source) when the
// text is not a JSON object.
[[nodiscard]] bool ReadPayloadJson(const char* text, const char* sourceName, PlatformDictionary& outPayload);

}  // namespace Varnok
