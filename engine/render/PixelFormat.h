// The 12-byte pixel descriptor that every decoded image carries, with the
// comparison and ranking that pick an upload format and the byte reordering
// between stored and canonical pixel layouts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Varnok {

class BinaryStreamReader;

// Byte 0 of a descriptor.
namespace PixelEncoding {
enum : uint8_t {
    Uncompressed = 0,
    S3tc = 1,   // variant 1, 3, 5: DXT1, DXT3, DXT5
    Pvrtc = 2,  // variant 2 or 4: bits per pixel
    Etc1 = 3,
    Paletted = 4,  // variant 8 or 4: bits of one index; channels describe a palette entry
    Atc = 5,       // variant 0 colour only, 1 explicit alpha, 2 interpolated alpha
};
}  // namespace PixelEncoding

// The low 7 bits of a channel entry's id byte; the top bit is a flag that
// only comparison looks at.
namespace PixelChannelId {
enum : uint8_t {
    Padding = 0,
    Alpha = 1,
    Red = 2,
    Green = 3,
    Blue = 4,
    Luminance = 5,
};
}  // namespace PixelChannelId

// One-letter ids for tables of channel layouts: `using namespace ChannelIds;`
// inside a file's own anonymous namespace.
namespace ChannelIds {
constexpr uint8_t kA = PixelChannelId::Alpha;
constexpr uint8_t kR = PixelChannelId::Red;
constexpr uint8_t kG = PixelChannelId::Green;
constexpr uint8_t kB = PixelChannelId::Blue;
constexpr uint8_t kL = PixelChannelId::Luminance;
constexpr uint8_t kX = PixelChannelId::Padding;
}  // namespace ChannelIds

constexpr uint8_t kChannelIdMask = 0x7F;
constexpr uint8_t kChannelFlag = 0x80;

struct PixelChannel {
    uint8_t bits = 0;  // 0: the entry is absent
    uint8_t id = 0;    // PixelChannelId in the low 7 bits
};

// Channels sit in consecutive bit fields in entry order, from the most
// significant bit of a pixel's first byte (the canonical layout). The
// byte-order word says how stored pixels differ from that: bits 12-15 hold
// the group count minus 1 and bits 9-11 the group size in bytes minus 1;
// every unit of count times size bytes holds its groups in reverse order.
// Bits 0-8 are compared but mean nothing to conversion. A word below 4096
// means canonical order.
struct PixelDescriptor {
    uint8_t encoding = 0;
    uint8_t variant = 0;
    uint16_t byteOrder = 0;  // in memory: byte 2 of the descriptor is the low half
    PixelChannel channels[4];
};
static_assert(sizeof(PixelDescriptor) == 12, "pixel descriptors are 12 bytes");

constexpr uint16_t kCanonicalOrderLimit = 4096;

// The byte-order words of the uncompressed layouts: pixels stored as
// little-endian words of 16, 24 or 32 bits, i.e. every 2, 3 or 4 single
// bytes reversed against the canonical order.
constexpr uint16_t kByteOrderCanonical = 0;
constexpr uint16_t kByteOrderLittle16 = 0x1000;
constexpr uint16_t kByteOrderLittle24 = 0x2000;
constexpr uint16_t kByteOrderLittle32 = 0x3000;

// Channel entries of eight bits.
constexpr PixelChannel kChannelA8{8, PixelChannelId::Alpha};
constexpr PixelChannel kChannelR8{8, PixelChannelId::Red};
constexpr PixelChannel kChannelG8{8, PixelChannelId::Green};
constexpr PixelChannel kChannelB8{8, PixelChannelId::Blue};
constexpr PixelChannel kChannelL8{8, PixelChannelId::Luminance};
constexpr PixelChannel kChannelX8{8, PixelChannelId::Padding};

// Bytes red, green, blue, alpha in memory (GL's RGBA with unsigned bytes):
// the little-endian 32-bit word read from its top is alpha, blue, green, red.
// The layout of decoded and drawn pictures.
constexpr PixelDescriptor kRgba8Descriptor{PixelEncoding::Uncompressed,
                                           0,
                                           kByteOrderLittle32,
                                           {kChannelA8, kChannelB8, kChannelG8, kChannelR8}};
// Bytes red, green, blue in memory.
constexpr PixelDescriptor kRgb8Descriptor{
    PixelEncoding::Uncompressed, 0, kByteOrderCanonical, {kChannelR8, kChannelG8, kChannelB8, {}}};
// One byte of alpha.
constexpr PixelDescriptor kAlpha8Descriptor{
    PixelEncoding::Uncompressed, 0, kByteOrderCanonical, {kChannelA8, {}, {}, {}}};
