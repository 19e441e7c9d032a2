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

#include <cstdlib>
#include <memory>
#include <string>

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

}  // namespace VarnokBench
