// Dotted version comparison for the shell's system-version checks.
#include "engine/iOS/internal/SystemVersion.h"

#include "engine/core/DeviceSettings.h"

#include <cctype>

namespace Varnok {
namespace {

// Reads one part and moves past its dot; 0 for an empty part.
long ReadPart(const char*& text) {
    long value = 0;
    while (*text != '\0' && isdigit(static_cast<unsigned char>(*text))) {
        if (value < 100000000) {
            value = value * 10 + (*text - '0');
        }
        ++text;
    }
    while (*text != '\0' && *text != '.') {
        ++text;
    }
    if (*text == '.') {
        ++text;
    }
    return value;
}

}  // namespace

int CompareVersions(const char* a, const char* b) {
    a = a != nullptr ? a : "";
    b = b != nullptr ? b : "";
    while (*a != '\0' || *b != '\0') {
        const long partA = ReadPart(a);
        const long partB = ReadPart(b);
        if (partA != partB) {
            return partA < partB ? -1 : 1;
        }
    }
    return 0;
}

bool SystemVersionAtLeast(const char* minimum) {
    return CompareVersions(GetSystemVersion().c_str(), minimum) >= 0;
}

}  // namespace Varnok
