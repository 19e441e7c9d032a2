// The resampler behind TextureLayerScaler: rows are read into channel values,
// passed horizontally, then blended or averaged vertically.
#include "engine/render/internal/LevelResampler.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Varnok {
namespace {

constexpr uint64_t kOne = 65536;  // 1.0 in 16.16 fixed point

// The bit fields of a pixel's channels, in descriptor order from the most
// significant bit of its first byte.
struct ChannelFields {
    uint32_t offset[4] = {};
    uint32_t bits[4] = {};  // 0: not read, not written
    uint32_t pixelBytes = 0;

    explicit ChannelFields(const PixelDescriptor& descriptor) {
        uint32_t at = 0;
        for (int k = 0; k < 4; ++k) {
            offset[k] = at;
            const uint32_t width = descriptor.channels[k].bits;
            bits[k] = width <= 32 ? width : 0;  // wider fields are left alone
            at += width;
        }
        pixelBytes = static_cast<uint32_t>(PixelFormat::GetBitsPerPixel(descriptor)) / 8;
    }
};

// The whole bytes holding a field, big-endian, and the field's distance from
// their low end.
uint64_t ReadSpan(const uint8_t* pixel, uint32_t offset, uint32_t bits, uint32_t& outShift) {
    const uint32_t first = offset / 8;
    const uint32_t last = (offset + bits - 1) / 8;
    uint64_t span = 0;
    for (uint32_t i = first; i <= last; ++i) {
        span = (span << 8) | pixel[i];
    }
    outShift = (last - first + 1) * 8 - (offset % 8) - bits;
    return span;
}

// The field's value at the top of 32 bits.
uint32_t ReadField(const uint8_t* pixel, uint32_t offset, uint32_t bits) {
    if (bits == 0) {
        return 0;
    }
    uint32_t shift = 0;
    const uint64_t span = ReadSpan(pixel, offset, bits, shift);
    const uint64_t value = (span >> shift) & ((uint64_t{1} << bits) - 1);
    return static_cast<uint32_t>(value << (32 - bits));
}

// Stores the top `bits` of value into the field, touching no other bit.
void WriteField(uint8_t* pixel, uint32_t offset, uint32_t bits, uint32_t value) {
    if (bits == 0) {
        return;
    }
    uint32_t shift = 0;
    uint64_t span = ReadSpan(pixel, offset, bits, shift);
    const uint32_t first = offset / 8;
    const uint32_t last = (offset + bits - 1) / 8;
    const uint64_t mask = ((uint64_t{1} << bits) - 1) << shift;
    span = (span & ~mask) | ((static_cast<uint64_t>(value >> (32 - bits)) << shift) & mask);
    for (uint32_t i = last + 1; i-- > first;) {
        pixel[i] = static_cast<uint8_t>(span);
        span >>= 8;
    }
}

uint32_t Blend(uint64_t v0, uint64_t v1, uint64_t f) {
    return static_cast<uint32_t>((v1 * f + v0 * (kOne - f) + 32768) >> 16);
}

// Averages the span [start, end) (16.16) of `count` values a `stride` apart.
uint32_t Average(const uint32_t* values, uint32_t count, size_t stride, uint64_t start,
                 uint64_t end, uint64_t step) {
    auto at = [&](uint64_t i) -> uint64_t {
        return values[std::min<uint64_t>(i, count - 1) * stride];
    };
    uint64_t sum = 0;
    uint64_t whole = start >> 16;
    if ((start & 0xFFFF) != 0) {
        sum += (at(whole) * (kOne - (start & 0xFFFF))) >> 16;
        ++whole;
    }
    const uint64_t last = end >> 16;
    for (uint64_t i = whole; i < last; ++i) {
        sum += at(i);
    }
    if ((end & 0xFFFF) != 0) {
        sum += (at(last) * (end & 0xFFFF)) >> 16;
    }
    const unsigned __int128 scaled = (static_cast<unsigned __int128>(sum) << 16) + 32768;
    const unsigned __int128 result = scaled / step;
    return result > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(result);
}

// One row of sw pixels (4 values each) to dw pixels.
void HorizontalPass(const uint32_t* source, uint32_t sw, uint32_t* target, uint32_t dw) {
    if (sw == dw) {
        std::memcpy(target, source, sizeof(uint32_t) * 4 * sw);
        return;
    }
    const uint64_t step = (static_cast<uint64_t>(sw) << 16) / dw;
    for (uint32_t x = 0; x < dw; ++x) {
        for (int c = 0; c < 4; ++c) {
            if (sw < dw) {
                const uint64_t p = x * step;
                const uint64_t i = p >> 16;
                const uint64_t i1 = std::min<uint64_t>(i + 1, sw - 1);
                target[x * 4 + c] = Blend(source[i * 4 + c], source[i1 * 4 + c], p & 0xFFFF);
            } else {
                target[x * 4 + c] = Average(source + c, sw, 4, x * step, (x + 1) * step, step);
            }
        }
    }
}

class LevelResampler {
public:
    LevelResampler(const PixelDescriptor& descriptor, const uint8_t* source, uint32_t sw,
                   uint32_t sh, uint8_t* target, uint32_t dw, uint32_t dh)
        : m_fields(descriptor),
          m_byteOrder(descriptor.byteOrder),
          m_source(source),
          m_sw(sw),
          m_sh(sh),
          m_target(target),
          m_dw(dw),
          m_dh(dh) {}

