#include "engine/services/ServiceClock.h"

#include "engine/core/Clock.h"

namespace Varnok {

namespace {
ServiceClockFunction g_clock = nullptr;
}

int64_t GetServiceTime() {
    return g_clock != nullptr ? g_clock() : GetTime();
}

void SetServiceClock(ServiceClockFunction clock) {
    g_clock = clock;
}

}  // namespace Varnok
