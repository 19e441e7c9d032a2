// Shared image counting, the power-of-two adapters and the resampler.
#include "engine/render/TextureSizeAdapters.h"

#include "engine/core/Log.h"
#include "engine/render/ConvertedTextureImage.h"
#include "engine/render/PixelFormat.h"

#include <algorithm>
#include <cstring>

namespace Varnok {
namespace {

constexpr uint32_t kLargestTextureSize = 32768;  // the largest power of two in 16 bits
constexpr uint64_t kOne = 65536;                 // 1.0 in 16.16 fixed point

size_t AlignUp16(size_t value) {
    return (value + 15) & ~static_cast<size_t>(15);
}

uint32_t LevelSize(uint32_t size, int level) {
    return std::max<uint32_t>(1, size >> level);
}

// What a compressed image is decoded to before it is resized.
PixelDescriptor DecodedDescriptor(const PixelDescriptor& compressed) {
    return PixelFormat::HasChannel(compressed, PixelChannelId::Alpha) ? kRgba8Descriptor
                                                                      : kRgb8Descriptor;
}

// A level's bytes, at least `needed` of them: a short level is copied into
// `spare` and padded with zeros, so nothing past its end is read.
const uint8_t* ReadableLevel(const TextureImage& image, int layer, int level, size_t needed,
                             std::vector<uint8_t>& spare) {
    size_t byteCount = 0;
    const uint8_t* data = image.GetData(layer, level, byteCount);
    if (data != nullptr && byteCount >= needed) {
        return data;
    }
    spare.assign(needed, 0);
    if (data != nullptr && byteCount > 0) {
        std::memcpy(spare.data(), data, std::min(byteCount, needed));
    }
    return spare.data();
}

// ---- Channel fields ----

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

// The field's value at the top of 32 bits.
uint32_t ReadField(const uint8_t* pixel, uint32_t offset, uint32_t bits) {
    if (bits == 0) {
        return 0;
    }
    const uint32_t first = offset / 8;
    const uint32_t last = (offset + bits - 1) / 8;
    uint64_t span = 0;
    for (uint32_t i = first; i <= last; ++i) {
        span = (span << 8) | pixel[i];
    }
    const uint32_t shift = (last - first + 1) * 8 - (offset % 8) - bits;
    const uint64_t value = (span >> shift) & ((uint64_t{1} << bits) - 1);
    return static_cast<uint32_t>(value << (32 - bits));
}

// Stores the top `bits` of value into the field, touching no other bit.
void WriteField(uint8_t* pixel, uint32_t offset, uint32_t bits, uint32_t value) {
    if (bits == 0) {
        return;
    }
    const uint32_t first = offset / 8;
    const uint32_t last = (offset + bits - 1) / 8;
    uint64_t span = 0;
    for (uint32_t i = first; i <= last; ++i) {
        span = (span << 8) | pixel[i];
    }
    const uint32_t shift = (last - first + 1) * 8 - (offset % 8) - bits;
    const uint64_t mask = ((uint64_t{1} << bits) - 1) << shift;
    span = (span & ~mask) | ((static_cast<uint64_t>(value >> (32 - bits)) << shift) & mask);
    for (uint32_t i = last + 1; i-- > first;) {
        pixel[i] = static_cast<uint8_t>(span);
        span >>= 8;
    }
}

// ---- Resampling ----

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
    std::vector<uint8_t> m_sourceRow;        // one source row in canonical order
    std::vector<uint32_t> m_sourceValues;    // its channel values
    std::vector<uint32_t> m_rowA;            // passed rows, dw pixels x 4 channels
    std::vector<uint32_t> m_rowB;
    std::vector<uint32_t> m_out;
};

}  // namespace

uint32_t TargetTextureSize(uint32_t size, int mode, uint32_t explicitSize) {
    switch (mode) {
        case TextureSizeMode::RoundUp: {
            if (size == 0) {
                return 0;
            }
            uint32_t power = 1;
            while (power < size && power < kLargestTextureSize) {
                power <<= 1;
            }
            return power;
        }
        case TextureSizeMode::RoundDown: {
            uint32_t power = 1;
            while (power * 2 <= size && power < kLargestTextureSize) {
                power <<= 1;
            }
            return power;
        }
        default:
            return std::min<uint32_t>(explicitSize, 0xFFFF);
    }
}

// ---- AllocatedTextureImage ----

