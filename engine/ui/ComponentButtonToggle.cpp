// Press handling, looks and the image children of the two-state button.
#include "engine/ui/ComponentButtonToggle.h"

#include "engine/ui/ComponentButton.h"
#include "engine/ui/UIHost.h"
#include "engine/ui/UIManager.h"

namespace Varnok {

const ComponentClassInfo& ComponentButtonToggle::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentButtonToggle", ComponentClassId::ButtonToggle,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentButtonToggle::ComponentButtonToggle()
    : m_checked(GetOrAddProperty<bool>(AsciiString("checked"), false)),
      m_normalColour(GetOrAddProperty<Colour>(AsciiString("NormalStateColour"), kColourWhite)),
      m_pressedColour(GetOrAddProperty<Colour>(AsciiString("PressedStateColour"), Colour(127, 127, 127, 255))) {
    SetClassInfo(GetStaticClassInfo());
    RegisterEvent(AsciiString("OnCheckChangedEvent"), &OnCheckChanged);
    RegisterEvent(AsciiString("OnToggleOn"), &OnToggleOn);
    RegisterEvent(AsciiString("OnToggleOff"), &OnToggleOff);
    OnTouchDownEvent.AddListener(TouchEvent::Listener(this, &ComponentButtonToggle::OnTouchDown));
    OnTouchUpEvent.AddListener(TouchEvent::Listener(this, &ComponentButtonToggle::OnTouchUp));
    OnTouchUpHeldOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentButtonToggle::OnTouchUpOutside));
    OnTouchMovedOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentButtonToggle::OnTouchMovedOutside));
    OnFocusLostEvent.AddListener(FlagEvent::Listener(this, &ComponentButtonToggle::OnFocusLostHandler));
}

void ComponentButtonToggle::ShowPressed() {
    if (m_pressed) {
        return;
    }
    if (HasAnimation(ButtonPressedAnimationName())) {
        PlayAnimation(ButtonPressedAnimationName(), true);
    } else {
        m_colour->Set(m_pressedColour->Get());
    }
    m_pressed = true;
}

void ComponentButtonToggle::ShowReleased() {
    if (!m_pressed) {
        return;
    }
    m_pressed = false;
    if (HasAnimation(ButtonReleasedAnimationName())) {
        PlayAnimation(ButtonReleasedAnimationName(), true);
    } else {
        m_colour->Set(m_normalColour->Get());
    }
}

void ComponentButtonToggle::OnTouchDown(Component*, const Vector2&, bool& handled) {
    if (!GateOpen()) {
        return;
    }
    ShowPressed();
    SetFocus();
    handled = true;
}

void ComponentButtonToggle::OnTouchUp(Component*, const Vector2&, bool& handled) {
    if (!(m_pressed && GateOpen())) {
        handled = GateOpen();
        m_pressed = false;
        return;
    }
    ShowReleased();
    if (HasFocus()) {
        ReleaseFocus();
        bool value = !m_checked->Get();
        m_checked->Set(value);
        OnCheckChanged.Raise(&value);
        // A handler may veto or force the new state.
        if (value != m_checked->Get()) {
            m_checked->Set(value);
        }
    }
    handled = true;
}

void ComponentButtonToggle::OnTouchUpOutside(Component*, const Vector2&, bool& handled) {
    handled = true;
    ShowReleased();
    ReleaseFocus();
}

void ComponentButtonToggle::OnTouchMovedOutside(Component*, const Vector2&, bool& handled) {
    handled = true;
    ShowReleased();
}

void ComponentButtonToggle::OnFocusLostHandler(Component*, bool& handled) {
    handled = true;
    ShowReleased();
}

void ComponentButtonToggle::OnPropertyChanged(UIPropertyBase* property) {
    ComponentVisual::OnPropertyChanged(property);
    if (!IsLoaded()) {
        return;
    }
    if (property == m_checked) {
        ShowCheckedChildren();
        if (m_checked->Get()) {
            OnToggleOn.Raise();
        } else {
            OnToggleOff.Raise();
        }
    } else if (property == GetEnabledProperty() && IsEnabled()) {
        LoadInitialState();
    }
}

void ComponentButtonToggle::OnFinishedLoading() {
    ComponentVisual::OnFinishedLoading();
    UpdateLook();
    LoadInitialState();
}

void ComponentButtonToggle::LoadInitialState() {
    const UIProperty<AsciiString>* name = FindProperty<AsciiString>(AsciiString("initStateVar"));
    UIHost* host = UIManager::Get().GetHost();
    if (name == nullptr || host == nullptr) {
        return;
    }
    bool value = false;
    if (host->ReadBoolVariable(name->Get().c_str(), value)) {
        m_checked->Set(value);
    }
}

void ComponentButtonToggle::UpdateLook() {
    if (!m_imagesSearched) {
        m_imagesSearched = true;
        m_checkedImage = FindChild(AsciiString("enabledTexture"));
        m_uncheckedImage = FindChild(AsciiString("disabledTexture"));
    }
    // Property names match without regard to letter case, so a window
    // child's "drawninepatch" follows the toggle's "drawNinePatch".
    const AsciiString width("width");
    const AsciiString height("height");
    const AsciiString drawNinePatch("drawNinePatch");
    const AsciiString originFromCenter("originFromCenter");
    const UIProperty<bool>* ownNinePatch = FindProperty<bool>(drawNinePatch);
    for (Component* image : {m_checkedImage, m_uncheckedImage}) {
        if (image == nullptr) {
            continue;
        }
        image->GetOrAddProperty<float>(width, 0.0f)->Set(m_width->Get());
        LinkPropertyAlias(image, UIPT_float, width, this, width);
        image->GetOrAddProperty<float>(height, 0.0f)->Set(m_height->Get());
        LinkPropertyAlias(image, UIPT_float, height, this, height);
        if (ownNinePatch != nullptr) {
            image->GetOrAddProperty<bool>(drawNinePatch, false)->Set(ownNinePatch->Get());
            LinkPropertyAlias(image, UIPT_bool, drawNinePatch, this, drawNinePatch);
        }
        image->GetOrAddProperty<bool>(originFromCenter, false)->Set(m_originFromCenter->Get());
        LinkPropertyAlias(image, UIPT_bool, originFromCenter, this, originFromCenter);
    }
    ShowCheckedChildren();
}

void ComponentButtonToggle::ShowCheckedChildren() {
    const bool checked = m_checked->Get();
    if (m_checkedImage != nullptr) {
        m_checkedImage->GetEnabledProperty()->Set(checked);
    }
    if (m_uncheckedImage != nullptr) {
        m_uncheckedImage->GetEnabledProperty()->Set(!checked);
    }
}

}  // namespace Varnok
