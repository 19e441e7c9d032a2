// One formatted write per line so lines from different threads never interleave.
#include "engine/core/Log.h"

#include <cstdio>

namespace Varnok {

void LogV(const char* format, va_list args) {
    char line[1024];
    int n = vsnprintf(line, sizeof(line) - 1, format, args);
    if (n < 0) {
        return;
    }
    if (n > static_cast<int>(sizeof(line)) - 2) {
        n = static_cast<int>(sizeof(line)) - 2;  // cut: callers never need more
    }
    line[n] = '\n';
    fwrite(line, 1, static_cast<size_t>(n) + 1, stderr);
}

void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    LogV(format, args);
    va_end(args);
}

}  // namespace Varnok
