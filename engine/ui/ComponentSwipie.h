// The paged swipe pane: pages cloned from a template lie end to end in the
// content; the finger drags them, a release drifts and (with snapping) is
// aimed so that a page's notch comes to rest on the pane's notch. It tracks
// and highlights the page nearest the notch, dims the others by distance,
// disables pages out of view, reports taps and shows a fading scroll bar.
// All motion factors are fractions per update.
#pragma once

#include "engine/ui/ComponentGenericScrollingPane.h"

#include <vector>

namespace Varnok {

class ComponentSwipiePage;

class ComponentSwipie : public ComponentGenericScrollingPane {
public:
    enum State : int { Idle = 0, Dragged = 1, Drifting = 2, SnapToPage = 3, ClampToEdge = 4 };

    using PageEvent = UIComponentEvent<int>;
    using PageChangeEvent = UIComponentEvent<int, int>;

    ComponentSwipie();

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    void OnCreated() override;
    AsciiString DumpShort() const override;
    // Dock layout, then the pages end to end.
    void PerformLayout() override;
    void FindParts() override;
    virtual void FirePageArrayChanged();

    // -1 and an empty pane do nothing; other indices outside the pages
    // select the last one.
    void ScrollToPage(int index);
    void BuildPages();
    // Throws the content with this movement per update, as a release would.
    void Fling(float movementPerUpdate);
    // 0 at the first page's end of travel, 1 at the last; 0.5 when the
    // limits meet.
    float GetScrollFraction() const;

    // Geometry along the axis, in content coordinates.
    float GetSnapPosition(int index) const;
    // Scroll limits, upper >= lower.
    void GetScrollLimits(float& outLower, float& outUpper) const;
    // -1 without pages.
    int GetNearestPage(float scroll) const;
    // Where a drift from p with this movement per update comes to rest.
    float PredictRest(float p, float movement) const;

    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    ComponentSwipiePage* GetPage(int index) const;
    ComponentSwipiePage* GetTemplate() const { return m_template; }
    Component* GetPagesRoot() const { return m_pagesRoot; }
    State GetState() const { return m_state; }
    int GetHighlightedPage() const { return m_highlightedPage; }
    float GetSnapTarget() const { return m_snapTarget; }

    FlagEvent OnCurrentPageChangedEvent{this};
    PageChangeEvent OnCurrentPageChangedEventEx{this};
    PageChangeEvent OnTargetPageChangedEvent{this};
    PageEvent OnPageTappedEvent{this};
    FlagEvent OnHighlightedPageTappedEvent{this};
    PlainEvent OnPageArrayChangedEvent{this};

private:
    void SetState(State state);
    bool Snaps() const { return m_snapToPages->Get(); }
    float PaneNotch() const;
    float PageLength(const ComponentSwipiePage& page) const;
    float PageStart(const ComponentSwipiePage& page) const;
    float ChooseAimTarget(float p, float rest) const;
    void AimRelease();
    void ScrollStep();
    void UpdateHighlight();
    void UpdatePageVisibility();
    void UpdatePageColours();
    void UpdateScrollBar(float dt);
    void ApplyCurrentPage(int value);
    ComponentSwipiePage* ConvertToPage(Component* old);
    int FindPressedPage(const Vector2& point) const;

    void OnOwnPropertyChanged(Component* sender, UIPropertyBase* property, bool& handled);
    void OnPagePropertyChanged(Component* sender, UIPropertyBase* property, bool& handled);
    void OnLoaded(Component* sender, bool& handled);
    void Press(const Vector2& point, bool obscured, bool& handled);
    void OnPress(Component* sender, const Vector2& point, bool& handled);
    void OnPressObscured(Component* sender, const Vector2& point, bool& handled);
    void OnMoved(Component* sender, const Vector2& point, bool& handled);
    void OnMovedOutside(Component* sender, const Vector2& point, bool& handled);
    void OnRelease(Component* sender, const Vector2& point, bool& handled);
    void OnReleaseOutside(Component* sender, const Vector2& point, bool& handled);

    UIProperty<int>* m_numPages;
    UIProperty<bool>* m_childrenCodeGenerated;
    UIProperty<float>* m_draggedMovementDelta;
    UIProperty<float>* m_outOfBoundsDraggedDelta;
    UIProperty<float>* m_outOfBoundsDriftDelta;
    UIProperty<float>* m_driftDelta;
    UIProperty<float>* m_snapToPagesDelta;
    UIProperty<float>* m_startMovementThreshold;
    UIProperty<float>* m_stopMovementThreshold;
    UIProperty<float>* m_detentNotchParent;
    UIProperty<float>* m_detentNotchContent;
    UIProperty<bool>* m_snapToPages;
    UIProperty<bool>* m_clampAllRowsVisible;
    UIProperty<int>* m_currentPage;
    UIProperty<int>* m_targetPage;
    UIProperty<AsciiString>* m_orientationText;
    UIProperty<bool>* m_pageDimmingEnabled;
    UIProperty<int>* m_pageDimmingRange;
    UIProperty<Colour>* m_minDimmedColour;
    UIProperty<Colour>* m_maxDimmedColour;
    UIProperty<Colour>* m_highlightedColour;
    UIProperty<float>* m_pageDimmingRate;
    UIProperty<float>* m_pageHighlightingRate;
    UIProperty<bool>* m_scrollToTappedPage;
    UIProperty<float>* m_scrollbarFadeInRate;
    UIProperty<float>* m_scrollbarFadeOutRate;
    UIProperty<float>* m_scrollbarFadeOutWait;
    UIProperty<float>* m_scrollbarBaseAlpha;
    UIProperty<float>* m_minScrollbarPercentageSize;

    std::vector<ComponentSwipiePage*> m_pages;  // owned by the tree, in index order
    ComponentSwipiePage* m_template = nullptr;  // owned by the tree
    Component* m_pagesRoot = nullptr;           // owned by the tree
    int m_appliedPage = -1;
    int m_highlightedPage = -1;
    int m_reportedCurrentPage = -1;
    int m_reportedTargetPage = -1;
    State m_state = Idle;
    float m_snapTarget = 0.0f;
    bool m_jumpPending = false;
    // The content's own moves invalidate the pane's layout on every scroll
    // step; re-aiming at the current page then would fight the finger, so
    // that happens only when the pages or the pane changed.
    bool m_pagesChanged = true;
    int m_pressedPage = -1;
    float m_scrollbarOpacity = 0.0f;
    float m_scrollbarWait = 0.0f;
};

}  // namespace Varnok
