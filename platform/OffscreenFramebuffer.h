// A GL framebuffer object with RGBA8 colour and 16-bit depth storage: what a
// headless display's frames are drawn into in place of a window's
// framebuffer 0. Also the read-back of any framebuffer as top-down rows.
#pragma once

#include <cstdint>
#include <vector>

namespace Varnok {

class OffscreenFramebuffer {
public:
    OffscreenFramebuffer() = default;
    // Deletes the GL objects; requires the context they were made in to be
    // current (or gone with the process).
    ~OffscreenFramebuffer();
    OffscreenFramebuffer(const OffscreenFramebuffer&) = delete;
    OffscreenFramebuffer& operator=(const OffscreenFramebuffer&) = delete;

    // Makes the storage (after deleting any earlier one) and leaves the
    // framebuffer and its colour renderbuffer bound. The size is what GL
    // reports back, which may be smaller than asked. False, with a log line,
    // when the framebuffer is incomplete; the objects stay for Delete.
    [[nodiscard]] bool Create(int width, int height, bool withDepth = true);
    void Delete();
    void Bind() const;

    uint32_t Framebuffer() const { return m_framebuffer; }  // 0 before Create
    uint32_t ColourRenderbuffer() const { return m_colour; }
    uint32_t DepthRenderbuffer() const { return m_depth; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    uint32_t m_framebuffer = 0;
    uint32_t m_colour = 0;
    uint32_t m_depth = 0;
    int m_width = 0;
    int m_height = 0;
};

// Reads the bound framebuffer's rectangle (0, 0, width, height) as RGBA
// rows, top row first. outRgba's storage is reused when large enough, so a
// caller reading every frame allocates once.
[[nodiscard]] bool ReadFramebufferRgba(int width, int height, std::vector<uint8_t>& outRgba);

}  // namespace Varnok
