// What every mixing kernel decides the same way before its loops: the fixed
// point volume and pitch, which loop a piece needs and how many frames it may
// read, and the arithmetic of one output frame.
#pragma once

#include "engine/audio/internal/MixKernel.h"

#include <algorithm>
#include <cstdint>

namespace Varnok {

constexpr double kMixRate = 44100.0;
constexpr int64_t kMaxMixStep = static_cast<int64_t>(kMaxMixPitch) << 24;
// Volumes above this are a caller's mistake; capping keeps every sum in range.
constexpr double kMaxMixVolume = 16.0;
// Samples are scaled by a 16.16 volume. Ramps run in 32.32, so that a slow
// fade does not drift from its target through rounding.
constexpr double kMixVolumeOne = 4294967296.0;
constexpr int64_t kMixVolumeCap = static_cast<int64_t>(kMaxMixVolume * kMixVolumeOne);

enum class MixLoop {
    Silent,   // adds exactly nothing
    General,  // a pitch ramp, or a volume ramp that leaves the range: clamped every frame
    Steady,   // a steady pitch, and a volume that is steady or ramps within range
};

struct MixPlan {
    MixLoop loop = MixLoop::Silent;
    int64_t volume = 0;      // 32.32
    int64_t volumeStep = 0;  // per output frame, 32.32
    bool unity = false;      // one source frame per output frame
    // Steady loop only:
    uint64_t pitchStep = 0;  // 8.24 source frames per output frame; 1.0 when unity
    uint32_t frames = 0;     // output frames whose source frame lies below sourceFrames
};

inline int16_t SaturateSample(int32_t value) {
    return static_cast<int16_t>(std::min(std::max(value, -32768), 32767));
}

// Clamps, taking NaN as `low`.
inline double ClampMixValue(double value, double low, double high) {
    return value > low ? (value < high ? value : high) : low;
}

// One output frame: the sample times the volume's 16.16 part, added with saturation.
inline void AddMixFrame(int16_t* out, int16_t sample, int64_t volume) {
    *out = SaturateSample(*out + static_cast<int32_t>((sample * (volume >> 16)) >> 16));
}

inline bool IsUnityMixPitch(float pitch, float slide) {
    return pitch >= 0.9999f && pitch <= 1.0001f && slide >= -0.0001f && slide <= 0.0001f;
}

inline MixPlan PlanMix(const MixKernelArgs& a) {
    MixPlan plan;
    if (a.frames == 0 || a.sourceFrames == 0 || a.dest == nullptr || a.source == nullptr) {
        return plan;
    }
    plan.volume = static_cast<int64_t>(
        ClampMixValue(a.volume * kMixVolumeOne, 0.0, double(kMixVolumeCap)));
    plan.volumeStep = static_cast<int64_t>(ClampMixValue(
        a.volumeSlide / kMixRate * kMixVolumeOne, -double(kMixVolumeCap), double(kMixVolumeCap)));
    if (plan.volumeStep == 0 && (plan.volume >> 16) == 0) {
        return plan;
    }
    plan.unity = IsUnityMixPitch(a.pitch, a.pitchSlide);
    const bool pitchRamp = !(a.pitchSlide == 0.0f) && !plan.unity;
    // A volume ramp that stays in range over the whole piece needs no clamp.
    const int64_t end = plan.volume + plan.volumeStep * static_cast<int64_t>(a.frames);
    const bool rampInRange = end >= 0 && end <= kMixVolumeCap;
    if (pitchRamp || (plan.volumeStep != 0 && !rampInRange)) {
        plan.loop = MixLoop::General;
        return plan;
    }
    plan.loop = MixLoop::Steady;
    if (plan.unity) {
        plan.pitchStep = uint64_t{1} << 24;
        plan.frames = std::min(a.frames, a.sourceFrames);
        return plan;
    }
    plan.pitchStep = static_cast<uint64_t>(
        ClampMixValue(a.pitch * double(1 << 24), 0.0, double(kMaxMixStep)));
    uint64_t frames = a.frames;
    if (plan.pitchStep > 0) {
        const uint64_t last = (static_cast<uint64_t>(a.sourceFrames) << 24) - 1;
        frames = std::min<uint64_t>(frames, last / plan.pitchStep + 1);
    }
    plan.frames = static_cast<uint32_t>(frames);
    return plan;
}

}  // namespace Varnok
