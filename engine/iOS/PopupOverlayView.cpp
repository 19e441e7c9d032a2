// The popup panel's slide, scrolling, touches and drawing.
#include "engine/iOS/PopupOverlayView.h"

#include "engine/core/InputManager.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/text/BitmapFont.h"

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace {

constexpr float kSettleSnap = 2.0f;     // closer than this to the end: snap there
constexpr float kVelocityStop = 0.25f;  // slower than this: stop
constexpr int32_t kTextFlags = BitmapTextFlags::AlignLeft | BitmapTextFlags::Justify;  // 17
constexpr int kScrollBarFadeStep = 32;
constexpr float kScrollBarGap = 3.0f;
constexpr float kScrollBarWidth = 6.0f;
constexpr float kScrollBarEndSlice = 6.0f;
constexpr float kScrollBarDragShown = 4.0f;
constexpr float kNoTextureLinkHeight = 32.0f;

float TextureWidth(const SmartPtr<Texture>& texture) {
    return texture ? static_cast<float>(texture->GetDescription().width) : 0.0f;
}
float TextureHeight(const SmartPtr<Texture>& texture) {
    return texture ? static_cast<float>(texture->GetDescription().height) : 0.0f;
}

// A textured axis-aligned quad (or plain colour without a texture).
void DrawQuad(const SmartPtr<Texture>& texture, float left, float top, float right, float bottom,
              const Colour& colour) {
    float rgba[4];
    colour.GetRGBAFloats(rgba);
    const float corners[4][4] = {
        {left, bottom, 0.0f, 1.0f}, {right, bottom, 1.0f, 1.0f}, {left, top, 0.0f, 0.0f}, {right, top, 1.0f, 0.0f}};
    ImmediateVertex strip[4];
    for (int i = 0; i < 4; ++i) {
        strip[i].x = corners[i][0];
        strip[i].y = corners[i][1];
        strip[i].nz = 1.0f;
        strip[i].r = rgba[0];
        strip[i].g = rgba[1];
        strip[i].b = rgba[2];
        strip[i].a = rgba[3];
        strip[i].u = corners[i][2];
        strip[i].v = corners[i][3];
    }
    DrawTexturedTriangleStrip(strip, 4, true, nullptr, texture);
}

}  // namespace

PopupOverlayView::PopupOverlayView() = default;
PopupOverlayView::~PopupOverlayView() = default;
PopupOverlayView::PopupOverlayView(const PopupOverlayView&) = default;
PopupOverlayView& PopupOverlayView::operator=(const PopupOverlayView&) = default;

float PopupOverlayView::MaxScroll() const {
    return std::max(0.0f, textHeight - PanelHeight());
}

float PopupOverlayView::PanelTextureWidth() const {
    return TextureWidth(panelTexture);
}

float PopupOverlayView::PanelTextureHeight() const {
    return TextureHeight(panelTexture);
}

void PopupOverlayView::ReleaseTextures() {
    panelTexture = SmartPtr<Texture>();
    scrollBarTexture = SmartPtr<Texture>();
    linkTexture = SmartPtr<Texture>();
    font = nullptr;
}

bool PopupOverlayView::Update(float elapsedSeconds) {
    switch (state) {
        case Appearing:
        case Disappearing:
            UpdateSlide(elapsedSeconds);
            if (state == Disappearing && fadeSeconds >= kSlideSeconds) {
                ReleaseTextures();
                InputManager::Get().ResetAllDevices();
                return false;
            }
            break;
        case Shown:
            UpdateScroll();
            break;
        default:
            break;
    }
    return true;
}

void PopupOverlayView::UpdateSlide(float elapsedSeconds) {
    fadeSeconds += elapsedSeconds;
    if (fadeSeconds < kSlideSeconds) {
        const float t = fadeSeconds / kSlideSeconds;
        currentPosition.x = startPosition.x + (targetPosition.x - startPosition.x) * t;
        currentPosition.y = startPosition.y + (targetPosition.y - startPosition.y) * t;
        currentPosition.z = startPosition.z + (targetPosition.z - startPosition.z) * t;
        return;
    }
    currentPosition = targetPosition;
    fadeSeconds = kSlideSeconds;
    if (state == Appearing) {
        state = Shown;
    }
}

