// The renderer's shared behaviour and its singleton.
#include "engine/render/Renderer.h"

#include "engine/render/GlesRenderer.h"

#include <GLES2/gl2.h>


namespace Varnok {
Renderer& Renderer::Get() {
    // A function-local static: built once even if two threads ask at once.
    static GlesRenderer renderer;
    return renderer;
}

void Renderer::SetScreenSize(int width, int height) {
    m_screenWidth = width;
    m_screenHeight = height;
    m_viewport = ViewportRect{0, 0, width, height};
}

float Renderer::GetAspectRatio() const {
    return static_cast<float>(GetViewportWidth()) / static_cast<float>(GetViewportHeight());
}

float Renderer::GetInverseAspectRatio() const {
    return static_cast<float>(GetViewportHeight()) / static_cast<float>(GetViewportWidth());
}

int Renderer::NormaliseBlendCode(int code) const {
    return code >= 2 && code <= 13 ? code : 1;
}

int Renderer::NormaliseBlendCodeAlt(int code) const {
    return code >= 2 && code <= 13 ? code : 1;
}

uint32_t Renderer::MapBlendFactor(int code) const {
    static const GLenum kFactors[] = {
        GL_ZERO,                 // 1
        GL_ONE,                  // 2
        GL_SRC_COLOR,            // 3
        GL_ONE_MINUS_SRC_COLOR,  // 4
        GL_SRC_ALPHA,            // 5
        GL_ONE_MINUS_SRC_ALPHA,  // 6
        GL_DST_ALPHA,            // 7
        GL_ONE_MINUS_DST_ALPHA,  // 8
        GL_DST_COLOR,            // 9
        GL_ONE_MINUS_DST_COLOR,  // 10
        GL_SRC_ALPHA_SATURATE,   // 11
    };
    if (code < kBlendZero || code > kBlendSrcAlphaSaturate) {
        return GL_ZERO;
    }
    return kFactors[code - kBlendZero];
}

int Renderer::QueryFramebufferWidth() const {
    if (m_target != nullptr) {
        return m_target->FramebufferWidth();
    }
    return m_screenWidth > 0 ? m_screenWidth : GetViewportWidth();
}

int Renderer::QueryFramebufferHeight() const {
    if (m_target != nullptr) {
        return m_target->FramebufferHeight();
    }
    return m_screenHeight > 0 ? m_screenHeight : GetViewportHeight();
}

}  // namespace Varnok
