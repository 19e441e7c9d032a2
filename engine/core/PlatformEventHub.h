// The one place where engine and game code subscribe to what the platform
// reports: life cycle, rotation, per-frame update and render, memory
// warnings, opened URLs, notifications and raw touches. The shell fires them.
#pragma once

#include "engine/core/EventList.h"

namespace Varnok {

// The platform's own objects, opaque here; the platform layer defines them.
struct PlatformData;        // device-token bytes
struct PlatformDictionary;  // notification payload or user information
struct PlatformError;
struct PlatformTouchSet;
struct PlatformTouchEvent;

// Main thread only. Listeners add a delegate of the list's signature and
// remove it when they go away; they may write the skip flags during the
// dispatch that follows the flag's clearing.
class PlatformEventHub {
public:
    // Touch phases passed by `touches`.
    static constexpr int kTouchBegan = 0;
    static constexpr int kTouchMoved = 1;
    static constexpr int kTouchEnded = 2;  // ended or cancelled

    static constexpr int kMemoryWarningLevel = 1;

    // The process-wide hub, built empty on first use, destroyed at exit.
    static PlatformEventHub& Get();

    // Clears skipUpdate, dispatches preUpdate; true when the game should
    // update this step. The shell dispatches postUpdate in every case.
    bool DispatchPreUpdate(float stepSeconds);
    // Clears skipRender, dispatches preRender; true when the game should render.
    bool DispatchPreRender();
    // Every listener gets the same answer in turn (the last write wins);
    // true with no listener.
    bool QueryRotation(int orientation);
    // Clears urlRefused, dispatches openUrl; true (accept) unless a listener
    // refused. source may be null.
    bool DispatchOpenUrl(const char* url, const char* source);

    Event0 background;
    Event0 foreground;
    Event0 suspend;
    Event0 resume;
    Event2<int, bool*> rotationQuery;           // orientation, answer (starts true)
    Event3<int, int, float> willRotate;         // new, current, duration seconds
    Event2<int, int> didRotate;                 // current, previous
    bool skipUpdate = false;
    Event1<float> preUpdate;                    // step seconds
    Event1<float> postUpdate;                   // step seconds
    bool skipRender = false;
    Event0 preRender;
    Event0 postRender;
    Event1<int> memoryWarning;                  // level, always 1
    bool urlRefused = false;
    Event2<const char*, const char*> openUrl;   // URL, source application (may be null)
    Event1<const PlatformData*> deviceToken;
    Event1<const PlatformDictionary*> remoteNotification;
    Event1<const PlatformDictionary*> localNotification;
    Event1<const PlatformError*> registerFailed;
    Event3<const PlatformTouchSet*, const PlatformTouchEvent*, int> touches;  // ..., phase
};

}  // namespace Varnok