void PopupOverlayView::UpdateScroll() {
    dragStallCount = 0;
    if (scrollVelocity != 0.0f) {
        const float top = -(static_cast<float>(textSize) + PanelHeight());
        scrollOffset = std::clamp(scrollOffset + scrollVelocity, top, std::max(top, textHeight));
        scrollVelocity *= kScrollDamping;
        if (std::fabs(scrollVelocity) <= kVelocityStop) {
            scrollVelocity = 0.0f;
        }
        return;
    }
    if (textHeight < 0.0f) {
        return;  // not measured yet
    }
    const float end = MaxScroll();
    if (scrollOffset < 0.0f) {
        scrollOffset = scrollOffset > -kSettleSnap ? 0.0f : scrollOffset * (1.0f - kScrollSettle);
    } else if (scrollOffset > end) {
        scrollOffset = scrollOffset - end < kSettleSnap ? end : scrollOffset + (end - scrollOffset) * kScrollSettle;
    }
}

PopupRect<float> PopupOverlayView::LinkRect() const {
    const float height = (linkTexture ? TextureHeight(linkTexture) / 2 : kNoTextureLinkHeight) * panelScale;
    const float centreX = currentPosition.x - hiddenPosition.x + (panelRect.left + panelRect.right) / 2;
    const float centreY = scrollOffset + textOriginY + currentPosition.y - linkOffset;
    return PopupRect<float>{centreX - linkWidth / 2, centreY + height / 2, centreX + linkWidth / 2,
                            centreY - height / 2};
}

void PopupOverlayView::Touch(float x, float y) {
    lastTouchX = x;
    lastTouchY = y;
    linkPressed = false;
    if (!panelTexture) {
        return;
    }
    if (linkOffset != kNoLink) {
        PopupRect<float> link = LinkRect();
        // Wider for a finger; not taller, or it could never lie in the panel.
        link.left -= kLinkTouchMargin / 2;
        link.right += kLinkTouchMargin / 2;
        const bool linkInPanel = link.left >= panelRect.left && link.right <= panelRect.right &&
                                 link.top <= panelRect.top && link.bottom >= panelRect.bottom;
        if (totalDrag <= kLinkDragLimit && link.Contains(x, y) && linkInPanel) {
            linkPressed = true;
        }
    }
    if (state == Dragging) {
        Drag(y);
    } else if (state == Shown) {
        if (closeAreaA.Contains(x, y) || closeAreaB.Contains(x, y)) {
            return;
        }
        if (panelRect.Contains(x, y)) {
            state = Dragging;
            anchorX = x - horizontalOffset;
            anchorY = y - scrollOffset;
        }
    }
}

void PopupOverlayView::Drag(float y) {
    const float oldOffset = scrollOffset;
    const float newOffset = y - anchorY;
    const float delta = oldOffset - newOffset;
    totalDrag += std::fabs(delta);
    if (newOffset == oldOffset) {
        if (++dragStallCount >= kDragStallLimit) {
            scrollVelocity = 0.0f;
        }
    } else {
        const float limit = PanelHeight() / 4;
        scrollVelocity = std::clamp(newOffset - oldOffset, -limit, limit);
        dragStallCount = 0;
    }
    if (newOffset < 0.0f || newOffset > MaxScroll()) {
        // Past an end the text follows the finger half as far.
        scrollOffset = newOffset + delta / 2;
        anchorY -= delta / 2;
    } else {
        scrollOffset = newOffset;
    }
}

void PopupOverlayView::TouchEnded(float x, float y) {
    if (linkPressed) {
        OpenUrl(linkUrl.c_str());
        linkPressed = false;
    }
    if (state == Dragging) {
        state = Shown;  // the velocity carries on as inertia
    }
    if (state == Shown) {
        const float halfWidth = PanelTextureWidth() * panelScale / 2;
        const float halfHeight = PanelTextureHeight() * panelScale / 2;
        const PopupRect<float> panel{currentPosition.x - halfWidth, currentPosition.y + halfHeight,
                                     currentPosition.x + halfWidth, currentPosition.y - halfHeight};
        if (closeAreaA.Contains(lastTouchX, lastTouchY) || closeAreaB.Contains(lastTouchX, lastTouchY) ||
            !panel.Contains(lastTouchX, lastTouchY)) {
            StartDisappearing();
        }
    }
    lastTouchX = x;
    lastTouchY = y;
    totalDrag = 0.0f;
}

void PopupOverlayView::StartDisappearing() {
    state = Disappearing;
    startPosition = currentPosition;
    targetPosition = Vector3{hiddenPosition.x, hiddenPosition.y - PanelTextureHeight(), hiddenPosition.z};
    fadeSeconds = 0.0f;
}

bool PopupOverlayView::ScrollBarWanted() const {
    return (state == Dragging && totalDrag > kScrollBarDragShown) || scrollVelocity != 0.0f ||
           scrollOffset < 0.0f || (textHeight >= 0.0f && scrollOffset > MaxScroll());
}

