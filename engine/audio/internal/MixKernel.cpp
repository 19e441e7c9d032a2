// MixKernelScalar: integer mixing, one output channel at a time. The common
// cases (steady volume, a steady pitch) get loops of their own without
// per-frame clamps or bounds checks; the general loop handles ramps of both.
#include "engine/audio/internal/MixKernel.h"

#include "engine/audio/internal/MixPlan.h"

#include <algorithm>

namespace Varnok {

namespace {

// A steady pitch: frames read the source at whole steps of an 8.24 position.
// kRamp: the volume moves by `step` each frame and stays within range.
// Strides known at compile time (0: take them from the arguments) let the
// common layouts, mono into mono and stereo into stereo, run faster.
template <bool kRamp, uint32_t kDestStride, uint32_t kSourceStride>
void MixSteady(const MixKernelArgs& a, const MixPlan& plan) {
    const uint32_t destStride = kDestStride != 0 ? kDestStride : a.destStride;
    const uint32_t sourceStride = kSourceStride != 0 ? kSourceStride : a.sourceStride;
    int16_t* out = a.dest;
    const int16_t* in = a.source;
    int64_t volume = plan.volume;
    const int64_t step = plan.volumeStep;
    if (plan.unity) {
        for (uint32_t i = 0; i < plan.frames; ++i) {
            AddMixFrame(out + i * destStride, in[i * sourceStride], volume);
            if (kRamp) {
                volume += step;
            }
        }
        return;
    }
    uint64_t position = 0;
    for (uint32_t i = 0; i < plan.frames; ++i) {
        AddMixFrame(out, in[(position >> 24) * sourceStride], volume);
        out += destStride;
        position += plan.pitchStep;
        if (kRamp) {
            volume += step;
        }
    }
}

// Ramps of volume and pitch, clamped every frame.
void MixGeneral(const MixKernelArgs& a, const MixPlan& plan) {
    int64_t volume = plan.volume;
    const int64_t volumeStep = plan.volumeStep;
    int64_t pitchStep = static_cast<int64_t>(
        ClampMixValue(a.pitch * double(1 << 24), 0.0, double(kMaxMixStep)));
    const int64_t pitchStepSlide = static_cast<int64_t>(ClampMixValue(
        a.pitchSlide / kMixRate * double(1 << 24), -double(kMaxMixStep), double(kMaxMixStep)));
    int16_t* out = a.dest;
    uint64_t index = 0;
    int64_t fraction = 0;
    for (uint32_t i = 0; i < a.frames && index < a.sourceFrames; ++i) {
        AddMixFrame(out, a.source[index * a.sourceStride], volume);
        out += a.destStride;
        volume = std::clamp(volume + volumeStep, int64_t{0}, kMixVolumeCap);
        if (plan.unity) {
            ++index;
            continue;
        }
        // Steps are kept non-negative: the source is never read backwards.
        fraction += pitchStep;
        index += static_cast<uint64_t>(fraction >> 24);
        fraction &= 0xFFFFFF;
        pitchStep = std::clamp(pitchStep + pitchStepSlide, int64_t{0}, kMaxMixStep);
    }
}

}  // namespace

void MixKernelScalar(const MixKernelArgs& a) {
    const MixPlan plan = PlanMix(a);
    if (plan.loop == MixLoop::Silent) {
        return;
    }
    if (plan.loop == MixLoop::General) {
        MixGeneral(a, plan);
        return;
    }
    const bool monoIntoMono = a.destStride == 1 && a.sourceStride == 1;
    const bool stereoIntoStereo = a.destStride == 2 && a.sourceStride == 2;
    if (plan.volumeStep == 0) {
        if (monoIntoMono) {
            MixSteady<false, 1, 1>(a, plan);
        } else if (stereoIntoStereo) {
            MixSteady<false, 2, 2>(a, plan);
        } else {
            MixSteady<false, 0, 0>(a, plan);
        }
    } else {
        MixSteady<true, 0, 0>(a, plan);
    }
}

void MixKernel(const MixKernelArgs& a) {
#if defined(VARNOK_MIX_KERNEL_SSE2)
    MixKernelSse2(a);
#else
    MixKernelScalar(a);
#endif
}

void AddMonoToFrames(int16_t* interleaved, uint32_t channelCount, const int16_t* mono,
                       uint32_t frames) {
#if defined(VARNOK_MIX_KERNEL_SSE2)
    if (channelCount == 2) {
        AddMonoToStereoSse2(interleaved, mono, frames);
        return;
    }
#endif
    int16_t* out = interleaved;
    for (uint32_t i = 0; i < frames; ++i) {
        for (uint32_t c = 0; c < channelCount; ++c, ++out) {
            *out = SaturateSample(*out + mono[i]);
        }
    }
}

}  // namespace Varnok
