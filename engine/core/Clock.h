// The clocks: the monotonic clock that frame timing reads, and calendar time.
#pragma once

#include <cstdint>

namespace Varnok {

// Monotonic clock values are raw counts of the platform's monotonic clock
// (CLOCK_MONOTONIC here, counted in nanoseconds); the timebase ratio turns a
// count into nanoseconds and is read once.

// The current monotonic clock count.
uint64_t GetMachTime();
double MachTimeToNanoseconds(uint64_t clockValue);
float MachTimeToMicroseconds(uint64_t clockValue);
// Milliseconds from `earlier` to `later`; 0 when they are equal.
float ElapsedMilliseconds(uint64_t later, uint64_t earlier);
// Microseconds since the first call in the process (0 at that first call).
// Thread-safe.
uint64_t GetMicroseconds();

// Calendar time in seconds since 1970.
int64_t GetTime();

// Repeatable runs: from SetFixedClock on, GetTime and GetDateTime answer a
// calendar time that starts at startSeconds (since 1970) and moves only by
// AdvanceFixedClock. ClearFixedClock returns to the system's time. Main
// thread only.
void SetFixedClock(int64_t startSeconds);
void AdvanceFixedClock(double seconds);
void ClearFixedClock();
bool IsClockFixed();

// The broken-down current time, fields as `struct tm` counts them.
struct DateTime {
    int local = 0;  // 1 when local time was asked for, else the value passed
    int second = 0;
    int minute = 0;
    int hour = 0;
    int dayOfMonth = 0;
    int month = 0;           // 0..11
    int yearsSince1900 = 0;
    int dayOfWeek = 0;       // 0 is Sunday
    int dayOfYear = 0;       // 0..365
    int daylightSaving = 0;
};

// Local time when local is 1, else UTC.
void GetDateTime(DateTime* outRecord, int local);

}  // namespace Varnok