void PopupOverlayView::DrawScrollBar() {
    if (ScrollBarWanted() && scrollBarTexture) {
        scrollBarAlpha = scrollBarAlpha >= 255 - kScrollBarFadeStep ? 255 : scrollBarAlpha + kScrollBarFadeStep;
    } else {
        scrollBarAlpha = scrollBarAlpha <= kScrollBarFadeStep ? 0 : scrollBarAlpha - kScrollBarFadeStep;
    }
    if (scrollBarAlpha == 0 || !scrollBarTexture || textHeight <= 0.0f) {
        return;
    }
    const float panelHeight = PanelHeight();
    float length = panelHeight * std::min(1.0f, panelHeight / textHeight);
    const float relative = scrollOffset / std::max(textHeight, 1.0f);
    if (scrollOffset > MaxScroll() && relative > 0.0f) {
        length /= std::max(1.0f, relative);
    } else if (scrollOffset < 0.0f) {
        length /= 1.0f + 4.0f * std::fabs(relative);
    }
    const float travel = std::max(0.0f, panelHeight - length);
    const float progress = MaxScroll() > 0.0f ? std::clamp(scrollOffset / MaxScroll(), 0.0f, 1.0f) : 0.0f;
    const float left = panelRect.right + kScrollBarGap + currentPosition.x - hiddenPosition.x;
    const float top = panelRect.top + currentPosition.y - progress * travel;
    const float middle = std::max(0.0f, length - 2 * kScrollBarEndSlice);
    const Colour colour(255, 255, 255, scrollBarAlpha);
    DrawQuad(scrollBarTexture, left, top, left + kScrollBarWidth, top - kScrollBarEndSlice, colour);
    DrawQuad(scrollBarTexture, left, top - kScrollBarEndSlice, left + kScrollBarWidth,
             top - kScrollBarEndSlice - middle, colour);
    DrawQuad(scrollBarTexture, left, top - kScrollBarEndSlice - middle, left + kScrollBarWidth,
             top - 2 * kScrollBarEndSlice - middle, colour);
}

void PopupOverlayView::Draw() {
    if (textHeight < 0.0f) {
        textHeight = BitmapFont::MeasureHeight(font, messageText.c_str(), static_cast<float>(textSize),
                                               static_cast<float>(wrapWidth));
    }
    const Renderer& renderer = Renderer::Get();
    const float width = static_cast<float>(renderer.GetViewportWidth());
    const float height = static_cast<float>(renderer.GetViewportHeight());
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.World().Set(Matrix4::Identity());
    transforms.View().Set(Matrix4::Identity());
    transforms.SetOrthographic(height / 2, -height / 2, -width / 2, width / 2, -1.0f, 1.0f);
    transforms.Apply(false);

    if (panelTexture) {
        const float halfWidth = PanelTextureWidth() * panelScale / 2;
        const float halfHeight = PanelTextureHeight() * panelScale / 2;
        DrawQuad(panelTexture, currentPosition.x - halfWidth, currentPosition.y + halfHeight,
                 currentPosition.x + halfWidth, currentPosition.y - halfHeight, kColourWhite);
    }
    DrawScrollBar();

    const BitmapClipRect clip{panelRect.left, panelRect.top, panelRect.right, panelRect.bottom};
    BitmapTextDef text;
    text.x = textOriginX + currentPosition.x + horizontalOffset;
    text.y = textOriginY + currentPosition.y + scrollOffset;
    text.colour = textColour;
    text.boxWidth = static_cast<float>(wrapWidth);
    text.flags = kTextFlags;
    text.lineHeight = static_cast<float>(textSize);
    text.clip = &clip;
    BitmapFont::DrawText(font, messageText.c_str(), text);

    if (linkOffset != kNoLink) {
        const PopupRect<float> link = LinkRect();
        if (linkTexture) {
            DrawQuad(linkTexture, link.left, link.top, link.right, link.bottom, kColourWhite);
        }
        BitmapTextDef label = text;
        label.flags = BitmapTextFlags::AlignCentre;
        label.boxWidth = link.right - link.left;
        label.lineHeight = linkLabelSize;
        label.x = link.left + 1.0f;  // the shadow first, one unit off
        label.y = link.top - 1.0f;
        label.colour = Colour(0, 0, 0, textColour.a);
        BitmapFont::DrawText(font, linkLabel.c_str(), label);
        label.x = link.left;
        label.y = link.top;
        label.colour = kColourWhite;
        BitmapFont::DrawText(font, linkLabel.c_str(), label);
    }
}

}  // namespace Varnok
