// Tap handling and the height, arrow and fade tween of the expanding item.
#include "engine/ui/ComponentExpandingItem.h"

#include "engine/ui/ComponentButton.h"

#include <algorithm>

namespace Varnok {

namespace {

// Quintic ease-out of t in [0, 1].
float EaseOut(float t) {
    const float u = t - 1.0f;
    return u * u * u * u * u + 1.0f;
}

ComponentVisual* FindVisualChild(Component& parent, const AsciiString& name) {
    if (name.IsEmpty()) {
        return nullptr;
    }
    Component* child = parent.FindChild(name);
    return child != nullptr && child->IsKindOf(ComponentVisual::GetStaticClassInfo())
               ? static_cast<ComponentVisual*>(child)
               : nullptr;
}

}  // namespace

const ComponentClassInfo& ComponentExpandingItem::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentExpandingItem", ComponentClassId::ExpandingItem,
                                           &ComponentWindow::GetStaticClassInfo());
    return s_info;
}

ComponentExpandingItem::ComponentExpandingItem()
    : m_expandMult(GetOrAddProperty<float>(AsciiString("expandMult"), 2.0f)),
      m_regularHeight(GetOrAddProperty<float>(AsciiString("regularHeight"), 100.0f)),
      m_dropArrowName(GetOrAddProperty<AsciiString>(AsciiString("dropArrowComp"), AsciiString())),
      m_hiddenName(GetOrAddProperty<AsciiString>(AsciiString("hiddenComponent"), AsciiString())) {
    SetClassInfo(GetStaticClassInfo());
    RegisterEvent(AsciiString("OnButtonPressed"), &OnButtonPressed);
    OnPropertyChangedEvent.AddListener(
        PropertyChangedEvent::Listener(this, &ComponentExpandingItem::OnOwnPropertyChanged));
    OnFinishedLoadingEvent.AddListener(FlagEvent::Listener(this, &ComponentExpandingItem::OnLoaded));
    OnTouchDownEvent.AddListener(TouchEvent::Listener(this, &ComponentExpandingItem::OnTouchDown));
    OnTouchUpEvent.AddListener(TouchEvent::Listener(this, &ComponentExpandingItem::OnTouchUp));
    OnTouchUpHeldOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentExpandingItem::OnTouchUpOutside));
    OnTouchMovedOutsideEvent.AddListener(
        TouchEvent::Listener(this, &ComponentExpandingItem::OnTouchMovedOutside));
}

void ComponentExpandingItem::FindChildren() {
    m_dropArrow = FindVisualChild(*this, m_dropArrowName->Get());
    m_hiddenPart = FindVisualChild(*this, m_hiddenName->Get());
    if (m_hiddenPart != nullptr) {
        UIProperty<Colour>* colour = m_hiddenPart->GetOrAddProperty<Colour>(AsciiString("colour"), kColourWhite);
        Colour transparent = colour->Get();
        transparent.a = 0;  // it starts invisible
        colour->Set(transparent);
    }
}

void ComponentExpandingItem::OnLoaded(Component*, bool& handled) {
    FindChildren();
    m_height->Set(m_regularHeight->Get());
    m_tweenFrom = m_regularHeight->Get();
    m_tweenTo = m_regularHeight->Get();
    handled = true;
}

void ComponentExpandingItem::OnOwnPropertyChanged(Component*, UIPropertyBase* property, bool&) {
    if (IsLoaded() && (property == m_dropArrowName || property == m_hiddenName)) {
        FindChildren();
    }
}

void ComponentExpandingItem::ToggleExpanded() {
    m_tweenElapsed = 0.0f;
    // From the height the previous toggle aimed at, not the animated one.
    m_tweenFrom = m_regularHeight->Get() * m_heightFactor;
    m_heightFactor = m_heightFactor == 1.0f ? m_expandMult->Get() : 1.0f;
    m_tweenTo = m_regularHeight->Get() * m_heightFactor;
}

void ComponentExpandingItem::Update(float dt) {
    if (m_tweenElapsed < kTweenSeconds) {
        m_tweenElapsed += dt;
        // Clamped: the last frame may step past the end, and the height
        // must land on its target and the fade never pass opaque.
        const float t = std::min(std::max(m_tweenElapsed / kTweenSeconds, 0.0f), 1.0f);
        const float e = EaseOut(t);
        m_height->Set(m_tweenFrom + (m_tweenTo - m_tweenFrom) * e);
        const bool collapsing = m_heightFactor == 1.0f;
        if (m_dropArrow != nullptr) {
            const float from = collapsing ? -90.0f : 0.0f;
            const float to = collapsing ? 0.0f : -90.0f;
            UIProperty<Rotation>* rotation =
                m_dropArrow->GetOrAddProperty<Rotation>(AsciiString("rotation"), Rotation{});
            Rotation turned = rotation->Get();
            turned.z = from + (to - from) * e;
            rotation->Set(turned);
        }
        if (m_hiddenPart != nullptr) {
            const float from = collapsing ? 255.0f : 0.0f;
            const float to = collapsing ? 0.0f : 255.0f;
            UIProperty<Colour>* colour = m_hiddenPart->GetOrAddProperty<Colour>(AsciiString("colour"), kColourWhite);
            Colour faded = colour->Get();
            faded.a = static_cast<uint8_t>(static_cast<int>(from + (to - from) * e));
            colour->Set(faded);
        }
    }
    ComponentWindow::Update(dt);
}

void ComponentExpandingItem::OnTouchDown(Component*, const Vector2&, bool& handled) {
    if (HasAnimation(ButtonPressedAnimationName())) {
        PlayAnimation(ButtonPressedAnimationName(), true);
    }
    m_pressed = true;
    if (m_holdsInput->Get()) {
        SetFocus();
    }
    handled = true;
}

void ComponentExpandingItem::OnTouchUp(Component*, const Vector2&, bool& handled) {
    if (GateOpen()) {
        if (m_pressed) {
            uint8_t argument = 0;
            OnButtonPressed.Raise(&argument);
            ToggleExpanded();
        }
        m_pressed = false;
    }
    ReleaseFocus();
    handled = true;
}

void ComponentExpandingItem::OnTouchUpOutside(Component*, const Vector2&, bool&) {
    if (GateOpen()) {
        m_pressed = false;
    }
    ReleaseFocus();
}

void ComponentExpandingItem::OnTouchMovedOutside(Component*, const Vector2&, bool&) {
    if (GateOpen() && HasAnimation(ButtonReleasedAnimationName())) {
        PlayAnimation(ButtonReleasedAnimationName(), true);
    }
}

}  // namespace Varnok
