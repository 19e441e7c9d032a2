// MixKernelSse2: the steady loops of the mixing kernel, eight output frames
// to a register, for a one-channel output (the mono mix, where every mono
// voice lands). It reproduces MixKernelScalar exactly: the same plan, the
// same source frame for every output frame, and the same integer arithmetic
// per frame, (sample * v) >> 16 with v the volume's 16.16 part (up to 2^20),
// added with 16-bit saturation. Pieces it has no loop for (a pitch ramp, a
// volume ramp clamped at an end of its range, an interleaved output) go to
// the scalar kernel itself.
//
// SSE2 multiplies 16 by 16 bits, so v is split into its high part h (0..16)
// and its low 16 bits l: (s * v) >> 16 = s * h + ((s * l) >> 16), exactly,
// because s * h * 65536 is a whole multiple of 65536. The signed high half
// of s * l comes from _mm_mulhi_epi16, which reads l as l - 65536 when its
// top bit is set; adding s back corrects that. For v <= 1.0 the result fits
// 16 bits and a saturating 16-bit add finishes the frame; above, s * h + t
// is formed in 32 bits (_mm_madd_epi16) and packed back with saturation.
#include "engine/audio/internal/MixKernel.h"

#if defined(VARNOK_MIX_KERNEL_SSE2)

#include "engine/audio/internal/MixPlan.h"

#include <emmintrin.h>

namespace Varnok {

namespace {

constexpr uint64_t kPitchOne = uint64_t{1} << 24;

inline __m128i WidenLow(__m128i x) {
    return _mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16);
}

inline __m128i WidenHigh(__m128i x) {
    return _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16);
}

// (s * l) >> 16 per lane, l the low 16 bits of v; carry: all ones where l's
// top bit is set (or where v is exactly 1.0 and l is 0, see QuietVolume).
inline __m128i ScaleLow(__m128i s, __m128i low, __m128i carry) {
    return _mm_add_epi16(_mm_mulhi_epi16(s, low), _mm_and_si128(s, carry));
}

// out + s * h + t in 32 bits, packed back to 16 with saturation. highPairs
// holds (h, 1) in each pair of 16-bit lanes.
inline __m128i AddWide(__m128i out, __m128i s, __m128i t, __m128i highPairsLow,
                       __m128i highPairsHigh) {
    const __m128i low = _mm_madd_epi16(_mm_unpacklo_epi16(s, t), highPairsLow);
    const __m128i high = _mm_madd_epi16(_mm_unpackhi_epi16(s, t), highPairsHigh);
    return _mm_packs_epi32(_mm_add_epi32(low, WidenLow(out)), _mm_add_epi32(high, WidenHigh(out)));
}

// ---- Volume stages: Add(out, samples, volume at the block's first frame) ----

// A steady v of at most 1.0: s * v >> 16 fits 16 bits. v = 1.0 exactly has
// l = 0 with the carry set, which gives s.
class QuietVolume {
public:
    explicit QuietVolume(int64_t volume) {
        const int32_t v = static_cast<int32_t>(volume >> 16);
        m_low = _mm_set1_epi16(static_cast<int16_t>(v & 0xFFFF));
        m_carry = _mm_set1_epi16(v >= 0x8000 ? -1 : 0);
    }
    __m128i Add(__m128i out, __m128i s, int64_t /*volume*/) const {
        return _mm_adds_epi16(out, ScaleLow(s, m_low, m_carry));
    }

private:
    __m128i m_low;
    __m128i m_carry;
};

// A steady v above 1.0, up to 16.0.
class LoudVolume {
public:
    explicit LoudVolume(int64_t volume) {
        const int32_t v = static_cast<int32_t>(volume >> 16);
        m_low = _mm_set1_epi16(static_cast<int16_t>(v & 0xFFFF));
        m_carry = _mm_set1_epi16((v & 0x8000) != 0 ? -1 : 0);
        m_highPairs = _mm_set1_epi32((1 << 16) | (v >> 16));
    }
    __m128i Add(__m128i out, __m128i s, int64_t /*volume*/) const {
        return AddWide(out, s, ScaleLow(s, m_low, m_carry), m_highPairs, m_highPairs);
    }

private:
    __m128i m_low;
    __m128i m_carry;
    __m128i m_highPairs;
};

