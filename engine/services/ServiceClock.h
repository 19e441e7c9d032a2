// The one wall clock of the service framework (seconds since 1970): the DNS
// deadlines, remote-configuration timing, the user store's reload and the
// version check all read it, so tests can move time by hand.
#pragma once

#include <cstdint>

namespace Varnok {

using ServiceClockFunction = int64_t (*)();

// The installed clock, or the platform's time() when none is.
int64_t GetServiceTime();
// Null restores the platform's clock.
void SetServiceClock(ServiceClockFunction clock);

}  // namespace Varnok
