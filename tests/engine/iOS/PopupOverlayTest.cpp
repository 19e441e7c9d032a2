#include "engine/iOS/PopupOverlay.h"

#include "engine/core/TouchInputDevice.h"
#include "engine/iOS/EAGLView.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/render/Texture.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <utility>
#include <vector>

namespace Varnok {
namespace {

// A texture that never reaches GL: its description stays the 1 x 1 default.
class StandInTexture : public Texture {};

SmartPtr<Texture> MakeTexture() {
    return SmartPtr<Texture>(new StandInTexture());
}

// A view on screen at (0, -60) with text taller than its panel; the close
// area that covers the whole screen by default is moved away where a test
// drags.
PopupOverlayView ShownView(bool canDrag) {
    PopupOverlayView view;
    view.state = PopupOverlayView::Shown;
    view.panelTexture = MakeTexture();
    view.currentPosition = Vector3{0.0f, -60.0f, 0.0f};
    view.textHeight = 300.0f;  // the panel is 85 high: the text scrolls to 215
    if (canDrag) {
        view.closeAreaA = PopupRect<int32_t>{-9999, -9999, -9999, -9999};
    }
    return view;
}

TEST(PopupOverlayView, StartsHiddenBelowWithTheStockLayout) {
    const PopupOverlayView view;
    EXPECT_EQ(view.state, PopupOverlayView::Appearing);
    EXPECT_EQ(view.textColour.GetPacked(), Colour(9, 36, 62, 255).GetPacked());
    EXPECT_EQ(view.textSize, 16u);
    EXPECT_EQ(view.wrapWidth, 360u);
    EXPECT_EQ(view.textHeight, -1.0f);
    EXPECT_EQ(view.linkOffset, -1.0f);
    EXPECT_EQ(view.hiddenPosition.y, -55.0f);
    EXPECT_FLOAT_EQ(view.PanelHeight(), 85.0f);
    EXPECT_TRUE(view.closeAreaA.Contains(-240.0f, 160.0f));  // the whole 480 x 320 workspace
    EXPECT_TRUE(view.closeAreaA.Contains(240.0f, -160.0f));
    EXPECT_FALSE(view.closeAreaB.Contains(0.0f, 0.0f));
    EXPECT_EQ(view.font, nullptr);
}

TEST(PopupOverlayView, SlidesInThenOutAndLetsGoWhenGone) {
    PopupOverlayView view;
    view.panelTexture = MakeTexture();
    view.startPosition = Vector3{0.0f, -200.0f, 0.0f};
    view.targetPosition = Vector3{0.0f, -60.0f, 0.0f};
    EXPECT_TRUE(view.Update(0.1f));
    EXPECT_FLOAT_EQ(view.currentPosition.y, -200.0f + 140.0f * 0.4f);
    EXPECT_EQ(view.state, PopupOverlayView::Appearing);
    EXPECT_TRUE(view.Update(0.2f));
    EXPECT_FLOAT_EQ(view.currentPosition.y, -60.0f);
    EXPECT_FLOAT_EQ(view.fadeSeconds, 0.25f);
    EXPECT_EQ(view.state, PopupOverlayView::Shown);

    // Any touch ends inside the default close area: the panel slides away to
    // below its hidden place, less its own height.
    view.Touch(10.0f, -60.0f);
    EXPECT_EQ(view.state, PopupOverlayView::Shown);  // no drag starts
    view.TouchEnded(0.0f, 0.0f);
    ASSERT_EQ(view.state, PopupOverlayView::Disappearing);
    EXPECT_FLOAT_EQ(view.targetPosition.y, -55.0f - 1.0f);
    EXPECT_FLOAT_EQ(view.startPosition.y, -60.0f);
    EXPECT_TRUE(view.Update(0.2f));
    EXPECT_TRUE(view.panelTexture);
    EXPECT_FALSE(view.Update(0.1f));
    EXPECT_FALSE(view.panelTexture);
    EXPECT_FLOAT_EQ(view.currentPosition.y, -56.0f);
}

TEST(PopupOverlayView, ScrollInertiaDampsClampsAndSettles) {
    PopupOverlayView view = ShownView(false);
    view.scrollVelocity = 10.0f;
    EXPECT_TRUE(view.Update(1.0f / 60));
    EXPECT_FLOAT_EQ(view.scrollOffset, 10.0f);
    EXPECT_FLOAT_EQ(view.scrollVelocity, 8.0f);
    for (int i = 0; i < 100 && view.scrollVelocity != 0.0f; ++i) {
        view.Update(1.0f / 60);
    }
    EXPECT_EQ(view.scrollVelocity, 0.0f);
    EXPECT_NEAR(view.scrollOffset, 10.0f * (1 - std::pow(0.8f, 17)) / 0.2f, 0.01f);

    view.scrollOffset = -90.0f;
    view.scrollVelocity = -50.0f;
    view.Update(0.0f);
    EXPECT_FLOAT_EQ(view.scrollOffset, -101.0f);  // no further up than text size + panel height

    const struct {
        float from, to;
    } settling[] = {
        {-1.5f, 0.0f}, {-50.0f, -45.0f}, {216.0f, 215.0f}, {300.0f, 291.5f}, {100.0f, 100.0f},
    };
    for (const auto& c : settling) {
        SCOPED_TRACE(c.from);
        view.scrollVelocity = 0.0f;
        view.scrollOffset = c.from;
        view.Update(1.0f / 60);
        EXPECT_FLOAT_EQ(view.scrollOffset, c.to);
    }
    view.textHeight = -1.0f;  // not measured: nothing to settle against
    view.scrollOffset = -50.0f;
    view.Update(1.0f / 60);
    EXPECT_FLOAT_EQ(view.scrollOffset, -50.0f);
}

TEST(PopupOverlayView, DragsTheTextAndHalvesTheMovePastItsEnds) {
    PopupOverlayView view = ShownView(true);
    view.Touch(0.0f, -60.0f);
    ASSERT_EQ(view.state, PopupOverlayView::Dragging);
    EXPECT_FLOAT_EQ(view.anchorY, -60.0f);
    view.Touch(0.0f, -40.0f);
    EXPECT_FLOAT_EQ(view.scrollOffset, 20.0f);
    EXPECT_FLOAT_EQ(view.scrollVelocity, 20.0f);
    EXPECT_FLOAT_EQ(view.totalDrag, 20.0f);
    view.Touch(0.0f, 0.0f);  // a 40-unit move: the velocity is held to a quarter panel
    EXPECT_FLOAT_EQ(view.scrollVelocity, 85.0f / 4);
    for (int i = 1; i <= PopupOverlayView::kDragStallLimit; ++i) {
        EXPECT_NE(view.scrollVelocity, 0.0f) << i;
        view.Touch(0.0f, 0.0f);
    }
    EXPECT_EQ(view.scrollVelocity, 0.0f);  // the finger rested: no inertia

    // Above the top the text moves half as far and the anchor follows.
    view.Touch(0.0f, -80.0f);  // to -20 from 60: 80 up, -20 is past the top
    EXPECT_FLOAT_EQ(view.scrollOffset, 20.0f);
    EXPECT_FLOAT_EQ(view.anchorY, -60.0f - 40.0f);
    view.Touch(0.0f, -80.0f);
    EXPECT_FLOAT_EQ(view.scrollOffset, 20.0f);  // consistent: no jump on the next move

    // Lifting inside the panel keeps it shown and ends the drag.
    view.Touch(0.0f, -60.0f);
    view.TouchEnded(0.0f, 0.0f);
    EXPECT_EQ(view.state, PopupOverlayView::Shown);
    EXPECT_EQ(view.totalDrag, 0.0f);
    EXPECT_EQ(view.lastTouchY, 0.0f);

    // Without a panel texture touches only move the last place.
    PopupOverlayView bare = ShownView(true);
    bare.panelTexture = SmartPtr<Texture>();
    bare.Touch(5.0f, -60.0f);
    EXPECT_EQ(bare.state, PopupOverlayView::Shown);
    EXPECT_EQ(bare.lastTouchX, 5.0f);
}

TEST(PopupOverlayView, LinkOpensOnlyForATapInsideIt) {
    std::vector<std::string> opened;
    SetUrlOpener([&opened](const char* url) {
        opened.push_back(url);
        return true;
    });
    PopupOverlayView view = ShownView(true);
    view.linkOffset = 50.0f;  // centre y = 43 - 60 - 50 = -67
    view.linkWidth = 100.0f;
    view.linkUrl = "https://example.org/help";
    view.Touch(60.0f, -67.0f);  // inside the widened button
    EXPECT_TRUE(view.linkPressed);
    view.TouchEnded(0.0f, 0.0f);
    EXPECT_FALSE(view.linkPressed);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "https://example.org/help");

