// MixKernel: integer mixing, one output channel at a time. The common cases
// (steady volume, a steady pitch) get loops of their own without per-frame
// clamps or bounds checks; the general loop handles ramps of both.
#include "engine/audio/internal/MixKernel.h"

#include <algorithm>

namespace Varnok {

namespace {

constexpr double kRate = 44100.0;
constexpr int64_t kMaxStep = static_cast<int64_t>(kMaxMixPitch) << 24;
// Volumes above this are a caller's mistake; capping keeps every sum in range.
constexpr double kMaxVolume = 16.0;
// Samples are scaled by a 16.16 volume. Ramps run in 32.32, so that a slow
// fade does not drift from its target through rounding.
constexpr double kVolumeOne = 4294967296.0;
constexpr int64_t kVolumeCap = static_cast<int64_t>(kMaxVolume * kVolumeOne);

inline int16_t Saturate(int32_t value) {
    return static_cast<int16_t>(std::min(std::max(value, -32768), 32767));
}

// Clamps, taking NaN as `low`.
inline double ClampValue(double value, double low, double high) {
    return value > low ? (value < high ? value : high) : low;
}

inline void Add(int16_t* out, int16_t sample, int64_t volume) {
    *out = Saturate(*out + static_cast<int32_t>((sample * (volume >> 16)) >> 16));
}

bool IsUnityPitch(float pitch, float slide) {
    return pitch >= 0.9999f && pitch <= 1.0001f && slide >= -0.0001f && slide <= 0.0001f;
}

// A steady pitch: frames read the source at whole steps of an 8.24 position.
// kRamp: the volume moves by `step` each frame and stays within range.
// Strides known at compile time (0: take them from the arguments) let the
// common layouts, mono into mono and stereo into stereo, run faster.
template <bool kRamp, uint32_t kDestStride, uint32_t kSourceStride>
void MixSteady(const MixKernelArgs& a, bool unity, int64_t volume, int64_t step) {
    const uint32_t destStride = kDestStride != 0 ? kDestStride : a.destStride;
    const uint32_t sourceStride = kSourceStride != 0 ? kSourceStride : a.sourceStride;
    int16_t* out = a.dest;
    const int16_t* in = a.source;
    if (unity) {
        const uint32_t frames = std::min(a.frames, a.sourceFrames);
        for (uint32_t i = 0; i < frames; ++i) {
            Add(out + i * destStride, in[i * sourceStride], volume);
            if (kRamp) {
                volume += step;
            }
        }
        return;
    }
    const uint64_t pitchStep =
        static_cast<uint64_t>(ClampValue(a.pitch * double(1 << 24), 0.0, double(kMaxStep)));
    // Frames whose source position stays below sourceFrames.
    uint64_t frames = a.frames;
    if (pitchStep > 0) {
        const uint64_t last = (static_cast<uint64_t>(a.sourceFrames) << 24) - 1;
        frames = std::min<uint64_t>(frames, last / pitchStep + 1);
    }
    uint64_t position = 0;
    for (uint64_t i = 0; i < frames; ++i) {
        Add(out, in[(position >> 24) * sourceStride], volume);
        out += destStride;
        position += pitchStep;
        if (kRamp) {
            volume += step;
        }
    }
}

// Ramps of volume and pitch, clamped every frame.
void MixGeneral(const MixKernelArgs& a, int64_t volume, int64_t volumeStep) {
    int64_t pitchStep =
        static_cast<int64_t>(ClampValue(a.pitch * double(1 << 24), 0.0, double(kMaxStep)));
    const int64_t pitchStepSlide = static_cast<int64_t>(
        ClampValue(a.pitchSlide / kRate * double(1 << 24), -double(kMaxStep), double(kMaxStep)));
    const bool unity = IsUnityPitch(a.pitch, a.pitchSlide);
    int16_t* out = a.dest;
    uint64_t index = 0;
    int64_t fraction = 0;
    for (uint32_t i = 0; i < a.frames && index < a.sourceFrames; ++i) {
        Add(out, a.source[index * a.sourceStride], volume);
        out += a.destStride;
        volume = std::clamp(volume + volumeStep, int64_t{0}, kVolumeCap);
        if (unity) {
            ++index;
            continue;
        }
        // Steps are kept non-negative: the source is never read backwards.
        fraction += pitchStep;
        index += static_cast<uint64_t>(fraction >> 24);
        fraction &= 0xFFFFFF;
        pitchStep = std::clamp(pitchStep + pitchStepSlide, int64_t{0}, kMaxStep);
    }
}

}  // namespace

void MixKernel(const MixKernelArgs& a) {
    if (a.frames == 0 || a.sourceFrames == 0 || a.dest == nullptr || a.source == nullptr) {
        return;
    }
    const int64_t volume =
        static_cast<int64_t>(ClampValue(a.volume * kVolumeOne, 0.0, double(kVolumeCap)));
    const int64_t step = static_cast<int64_t>(
        ClampValue(a.volumeSlide / kRate * kVolumeOne, -double(kVolumeCap), double(kVolumeCap)));
    if (step == 0 && (volume >> 16) == 0) {
        return;  // silent: adds exactly nothing
    }
    const bool pitchRamp = !(a.pitchSlide == 0.0f) && !IsUnityPitch(a.pitch, a.pitchSlide);
    // A volume ramp that stays in range over the whole piece needs no clamp.
    const int64_t end = volume + step * static_cast<int64_t>(a.frames);
    const bool rampInRange = end >= 0 && end <= kVolumeCap;
    if (pitchRamp || (step != 0 && !rampInRange)) {
        MixGeneral(a, volume, step);
        return;
    }
    const bool unity = IsUnityPitch(a.pitch, a.pitchSlide);
    const bool monoIntoMono = a.destStride == 1 && a.sourceStride == 1;
    const bool stereoIntoStereo = a.destStride == 2 && a.sourceStride == 2;
    if (step == 0) {
        if (monoIntoMono) {
            MixSteady<false, 1, 1>(a, unity, volume, 0);
        } else if (stereoIntoStereo) {
            MixSteady<false, 2, 2>(a, unity, volume, 0);
        } else {
            MixSteady<false, 0, 0>(a, unity, volume, 0);
        }
    } else {
        MixSteady<true, 0, 0>(a, unity, volume, step);
    }
}

}  // namespace Varnok
