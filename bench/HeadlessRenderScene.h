// What the GL benchmarks share: a headless GL ES 2.0 context, an offscreen
// framebuffer that the renderer takes as its target, and the source tree's
// data folder mounted for the shaders (VARNOK_DATA_DIR overrides it).
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/Renderer.h"
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
        glGenFramebuffers(1, &m_framebuffer);
        glGenRenderbuffers(1, &m_colourBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, m_colourBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, kRgba8, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colourBuffer);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            return false;
        }
        RenderTargetHooks hooks;
        hooks.user = this;
        hooks.getDefaultFramebuffer = [](void* self) {
            return static_cast<uint32_t>(static_cast<HeadlessRenderScene*>(self)->m_framebuffer);
        };
        hooks.getFramebufferWidth = [](void* self) { return static_cast<HeadlessRenderScene*>(self)->m_width; };
        hooks.getFramebufferHeight = [](void* self) { return static_cast<HeadlessRenderScene*>(self)->m_height; };
        Renderer::SetTargetHooks(hooks);
        FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(DataFolder().c_str(), true),
                                      FileSystemKey("base"), 0);
        Renderer::Get().Init(nullptr, title, 0);
        glViewport(0, 0, width, height);
        return true;
    }

private:
    static constexpr GLenum kRgba8 = 0x8058;  // GL_RGBA8_OES

    static std::string DataFolder() {
        if (const char* folder = std::getenv("VARNOK_DATA_DIR")) {
            return folder;
        }
        std::string path = __FILE__;  // .../bench/HeadlessRenderScene.h
        path.resize(path.rfind('/'));
        path.resize(path.rfind('/') + 1);
        return path + "data";
    }

    std::unique_ptr<Varnok::PlatformDisplay> m_display;
    GLuint m_framebuffer = 0;
    GLuint m_colourBuffer = 0;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace VarnokBench