    void Run() {
        if (m_fields.pixelBytes == 0) {
            return;
        }
        m_sourceRow.resize(static_cast<size_t>(m_sw) * m_fields.pixelBytes);
        m_sourceValues.resize(static_cast<size_t>(m_sw) * 4);
        m_rowA.resize(static_cast<size_t>(m_dw) * 4);
        m_rowB.resize(static_cast<size_t>(m_dw) * 4);
        m_out.resize(static_cast<size_t>(m_dw) * 4);

        if (m_sh <= m_dh) {
            const uint64_t step = (static_cast<uint64_t>(m_sh) << 16) / m_dh;
            int64_t rowA = -1;
            int64_t rowB = -1;
            for (uint32_t y = 0; y < m_dh; ++y) {
                const uint64_t p = m_sh == m_dh ? static_cast<uint64_t>(y) << 16 : y * step;
                const uint64_t i = p >> 16;
                const uint64_t i1 = std::min<uint64_t>(i + 1, m_sh - 1);
                const uint64_t f = p & 0xFFFF;
                if (rowA != static_cast<int64_t>(i)) {
                    if (rowB == static_cast<int64_t>(i)) {
                        std::swap(m_rowA, m_rowB);
                        std::swap(rowA, rowB);
                    } else {
                        PassRow(static_cast<uint32_t>(i), m_rowA);
                        rowA = static_cast<int64_t>(i);
                    }
                }
                if (f == 0) {
                    WriteRow(y, m_rowA);
                    continue;
                }
                if (rowB != static_cast<int64_t>(i1)) {
                    PassRow(static_cast<uint32_t>(i1), m_rowB);
                    rowB = static_cast<int64_t>(i1);
                }
                for (size_t k = 0; k < m_out.size(); ++k) {
                    m_out[k] = Blend(m_rowA[k], m_rowB[k], f);
                }
                WriteRow(y, m_out);
            }
        } else {
            // Shrinking vertically: every target row averages the source rows
            // it covers, weighted as the horizontal pass weighs pixels.
            std::vector<uint32_t> passed(static_cast<size_t>(m_sh) * m_dw * 4);
            for (uint32_t row = 0; row < m_sh; ++row) {
                PassRow(row, m_rowA);
                std::memcpy(&passed[static_cast<size_t>(row) * m_dw * 4], m_rowA.data(),
                            sizeof(uint32_t) * m_rowA.size());
            }
            const uint64_t step = (static_cast<uint64_t>(m_sh) << 16) / m_dh;
            const size_t stride = static_cast<size_t>(m_dw) * 4;
            for (uint32_t y = 0; y < m_dh; ++y) {
                for (size_t k = 0; k < m_out.size(); ++k) {
                    m_out[k] = Average(&passed[k], m_sh, stride, y * step, (y + 1) * step, step);
                }
                WriteRow(y, m_out);
            }
        }
        if (m_byteOrder >= kCanonicalOrderLimit) {
            const size_t bytes = static_cast<size_t>(m_dw) * m_dh * m_fields.pixelBytes;
            PixelFormat::Reorder(m_target, m_target, bytes, m_byteOrder);
        }
    }

private:
    // Source row `row` through the horizontal pass into `out`.
    void PassRow(uint32_t row, std::vector<uint32_t>& out) {
        const size_t rowBytes = m_sourceRow.size();
        const uint8_t* bytes = m_source + static_cast<size_t>(row) * rowBytes;
        if (m_byteOrder >= kCanonicalOrderLimit) {
            std::memcpy(m_sourceRow.data(), bytes, rowBytes);
            PixelFormat::Reorder(m_sourceRow.data(), m_sourceRow.data(), rowBytes, m_byteOrder);
            bytes = m_sourceRow.data();
        }
        for (uint32_t x = 0; x < m_sw; ++x) {
            const uint8_t* pixel = bytes + static_cast<size_t>(x) * m_fields.pixelBytes;
            for (int c = 0; c < 4; ++c) {
                m_sourceValues[x * 4 + c] = ReadField(pixel, m_fields.offset[c], m_fields.bits[c]);
            }
        }
        HorizontalPass(m_sourceValues.data(), m_sw, out.data(), m_dw);
    }

    void WriteRow(uint32_t y, const std::vector<uint32_t>& values) {
        uint8_t* row = m_target + static_cast<size_t>(y) * m_dw * m_fields.pixelBytes;
        for (uint32_t x = 0; x < m_dw; ++x) {
            uint8_t* pixel = row + static_cast<size_t>(x) * m_fields.pixelBytes;
            for (int c = 0; c < 4; ++c) {
                WriteField(pixel, m_fields.offset[c], m_fields.bits[c], values[x * 4 + c]);
            }
        }
    }

    ChannelFields m_fields;
    uint16_t m_byteOrder;
    const uint8_t* m_source;
    uint32_t m_sw;
    uint32_t m_sh;
    uint8_t* m_target;
    uint32_t m_dw;
    uint32_t m_dh;
    std::vector<uint8_t> m_sourceRow;      // one source row in canonical order
    std::vector<uint32_t> m_sourceValues;  // its channel values
    std::vector<uint32_t> m_rowA;          // passed rows, dw pixels x 4 channels
    std::vector<uint32_t> m_rowB;
    std::vector<uint32_t> m_out;
};

}  // namespace

void ResampleLevel(const PixelDescriptor& descriptor, const uint8_t* source, uint32_t sw,
                   uint32_t sh, uint8_t* target, uint32_t dw, uint32_t dh) {
    LevelResampler(descriptor, source, sw, sh, target, dw, dh).Run();
}

}  // namespace Varnok
