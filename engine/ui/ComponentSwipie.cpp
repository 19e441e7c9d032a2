// The swipe pane's pages, motion, highlight, dimming and scroll bar.
#include "engine/ui/ComponentSwipie.h"

#include "engine/ui/ComponentScrollableSpace.h"
#include "engine/ui/ComponentSwipiePage.h"
#include "engine/ui/UIManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Varnok {

namespace {

constexpr float kTapMovementLimit = 3.0f;
constexpr float kFarAway = 10000000.0f;
// The rest prediction converges geometrically; this bounds it whatever the
// stop threshold is.
constexpr int kMaxPredictionSteps = 4096;

const char* const kStateNames[] = {"Idle", "Dragged", "Drifting", "SnapToPage", "ClampToEdge"};

const AsciiString& PagesRootId() {
    static const AsciiString s_id("SwipiePagesRoot");
    return s_id;
}
const AsciiString& TemplateId() {
    static const AsciiString s_id("SwipiePageTemplate");
    return s_id;
}
const AsciiString& HighlightIn() {
    static const AsciiString s_name("pageHighlight_In");
    return s_name;
}
const AsciiString& HighlightOut() {
    static const AsciiString s_name("pageHighlight_Out");
    return s_name;
}

AsciiString PageId(int index) {
    AsciiString id("SwipiePage_");
    id.AppendUInt(static_cast<unsigned>(index));
    return id;
}

uint8_t Byte(int value) { return static_cast<uint8_t>(value & 0xFF); }

// Each channel: trunc(rate x target) + trunc((1 - rate) x current), alpha
// the target's.
Colour Blend(const Colour& current, const Colour& target, float rate) {
    const auto mix = [rate](uint8_t from, uint8_t to) {
        return Byte(static_cast<int>(rate * to) + static_cast<int>((1.0f - rate) * from));
    };
    return Colour(mix(current.r, target.r), mix(current.g, target.g), mix(current.b, target.b), target.a);
}

ComponentVisual* AsVisual(Component* component) {
    return component != nullptr && component->IsKindOf(ComponentVisual::GetStaticClassInfo())
               ? static_cast<ComponentVisual*>(component)
               : nullptr;
}

void SetFloat(Component& component, const char* name, float value) {
    component.GetOrAddProperty<float>(AsciiString(name), value)->Set(value);
}

}  // namespace

const ComponentClassInfo& ComponentSwipie::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentSwipie", ComponentClassId::Swipie,
                                           &ComponentGenericScrollingPane::GetStaticClassInfo());
    return s_info;
}

