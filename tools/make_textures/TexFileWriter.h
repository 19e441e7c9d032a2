// Writes an image as the engine's ".tex" container, byte for byte what
// TexFileTextureImage reads.
#pragma once

#include "engine/render/TextureImage.h"

#include <cstdint>
#include <vector>

namespace Varnok {

// Every layer and mip level of the image, image by image, each from level 0
// up. False when the image is missing one of its levels.
bool WriteTexFile(const TextureImage& image, std::vector<uint8_t>& outBytes);

}  // namespace Varnok
