// The process-wide cache of decoded sound effects, so that every named effect
// is decoded once. Keyed by the name hash, so names that differ only in
// letter case share an entry; a failed load is cached too and never retried.
#pragma once

#include "engine/audio/AudioSampleSource.h"
#include "engine/core/SmartPtr.h"

namespace Varnok {

class SampleCache {
public:
    // The sample of "sound/<name>.ogg" decoded whole at 44100 Hz with its
    // channels kept, or null when the file is missing or does not decode.
    // Any thread; the decode of a missing entry runs outside the cache's lock.
    static SmartPtr<AudioSampleSource> Get(const char* name);
};

}  // namespace Varnok
