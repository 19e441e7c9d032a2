// SampleCache: the map, its lock, and loading on a miss.
#include "engine/audio/SampleCache.h"

#include "engine/audio/OpenSample.h"
#include "engine/core/FileSystem.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/Mutex.h"

#include <cstring>
#include <string>
#include <unordered_map>

namespace Varnok {

namespace {

struct CacheState {
    Mutex mutex;
    std::unordered_map<uint32_t, SmartPtr<AudioSampleSource>> entries;
};

CacheState& State() {
    static CacheState state;
    return state;
}

}  // namespace

SmartPtr<AudioSampleSource> SampleCache::Get(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    const uint32_t hash = HashName(name, static_cast<int>(std::strlen(name)));
    CacheState& state = State();
    {
        MutexLock lock(state.mutex);
        auto found = state.entries.find(hash);
        if (found != state.entries.end()) {
            return found->second;
        }
    }

    const std::string path = std::string("sound/") + name + ".ogg";
    SmartPtr<AudioSampleSource> sample;
    if (FileExists(path.c_str(), 0)) {
        sample = OpenSample(path.c_str(), false, false);
    } else {
        Log("SampleCache: no sound \"%s\"", path.c_str());
    }

    MutexLock lock(state.mutex);
    // Another thread may have loaded the same name meanwhile: its entry wins.
    auto inserted = state.entries.emplace(hash, sample);
    return inserted.first->second;
}

}  // namespace Varnok
