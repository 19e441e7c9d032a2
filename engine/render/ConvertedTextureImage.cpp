// Pixel conversion: every pixel is read as a bit stream of channel values
// (most significant bit first) and written again in the target's layout.
#include "engine/render/ConvertedTextureImage.h"

#include "engine/core/Log.h"
#include "engine/render/BlockDecoders.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Varnok {

namespace {

constexpr int kMaxChannelBits = 64;
constexpr int kIdCount = 128;  // channel ids are 7 bits

// Bit masks over channel ids, for the derivation table.
constexpr uint32_t Bit(int id) {
    return 1u << id;
}
constexpr uint32_t kRed = Bit(PixelChannelId::Red);
constexpr uint32_t kGreen = Bit(PixelChannelId::Green);
constexpr uint32_t kBlue = Bit(PixelChannelId::Blue);
constexpr uint32_t kLuminance = Bit(PixelChannelId::Luminance);

enum class Derivation { None, LuminanceFromRgb, ColourFromLuminance };

// Which missing colour channels can be made from which source channels
// (ids from red up). A pair not listed derives nothing.
struct DerivationRule {
    uint32_t sourceIds;
    uint32_t missingIds;
    Derivation derivation;
};
constexpr DerivationRule kDerivations[] = {
    {kRed | kGreen | kBlue, kLuminance, Derivation::LuminanceFromRgb},
    {kLuminance, kRed | kGreen | kBlue, Derivation::ColourFromLuminance},
    {kLuminance, kRed | kGreen, Derivation::ColourFromLuminance},
    {kLuminance, kRed | kBlue, Derivation::ColourFromLuminance},
    {kLuminance, kGreen | kBlue, Derivation::ColourFromLuminance},
    {kLuminance, kRed, Derivation::ColourFromLuminance},
    {kLuminance, kGreen, Derivation::ColourFromLuminance},
    {kLuminance, kBlue, Derivation::ColourFromLuminance},
};

struct ChannelValue {
    uint64_t value = 0;
    int bits = 0;
};

uint64_t ReadBits(const uint8_t* data, size_t& bitPosition, int count) {
    uint64_t value = 0;
    while (count > 0) {
        const int offset = static_cast<int>(bitPosition & 7);
        const int available = 8 - offset;
        const int take = std::min(available, count);
        const unsigned byte = data[bitPosition >> 3];
        const uint64_t chunk = (byte >> (available - take)) & ((1u << take) - 1u);
        value = (value << take) | chunk;
        bitPosition += static_cast<size_t>(take);
        count -= take;
    }
    return value;
}

// Requires: the destination bits are still 0.
void WriteBits(uint8_t* data, size_t& bitPosition, uint64_t value, int count) {
    while (count > 0) {
        const int offset = static_cast<int>(bitPosition & 7);
        const int available = 8 - offset;
        const int take = std::min(available, count);
        const unsigned chunk =
            static_cast<unsigned>((value >> (count - take)) & ((1u << take) - 1u));
        data[bitPosition >> 3] |= static_cast<uint8_t>(chunk << (available - take));
        bitPosition += static_cast<size_t>(take);
        count -= take;
    }
}

// A value of `from.bits` bits rescaled to `bits`: narrowing drops low bits;
// widening fills the new low bits with ones unless the value is 0, so that 0
// and full scale stay 0 and full scale.
// Requires: 1 <= bits <= 64.
uint64_t Rescale(const ChannelValue& from, int bits) {
    if (from.bits == 0) {
        return 0;
    }
    if (from.bits >= bits) {
        return from.value >> (from.bits - bits);
    }
    const int extra = bits - from.bits;
    uint64_t value = from.value << extra;
    if (from.value != 0) {
        value |= (uint64_t{1} << extra) - 1u;
    }
    return value;
}

uint64_t LeftAligned(const ChannelValue& v) {
    return v.bits == 0 ? 0 : v.value << (kMaxChannelBits - v.bits);
}

// Everything the per-pixel loop needs, worked out once per conversion.
class ChannelConverter {
public:
    ChannelConverter(const PixelDescriptor& source, const PixelDescriptor& target)
        : m_source(source), m_target(target) {
        uint32_t sourceIds = 0;
        bool otherIds = false;
        for (const PixelChannel& c : source.channels) {
            const int id = c.id & kChannelIdMask;
            if (c.bits == 0) {
                continue;
            }
            m_present[id] = true;
            if (id >= PixelChannelId::Red) {
                if (id <= PixelChannelId::Luminance) {
                    sourceIds |= Bit(id);
                } else {
                    otherIds = true;
                }
            }
        }
        uint32_t missing = 0;
        for (const PixelChannel& c : target.channels) {
            const int id = c.id & kChannelIdMask;
            if (c.bits != 0 && id >= PixelChannelId::Red && id <= PixelChannelId::Luminance &&
                !m_present[id]) {
                missing |= Bit(id);
            }
        }
        if (missing != 0 && !otherIds) {
            for (const DerivationRule& rule : kDerivations) {
                if (rule.sourceIds == sourceIds && rule.missingIds == missing) {
                    m_derivation = rule.derivation;
                    m_derived = missing;
                    break;
                }
            }
        }
    }

