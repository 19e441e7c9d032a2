// Writes captured frames to PNG files.
#pragma once

#include <cstdint>
#include <vector>

namespace Varnok {

// rgba: width*height*4 bytes, top row first. False (with a log line) when the
// file cannot be written.
[[nodiscard]] bool WritePng(const char* path, int width, int height, const std::vector<uint8_t>& rgba);

}  // namespace Varnok
