// The texture sources that stand between a file's image and the GL texture
// and give the GL power-of-two sizes: TextureLayerScaler resamples the image,
// TextureSizePadder pads it with zeroed pixels.
#pragma once

#include "engine/render/TextureLayerScaler.h"
#include "engine/render/TextureSizePadder.h"
