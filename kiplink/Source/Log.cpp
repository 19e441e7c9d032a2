// Library log lines and the assertion that stops on a caller's bug.
#include "kiplink/Source/Log.h"

#include "kiplink/Public/RefCounted.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Kiplink {

namespace {

LogSink s_sink = nullptr;

}  // namespace

void Log(const char* format, ...) {
    char line[1024];  // longer messages are cut, never overrun
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    size_t length = strlen(line);
    while (length > 0 && line[length - 1] == '\n') {
        line[--length] = '\0';
    }
    if (s_sink != nullptr) {
        s_sink(line);
        return;
    }
    fprintf(stderr, "%s\n", line);
}

void SetLogSink(LogSink sink) { s_sink = sink; }

void AssertionFailed(const char* file, int line, const char* condition) {
    fprintf(stderr, "%s:%d: KIPLINK_ASSERT(%s) failed\n", file, line, condition);
    abort();
}

}  // namespace Kiplink
