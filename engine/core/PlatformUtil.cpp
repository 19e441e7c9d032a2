// POSIX versions of the platform services: clock_gettime, time/localtime,
// mkdir/remove, and a nearest-sample scaler for the image helper.
#include "engine/core/PlatformUtil.h"

#include "engine/core/Log.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace Varnok {

namespace {

// CLOCK_MONOTONIC already counts nanoseconds, so the timebase ratio is 1.
constexpr double kTimebaseRatio = 1.0;

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
    return static_cast<int64_t>(time(nullptr));
}

void GetDateTime(DateTime* outRecord, int local) {
    if (outRecord == nullptr) {
        return;
    }
    const time_t now = time(nullptr);
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

float MaxOf4(float a, float b, float c, float d) {
    float best = a;
    if (b > best) best = b;
    if (c > best) best = c;
    if (d > best) best = d;
    return best;
}

bool CreateDirectory(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    // Make each prefix that ends at a separator, then the whole path.
    std::string partial(path);
    for (size_t i = 1; i <= partial.size(); ++i) {
        if (i < partial.size() && partial[i] != '/') {
            continue;
        }
        const std::string prefix = partial.substr(0, i);
        if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool RemoveFile(const char* path) {
    return path != nullptr && remove(path) == 0;
}

bool SyncToDisk(FILE* file) {
    return file != nullptr && (fsync(fileno(file)) == 0 || errno == EINVAL || errno == EROFS);
}

int NextPowerOfTwo(int value) {
    int result = 1;
    while (result < value && result < (1 << 30)) {
        result <<= 1;
    }
    return result;
}

std::unique_ptr<uint8_t[]> UIImageHelper::ConvertImageToBitmapRGBA8(const RgbaImage& image,
                                                                    int* outWidth,
                                                                    int* outHeight) {
    constexpr int kMaxSide = 8192;  // larger than any texture the renderer takes
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 ||
        image.width > kMaxSide || image.height > kMaxSide) {
        Log("Error allocating memory for bitmap");
        return nullptr;
    }
    const int width = NextPowerOfTwo(image.width);
    const int height = NextPowerOfTwo(image.height);
    std::unique_ptr<uint8_t[]> bitmap(new (std::nothrow) uint8_t[size_t(width) * height * 4]);
    if (!bitmap) {
        Log("Error allocating memory for bitmap");
        return nullptr;
    }
    // Stretch to fill: each target pixel takes the source pixel under its centre.
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>((int64_t(y) * 2 + 1) * image.height / (int64_t(height) * 2));
        for (int x = 0; x < width; ++x) {
            const int sx = static_cast<int>((int64_t(x) * 2 + 1) * image.width / (int64_t(width) * 2));
            const uint8_t* src = image.pixels + (size_t(sy) * image.width + sx) * 4;
            uint8_t* dst = bitmap.get() + (size_t(y) * width + x) * 4;
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = src[3];
        }
    }
    if (outWidth != nullptr) *outWidth = width;
    if (outHeight != nullptr) *outHeight = height;
    return bitmap;
}

}  // namespace Varnok
