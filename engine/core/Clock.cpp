// The clocks over clock_gettime and time/localtime_r.
#include "engine/core/Clock.h"

#include <ctime>

namespace Varnok {

namespace {

// CLOCK_MONOTONIC already counts nanoseconds, so the timebase ratio is 1.
constexpr double kTimebaseRatio = 1.0;

struct FixedClock {
    bool set = false;
    double seconds = 0.0;  // since 1970
};

FixedClock& Fixed() {
    static FixedClock s_fixed;
    return s_fixed;
}

time_t CalendarNow() {
    const FixedClock& fixed = Fixed();
    return fixed.set ? static_cast<time_t>(fixed.seconds) : time(nullptr);
}

uint64_t NowMicroseconds() {
    // Through double rather than float: a float loses whole milliseconds once
    // the machine has been up for a day, which frame timing cannot afford.
    return static_cast<uint64_t>(MachTimeToNanoseconds(GetMachTime()) / 1000.0);
}

}  // namespace

uint64_t GetMachTime() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

double MachTimeToNanoseconds(uint64_t clockValue) {
    return static_cast<double>(clockValue) * kTimebaseRatio;
}

float MachTimeToMicroseconds(uint64_t clockValue) {
    return static_cast<float>(MachTimeToNanoseconds(clockValue) / 1000.0);
}

float ElapsedMilliseconds(uint64_t later, uint64_t earlier) {
    return static_cast<float>(MachTimeToNanoseconds(later - earlier) / 1000000.0);
}

uint64_t GetMicroseconds() {
    static const uint64_t start = NowMicroseconds();
    const uint64_t now = NowMicroseconds();
    return now > start ? now - start : 0;
}

int64_t GetTime() {
    return static_cast<int64_t>(CalendarNow());
}

void SetFixedClock(int64_t startSeconds) {
    Fixed().set = true;
    Fixed().seconds = static_cast<double>(startSeconds);
}

void AdvanceFixedClock(double seconds) {
    if (Fixed().set && seconds > 0.0) {
        Fixed().seconds += seconds;
    }
}

void ClearFixedClock() {
    Fixed() = FixedClock{};
}

bool IsClockFixed() {
    return Fixed().set;
}

void GetDateTime(DateTime* outRecord, int local) {
    if (outRecord == nullptr) {
        return;
    }
    const time_t now = CalendarNow();
    tm broken{};
    if (local == 1) {
        localtime_r(&now, &broken);
    } else {
        gmtime_r(&now, &broken);
    }
    outRecord->local = local;
    outRecord->second = broken.tm_sec;
    outRecord->minute = broken.tm_min;
    outRecord->hour = broken.tm_hour;
    outRecord->dayOfMonth = broken.tm_mday;
    outRecord->month = broken.tm_mon;
    outRecord->yearsSince1900 = broken.tm_year;
    outRecord->dayOfWeek = broken.tm_wday;
    outRecord->dayOfYear = broken.tm_yday;
    outRecord->daylightSaving = broken.tm_isdst;
}

}  // namespace Varnok
