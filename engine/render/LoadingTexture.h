// The launch image from the bundle as the texture the game shows while it
// starts (its start-up logo).
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"

#include <memory>

namespace Varnok {

class ImageDecoder;

struct LaunchImageDef {
    bool portrait = false;  // the status bar's orientation
    bool tablet = false;
    bool retina = false;
    float aspect = 0.0f;  // framebuffer height / framebuffer width
};

// The name (without ".png") of the launch image that the bundle directory
// holds for this screen, falling back to "Default-Landscape" or
// "Default-Portrait" and then "Default"; the last may not exist either.
AsciiString ChooseLaunchImage(const char* bundleDir, const LaunchImageDef& def);

// The decoder of launch images (the shell installs the platform's PNG
// reader at start-up). Null: no launch image is read.
void SetLaunchImageDecoder(std::shared_ptr<ImageDecoder> decoder);

// The chosen launch image as a texture: its pixels scaled to power-of-two
// sizes as red, green, blue, alpha bytes (alpha premultiplied), which the
// texture's source owns for as long as the texture lives. Null when the
// bundle has no launch image, or it cannot be read or no decoder is
// installed (logged).
SmartPtr<Texture> CreateLoadingTexture(const char* bundleDir, const LaunchImageDef& def);

}  // namespace Varnok