ComponentSwipie::ComponentSwipie()
    : m_numPages(GetOrAddProperty<int>(AsciiString("numPages"), 0)),
      m_childrenCodeGenerated(GetOrAddProperty<bool>(AsciiString("childrenCodeGenerated"), false)),
      m_draggedMovementDelta(GetOrAddProperty<float>(AsciiString("draggedMovementDelta"), 0.95f)),
      m_outOfBoundsDraggedDelta(GetOrAddProperty<float>(AsciiString("outOfBoundsMovementDraggedDelta"), 0.8f)),
      m_outOfBoundsDriftDelta(GetOrAddProperty<float>(AsciiString("outOfBoundsMovementDriftDelta"), 0.4f)),
      m_driftDelta(GetOrAddProperty<float>(AsciiString("driftDelta"), 0.65f)),
      m_snapToPagesDelta(GetOrAddProperty<float>(AsciiString("snapToPagesDelta"), 0.4f)),
      m_startMovementThreshold(GetOrAddProperty<float>(AsciiString("startMovementThreshold"), kStartMovementThreshold)),
      m_stopMovementThreshold(GetOrAddProperty<float>(AsciiString("stopMovementThreshold"), 0.0001f)),
      m_detentNotchParent(GetOrAddProperty<float>(AsciiString("detentNotchParent"), 0.5f)),
      m_detentNotchContent(GetOrAddProperty<float>(AsciiString("detentNotchContent"), 0.5f)),
      m_snapToPages(GetOrAddProperty<bool>(AsciiString("snapToPages"), true)),
      m_clampAllRowsVisible(GetOrAddProperty<bool>(AsciiString("clampAllRowsVisible"), false)),
      m_currentPage(GetOrAddProperty<int>(AsciiString("currentPage"), 0)),
      m_targetPage(GetOrAddProperty<int>(AsciiString("targetPage"), -1)),
      m_orientationText(GetOrAddProperty<AsciiString>(AsciiString("orientation"), AsciiString("horizontal"))),
      m_pageDimmingEnabled(GetOrAddProperty<bool>(AsciiString("pageDimmingEnabled"), false)),
      m_pageDimmingRange(GetOrAddProperty<int>(AsciiString("pageDimmingRange"), 5)),
      m_minDimmedColour(GetOrAddProperty<Colour>(AsciiString("minDimmedColour"), Colour(63, 63, 63, 255))),
      m_maxDimmedColour(GetOrAddProperty<Colour>(AsciiString("maxDimmedColour"), Colour(191, 191, 191, 255))),
      m_highlightedColour(GetOrAddProperty<Colour>(AsciiString("highlightedColour"), Colour(255, 255, 255, 255))),
      m_pageDimmingRate(GetOrAddProperty<float>(AsciiString("pageDimmingRate"), 0.15f)),
      m_pageHighlightingRate(GetOrAddProperty<float>(AsciiString("pageHighlightingRate"), 0.55f)),
      m_scrollToTappedPage(GetOrAddProperty<bool>(AsciiString("scrollToTappedPage"), false)),
      m_scrollbarFadeInRate(GetOrAddProperty<float>(AsciiString("scrollbarFadeInRate"), 2.0f)),
      m_scrollbarFadeOutRate(GetOrAddProperty<float>(AsciiString("scrollbarFadeOutRate"), 2.0f)),
      m_scrollbarFadeOutWait(GetOrAddProperty<float>(AsciiString("scrollbarFadeOutWait"), 0.5f)),
      m_scrollbarBaseAlpha(GetOrAddProperty<float>(AsciiString("scrollbarBaseAlpha"), 255.0f)),
      m_minScrollbarPercentageSize(GetOrAddProperty<float>(AsciiString("minScrollbarPercentageSize"), 0.05f)) {
    SetClassInfo(GetStaticClassInfo());
    GetOrAddProperty<bool>(AsciiString("autoShowTemplate"), true);  // for UI files only
    GetOrAddProperty<float>(AsciiString("scrollToDelta"), 0.25f);   // for UI files only
    RegisterEvent(AsciiString("OnCurrentPageChangedEvent"), &OnCurrentPageChangedEvent);
    RegisterEvent(AsciiString("OnCurrentPageChangedEventEx"), &OnCurrentPageChangedEventEx);
    RegisterEvent(AsciiString("OnTargetPageChangedEvent"), &OnTargetPageChangedEvent);
    RegisterEvent(AsciiString("OnPageTappedEvent"), &OnPageTappedEvent);
    RegisterEvent(AsciiString("OnHighlightedPageTappedEvent"), &OnHighlightedPageTappedEvent);
    RegisterEvent(AsciiString("OnPageArrayChangedEvent"), &OnPageArrayChangedEvent);
    // A drag that starts on a button inside the pane still scrolls it.
    m_receivesObscuredTouches = true;
    m_receivesMovesWithoutFocus = true;
    OnTouchDownEvent.AddListener(TouchEvent::Listener(this, &ComponentSwipie::OnPress));
    OnTouchDownObscuredEvent.AddListener(TouchEvent::Listener(this, &ComponentSwipie::OnPressObscured));
    OnTouchMovedEvent.AddListener(TouchEvent::Listener(this, &ComponentSwipie::OnMoved));
    OnTouchMovedOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentSwipie::OnMovedOutside));
    OnTouchUpEvent.AddListener(TouchEvent::Listener(this, &ComponentSwipie::OnRelease));
    OnTouchUpHeldOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentSwipie::OnReleaseOutside));
    OnFinishedLoadingEvent.AddListener(FlagEvent::Listener(this, &ComponentSwipie::OnLoaded));
    OnPropertyChangedEvent.AddListener(PropertyChangedEvent::Listener(this, &ComponentSwipie::OnOwnPropertyChanged));
}

// ---- parts and pages ----

void ComponentSwipie::OnCreated() {
    ComponentGenericScrollingPane::OnCreated();
    FindParts();
    SetScrollPosition(Vector2{GetPivot().x, GetPivot().y});  // content at (0, 0, 0)
    BuildPages();
    m_pagesChanged = true;
    InvalidateLayout();
}

