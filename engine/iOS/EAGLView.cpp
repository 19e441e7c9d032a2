// The GL view's framebuffer, presentation and touches.
#include "engine/iOS/EAGLView.h"

#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/core/TouchInputDevice.h"
#include "engine/iOS/VarnokTouchViewController.h"
#include "engine/iOS/internal/SystemVersion.h"
#include "engine/render/GlesRenderer.h"
#include "engine/render/Renderer.h"
#include "platform/PlatformDisplay.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

#include <algorithm>
#include <cstring>

namespace Varnok {
namespace {

constexpr GLenum kColourFormatRgba8 = 0x8058;  // GL_RGBA8_OES

EAGLView* s_currentView = nullptr;

uint32_t HookDefaultFramebuffer(void*) {
    return GetDefaultFramebuffer();
}
int HookFramebufferWidth(void*) {
    return GetFramebufferWidth();
}
int HookFramebufferHeight(void*) {
    return GetFramebufferHeight();
}
void HookCreateCustomFramebuffer(void*, int width, int height) {
    CreateCustomFramebuffer(width, height);
}

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
    RenderTargetHooks hooks;
    hooks.getDefaultFramebuffer = HookDefaultFramebuffer;
    hooks.getFramebufferWidth = HookFramebufferWidth;
    hooks.getFramebufferHeight = HookFramebufferHeight;
    hooks.createCustomFramebuffer = HookCreateCustomFramebuffer;
    Renderer::SetTargetHooks(hooks);
}

EAGLView::~EAGLView() {
    deleteFramebuffer();
    context = nullptr;
    if (s_currentView == this) {
        s_currentView = nullptr;
        Renderer::SetTargetHooks(RenderTargetHooks{});
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
            GLuint framebuffer = 0;
            GLuint colour = 0;
            GLuint depth = 0;
            glGenFramebuffers(1, &framebuffer);
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
            glGenRenderbuffers(1, &colour);
            glBindRenderbuffer(GL_RENDERBUFFER, colour);
            glRenderbufferStorage(GL_RENDERBUFFER, kColourFormatRgba8, width, height);
            GLint reportedWidth = 0;
            GLint reportedHeight = 0;
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &reportedWidth);
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &reportedHeight);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
            glGenRenderbuffers(1, &depth);
            glBindRenderbuffer(GL_RENDERBUFFER, depth);
            glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, reportedWidth, reportedHeight);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
            glBindRenderbuffer(GL_RENDERBUFFER, colour);
            defaultFramebuffer = framebuffer;
            colorRenderbuffer = colour;
            depthRenderbuffer = depth;
            framebufferWidth = reportedWidth;
            framebufferHeight = reportedHeight;
            const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
            if (status != GL_FRAMEBUFFER_COMPLETE) {
                Log("Failed to make complete framebuffer object %x", status);
            }
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
        if (defaultFramebuffer != 0) {
            glDeleteFramebuffers(1, &defaultFramebuffer);
            defaultFramebuffer = 0;
        }
        if (depthRenderbuffer != 0) {
            glDeleteRenderbuffers(1, &depthRenderbuffer);
            depthRenderbuffer = 0;
        }
        if (colorRenderbuffer != 0) {
            glDeleteRenderbuffers(1, &colorRenderbuffer);
            colorRenderbuffer = 0;
        }
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
    const size_t row = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> raw(row * static_cast<size_t>(height));
    glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    if (glGetError() != GL_NO_ERROR) {
        return false;
    }
    // GL's first row is the bottom one.
    outRgba.resize(raw.size());
    for (int y = 0; y < height; ++y) {
        memcpy(&outRgba[static_cast<size_t>(y) * row], &raw[static_cast<size_t>(height - 1 - y) * row], row);
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

uint32_t GetDefaultFramebuffer() {
    return s_currentView != nullptr ? s_currentView->defaultFramebuffer : 0;
}

int GetFramebufferWidth() {
    return s_currentView != nullptr ? s_currentView->framebufferWidth : 0;
}

int GetFramebufferHeight() {
    return s_currentView != nullptr ? s_currentView->framebufferHeight : 0;
}

void CreateCustomFramebuffer(int width, int height) {
    if (s_currentView != nullptr) {
        s_currentView->createCustomFrameBuffer(width, height);
    }
}

}  // namespace Varnok
