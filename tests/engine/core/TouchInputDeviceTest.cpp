#include "engine/core/TouchInputDevice.h"

#include "engine/core/MouseInputDevice.h"
#include "tests/engine/core/InputTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace Varnok;
using VarnokTest::RecordingUiSink;
using VarnokTest::ScopedUiSink;

namespace {

using Events = std::vector<std::string>;

// A touch device alone, watched through the UI sink (which sees every event).
class TouchDeviceTest : public ::testing::Test {
protected:
    TouchDeviceTest() : m_scoped(&m_ui) {}

    // Runs one update and returns the events of one slot (1-based, as the
    // input names count) and of the pointer, in emission order.
    Events Update(int slotName) {
        m_ui.events.clear();
        m_touches.Update(1.0f / 60.0f);
        const std::string n = std::to_string(slotName);
        Events out;
        for (const std::string& e : m_ui.events) {
            if (e.rfind("Touch" + n + " ", 0) == 0 || e.rfind("TouchAxisX" + n + " ", 0) == 0 ||
                e.rfind("TouchAxisY" + n + " ", 0) == 0 || e.rfind("Pointer ", 0) == 0) {
                out.push_back(e);
            }
        }
        return out;
    }
    std::string Id(const char* prefix) const {
        return prefix + std::string(" #") + std::to_string(m_touches.GetSlot(15).id);
    }

    RecordingUiSink m_ui;
    ScopedUiSink m_scoped;
    TouchInputDeviceIOS m_touches;
};

}  // namespace

TEST_F(TouchDeviceTest, ATouchGoesPressedDownReleasedUpWithPointerEvents) {
    m_touches.OnTouch(7, true, 0.25f, 0.5f);
    Events first = Update(16);  // the first touch takes the last slot
    const std::string pressed = Id("Pointer PRESSED");
    const std::string down = Id("Pointer DOWN");
    const std::string released = Id("Pointer RELEASED");
    EXPECT_EQ(first, (Events{"TouchAxisX16 MOVED 0.25 +0.25", "TouchAxisY16 MOVED 0.5 +0.5",
                             "Touch16 PRESSED", pressed, "Touch16 DOWN", down}));
    // Held still: axes with no delta and DOWN, every update.
    EXPECT_EQ(Update(16), (Events{"TouchAxisX16 MOVED 0.25 +0", "TouchAxisY16 MOVED 0.5 +0",
                                  "Touch16 DOWN", down}));
    m_touches.OnTouch(7, false, 0.0f, 0.0f);
    EXPECT_EQ(Update(16), (Events{"Touch16 RELEASED", released, "Touch16 UP"}));
    EXPECT_EQ(m_touches.GetActiveTouchCount(), 1);
    EXPECT_EQ(Update(16), (Events{"Touch16 UP"}));
    EXPECT_EQ(Update(16), (Events{"Touch16 UP"}));
    EXPECT_EQ(m_touches.GetSlot(15).id, 0u);  // free again
    EXPECT_EQ(m_touches.GetActiveTouchCount(), 0);
}

TEST_F(TouchDeviceTest, EveryIdleSlotReportsUpEveryUpdate) {
    m_touches.Update(0.0f);
    ASSERT_EQ(m_ui.events.size(), 16u);
    EXPECT_EQ(m_ui.events.front(), "Touch1 UP");
    EXPECT_EQ(m_ui.events.back(), "Touch16 UP");
}

TEST_F(TouchDeviceTest, ADragMovesEveryFrame) {
    m_touches.OnTouch(3, true, 0.1f, 0.9f);
    Update(16);
    for (int frame = 1; frame <= 3; ++frame) {
        SCOPED_TRACE(frame);
        m_touches.OnTouch(3, true, 0.1f + 0.25f * frame, 0.9f);
        Events events = Update(16);
        ASSERT_GE(events.size(), 2u);
        char expected[64];
        std::snprintf(expected, sizeof(expected), "TouchAxisX16 MOVED %g +0.25",
                      0.1f + 0.25f * frame);
        EXPECT_EQ(events[0], expected);
        EXPECT_EQ(events[1], "TouchAxisY16 MOVED 0.9 +0");
    }
}

