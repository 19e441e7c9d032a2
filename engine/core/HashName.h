// The 32-bit name hash by which every name in the engine is compared and keyed.
#pragma once

#include <cstdint>

namespace Varnok {

// Bob Jenkins' lookup2 (initial value 2053) over exactly `length` bytes, each
// folded A-Z to a-z and then taken as a signed value, so the hash is case-blind.
// Null, a length of 0 or less, or a first byte of 0, gives 0 (no terminator
// is looked for otherwise). Reads nothing outside the given bytes.
uint32_t HashName(const char* chars, int length);

// The same hash over a zero-terminated path with '\' taken as '/'. No early
// exit: the empty path gives 0x6185E088. Requires: path not null.
uint32_t HashPath(const char* path);

}  // namespace Varnok
