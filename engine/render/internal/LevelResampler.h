// Resizes one level of uncompressed pixels: linear when enlarging, averaging
// when shrinking, each channel at 32-bit precision whatever its width.
#pragma once

#include "engine/render/PixelFormat.h"

#include <cstdint>

namespace Varnok {

// Writes dw x dh pixels to target from sw x sh pixels of source, both in the
// descriptor's layout and byte order. Pixels that are not whole bytes, or
// channels wider than 32 bits, are not written.
void ResampleLevel(const PixelDescriptor& descriptor, const uint8_t* source, uint32_t sw,
                   uint32_t sh, uint8_t* target, uint32_t dw, uint32_t dh);

}  // namespace Varnok
