// What the GL benchmarks share: a headless GL ES 2.0 context, an offscreen
// framebuffer that the renderer takes as its target, and the source tree's
// data folder mounted for the shaders (VARNOK_DATA_DIR overrides it).
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/Renderer.h"
#include "platform/OffscreenFramebuffer.h"
#include "platform/PlatformDisplay.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace VarnokBench {

class HeadlessRenderScene {
public:
    // False when no context or complete framebuffer can be had.
    bool Open(int width, int height, const char* title) {
        using namespace Varnok;
        m_width = width;
        m_height = height;
        m_display = CreateHeadlessDisplay();
        DisplayDef def;
        def.width = width;
        def.height = height;
        if (!m_display->Open(def)) {
            return false;
        }
        if (!m_framebuffer.Create(width, height, false)) {
            return false;
        }
        Renderer::Get().SetTarget(&m_target);
        FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(DataFolder().c_str(), true),
                                      FileSystemKey("base"), 0);
        Renderer::Get().Init(nullptr, title, 0);
        glViewport(0, 0, width, height);
        return true;
    }

private:
    class Target final : public Varnok::RenderTarget {
    public:
        explicit Target(const Varnok::OffscreenFramebuffer& framebuffer) : m_framebuffer(framebuffer) {}
        uint32_t DefaultFramebuffer() const override { return m_framebuffer.Framebuffer(); }
        int FramebufferWidth() const override { return m_framebuffer.Width(); }
        int FramebufferHeight() const override { return m_framebuffer.Height(); }

    private:
        const Varnok::OffscreenFramebuffer& m_framebuffer;
    };

    static std::string DataFolder() {
        if (const char* folder = std::getenv("VARNOK_DATA_DIR")) {
            return folder;
        }
        // From the build: __FILE__ is relative when ccache rewrites paths.
        return VARNOK_SOURCE_DATA_DIR;
    }

    std::unique_ptr<Varnok::PlatformDisplay> m_display;
    Varnok::OffscreenFramebuffer m_framebuffer;
    Target m_target{m_framebuffer};
    int m_width = 0;
    int m_height = 0;
};

// Which pixels of a frame count as drawn: text benches look for red above
// half, picture benches for anything brighter than near black.
enum class LitRule { RedAboveHalf, AnyColour };

// Pixels of the current frame that count as drawn: both sides of a
// comparison must draw about the same picture.
inline int LitPixels(int width, int height, LitRule rule) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const bool drawn =
            rule == LitRule::RedAboveHalf ? pixels[i] > 128 : pixels[i] + pixels[i + 1] + pixels[i + 2] > 30;
        lit += drawn ? 1 : 0;
    }
    return lit;
}

// Clears, draws and finishes each frame; the median of the timed frames in
// milliseconds. Prints the last frame's drawn pixels.
template <typename DrawFrame>
double MedianFrameMs(int width, int height, int warmUpFrames, int timedFrames, LitRule rule, DrawFrame drawFrame) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(timedFrames));
    for (int frame = 0; frame < warmUpFrames + timedFrames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        glClear(GL_COLOR_BUFFER_BIT);
        drawFrame(frame);
        glFinish();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (frame >= warmUpFrames) {
            times.push_back(ms);
        }
    }
    std::printf("  %d lit pixels in the last frame\n", LitPixels(width, height, rule));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace VarnokBench
