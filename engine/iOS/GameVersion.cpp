// Reading and formatting version texts.
#include "engine/iOS/GameVersion.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Varnok {
namespace {

// The leading integer as C's atoi reads it, clamped to int instead of
// overflowing.
int LeadingInt(const char* text) {
    const long value = strtol(text, nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

}  // namespace

GameVersion ParseGameVersion(const char* text) {
    GameVersion version;
    version.major = LeadingInt(text);
    const char* minorPart = strchr(text, '.');
    if (minorPart != nullptr) {
        ++minorPart;
        version.minor = LeadingInt(minorPart);
        const char* minorEnd = strchr(minorPart, '.');
        const size_t minorLength = minorEnd != nullptr ? static_cast<size_t>(minorEnd - minorPart)
                                                       : strlen(minorPart);
        if (minorLength == 1) {
            version.minor *= 10;
        }
        if (minorEnd != nullptr) {
            const char* patchPart = minorEnd + 1;
            version.patch = LeadingInt(patchPart);
            if (strlen(patchPart) == 1) {
                version.patch *= 10;
            }
        }
    }
    // Wide arithmetic: absurd texts must not overflow into a negative number.
    const long long number = static_cast<long long>(version.patch) +
                             static_cast<long long>(version.minor) * 100 +
                             static_cast<long long>(version.major) * 10000;
    version.number = number > INT_MAX   ? INT_MAX
                     : number < INT_MIN ? INT_MIN
                                        : static_cast<int>(number);
    return version;
}

void FormatGameVersion(const GameVersion& version, char* buffer, int size) {
    if (size <= 0) {
        return;
    }
    snprintf(buffer, static_cast<size_t>(size), "%04i.%02i.%02i", version.major, version.minor,
             version.patch);
}

}  // namespace Varnok
