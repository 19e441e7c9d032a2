// The GL view's framebuffer, presentation and touches.
#include "engine/iOS/EAGLView.h"

#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/core/TouchInputDevice.h"
#include "engine/iOS/VarnokTouchViewController.h"
#include "engine/iOS/internal/SystemVersion.h"
#include "engine/render/GlesRenderer.h"
#include "engine/render/Renderer.h"
#include "platform/OffscreenFramebuffer.h"
#include "platform/PlatformDisplay.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

#include <algorithm>
#include <cstring>

namespace Varnok {
namespace {

EAGLView* s_currentView = nullptr;

bool IsPopupOverlayVisible() {
    return false;
}
void PopupOverlayTouchMoved(float, float) {}
void PopupOverlayTouchEnded(float, float) {}

// Null when the driver offers no discard; looked up once.
PFNGLDISCARDFRAMEBUFFEREXTPROC DiscardFunction() {
    static const PFNGLDISCARDFRAMEBUFFEREXTPROC function = [] {
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        if (extensions == nullptr || strstr(extensions, "GL_EXT_discard_framebuffer") == nullptr) {
            return PFNGLDISCARDFRAMEBUFFEREXTPROC{nullptr};
        }
        return reinterpret_cast<PFNGLDISCARDFRAMEBUFFEREXTPROC>(
            eglGetProcAddress("glDiscardFramebufferEXT"));
    }();
    return function;
}

class RendererLock {
public:
    RendererLock() { Renderer::Get().Lock(); }
    ~RendererLock() { Renderer::Get().Unlock(); }
    RendererLock(const RendererLock&) = delete;
    RendererLock& operator=(const RendererLock&) = delete;
};

}  // namespace

EAGLView::EAGLView(int boundsWidthPoints, int boundsHeightPoints)
    : boundsWidth(boundsWidthPoints), boundsHeight(boundsHeightPoints) {
    canDiscardDepthBuffer = SystemVersionAtLeast("4.0");
    resetNativeResolution();
    s_currentView = this;
}

EAGLView::~EAGLView() {
    deleteFramebuffer();
    context = nullptr;
    if (s_currentView == this) {
        s_currentView = nullptr;
    }
    if (Renderer::Get().GetTarget() == this) {
        Renderer::Get().SetTarget(nullptr);
    }
}

bool EAGLView::MakeContextCurrent() {
    if (contextCurrent) {
        return false;
    }
    if (!context->MakeCurrent()) {
        Log("Failed to set ES context current");
        return false;
    }
    contextCurrent = true;
    return true;
}

void EAGLView::createFramebuffer() {
    if (context == nullptr || hasFramebuffer) {
        return;
    }
    {
        RendererLock lock;
        MakeContextCurrent();
        if (context->IsOffscreen()) {
            // No layer to draw into: the view makes its own colour storage at
            // its bounds times the content scale.
            const int width = static_cast<int>(static_cast<float>(boundsWidth) * contentScaleFactor);
            const int height = static_cast<int>(static_cast<float>(boundsHeight) * contentScaleFactor);
            if (!m_offscreen.Create(width, height)) {
                Log("EAGLView: the offscreen framebuffer is incomplete");
            }
            defaultFramebuffer = m_offscreen.Framebuffer();
            colorRenderbuffer = m_offscreen.ColourRenderbuffer();
            depthRenderbuffer = m_offscreen.DepthRenderbuffer();
            framebufferWidth = m_offscreen.Width();
            framebufferHeight = m_offscreen.Height();
        } else {
            // A window draws into framebuffer 0, which the window system owns.
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            defaultFramebuffer = 0;
            framebufferWidth = context->Width();
            framebufferHeight = context->Height();
        }
        hasFramebuffer = true;
    }
    resetNativeResolution();
}

void EAGLView::deleteFramebuffer() {
    if (context == nullptr) {
        return;
    }
    {
        RendererLock lock;
        MakeContextCurrent();
        m_offscreen.Delete();
        defaultFramebuffer = 0;
        depthRenderbuffer = 0;
        colorRenderbuffer = 0;
        hasFramebuffer = false;
        needsBinding = true;
    }
    if (viewController != nullptr) {
        viewController->wasRendered = false;
    }
}

void EAGLView::setFramebuffer() {
    if (context == nullptr) {
        return;
    }
    RendererLock lock;
    MakeContextCurrent();
    if (!hasFramebuffer) {
        // Creation takes the lock itself; others may draw meanwhile.
        Renderer::Get().Unlock();
        createFramebuffer();
        Renderer::Get().Lock();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
}

void EAGLView::createFrameBufferIfNeeded() {
    if (needsBinding) {
        needsBinding = false;
        setFramebuffer();
    }
}

void EAGLView::presentFramebuffer() {
    if (context == nullptr) {
        return;
    }
    RendererLock lock;
    if (MakeContextCurrent()) {
        glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
    }
    if (presentObserver) {
        presentObserver();
    }
    // Only the depth of our own framebuffer: the colour is what is shown,
    // and a window's framebuffer belongs to the window system.
    if (canDiscardDepthBuffer && defaultFramebuffer != 0 && DiscardFunction() != nullptr) {
        const GLenum attachments[] = {GL_DEPTH_ATTACHMENT};
        DiscardFunction()(GL_FRAMEBUFFER, 1, attachments);
    }
    context->Present();
}

void EAGLView::createCustomFrameBuffer(int width, int /*height*/) {
    resetNativeResolution();
    const int modeWidth = context != nullptr ? context->Width() : 0;
    const int modeHeight = context != nullptr ? context->Height() : 0;
    const int largerBounds = std::max(boundsWidth, boundsHeight);
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
    const int modeWidth = context != nullptr ? context->Width() : 0;
    const int modeHeight = context != nullptr ? context->Height() : 0;
    const int smaller = std::min(modeWidth, modeHeight);
    const int larger = std::max(modeWidth, modeHeight);
    if (boundsWidth > boundsHeight) {
        Renderer::Get().SetScreenSize(larger, smaller);
    } else {
        Renderer::Get().SetScreenSize(smaller, larger);
    }
}

bool EAGLView::shouldTransformInput() const {
    if (!isUncontrolled) {
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
    const int width = static_cast<int>(static_cast<float>(boundsWidth) * contentScaleFactor);
    const int height = static_cast<int>(static_cast<float>(boundsHeight) * contentScaleFactor);
    if (width != framebufferWidth || height != framebufferHeight) {
        deleteFramebuffer();
        createFramebuffer();
    }
}

void EAGLView::setContext(PlatformDisplay* newContext) {
    if (newContext == context) {
        return;
    }
    deleteFramebuffer();
    context = newContext;
    contextCurrent = false;
}

void EAGLView::SetContentScaleFactor(float scale) {
    if (!(scale > 0.0f && scale <= 16.0f)) {  // NaN fails too
        Log("EAGLView: content scale %g outside 0..16, keeping %g", scale, contentScaleFactor);
        return;
    }
    contentScaleFactor = scale;
}

bool EAGLView::ReadFramebuffer(std::vector<uint8_t>& outRgba, int& outWidth, int& outHeight) const {
    const int width = framebufferWidth;
    const int height = framebufferHeight;
    if (context == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebuffer);
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
    // An empty view has no positions to give; the origin stands in.
    const float width = boundsWidth > 0 ? static_cast<float>(boundsWidth) : 0.0f;
    const float height = boundsHeight > 0 ? static_cast<float>(boundsHeight) : 0.0f;
    if (width == 0.0f || height == 0.0f) {
        outX = 0.0f;
        outY = 0.0f;
        return;
    }
    if (shouldTransformInput()) {
        outX = touch.y / height;
        outY = 1.0f - touch.x / width;
    } else {
        outX = touch.x / width;
        outY = touch.y / height;
    }
}

void EAGLView::HandleTouches(const PlatformTouchSet& touches, const PlatformTouchEvent& event, int phase) {
    PlatformEventHub::Get().touches.Invoke(&touches, &event, phase);
    const bool overlayVisible = IsPopupOverlayVisible();
    const bool down = phase != PlatformEventHub::kTouchEnded;
    TouchInputDevice* device = TouchInputDevice::Get();
    for (const PlatformTouchLocation& touch : touches.touches) {
        float x = 0.0f;
        float y = 0.0f;
        NormaliseLocation(touch, x, y);
        if (overlayVisible) {
            if (down) {
                PopupOverlayTouchMoved(x, y);
            } else {
                PopupOverlayTouchEnded(0.0f, 0.0f);
            }
        }
        if (device != nullptr) {
            device->OnTouch(touch.id, down, x, y);
        }
    }
}

EAGLView* GetCurrentGLView() {
    return s_currentView;
}

}  // namespace Varnok
