// Maps the engine's thread priorities (-2..2) onto this platform.
#pragma once

namespace Varnok {

// Applies priority to the calling thread. Positive priorities use round-robin
// real-time scheduling (2 the top of its range, 1 halfway from its middle to
// the top); negative ones raise the thread's nice value (-2 the lowest,
// -1 halfway). 0 leaves the thread alone. A refusal (no privilege) is logged
// once per process and the thread carries on at the default.
void ApplyCurrentThreadPriority(int priority);

}  // namespace Varnok
