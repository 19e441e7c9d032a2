// The atlas format table.
#include "engine/render/AtlasPixelFormat.h"

namespace Varnok {
namespace AtlasPixelFormat {
namespace {

constexpr uint8_t kA = PixelChannelId::Alpha;
constexpr uint8_t kR = PixelChannelId::Red;
constexpr uint8_t kG = PixelChannelId::Green;
constexpr uint8_t kB = PixelChannelId::Blue;
constexpr uint8_t kL = PixelChannelId::Luminance;

struct FormatEntry {
    int bytesPerPixel;
    PixelDescriptor descriptor;
};

constexpr FormatEntry kFormats[] = {
    {1, {PixelEncoding::Uncompressed, 0, 0, {{8, kA}, {}, {}, {}}}},
    {2, {PixelEncoding::Uncompressed, 0, 0x1000, {{8, kA}, {8, kL}, {}, {}}}},
    {4, {PixelEncoding::Uncompressed, 0, 0x3000, {{8, kA}, {8, kB}, {8, kG}, {8, kR}}}},
    {2, {PixelEncoding::Uncompressed, 0, 0x1000, {{4, kA}, {4, kB}, {4, kG}, {4, kR}}}},
    {3, {PixelEncoding::Uncompressed, 0, 0x2000, {{8, kB}, {8, kG}, {8, kR}, {}}}},
    {4, {PixelEncoding::Pvrtc, 4, 0, {{8, kR}, {8, kG}, {8, kB}, {8, kA}}}},
};
constexpr uint32_t kFormatCount = sizeof(kFormats) / sizeof(kFormats[0]);
constexpr uint32_t kDefaultFormat = 2;

const FormatEntry& Entry(uint32_t format) {
    return kFormats[format < kFormatCount ? format : kDefaultFormat];
}

}  // namespace

int GetBytesPerPixel(uint32_t format) {
    return Entry(format).bytesPerPixel;
}

PixelDescriptor GetDescriptor(uint32_t format) {
    return Entry(format).descriptor;
}

}  // namespace AtlasPixelFormat
}  // namespace Varnok
