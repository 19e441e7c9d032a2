// Software decoders for block-compressed images whose format the device's GL
// does not take: the S3TC family (DXT1, DXT3, DXT5) and ETC1.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Varnok {

// Bytes of one 4 x 4 block for an S3TC variant (8 for DXT1, else 16).
int S3tcBlockBytes(int variant);

// Decodes S3TC blocks (row by row of 4 x 4 blocks from the top, each row left
// to right) into width x height pixels of 4 bytes: blue, green, red, alpha
// (alpha 0 for DXT1), rows `width` pixels apart. Variant 1 is DXT1, 2 and 3
// DXT3, 4 and 5 DXT5. Pixels outside the image are not written. Reads only
// whole blocks within `byteCount`; false when blocks are missing (their
// pixels are left alone) or the variant is unknown.
bool DecodeS3tc(const uint8_t* blocks, int width, int height, size_t byteCount, int variant,
                uint8_t* destination);

// Decodes ETC1 blocks in the same order into width x height pixels of 3
// bytes: red, green, blue, rows 3 x width bytes apart. Partial blocks at the
// right and bottom edges are decoded and clipped. Reads only whole blocks
// within `byteCount`; false when blocks are missing.
bool DecodeEtc1(const uint8_t* blocks, int width, int height, size_t byteCount,
                uint8_t* destination);

}  // namespace Varnok