void AllocatedTextureImage::Allocate() {
    m_block.reset();
    const uint32_t images = description.imageCount;
    const uint32_t mips = description.mipCount;
    const size_t pixelBytes =
        static_cast<size_t>(PixelFormat::GetBitsPerPixel(description.pixelFormat)) / 8;
    m_levelSizes.assign(mips, 0);
    m_levels.assign(static_cast<size_t>(images) * mips, nullptr);
    std::vector<size_t> offsets(m_levels.size(), 0);
    size_t end = 0;
    for (uint32_t m = 0; m < mips; ++m) {
        m_levelSizes[m] = pixelBytes * LevelSize(description.width, static_cast<int>(m)) *
                          LevelSize(description.height, static_cast<int>(m));
        for (uint32_t i = 0; i < images; ++i) {
            const size_t start = AlignUp16(end);
            offsets[static_cast<size_t>(i) * mips + m] = start;
            end = start + m_levelSizes[m];
        }
    }
    m_block.reset(new uint8_t[std::max<size_t>(end, 1)]());
    for (size_t k = 0; k < m_levels.size(); ++k) {
        m_levels[k] = m_block.get() + offsets[k];
    }
}

const uint8_t* AllocatedTextureImage::GetData(int image, int level, size_t& outByteCount) const {
    return const_cast<AllocatedTextureImage*>(this)->GetMutableData(image, level, outByteCount);
}

uint8_t* AllocatedTextureImage::GetMutableData(int image, int level, size_t& outByteCount) {
    const int mips = static_cast<int>(m_levelSizes.size());
    const int images = mips > 0 ? static_cast<int>(m_levels.size()) / mips : 0;
    if (image < 0 || level < 0 || image >= images || level >= mips) {
        outByteCount = 0;
        return nullptr;
    }
    outByteCount = m_levelSizes[static_cast<size_t>(level)];
    return m_levels[static_cast<size_t>(image) * mips + level];
}

// ---- CountedTextureSource ----

CountedTextureSource::~CountedTextureSource() = default;

TextureImage* CountedTextureSource::AcquireImage() {
    if (m_count++ == 0) {
        m_image = CreateImage();
        if (m_image == nullptr) {
            m_count = 0;
            return nullptr;
        }
    }
    return m_image;
}

void CountedTextureSource::ReleaseImage(TextureImage* image) {
    if (image == nullptr || image != m_image) {
        return;
    }
    if (--m_count == 0) {
        m_image = nullptr;
        DestroyImage(image);
    }
}

void CountedTextureSource::DestroyHeldImage() {
    if (m_image != nullptr) {
        TextureImage* image = m_image;
        m_image = nullptr;
        m_count = 0;
        DestroyImage(image);
    }
}

// ---- TextureSizeAdapter ----

TextureSizeAdapter::TextureSizeAdapter(const SmartPtr<TextureSource>& source, int sizeMode)
    : m_wrapped(source), m_sizeMode(sizeMode) {
    // Changes pass on so that the texture above uploads again; a changed
    // region is a change of the whole resized image.
    if (m_wrapped) {
        m_wrapped->GetChangeListeners().Add(
            Delegate0<void>(this, &TextureSizeAdapter::OnSourceChanged));
        m_wrapped->GetRegionListeners().Add(TextureSource::RegionEvent::DelegateType(
            this, &TextureSizeAdapter::OnSourceRegionChanged));
    }
}

TextureSizeAdapter::~TextureSizeAdapter() {
    DestroyHeldImage();
    if (m_wrapped) {
        m_wrapped->GetChangeListeners().Remove(
            Delegate0<void>(this, &TextureSizeAdapter::OnSourceChanged));
        m_wrapped->GetRegionListeners().Remove(TextureSource::RegionEvent::DelegateType(
            this, &TextureSizeAdapter::OnSourceRegionChanged));
    }
}

TextureImage* TextureSizeAdapter::CreateImage() {
    if (!m_wrapped) {
        return nullptr;
    }
    TextureImage* wrapped = m_wrapped->AcquireImage();
    if (wrapped == nullptr) {
        return nullptr;
    }
    const TextureDescription& original = wrapped->description;
    const uint32_t width = TargetTextureSize(original.width, m_sizeMode, m_explicitWidth);
    const uint32_t height = TargetTextureSize(original.height, m_sizeMode, m_explicitHeight);
    if (width == original.width && height == original.height) {
        m_passThrough = true;
        return wrapped;
    }
    m_passThrough = false;

    // Block-compressed pixels are decoded first: resizing them as rows of
    // whole pixels would scramble the blocks.
    const TextureImage* source = wrapped;
    std::unique_ptr<TextureImage> decoded;
    if (original.pixelFormat.encoding != PixelEncoding::Uncompressed) {
        decoded = ConvertTextureImage(*wrapped, DecodedDescriptor(original.pixelFormat));
        if (!decoded) {
            Log("%s: cannot resize %s: its compressed pixels cannot be decoded",
                GetAdapterName(), m_wrapped->Describe().c_str());
            m_wrapped->ReleaseImage(wrapped);
            return nullptr;
        }
        source = decoded.get();
    }

    std::unique_ptr<AllocatedTextureImage> image(new AllocatedTextureImage());
    DescribeImage(*source, static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                  image->description);
    image->Allocate();
    FillImage(*source, *image);
    decoded.reset();
    m_wrapped->ReleaseImage(wrapped);
    m_allocated = std::move(image);
    return m_allocated.get();
}