    PopupOverlayView dragged = ShownView(true);
    dragged.linkOffset = 50.0f;
    dragged.linkWidth = 100.0f;
    dragged.totalDrag = 17.0f;  // a drag is no tap
    dragged.Touch(0.0f, -67.0f);
    EXPECT_FALSE(dragged.linkPressed);
    dragged.totalDrag = 0.0f;
    dragged.Touch(0.0f, -20.0f);  // outside the button
    EXPECT_FALSE(dragged.linkPressed);
    SetUrlOpener(nullptr);
    EXPECT_EQ(opened.size(), 1u);
}

TEST(PopupOverlay, StaysHiddenThroughUpdatesTouchesAndHide) {
    PopupOverlay overlay;
    EXPECT_FALSE(overlay.IsVisible());
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(overlay.Update(1.0f / 60));
        EXPECT_FALSE(overlay.OnTouchMoved(1, 0.5f, 0.5f));
        EXPECT_FALSE(overlay.OnTouchEnded(1, 0.5f, 0.5f));
        overlay.Hide();
        EXPECT_FALSE(overlay.IsVisible());
    }
    EXPECT_EQ(overlay.GetView().state, PopupOverlayView::Appearing);  // the view never ran
    overlay.ReleaseResources();
    EXPECT_FALSE(PopupOverlay::Get().IsVisible());
    EXPECT_EQ(ReturnFalse(), 0);
}

