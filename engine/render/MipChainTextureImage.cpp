// Reading the 16-byte-header container. Little-endian.
#include "engine/render/MipChainTextureImage.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <iterator>

namespace Varnok {

namespace {

constexpr uint16_t kHeaderTag = 4;
constexpr int kMaxLog2Size = 15;  // 2^15 is the largest power of two in 16 bits

constexpr int kClassUncompressed = 1;
constexpr int kClassPvrtc2 = 2;
constexpr int kClassPvrtc4 = 3;

using C = PixelChannel;
using namespace ChannelIds;

struct SubFormat {
    int bits;
    uint16_t byteOrder;
    PixelChannel channels[4];
};

// Sub-formats 1 to 11.
constexpr SubFormat kSubFormats[] = {
    {24, 0, {C{8, kR}, C{8, kG}, C{8, kB}, C{}}},
    {32, kByteOrderLittle32, {C{8, kA}, C{8, kB}, C{8, kG}, C{8, kR}}},
    {16, kByteOrderLittle16, {C{5, kR}, C{5, kG}, C{5, kB}, C{1, kA}}},
    {16, kByteOrderLittle16, {C{4, kR}, C{4, kG}, C{4, kB}, C{4, kA}}},
    {16, kByteOrderLittle16, {C{5, kR}, C{6, kG}, C{5, kB}, C{}}},
    {24, 0, {C{8, kB}, C{8, kG}, C{8, kR}, C{}}},
    {16, kByteOrderLittle16, {C{1, kA}, C{5, kR}, C{5, kG}, C{5, kB}}},
    {32, kByteOrderLittle32, {C{8, kA}, C{8, kR}, C{8, kG}, C{8, kB}}},
    {32, kByteOrderLittle32, {C{8, kX}, C{8, kR}, C{8, kG}, C{8, kB}}},
    {16, kByteOrderLittle16, {C{5, kR}, C{5, kG}, C{5, kB}, C{1, kX}}},
    {16, kByteOrderLittle16, {C{4, kA}, C{4, kR}, C{4, kG}, C{4, kB}}},
};

const SubFormat* FindSubFormat(int subFormat) {
    return subFormat >= 1 && subFormat <= 11 ? &kSubFormats[subFormat - 1] : nullptr;
}

}  // namespace

std::unique_ptr<MipChainTextureImage> MipChainTextureImage::Create(const uint8_t* bytes,
                                                                   size_t byteCount) {
    if (bytes == nullptr || byteCount <= kMipChainHeaderBytes ||
        (bytes[2] | (bytes[3] << 8)) != kHeaderTag) {
        return nullptr;
    }
    const uint32_t format =
        static_cast<uint32_t>(bytes[4]) | (static_cast<uint32_t>(bytes[5]) << 8) |
        (static_cast<uint32_t>(bytes[6]) << 16) | (static_cast<uint32_t>(bytes[7]) << 24);
    const int formatClass = static_cast<int>((format >> 8) & 0xF);
    const int subFormat = static_cast<int>(format & 0xF);
    const int log2Width = bytes[8];
    const int log2Height = bytes[9];
    const int levelCount = bytes[11];
    if (log2Width > kMaxLog2Size || log2Height > kMaxLog2Size) {
        Log("MipChainTextureImage: 2^%d x 2^%d pixels is larger than a texture can be", log2Width,
            log2Height);
        return nullptr;
    }
    if (levelCount > std::max(log2Width, log2Height) + 1) {
        Log("MipChainTextureImage: %d levels for 2^%d x 2^%d pixels", levelCount, log2Width,
            log2Height);
        return nullptr;
    }
    const SubFormat* sub = FindSubFormat(subFormat);
    int bits = 0;
    PixelDescriptor descriptor;
    if (formatClass == kClassUncompressed) {
        bits = sub != nullptr ? sub->bits : 2;
    } else if (formatClass == kClassPvrtc2) {
        bits = 2;
        descriptor.encoding = PixelEncoding::Pvrtc;
        descriptor.variant = 2;
    } else if (formatClass == kClassPvrtc4) {
        bits = 4;
        descriptor.encoding = PixelEncoding::Pvrtc;
        descriptor.variant = 4;
    } else {
        Log("MipChainTextureImage: unknown format class %d", formatClass);
        return nullptr;
    }
    if (sub != nullptr) {
        descriptor.byteOrder = sub->byteOrder;
        std::copy(std::begin(sub->channels), std::end(sub->channels), descriptor.channels);
    }

    uint64_t expected = kMipChainHeaderBytes;
    uint64_t w = uint64_t{1} << log2Width;
    uint64_t h = uint64_t{1} << log2Height;
    for (int level = 0; level < levelCount; ++level) {
        expected += static_cast<uint64_t>(bits) * w * h / 8;
        w = std::max<uint64_t>(1, w / 2);
        h = std::max<uint64_t>(1, h / 2);
    }
    if (byteCount != expected) {
        Log("MipChainTextureImage: %zu bytes where %d levels need %llu", byteCount, levelCount,
            static_cast<unsigned long long>(expected));
        return nullptr;
    }

    std::unique_ptr<MipChainTextureImage> image(new MipChainTextureImage());
    TextureDescription& d = image->description;
    d.pixelFormat = descriptor;
    d.width = static_cast<uint16_t>(1u << log2Width);
    d.height = static_cast<uint16_t>(1u << log2Height);
    d.imageCount = 1;
    d.mipCount = 1;  // the chain is handed over whole as level 0
    d.apparentWidth = static_cast<uint32_t>(bytes[12] | (bytes[13] << 8));
    d.apparentHeight = static_cast<uint32_t>(bytes[14] | (bytes[15] << 8));
    image->m_data = bytes + kMipChainHeaderBytes;
    image->m_byteCount = byteCount - kMipChainHeaderBytes;
    return image;
}

const uint8_t* MipChainTextureImage::GetData(int /*image*/, int /*level*/,
                                             size_t& outByteCount) const {
    outByteCount = m_byteCount;
    return m_data;
}

}  // namespace Varnok
