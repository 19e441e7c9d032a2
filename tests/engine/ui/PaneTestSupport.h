// A UI fixture for the scrolling panes: a screen taking input, panes built
// through the UI manager, the pointer driven through the manager's own
// input path, and updates at a fixed 1/60 s.
#pragma once

#include "engine/core/InputEvent.h"
#include "engine/core/InputManager.h"
#include "engine/ui/ComponentScreen.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace UITest {

constexpr float kStep = 1.0f / 60.0f;

class PaneTest : public UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        screen = AddScreen("panes");
        // One pointer pixel per UI unit.
        screen->FindProperty<AsciiString>(AsciiString("scaleToViewportMode"))->Set(AsciiString("None"));
        screen->GetInputEnabledProperty()->Set(true);
    }

    // Built (OnCreated runs) but not yet loaded: set its values, then Load.
    template <typename T>
    T* Create(const char* className, const char* id, float width, float height) {
        Component* made = ui().CreateComponent(screen, AsciiString(className), AsciiString(id));
        EXPECT_NE(made, nullptr);
        made->GetInputEnabledProperty()->Set(true);
        made->GetOrAddProperty<float>(AsciiString("width"), width)->Set(width);
        made->GetOrAddProperty<float>(AsciiString("height"), height)->Set(height);
        return static_cast<T*>(made);
    }
    void Load() { UIManager::MarkLoaded(screen); }
    void Step(int updates = 1) {
        for (int i = 0; i < updates; ++i) {
            ui().Update(kStep);
        }
    }

    void PointerTo(float x, float y) {
        const Vector2& size = ui().GetScreenSize();
        Send(InputEvent::MakeAxis(InputCode::kMouseAxisX, InputEvent::kMoved, x / size.x, 0.0f, 0));
        Send(InputEvent::MakeAxis(InputCode::kMouseAxisY, InputEvent::kMoved, y / size.y, 0.0f, 0));
    }
    void Press(float x, float y) {
        PointerTo(x, y);
        Send(InputEvent::MakeButton(InputCode::kMouseButton1, InputEvent::kPressed, 1.0f, 0));
    }
    void Release() { Send(InputEvent::MakeButton(InputCode::kMouseButton1, InputEvent::kReleased, 1.0f, 0)); }
    void Send(InputEvent event) {
        ui().BeginInputFrame();
        ui().HandleInputEvent(event);
        ui().EndInputFrame();
    }

    ComponentScreen* screen = nullptr;
};

}  // namespace UITest
}  // namespace Varnok