    // One pixel from the source bit stream into the (zeroed) target stream.
    void ConvertPixel(const uint8_t* source, size_t& sourceBit, uint8_t* target,
                      size_t& targetBit) {
        // Alpha reads as full scale unless the source has it.
        m_values[PixelChannelId::Alpha] = ChannelValue{0xFFFFFFFFu, 32};
        for (const PixelChannel& c : m_source.channels) {
            if (c.bits != 0) {
                m_values[c.id & kChannelIdMask] =
                    ChannelValue{ReadBits(source, sourceBit, c.bits), c.bits};
            }
        }
        if (m_derivation == Derivation::LuminanceFromRgb) {
            const uint64_t third = LeftAligned(m_values[PixelChannelId::Red]) / 3 +
                                   LeftAligned(m_values[PixelChannelId::Green]) / 3 +
                                   LeftAligned(m_values[PixelChannelId::Blue]) / 3;
            m_values[PixelChannelId::Luminance] = ChannelValue{third, kMaxChannelBits};
        } else if (m_derivation == Derivation::ColourFromLuminance) {
            for (int id = PixelChannelId::Red; id <= PixelChannelId::Blue; ++id) {
                if ((m_derived & Bit(id)) != 0) {
                    m_values[id] = m_values[PixelChannelId::Luminance];
                }
            }
        }
        for (const PixelChannel& c : m_target.channels) {
            if (c.bits == 0) {
                continue;
            }
            const int id = c.id & kChannelIdMask;
            // A channel nobody supplies is written as 0.
            const bool supplied = m_present[id] || id == PixelChannelId::Alpha ||
                                  (id <= PixelChannelId::Luminance && (m_derived & Bit(id)) != 0);
            const uint64_t value = supplied ? Rescale(m_values[id], c.bits) : 0;
            WriteBits(target, targetBit, value, c.bits);
        }
    }

private:
    const PixelDescriptor& m_source;
    const PixelDescriptor& m_target;
    bool m_present[kIdCount] = {};
    ChannelValue m_values[kIdCount];
    Derivation m_derivation = Derivation::None;
    uint32_t m_derived = 0;  // ids the derivation fills
};

bool ChannelsFit(const PixelDescriptor& descriptor) {
    for (const PixelChannel& c : descriptor.channels) {
        if (c.bits > kMaxChannelBits) {
            return false;
        }
    }
    return true;
}

// Level 0 of one layer in the source's own (uncompressed) layout; points
// either into the image or into `scratch`. Null when the data is short.
const uint8_t* SourcePixels(const TextureImage& image, int layer, uint32_t width, uint32_t height,
                            std::vector<uint8_t>& scratch) {
    const PixelDescriptor& format = image.description.pixelFormat;
    size_t byteCount = 0;
    const uint8_t* data = image.GetData(layer, 0, byteCount);
    uint64_t needed = 0;
    // 0 for a format the CPU cannot size: then only the data must be there.
    (void)PixelFormat::GetLevelByteCount(format, width, height, needed);
    if (data == nullptr || byteCount < needed) {
        Log("ConvertTextureImage: layer %d holds %zu bytes where %llu are needed", layer,
            data != nullptr ? byteCount : size_t{0}, static_cast<unsigned long long>(needed));
        return nullptr;
    }
    const size_t pixels = static_cast<size_t>(width) * height;
    const size_t bytesPerPixel = static_cast<size_t>(PixelFormat::GetBitsPerPixel(format)) / 8;
    if (format.encoding == PixelEncoding::S3tc) {
        scratch.assign(pixels * 4, 0);
        DecodeS3tc(data, static_cast<int>(width), static_cast<int>(height), byteCount,
                   format.variant, scratch.data());
        data = scratch.data();
    } else if (format.encoding == PixelEncoding::Etc1) {
        scratch.assign(pixels * 3, 0);
        DecodeEtc1(data, static_cast<int>(width), static_cast<int>(height), byteCount,
                   scratch.data());
        data = scratch.data();
    }
    if (format.byteOrder >= kCanonicalOrderLimit) {
        const size_t total = pixels * bytesPerPixel;
        if (data != scratch.data()) {
            scratch.assign(data, data + total);
        }
        PixelFormat::Reorder(scratch.data(), scratch.data(), total, format.byteOrder);
        data = scratch.data();
    }
    return data;
}

}  // namespace

