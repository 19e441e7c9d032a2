// The output: rendered through OpenAL's loopback device (no sound card), the
// duck stage on a null output, suspend and resume, and no device at all.
#include "engine/audio/AudioMixerOutput.h"
#include "engine/audio/AudioSession.h"
#include "engine/audio/OpenALMixerOut.h"
#include "engine/audio/OpenSample.h"
#include "engine/audio/SamplePlayer.h"

#include "AudioTestSupport.h"

#include <AL/alext.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <unistd.h>
#include <vector>

namespace Varnok {
namespace {

using test::Constant;
using test::MakeMono;
using test::MakeStereo;
using test::ReadFixture;
using test::Rms;

constexpr uint32_t kFrames = AudioMixerOutput::kBufferFrames;

// An OpenAL loopback device: the mix is rendered on demand into our memory.
class Loopback {
public:
    Loopback() {
        m_open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
            alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        m_render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
            alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    }
    bool Available() const { return m_open != nullptr && m_render != nullptr; }

    // An output on a new loopback device, driven by the test: no thread.
    SmartPtr<OpenALMixerOut> MakeOutput() {
        OpenALOutputDef def;
        def.openDevice = [this] {
            m_device = m_open(nullptr);
            return m_device;
        };
        def.contextAttributes = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,     ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,            44100,
                                 0};
        def.startThread = false;
        return OpenALMixerOut::Create(def);
    }

    // Plays `buffers` output buffers, letting the output refill after each.
    void Render(OpenALMixerOut& output, int buffers) {
        for (int i = 0; i < buffers; ++i) {
            const size_t at = m_samples.size();
            m_samples.resize(at + 2 * kFrames);
            m_render(m_device, m_samples.data() + at, kFrames);
            output.Service();
        }
    }