void ComponentSwipie::FindParts() {
    ComponentGenericScrollingPane::FindParts();
    UIManager& ui = UIManager::Get();
    if (m_pagesRoot == nullptr && m_content != nullptr) {
        m_pagesRoot = m_content->FindChild(PagesRootId());
        if (m_pagesRoot == nullptr) {
            m_pagesRoot = ui.CreateComponent(m_content, AsciiString("Component"), PagesRootId());
        }
        if (m_pagesRoot != nullptr) {
            m_pagesRoot->GetEnabledProperty()->Set(true);
        }
    }
    if (m_template == nullptr) {
        Component* direct = FindDirectChild(TemplateId());
        if (direct != nullptr && !direct->IsKindOf(ComponentSwipiePage::GetStaticClassInfo())) {
            m_template = ConvertToPage(direct);
        } else {
            Component* found = FindChild(TemplateId());
            if (found != nullptr && found->IsKindOf(ComponentSwipiePage::GetStaticClassInfo())) {
                m_template = static_cast<ComponentSwipiePage*>(found);
            } else {
                Component* made = ui.CreateComponent(this, AsciiString("ComponentSwipiePage"), TemplateId());
                if (made != nullptr && made->IsKindOf(ComponentSwipiePage::GetStaticClassInfo())) {
                    m_template = static_cast<ComponentSwipiePage*>(made);
                }
            }
        }
        if (m_template != nullptr) {
            m_template->GetOrCreateAnimation(HighlightIn());
            m_template->GetOrCreateAnimation(HighlightOut());
            m_template->GetEnabledProperty()->Set(false);  // never shown itself
        }
    }
}

ComponentSwipiePage* ComponentSwipie::ConvertToPage(Component* old) {
    UIManager& ui = UIManager::Get();
    const bool busy = ui.IsBusy();
    ui.SetBusy(false);  // the children must move now
    Component* made = ui.InstantiateClass(AsciiString("ComponentSwipiePage"));
    ComponentSwipiePage* page = nullptr;
    if (made != nullptr && made->IsKindOf(ComponentSwipiePage::GetStaticClassInfo())) {
        page = static_cast<ComponentSwipiePage*>(made);
        page->SetId(old->GetId());
        old->CopyDescTo(*page);
        old->CopyPropertiesTo(*page);
        old->CopyAnimationsTo(*page);
        old->CopyEventsTo(*page);
        while (Component* child = old->GetFirstChild()) {
            child->Detach();
            page->AddChild(child, -1);
        }
        Component* parent = old->GetParent();
        int index = 0;
        for (Component* c = parent != nullptr ? parent->GetFirstChild() : nullptr; c != nullptr && c != old;
             c = c->GetNextSibling()) {
            ++index;
        }
        ui.DeferredDelete(old);
        if (parent != nullptr) {
            parent->AddChild(page, index);
        }
        if (old->IsLoaded()) {
            page->MarkLoaded();
        }
    } else {
        delete made;
    }
    ui.SetBusy(busy);
    return page;
}

void ComponentSwipie::BuildPages() {
    FindParts();
    const int wanted = std::max(m_numPages->Get(), 0);
    if (wanted == GetPageCount() || m_pagesRoot == nullptr) {
        return;
    }
    UIManager& ui = UIManager::Get();
    while (GetPageCount() > wanted) {
        ComponentSwipiePage* page = m_pages.back();
        m_pages.pop_back();
        ui.DeferredDelete(page);
    }
    const auto sizeListener = PropertyChangedEvent::Listener(this, &ComponentSwipie::OnPagePropertyChanged);
    for (int i = GetPageCount(); i < wanted; ++i) {
        const AsciiString id = PageId(i);
        Component* existing = m_pagesRoot->FindChild(id);
        ComponentSwipiePage* page = nullptr;
        if (existing == nullptr) {
            Component* clone = m_template != nullptr ? m_template->Clone() : nullptr;
            if (clone != nullptr && !clone->IsKindOf(ComponentSwipiePage::GetStaticClassInfo())) {
                delete clone;
                clone = nullptr;
            }
            if (clone == nullptr) {
                continue;
            }
            page = static_cast<ComponentSwipiePage*>(clone);
            page->SetId(id);
            page->GetEnabledProperty()->Set(true);
            m_pagesRoot->AddChild(page, -1);
            if (IsLoaded()) {
                page->MarkLoaded();
            }
        } else if (existing->IsKindOf(ComponentSwipiePage::GetStaticClassInfo())) {
            page = static_cast<ComponentSwipiePage*>(existing);
            page->OnPropertyChangedEvent.RemoveListener(sizeListener);
        } else {
            page = ConvertToPage(existing);
            if (page == nullptr) {
                continue;
            }
        }
        page->OnPropertyChangedEvent.AddListener(sizeListener);
        page->SetDescSerialisable(!m_childrenCodeGenerated->Get());
        page->SetPageIndex(static_cast<int>(m_pages.size()));
        page->SetOwner(this);
        m_pages.push_back(page);
    }
    for (Component* child = m_pagesRoot->GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        if (std::find(m_pages.begin(), m_pages.end(), child) == m_pages.end()) {
            ui.DeferredDelete(child);
        }
    }
    m_pagesChanged = true;
    InvalidateLayout();
    FirePageArrayChanged();
}