// A volume ramp within range: each lane's 32.32 volume is the block's plus
// its lane's share of the steps, in 64 bits as the scalar loop adds them.
class RampVolume {
public:
    explicit RampVolume(int64_t step) {
        for (int j = 0; j < 4; ++j) {
            m_laneSteps[j] = _mm_set_epi64x((2 * j + 1) * step, 2 * j * step);
        }
        m_ones = _mm_set1_epi16(1);
    }
    __m128i Add(__m128i out, __m128i s, int64_t volume) const {
        const __m128i base = _mm_set1_epi64x(volume);
        // v = volume >> 16 (at most 2^20) sits in the low half of each 64-bit lane.
        __m128i v[4];
        for (int j = 0; j < 4; ++j) {
            v[j] = _mm_shuffle_epi32(_mm_srli_epi64(_mm_add_epi64(base, m_laneSteps[j]), 16),
                                     _MM_SHUFFLE(3, 3, 2, 0));
        }
        const __m128i v0123 = _mm_unpacklo_epi64(v[0], v[1]);
        const __m128i v4567 = _mm_unpacklo_epi64(v[2], v[3]);
        // The low 16 bits as signed values, so that packing keeps them.
        const __m128i low = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(v0123, 16), 16),
                                            _mm_srai_epi32(_mm_slli_epi32(v4567, 16), 16));
        const __m128i high = _mm_packs_epi32(_mm_srli_epi32(v0123, 16), _mm_srli_epi32(v4567, 16));
        const __m128i t = ScaleLow(s, low, _mm_srai_epi16(low, 15));
        return AddWide(out, s, t, _mm_unpacklo_epi16(high, m_ones),
                       _mm_unpackhi_epi16(high, m_ones));
    }

private:
    __m128i m_laneSteps[4];
    __m128i m_ones;
};

// ---- Source stages: Load(source, position) gives the samples of eight output
// frames from the 8.24 position of the first; Fits says whether every sample
// the load touches lies inside the source. ----

// A pitch within a few eighths of 1.0 from a one-channel source: lane i reads
// frame base + i + d with d in [kLow, kHigh], so the eight samples come from
// the unaligned loads at base + kLow ... base + kHigh, each lane taking the
// one its own d picks. No gather, which SSE2 lacks.
template <int kLow, int kHigh>
class NearSource {
public:
    explicit NearSource(uint64_t step) {
        // Lane i's d is (fraction + i * (step - 1.0)) >> 24, in 32 bits.
        const int32_t lean = static_cast<int32_t>(static_cast<int64_t>(step) - int64_t{1 << 24});
        m_leanLow = _mm_setr_epi32(0, lean, 2 * lean, 3 * lean);
        m_leanHigh = _mm_setr_epi32(4 * lean, 5 * lean, 6 * lean, 7 * lean);
    }
    static bool Fits(uint64_t position, uint32_t sourceFrames) {
        const uint64_t base = position >> 24;
        return base >= static_cast<uint64_t>(-kLow) && base + kHigh + 7 < sourceFrames;
    }
    __m128i Load(const int16_t* source, uint64_t position) const {
        const int16_t* at = source + (position >> 24);
        __m128i samples = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + kLow));
        if (kLow == kHigh) {
            return samples;
        }
        const __m128i fraction = _mm_set1_epi32(static_cast<int32_t>(position & 0xFFFFFF));
        const __m128i lean = _mm_packs_epi32(
            _mm_srai_epi32(_mm_add_epi32(fraction, m_leanLow), 24),
            _mm_srai_epi32(_mm_add_epi32(fraction, m_leanHigh), 24));
        for (int d = kLow + 1; d <= kHigh; ++d) {
            const __m128i take = _mm_cmpgt_epi16(lean, _mm_set1_epi16(static_cast<int16_t>(d - 1)));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + d));
            samples = _mm_or_si128(_mm_and_si128(take, next), _mm_andnot_si128(take, samples));
        }
        return samples;
    }

private:
    __m128i m_leanLow;
    __m128i m_leanHigh;
};

// Any other pitch or source stride: eight scalar reads of exactly the frames
// the scalar loop reads.
class FarSource {
public:
    FarSource(uint64_t step, uint32_t stride) : m_step(step), m_stride(stride) {}
    static bool Fits(uint64_t /*position*/, uint32_t /*sourceFrames*/) { return true; }
    __m128i Load(const int16_t* source, uint64_t position) const {
        const auto at = [&](uint64_t i) { return source[((position + i * m_step) >> 24) * m_stride]; };
        return _mm_setr_epi16(at(0), at(1), at(2), at(3), at(4), at(5), at(6), at(7));
    }

private:
    uint64_t m_step;
    uint32_t m_stride;
};

