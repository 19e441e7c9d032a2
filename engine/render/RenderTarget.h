// The surface the renderer draws into. Its owner (the shell's GL view, a
// test's or a benchmark's offscreen framebuffer) hands it to the renderer and
// takes it back before it goes.
#pragma once

#include <cstdint>

namespace Varnok {

class RenderTarget {
public:
    virtual ~RenderTarget() = default;

    // The GL framebuffer a frame is drawn into; 0 for a window's own.
    virtual uint32_t DefaultFramebuffer() const = 0;
    // Pixels, as GL reports them.
    virtual int FramebufferWidth() const = 0;
    virtual int FramebufferHeight() const = 0;
    // The renderer asks for a framebuffer of its new viewport's size when the
    // viewport changes; a target of fixed size ignores it.
    virtual void CreateCustomFramebuffer(int width, int height) {
        (void)width;
        (void)height;
    }
};

}  // namespace Varnok
