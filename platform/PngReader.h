// Reads PNG files as RGBA8 pixels: launch images, reference frames in tests.
#pragma once

#include "engine/render/ImageDecoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

// Refused before any pixel memory is taken: a side over 65535 (what a texture
// can describe) or more pixels than kMaxPngPixels.
constexpr int kMaxPngSide = 0xFFFF;
constexpr uint64_t kMaxPngPixels = uint64_t(1) << 24;  // 64 MiB of RGBA8, 4096 x 4096

// RGBA8 rows, top row first. False (with one log line naming the file and the
// fault) when the file cannot be read or decoded; the outputs are then left
// as they were.
[[nodiscard]] bool ReadPng(const char* path, int& outWidth, int& outHeight, std::vector<uint8_t>& outRgba);
// As ReadPng, from bytes in memory; `name` is for the log line.
[[nodiscard]] bool ReadPngFromMemory(const uint8_t* data, size_t size, const char* name, int& outWidth,
                                     int& outHeight, std::vector<uint8_t>& outRgba);

// The launch images' decoder over ReadPng.
std::unique_ptr<ImageDecoder> CreatePngDecoder();

}  // namespace Varnok
