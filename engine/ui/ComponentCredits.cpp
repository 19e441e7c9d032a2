// The credits pane's pages, looping and motion.
#include "engine/ui/ComponentCredits.h"

#include "engine/ui/ComponentScrollableSpace.h"
#include "engine/ui/UIManager.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

// Share of the gap to the set speed closed per update.
constexpr float kAutoScrollSmoothing = 0.05f;
// Laps are spaced by the content plus this many pane lengths.
constexpr float kLoopPeriodPanes = 1.1f;
constexpr float kLoopRounding = 0.0001f;

AsciiString PageId(int index) {
    AsciiString id("SwipiePage_");
    id.AppendUInt(static_cast<unsigned>(index));
    return id;
}

ComponentVisual* AsVisual(Component* component) {
    return component != nullptr && component->IsKindOf(ComponentVisual::GetStaticClassInfo())
               ? static_cast<ComponentVisual*>(component)
               : nullptr;
}

UIProperty<Vector3>& PositionOf(Component& component) {
    return *component.GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{});
}

void SetFloat(Component& component, const char* name, float value) {
    component.GetOrAddProperty<float>(AsciiString(name), value)->Set(value);
}

// The shift along one axis that brings content lying wholly beyond the pane
// back into its period.
float LoopShift(float contentMin, float contentMax, float paneMin, float paneMax, float period) {
    if (period <= 0.0f) {
        return 0.0f;
    }
    if (contentMin > paneMax) {
        return -std::trunc((contentMax - paneMin) / period + kLoopRounding) * period;
    }
    if (contentMax < paneMin) {
        return -std::trunc((contentMin - paneMax) / period + kLoopRounding) * period;
    }
    return 0.0f;
}

}  // namespace

const ComponentClassInfo& ComponentCredits::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentCredits", ComponentClassId::Credits,
                                           &ComponentGenericScrollingPane::GetStaticClassInfo());
    return s_info;
}

ComponentCredits::ComponentCredits()
    : m_numPages(GetOrAddProperty<int>(AsciiString("numPages"), 0)),
      m_draggedMovementDelta(GetOrAddProperty<float>(AsciiString("draggedMovementDelta"), 0.95f)),
      m_outOfBoundsDraggedDelta(GetOrAddProperty<float>(AsciiString("outOfBoundsMovementDraggedDelta"), 0.8f)),
      m_outOfBoundsDriftDelta(GetOrAddProperty<float>(AsciiString("outOfBoundsMovementDriftDelta"), 0.4f)),
      m_driftDelta(GetOrAddProperty<float>(AsciiString("driftDelta"), 0.65f)),
      m_autoScrollEnabled(GetOrAddProperty<bool>(AsciiString("autoScrollEnabled"), false)),
      m_autoScrollSpeed(GetOrAddProperty<float>(AsciiString("autoScrollSpeed"), 10.0f)),
      m_contentIsLooped(GetOrAddProperty<bool>(AsciiString("contentIsLooped"), true)),
      m_orientationText(GetOrAddProperty<AsciiString>(AsciiString("orientation"), AsciiString("horizontal"))),
      m_childrenCodeGenerated(GetOrAddProperty<bool>(AsciiString("childrenCodeGenerated"), false)) {
    SetClassInfo(GetStaticClassInfo());
    GetOrAddProperty<bool>(AsciiString("autoShowTemplate"), true);  // for UI files only
    m_receivesObscuredTouches = true;
    m_receivesMovesWithoutFocus = true;
    OnTouchDownEvent.AddListener(TouchEvent::Listener(this, &ComponentCredits::OnPress));
    OnTouchDownObscuredEvent.AddListener(TouchEvent::Listener(this, &ComponentCredits::OnPressObscured));
    OnTouchUpEvent.AddListener(TouchEvent::Listener(this, &ComponentCredits::OnRelease));
    OnTouchUpHeldOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentCredits::OnRelease));
    OnTouchMovedEvent.AddListener(TouchEvent::Listener(this, &ComponentCredits::OnMoved));
    OnTouchMovedOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentCredits::OnMovedOutside));
    OnFinishedLoadingEvent.AddListener(FlagEvent::Listener(this, &ComponentCredits::OnLoaded));
    OnPropertyChangedEvent.AddListener(PropertyChangedEvent::Listener(this, &ComponentCredits::OnOwnPropertyChanged));
}

