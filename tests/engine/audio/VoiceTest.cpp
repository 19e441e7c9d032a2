// Sample voices: looping, ramps, pause, restart, pan and pitch.
#include "engine/audio/AudioMixer.h"
#include "engine/audio/SamplePlayer.h"

#include "AudioTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace Varnok {
namespace {

using test::Constant;
using test::MakeMono;
using test::Ramp;

constexpr float kSpeakers[2] = {-0.785398f, 0.785398f};
constexpr uint32_t kBuffer = 1764;

class VoiceTest : public ::testing::Test {
protected:
    VoiceTest() : mixer(new AudioMixer) { mixer->SetChannelAngles(2, kSpeakers); }

    std::vector<int16_t> Cycle(uint32_t frames = kBuffer) {
        mixer->AdvanceVoices(lastFrames);
        mixer->ApplyPendingChanges();
        mixer->MixVoices(frames, true);
        mixer->AddMonoToChannels();
        lastFrames = frames;
        const int16_t* out = mixer->GetOutputBuffer();
        return std::vector<int16_t>(out, out + 2 * frames);
    }

    SmartPtr<AudioVoice> Play(SmartPtr<AudioSampleSource> sample) {
        player = SmartPtr<SamplePlayer>(new SamplePlayer(sample, "voice"));
        return mixer->CreateVoice(SmartPtr<VoiceSource>(player.Get()));
    }

    SmartPtr<AudioMixer> mixer;
    SmartPtr<SamplePlayer> player;
    uint32_t lastFrames = 0;
};

TEST_F(VoiceTest, LoopingCursorWrapsIntoTheLoop) {
    player = SmartPtr<SamplePlayer>(new SamplePlayer(MakeMono(Constant(5000, 1), 44100, 1000), "l"));
    SampleCursor cursor(*player);
    EXPECT_TRUE(cursor.Advance(9000));
    EXPECT_EQ(cursor.GetPosition(), 1000u + (9000u - 5000u) % 4000u);
    EXPECT_TRUE(cursor.Advance(4100));
    EXPECT_EQ(cursor.GetPosition(), 1100u);

    // Without a loop the sample ends at its length.
    player->SetLoopStart(AudioSampleSource::kNoLoop);
    SampleCursor once(*player);
    EXPECT_TRUE(once.Advance(4999));
    EXPECT_FALSE(once.Advance(1));
}

TEST_F(VoiceTest, LoopingSampleMixesAcrossItsLoopPoint) {
    Play(MakeMono(Ramp(5000), 44100, 1000));
    const std::vector<int16_t> out = Cycle(9000);
    for (uint32_t i = 0; i < 9000; ++i) {
        const uint32_t position = i < 5000 ? i : 1000 + (i - 5000) % 4000;
        ASSERT_EQ(out[2 * i], static_cast<int16_t>(position)) << i;
    }
    Cycle(100);  // advances past the 9000 frames
    EXPECT_TRUE(mixer->ActiveAndPendingCount() == 1u);
}

TEST_F(VoiceTest, FadeOutFallsLinearlyAndIsDroppedAfterSilence) {
    SmartPtr<AudioVoice> voice = Play(MakeMono(Constant(200000, 20000)));
    voice->SetStopAtSilence(true);
    voice->RampVolumeTo(0.0f, 1.0f);
    for (int buffer = 0; buffer < 25; ++buffer) {
        const std::vector<int16_t> out = Cycle();
        const double expected = 20000.0 * (1.0 - buffer * kBuffer / 44100.0);
        ASSERT_NEAR(out[0], expected, 20.0 + expected * 0.01) << buffer;
        ASSERT_EQ(mixer->ActiveAndPendingCount(), 1u) << buffer;
    }
    // 25 buffers are 44100 frames: the volume reaches 0, and the voice goes
    // in the buffer after.
    Cycle();
    EXPECT_EQ(mixer->ActiveAndPendingCount(), 0u);
    EXPECT_FALSE(voice->IsQueued());
}

TEST_F(VoiceTest, StereoChannelsGoToTheirSpeakers) {
    std::vector<int16_t> left;
    std::vector<int16_t> right;
    for (int i = 0; i < 1000; ++i) {
        left.insert(left.end(), {12000, 0});
        right.insert(right.end(), {0, -12000});
    }
    Play(test::MakeStereo(left));
    std::vector<int16_t> out = Cycle(500);
    EXPECT_NEAR(out[0], 12000, 2);
    EXPECT_EQ(out[1], 0);

    mixer->StopAll();
    Play(test::MakeStereo(right));
    out = Cycle(500);
    EXPECT_EQ(out[0], 0);
    EXPECT_NEAR(out[1], -12000, 2);
}

TEST_F(VoiceTest, RestartBeginsAgainFromFrameZeroAtTheNextBuffer) {
    SmartPtr<AudioVoice> voice = Play(MakeMono(Ramp(20000)));
    EXPECT_EQ(Cycle(1000)[2 * 999], 999);
    EXPECT_EQ(Cycle(1000)[0], 1000);
    voice->Restart();
    const std::vector<int16_t> out = Cycle(1000);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2 * 999], 999);
}

