// One headless GL ES 2.0 context for the whole test program, drawing into a
// 64 x 64 framebuffer object that the renderer sees as its default target,
// with the bundle's shaders mounted and the renderer initialised.
#pragma once

#include "engine/render/RenderTarget.h"
#include "platform/PlatformDisplay.h"

#include <cstdint>

namespace Varnok {
namespace RenderTest {

constexpr int kWidth = 64;
constexpr int kHeight = 64;

PlatformDisplay& Display();
uint32_t Framebuffer();
// The test framebuffer as a render target, for renderers a test builds.
RenderTarget* Target();
// Binds the framebuffer object and makes it the renderer's target.
void UseTestTarget();

struct Rgba {
    uint8_t r, g, b, a;
};
// GL's own coordinates: (0, 0) is the bottom-left pixel.
Rgba ReadPixel(int x, int y);

}  // namespace RenderTest
}  // namespace Varnok
