// The scrolling pane's content, scroll position and the finger-following
// rules its subclasses share.
#include "engine/ui/ComponentGenericScrollingPane.h"

#include "engine/ui/ComponentScrollableSpace.h"
#include "engine/ui/UIManager.h"

#include <cmath>

namespace Varnok {

namespace {

const AsciiString& ContentId() {
    static const AsciiString s_id("scrollableSpace");
    return s_id;
}

}  // namespace

const ComponentClassInfo& ComponentGenericScrollingPane::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentGenericScrollingPane",
                                           ComponentClassId::GenericScrollingPane,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentGenericScrollingPane::ComponentGenericScrollingPane() {
    SetClassInfo(GetStaticClassInfo());
    RegisterEvent(AsciiString("OnScrollStartedEvent"), &OnScrollStartedEvent);
    RegisterEvent(AsciiString("OnScrollStoppedEvent"), &OnScrollStoppedEvent);
}

void ComponentGenericScrollingPane::OnCreated() {
    ComponentVisual::OnCreated();
    FindParts();
}

void ComponentGenericScrollingPane::FindParts() {
    if (m_content != nullptr) {
        return;
    }
    Component* found = FindChild(ContentId());
    if (found != nullptr && found->IsKindOf(ComponentScrollableSpace::GetStaticClassInfo())) {
        m_content = static_cast<ComponentScrollableSpace*>(found);
        return;
    }
    // A child of that id of another class is passed over.
    Component* made = UIManager::Get().CreateComponent(this, AsciiString("ComponentScrollableSpace"), ContentId());
    if (made != nullptr && made->IsKindOf(ComponentScrollableSpace::GetStaticClassInfo())) {
        m_content = static_cast<ComponentScrollableSpace*>(made);
    }
}

Vector2 ComponentGenericScrollingPane::GetScrollPosition() const {
    if (m_content == nullptr) {
        return Vector2{};
    }
    const Vector3 position = m_content->FindProperty<Vector3>(AsciiString("position"))->Get();
    const Vector3 pivot = GetPivot();
    return Vector2{position.x + pivot.x, position.y + pivot.y};
}

void ComponentGenericScrollingPane::SetScrollPosition(const Vector2& scroll) {
    if (m_content == nullptr) {
        return;
    }
    const Vector3 pivot = GetPivot();
    m_content->FindProperty<Vector3>(AsciiString("position"))
        ->Set(Vector3{scroll.x - pivot.x, scroll.y - pivot.y, 0.0f});
}

Vector2 ComponentGenericScrollingPane::GetViewMin() const {
    const Vector2 s = GetScrollPosition();
    return Vector2{-s.x, -s.y};
}

Vector2 ComponentGenericScrollingPane::GetViewMax() const {
    const Vector2 s = GetScrollPosition();
    return Vector2{GetWidth() - s.x, GetHeight() - s.y};
}

bool ComponentGenericScrollingPane::FireScrollStarted() {
    bool handled = false;
    OnScrollStartedEvent.Raise(handled);
    return handled;
}

bool ComponentGenericScrollingPane::FireScrollStopped() {
    bool handled = false;
    OnScrollStoppedEvent.Raise(handled);
    return handled;
}

int ComponentGenericScrollingPane::ParseOrientation(const AsciiString& text) {
    if (text.EqualsNoCase(AsciiString("horizontal"))) {
        return kOrientationHorizontal;
    }
    if (text.EqualsNoCase(AsciiString("vertical"))) {
        return kOrientationVertical;
    }
    return kOrientationNone;
}

const char* ComponentGenericScrollingPane::OrientationName(int kind) {
    switch (kind) {
        case kOrientationHorizontal: return "Horizontal";
        case kOrientationVertical: return "Vertical";
        default: return "unknown";
    }
}

bool ComponentGenericScrollingPane::ApplyOrientation(UIProperty<AsciiString>& property) {
    const int kind = ParseOrientation(property.Get());
    if (kind == m_orientation) {
        return false;
    }
    m_orientation = kind;
    property.Set(AsciiString(OrientationName(kind)));
    InvalidateLayout();
    return true;
}

float ComponentGenericScrollingPane::LengthOf(const ComponentVisual& visual) const {
    return IsHorizontal() ? visual.GetWidth() : visual.GetHeight();
}

float ComponentGenericScrollingPane::AcrossLengthOf(const ComponentVisual& visual) const {
    return IsHorizontal() ? visual.GetHeight() : visual.GetWidth();
}

bool ComponentGenericScrollingPane::BeginDrag(const Vector2& point, bool obscured) {
    if (!TakesInput()) {
        return false;
    }
    if (!obscured) {
        SetFocus();
    }
    m_pressTouch = point;
    m_currentTouch = point;
    m_pressScroll = GetScrollPosition();
    return true;
}

void ComponentGenericScrollingPane::FollowMove(const Vector2& point, float startThreshold) {
    UIManager& ui = UIManager::Get();
    if (!ContainsFocus()) {
        return;
    }
    const bool holdsFocus = HasFocus();
    if (ui.IsPointerDown() && (!holdsFocus || !m_dragStarted) &&
        std::fabs(AlongAxis(point) - AlongAxis(m_pressTouch)) >= startThreshold) {
        m_dragStarted = true;
        // A pane already holding a started drag keeps it; one that does not
        // has no claim.
        Component* focus = ui.GetFocus();
        const bool otherPaneDragging =
            focus != this && focus != nullptr && focus->IsKindOf(GetStaticClassInfo()) &&
            static_cast<ComponentGenericScrollingPane*>(focus)->IsDragStarted();
        if (!otherPaneDragging) {
            SetFocus();
        }
    }
    Component* focus = ui.GetFocus();
    if (focus == this || focus == nullptr || !focus->IsKindOf(GetStaticClassInfo())) {
        m_currentTouch = point;
    }
}

void ComponentGenericScrollingPane::FollowMoveOutside(const Vector2& point) {
    if (HasFocus()) {
        m_currentTouch = point;
    }
}

void ComponentGenericScrollingPane::EndDrag() {
    m_dragStarted = false;
    if (HasFocus()) {
        ReleaseFocus();
    }
}

float ComponentGenericScrollingPane::DraggedMovement(float delta) const {
    const float target =
        AlongAxis(m_pressScroll) + (AlongAxis(m_currentTouch) - AlongAxis(m_pressTouch));
    return delta * (target - AlongAxis(GetScrollPosition()));
}

float ComponentGenericScrollingPane::EdgePull(float p, float lower, float upper, float k) {
    if (p < lower) {
        return k * (lower - p);
    }
    if (p > upper) {
        return k * (upper - p);
    }
    return 0.0f;
}

void ComponentGenericScrollingPane::ApplyStep(float movement, float pull) {
    if (IsHorizontal()) {
        m_lastMovement.x = movement;
    } else {
        m_lastMovement.y = movement;
    }
    if (movement + pull != 0.0f) {
        const float p = AlongAxis(GetScrollPosition()) + movement + pull;
        SetScrollPosition(IsHorizontal() ? Vector2{p, 0.0f} : Vector2{0.0f, p});
    }
}

}  // namespace Varnok
