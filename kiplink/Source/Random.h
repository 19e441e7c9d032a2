// The library's one process-wide random generator (Marsaglia's xorshift128),
// seeded on first use from the SHA-1 of the library clock, and that clock.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Kiplink {

uint32_t XorShift128Random();
// Whole 32-bit draws, little-endian, while more than four bytes remain, then
// one draw for the last one to four bytes; nothing for a count of 0.
void FillRandom(void* buffer, size_t count);

// The library clock: the C library's clock() and time(nullptr), unless a
// test has installed its own.
struct ClockHooks {
    uint32_t (*processTicks)();
    uint32_t (*wallSeconds)();
};
uint32_t LibraryProcessTicks();
uint32_t LibraryWallSeconds();
// Null restores the C library's clock.
void SetClockHooks(const ClockHooks* hooks);

// Test hooks: set the four state words (the generator counts as seeded), or
// forget the seed so that the next draw seeds afresh from the clock.
void SetRandomState(uint32_t x, uint32_t y, uint32_t z, uint32_t w);
void ForgetRandomSeed();

}  // namespace Kiplink
