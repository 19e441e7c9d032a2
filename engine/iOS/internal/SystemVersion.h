// Numeric comparison of dotted system versions ("4.2" < "4.10").
#pragma once

namespace Varnok {

// True when the running system's version is at or above minimum.
bool SystemVersionAtLeast(const char* minimum);
// Numbers compared part by part; a missing part counts as 0. Non-digits end a part.
int CompareVersions(const char* a, const char* b);

}  // namespace Varnok
