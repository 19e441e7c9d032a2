// VARNOK_ASSERT(condition): a caller's mistake (a bad index, a call out of
// order) stops a debug or test build at once, with the file, line and
// condition in the log. Release builds (NDEBUG) compile the check out without
// evaluating the condition. Bad outside data never comes here: it gets its
// one log line and the documented default.
#pragma once

namespace Varnok {

// Logs "file:line: VARNOK_ASSERT(condition) failed" and aborts.
[[noreturn]] void AssertionFailed(const char* file, int line, const char* condition);

}  // namespace Varnok

#ifdef NDEBUG
#define VARNOK_ASSERT(condition) static_cast<void>(sizeof(!(condition)))
#else
#define VARNOK_ASSERT(condition) \
    ((condition) ? static_cast<void>(0) : ::Varnok::AssertionFailed(__FILE__, __LINE__, #condition))
#endif
