// Comparison, ranking, reading and byte reordering of pixel descriptors.
#include "engine/render/PixelFormat.h"

#include "engine/core/BinaryStream.h"
#include "engine/render/TextureImage.h"

#include <cstring>

namespace Varnok {

TextureDescription FlatDescription(const PixelDescriptor& format, uint16_t width, uint16_t height) {
    TextureDescription d;
    d.pixelFormat = format;
    d.width = width;
    d.height = height;
    d.apparentWidth = width;
    d.apparentHeight = height;
    return d;
}

TextureDescription RgbaDescription(uint16_t width, uint16_t height) {
    return FlatDescription(kRgba8Descriptor, width, height);
}

namespace PixelFormat {

namespace {

// Unsigned comparison step: 0 lets the next step decide.
int Order(unsigned a, unsigned b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool IsColour(uint8_t id) {
    return id == PixelChannelId::Red || id == PixelChannelId::Green || id == PixelChannelId::Blue;
}

uint32_t IdPenalty(uint8_t x, uint8_t y) {
    constexpr uint32_t kFar = 1u << 27;   // a different kind of channel
    constexpr uint32_t kNear = 1u << 17;  // colour and luminance stand in for each other
    if (x == y) {
        return 0;
    }
    if (x == PixelChannelId::Alpha) {
        return kFar;
    }
    if (IsColour(x)) {
        return y == PixelChannelId::Luminance ? kNear : kFar;
    }
    if (x == PixelChannelId::Luminance) {
        return IsColour(y) ? kNear : kFar;
    }
    return 0;  // ids above luminance carry no meaning to rank by
}

uint32_t BitPenalty(int xBits, int yBits) {
    const int difference = xBits > yBits ? xBits - yBits : yBits - xBits;
    // Widening costs more than narrowing: the extra bits hold nothing.
    const int exponent = difference + (yBits > xBits ? 4 : 3);
    return exponent >= 32 ? 0 : (1u << exponent);
}

}  // namespace

int GetBitsPerPixel(const PixelDescriptor& descriptor) {
    int bits = 0;
    for (const PixelChannel& channel : descriptor.channels) {
        bits += channel.bits;
    }
    return bits;
}

bool HasChannel(const PixelDescriptor& descriptor, uint8_t channelId) {
    for (const PixelChannel& channel : descriptor.channels) {
        if (channel.bits != 0 && (channel.id & kChannelIdMask) == (channelId & kChannelIdMask)) {
            return true;
        }
    }
    return false;
}

int Compare(const PixelDescriptor& a, const PixelDescriptor& b) {
    if (int r = Order(a.encoding, b.encoding)) {
        return r;
    }
    if (int r = Order(a.variant, b.variant)) {
        return r;
    }
    if (int r = Order(GetBitsPerPixel(a), GetBitsPerPixel(b))) {
        return r;
    }
    for (int i = 0; i < 4; ++i) {
        const PixelChannel& x = a.channels[i];
        const PixelChannel& y = b.channels[i];
        if (int r = Order(x.bits, y.bits)) {
            return r;
        }
        // The id of an absent entry says nothing.
        if (x.bits != 0 || y.bits != 0) {
            if (int r = Order(x.id & kChannelIdMask, y.id & kChannelIdMask)) {
                return r;
            }
        }
        if (int r = Order(x.id & kChannelFlag, y.id & kChannelFlag)) {
            return r;
        }
    }
    if (int r = Order(a.byteOrder & 0xFF, b.byteOrder & 0xFF)) {
        return r;
    }
    if (int r = Order((a.byteOrder >> 8) & 1, (b.byteOrder >> 8) & 1)) {
        return r;
    }
    if (int r = Order((a.byteOrder >> 9) & 7, (b.byteOrder >> 9) & 7)) {
        return r;
    }
    return Order(a.byteOrder >> 12, b.byteOrder >> 12);
}

uint32_t ChannelCost(const PixelChannel& x, const PixelChannel& y) {
    const uint8_t xId = x.id & kChannelIdMask;
    const uint8_t yId = y.id & kChannelIdMask;
    if (xId == PixelChannelId::Padding && yId != PixelChannelId::Padding) {
        return 0;
    }
    return IdPenalty(xId, yId) + BitPenalty(x.bits, y.bits);
}

uint32_t Distance(const PixelChannel* a, const PixelChannel* b, int n) {
    uint32_t sum = 0;
    for (int i = 0; i < n; ++i) {
        int best = 0;
        uint32_t bestCost = ChannelCost(a[i], b[0]);
        for (int j = 1; j < n; ++j) {
            const uint32_t cost = ChannelCost(a[i], b[j]);
            if (cost < bestCost) {
                best = j;
                bestCost = cost;
            }
        }
        sum += bestCost / 16 + 8u * static_cast<uint32_t>(best);
    }
    return sum;
}

bool GetLevelByteCount(const PixelDescriptor& descriptor, uint32_t width, uint32_t height,
                       uint64_t& outByteCount) {
    const uint64_t w = width > 0 ? width : 1;
    const uint64_t h = height > 0 ? height : 1;
    const uint64_t blocks = ((w + 3) / 4) * ((h + 3) / 4);
    switch (descriptor.encoding) {
        case PixelEncoding::Uncompressed:
            outByteCount = (w * h * static_cast<uint64_t>(GetBitsPerPixel(descriptor)) + 7) / 8;
            return true;
        case PixelEncoding::S3tc:
            outByteCount = blocks * (descriptor.variant == 1 ? 8 : 16);
            return true;
        case PixelEncoding::Etc1:
            outByteCount = blocks * 8;
            return true;
        default:
            outByteCount = 0;
            return false;
    }
}

bool Read(BinaryStreamReader& stream, PixelDescriptor& outDescriptor) {
    const bool wasOverrun = stream.IsOverrun();
    uint8_t bytes[12];
    for (uint8_t& byte : bytes) {
        stream.ReadUInt8(byte);  // 0 once the data runs out
    }
    outDescriptor.encoding = bytes[0];
    outDescriptor.variant = bytes[1];
    // Stored: count - 1 in bits 0-3, size - 1 in bits 4-6, the flag in bit 7.
    // In memory: the flag in bit 0, the size in bits 1-3, the count in bits 4-7.
    const uint8_t stored = bytes[3];
    const uint8_t high =
        static_cast<uint8_t>(((stored & 0x0F) << 4) | (((stored >> 4) & 7) << 1) | (stored >> 7));
    outDescriptor.byteOrder = static_cast<uint16_t>(bytes[2] | (high << 8));
    for (int i = 0; i < 4; ++i) {
        outDescriptor.channels[i].bits = bytes[4 + 2 * i];
        outDescriptor.channels[i].id = bytes[5 + 2 * i];
    }
    return !wasOverrun && !stream.IsOverrun();
}

uint8_t StoredOrderByte(uint16_t byteOrder) {
    const unsigned high = byteOrder >> 8;
    return static_cast<uint8_t>(((high >> 4) & 0x0F) | (((high >> 1) & 7) << 4) |
                                ((high & 1) << 7));
}

void Reorder(uint8_t* destination, const uint8_t* source, size_t count, uint16_t byteOrder) {
    if (byteOrder < kCanonicalOrderLimit) {
        if (destination != source) {
            std::memmove(destination, source, count);
        }
        return;
    }
    const size_t groups = (byteOrder >> 12) + 1u;
    const size_t size = ((byteOrder >> 9) & 7u) + 1u;
    const size_t unit = groups * size;  // at most 16 x 8 = 128
    uint8_t scratch[128];
    for (size_t offset = 0; offset + unit <= count; offset += unit) {
        std::memcpy(scratch, source + offset, unit);
        for (size_t k = 0; k < groups; ++k) {
            std::memcpy(destination + offset + (groups - 1 - k) * size, scratch + k * size, size);
        }
    }
}

}  // namespace PixelFormat
}  // namespace Varnok
