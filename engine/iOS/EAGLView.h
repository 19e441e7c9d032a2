// The GL view: owns the framebuffer the frames are drawn into, presents it,
// answers the renderer's questions about it and turns platform touches into
// normalised touch reports.
#pragma once

#include "engine/iOS/PlatformObjects.h"
#include "engine/render/RenderTarget.h"
#include "platform/OffscreenFramebuffer.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace Varnok {

class PlatformDisplay;
class VarnokGame;
class VarnokTouchViewController;

class EAGLView : public RenderTarget {
public:
    // Bounds in points (here the display's pixels). The view becomes the
    // current GL view and the renderer's target.
    EAGLView(int boundsWidth, int boundsHeight);
    // Deletes the framebuffer and lets go of the context.
    ~EAGLView() override;
    EAGLView(const EAGLView&) = delete;
    EAGLView& operator=(const EAGLView&) = delete;

    // Every GL operation below takes the renderer mutex and does nothing
    // without a context.
    void createFramebuffer();
    void deleteFramebuffer();
    // Creates the framebuffer when there is none, then binds it.
    void setFramebuffer();
    // Binds again after start-up or a deletion.
    void createFrameBufferIfNeeded();
    void presentFramebuffer();
    // The renderer asks for it when its viewport changes: the content scale
    // becomes width over the screen width. The height is not used.
    void createCustomFrameBuffer(int width, int height);
    void resetNativeResolution();
    // True only for an uncontrolled view under a turned renderer.
    bool shouldTransformInput() const;
    // Remakes the framebuffer when the bounds at the content scale differ
    // from its size.
    void layoutSubviews();
    void resetTransform() {}
    // The GL context (the display); null lets go of it. Not owned.
    void setContext(PlatformDisplay* newContext);

    // Touch callbacks; locations in view points. Cancelled is reported as
    // ended.
    void touchesBegan(const PlatformTouchSet& touches, const PlatformTouchEvent& event);
    void touchesMoved(const PlatformTouchSet& touches, const PlatformTouchEvent& event);
    void touchesEnded(const PlatformTouchSet& touches, const PlatformTouchEvent& event);
    void touchesCancelled(const PlatformTouchSet& touches, const PlatformTouchEvent& event);

    // The touch's position as the touch device receives it, 0..1 across the
    // view (turned for an uncontrolled landscape view).
    void NormaliseLocation(const PlatformTouchLocation& touch, float& outX, float& outY) const;

    int GetBoundsWidth() const { return boundsWidth; }
    int GetBoundsHeight() const { return boundsHeight; }
    float GetContentScaleFactor() const { return contentScaleFactor; }
    void SetContentScaleFactor(float scale);

    // Called right before a frame is presented, while the framebuffer holds
    // it (frame capture).
    void SetPresentObserver(std::function<void()> observer) { presentObserver = std::move(observer); }
    // The framebuffer as RGBA rows, top row first.
    [[nodiscard]] bool ReadFramebuffer(std::vector<uint8_t>& outRgba, int& outWidth,
                                       int& outHeight) const;

    // The renderer's questions about its target.
    uint32_t DefaultFramebuffer() const override { return defaultFramebuffer; }
    int FramebufferWidth() const override { return framebufferWidth; }
    int FramebufferHeight() const override { return framebufferHeight; }
    void CreateCustomFramebuffer(int width, int height) override { createCustomFrameBuffer(width, height); }

    // Fields as the shell names them.
    int framebufferWidth = 0;  // pixels, as GL reports them
    int framebufferHeight = 0;
    uint32_t defaultFramebuffer = 0;  // GL names; 0 when absent (and for a window)
    uint32_t colorRenderbuffer = 0;
    uint32_t depthRenderbuffer = 0;
    bool canDiscardDepthBuffer = false;
    bool isUncontrolled = false;  // in the window without a view controller
    VarnokGame* game = nullptr;   // not owned
    PlatformDisplay* context = nullptr;  // not owned
    VarnokTouchViewController* viewController = nullptr;  // told when the framebuffer goes
    float transform[6] = {1, 0, 0, 1, 0, 0};  // affine; the keyboard saves and restores it

private:
    void HandleTouches(const PlatformTouchSet& touches, const PlatformTouchEvent& event, int phase);
    // True when the context had to be made current.
    bool MakeContextCurrent();

    int boundsWidth;
    int boundsHeight;
    float contentScaleFactor = 1.0f;
    bool hasFramebuffer = false;
    bool needsBinding = true;  // set at start and by every deletion
    bool contextCurrent = false;
    std::function<void()> presentObserver;
    OffscreenFramebuffer m_offscreen;  // headless only
};

// Over the current GL view (the last one constructed and still alive).
EAGLView* GetCurrentGLView();

}  // namespace Varnok
