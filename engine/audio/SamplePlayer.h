// Plays one sample as a voice source: its cursors read the sample's frames,
// wrap at the loop point and hand them to the mixer, mono samples to the mono
// mix and the channels of a stereo sample panned to the two speakers.
#pragma once

#include "engine/audio/AudioSampleSource.h"
#include "engine/audio/VoiceSource.h"
#include "engine/core/AsciiString.h"
#include "engine/core/SmartPtr.h"

#include <atomic>

namespace Varnok {

class SamplePlayer : public VoiceSource {
public:
    // Pan angles of a stereo sample's two channels, radians.
    static constexpr float kLeftPan = -0.785398f;
    static constexpr float kRightPan = 0.785398f;

    // Requires: sample not null. The loop start is taken from the sample.
    SamplePlayer(SmartPtr<AudioSampleSource> sample, const char* name);

    VoiceCursor* CreateCursor() override;
    void DestroyCursor(VoiceCursor* cursor) override;
    bool NeedsMono() const override { return m_sample->GetChannelCount() == 1; }
    bool NeedsChannels() const override { return m_sample->GetChannelCount() != 1; }
    const char* GetName() const override { return m_name.c_str(); }

    // Set before the player is played; the sample loops only when it lies
    // below the sample's length.
    void SetLoopStart(uint32_t frame) { m_loopStart.store(frame); }
    uint32_t GetLoopStart() const { return m_loopStart.load(); }
    AudioSampleSource& GetSample() const { return *m_sample; }

private:
    SmartPtr<AudioSampleSource> m_sample;
    std::atomic<uint32_t> m_loopStart;
    AsciiString m_name;
};

// A play position in a SamplePlayer's sample. Mixing thread only.
class SampleCursor : public VoiceCursor {
public:
    explicit SampleCursor(SamplePlayer& player) : m_player(player) {}

    // Wraps into the loop; false once a sample that does not loop has ended.
    bool Advance(uint32_t frames) override;
    void Mix(AudioMixer& target, const VoiceSegment& segment) override;

    uint32_t GetPosition() const { return m_position; }

    // Source frames a segment of `outputFrames` reads, with one to spare.
    static uint32_t SourceFramesFor(uint32_t outputFrames, float pitch, float pitchSlide);
    // Output frames that read no more than `sourceFrames` source frames; at least 1.
    static uint32_t OutputFramesFor(uint32_t sourceFrames, float pitch, float pitchSlide);

private:
    SamplePlayer& m_player;  // owns this cursor through the voice's source
    uint32_t m_position = 0;
};

}  // namespace Varnok
