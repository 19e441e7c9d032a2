// The pixel formats an atlas page can hold: bytes per pixel and the pixel
// descriptor its page texture is given.
#pragma once

#include "engine/render/PixelFormat.h"

#include <cstdint>

namespace Varnok {

// Formats 0..5: alpha 8; alpha-luminance 8-8; RGBA 8-8-8-8 (stored ABGR
// order); RGBA 4-4-4-4; BGR 8-8-8; and a 4-byte PVRTC tag. Any other value
// is treated as format 2.
namespace AtlasPixelFormat {

int GetBytesPerPixel(uint32_t format);
PixelDescriptor GetDescriptor(uint32_t format);

}  // namespace AtlasPixelFormat

}  // namespace Varnok