TEST_F(TouchDeviceTest, ATapBetweenTwoUpdatesSendsNoPress) {
    m_touches.OnTouch(5, true, 0.5f, 0.5f);
    m_touches.OnTouch(5, false, 0.5f, 0.5f);
    EXPECT_EQ(Update(16), (Events{"Touch16 UP"}));
}

TEST_F(TouchDeviceTest, ACancelledTouchEndsLikeALiftWhereItWas) {
    // The view reports a cancelled touch as an ended one: down false, and
    // the position it carries is not taken.
    m_touches.OnTouch(9, true, 0.2f, 0.3f);
    Update(16);
    m_touches.OnTouch(9, false, 0.9f, 0.9f);
    EXPECT_EQ(Update(16), (Events{"Touch16 RELEASED", Id("Pointer RELEASED"), "Touch16 UP"}));
    EXPECT_FLOAT_EQ(m_touches.GetSlot(15).x, 0.2f);
    EXPECT_FLOAT_EQ(m_touches.GetSlot(15).y, 0.3f);
}

TEST_F(TouchDeviceTest, SixteenSlotsFillInRotatingOrderAndASeventeenthIsIgnored) {
    for (uint32_t key = 1; key <= 17; ++key) {
        m_touches.OnTouch(key, true, 0.01f * key, 0.5f);
    }
    m_touches.OnTouch(99, false, 0.0f, 0.0f);  // the end of a touch never seen
    m_touches.Update(0.0f);
    EXPECT_EQ(m_touches.GetActiveTouchCount(), 16);
    // First the last slot, then 0, 1, 2 ...: each search starts one further on.
    EXPECT_EQ(m_touches.GetSlot(15).key, 1u);
    for (int slot = 0; slot < 15; ++slot) {
        EXPECT_EQ(m_touches.GetSlot(slot).key, static_cast<uint32_t>(slot + 2)) << slot;
    }
    for (int slot = 0; slot < kTouchSlotCount; ++slot) {
        EXPECT_NE(m_touches.GetSlot(slot).key, 17u);
        EXPECT_NE(m_touches.GetSlot(slot).id, 0u);
    }
    // Slot numbers outside the table read as a free slot.
    EXPECT_EQ(m_touches.GetSlot(-1).id, 0u);
    EXPECT_EQ(m_touches.GetSlot(16).id, 0u);
}

TEST_F(TouchDeviceTest, AFingerBackBeforeItsSlotFreesKeepsItsId) {
    m_touches.OnTouch(4, true, 0.5f, 0.5f);
    Update(16);
    const uint32_t id = m_touches.GetSlot(15).id;
    m_touches.OnTouch(4, false, 0.5f, 0.5f);
    Update(16);
    m_touches.OnTouch(4, true, 0.6f, 0.5f);
    EXPECT_EQ(Update(16), (Events{"TouchAxisX16 MOVED 0.6 +0.1", "TouchAxisY16 MOVED 0.5 +0",
                                  "Touch16 PRESSED", Id("Pointer PRESSED"), "Touch16 DOWN",
                                  Id("Pointer DOWN")}));
    EXPECT_EQ(m_touches.GetSlot(15).id, id);
}

TEST_F(TouchDeviceTest, TouchKeyZeroIsAnIdentityLikeAnyOther) {
    m_touches.OnTouch(0, true, 0.1f, 0.1f);
    m_touches.OnTouch(0, true, 0.2f, 0.2f);  // the same touch moving, not a second one
    m_touches.Update(0.0f);
    EXPECT_EQ(m_touches.GetActiveTouchCount(), 1);
    EXPECT_NE(m_touches.GetSlot(15).id, 0u);
    EXPECT_FLOAT_EQ(m_touches.GetSlot(15).x, 0.2f);
    m_touches.OnTouch(0, false, 0.0f, 0.0f);
    EXPECT_EQ(Update(16), (Events{"Touch16 RELEASED", Id("Pointer RELEASED"), "Touch16 UP"}));
}

