// The integer mixer against openal-soft on one workload: 32 looping mono
// voices at 22050, 32000 and 44100 Hz, each at its own pitch, mixed into 10 s
// of 44100 Hz 16-bit stereo on the calling thread. openal-soft renders through
// its loopback device (ALC_SOFT_loopback) into a buffer, so neither side waits
// on a sound card. Each side runs in a fresh process; the figure is the
// process's CPU time for the 10 s, after one warm-up buffer.
//
// The two do not do the same work per frame, and the printout says how:
// - Our engine converts a sample to 44100 Hz when it loads it (linear
//   interpolation up) and the mixer then steps through it at the voice's
//   pitch, nearest frame. openal-soft keeps the sample at its own rate and
//   resamples while it mixes. "varnok, with load" adds the conversion of
//   the 32 samples to the mixing time.
// - openal-soft interpolates while it mixes (linear by default); the "point"
//   contender makes it take the nearest frame as our mixer does.
// - Our mono voices play centred (the mono mix); openal-soft's sources sit
//   straight ahead, so both put a voice equally on both speakers.
#include "bench/SideBySide.h"
#include "engine/audio/AudioMixerOutput.h"
#include "engine/audio/DecodedSample.h"
#include "engine/audio/PcmConverter.h"
#include "engine/audio/SamplePlayer.h"
#include "engine/audio/SubMixer.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int kVoices = 32;
constexpr uint32_t kRates[3] = {22050, 32000, 44100};
constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kOutputRate = 44100;
constexpr uint32_t kBufferFrames = Varnok::AudioMixerOutput::kBufferFrames;
constexpr int kBuffersPerRun = 250;  // 10 s of 40 ms buffers
constexpr float kVoiceVolume = 0.1f;
constexpr float kGroupVolume = 0.8f;  // the effects stage's own volume
constexpr double kLowestPitch = 0.8;
constexpr double kHighestPitch = 1.42;

struct VoiceDef {
    uint32_t rate;
    float octaves;  // what the game asks for
    float pitch;    // 2^octaves, as the voice stores it
    std::vector<int16_t> samples;  // one second of a sine, mono
};

std::vector<VoiceDef> MakeVoices() {
    std::vector<VoiceDef> voices;
    const double lowOctaves = std::log2(kLowestPitch);
    const double highOctaves = std::log2(kHighestPitch);
    for (int i = 0; i < kVoices; ++i) {
        VoiceDef v;
        v.rate = kRates[i % 3];
        v.octaves = static_cast<float>(lowOctaves + (highOctaves - lowOctaves) * i / (kVoices - 1));
        // The same rounding as AudioVoice::SetPitch, so both sides play the same pitch.
        v.pitch = static_cast<float>(std::pow(2.0, static_cast<double>(v.octaves)));
        const double hz = 180.0 + 41.0 * i;
        for (uint32_t f = 0; f < v.rate; ++f) {
            v.samples.push_back(
                static_cast<int16_t>(std::lround(16383.0 * std::sin(2.0 * kPi * hz * f / v.rate))));
        }
        voices.push_back(std::move(v));
    }
    return voices;
}

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

