// The one inner loop of all mixing: source samples times a 16.16 volume ramp,
// stepped at a pitch in 8.24 fixed point, added into 16-bit samples with
// saturation. MixKernel runs the fastest kernel the target was built for;
// every kernel adds exactly the same samples as the portable one.
#pragma once

#include <cstdint>

namespace Varnok {

// Largest pitch the kernel steps at, in source frames per output frame.
constexpr float kMaxMixPitch = 112.0f;

struct MixKernelArgs {
    int16_t* dest = nullptr;
    uint32_t destStride = 1;    // samples between output frames
    uint32_t frames = 0;        // output frames to add
    const int16_t* source = nullptr;
    uint32_t sourceStride = 1;  // samples between source frames
    uint32_t sourceFrames = 0;  // frames readable at source; nothing past them is read
    float volume = 1.0f;
    float volumeSlide = 0.0f;   // per second
    float pitch = 1.0f;         // source frames per output frame
    float pitchSlide = 0.0f;    // per second
};

void MixKernel(const MixKernelArgs& args);

// Adds mono sample i to every channel of interleaved frame i, with 16-bit
// saturation: the mono mix joining the channels.
void AddMonoToFrames(int16_t* interleaved, uint32_t channelCount, const int16_t* mono,
                       uint32_t frames);

// The portable kernel, and the reference the others are held to.
void MixKernelScalar(const MixKernelArgs& args);

#if defined(__SSE2__)
#define VARNOK_MIX_KERNEL_SSE2 1
// Eight output frames at a time where the output is one channel and the
// pitch steady; everything else goes to the portable loops.
void MixKernelSse2(const MixKernelArgs& args);
void AddMonoToStereoSse2(int16_t* stereo, const int16_t* mono, uint32_t frames);
#endif

}  // namespace Varnok
