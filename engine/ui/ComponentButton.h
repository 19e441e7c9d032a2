// The push button: a pressed look while a touch holds it, and its
// "OnButtonPressed" event when the touch is released on it or its bound key
// arrives. Until the window class lands it is a plain visual (no frame).
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentText;

class ComponentButton : public ComponentVisual {
public:
    using PressedEvent = UIComponentEvent<uint8_t*>;

    ComponentButton();

    static const ComponentClassInfo& GetStaticClassInfo();

    void SetText(const AsciiString& text) override { m_text->Set(text); }
    bool MatchesKey(const InputEvent& key) const override;
    void GetReservedAnimationNames(std::vector<AsciiString>& names) const override;
    void OnPropertyChanged(UIPropertyBase* property) override;

    // The manager's button-pressed listeners, then "OnButtonPressed".
    virtual void Press();
    virtual void ShowPressed();
    virtual void ShowReleased();

    bool IsPressed() const { return m_pressed; }
    uint32_t GetKeyCode() const { return m_keyCode; }
    ComponentText* GetLabel() const { return m_label; }

    PressedEvent OnButtonPressed{this};

private:
    bool GateOpen() const;
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
    UIProperty<AsciiString>* m_texture;
    UIProperty<AsciiString>* m_keyName;
    UIProperty<Colour>* m_normalColour;
    UIProperty<Colour>* m_pressedColour;
    uint32_t m_keyCode = 0;
    bool m_pressed = false;
    ComponentText* m_label = nullptr;  // the child "btnText"; owned by the tree
};

}  // namespace Varnok
