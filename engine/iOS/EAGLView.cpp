// The GL view's framebuffer, presentation and touches.
#include "engine/iOS/EAGLView.h"

#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/core/TouchInputDevice.h"
#include "engine/iOS/PopupOverlay.h"
#include "engine/iOS/internal/SystemVersion.h"
#include "engine/render/GlesRenderer.h"
#include "engine/render/Renderer.h"
#include "platform/OffscreenFramebuffer.h"
#include "platform/PlatformDisplay.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstring>

namespace Varnok {
namespace {

class RendererLock {
public:
    RendererLock() { Renderer::Get().Lock(); }
    ~RendererLock() { Renderer::Get().Unlock(); }
    RendererLock(const RendererLock&) = delete;
    RendererLock& operator=(const RendererLock&) = delete;
};

}  // namespace

EAGLView::EAGLView(int boundsWidthPoints, int boundsHeightPoints)
    : m_boundsWidth(boundsWidthPoints), m_boundsHeight(boundsHeightPoints) {
    m_canDiscardDepthBuffer = SystemVersionAtLeast("4.0");
    resetNativeResolution();
}

EAGLView::~EAGLView() {
    deleteFramebuffer();
    m_context = nullptr;
    if (Renderer::Get().GetTarget() == this) {
        Renderer::Get().SetTarget(nullptr);
    }
}

bool EAGLView::MakeContextCurrent() {
    if (m_contextCurrent) {
        return false;
    }
    if (!m_context->MakeCurrent()) {
        Log("Failed to set ES context current");
        return false;
    }
    m_contextCurrent = true;
    return true;
}

void EAGLView::createFramebuffer() {
    if (m_context == nullptr || m_hasFramebuffer) {
        return;
    }
    {
        RendererLock lock;
        MakeContextCurrent();
        if (m_context->IsOffscreen()) {
            // No layer to draw into: the view makes its own colour storage at
            // its bounds times the content scale.
            const int width = static_cast<int>(static_cast<float>(m_boundsWidth) * m_contentScaleFactor);
            const int height = static_cast<int>(static_cast<float>(m_boundsHeight) * m_contentScaleFactor);
            if (!m_offscreen.Create(width, height)) {
                Log("EAGLView: the offscreen framebuffer is incomplete");
            }
            m_defaultFramebuffer = m_offscreen.Framebuffer();
            m_colorRenderbuffer = m_offscreen.ColourRenderbuffer();
            m_depthRenderbuffer = m_offscreen.DepthRenderbuffer();
            m_framebufferWidth = m_offscreen.Width();
            m_framebufferHeight = m_offscreen.Height();
        } else {
            // A window draws into framebuffer 0, which the window system owns.
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            m_defaultFramebuffer = 0;
            m_framebufferWidth = m_context->Width();
            m_framebufferHeight = m_context->Height();
        }
        m_hasFramebuffer = true;
    }
    resetNativeResolution();
}

void EAGLView::deleteFramebuffer() {
    if (m_context == nullptr) {
        return;
    }
    {
        RendererLock lock;
        MakeContextCurrent();
        m_offscreen.Delete();
        m_defaultFramebuffer = 0;
        m_depthRenderbuffer = 0;
        m_colorRenderbuffer = 0;
        m_hasFramebuffer = false;
        m_needsBinding = true;
        ++m_framebufferGeneration;
    }
}

void EAGLView::setFramebuffer() {
    if (m_context == nullptr) {
        return;
    }
    RendererLock lock;
    MakeContextCurrent();
    if (!m_hasFramebuffer) {
        // Creation takes the lock itself; others may draw meanwhile.
        Renderer::Get().Unlock();
        createFramebuffer();
        Renderer::Get().Lock();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_defaultFramebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, m_colorRenderbuffer);
}

void EAGLView::createFrameBufferIfNeeded() {
    if (m_needsBinding) {
        m_needsBinding = false;
        setFramebuffer();
    }
}

void EAGLView::presentFramebuffer() {
    if (m_context == nullptr) {
        return;
    }
    RendererLock lock;
    if (MakeContextCurrent()) {
        glBindRenderbuffer(GL_RENDERBUFFER, m_colorRenderbuffer);
    }
    // Only the depth of our own framebuffer: the colour is what is shown,
    // and a window's framebuffer belongs to the window system.
    if (m_canDiscardDepthBuffer && m_defaultFramebuffer != 0) {
        m_context->DiscardDepth();
    }
    m_context->Present();
}

void EAGLView::createCustomFrameBuffer(int width, int /*height*/) {
    resetNativeResolution();
    const int modeWidth = m_context != nullptr ? m_context->Width() : 0;
    const int modeHeight = m_context != nullptr ? m_context->Height() : 0;
    const int largerBounds = std::max(m_boundsWidth, m_boundsHeight);
    const float nativeScale = largerBounds > 0 ? static_cast<float>(std::max(modeWidth, modeHeight)) /
                                                     static_cast<float>(largerBounds)
                                               : 1.0f;
    const int screenWidth = Renderer::Get().GetScreenWidth();
    if (screenWidth <= 0 || width <= 0) {
        Log("EAGLView: custom framebuffer of width %d on a screen %d wide ignored", width, screenWidth);
        return;
    }
    SetContentScaleFactor(nativeScale * static_cast<float>(width) / static_cast<float>(screenWidth));
    deleteFramebuffer();
    createFramebuffer();
}

void EAGLView::resetNativeResolution() {
    const int modeWidth = m_context != nullptr ? m_context->Width() : 0;
    const int modeHeight = m_context != nullptr ? m_context->Height() : 0;
    const int smaller = std::min(modeWidth, modeHeight);
    const int larger = std::max(modeWidth, modeHeight);
    if (m_boundsWidth > m_boundsHeight) {
        Renderer::Get().SetScreenSize(larger, smaller);
    } else {
        Renderer::Get().SetScreenSize(smaller, larger);
    }
}

bool EAGLView::shouldTransformInput() const {
    if (!m_isUncontrolled) {
        return false;
    }
    const auto* renderer = dynamic_cast<const GlesRenderer*>(&Renderer::Get());
    if (renderer == nullptr) {
        return false;
    }
    const Matrix4 identity = Matrix4::Identity();
    return memcmp(renderer->GetOrientationMatrix().m, identity.m, sizeof(identity.m)) != 0;
}

void EAGLView::layoutSubviews() {
    const int width = static_cast<int>(static_cast<float>(m_boundsWidth) * m_contentScaleFactor);
    const int height = static_cast<int>(static_cast<float>(m_boundsHeight) * m_contentScaleFactor);
    if (width != m_framebufferWidth || height != m_framebufferHeight) {
        deleteFramebuffer();
        createFramebuffer();
    }
}

void EAGLView::setContext(PlatformDisplay* newContext) {
    if (newContext == m_context) {
        return;
    }
    deleteFramebuffer();
    m_context = newContext;
    m_contextCurrent = false;
}

void EAGLView::SetContentScaleFactor(float scale) {
    if (!(scale > 0.0f && scale <= 16.0f)) {  // NaN fails too
        Log("EAGLView: content scale %g outside 0..16, keeping %g", scale, m_contentScaleFactor);
        return;
    }
    m_contentScaleFactor = scale;
}

void EAGLView::setTransform(const float* values) {
    std::copy(values, values + 6, m_transform);
}

bool EAGLView::ReadFramebuffer(std::vector<uint8_t>& outRgba, int& outWidth, int& outHeight) const {
    const int width = m_framebufferWidth;
    const int height = m_framebufferHeight;
    if (m_context == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_defaultFramebuffer);
    if (!ReadFramebufferRgba(width, height, outRgba)) {
        return false;
    }
    outWidth = width;
    outHeight = height;
    return true;
}

void EAGLView::touchesBegan(const PlatformTouchSet& touches, const PlatformTouchEvent& event) {
    HandleTouches(touches, event, PlatformEventHub::kTouchBegan);
}

void EAGLView::touchesMoved(const PlatformTouchSet& touches, const PlatformTouchEvent& event) {
    HandleTouches(touches, event, PlatformEventHub::kTouchMoved);
}

void EAGLView::touchesEnded(const PlatformTouchSet& touches, const PlatformTouchEvent& event) {
    HandleTouches(touches, event, PlatformEventHub::kTouchEnded);
}

void EAGLView::touchesCancelled(const PlatformTouchSet& touches, const PlatformTouchEvent& event) {
    HandleTouches(touches, event, PlatformEventHub::kTouchEnded);
}

void EAGLView::NormaliseLocation(const PlatformTouchLocation& touch, float& outX, float& outY) const {
    // The view lies turned a quarter in the window: its x runs down the
    // display and its y from the display's right edge.
    if (shouldTransformInput()) {
        outX = touch.y;
        outY = 1.0f - touch.x;
    } else {
        outX = touch.x;
        outY = touch.y;
    }
}

void EAGLView::HandleTouches(const PlatformTouchSet& touches, const PlatformTouchEvent& event, int phase) {
    PlatformEventHub::Get().touches.Invoke(&touches, &event, phase);
    PopupOverlay& overlay = PopupOverlay::Get();
    const bool overlayVisible = overlay.IsVisible();
    const bool down = phase != PlatformEventHub::kTouchEnded;
    TouchInputDevice* device = TouchInputDevice::Get();
    for (const PlatformTouchLocation& touch : touches.touches) {
        float x = 0.0f;
        float y = 0.0f;
        NormaliseLocation(touch, x, y);
        if (overlayVisible) {
            if (down) {
                overlay.OnTouchMoved(touch.id, x, y);
            } else {
                overlay.OnTouchEnded(touch.id, 0.0f, 0.0f);  // the end's place is not passed
            }
        }
        if (device != nullptr) {
            device->OnTouch(touch.id, down, x, y);
        }
    }
}

}  // namespace Varnok