// Root mean square of one buffer of samples: shows that a side really mixed.
double Rms(const int16_t* samples, size_t count) {
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return count > 0 ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

// includeLoad: the figure also counts converting the samples to 44100 Hz.
double MeasureVarnok(bool includeLoad) {
    using namespace Varnok;
    const std::vector<VoiceDef> voices = MakeVoices();
    SmartPtr<NullMixerOutput> output(new NullMixerOutput);
    SmartPtr<SubMixer> effects(new SubMixer);
    output->CreateVoice(SmartPtr<VoiceSource>(effects.Get()))->SetVolume(kGroupVolume);

    // The samples as a decoder leaves them, at their own rates.
    std::vector<SmartPtr<AudioSampleSource>> raw;
    for (const VoiceDef& def : voices) {
        raw.emplace_back(new DecodedSample(def.rate, 1, AudioSampleSource::kNoLoop, def.samples));
    }
    const double loadStart = ProcessCpuMs();
    std::vector<SmartPtr<SamplePlayer>> players;
    for (const SmartPtr<AudioSampleSource>& sample : raw) {
        PcmConverter converter(sample, kOutputRate, false);
        players.emplace_back(new SamplePlayer(DecodedSample::Decode(converter, "bench"), "bench"));
    }
    const double loadMs = ProcessCpuMs() - loadStart;

    for (size_t i = 0; i < voices.size(); ++i) {
        players[i]->SetLoopStart(0);
        SmartPtr<AudioVoice> voice = effects->CreateVoice(SmartPtr<VoiceSource>(players[i].Get()));
        voice->SetVolume(kVoiceVolume);
        voice->SetPitch(voices[i].octaves);
    }
    output->MixOutputBuffer();  // voices join; buffers are made

    const double start = ProcessCpuMs();
    const int16_t* out = nullptr;
    for (int b = 0; b < kBuffersPerRun; ++b) {
        out = output->MixOutputBuffer();
    }
    const double mixMs = ProcessCpuMs() - start;
    std::printf("  varnok: load conversion %.2f ms, mix %.2f ms, last buffer rms %.0f\n", loadMs,
                mixMs, Rms(out, 2 * kBufferFrames));
    return includeLoad ? mixMs + loadMs : mixMs;
}

// resampler: openal-soft's name for it ("Nearest", "Linear"), or null for
// its default.
double MeasureOpenAL(const char* resampler) {
    auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    ALCdevice* device = openLoopback != nullptr ? openLoopback(nullptr) : nullptr;
    if (device == nullptr || render == nullptr) {
        std::printf("  openal-soft: no loopback device\n");
        return -1.0;
    }
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                                 ALC_SHORT_SOFT, ALC_FREQUENCY, static_cast<ALCint>(kOutputRate),
                                 0};
    ALCcontext* context = alcCreateContext(device, attributes);
    alcMakeContextCurrent(context);

    // The resampler every source uses: the default, or the one named.
    ALint resamplerIndex = alGetInteger(AL_DEFAULT_RESAMPLER_SOFT);
    auto resamplerName = reinterpret_cast<LPALGETSTRINGISOFT>(alGetProcAddress("alGetStringiSOFT"));
    if (resampler != nullptr) {
        const ALint count = alGetInteger(AL_NUM_RESAMPLERS_SOFT);
        resamplerIndex = -1;
        for (ALint i = 0; i < count && resamplerName != nullptr; ++i) {
            if (std::strstr(resamplerName(AL_RESAMPLER_NAME_SOFT, i), resampler) != nullptr) {
                resamplerIndex = i;
            }
        }
        if (resamplerIndex < 0) {
            std::printf("  openal-soft: no %s resampler here\n", resampler);
            alcMakeContextCurrent(nullptr);
            alcDestroyContext(context);
            alcCloseDevice(device);
            return -1.0;
        }
    }

    const std::vector<VoiceDef> voices = MakeVoices();
    std::vector<ALuint> buffers(kVoices);
    std::vector<ALuint> sources(kVoices);
    alGenBuffers(kVoices, buffers.data());
    alGenSources(kVoices, sources.data());
    alDistanceModel(AL_NONE);
    for (int i = 0; i < kVoices; ++i) {
        const VoiceDef& def = voices[i];
        alBufferData(buffers[i], AL_FORMAT_MONO16, def.samples.data(),
                     static_cast<ALsizei>(def.samples.size() * sizeof(int16_t)),
                     static_cast<ALsizei>(def.rate));
        alSourcei(sources[i], AL_BUFFER, static_cast<ALint>(buffers[i]));
        alSourcei(sources[i], AL_LOOPING, AL_TRUE);
        alSourcef(sources[i], AL_GAIN, kVoiceVolume * kGroupVolume);
        alSourcef(sources[i], AL_PITCH, def.pitch);
        alSourcei(sources[i], AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(sources[i], AL_POSITION, 0.0f, 0.0f, -1.0f);
        alSourcei(sources[i], AL_SOURCE_RESAMPLER_SOFT, resamplerIndex);
    }
    alSourcePlayv(kVoices, sources.data());
    std::vector<int16_t> out(2 * kBufferFrames);
    render(device, out.data(), static_cast<ALCsizei>(kBufferFrames));  // warm-up, as ours

    const double start = ProcessCpuMs();
    for (int b = 0; b < kBuffersPerRun; ++b) {
        render(device, out.data(), static_cast<ALCsizei>(kBufferFrames));
    }
    const double mixMs = ProcessCpuMs() - start;
    std::printf("  openal-soft (%s resampler): mix %.2f ms, last buffer rms %.0f, AL error %#x\n",
                resamplerName != nullptr ? resamplerName(AL_RESAMPLER_NAME_SOFT, resamplerIndex)
                                         : "?",
                mixMs, Rms(out.data(), out.size()), alGetError());

    alSourceStopv(kVoices, sources.data());
    alDeleteSources(kVoices, sources.data());
    alDeleteBuffers(kVoices, buffers.data());
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    return mixMs;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "32 looping mono voices, 1 s sines at 22050, 32000 and 44100 Hz (in turn), pitches "
        "0.8 to 1.42 spread evenly in octaves, volume 0.1 in a group at 0.8, all centred; "
        "10 s of 44100 Hz 16-bit stereo in 40 ms buffers (250 x 1764 frames) on one thread.\n"
        "  varnok: samples converted to 44100 Hz when loaded (not counted), then pitched while "
        "mixing, nearest frame.\n"
        "  varnok, with load: the same, counting the conversion of the 32 samples.\n"
        "  openal-soft: loopback device rendering into a buffer, resampling rate x pitch while "
        "mixing with its default resampler;\n"
        "  openal-soft, point: the same with the nearest-frame resampler "
        "(AL_SOFT_source_resampler), as our mixer steps.\n"
        "  The rms printed per run only shows that a side mixed: openal-soft's panning puts a "
        "centred source lower on each speaker than our mono mix does.";
    comparison.unit = "ms CPU for 10 s";
    comparison.rounds = 3;
    comparison.contenders = {
        {"varnok", [] { return MeasureVarnok(false); }},
        {"varnok, with load", [] { return MeasureVarnok(true); }},
        {"openal-soft", [] { return MeasureOpenAL(nullptr); }},
        {"openal-soft, point", [] { return MeasureOpenAL("Nearest"); }},
    };
    return Bench::RunSideBySide(argc, argv, comparison);
}