void ComponentCredits::OnCreated() {
    ComponentGenericScrollingPane::OnCreated();
    UIManager& ui = UIManager::Get();
    if (m_content != nullptr) {
        m_pagesRoot = m_content->FindChild(AsciiString("SwipiePagesRoot"));
        if (m_pagesRoot == nullptr) {
            m_pagesRoot = ui.CreateComponent(m_content, AsciiString("Component"), AsciiString("SwipiePagesRoot"));
        }
        if (m_pagesRoot != nullptr) {
            m_pagesRoot->GetEnabledProperty()->Set(true);
        }
    }
    m_template = AsVisual(FindChild(AsciiString("SwipiePageTemplate")));
    if (m_template == nullptr) {
        m_template = AsVisual(ui.CreateComponent(this, AsciiString("ComponentVisual"),
                                                 AsciiString("SwipiePageTemplate")));
    }
    if (m_template != nullptr) {
        m_template->GetEnabledProperty()->Set(false);
    }
    BuildPages();
    InvalidateLayout();
}

void ComponentCredits::SetNumPages(int count) { m_numPages->Set(count); }

ComponentVisual* ComponentCredits::GetPage(int index) const {
    if (m_pagesRoot == nullptr || index < 0) {
        return nullptr;
    }
    return AsVisual(m_pagesRoot->FindChild(PageId(index)));
}

void ComponentCredits::BuildPages() {
    const int wanted = std::max(m_numPages->Get(), 0);
    if (wanted == GetPageCount() || m_pagesRoot == nullptr) {
        return;
    }
    UIManager& ui = UIManager::Get();
    while (GetPageCount() > wanted) {
        Component* page = m_pages.back();
        m_pages.pop_back();
        ui.DestroyComponent(page);
    }
    for (int i = GetPageCount(); i < wanted; ++i) {
        const AsciiString id = PageId(i);
        ComponentVisual* page = AsVisual(m_pagesRoot->FindChild(id));
        if (page == nullptr) {
            Component* clone = m_template != nullptr ? m_template->Clone() : nullptr;
            page = AsVisual(clone);
            if (page == nullptr) {
                delete clone;
                break;  // nothing to clone from
            }
            page->SetId(id);
            page->GetEnabledProperty()->Set(true);
            m_pagesRoot->AddChild(page, -1);
            page->MarkLoaded();
            page->SetDescSerialisable(!m_childrenCodeGenerated->Get());
        }
        m_pages.push_back(page);
    }
    InvalidateLayout();
}

void ComponentCredits::GetScrollLimits(float& outLower, float& outUpper) const {
    const float contentLength = m_content != nullptr ? LengthOf(*m_content) : 0.0f;
    outLower = LengthOf(*this) - contentLength;
    outUpper = 0.0f;
}

float ComponentCredits::GetMinScroll() const {
    if (Looped()) {
        return -(m_content != nullptr ? LengthOf(*m_content) : 0.0f);
    }
    float lower = 0.0f;
    float upper = 0.0f;
    GetScrollLimits(lower, upper);
    return lower;
}

float ComponentCredits::GetLoopPadding() const { return Looped() ? LengthOf(*this) : 0.0f; }

void ComponentCredits::PerformLayout() {
    float offset = 0.0f;
    float across = AcrossLengthOf(*this);
    for (ComponentVisual* page : m_pages) {
        const Vector3 pivot = page->GetPivot();
        PositionOf(*page).Set(IsHorizontal() ? Vector3{offset + pivot.x, pivot.y, pivot.z}
                                             : Vector3{pivot.x, offset + pivot.y, pivot.z});
        offset += LengthOf(*page);
        across = std::max(across, AcrossLengthOf(*page));
    }
    if (m_content == nullptr) {
        return;
    }
    SetFloat(*m_content, IsHorizontal() ? "width" : "height", offset);
    SetFloat(*m_content, IsHorizontal() ? "height" : "width", across);
    if (!Looped()) {
        return;
    }
    // The content's rectangle in the pane's coordinates (its corners'
    // bounding box), against the pane's own.
    const UITransform local = m_content->GetLocalTransform();
    const UIRect rect = m_content->GetLocalRect();
    float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
    const float corners[4][2] = {{rect.left, rect.top}, {rect.right, rect.top},
                                 {rect.right, rect.bottom}, {rect.left, rect.bottom}};
    for (int i = 0; i < 4; ++i) {
        const Vector2 p = local.TransformPoint(corners[i][0], corners[i][1]);
        minX = i == 0 ? p.x : std::min(minX, p.x);
        maxX = i == 0 ? p.x : std::max(maxX, p.x);
        minY = i == 0 ? p.y : std::min(minY, p.y);
        maxY = i == 0 ? p.y : std::max(maxY, p.y);
    }
    const UIRect pane = GetLocalRect();
    const float shiftX = LoopShift(minX, maxX, pane.left, pane.right,
                                   (maxX - minX) + kLoopPeriodPanes * (pane.right - pane.left));
    const float shiftY = LoopShift(minY, maxY, pane.top, pane.bottom,
                                   (maxY - minY) + kLoopPeriodPanes * (pane.bottom - pane.top));
    if (shiftX != 0.0f || shiftY != 0.0f) {
        for (ComponentVisual* page : m_pages) {
            Vector3 placed = PositionOf(*page).Get();
            placed.x += shiftX;
            placed.y += shiftY;
            PositionOf(*page).Set(placed);
        }
    }
}