// The plan's frames: single frames where a block's loads would reach outside
// the source, blocks of eight elsewhere, two at a time while they can (two
// independent chains keep more of the vector units busy). Once a block fits,
// every block up to the last one that fits does too: positions only grow.
template <class Source, class Volume>
void MixBlocks(const MixKernelArgs& a, const MixPlan& plan, const Source& sourceStage,
               const Volume& volumeStage) {
    // Copies, so that the stores through `out` cannot make the loop reload them.
    const Source gather = sourceStage;
    const Volume scale = volumeStage;
    int16_t* const out = a.dest;
    const int16_t* const source = a.source;
    const uint32_t sourceStride = a.sourceStride;
    const uint32_t sourceFrames = a.sourceFrames;
    const uint32_t frames = plan.frames;
    const uint64_t step = plan.pitchStep;
    const int64_t volumeStep = plan.volumeStep;
    uint64_t position = 0;
    int64_t volume = plan.volume;
    uint32_t i = 0;
    const auto single = [&] {
        AddMixFrame(out + i, source[(position >> 24) * sourceStride], volume);
        position += step;
        volume += volumeStep;
        ++i;
    };
    while (i < frames && !Source::Fits(position, sourceFrames)) {
        single();
    }
    for (; frames - i >= 16 && Source::Fits(position + 8 * step, sourceFrames); i += 16) {
        __m128i* at = reinterpret_cast<__m128i*>(out + i);
        const __m128i first = gather.Load(source, position);
        const __m128i second = gather.Load(source, position + 8 * step);
        _mm_storeu_si128(at, scale.Add(_mm_loadu_si128(at), first, volume));
        _mm_storeu_si128(at + 1, scale.Add(_mm_loadu_si128(at + 1), second, volume + 8 * volumeStep));
        position += 16 * step;
        volume += 16 * volumeStep;
    }
    for (; frames - i >= 8 && Source::Fits(position, sourceFrames); i += 8) {
        __m128i* at = reinterpret_cast<__m128i*>(out + i);
        const __m128i samples = gather.Load(source, position);
        _mm_storeu_si128(at, scale.Add(_mm_loadu_si128(at), samples, volume));
        position += 8 * step;
        volume += 8 * volumeStep;
    }
    while (i < frames) {
        single();
    }
}

template <class Volume>
void MixWithVolume(const MixKernelArgs& a, const MixPlan& plan, const Volume& volume) {
    const uint64_t step = plan.pitchStep;
    if (a.sourceStride != 1) {
        MixBlocks(a, plan, FarSource(step, a.sourceStride), volume);
        return;
    }
    // The range of d over the eight lanes of any block.
    const int64_t lean = static_cast<int64_t>(step) - static_cast<int64_t>(kPitchOne);
    int64_t low = 0;
    int64_t high = 0;
    if (lean >= 0) {
        high = (static_cast<int64_t>(kPitchOne) - 1 + 7 * lean) >> 24;
    } else {
        low = -((-7 * lean + static_cast<int64_t>(kPitchOne) - 1) >> 24);
    }
    switch (low * 16 + high) {
        case 0: MixBlocks(a, plan, NearSource<0, 0>(step), volume); return;
        case 1: MixBlocks(a, plan, NearSource<0, 1>(step), volume); return;
        case 2: MixBlocks(a, plan, NearSource<0, 2>(step), volume); return;
        case 3: MixBlocks(a, plan, NearSource<0, 3>(step), volume); return;
        case 4: MixBlocks(a, plan, NearSource<0, 4>(step), volume); return;
        case -16: MixBlocks(a, plan, NearSource<-1, 0>(step), volume); return;
        case -32: MixBlocks(a, plan, NearSource<-2, 0>(step), volume); return;
        case -48: MixBlocks(a, plan, NearSource<-3, 0>(step), volume); return;
        case -64: MixBlocks(a, plan, NearSource<-4, 0>(step), volume); return;
        default: MixBlocks(a, plan, FarSource(step, 1), volume); return;
    }
}

}  // namespace

void AddMonoToStereoSse2(int16_t* stereo, const int16_t* mono, uint32_t frames) {
    uint32_t i = 0;
    for (; frames - i >= 8; i += 8) {
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mono + i));
        __m128i* at = reinterpret_cast<__m128i*>(stereo + 2 * i);
        _mm_storeu_si128(at, _mm_adds_epi16(_mm_loadu_si128(at), _mm_unpacklo_epi16(m, m)));
        _mm_storeu_si128(at + 1, _mm_adds_epi16(_mm_loadu_si128(at + 1), _mm_unpackhi_epi16(m, m)));
    }
    for (; i < frames; ++i) {
        stereo[2 * i] = SaturateSample(stereo[2 * i] + mono[i]);
        stereo[2 * i + 1] = SaturateSample(stereo[2 * i + 1] + mono[i]);
    }
}

void MixKernelSse2(const MixKernelArgs& a) {
    const MixPlan plan = PlanMix(a);
    if (plan.loop == MixLoop::Silent) {
        return;
    }
    if (plan.loop != MixLoop::Steady || a.destStride != 1) {
        MixKernelScalar(a);
        return;
    }
    if (plan.volumeStep != 0) {
        MixWithVolume(a, plan, RampVolume(plan.volumeStep));
    } else if ((plan.volume >> 16) <= 0x10000) {
        MixWithVolume(a, plan, QuietVolume(plan.volume));
    } else {
        MixWithVolume(a, plan, LoudVolume(plan.volume));
    }
}

}  // namespace Varnok

#endif  // VARNOK_MIX_KERNEL_SSE2
