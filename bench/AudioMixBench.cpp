// The integer mixer against openal-soft: both mix the same 32 voices (four
// source rates, pitches from -0.3 to +0.3 octaves, mono voices panned across
// the field and stereo ones) into 10 seconds of 44100 Hz stereo, on the
// calling thread. Our voices play samples converted to 44100 Hz when loaded,
// as the engine's are; openal-soft resamples its sources while it mixes.
#include "engine/audio/AudioMixerOutput.h"
#include "engine/audio/DecodedSample.h"
#include "engine/audio/PcmConverter.h"
#include "engine/audio/SamplePlayer.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kVoices = 32;
constexpr uint32_t kRates[4] = {22050, 32000, 44100, 48000};
constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kBufferFrames = Varnok::AudioMixerOutput::kBufferFrames;
constexpr int kBuffersPerRun = 250;  // 10 s of 40 ms buffers
constexpr float kVoiceVolume = 0.1f;

struct VoiceDef {
    uint32_t rate;
    uint32_t channels;
    float pitchOctaves;
    float pan;  // radians, mono voices only
    std::vector<int16_t> samples;  // one second, interleaved
};

std::vector<VoiceDef> MakeVoices() {
    std::vector<VoiceDef> voices;
    for (int i = 0; i < kVoices; ++i) {
        VoiceDef v;
        v.rate = kRates[i % 4];
        v.channels = i % 3 == 2 ? 2 : 1;
        v.pitchOctaves = static_cast<float>((i % 7) - 3) * 0.1f;
        v.pan = static_cast<float>(-kPi / 2 + kPi * i / (kVoices - 1));
        const double hz = 180.0 + 41.0 * i;
        for (uint32_t f = 0; f < v.rate; ++f) {
            const double s = 0.5 * std::sin(2.0 * kPi * hz * f / v.rate);
            for (uint32_t c = 0; c < v.channels; ++c) {
                v.samples.push_back(static_cast<int16_t>(std::lround(32767.0 * s * (c + 1) / 2)));
            }
        }
        voices.push_back(std::move(v));
    }
    return voices;
}

const std::vector<VoiceDef>& Voices() {
    static const std::vector<VoiceDef> voices = MakeVoices();
    return voices;
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// CPU seconds of one 10-second mix, the mean of the last measured run.
double g_varnokSeconds = 0.0;
double g_openalSeconds = 0.0;

void BM_VarnokMixer(benchmark::State& state) {
    using namespace Varnok;
    SmartPtr<NullMixerOutput> output(new NullMixerOutput);
    // The effects stage of the sound manager: a sub-mixer under the output.
    SmartPtr<SubMixer> effects(new SubMixer);
    output->CreateVoice(SmartPtr<VoiceSource>(effects.Get()))->SetVolume(0.8f);
    for (const VoiceDef& def : Voices()) {
        SmartPtr<AudioSampleSource> raw(
            new DecodedSample(def.rate, def.channels, AudioSampleSource::kNoLoop, def.samples));
        PcmConverter converter(raw, 44100, false);
        SmartPtr<SamplePlayer> player(
            new SamplePlayer(DecodedSample::Decode(converter, "bench"), "bench"));
        player->SetLoopStart(0);
        SmartPtr<AudioVoice> voice = effects->CreateVoice(SmartPtr<VoiceSource>(player.Get()));
        voice->SetVolume(kVoiceVolume);
        voice->SetPitch(def.pitchOctaves);
    }
    output->MixOutputBuffer();  // voices join
    double total = 0.0;
    int64_t runs = 0;
    for (auto _ : state) {
        const double start = ThreadCpuSeconds();
        for (int b = 0; b < kBuffersPerRun; ++b) {
            benchmark::DoNotOptimize(output->MixOutputBuffer());
        }
        total += ThreadCpuSeconds() - start;
        ++runs;
    }
    g_varnokSeconds = total / static_cast<double>(runs);
    state.SetItemsProcessed(state.iterations() * kBuffersPerRun * kBufferFrames);
}

void BM_OpenALSoftMixer(benchmark::State& state) {
    auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    ALCdevice* device = openLoopback != nullptr ? openLoopback(nullptr) : nullptr;
    if (device == nullptr || render == nullptr) {
        state.SkipWithError("no OpenAL loopback device");
        return;
    }
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                                 ALC_SHORT_SOFT, ALC_FREQUENCY, 44100, 0};
    ALCcontext* context = alcCreateContext(device, attributes);
    alcMakeContextCurrent(context);
    std::vector<ALuint> buffers(kVoices);
    std::vector<ALuint> sources(kVoices);
    alGenBuffers(kVoices, buffers.data());
    alGenSources(kVoices, sources.data());
    for (int i = 0; i < kVoices; ++i) {
        const VoiceDef& def = Voices()[i];
        alBufferData(buffers[i], def.channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16,
                     def.samples.data(),
                     static_cast<ALsizei>(def.samples.size() * sizeof(int16_t)),
                     static_cast<ALsizei>(def.rate));
        alSourcei(sources[i], AL_BUFFER, static_cast<ALint>(buffers[i]));
        alSourcei(sources[i], AL_LOOPING, AL_TRUE);
        alSourcef(sources[i], AL_GAIN, kVoiceVolume * 0.8f);
        alSourcef(sources[i], AL_PITCH, std::pow(2.0f, def.pitchOctaves));
        alSourcei(sources[i], AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(sources[i], AL_POSITION, std::sin(def.pan), 0.0f, -std::cos(def.pan));
    }
    alSourcePlayv(kVoices, sources.data());
    std::vector<int16_t> out(2 * kBufferFrames);
    double total = 0.0;
    int64_t runs = 0;
    for (auto _ : state) {
        const double start = ThreadCpuSeconds();
        for (int b = 0; b < kBuffersPerRun; ++b) {
            render(device, out.data(), kBufferFrames);
            benchmark::DoNotOptimize(out.data());
        }
        total += ThreadCpuSeconds() - start;
        ++runs;
    }
    g_openalSeconds = total / static_cast<double>(runs);
    state.SetItemsProcessed(state.iterations() * kBuffersPerRun * kBufferFrames);
    alSourceStopv(kVoices, sources.data());
    alDeleteSources(kVoices, sources.data());
    alDeleteBuffers(kVoices, buffers.data());
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
}

BENCHMARK(BM_VarnokMixer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenALSoftMixer)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_varnokSeconds > 0.0 && g_openalSeconds > 0.0) {
        std::printf("10 s of 32 voices: integer mixer %.1f ms CPU, openal-soft %.1f ms CPU, "
                    "ratio %.2f\n",
                    g_varnokSeconds * 1e3, g_openalSeconds * 1e3,
                    g_varnokSeconds / g_openalSeconds);
    }
    return 0;
}
