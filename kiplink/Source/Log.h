// The client library's log: plain lines, one per message, on standard error
// unless the host installs its own sink.
#pragma once

namespace Kiplink {

// printf-style; a trailing newline in the message is dropped so that every
// message is exactly one line.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Receives each finished line without its newline; null restores the
// default (standard error).
using LogSink = void (*)(const char* line);
void SetLogSink(LogSink sink);

}  // namespace Kiplink
