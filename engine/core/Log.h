// The engine's diagnostic output: plain lines on standard error, no levels.
#pragma once

#include <cstdarg>

namespace Varnok {

// printf-style; a newline is added. Safe to call from any thread.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogV(const char* format, va_list args);

}  // namespace Varnok
