// The mixer's voice lists, its integer mixing targets and sub-mixers.
#include "engine/audio/AudioMixer.h"
#include "engine/audio/SamplePlayer.h"
#include "engine/audio/SubMixer.h"

#include "AudioTestSupport.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using test::Constant;
using test::MakeMono;
using test::MakeStereo;

constexpr float kSpeakers[2] = {-0.785398f, 0.785398f};

// A two-speaker root mixer driven buffer by buffer, as the output thread does.
class StereoMixer {
public:
    StereoMixer() : mixer(new AudioMixer) { mixer->SetChannelAngles(2, kSpeakers); }

    // One buffer cycle; returns its interleaved frames.
    std::vector<int16_t> Cycle(uint32_t frames) {
        mixer->AdvanceVoices(m_lastFrames);
        mixer->ApplyPendingChanges();
        mixer->MixVoices(frames, true);
        mixer->AddMonoToChannels();
        m_lastFrames = frames;
        const int16_t* out = mixer->GetOutputBuffer();
        return std::vector<int16_t>(out, out + 2 * frames);
    }

    SmartPtr<AudioVoice> Play(SmartPtr<AudioSampleSource> sample, const char* name = "test") {
        return mixer->CreateVoice(SmartPtr<VoiceSource>(new SamplePlayer(sample, name)));
    }

    SmartPtr<AudioMixer> mixer;

private:
    uint32_t m_lastFrames = 0;
};

bool AllZero(const std::vector<int16_t>& samples) {
    for (int16_t s : samples) {
        if (s != 0) {
            return false;
        }
    }
    return true;
}

TEST(AudioMixer, VoiceAddedAndRemovedBeforeTheNextBufferNeverPlays) {
    StereoMixer m;
    SmartPtr<AudioVoice> voice = m.Play(MakeMono(Constant(5000, 10000)));
    EXPECT_TRUE(voice->IsQueued());
    EXPECT_EQ(m.mixer->ActiveAndPendingCount(), 1u);
    m.mixer->RemoveVoice(voice.Get());
    EXPECT_FALSE(voice->IsQueued());  // free to be added again
    EXPECT_EQ(m.mixer->ActiveAndPendingCount(), 0u);
    EXPECT_TRUE(AllZero(m.Cycle(256)));
    EXPECT_TRUE(AllZero(m.Cycle(256)));
    EXPECT_FALSE(voice->IsInLiveMixer());
}

TEST(AudioMixer, StopAllDropsEverythingBeforeItAndNothingAfter) {
    StereoMixer m;
    SmartPtr<AudioVoice> active = m.Play(MakeMono(Constant(5000, 1000)));
    m.Cycle(64);
    ASSERT_TRUE(active->IsInLiveMixer());
    SmartPtr<AudioVoice> before = m.Play(MakeMono(Constant(5000, 1000)));
    m.mixer->StopAll();
    m.mixer->RemoveVoice(active.Get());  // removed after StopAll: simply dropped
    SmartPtr<AudioVoice> after = m.Play(MakeMono(Constant(5000, 3000)));
    const std::vector<int16_t> out = m.Cycle(64);
    EXPECT_EQ(out[0], 3000);  // only the later voice plays
    EXPECT_EQ(out[127], 3000);
    EXPECT_FALSE(active->IsQueued());
    EXPECT_FALSE(before->IsQueued());
    EXPECT_TRUE(after->IsInLiveMixer());
    EXPECT_EQ(m.mixer->ActiveAndPendingCount(), 1u);
}

TEST(AudioMixer, VoiceAddedTwicePlaysOnce) {
    StereoMixer m;
    SmartPtr<AudioVoice> voice = m.Play(MakeMono(Constant(5000, 1000)));
    m.mixer->AddVoice(voice);
    EXPECT_EQ(m.Cycle(32)[0], 1000);
    m.mixer->AddVoice(voice);  // while playing
    const std::vector<int16_t> out = m.Cycle(32);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(m.mixer->ActiveAndPendingCount(), 1u);
}