void ComponentSwipie::FirePageArrayChanged() { OnPageArrayChangedEvent.Raise(); }

ComponentSwipiePage* ComponentSwipie::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[index] : nullptr;
}

void ComponentSwipie::PerformLayout() {
    ComponentGenericScrollingPane::PerformLayout();
    FindParts();
    float offset = 0.0f;
    float across = AcrossLengthOf(*this);
    for (ComponentSwipiePage* page : m_pages) {
        const Vector3 pivot = page->GetPivot();
        page->PositionProperty().Set(IsHorizontal() ? Vector3{offset + pivot.x, pivot.y, pivot.z}
                                                    : Vector3{pivot.x, offset + pivot.y, pivot.z});
        offset += PageLength(*page);
        const Vector3 scale = page->GetScale();
        across = std::max(across, IsHorizontal() ? page->GetHeight() * scale.y : page->GetWidth() * scale.x);
    }
    if (m_content != nullptr) {
        SetFloat(*m_content, IsHorizontal() ? "width" : "height", offset);
        SetFloat(*m_content, IsHorizontal() ? "height" : "width", across);
    }
    const int count = m_numPages->Get();
    if (m_pagesChanged && count > 0) {
        m_pagesChanged = false;
        // Before any page was applied, the page a screen file asked for.
        const int base = m_appliedPage >= 0 ? m_appliedPage : m_currentPage->Get();
        const int clamped = std::min(std::max(base, 0), count - 1);
        m_appliedPage = -1;
        if (m_currentPage->Get() == clamped) {
            ApplyCurrentPage(clamped);  // the same value raises no change
        } else {
            m_currentPage->Set(clamped);
        }
    }
}

// ---- geometry ----

float ComponentSwipie::PaneNotch() const { return LengthOf(*this) * m_detentNotchParent->Get(); }

float ComponentSwipie::PageLength(const ComponentSwipiePage& page) const {
    const Vector3 scale = page.GetScale();
    return IsHorizontal() ? page.GetWidth() * scale.x : page.GetHeight() * scale.y;
}

float ComponentSwipie::PageStart(const ComponentSwipiePage& page) const {
    const Vector3 position = const_cast<ComponentSwipiePage&>(page).PositionProperty().Get();
    return AlongAxis(position) - AlongAxis(page.GetPivot());
}

float ComponentSwipie::GetSnapPosition(int index) const {
    const ComponentSwipiePage* page = GetPage(index);
    if (page == nullptr) {
        return 0.0f;
    }
    return PaneNotch() - (PageStart(*page) + PageLength(*page) * m_detentNotchContent->Get());
}

void ComponentSwipie::GetScrollLimits(float& outLower, float& outUpper) const {
    const float contentLength = m_content != nullptr ? LengthOf(*m_content) : 0.0f;
    outLower = std::min(0.0f, LengthOf(*this) - contentLength);
    outUpper = 0.0f;
    if (Snaps() && !m_clampAllRowsVisible->Get() && !m_pages.empty()) {
        outUpper = GetSnapPosition(0);
        outLower = GetSnapPosition(GetPageCount() - 1);
    }
}