// Alpha then luminance in a little-endian 16-bit word (GL's luminance-alpha
// bytes: luminance first).
constexpr PixelDescriptor kLuminanceAlpha8Descriptor{
    PixelEncoding::Uncompressed, 0, kByteOrderLittle16, {kChannelA8, kChannelL8, {}, {}}};
// The packed 16-bit layouts GL uploads, as little-endian words.
constexpr PixelDescriptor kRgb565Descriptor{
    PixelEncoding::Uncompressed,
    0,
    kByteOrderLittle16,
    {{5, PixelChannelId::Red}, {6, PixelChannelId::Green}, {5, PixelChannelId::Blue}, {}}};
constexpr PixelDescriptor kRgba4444Descriptor{PixelEncoding::Uncompressed,
                                              0,
                                              kByteOrderLittle16,
                                              {{4, PixelChannelId::Red},
                                               {4, PixelChannelId::Green},
                                               {4, PixelChannelId::Blue},
                                               {4, PixelChannelId::Alpha}}};
constexpr PixelDescriptor kRgba5551Descriptor{PixelEncoding::Uncompressed,
                                              0,
                                              kByteOrderLittle16,
                                              {{5, PixelChannelId::Red},
                                               {5, PixelChannelId::Green},
                                               {5, PixelChannelId::Blue},
                                               {1, PixelChannelId::Alpha}}};

// The descriptors the GL texture code names besides its own table.
constexpr PixelDescriptor kEtc1RgbDescriptor{
    PixelEncoding::Etc1, 1, kByteOrderCanonical, {kChannelR8, kChannelG8, kChannelB8, {}}};
constexpr PixelDescriptor kAtcRgbDescriptor{
    PixelEncoding::Atc, 0, kByteOrderCanonical, {kChannelR8, kChannelG8, kChannelB8, {}}};
constexpr PixelDescriptor kAtcExplicitAlphaDescriptor{
    PixelEncoding::Atc, 1, kByteOrderCanonical, {kChannelR8, kChannelG8, kChannelB8, kChannelA8}};
constexpr PixelDescriptor kAtcInterpolatedAlphaDescriptor{
    PixelEncoding::Atc, 2, kByteOrderCanonical, {kChannelR8, kChannelG8, kChannelB8, kChannelA8}};

struct TextureDescription;  // engine/render/TextureImage.h, which callers include for the type

// A flat image of one layer and one level, width x height pixels in the
// format, its apparent size its size.
TextureDescription FlatDescription(const PixelDescriptor& format, uint16_t width, uint16_t height);
// The same in kRgba8Descriptor.
TextureDescription RgbaDescription(uint16_t width, uint16_t height);

namespace PixelFormat {

int GetBitsPerPixel(const PixelDescriptor& descriptor);
// An entry with a non-zero bit count and that id (the flag bit ignored).
bool HasChannel(const PixelDescriptor& descriptor, uint8_t channelId);

// 0 when equal, negative when a orders first: encoding, variant, bits per
// pixel, the channel entries in turn, then the byte-order word.
int Compare(const PixelDescriptor& a, const PixelDescriptor& b);

// The cost of storing channel entry x in the place of entry y.
uint32_t ChannelCost(const PixelChannel& x, const PixelChannel& y);
// The cost of storing a's first n channel entries in b's layout: each of a's
// entries goes to the cheapest of b's first n (the first on ties), adding
// cost / 16 plus 8 times that entry's position.
uint32_t Distance(const PixelChannel* a, const PixelChannel* b, int n);

// The bytes one level of width x height pixels needs (each at least 1), for
// the encodings the CPU reads: uncompressed, S3TC and ETC1. False for the
// others, whose data goes to the GL as it is and which the GL checks itself.
[[nodiscard]] bool GetLevelByteCount(const PixelDescriptor& descriptor, uint32_t width,
                                     uint32_t height, uint64_t& outByteCount);

// Reads a descriptor as the ".tex" container stores it (byte 3 with its
// fields in the other bit order). Short data gives zeros for what is
// missing; answers whether all 12 bytes were there.
bool Read(BinaryStreamReader& stream, PixelDescriptor& outDescriptor);
// The descriptor's byte 3 as stored, the inverse of what Read undoes.
uint8_t StoredOrderByte(uint16_t byteOrder);

// Copies `count` bytes, writing each whole unit with its groups reversed;
// bytes after the last whole unit are not touched. Below 4096 the bytes are
// copied as they are. destination may equal source.
void Reorder(uint8_t* destination, const uint8_t* source, size_t count, uint16_t byteOrder);

}  // namespace PixelFormat

}  // namespace Varnok
