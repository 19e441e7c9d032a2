// The push button: a nine-patch window that shows a pressed look while a
// touch holds it, and fires "OnButtonPressed" when the touch is released on
// it or its bound key arrives.
#pragma once

#include "engine/ui/ComponentWindow.h"

namespace Varnok {

class ComponentText;

class ComponentButton : public ComponentWindow {
public:
    // Handlers get the button and a one-byte argument that is 0.
    using PressedEvent = UIComponentEvent<uint8_t*>;

    ComponentButton();

    static const ComponentClassInfo& GetStaticClassInfo();

    void SetText(const AsciiString& text) override { m_text->Set(text); }
    bool MatchesKey(const InputEvent& key) const override;
    void GetReservedAnimationNames(std::vector<AsciiString>& names) const override;
    void OnPropertyChanged(UIPropertyBase* property) override;

    // The manager's button-pressed listeners, then "OnButtonPressed"; no look.
    virtual void Press();
    // "ButtonPressed" when the button has it, else "PressedStateColour".
    virtual void ShowPressed();
    // "ButtonReleased" when the button has it, else "NormalStateColour".
    virtual void ShowReleased();

    bool IsPressed() const { return m_pressed; }
    uint32_t GetKeyCode() const { return m_keyCode; }
    // The child "btnText" when it is a text; null otherwise.
    ComponentText* GetLabel() const { return m_label; }

    PressedEvent OnButtonPressed{this};

private:
    // Active, enabled, and input enabled up to the root.
    bool GateOpen() const { return TakesInput(); }
    void SetupLabel();
    void UpdateKeyCode();
    void OnTouchDown(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUp(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUpOutside(Component* sender, const Vector2& point, bool& handled);
    void OnTouchMovedOutside(Component* sender, const Vector2& point, bool& handled);
    void OnTouchMoved(Component* sender, const Vector2& point, bool& handled);
    void OnLoaded(Component* sender, bool& handled);
    void OnFocusLostHandler(Component* sender, bool& handled);
    void OnKey(Component* sender, InputEvent& event, bool& handled);

    UIProperty<AsciiString>* m_text;
    UIProperty<AsciiString>* m_keyName;
    UIProperty<Colour>* m_normalColour;
    UIProperty<Colour>* m_pressedColour;
    uint32_t m_keyCode = 0;  // 0: no key
    bool m_pressed = false;
    ComponentText* m_label = nullptr;  // owned by the tree
};

// The two animation names the pressable classes drive themselves.
const AsciiString& ButtonPressedAnimationName();
const AsciiString& ButtonReleasedAnimationName();

}  // namespace Varnok