TEST_F(VoiceTest, PausedVoiceKeepsItsPositionAndItsRamp) {
    SmartPtr<AudioVoice> voice = Play(MakeMono(Ramp(30000)));
    voice->RampVolumeFromTo(1.0f, 0.5f, 1.0f);
    Cycle(1000);
    Cycle(1000);
    voice->SetPaused(true);
    EXPECT_TRUE(voice->IsPaused());
    for (int i = 0; i < 5; ++i) {
        const std::vector<int16_t> silent = Cycle(1000);
        ASSERT_EQ(silent[0], 0);
        ASSERT_EQ(silent[1998], 0);
    }
    voice->SetPaused(false);
    const std::vector<int16_t> out = Cycle(1000);
    // Frame 2000 at the volume 2000 frames into the ramp.
    const double volume = 1.0 - 0.5 * 2000.0 / 44100.0;
    EXPECT_NEAR(out[0], 2000 * volume, 2);
    EXPECT_NEAR(voice->GetVolume(), volume, 1e-3);
}

TEST_F(VoiceTest, PitchedVoiceReadsOnAcrossARampEnd) {
    // Pitch 2 with a volume ramp that ends a third into the buffer: the piece
    // after the ramp must read on from where the first piece stopped.
    SmartPtr<AudioVoice> voice = Play(MakeMono(Ramp(30000)));
    voice->SetPitch(1.0f);
    voice->RampVolumeFromTo(1.0f, 0.999f, 600.0f / 44100.0f);
    const std::vector<int16_t> out = Cycle(kBuffer);
    for (uint32_t i = 0; i < kBuffer; ++i) {
        ASSERT_NEAR(out[2 * i], 2.0 * i, 3.0 + 0.002 * i) << i;
    }
    // And the next buffer continues at source frame 2 x 1764.
    EXPECT_NEAR(Cycle(kBuffer)[0], 2 * kBuffer, 4);
}

TEST_F(VoiceTest, SlowerPitchConsumesFewerFrames) {
    SmartPtr<AudioVoice> voice = Play(MakeMono(Ramp(30000)));
    voice->SetPitch(-1.0f);
    const std::vector<int16_t> out = Cycle(1000);
    EXPECT_EQ(out[2 * 999], 499);
    EXPECT_EQ(Cycle(1000)[0], 500);
}

TEST_F(VoiceTest, SourceFrameEstimatesCoverWhatTheMixReads) {
    EXPECT_EQ(SampleCursor::SourceFramesFor(1764, 1.0f, 0.0f), 1764u);
    EXPECT_EQ(SampleCursor::OutputFramesFor(1764, 1.0f, 0.0f), 1764u);
    EXPECT_EQ(SampleCursor::SourceFramesFor(100, 2.0f, 0.0f), 201u);
    EXPECT_EQ(SampleCursor::OutputFramesFor(201, 2.0f, 0.0f), 100u);
    EXPECT_EQ(SampleCursor::OutputFramesFor(1, 1.5f, 0.0f), 1u);  // always progress
    EXPECT_GE(SampleCursor::OutputFramesFor(1000, 0.0f, 0.0f), 1000u);
    // A falling pitch: the estimate takes the larger end.
    EXPECT_GE(SampleCursor::SourceFramesFor(1000, 2.0f, -44.1f), 2000u);
}

}  // namespace
}  // namespace Varnok
