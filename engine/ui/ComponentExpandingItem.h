// A list entry that grows to "regularHeight" x "expandMult" when tapped and
// shrinks back on the next tap, easing over 0.3 s while an arrow child turns
// a quarter turn and a hidden child fades in or out. A tap also fires
// "OnButtonPressed" as a push button does.
#pragma once

#include "engine/ui/ComponentWindow.h"

namespace Varnok {

class ComponentExpandingItem : public ComponentWindow {
public:
    // Handlers get the item and a one-byte argument that is 0.
    using PressedEvent = UIComponentEvent<uint8_t*>;

    static constexpr float kTweenSeconds = 0.3f;

    ComponentExpandingItem();

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;

    // Starts the tween towards the other height.
    void ToggleExpanded();

    bool IsExpanded() const { return m_heightFactor != 1.0f; }
    bool IsTweening() const { return m_tweenElapsed < kTweenSeconds; }
    // Null when not named or not a visual.
    ComponentVisual* GetDropArrow() const { return m_dropArrow; }
    ComponentVisual* GetHiddenPart() const { return m_hiddenPart; }

    PressedEvent OnButtonPressed{this};

private:
    bool GateOpen() const { return TakesInput(); }
    void FindChildren();
    void OnOwnPropertyChanged(Component* sender, UIPropertyBase* property, bool& handled);
    void OnLoaded(Component* sender, bool& handled);
    void OnTouchDown(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUp(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUpOutside(Component* sender, const Vector2& point, bool& handled);
    void OnTouchMovedOutside(Component* sender, const Vector2& point, bool& handled);

    UIProperty<float>* m_expandMult;
    UIProperty<float>* m_regularHeight;
    UIProperty<AsciiString>* m_dropArrowName;
    UIProperty<AsciiString>* m_hiddenName;
    ComponentVisual* m_dropArrow = nullptr;   // owned by the tree
    ComponentVisual* m_hiddenPart = nullptr;  // owned by the tree
    float m_heightFactor = 1.0f;  // 1 collapsed or collapsing, "expandMult" otherwise
    float m_tweenElapsed = kTweenSeconds;
    float m_tweenFrom = 0.0f;
    float m_tweenTo = 0.0f;
    bool m_pressed = false;
};

}  // namespace Varnok