void TextureSizeAdapter::DestroyImage(TextureImage* image) {
    if (image == m_allocated.get()) {
        m_allocated.reset();
    } else if (m_wrapped) {
        m_wrapped->ReleaseImage(image);  // the wrapped source's own image
    }
}

// ---- TextureSizePadder ----

TextureSizePadder::TextureSizePadder(const SmartPtr<TextureSource>& source, int sizeMode)
    : TextureSizeAdapter(source, sizeMode) {}

TextureSizePadder::~TextureSizePadder() = default;

void TextureSizePadder::DescribeImage(const TextureImage& source, uint16_t width, uint16_t height,
                                      TextureDescription& outDescription) {
    outDescription = source.description;
    outDescription.width = width;
    outDescription.height = height;
    // The content stays on the original pixels.
    const int32_t w = source.description.width;
    const int32_t h = source.description.height;
    const TextureRect& rect = source.description.content;
    TextureRect& clipped = outDescription.content;
    if (rect.left < w && rect.right >= 1 && rect.top < h && rect.bottom >= 1) {
        clipped.left = std::max(rect.left, 0);
        clipped.top = std::max(rect.top, 0);
        clipped.right = std::max(std::min(rect.right, w), clipped.left);
        clipped.bottom = std::max(std::min(rect.bottom, h), clipped.top);
    } else {
        clipped = TextureRect{0, 0, w, h};
    }
}

void TextureSizePadder::FillImage(const TextureImage& source, AllocatedTextureImage& target) {
    const size_t pixelBytes =
        static_cast<size_t>(PixelFormat::GetBitsPerPixel(source.description.pixelFormat)) / 8;
    const TextureDescription& from = source.description;
    const TextureDescription& to = target.description;
    std::vector<uint8_t> spare;
    for (int m = 0; m < to.mipCount; ++m) {
        const size_t sourceRowBytes = pixelBytes * LevelSize(from.width, m);
        const size_t targetRowBytes = pixelBytes * LevelSize(to.width, m);
        const size_t sourceRows = LevelSize(from.height, m);
        const size_t rows = std::min<size_t>(sourceRows, LevelSize(to.height, m));
        const size_t rowBytes = std::min(sourceRowBytes, targetRowBytes);
        for (int i = 0; i < to.imageCount; ++i) {
            size_t targetBytes = 0;
            uint8_t* out = target.GetMutableData(i, m, targetBytes);
            if (out == nullptr || rowBytes == 0) {
                continue;
            }
            const uint8_t* in = ReadableLevel(source, i, m, sourceRowBytes * sourceRows, spare);
            // The target is zeroed: the rest of each row and the rows below stay 0.
            for (size_t row = 0; row < rows; ++row) {
                std::memcpy(out + row * targetRowBytes, in + row * sourceRowBytes, rowBytes);
            }
        }
    }
}

// ---- TextureLayerScaler ----

TextureLayerScaler::TextureLayerScaler(const SmartPtr<TextureSource>& source, int sizeMode)
    : TextureSizeAdapter(source, sizeMode) {}

TextureLayerScaler::~TextureLayerScaler() = default;

AsciiString TextureLayerScaler::Describe() const {
    AsciiString text("TextureLayerScaler(");
    if (GetWrappedSource()) {
        text.AppendString(GetWrappedSource()->Describe());
    } else {
        text.Append("<NULL>");
    }
    text.Append(")");
    return text;
}

void TextureLayerScaler::DescribeImage(const TextureImage& source, uint16_t width,
                                       uint16_t height, TextureDescription& outDescription) {
    outDescription = source.description;
    outDescription.width = width;
    outDescription.height = height;
}

void TextureLayerScaler::FillImage(const TextureImage& source, AllocatedTextureImage& target) {
    const PixelDescriptor& descriptor = source.description.pixelFormat;
    const size_t pixelBytes = static_cast<size_t>(PixelFormat::GetBitsPerPixel(descriptor)) / 8;
    const TextureDescription& from = source.description;
    const TextureDescription& to = target.description;
    std::vector<uint8_t> spare;
    for (int m = 0; m < to.mipCount; ++m) {
        const uint32_t sw = LevelSize(from.width, m);
        const uint32_t sh = LevelSize(from.height, m);
        const uint32_t dw = LevelSize(to.width, m);
        const uint32_t dh = LevelSize(to.height, m);
        const size_t sourceBytes = pixelBytes * sw * sh;
        for (int i = 0; i < to.imageCount; ++i) {
            size_t targetBytes = 0;
            uint8_t* out = target.GetMutableData(i, m, targetBytes);
            if (out == nullptr || pixelBytes == 0) {
                continue;
            }
            const uint8_t* in = ReadableLevel(source, i, m, sourceBytes, spare);
            if (sw == dw && sh == dh) {
                std::memcpy(out, in, std::min(sourceBytes, targetBytes));
            } else {
                LevelResampler(descriptor, in, sw, sh, out, dw, dh).Run();
            }
        }
    }
}

}  // namespace Varnok
