// The credits pane: pages cloned from a template lie end to end in the
// content; the finger drags and flicks them, the pane can scroll by itself
// at a set speed, and looped content repeats endlessly with a gap of a tenth
// of the pane between laps. Motion factors are fractions per update; the
// automatic speed is in units per second.
#pragma once

#include "engine/ui/ComponentGenericScrollingPane.h"

#include <vector>

namespace Varnok {

class ComponentCredits : public ComponentGenericScrollingPane {
public:
    enum State : int { Idle = 0, Dragged = 1, Drifting = 2, AutoScrolling = 3 };

    static constexpr float kStopMovementThreshold = 0.0001f;

    ComponentCredits();

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    void OnCreated() override;
    // Places the pages (the pane docks nothing) and the looping shift.
    void PerformLayout() override;

    void SetNumPages(int count);
    // Null for a page that does not exist (and before the pages root does).
    ComponentVisual* GetPage(int index) const;
    void BuildPages();

    // Minus the content length when looped, else the lower scroll limit.
    float GetMinScroll() const;
    // The pane's length when looped, else 0.
    float GetLoopPadding() const;

    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    State GetState() const { return m_state; }
    float GetLastMovement() const { return AlongAxis(m_lastMovement); }

private:
    bool Looped() const { return m_contentIsLooped->Get(); }
    void GetScrollLimits(float& outLower, float& outUpper) const;

    void OnOwnPropertyChanged(Component* sender, UIPropertyBase* property, bool& handled);
    void OnLoaded(Component* sender, bool& handled);
    void Press(const Vector2& point, bool obscured, bool& handled);
    void OnPress(Component* sender, const Vector2& point, bool& handled);
    void OnPressObscured(Component* sender, const Vector2& point, bool& handled);
    void OnMoved(Component* sender, const Vector2& point, bool& handled);
    void OnMovedOutside(Component* sender, const Vector2& point, bool& handled);
    void OnRelease(Component* sender, const Vector2& point, bool& handled);

    UIProperty<int>* m_numPages;
    UIProperty<float>* m_draggedMovementDelta;
    UIProperty<float>* m_outOfBoundsDraggedDelta;
    UIProperty<float>* m_outOfBoundsDriftDelta;
    UIProperty<float>* m_driftDelta;
    UIProperty<bool>* m_autoScrollEnabled;
    UIProperty<float>* m_autoScrollSpeed;
    UIProperty<bool>* m_contentIsLooped;
    UIProperty<AsciiString>* m_orientationText;
    UIProperty<bool>* m_childrenCodeGenerated;

    std::vector<ComponentVisual*> m_pages;  // owned by the tree, in index order
    ComponentVisual* m_template = nullptr;  // owned by the tree
    Component* m_pagesRoot = nullptr;       // owned by the tree
    State m_state = Idle;
};

}  // namespace Varnok