TEST(PopupOverlay, SelectionListenerMessagesAndButtons) {
    PopupOverlay overlay;
    EXPECT_EQ(overlay.GetSelection(), 0);
    overlay.SetSelection(-7);
    EXPECT_EQ(overlay.GetSelection(), -7);
    EXPECT_TRUE(overlay.GetListener().IsEmpty());
    overlay.SetListener(PopupOverlay::Listener([](int32_t) {}));
    EXPECT_FALSE(overlay.GetListener().IsEmpty());
    EXPECT_EQ(overlay.GetSelection(), -7);

    EXPECT_EQ(overlay.GetMessage(0), "OK");
    EXPECT_EQ(overlay.GetMessage(5), "OpenFeint");
    EXPECT_EQ(overlay.GetMessage(11), "Parental controls are blocking this content.");
    EXPECT_EQ(overlay.GetMessage(12), "");
    overlay.SetMessage(1, "Offline");
    EXPECT_EQ(overlay.GetMessage(1), "Offline");

    for (int i = 0; i < PopupOverlay::kButtonCount; ++i) {
        EXPECT_FALSE(overlay.GetButtonAction(i).IsEmpty());
        EXPECT_FALSE(overlay.GetButtonFlag(i));
    }
    const PopupOverlay::ButtonAction before = overlay.GetButtonAction(2);
    for (int index : {3, 4, -1}) {
        overlay.ResetButton(index);  // ignored
    }
    overlay.ResetButton(2);
    EXPECT_TRUE(overlay.GetButtonAction(2) == before);
}

// Records what the shell hands the touch device.
class RecordingTouchDevice : public TouchInputDevice {
public:
    void OnTouch(uint32_t key, bool down, float x, float y) override {
        touches.push_back({key, down, x, y});
    }
    struct Touch {
        uint32_t key;
        bool down;
        float x, y;
    };
    std::vector<Touch> touches;
};

TEST(PopupOverlay, TouchesStillReachTheTouchDevice) {
    RecordingTouchDevice device;
    TouchInputDevice* previous = TouchInputDevice::Get();
    TouchInputDevice::SetCurrent(&device);
    EAGLView view(480, 320);
    PlatformTouchSet set;
    set.touches.push_back(PlatformTouchLocation{7, 0.25f, 0.75f});
    view.touchesBegan(set, PlatformTouchEvent{});
    view.touchesMoved(set, PlatformTouchEvent{});
    view.touchesEnded(set, PlatformTouchEvent{});
    TouchInputDevice::SetCurrent(previous);

    EXPECT_FALSE(PopupOverlay::Get().IsVisible());
    ASSERT_EQ(device.touches.size(), 3u);
    EXPECT_TRUE(device.touches[0].down);
    EXPECT_TRUE(device.touches[1].down);
    EXPECT_FALSE(device.touches[2].down);
    EXPECT_EQ(device.touches[2].key, 7u);
    EXPECT_FLOAT_EQ(device.touches[0].x, 0.25f);
    EXPECT_FLOAT_EQ(device.touches[0].y, 0.75f);
}

}  // namespace
}  // namespace Varnok