int ComponentSwipie::GetNearestPage(float scroll) const {
    const float a = PaneNotch() - scroll;
    float best = kFarAway;
    int nearest = -1;
    for (int i = 0; i < GetPageCount(); ++i) {
        const float notch = PageStart(*m_pages[i]) + PageLength(*m_pages[i]) * m_detentNotchContent->Get();
        const float distance = std::fabs(notch - a);
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

float ComponentSwipie::GetScrollFraction() const {
    float lower = 0.0f;
    float upper = 0.0f;
    GetScrollLimits(lower, upper);
    if (lower == upper) {
        return 0.5f;
    }
    return (AlongAxis(GetScrollPosition()) - upper) / (lower - upper);
}

// ---- motion ----

void ComponentSwipie::SetState(State state) {
    if (state == m_state) {
        return;
    }
    const State previous = m_state;
    m_state = state;
    if (previous == Idle) {
        FireScrollStarted();
    } else if (state == Idle) {
        FireScrollStopped();
    }
}

void ComponentSwipie::ScrollToPage(int index) {
    if (m_pages.empty() || index == -1) {
        return;
    }
    if (index < 0 || index >= GetPageCount()) {
        index = GetPageCount() - 1;
    }
    m_snapTarget = GetSnapPosition(index);
    SetState(SnapToPage);
    m_targetPage->Set(-1);
}

float ComponentSwipie::PredictRest(float p, float movement) const {
    const float drift = m_driftDelta->Get();
    if (!(drift > 0.0f && drift < 1.0f)) {
        return p;  // no converging drift to predict
    }
    const float stop = m_stopMovementThreshold->Get();
    float rest = p;
    float v = movement;
    for (int i = 0; i < kMaxPredictionSteps; ++i) {
        v *= drift;
        rest += v;
        if (!(std::fabs(v) >= stop)) {
            break;
        }
    }
    return rest;
}

float ComponentSwipie::ChooseAimTarget(float p, float rest) const {
    const int atRest = GetNearestPage(rest);
    const int atStart = GetNearestPage(p);
    if (atRest != atStart) {
        return GetSnapPosition(atRest);
    }
    const float snap = GetSnapPosition(atRest);
    const bool forward = rest >= p;  // toward higher scroll positions, lower pages
    if ((forward && snap >= p) || (!forward && snap < p)) {
        return snap;
    }
    const int neighbour = forward ? atRest - 1 : atRest + 1;
    return neighbour >= 0 && neighbour < GetPageCount() ? GetSnapPosition(neighbour) : snap;
}

void ComponentSwipie::AimRelease() {
    if (!Snaps()) {
        return;
    }
    const float p = AlongAxis(GetScrollPosition());
    float lower = 0.0f;
    float upper = 0.0f;
    GetScrollLimits(lower, upper);
    float& v = IsHorizontal() ? m_lastMovement.x : m_lastMovement.y;
    if (p < lower) {
        v += lower - p;
        return;
    }
    if (p > upper) {
        v += upper - p;
        return;
    }
    if (std::fabs(v) < m_stopMovementThreshold->Get()) {
        v = 0.0f;
        return;
    }
    const float drift = m_driftDelta->Get();
    if (!(drift > 0.0f && drift < 1.0f)) {
        return;  // a drift that never slows (or never moves) cannot be aimed
    }
    const float rest = PredictRest(p, v);
    if (rest < lower || rest > upper || rest == p) {
        return;
    }
    v *= (ChooseAimTarget(p, rest) - p) / (rest - p);
}

void ComponentSwipie::Fling(float movementPerUpdate) {
    if (IsHorizontal()) {
        m_lastMovement.x = movementPerUpdate;
    } else {
        m_lastMovement.y = movementPerUpdate;
    }
    AimRelease();
    SetState(Drifting);
}

void ComponentSwipie::ScrollStep() {
    const float p = AlongAxis(GetScrollPosition());
    float lower = 0.0f;
    float upper = 0.0f;
    GetScrollLimits(lower, upper);
    const State atStart = m_state;
    const float stop = m_stopMovementThreshold->Get();
    float movement = 0.0f;
    bool dragging = false;
    if (m_state == Dragged) {
        if (UIManager::Get().IsPointerDown()) {
            movement = DraggedMovement(m_draggedMovementDelta->Get());
            dragging = true;
        } else {
            SetState(Drifting);
            if (p < lower || p > upper) {
                // No finger speed is carried past an edge.
                (IsHorizontal() ? m_lastMovement.x : m_lastMovement.y) = 0.0f;
            }
        }
    }
    if (m_state == Drifting || m_state == SnapToPage) {
        movement = m_driftDelta->Get() * AlongAxis(m_lastMovement);
    }
    const float pull = EdgePull(p + movement, lower, upper,
                                dragging ? m_outOfBoundsDraggedDelta->Get() : m_outOfBoundsDriftDelta->Get());
    if (Snaps() && !dragging && atStart == SnapToPage) {
        movement = m_snapToPagesDelta->Get() * (m_snapTarget - p);
        if (std::fabs(movement) < stop) {
            movement = 0.0f;
            SetState(Idle);
        }
    }
    if (m_state == Drifting && std::fabs(movement) < stop && std::fabs(pull) < stop) {
        const int nearest = GetNearestPage(p);
        if (Snaps() && nearest >= 0) {
            m_snapTarget = GetSnapPosition(nearest);
            SetState(SnapToPage);
        } else {
            movement = 0.0f;
            SetState(Idle);
        }
    }
    ApplyStep(movement, pull);
}

// ---- per-update page state ----

void ComponentSwipie::ApplyCurrentPage(int value) {
    if (!m_pages.empty() && value != m_appliedPage) {
        m_appliedPage = value;
        if (m_reportedCurrentPage == -1) {
            m_reportedCurrentPage = value;
        }
        ScrollToPage(value);
    }
}

void ComponentSwipie::Update(float dt) {
    ComponentGenericScrollingPane::Update(dt);
    if (!IsLoaded()) {
        return;
    }
    if (m_jumpPending) {
        m_jumpPending = false;
        m_appliedPage = -1;
        ApplyCurrentPage(m_currentPage->Get());
        SetScrollPosition(IsHorizontal() ? Vector2{m_snapTarget, 0.0f} : Vector2{0.0f, m_snapTarget});
    }
    ScrollStep();
    UpdateHighlight();
    UpdatePageVisibility();
    UpdatePageColours();
    UpdateScrollBar(dt);
}

void ComponentSwipie::UpdateHighlight() {
    const int nearest = GetNearestPage(AlongAxis(GetScrollPosition()));
    if (nearest != m_highlightedPage) {
        if (ComponentSwipiePage* previous = GetPage(m_highlightedPage)) {
            if (m_highlightedPage < m_numPages->Get()) {
                previous->StopAnimation(HighlightIn(), true);
                previous->PlayAnimation(HighlightOut(), true);
            }
        }
        if (ComponentSwipiePage* next = GetPage(nearest)) {
            next->StopAnimation(HighlightOut(), true);
            next->PlayAnimation(HighlightIn(), true);
            next->BringToFront();
        }
        m_highlightedPage = nearest;
    }
    m_appliedPage = m_highlightedPage;
    m_currentPage->Set(m_highlightedPage);
}

void ComponentSwipie::UpdatePageVisibility() {
    if (GetPage(m_highlightedPage) == nullptr) {
        return;
    }
    const float viewMin = AlongAxis(GetViewMin());
    const float viewMax = AlongAxis(GetViewMax());
    m_pages[m_highlightedPage]->GetEnabledProperty()->Set(true);
    bool inView = true;
    for (int i = m_highlightedPage + 1; i < GetPageCount(); ++i) {
        inView = inView && PageStart(*m_pages[i]) <= viewMax;
        m_pages[i]->GetEnabledProperty()->Set(inView);
    }
    inView = true;
    for (int i = m_highlightedPage - 1; i >= 0; --i) {
        inView = inView && PageStart(*m_pages[i]) + PageLength(*m_pages[i]) >= viewMin;
        m_pages[i]->GetEnabledProperty()->Set(inView);
    }
}

void ComponentSwipie::UpdatePageColours() {
    if (!m_pageDimmingEnabled->Get() || m_pages.empty()) {
        return;
    }
    const int current = m_currentPage->Get();
    const int range = m_pageDimmingRange->Get();
    const Colour minimum = m_minDimmedColour->Get();
    if (current < 0 || current >= GetPageCount() || range < 0) {
        for (ComponentSwipiePage* page : m_pages) {
            page->ColourProperty().Set(minimum);
        }
        return;
    }
    const Colour maximum = m_maxDimmedColour->Get();
    for (int i = 0; i < GetPageCount(); ++i) {
        const int d = std::abs(i - current);
        Colour target = minimum;
        float rate = m_pageDimmingRate->Get();
        if (d == 0) {
            target = m_highlightedColour->Get();
            rate = m_pageHighlightingRate->Get();
        } else if (d <= range) {
            const float t = static_cast<float>(d) / static_cast<float>(range + 1);
            const auto mix = [t](uint8_t low, uint8_t high) {
                return Byte(static_cast<int>(t * low) + static_cast<int>((1.0f - t) * high));
            };
            target = Colour(mix(minimum.r, maximum.r), mix(minimum.g, maximum.g), mix(minimum.b, maximum.b),
                            maximum.a);
        }
        UIProperty<Colour>& colour = m_pages[i]->ColourProperty();
        colour.Set(Blend(colour.Get(), target, rate));
    }
}

void ComponentSwipie::UpdateScrollBar(float dt) {
    ComponentVisual* bar = AsVisual(FindChild(AsciiString("scrollbar")));
    ComponentVisual* container = this;
    if (bar == nullptr) {
        container = AsVisual(FindChild(AsciiString("scrollbarContainer")));
        bar = container != nullptr ? AsVisual(container->FindChild(AsciiString("scrollbar"))) : nullptr;
    }
    if (bar == nullptr) {
        return;
    }
    const float length = LengthOf(*container);
    const float thickness = AcrossLengthOf(*bar);
    const float contentLength = m_content != nullptr ? LengthOf(*m_content) : 0.0f;
    float f = contentLength > 0.0f ? LengthOf(*this) / contentLength : 1.0f;
    const float minimum = m_minScrollbarPercentageSize->Get();
    f = f > minimum ? std::min(1.0f, f) : minimum;
    const float o = GetScrollFraction() * (1.0f - f);
    float start = length * o;
    start = start > 0.0f ? std::min(start, length - thickness) : 0.0f;
    const float end = std::max(std::min(length * (f + o), length), thickness);
    UIProperty<Vector3>* position = bar->FindProperty<Vector3>(AsciiString("position"));
    Vector3 placed = position->Get();
    (IsHorizontal() ? placed.x : placed.y) = start;
    position->Set(placed);
    SetFloat(*bar, IsHorizontal() ? "width" : "height", end - start);

    float lower = 0.0f;
    float upper = 0.0f;
    GetScrollLimits(lower, upper);
    if (m_scrollbarFadeOutRate->Get() == 0.0f) {
        m_scrollbarOpacity = 1.0f;
    } else if (m_state != Idle && f < 1.0f && lower != upper) {
        m_scrollbarWait = m_scrollbarFadeOutWait->Get();
        m_scrollbarOpacity = std::min(1.0f, m_scrollbarOpacity + m_scrollbarFadeInRate->Get() * dt);
    } else if (m_scrollbarWait > 0.0f) {
        m_scrollbarWait -= dt;
    } else {
        m_scrollbarOpacity = std::max(0.0f, m_scrollbarOpacity - m_scrollbarFadeOutRate->Get() * dt);
    }
    UIProperty<Colour>* colour = bar->FindProperty<Colour>(AsciiString("colour"));
    Colour shown = colour->Get();
    const int alpha = static_cast<int>(m_scrollbarOpacity * m_scrollbarBaseAlpha->Get());
    shown.a = static_cast<uint8_t>(std::min(std::max(alpha, 0), 255));
    colour->Set(shown);
}

AsciiString ComponentSwipie::DumpShort() const {
    AsciiString text = ComponentGenericScrollingPane::DumpShort();
    const int state = static_cast<int>(m_state);
    text.Append("\nswipieState = ");
    text.Append(state >= 0 && state <= 4 ? kStateNames[state] : "");
    char number[64];
    std::snprintf(number, sizeof(number), "%f", AlongAxis(GetScrollPosition()));
    text.Append("\nscrolledPos = ");
    text.Append(number);
    std::snprintf(number, sizeof(number), "%f", AlongAxis(m_lastMovement));
    text.Append("\nscrollDiff = ");
    text.Append(number);
    std::snprintf(number, sizeof(number), "%f", m_snapTarget);
    text.Append("\nsnPDesScroll = ");
    text.Append(number);
    return text;
}

// ---- events ----

void ComponentSwipie::OnLoaded(Component*, bool&) {
    if (GetPageCount() != std::max(m_numPages->Get(), 0)) {
        BuildPages();
    }
    ApplyOrientation(*m_orientationText);
    m_pagesChanged = true;
    if (Snaps()) {
        m_jumpPending = true;
    }
}

void ComponentSwipie::OnOwnPropertyChanged(Component*, UIPropertyBase* property, bool& handled) {
    if (!IsLoaded()) {
        return;
    }
    if (property == m_numPages) {
        BuildPages();
        handled = true;
    } else if (property == m_currentPage) {
        const int value = m_currentPage->Get();
        ApplyCurrentPage(value);
        bool flag = false;
        OnCurrentPageChangedEvent.Raise(flag);
        if (value != m_reportedCurrentPage) {
            const int previous = m_reportedCurrentPage;
            m_reportedCurrentPage = value;
            OnCurrentPageChangedEventEx.Raise(previous, value);
        }
    } else if (property == m_targetPage) {
        // The request is reported before ScrollToPage turns it back to -1.
        const int value = m_targetPage->Get();
        if (value >= 0) {
            const int previous = m_reportedTargetPage;
            m_reportedTargetPage = value;
            OnTargetPageChangedEvent.Raise(previous, value);
        }
        ScrollToPage(value);
    } else if (property == m_orientationText) {
        if (ApplyOrientation(*m_orientationText)) {
            m_pagesChanged = true;
        }
    } else if (property == m_childrenCodeGenerated) {
        for (ComponentSwipiePage* page : m_pages) {
            page->SetDescSerialisable(!m_childrenCodeGenerated->Get());
        }
    } else if (property == m_width || property == m_height) {
        m_pagesChanged = true;
    }
}

void ComponentSwipie::OnPagePropertyChanged(Component* sender, UIPropertyBase* property, bool& handled) {
    const auto* page = static_cast<ComponentSwipiePage*>(sender);
    if (property->GetName().EqualsNoCase(AsciiString(IsHorizontal() ? "width" : "height")) &&
        page->IsSizeProperty(property)) {
        m_pagesChanged = true;
        InvalidateLayout();
        handled = true;
    }
}

int ComponentSwipie::FindPressedPage(const Vector2& point) const {
    if (m_content == nullptr) {
        return -1;
    }
    // The press in content coordinates: the pane's local point less the
    // content's offset.
    const Vector3 offset = m_content->FindProperty<Vector3>(AsciiString("position"))->Get();
    const Vector2 c{point.x - offset.x, point.y - offset.y};
    int pressed = -1;
    for (Component* child = m_pagesRoot != nullptr ? m_pagesRoot->GetFirstChild() : nullptr; child != nullptr;
         child = child->GetNextSibling()) {
        if (!child->IsKindOf(ComponentSwipiePage::GetStaticClassInfo()) || child->IsDeleted()) {
            continue;
        }
        auto* page = static_cast<ComponentSwipiePage*>(child);
        const Vector3 position = page->PositionProperty().Get();
        const Vector3 pivot = page->GetPivot();
        const Vector3 scale = page->GetScale();
        const float left = position.x - pivot.x;
        const float top = position.y - pivot.y;
        if (c.x >= left && c.x < left + page->GetWidth() * scale.x && c.y >= top &&
            c.y < top + page->GetHeight() * scale.y) {
            pressed = page->GetPageIndex();
        }
    }
    return pressed;
}

void ComponentSwipie::OnPress(Component*, const Vector2& point, bool& handled) {
    Press(point, false, handled);
}

void ComponentSwipie::OnPressObscured(Component*, const Vector2& point, bool& handled) {
    Press(point, true, handled);
}

void ComponentSwipie::Press(const Vector2& point, bool obscured, bool& handled) {
    if (!BeginDrag(point, obscured)) {
        return;
    }
    m_pressedPage = FindPressedPage(point);
    SetState(Dragged);
    handled = true;
}

void ComponentSwipie::OnMoved(Component*, const Vector2& point, bool& handled) {
    FollowMove(point, m_startMovementThreshold->Get());
    if (HasFocus()) {
        handled = true;
    }
}

void ComponentSwipie::OnMovedOutside(Component*, const Vector2& point, bool&) { FollowMoveOutside(point); }

void ComponentSwipie::OnRelease(Component*, const Vector2&, bool& handled) {
    if (!TakesInput()) {
        return;
    }
    const bool tap = !m_dragStarted && std::fabs(AlongAxis(m_lastMovement)) < kTapMovementLimit &&
                     m_pressedPage >= 0;
    bool aim = true;
    if (tap) {
        const int pressed = m_pressedPage;
        m_pressedPage = -1;
        if (pressed == m_currentPage->Get()) {
            bool flag = false;
            OnHighlightedPageTappedEvent.Raise(flag);
        } else {
            OnPageTappedEvent.Raise(pressed);
            if (m_scrollToTappedPage->Get()) {
                m_targetPage->Set(pressed);
                aim = false;
            }
        }
    }
    if (aim) {
        AimRelease();
    }
    EndDrag();
    handled = true;
}

void ComponentSwipie::OnReleaseOutside(Component*, const Vector2&, bool&) {
    AimRelease();
    EndDrag();
}

}  // namespace Varnok
