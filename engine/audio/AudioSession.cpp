// The audio-session answers: a flag the platform layer keeps up to date.
#include "engine/audio/AudioSession.h"

#include <atomic>

namespace Varnok {

namespace {
std::atomic<bool> g_otherAudioPlaying{false};
}  // namespace

void SetAmbientAudioSession() {}

bool IsOtherAudioPlaying() {
    return g_otherAudioPlaying.load();
}

void SetOtherAudioPlaying(bool playing) {
    g_otherAudioPlaying.store(playing);
}

}  // namespace Varnok
