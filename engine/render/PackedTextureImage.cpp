// Reading the 12-byte-header container. Little-endian.
#include "engine/render/PackedTextureImage.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <iterator>

namespace Varnok {

namespace {

constexpr int kMaxLog2Size = 15;  // 2^15 is the largest power of two in 16 bits

using C = PixelChannel;
using namespace ChannelIds;
constexpr uint16_t kLe16 = kByteOrderLittle16;
constexpr uint16_t kLe32 = kByteOrderLittle32;

struct PackedFormat {
    int bits;  // 0: PVRTC, not size-checked
    uint8_t encoding;
    uint8_t variant;
    PixelChannel channels[4];
    uint16_t byteOrder;
};

// Formats 0 to 17. Paletted formats describe a palette entry; their bits are
// those of one index.
constexpr PackedFormat kFormats[] = {
    {24, PixelEncoding::Uncompressed, 0, {C{8, kR}, C{8, kG}, C{8, kB}, C{}}, 0},
    {32, PixelEncoding::Uncompressed, 0, {C{8, kA}, C{8, kB}, C{8, kG}, C{8, kR}}, kLe32},
    {32, PixelEncoding::Uncompressed, 0, {C{8, kA}, C{8, kB}, C{8, kG}, C{8, kR}}, kLe32},
    {16, PixelEncoding::Uncompressed, 0, {C{1, kA}, C{5, kB}, C{5, kG}, C{5, kR}}, kLe16},
    {16, PixelEncoding::Uncompressed, 0, {C{4, kA}, C{4, kB}, C{4, kG}, C{4, kR}}, kLe16},
    {8, PixelEncoding::Paletted, 8, {C{8, kA}, C{8, kB}, C{8, kG}, C{8, kR}}, 0},
    {4, PixelEncoding::Paletted, 4, {C{8, kA}, C{8, kB}, C{8, kG}, C{8, kR}}, 0},
    {8, PixelEncoding::Paletted, 8, {C{1, kA}, C{5, kB}, C{5, kG}, C{5, kR}}, 0},
    {4, PixelEncoding::Paletted, 4, {C{1, kA}, C{5, kB}, C{5, kG}, C{5, kR}}, 0},
    {8, PixelEncoding::Paletted, 8, {C{4, kA}, C{4, kB}, C{4, kG}, C{4, kR}}, 0},
    {4, PixelEncoding::Paletted, 4, {C{4, kA}, C{4, kB}, C{4, kG}, C{4, kR}}, 0},
    {0, PixelEncoding::Pvrtc, 2, {C{8, kR}, C{8, kG}, C{8, kB}, C{8, kA}}, 0},
    {0, PixelEncoding::Pvrtc, 4, {C{8, kR}, C{8, kG}, C{8, kB}, C{8, kA}}, 0},
    {0, PixelEncoding::Pvrtc, 2, {C{8, kR}, C{8, kG}, C{8, kB}, C{}}, 0},
    {0, PixelEncoding::Pvrtc, 4, {C{8, kR}, C{8, kG}, C{8, kB}, C{}}, 0},
    {16, PixelEncoding::Uncompressed, 0, {C{5, kR}, C{5, kG}, C{5, kB}, C{1, kA}}, kLe16},
    {16, PixelEncoding::Uncompressed, 0, {C{4, kR}, C{4, kG}, C{4, kB}, C{4, kA}}, kLe16},
    {16, PixelEncoding::Uncompressed, 0, {C{5, kR}, C{6, kG}, C{5, kB}, C{}}, kLe16},
};

}  // namespace

std::unique_ptr<PackedTextureImage> PackedTextureImage::Create(const uint8_t* bytes,
                                                               size_t byteCount) {
    if (bytes == nullptr || byteCount <= kPackedHeaderBytes || bytes[2] >= std::size(kFormats)) {
        return nullptr;
    }
    const PackedFormat& format = kFormats[bytes[2]];
    const int log2Width = bytes[0];
    const int log2Height = bytes[1];
    if (log2Width > kMaxLog2Size || log2Height > kMaxLog2Size) {
        Log("PackedTextureImage: 2^%d x 2^%d pixels is larger than a texture can be", log2Width,
            log2Height);
        return nullptr;
    }
    if (format.bits != 0) {
        // Each row is rounded up to whole bytes.
        const uint64_t rowBytes = ((static_cast<uint64_t>(format.bits) << log2Width) + 7) / 8;
        const uint64_t expected = kPackedHeaderBytes + (rowBytes << log2Height);
        if (byteCount != expected) {
            Log("PackedTextureImage: %zu bytes where 2^%d x 2^%d pixels of format %d need %llu",
                byteCount, log2Width, log2Height, bytes[2],
                static_cast<unsigned long long>(expected));
            return nullptr;
        }
    }

    std::unique_ptr<PackedTextureImage> image(new PackedTextureImage());
    TextureDescription& d = image->description;
    d.pixelFormat.encoding = format.encoding;
    d.pixelFormat.variant = format.variant;
    d.pixelFormat.byteOrder = format.byteOrder;
    std::copy(std::begin(format.channels), std::end(format.channels), d.pixelFormat.channels);
    d.width = static_cast<uint16_t>(1u << log2Width);
    d.height = static_cast<uint16_t>(1u << log2Height);
    d.imageCount = 1;
    d.mipCount = 1;
    d.apparentWidth = static_cast<uint32_t>(bytes[4] | (bytes[5] << 8));
    d.apparentHeight = static_cast<uint32_t>(bytes[6] | (bytes[7] << 8));
    image->m_data = bytes + kPackedHeaderBytes;
    image->m_byteCount = byteCount - kPackedHeaderBytes;
    return image;
}

const uint8_t* PackedTextureImage::GetData(int /*image*/, int /*level*/,
                                           size_t& outByteCount) const {
    outByteCount = m_byteCount;
    return m_data;
}

}  // namespace Varnok