    const std::vector<float>& Samples() const { return m_samples; }
    uint32_t Frames() const { return static_cast<uint32_t>(m_samples.size() / 2); }

private:
    LPALCLOOPBACKOPENDEVICESOFT m_open = nullptr;
    LPALCRENDERSAMPLESSOFT m_render = nullptr;
    ALCdevice* m_device = nullptr;  // closed by the output
    std::vector<float> m_samples;  // interleaved stereo
};

SmartPtr<AudioVoice> PlayOn(AudioMixer& mixer, SmartPtr<AudioSampleSource> sample) {
    return mixer.CreateVoice(SmartPtr<VoiceSource>(new SamplePlayer(sample, "test")));
}

TEST(OpenALMixerOut, LoopbackPlaysAMonoToneOnBothSpeakers) {
    Loopback loopback;
    ASSERT_TRUE(loopback.Available());
    SmartPtr<OpenALMixerOut> output = loopback.MakeOutput();
    SmartPtr<AudioSampleSource> tone =
        OpenSampleBytes(ReadFixture("tone44k"), "tone44k", false, false);
    ASSERT_TRUE(tone);
    SmartPtr<SamplePlayer> player(new SamplePlayer(tone, "tone44k"));
    player->SetLoopStart(0);  // a steady tone for as long as we listen
    SmartPtr<AudioVoice> voice = output->CreateVoice(SmartPtr<VoiceSource>(player.Get()));
    voice->SetVolume(0.5f);
    ASSERT_TRUE(output->Open());
    loopback.Render(*output, 8);

    // A sine of peak 0.5 at volume 0.5: RMS 0.177 on each speaker.
    const float* out = loopback.Samples().data();
    EXPECT_NEAR(Rms(out, 2, 0, kFrames, 8 * kFrames), 0.177, 0.01);
    EXPECT_NEAR(Rms(out, 2, 1, kFrames, 8 * kFrames), 0.177, 0.01);
    output->Close();
    EXPECT_FALSE(output->IsOpen());
}

TEST(OpenALMixerOut, LoopbackKeepsAStereoChannelOnItsSpeaker) {
    Loopback loopback;
    ASSERT_TRUE(loopback.Available());
    SmartPtr<OpenALMixerOut> output = loopback.MakeOutput();
    SmartPtr<AudioSampleSource> left =
        OpenSampleBytes(ReadFixture("left_only"), "left_only", false, false);
    ASSERT_TRUE(left);
    PlayOn(*output, left);
    ASSERT_TRUE(output->Open());
    loopback.Render(*output, 6);

    const float* out = loopback.Samples().data();
    EXPECT_NEAR(Rms(out, 2, 0, kFrames, 6 * kFrames), 0.354, 0.02);
    EXPECT_LT(Rms(out, 2, 1, kFrames, 6 * kFrames), 0.001);
}

TEST(OpenALMixerOut, SuspendAndResumeContinueWhereTheyWere) {
    Loopback loopback;
    ASSERT_TRUE(loopback.Available());
    SmartPtr<OpenALMixerOut> output = loopback.MakeOutput();
    // Sample i holds i + 1, so every played frame names its position.
    std::vector<int16_t> positions(30000);
    for (size_t i = 0; i < positions.size(); ++i) {
        positions[i] = static_cast<int16_t>(i + 1);
    }
    PlayOn(*output, MakeMono(positions));
    ASSERT_TRUE(output->Open());
    loopback.Render(*output, 3);
    output->Suspend();
    loopback.Render(*output, 10);  // plays what was queued, then nothing
    EXPECT_TRUE(output->IsSuspended());
    output->Resume();
    output->Service();
    EXPECT_FALSE(output->IsSuspended());
    loopback.Render(*output, 8);

    // Silence while suspended, and every frame played exactly once, in order.
    std::vector<int> played;
    bool gap = false;
    for (uint32_t i = 0; i < loopback.Frames(); ++i) {
        const int value = static_cast<int>(std::lround(loopback.Samples()[2 * i] * 32768.0f));
        if (value == 0) {
            gap = gap || !played.empty();
            continue;
        }
        played.push_back(value);
    }
    EXPECT_TRUE(gap);
    ASSERT_GT(played.size(), 12 * kFrames);
    for (size_t i = 0; i < played.size(); ++i) {
        ASSERT_EQ(played[i], static_cast<int>(i + 1)) << i;
    }
}

TEST(OpenALMixerOut, NoDeviceMeansNoErrorAndNoSound) {
    // This process opens no system device (see AudioTestSupport.cpp).
    SmartPtr<OpenALMixerOut> output = OpenALMixerOut::Create();
    for (int i = 0; i < 200 && !output->HasTriedOpen(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(output->HasTriedOpen());
    EXPECT_FALSE(output->IsOpen());
    for (int i = 0; i < 40; ++i) {
        PlayOn(*output, MakeMono(Constant(100, 1000)));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    // Nothing is mixed, so every voice stays waiting; the duck voice too.
    EXPECT_EQ(output->ActiveAndPendingCount(), 41u);
    output->Suspend();
    output->Resume();
}  // the thread stops here

TEST(OpenALMixerOutDeathTest, OutputThreadPlaysOnTheNullDevice) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // In a fresh process, where OpenAL may use its null device: the output's
    // own thread plays a 0.5 s sound to its end, paced by the device. With
    // at most 200 ms queued ahead, the end cannot come before 0.3 s.
    EXPECT_EXIT(
        {
            setenv("ALSOFT_DRIVERS", "null", 1);
            const auto begin = std::chrono::steady_clock::now();
            SmartPtr<OpenALMixerOut> output = OpenALMixerOut::Create();
            SmartPtr<AudioVoice> voice = PlayOn(*output, MakeMono(Constant(22050, 1000)));
            while (voice->IsQueued() &&
                   std::chrono::steady_clock::now() - begin < std::chrono::seconds(5)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            const auto took = std::chrono::steady_clock::now() - begin;
            const bool paced = took > std::chrono::milliseconds(250) &&
                               took < std::chrono::seconds(5);
            const bool open = output->IsOpen();
            output.Clear();  // joins the thread
            _exit(open && paced ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The duck stage on an output without a device: music (left) and an effect
// (right) as other audio starts and stops.
TEST(AudioMixerOutput, MusicDucksWhileOtherAudioPlays) {
    SmartPtr<NullMixerOutput> output(new NullMixerOutput);
    std::vector<int16_t> music;
    std::vector<int16_t> effect;
    for (int i = 0; i < 4000; ++i) {
        music.insert(music.end(), {10000, 0});
        effect.insert(effect.end(), {0, 10000});
    }
    SmartPtr<SamplePlayer> musicPlayer(new SamplePlayer(MakeStereo(music), "music"));
    musicPlayer->SetLoopStart(0);
    SmartPtr<SamplePlayer> effectPlayer(new SamplePlayer(MakeStereo(effect), "effect"));
    effectPlayer->SetLoopStart(0);
    output->GetDuckMixer().CreateVoice(SmartPtr<VoiceSource>(musicPlayer.Get()));
    output->CreateVoice(SmartPtr<VoiceSource>(effectPlayer.Get()));

    const int16_t* out = output->MixOutputBuffer();
    EXPECT_NEAR(out[0], 10000, 2);
    EXPECT_NEAR(out[1], 10000, 2);

    SetOtherAudioPlaying(true);
    int silentAfter = -1;
    for (int buffer = 1; buffer <= 20; ++buffer) {
        out = output->MixOutputBuffer();
        EXPECT_NEAR(out[2 * kFrames - 1], 10000, 2);  // effects play on
        if (silentAfter < 0 && out[2 * kFrames - 2] == 0) {
            silentAfter = buffer;
        }
    }
    // Silent within 0.5 s: 12.5 buffers of 40 ms.
    EXPECT_GE(silentAfter, 12);
    EXPECT_LE(silentAfter, 13);

    SetOtherAudioPlaying(false);
    std::vector<int16_t> levels;
    for (int buffer = 1; buffer <= 40; ++buffer) {
        out = output->MixOutputBuffer();
        levels.push_back(out[2 * kFrames - 2]);
    }
    SetOtherAudioPlaying(false);
    // Back over 1.5 s (37.5 buffers), rising all the way.
    for (size_t i = 1; i < levels.size(); ++i) {
        EXPECT_GE(levels[i], levels[i - 1]) << i;
    }
    EXPECT_NEAR(levels[18], 10000 * 19 * kFrames / (1.5 * 44100), 150);  // halfway
    EXPECT_LT(levels[35], 10000);
    EXPECT_NEAR(levels[39], 10000, 2);
}

}  // namespace
}  // namespace Varnok
