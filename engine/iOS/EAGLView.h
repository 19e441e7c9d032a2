// The GL view: owns the framebuffer the frames are drawn into, presents it,
// answers the renderer's questions about it and turns platform touches into
// normalised touch reports.
#pragma once

#include "engine/iOS/PlatformObjects.h"
#include "engine/render/RenderTarget.h"
#include "platform/OffscreenFramebuffer.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class PlatformDisplay;
class VarnokGame;

class EAGLView : public RenderTarget {
public:
    // Bounds in points (here the display's pixels). The view controller makes
    // it the renderer's target.
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

    // Touch callbacks. Locations are normalised 0..1 across the view, origin
    // top-left, as the display reports them; the hub's touch listeners get
    // the same set (points are x times GetBoundsWidth(), y times
    // GetBoundsHeight()). Cancelled is reported as ended.
    void touchesBegan(const PlatformTouchSet& touches, const PlatformTouchEvent& event);
    void touchesMoved(const PlatformTouchSet& touches, const PlatformTouchEvent& event);
    void touchesEnded(const PlatformTouchSet& touches, const PlatformTouchEvent& event);
    void touchesCancelled(const PlatformTouchSet& touches, const PlatformTouchEvent& event);

    // The touch's position as the touch device receives it: the display's
    // position, turned for an uncontrolled landscape view.
    void NormaliseLocation(const PlatformTouchLocation& touch, float& outX, float& outY) const;

    int GetBoundsWidth() const { return m_boundsWidth; }
    int GetBoundsHeight() const { return m_boundsHeight; }
    float GetContentScaleFactor() const { return m_contentScaleFactor; }
    void SetContentScaleFactor(float scale);

    // The framebuffer as RGBA rows, top row first, into outRgba (resized,
    // so a reused buffer allocates nothing once it is big enough).
    [[nodiscard]] bool ReadFramebuffer(std::vector<uint8_t>& outRgba, int& outWidth,
                                       int& outHeight) const;

    // Counts framebuffer deletions, so that the view controller can tell
    // that the frame it drew is gone without the view reaching back to it.
    uint32_t framebufferGeneration() const { return m_framebufferGeneration; }

    // The renderer's questions about its target.
    uint32_t DefaultFramebuffer() const override { return m_defaultFramebuffer; }
    int FramebufferWidth() const override { return m_framebufferWidth; }
    int FramebufferHeight() const override { return m_framebufferHeight; }
    void CreateCustomFramebuffer(int width, int height) override { createCustomFrameBuffer(width, height); }

    // The shell's properties.
    int framebufferWidth() const { return m_framebufferWidth; }  // pixels, as GL reports them
    int framebufferHeight() const { return m_framebufferHeight; }
    uint32_t defaultFramebuffer() const { return m_defaultFramebuffer; }  // 0 when absent (and for a window)
    uint32_t colorRenderbuffer() const { return m_colorRenderbuffer; }
    uint32_t depthRenderbuffer() const { return m_depthRenderbuffer; }
    bool canDiscardDepthBuffer() const { return m_canDiscardDepthBuffer; }
    // In the window without a view controller.
    bool isUncontrolled() const { return m_isUncontrolled; }
    void setUncontrolled(bool uncontrolled) { m_isUncontrolled = uncontrolled; }
    // Not owned; null without a game.
    VarnokGame* game() const { return m_game; }
    void setGame(VarnokGame* game) { m_game = game; }
    PlatformDisplay* context() const { return m_context; }
    // Affine, six values; the keyboard saves and restores it.
    const float* transform() const { return m_transform; }
    void setTransform(const float* values);

private:
    void HandleTouches(const PlatformTouchSet& touches, const PlatformTouchEvent& event, int phase);
    // True when the context had to be made current.
    bool MakeContextCurrent();

    int m_framebufferWidth = 0;
    int m_framebufferHeight = 0;
    uint32_t m_defaultFramebuffer = 0;  // GL names; 0 when absent
    uint32_t m_colorRenderbuffer = 0;
    uint32_t m_depthRenderbuffer = 0;
    bool m_canDiscardDepthBuffer = false;
    bool m_isUncontrolled = false;
    VarnokGame* m_game = nullptr;
    PlatformDisplay* m_context = nullptr;
    float m_transform[6] = {1, 0, 0, 1, 0, 0};

    int m_boundsWidth;
    int m_boundsHeight;
    float m_contentScaleFactor = 1.0f;
    bool m_hasFramebuffer = false;
    bool m_needsBinding = true;  // set at start and by every deletion
    bool m_contextCurrent = false;
    uint32_t m_framebufferGeneration = 0;
    OffscreenFramebuffer m_offscreen;  // headless only
};

}  // namespace Varnok
