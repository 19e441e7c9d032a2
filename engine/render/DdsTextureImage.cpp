// Reading DDS files: the pixel descriptor from the FourCC or the channel
// masks, then the levels, each holding every layer.
#include "engine/render/DdsTextureImage.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <iterator>

namespace Varnok {

namespace {

// Header fields, as offsets from the start of the file.
constexpr size_t kFlagsOffset = 8;
constexpr size_t kHeightOffset = 12;
constexpr size_t kWidthOffset = 16;
constexpr size_t kPitchOffset = 20;
constexpr size_t kDepthOffset = 24;
constexpr size_t kMipCountOffset = 28;
constexpr size_t kPixelFlagsOffset = 80;
constexpr size_t kFourCcOffset = 84;
constexpr size_t kRgbBitsOffset = 88;
constexpr size_t kRedMaskOffset = 92;
constexpr size_t kGreenMaskOffset = 96;
constexpr size_t kBlueMaskOffset = 100;
constexpr size_t kAlphaMaskOffset = 104;
constexpr size_t kCaps2Offset = 112;

constexpr uint32_t kFlagPitch = 0x8;
constexpr uint32_t kFlagLinearSize = 0x80000;
constexpr uint32_t kPixelFlagFourCc = 0x4;
constexpr uint32_t kCaps2CubeMap = 0x200;
constexpr uint32_t kCaps2Volume = 0x200000;
constexpr uint32_t kMaxDimension = 0xFFFF;  // descriptions hold 16-bit sizes

uint32_t ReadWord(const uint8_t* bytes, size_t offset) {
    const uint8_t* p = bytes + offset;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint32_t FourCc(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

bool DescriptorFromFourCc(uint32_t fourCc, PixelDescriptor& out) {
    uint8_t variant = 0;
    uint8_t lastChannel = PixelChannelId::Alpha;
    if (fourCc == FourCc('D', 'X', 'T', '1')) {
        variant = 1;
        lastChannel = PixelChannelId::Padding;
    } else if (fourCc == FourCc('D', 'X', 'T', '2') || fourCc == FourCc('D', 'X', 'T', '3')) {
        variant = 3;
    } else if (fourCc == FourCc('D', 'X', 'T', '4') || fourCc == FourCc('D', 'X', 'T', '5')) {
        variant = 5;
    } else {
        return false;
    }
    out = PixelDescriptor{PixelEncoding::S3tc,
                          variant,
                          0,
                          {{8, PixelChannelId::Blue},
                           {8, PixelChannelId::Green},
                           {8, PixelChannelId::Red},
                           {8, lastChannel}}};
    return true;
}

int MaskBits(uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    const int low = __builtin_ctz(mask);
    const int high = 31 - __builtin_clz(mask);
    return high - low + 1;
}

PixelDescriptor DescriptorFromMasks(const uint8_t* bytes) {
    const uint32_t rgbBits = ReadWord(bytes, kRgbBitsOffset);
    const uint32_t red = ReadWord(bytes, kRedMaskOffset);
    const uint32_t green = ReadWord(bytes, kGreenMaskOffset);
    const uint32_t blue = ReadWord(bytes, kBlueMaskOffset);
    const uint32_t alpha = ReadWord(bytes, kAlphaMaskOffset);
    const uint32_t allBits = rgbBits >= 32 ? 0xFFFFFFFFu : (1u << rgbBits) - 1u;
    struct Candidate {
        uint32_t mask;
        uint8_t id;
    };
    Candidate candidates[5] = {{red, PixelChannelId::Red},
                               {green, PixelChannelId::Green},
                               {blue, PixelChannelId::Blue},
                               {alpha, PixelChannelId::Alpha},
                               {(red | green | blue | alpha) ^ allBits, PixelChannelId::Padding}};
    // Largest mask first is the most significant channel first.
    std::stable_sort(std::begin(candidates), std::end(candidates),
                     [](const Candidate& a, const Candidate& b) { return a.mask > b.mask; });
    PixelDescriptor descriptor;
    for (int i = 0; i < 4; ++i) {
        descriptor.channels[i].bits = static_cast<uint8_t>(MaskBits(candidates[i].mask));
        descriptor.channels[i].id = candidates[i].id;
    }
    // (bytes per pixel - 1) << 12 for whole bytes: the pixel is a
    // little-endian word.
    descriptor.byteOrder = static_cast<uint16_t>(((rgbBits * 512u) & ~0xFFFu) + 0xF000u);
    return descriptor;
}

// Bytes of one layer at a level, as the header describes them.
uint64_t LayerBytes(const uint8_t* bytes, const PixelDescriptor& format, uint32_t width,
                    uint32_t height, int level) {
    const uint32_t flags = ReadWord(bytes, kFlagsOffset);
    const uint64_t w = std::max<uint32_t>(1, width >> level);
    const uint64_t h = std::max<uint32_t>(1, height >> level);
    if (level == 0 && (flags & kFlagLinearSize) != 0) {
        return ReadWord(bytes, kPitchOffset);
    }
    if (level == 0 && (flags & kFlagPitch) != 0) {
        // The pitch describes level 0's rows only: halving it would round a
        // row of an odd width (100 pixels: 400, 200, 100, 50 bytes) away from
        // the whole pixels the writers store (48 bytes for 12 pixels).
        return static_cast<uint64_t>(ReadWord(bytes, kPitchOffset)) * h;
    }
    if (format.encoding == PixelEncoding::S3tc) {
        return ((w + 3) / 4) * ((h + 3) / 4) * (format.variant == 1 ? 8u : 16u);
    }
    return w * h * ((static_cast<uint64_t>(ReadWord(bytes, kRgbBitsOffset)) + 7) / 8);
}

}  // namespace

std::unique_ptr<DdsTextureImage> DdsTextureImage::Create(const uint8_t* bytes, size_t byteCount) {
    if (bytes == nullptr || byteCount < 4 || ReadWord(bytes, 0) != kDdsMagic) {
        return nullptr;  // another format; the loader tries the next reader
    }
    if (byteCount < kDdsHeaderBytes) {
        Log("DdsTextureImage: header cut short (%zu bytes)", byteCount);
        return nullptr;
    }
    std::unique_ptr<DdsTextureImage> image(new DdsTextureImage());
    TextureDescription& d = image->description;

    if ((ReadWord(bytes, kPixelFlagsOffset) & kPixelFlagFourCc) != 0) {
        const uint32_t fourCc = ReadWord(bytes, kFourCcOffset);
        if (!DescriptorFromFourCc(fourCc, d.pixelFormat)) {
            char name[5];
            for (int i = 0; i < 4; ++i) {
                const char c = static_cast<char>(fourCc >> (8 * i));
                name[i] = (c >= 0x20 && c < 0x7F) ? c : '?';
            }
            name[4] = '\0';
            Log("DdsTextureImage: unsupported FourCC \"%s\"", name);
            return nullptr;
        }
    } else {
        d.pixelFormat = DescriptorFromMasks(bytes);
        if (PixelFormat::GetBitsPerPixel(d.pixelFormat) == 0) {
            Log("DdsTextureImage: no FourCC and no channel masks: the pixels have no format");
            return nullptr;
        }
    }

    const uint32_t caps2 = ReadWord(bytes, kCaps2Offset);
    d.kind = (caps2 & kCaps2CubeMap) != 0  ? TextureKind::Cube
             : (caps2 & kCaps2Volume) != 0 ? TextureKind::Volume
                                           : TextureKind::Flat;
    const uint32_t width = ReadWord(bytes, kWidthOffset);
    const uint32_t height = ReadWord(bytes, kHeightOffset);
    if (width > kMaxDimension || height > kMaxDimension) {
        Log("DdsTextureImage: %u x %u pixels is larger than a texture can be", width, height);
        return nullptr;
    }
    d.width = static_cast<uint16_t>(width);
    d.height = static_cast<uint16_t>(height);
    d.apparentWidth = width;
    d.apparentHeight = height;
    const uint16_t depth = static_cast<uint16_t>(ReadWord(bytes, kDepthOffset));
    d.imageCount = depth > 1 ? depth : 1;
    const uint32_t mipCount = ReadWord(bytes, kMipCountOffset);
    d.mipCount =
        static_cast<uint16_t>(std::min<uint32_t>(std::max<uint32_t>(mipCount, 1), kDdsMaxLevels));
    if (mipCount > kDdsMaxLevels) {
        Log("DdsTextureImage: %u mip levels, keeping the first %d", mipCount, kDdsMaxLevels);
    }

    size_t offset = kDdsHeaderBytes;
    for (int level = 0; level < d.mipCount; ++level) {
        const uint64_t layerBytes = LayerBytes(bytes, d.pixelFormat, width, height, level);
        uint64_t needed = 0;
        if (PixelFormat::GetLevelByteCount(d.pixelFormat, std::max<uint32_t>(1, width >> level),
                                           std::max<uint32_t>(1, height >> level), needed) &&
            layerBytes < needed) {
            Log("DdsTextureImage: level %d is %llu bytes, its pixels need %llu", level,
                static_cast<unsigned long long>(layerBytes),
                static_cast<unsigned long long>(needed));
            return nullptr;
        }
        // Only what the file really holds is copied (and allocated).
        const size_t remaining = byteCount - offset;
        const uint64_t fit = layerBytes == 0
                                 ? d.imageCount
                                 : std::min<uint64_t>(d.imageCount, remaining / layerBytes);
        if (fit == 0) {
            if (level == 0) {
                Log("DdsTextureImage: pixel data cut short (%zu bytes, %llu needed)", remaining,
                    static_cast<unsigned long long>(layerBytes));
                return nullptr;
            }
            d.imageCount = 1;
            d.mipCount = static_cast<uint16_t>(level);
            break;
        }
        Level stored;
        stored.layerBytes = static_cast<size_t>(layerBytes);
        stored.data.assign(bytes + offset, bytes + offset + fit * layerBytes);
        offset += static_cast<size_t>(fit * layerBytes);
        image->m_levels.push_back(std::move(stored));
        if (fit < d.imageCount) {
            // The levels after this one have no data at all.
            d.imageCount = static_cast<uint16_t>(fit);
            d.mipCount = static_cast<uint16_t>(level + 1);
            break;
        }
    }
    return image;
}

const uint8_t* DdsTextureImage::GetData(int image, int level, size_t& outByteCount) const {
    if (image < 0 || image >= description.imageCount || level < 0 ||
        level >= description.mipCount || static_cast<size_t>(level) >= m_levels.size()) {
        outByteCount = 0;
        return nullptr;
    }
    const Level& stored = m_levels[static_cast<size_t>(level)];
    outByteCount = stored.layerBytes;
    return stored.data.data() + static_cast<size_t>(image) * stored.layerBytes;
}

size_t DdsTextureImage::GetLevelSize(int level) const {
    return level >= 0 && static_cast<size_t>(level) < m_levels.size()
               ? m_levels[static_cast<size_t>(level)].layerBytes
               : 0;
}

}  // namespace Varnok