TEST(AudioMixer, SaturatesInsteadOfWrapping) {
    const struct {
        const char* what;
        int16_t a, b;
        int16_t expected;
    } cases[] = {
        {"two loud positive", 30000, 30000, 32767},
        {"two loud negative", -30000, -30000, -32768},
        {"extremes cancel", 32767, -32768, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StereoMixer m;
        m.Play(MakeMono(Constant(100, c.a)));
        m.Play(MakeMono(Constant(100, c.b)));
        // A stereo voice too, so that mono is added onto mixed channels.
        std::vector<int16_t> stereo(200, c.a);
        m.Play(MakeStereo(stereo));
        const std::vector<int16_t> out = m.Cycle(50);
        const int16_t expected = c.a == -c.b - 1 ? static_cast<int16_t>(c.a + c.b + c.a)
                                                 : c.expected;
        EXPECT_EQ(out[0], expected);
        EXPECT_EQ(out[1], expected);
        EXPECT_EQ(out[99], expected);
    }
}

TEST(AudioMixer, PanWrapsAroundATurn) {
    const float pi = 3.14159265f;
    for (float speaker : kSpeakers) {
        SCOPED_TRACE(speaker);
        EXPECT_NEAR(AudioMixer::PanGain(2 * pi + pi / 4, speaker),
                    AudioMixer::PanGain(pi / 4, speaker), 1e-4);
        EXPECT_NEAR(AudioMixer::PanGain(-2 * pi - pi / 4, speaker),
                    AudioMixer::PanGain(-pi / 4, speaker), 1e-4);
    }
    EXPECT_NEAR(AudioMixer::PanGain(pi / 4, kSpeakers[1]), 1.0f, 1e-4);
    EXPECT_LT(AudioMixer::PanGain(pi / 4, kSpeakers[0]), 1e-9);

    // The same through the mixer: a wrapped pan lands on the same speaker.
    std::vector<int16_t> source = Constant(64, 20000);
    MixSpan span;
    span.frameCount = 64;
    span.sourceFrames = 64;
    std::vector<int16_t> outputs[2];
    const float pans[2] = {pi / 4, 2 * pi + pi / 4};
    for (int i = 0; i < 2; ++i) {
        StereoMixer m;
        m.mixer->MixVoices(64, true);
        m.mixer->MixPanned(span, source.data(), pans[i], 1.0f, 0.0f);
        const int16_t* out = m.mixer->GetOutputBuffer();
        outputs[i].assign(out, out + 128);
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_EQ(outputs[0][0], 0);
    EXPECT_NEAR(outputs[0][1], 20000, 2);
}

TEST(AudioMixer, ClampsPitchTo112SourceFramesPerOutputFrame) {
    StereoMixer m;
    SmartPtr<AudioVoice> voice = m.Play(MakeMono(test::Ramp(30000)));
    voice->SetPitch(static_cast<float>(std::log2(200.0)));
    const std::vector<int16_t> out = m.Cycle(100);
    for (int i = 0; i < 100 && 112 * i < 30000; ++i) {
        ASSERT_EQ(out[2 * i], static_cast<int16_t>(112 * i)) << i;
    }
}

TEST(AudioMixer, MonoFadeWithinOneBufferIsSmooth) {
    StereoMixer m;
    SmartPtr<AudioVoice> voice = m.Play(MakeMono(Constant(5000, 20000)));
    voice->RampVolumeFromTo(1.0f, 0.0f, 1764.0f / 44100.0f);
    const std::vector<int16_t> out = m.Cycle(1764);
    EXPECT_NEAR(out[0], 20000, 20);
    for (int i = 1; i < 1763; ++i) {
        ASSERT_GE(out[2 * i - 2] - out[2 * i], 0) << i;
        ASSERT_LE(out[2 * i - 2] - out[2 * i], 13) << i;  // about 11.3 a frame
    }
    EXPECT_LT(out[2 * 1762], 40);
    EXPECT_LT(out[2 * 1763], 20);
}

TEST(AudioMixer, DumpListsEveryVoiceByState) {
    StereoMixer m;
    SmartPtr<AudioVoice> active = m.Play(MakeMono(Constant(5000, 1)), "splat");
    m.Cycle(16);
    SmartPtr<AudioVoice> pending = m.Play(MakeMono(Constant(5000, 1)), "swipe");
    m.mixer->RemoveVoice(active.Get());
    const std::string dump = m.mixer->Dump();
    char address[32];
    std::snprintf(address, sizeof address, "0x%08" PRIXPTR, reinterpret_cast<uintptr_t>(active.Get()));
    EXPECT_EQ(dump.find("<AudioMixer>\r\n"), 0u);
    EXPECT_NE(dump.find(std::string("<ActiveVoice ptr=\"") + address + "\">splat</ActiveVoice>\r\n"),
              std::string::npos);
    EXPECT_NE(dump.find(std::string("<RemovedVoice ptr=\"") + address + "\">splat</RemovedVoice>"),
              std::string::npos);
    EXPECT_NE(dump.find(">swipe</PendingVoice>\r\n"), std::string::npos);
    EXPECT_EQ(dump.substr(dump.size() - 15), "</AudioMixer>\r\n");
}

TEST(SubMixer, PassesItsVoicesOnScaledByItsVolume) {
    StereoMixer m;
    SmartPtr<SubMixer> group(new SubMixer);
    SmartPtr<AudioVoice> groupVoice = m.mixer->CreateVoice(SmartPtr<VoiceSource>(group.Get()));
    groupVoice->SetVolume(0.5f);
    SmartPtr<AudioVoice> mono = group->CreateVoice(
        SmartPtr<VoiceSource>(new SamplePlayer(MakeMono(Constant(5000, 20000)), "m")));
    mono->SetVolume(0.5f);
    std::vector<int16_t> stereo;
    for (int i = 0; i < 5000; ++i) {
        stereo.push_back(8000);
        stereo.push_back(0);
    }
    group->CreateVoice(SmartPtr<VoiceSource>(new SamplePlayer(MakeStereo(stereo), "s")));
    const std::vector<int16_t> out = m.Cycle(256);
    EXPECT_NEAR(out[0], 5000 + 4000, 2);  // mono everywhere, the left channel on the left
    EXPECT_NEAR(out[1], 5000, 2);
    EXPECT_NEAR(out[511], 5000, 2);
}

TEST(SubMixer, AFadeInsideAFadingGroupNeverRises) {
    // Both the group and the voice fade out over 0.1 s. The mix follows the
    // product of the two ramps: falling all the way, never louder.
    StereoMixer m;
    SmartPtr<SubMixer> group(new SubMixer);
    SmartPtr<AudioVoice> groupVoice = m.mixer->CreateVoice(SmartPtr<VoiceSource>(group.Get()));
    SmartPtr<AudioVoice> voice = group->CreateVoice(
        SmartPtr<VoiceSource>(new SamplePlayer(MakeMono(Constant(44100, 20000)), "m")));
    groupVoice->RampVolumeFromTo(1.0f, 0.0f, 0.1f);
    voice->RampVolumeFromTo(1.0f, 0.0f, 0.1f);
    std::vector<int16_t> out;
    for (int b = 0; b < 4; ++b) {
        const std::vector<int16_t> buffer = m.Cycle(1764);
        out.insert(out.end(), buffer.begin(), buffer.end());
    }
    for (size_t i = 2; i < out.size(); i += 2) {
        ASSERT_LE(out[i], out[i - 2] + 1) << i / 2;
    }
    // Where buffers join, the mix is the product exactly: 0.6 x 0.6 after one
    // buffer, 0.2 x 0.2 after two; between them it follows the chord.
    EXPECT_NEAR(out[2 * 1764], 7200, 30);
    EXPECT_NEAR(out[2 * 3528], 800, 30);
    EXPECT_NEAR(out[2 * 2205], 5000, 800);
    EXPECT_LT(out[2 * 4409], 5);
    EXPECT_EQ(out[2 * 4500], 0);
}

}  // namespace
}  // namespace Varnok