void ComponentCredits::Update(float dt) {
    ComponentGenericScrollingPane::Update(dt);
    if (!IsLoaded()) {
        return;
    }
    const bool autoScroll = m_autoScrollEnabled->Get();
    const float speed = m_autoScrollSpeed->Get();
    const float p = AlongAxis(GetScrollPosition());
    float movement = 0.0f;
    bool dragging = false;
    if (m_state == Dragged) {
        if (UIManager::Get().IsPointerDown()) {
            movement = DraggedMovement(m_draggedMovementDelta->Get());
            dragging = true;
        } else {
            m_state = Drifting;
        }
    }
    if (m_state == AutoScrolling && !autoScroll) {
        m_state = Drifting;
    }
    if (m_state == Drifting) {
        movement = m_driftDelta->Get() * AlongAxis(m_lastMovement);
    } else if (m_state == AutoScrolling) {
        movement = (1.0f - kAutoScrollSmoothing) * AlongAxis(m_lastMovement) + kAutoScrollSmoothing * speed * dt;
    }
    float pull = 0.0f;
    if (!Looped()) {
        float lower = 0.0f;
        float upper = 0.0f;
        GetScrollLimits(lower, upper);
        pull = EdgePull(p + movement, lower, upper,
                        dragging ? m_outOfBoundsDraggedDelta->Get() : m_outOfBoundsDriftDelta->Get());
    }
    if (m_state == Drifting && std::fabs(movement) < kStopMovementThreshold &&
        std::fabs(pull) < kStopMovementThreshold) {
        m_state = Idle;
        FireScrollStopped();
        movement = 0.0f;
    }
    if (autoScroll) {
        const bool movementFast = movement >= kStopMovementThreshold;
        const bool speedFast = speed >= kStopMovementThreshold;
        if (m_state == Idle || (m_state == Drifting && movementFast == speedFast)) {
            m_state = AutoScrolling;
        }
    }
    ApplyStep(movement, pull);
    if (Looped() && movement + pull != 0.0f) {
        InvalidateLayout();  // the looping shift follows the content
    }
}

void ComponentCredits::OnLoaded(Component*, bool&) {
    if (GetPageCount() != std::max(m_numPages->Get(), 0)) {
        BuildPages();
    }
    ApplyOrientation(*m_orientationText);
    // Looped pages start just beyond the far edge.
    const float along = Looped() ? LengthOf(*this) : AlongAxis(GetScrollPosition());
    SetScrollPosition(IsHorizontal() ? Vector2{along, 0.0f} : Vector2{0.0f, along});
}

void ComponentCredits::OnOwnPropertyChanged(Component*, UIPropertyBase* property, bool& handled) {
    if (!IsLoaded()) {
        return;
    }
    if (property == m_numPages) {
        BuildPages();
        handled = true;
    } else if (property == m_orientationText) {
        ApplyOrientation(*m_orientationText);
    } else if (property == m_childrenCodeGenerated) {
        for (ComponentVisual* page : m_pages) {
            page->SetDescSerialisable(!m_childrenCodeGenerated->Get());
        }
    }
}

void ComponentCredits::OnPress(Component*, const Vector2& point, bool& handled) { Press(point, false, handled); }

void ComponentCredits::OnPressObscured(Component*, const Vector2& point, bool& handled) {
    Press(point, true, handled);
}

void ComponentCredits::Press(const Vector2& point, bool obscured, bool& handled) {
    if (!BeginDrag(point, obscured)) {
        return;
    }
    m_state = Dragged;
    FireScrollStarted();  // also when it was already moving
    handled = true;
}

void ComponentCredits::OnMoved(Component*, const Vector2& point, bool& handled) {
    FollowMove(point, kStartMovementThreshold);
    if (HasFocus()) {
        handled = true;
    }
}

void ComponentCredits::OnMovedOutside(Component*, const Vector2& point, bool&) { FollowMoveOutside(point); }

void ComponentCredits::OnRelease(Component*, const Vector2&, bool&) { EndDrag(); }

}  // namespace Varnok
