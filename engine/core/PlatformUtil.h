// Small platform services: the monotonic clock, wall-clock date, folder
// creation and removal, and turning images into RGBA8 pixel buffers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

namespace Varnok {

// ---- Clocks ----
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

// ---- Values ----
// The largest of four; of equal values the first wins.
float MaxOf4(float a, float b, float c, float d);

// ---- Files ----
// Creates the directory and any missing parents; true also when it exists.
bool CreateDirectory(const char* path);
// Removes a file or an empty directory.
bool RemoveFile(const char* path);
// Pushes a flushed file's data to the disk before it replaces another; true
// also on file systems that cannot sync.
bool SyncToDisk(FILE* file);

// ---- Images ----
// A platform image as plain pixels: rows top to bottom, 4 bytes a pixel (RGBA).
struct RgbaImage {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// Smallest power of two not below value (1 for 0 and 1).
int NextPowerOfTwo(int value);

class UIImageHelper {
public:
    // The image stretched into a bitmap whose sides are its own rounded up to
    // powers of two; the rounded sizes go to the out-pointers when given.
    // Null (and a log line) when the image is empty or too large.
    static std::unique_ptr<uint8_t[]> ConvertImageToBitmapRGBA8(const RgbaImage& image,
                                                                int* outWidth, int* outHeight);
};

}  // namespace Varnok
