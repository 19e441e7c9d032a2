// Reads a compressed image file (the launch image) as plain pixels;
// platform/ implements it.
#pragma once

#include <cstdint>
#include <vector>

namespace Varnok {

class ImageDecoder {
public:
    virtual ~ImageDecoder() = default;
    // RGBA8 rows, top row first. False (with a log line) when the file cannot
    // be read or decoded.
    virtual bool DecodeFile(const char* path, int& outWidth, int& outHeight,
                            std::vector<uint8_t>& outRgba) = 0;
};

}  // namespace Varnok