const uint8_t* ConvertedTextureImage::GetData(int image, int level, size_t& outByteCount) const {
    if (level != 0 || image < 0 || image >= description.imageCount) {
        outByteCount = 0;
        return nullptr;
    }
    outByteCount = m_layerBytes;
    return m_block.get() + static_cast<size_t>(image) * m_layerBytes;
}

std::unique_ptr<ConvertedTextureImage> ConvertTextureImage(const TextureImage& image,
                                                           const PixelDescriptor& target) {
    const PixelDescriptor& source = image.description.pixelFormat;
    if (PixelFormat::Compare(source, target) == 0) {
        return nullptr;  // the image is used as it is
    }
    const int sourceBits = PixelFormat::GetBitsPerPixel(source);
    const int targetBits = PixelFormat::GetBitsPerPixel(target);
    if (target.encoding != PixelEncoding::Uncompressed || targetBits == 0 || targetBits % 8 != 0 ||
        !ChannelsFit(target)) {
        Log("ConvertTextureImage: cannot convert to encoding %d with %d bits per pixel",
            target.encoding, targetBits);
        return nullptr;
    }
    // The decoders write 4 bytes (S3TC) or 3 bytes (ETC1) per pixel; the
    // descriptor must say the same or the pixels would be misread.
    const bool layoutOk = (source.encoding == PixelEncoding::Uncompressed && sourceBits != 0 &&
                           sourceBits % 8 == 0) ||
                          (source.encoding == PixelEncoding::S3tc && sourceBits == 32) ||
                          (source.encoding == PixelEncoding::Etc1 && sourceBits == 24);
    if (!layoutOk || !ChannelsFit(source)) {
        Log("ConvertTextureImage: cannot convert from encoding %d variant %d with %d bits per "
            "pixel",
            source.encoding, source.variant, sourceBits);
        return nullptr;
    }
    if (image.description.imageCount == 0) {
        Log("ConvertTextureImage: the image has no layers");
        return nullptr;
    }

    const uint32_t width = std::max<uint32_t>(1, image.description.width);
    const uint32_t height = std::max<uint32_t>(1, image.description.height);
    const size_t pixels = static_cast<size_t>(width) * height;
    const size_t targetBytesPerPixel = static_cast<size_t>(targetBits) / 8;

    std::unique_ptr<ConvertedTextureImage> result(new ConvertedTextureImage());
    result->description = image.description;
    result->description.pixelFormat = target;
    result->description.mipCount = 1;
    result->pairList = image.pairList;
    result->shortList = image.shortList;
    result->extraWord = image.extraWord;
    result->m_layerBytes = pixels * targetBytesPerPixel;
    // Only level 0 is converted, so only level 0 is kept.
    result->m_block.reset(new uint8_t[result->m_layerBytes * image.description.imageCount]());

    ChannelConverter converter(source, target);
    std::vector<uint8_t> sourceScratch;
    std::vector<uint8_t> targetScratch;
    const bool reorderTarget = target.byteOrder >= kCanonicalOrderLimit;
    for (int layer = 0; layer < image.description.imageCount; ++layer) {
        const uint8_t* from = SourcePixels(image, layer, width, height, sourceScratch);
        if (from == nullptr) {
            return nullptr;
        }
        uint8_t* level = result->m_block.get() + static_cast<size_t>(layer) * result->m_layerBytes;
        uint8_t* to = level;
        if (reorderTarget) {
            targetScratch.assign(result->m_layerBytes, 0);
            to = targetScratch.data();
        }
        size_t sourceBit = 0;
        size_t targetBit = 0;
        for (size_t p = 0; p < pixels; ++p) {
            converter.ConvertPixel(from, sourceBit, to, targetBit);
        }
        if (reorderTarget) {
            PixelFormat::Reorder(level, to, result->m_layerBytes, target.byteOrder);
        }
    }
    return result;
}

}  // namespace Varnok