TEST_F(TouchDeviceTest, ResetForgetsTouchesWithoutReleasingThem) {
    m_touches.OnTouch(1, true, 0.5f, 0.5f);
    m_touches.OnTouch(2, true, 0.6f, 0.5f);
    m_touches.Update(0.0f);
    m_touches.Reset();
    m_ui.events.clear();
    m_touches.Update(0.0f);
    EXPECT_EQ(m_ui.events.size(), 16u);  // UP for every slot, RELEASED for none
    for (const std::string& e : m_ui.events) {
        EXPECT_NE(e.find(" UP"), std::string::npos) << e;
    }
    EXPECT_EQ(m_touches.GetActiveTouchCount(), 0);
}

TEST_F(TouchDeviceTest, TheIteratorWalksHeldSlotsOnly) {
    m_touches.OnTouch(1, true, 0.5f, 0.5f);
    m_touches.OnTouch(2, true, 0.5f, 0.5f);
    m_touches.Update(0.0f);
    TouchIterator::Holder holder;
    m_touches.CreateTouchIterator(holder);
    ASSERT_TRUE(holder.IsInPlace());
    TouchIterator& it = *holder.Get();
    EXPECT_EQ(it.Current(), nullptr);
    std::vector<uint32_t> keys;
    while (it.Next()) {
        keys.push_back(it.Current()->key);
    }
    EXPECT_EQ(keys, (std::vector<uint32_t>{2, 1}));  // slots 0 and 15
    EXPECT_EQ(it.Current(), nullptr);
    EXPECT_FALSE(it.Next());
    it.Reset();
    ASSERT_TRUE(it.Next());
    TouchIterator::Holder copy(holder);
    EXPECT_TRUE(copy.Get()->Equals(it));
}

// ---- The mouse that follows one touch ----

namespace {

class MouseDeviceTest : public TouchDeviceTest {
protected:
    // Both devices in the manager's order; returns the mouse's events.
    Events UpdateBoth() {
        m_touches.Update(0.0f);
        m_ui.events.clear();
        m_mouse.Update(0.0f);
        return m_ui.events;
    }

    MouseInputDevice m_mouse{m_touches};
};

}  // namespace

TEST_F(MouseDeviceTest, FollowsTheNewestTouchStillDown) {
    EXPECT_EQ(UpdateBoth(), (Events{"MouseButton1 UP"}));

    m_touches.OnTouch(1, true, 0.2f, 0.2f);
    m_touches.OnTouch(2, true, 0.6f, 0.4f);
    EXPECT_EQ(UpdateBoth(), (Events{"MouseAxisX MOVED 0.6 +0.6", "MouseAxisY MOVED 0.4 +0.4",
                                    "MouseButton1 PRESSED", "MouseButton1 DOWN"}));
    const uint32_t second = m_mouse.GetTrackedTouchId();
    EXPECT_EQ(second, m_touches.GetSlot(0).id);  // touch 2, the newer one

    m_touches.OnTouch(1, true, 0.1f, 0.2f);  // the older finger moves: no matter
    m_touches.OnTouch(2, true, 0.7f, 0.4f);
    EXPECT_EQ(UpdateBoth(), (Events{"MouseAxisX MOVED 0.7 +0.1", "MouseAxisY MOVED 0.4 +0",
                                    "MouseButton1 DOWN"}));

    m_touches.OnTouch(2, false, 0.7f, 0.4f);
    EXPECT_EQ(UpdateBoth(), (Events{"MouseButton1 RELEASED", "MouseButton1 UP"}));
    EXPECT_EQ(m_mouse.GetTrackedTouchId(), 0u);

    // The next update adopts the finger still down.
    EXPECT_EQ(UpdateBoth(), (Events{"MouseAxisX MOVED 0.1 -0.6", "MouseAxisY MOVED 0.2 -0.2",
                                    "MouseButton1 PRESSED", "MouseButton1 DOWN"}));
    EXPECT_EQ(m_mouse.GetTrackedTouchId(), m_touches.GetSlot(15).id);
}

TEST_F(MouseDeviceTest, ResetStopsFollowing) {
    m_touches.OnTouch(1, true, 0.5f, 0.5f);
    UpdateBoth();
    m_mouse.Reset();
    // Adopted afresh, measured from (0, 0).
    EXPECT_EQ(UpdateBoth(), (Events{"MouseAxisX MOVED 0.5 +0.5", "MouseAxisY MOVED 0.5 +0.5",
                                    "MouseButton1 PRESSED", "MouseButton1 DOWN"}));
}
