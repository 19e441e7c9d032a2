// The atlas format table.
#include "engine/render/AtlasPixelFormat.h"

namespace Varnok {
namespace AtlasPixelFormat {
namespace {

using namespace ChannelIds;

struct FormatEntry {
    int bytesPerPixel;
    PixelDescriptor descriptor;
};

constexpr FormatEntry kFormats[] = {
    {1, kAlpha8Descriptor},
    {2, kLuminanceAlpha8Descriptor},
    {4, kRgba8Descriptor},
    {2, {PixelEncoding::Uncompressed, 0, kByteOrderLittle16, {{4, kA}, {4, kB}, {4, kG}, {4, kR}}}},
    {3,
     {PixelEncoding::Uncompressed,
      0,
      kByteOrderLittle24,
      {kChannelB8, kChannelG8, kChannelR8, {}}}},
    {4, {PixelEncoding::Pvrtc, 4, 0, {kChannelR8, kChannelG8, kChannelB8, kChannelA8}}},
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
