// GlesRenderer: frames, the GL state cache and the texture settings.
#include "engine/render/GlesRenderer.h"

#include "engine/core/DeviceSettings.h"
#include "engine/core/Log.h"
#include "engine/core/UIDeviceHardware.h"
#include "engine/render/ShaderProgramCache.h"

#include <GLES2/gl2.h>

#include <cstring>

namespace Varnok {
namespace {

GLenum MapCompare(int code, GLenum fallback) {
    static const GLenum kCompares[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                       GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    if (code < kCompareNever || code > kCompareAlways) {
        return fallback;
    }
    return kCompares[code];
}

float ByteToUnit(uint8_t value) {
    return static_cast<float>(value) / 255.0f;
}

}  // namespace

GlesRenderer::GlesRenderer(RenderTarget* target) : Renderer(target) {
    m_inFrame = false;
    m_orientation = Matrix4::Identity();
    m_viewport = ViewportRect{0, 0, QueryFramebufferWidth(), QueryFramebufferHeight()};
}

void GlesRenderer::Init(VarnokGame* /*game*/, const char* /*title*/, int /*reserved*/) {
    glClearColor(ByteToUnit(m_clearColour.r), ByteToUnit(m_clearColour.g),
                 ByteToUnit(m_clearColour.b), ByteToUnit(m_clearColour.a));
    glClearDepthf(1.0f);
    m_alphaFunc = kCompareGreater;
    // Blending as the engine expects it, with the cache saying so: a caller
    // that saves and restores the codes must get this back, not (one, one).
    SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    // Culling stays off until asked for; when on it culls back faces.
    glCullFace(GL_BACK);

    ShaderProgramCache& programs = ShaderProgramCache::Get();
    programs.FindOrCreate("gles1_vertex_unlit", ShaderProgramCache::kUnlitProgram, nullptr);
    programs.FindOrCreate("gles1_vertex_unlit_notexture",
                          ShaderProgramCache::kUnlitNoTextureProgram, nullptr);
    programs.FindOrCreate("gles1_vertex_simple2d", ShaderProgramCache::kSimple2DProgram, nullptr);
}

bool GlesRenderer::IsOrientationIdentity() const {
    const Matrix4 identity = Matrix4::Identity();
    return std::memcmp(m_orientation.m, identity.m, sizeof(identity.m)) == 0;
}

void GlesRenderer::BeginFrame() {
    const int width = QueryFramebufferWidth();
    const int height = QueryFramebufferHeight();
    m_viewport = IsOrientationIdentity() ? ViewportRect{0, 0, width, height}
                                         : ViewportRect{0, 0, height, width};
    Lock();
    ++m_frameLocks;
    if (m_inFrame) {
        return;
    }
    m_inFrame = true;
    // Depth writes must be on for the clear to reach the depth buffer.
    glDepthMask(GL_TRUE);
    m_depthWrite = true;
    glDepthFunc(GL_LEQUAL);
    m_depthFunc = kCompareLessEqual;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glViewport(0, 0, GetViewportWidth(), GetViewportHeight());
}

void GlesRenderer::EndFrame() {
    m_inFrame = false;
}

void GlesRenderer::Present() {
    if (m_frameLocks == 0) {
        Log("Renderer: Present without BeginFrame ignored");
        return;
    }
    --m_frameLocks;
    Unlock();
}

void GlesRenderer::SetColour(const Colour& colour) {
    if (colour != m_colour) {
        m_colour = colour;
    }
}

void GlesRenderer::SetDepthTest(bool enabled) {
    m_depthTest = enabled;
    if (enabled) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

void GlesRenderer::SetDepthWrite(bool enabled) {
    m_depthWrite = enabled;
    glDepthMask(enabled ? GL_TRUE : GL_FALSE);
}

void GlesRenderer::SetDepthFunc(int compareCode) {
    m_depthFunc = compareCode;
    glDepthFunc(MapCompare(compareCode, GL_LESS));
}

void GlesRenderer::SetAlphaTest(bool enabled) {
    m_alphaTest = enabled;
}

void GlesRenderer::SetAlphaFunc(int compareCode, uint8_t reference) {
    m_alphaFunc = compareCode;
    m_alphaRef = reference;
}

void GlesRenderer::SetCullMode(int mode) {
    switch (mode) {
        case kCullOff:
            glDisable(GL_CULL_FACE);
            break;
        case kCullClockwise:
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CW);
            break;
        case kCullCounterClockwise:
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CCW);
            break;
        default:
            return;
    }
    m_cullMode = mode;
}

void GlesRenderer::SetBlendFunc(int sourceCode, int destinationCode) {
    m_blendSrc = sourceCode;
    m_blendDst = destinationCode;
    glBlendFunc(MapBlendFactor(sourceCode), MapBlendFactor(destinationCode));
}

void GlesRenderer::SetBlendEnable(bool enabled) {
    if (enabled == m_blendEnabled) {
        return;
    }
    m_blendEnabled = enabled;
    if (enabled) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
}

void GlesRenderer::SetViewport(int y0, int y1, int x0, int x1) {
    m_viewport = ViewportRect{x0, y0, x1, y1};
    if (m_target != nullptr) {
        m_target->CreateCustomFramebuffer(GetViewportWidth(), GetViewportHeight());
    }
}

int GlesRenderer::GetDeviceClass() const {
    return IsIPad() ? 4 : 2;
}

void GlesRenderer::ClearDepth() {
    glClear(GL_DEPTH_BUFFER_BIT);
}

void GlesRenderer::SetClearColour(const Colour& colour) {
    m_clearColour = colour;
    glClearColor(ByteToUnit(colour.r), ByteToUnit(colour.g), ByteToUnit(colour.b),
                 ByteToUnit(colour.a));
}

bool GlesRenderer::IsRetina() {
    if (!m_retina.has_value()) {
        m_retina = Varnok::IsRetina();
    }
    return *m_retina;
}

uint32_t GlesRenderer::GetMagFilter() const {
    return m_magFilter == 0 ? GL_NEAREST : GL_LINEAR;
}

uint32_t GlesRenderer::GetMinFilter() const {
    static const GLenum kFilters[] = {GL_NEAREST,
                                      GL_LINEAR,
                                      GL_NEAREST_MIPMAP_NEAREST,
                                      GL_LINEAR_MIPMAP_NEAREST,
                                      GL_NEAREST_MIPMAP_LINEAR,
                                      GL_LINEAR_MIPMAP_LINEAR};
    if (m_minFilter < 0 || m_minFilter > 5) {
        return GL_LINEAR;
    }
    return kFilters[m_minFilter];
}

uint32_t GlesRenderer::GetWrapS() const {
    return m_wrapS == kWrapRepeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
}

uint32_t GlesRenderer::GetWrapT() const {
    return m_wrapT == kWrapRepeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
}

uint32_t GlesRenderer::GetDefaultFramebuffer() const {
    return m_target != nullptr ? m_target->DefaultFramebuffer() : 0;
}

void GlesRenderer::SetWrapS(int /*textureStage*/, int mode) {
    m_wrapS = mode;
    if (mode == kWrapClamp) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    } else if (mode == kWrapRepeat) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    }
}

void GlesRenderer::SetWrapT(int /*textureStage*/, int mode) {
    m_wrapT = mode;
    if (mode == kWrapClamp) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    } else if (mode == kWrapRepeat) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
}

}  // namespace Varnok
