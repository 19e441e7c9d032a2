// What the popup overlay draws: a panel that slides in and out, a message
// that scrolls with a finger and inertia, a scroll bar and an optional link
// button. A plain record the overlay fills; units are viewport pixels from
// the centre, y upwards.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"

#include <cstdint>
#include <string>

namespace Varnok {

class BitmapFont;
class Texture;

// y upwards: top > bottom. Edges count as inside.
template <typename T>
struct PopupRect {
    T left, top, right, bottom;

    bool Contains(float x, float y) const {
        return x >= static_cast<float>(left) && x <= static_cast<float>(right) &&
               y >= static_cast<float>(bottom) && y <= static_cast<float>(top);
    }
};

class PopupOverlayView {
public:
    enum State : int32_t { Appearing = 0, Shown = 1, Dragging = 2, Disappearing = 3 };

    static constexpr float kSlideSeconds = 0.25f;
    static constexpr float kScrollDamping = 0.8f;      // per update
    static constexpr float kScrollSettle = 0.1f;       // the part of the way moved per update
    static constexpr int32_t kDragStallLimit = 9;      // unchanged moves before the inertia stops
    static constexpr float kLinkTouchMargin = 32.0f;  // added to the link's width for touches
    static constexpr float kLinkDragLimit = 16.0f;
    static constexpr float kNoLink = -1.0f;

    // Out of line: the textures' type is complete only there.
    PopupOverlayView();
    ~PopupOverlayView();
    PopupOverlayView(const PopupOverlayView&);
    PopupOverlayView& operator=(const PopupOverlayView&);

    // One step of the slide, the inertia and the settling. False once a
    // disappearance has finished (the textures and font are let go and the
    // input devices reset): the overlay is then hidden.
    bool Update(float elapsedSeconds);
    // A touch began or moved / ended, in overlay units.
    void Touch(float x, float y);
    void TouchEnded(float x, float y);
    // Requires: a current GL context.
    void Draw();
    // Lets go of the three textures and the font.
    void ReleaseTextures();

    float PanelHeight() const { return panelRect.top - panelRect.bottom; }
    // The furthest the text scrolls down: 0 when it fits the panel.
    float MaxScroll() const;

    SmartPtr<Texture> panelTexture;
    SmartPtr<Texture> scrollBarTexture;
    SmartPtr<Texture> linkTexture;
    BitmapFont* font = nullptr;  // not owned; may be null
    bool linkPressed = false;
    Colour textColour{9, 36, 62, 255};
    uint32_t textSize = 16;  // font units; also the line height
    float textOriginX = -160.0f;
    float textOriginY = 43.0f;
    Vector3 hiddenPosition{0.0f, -55.0f, 0.0f};
    uint32_t wrapWidth = 360;
    // A touch that ends inside either closes the panel.
    PopupRect<int32_t> closeAreaA{-240, 160, 240, -160};
    PopupRect<int32_t> closeAreaB{-9999, -9999, -9999, -9999};
    PopupRect<float> panelRect{-180.0f, -23.0f, 180.0f, -108.0f};  // the text is clipped to it
    float panelScale = 1.0f;
    Vector3 currentPosition;
    Vector3 targetPosition;
    Vector3 startPosition;
    float lastTouchX = 0.0f;
    float lastTouchY = 0.0f;
    float anchorX = 0.0f;
    float anchorY = 0.0f;
    float horizontalOffset = 0.0f;
    float scrollOffset = 0.0f;
    int32_t state = Appearing;
    std::string messageText;  // UTF-8
    float fadeSeconds = 0.0f;
    float textHeight = -1.0f;  // -1: not measured yet
    float scrollVelocity = 0.0f;
    int32_t dragStallCount = 0;
    float linkOffset = kNoLink;
    float linkWidth = 0.0f;
    uint8_t scrollBarAlpha = 0;
    float linkLabelSize = 20.0f;
    float totalDrag = 0.0f;
    std::string linkUrl;
    std::string linkLabel;

private:
    void UpdateSlide(float elapsedSeconds);
    void UpdateScroll();
    void Drag(float y);
    void StartDisappearing();
    PopupRect<float> LinkRect() const;
    float PanelTextureHeight() const;
    float PanelTextureWidth() const;
    bool ScrollBarWanted() const;
    void DrawScrollBar();
};

}  // namespace Varnok
