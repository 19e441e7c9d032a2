// What a voice plays (a sample player or a sub-mixer) and the cursor through
// which the mixing thread advances and mixes it.
#pragma once

#include "engine/core/ReferenceCounter.h"

#include <cstdint>

namespace Varnok {

class AudioMixer;

// One stretch of a voice's buffer with the parameters it starts with; the
// voice splits its buffer where a volume or pitch ramp ends.
struct VoiceSegment {
    uint32_t firstFrame = 0;    // output frame in the target's buffer
    uint32_t frameCount = 0;    // output frames
    uint32_t sourceOffset = 0;  // source frames the voice consumes before firstFrame
    float volume = 1.0f;
    float volumeSlide = 0.0f;   // per second
    float pitch = 1.0f;         // source frames per output frame
    float pitchSlide = 0.0f;    // per second
};

// A play position. Mixing thread only.
class VoiceCursor {
public:
    virtual ~VoiceCursor() = default;

    // Moves on by `frames` source frames; false when the sound has ended.
    virtual bool Advance(uint32_t frames) = 0;
    // Takes over changes made since the last buffer.
    virtual void Sync() {}
    virtual void Mix(AudioMixer& target, const VoiceSegment& segment) = 0;
    // The mixer that now plays the cursor's voice, or null.
    virtual void TakeOwner(AudioMixer* /*mixer*/) {}
};

class VoiceSource : public virtual ReferenceCounter {
public:
    ~VoiceSource() override = default;

    // A cursor at position 0, handed back through DestroyCursor.
    virtual VoiceCursor* CreateCursor() = 0;
    virtual void DestroyCursor(VoiceCursor* cursor) = 0;
    // Whether the source mixes into the mono buffer, or into the channels.
    virtual bool NeedsMono() const = 0;
    virtual bool NeedsChannels() const = 0;
    virtual const char* GetName() const = 0;
};

}  // namespace Varnok
