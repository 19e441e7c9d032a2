// Touch, key and look handling of the push button, and its label child.
#include "engine/ui/ComponentButton.h"

#include "engine/core/HashName.h"
#include "engine/core/InputEvent.h"
#include "engine/core/InputManager.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/UIManager.h"

namespace Varnok {

const AsciiString& ButtonPressedAnimationName() {
    static const AsciiString s_name("ButtonPressed");
    return s_name;
}

const AsciiString& ButtonReleasedAnimationName() {
    static const AsciiString s_name("ButtonReleased");
    return s_name;
}

const ComponentClassInfo& ComponentButton::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentButton", ComponentClassId::Button,
                                           &ComponentWindow::GetStaticClassInfo());
    return s_info;
}

ComponentButton::ComponentButton()
    : m_text(GetOrAddProperty<AsciiString>(AsciiString("text"), AsciiString())),
      m_keyName(GetOrAddProperty<AsciiString>(AsciiString("KeyName"), AsciiString())),
      m_normalColour(GetOrAddProperty<Colour>(AsciiString("NormalStateColour"), kColourWhite)),
      m_pressedColour(GetOrAddProperty<Colour>(AsciiString("PressedStateColour"), Colour(127, 127, 127, 255))) {
    SetClassInfo(GetStaticClassInfo());
    GetOrAddProperty<float>(AsciiString("fontSize"), 0.0f);
    GetOrAddProperty<Colour>(AsciiString("textColour"), kColourWhite);
    RegisterEvent(AsciiString("OnButtonPressed"), &OnButtonPressed);
    OnTouchDownEvent.AddListener(TouchEvent::Listener(this, &ComponentButton::OnTouchDown));
    OnTouchUpEvent.AddListener(TouchEvent::Listener(this, &ComponentButton::OnTouchUp));
    OnTouchUpHeldOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentButton::OnTouchUpOutside));
    OnTouchMovedOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentButton::OnTouchMovedOutside));
    OnTouchMovedEvent.AddListener(TouchEvent::Listener(this, &ComponentButton::OnTouchMoved));
    OnFinishedLoadingEvent.AddListener(FlagEvent::Listener(this, &ComponentButton::OnLoaded));
    OnFocusLostEvent.AddListener(FlagEvent::Listener(this, &ComponentButton::OnFocusLostHandler));
    m_keyEvent.AddListener(KeyEvent::Listener(this, &ComponentButton::OnKey));
}

bool ComponentButton::MatchesKey(const InputEvent& key) const {
    return m_keyCode != 0 && key.GetInputCode() == m_keyCode;
}

void ComponentButton::GetReservedAnimationNames(std::vector<AsciiString>& names) const {
    names.push_back(ButtonPressedAnimationName());
    names.push_back(ButtonReleasedAnimationName());
}

void ComponentButton::Press() {
    UIManager::Get().ButtonPressedListeners().Invoke(this);
    uint8_t argument = 0;
    OnButtonPressed.Raise(&argument);
}

void ComponentButton::ShowPressed() {
    if (m_pressed) {
        return;
    }
    if (HasAnimation(ButtonReleasedAnimationName())) {
        StopAnimation(ButtonReleasedAnimationName(), true);
    }
    if (HasAnimation(ButtonPressedAnimationName())) {
        PlayAnimation(ButtonPressedAnimationName(), true);
    } else {
        m_colour->Set(m_pressedColour->Get());
    }
    m_pressed = true;
}

void ComponentButton::ShowReleased() {
    if (!m_pressed) {
        return;
    }
    m_pressed = false;
    if (HasAnimation(ButtonPressedAnimationName())) {
        StopAnimation(ButtonPressedAnimationName(), true);
    }
    if (HasAnimation(ButtonReleasedAnimationName())) {
        PlayAnimation(ButtonReleasedAnimationName(), true);
    } else {
        m_colour->Set(m_normalColour->Get());
    }
}

void ComponentButton::OnTouchDown(Component*, const Vector2&, bool& handled) {
    if (!GateOpen()) {
        return;
    }
    ShowPressed();
    SetFocus();
    handled = true;
}

void ComponentButton::OnTouchMoved(Component*, const Vector2&, bool& handled) {
    if (HasFocus()) {
        handled = true;
        ShowPressed();
    }
}

void ComponentButton::OnTouchMovedOutside(Component*, const Vector2&, bool& handled) {
    handled = true;
    ShowReleased();
}

void ComponentButton::OnTouchUp(Component*, const Vector2&, bool& handled) {
    if (m_pressed && GateOpen()) {
        ShowReleased();
        if (HasFocus()) {
            Press();
            ReleaseFocus();
        }
        handled = true;
        return;
    }
    handled = GateOpen();
    m_pressed = false;
}

void ComponentButton::OnTouchUpOutside(Component*, const Vector2&, bool& handled) {
    handled = true;
    ShowReleased();
    ReleaseFocus();
}

void ComponentButton::OnFocusLostHandler(Component*, bool&) { ShowReleased(); }

void ComponentButton::OnKey(Component*, InputEvent& event, bool& handled) {
    if (GateOpen() && m_keyCode != 0 && event.GetInputCode() == m_keyCode) {
        handled = true;
        Press();
    }
}

void ComponentButton::OnLoaded(Component*, bool&) {
    SetupLabel();
    UpdateKeyCode();
}

void ComponentButton::SetupLabel() {
    Component* label = FindChild(AsciiString("btnText"));
    m_label = label != nullptr && label->IsKindOf(ComponentText::GetStaticClassInfo())
                  ? static_cast<ComponentText*>(label)
                  : nullptr;
    if (m_label == nullptr) {
        return;
    }
    // The label covers the button exactly and turns with it: it takes the
    // button's size and origin and mirrors them from now on.
    const struct {
        const char* name;
        UIPropertyType type;
    } followed[] = {
        {"width", UIPT_float}, {"height", UIPT_float}, {"origin", UIPT_vector3}, {"originFromCenter", UIPT_bool}};
    m_label->GetOrAddProperty<float>(AsciiString("width"), 0.0f)->Set(m_width->Get());
    m_label->GetOrAddProperty<float>(AsciiString("height"), 0.0f)->Set(m_height->Get());
    m_label->GetOrAddProperty<Vector3>(AsciiString("origin"), Vector3{})->Set(m_origin->Get());
    m_label->GetOrAddProperty<bool>(AsciiString("originFromCenter"), false)->Set(m_originFromCenter->Get());
    for (const auto& f : followed) {
        LinkPropertyAlias(m_label, f.type, AsciiString(f.name), this, AsciiString(f.name));
    }
    m_label->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})->Set(Vector3{});
}

void ComponentButton::UpdateKeyCode() {
    const AsciiString& name = m_keyName->Get();
    m_keyCode = name.IsEmpty() ? 0 : InputManager::GetInputId(HashName(name.c_str(), name.Length()));
}

void ComponentButton::OnPropertyChanged(UIPropertyBase* property) {
    ComponentWindow::OnPropertyChanged(property);
    if (property == m_keyName && IsLoaded()) {
        UpdateKeyCode();
    }
}

}  // namespace Varnok
