// The service's clock as the library estimates it: asked for with a plain
// GET of "<base>utc", corrected for half the round trip, and declared invalid
// when the device clock jumps.
#pragma once

#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class ITimeService;

class ITimeServiceCallbacks : public RefCounted {
public:
    virtual void OnServerTimeUpdated(ITimeService*) {}
    virtual void OnServerTimeInvalidated(ITimeService*) {}
};

class ITimeService : public RefCounted {
public:
    virtual void AddCallbacks(ITimeServiceCallbacks* listener) = 0;
    virtual void RemoveCallbacks(ITimeServiceCallbacks* listener) = 0;
    // One tick: checks the device clock and asks again when due.
    virtual void Update() = 0;
    // Seconds since 1970 on the service's clock; moves only with ticks.
    virtual uint32_t GetServerTime() const = 0;
    virtual bool IsValid() const = 0;
    virtual void Load() = 0;
};

}  // namespace Kiplink
