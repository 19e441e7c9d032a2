// The base of the scrolling panes: a visual that owns one content child (a
// ComponentScrollableSpace with the id "scrollableSpace") and scrolls by
// moving it inside its own rectangle. It also holds the finger-following
// motion that the swipe and credits panes share; each applies it in its own
// update.
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentScrollableSpace;

class ComponentGenericScrollingPane : public ComponentVisual {
public:
    // Orientation kinds; kind 0 moves along y as Vertical does.
    enum : int { kOrientationNone = 0, kOrientationHorizontal = 1, kOrientationVertical = 2 };

    // The finger moves this far along the axis before a pane claims the drag.
    static constexpr float kStartMovementThreshold = 3.5f;

    ComponentGenericScrollingPane();

    static const ComponentClassInfo& GetStaticClassInfo();

    void OnCreated() override;
    // Finds or creates the content once; later calls do nothing.
    virtual void FindParts();

    // The content's position plus the pane's pivot (x and y); (0, 0)
    // without content. The visible part of the content runs from -s to
    // -s + (width, height) in content coordinates.
    Vector2 GetScrollPosition() const;
    void SetScrollPosition(const Vector2& scroll);
    Vector2 GetViewMin() const;
    Vector2 GetViewMax() const;
    // True when a handler set the handled flag.
    bool FireScrollStarted();
    bool FireScrollStopped();

    // Null until FindParts ran.
    ComponentScrollableSpace* GetContent() const { return m_content; }
    bool IsDragStarted() const { return m_dragStarted; }
    int GetOrientation() const { return m_orientation; }

    // Case-blind: "horizontal" 1, "vertical" 2, anything else 0.
    static int ParseOrientation(const AsciiString& text);
    // "Horizontal", "Vertical" or "unknown".
    static const char* OrientationName(int kind);

    FlagEvent OnScrollStartedEvent{this};
    FlagEvent OnScrollStoppedEvent{this};

protected:
    bool IsHorizontal() const { return m_orientation == kOrientationHorizontal; }
    float AlongAxis(const Vector2& v) const { return IsHorizontal() ? v.x : v.y; }
    float AlongAxis(const Vector3& v) const { return IsHorizontal() ? v.x : v.y; }
    float AcrossAxis(const Vector3& v) const { return IsHorizontal() ? v.y : v.x; }
    // Unscaled width for Horizontal, height otherwise.
    float LengthOf(const ComponentVisual& visual) const;
    float AcrossLengthOf(const ComponentVisual& visual) const;
    // Writes the canonical name back; answers whether the kind changed.
    bool ApplyOrientation(UIProperty<AsciiString>& property);

    // The shared finger rules. Press: false (not handled) when the pane
    // does not take input; a normal press takes the focus.
    bool BeginDrag(const Vector2& point, bool obscured);
    void FollowMove(const Vector2& point, float startThreshold);
    void FollowMoveOutside(const Vector2& point);
    // Drops the drag and the focus.
    void EndDrag();
    // The fraction of the gap between finger and content closed this update.
    float DraggedMovement(float delta) const;
    // The pull back toward [lower, upper] for a position p.
    static float EdgePull(float p, float lower, float upper, float k);
    // Records the movement and moves by movement + pull along the axis.
    void ApplyStep(float movement, float pull);

    ComponentScrollableSpace* m_content = nullptr;  // owned by the tree
    Vector2 m_pressTouch;
    Vector2 m_currentTouch;
    Vector2 m_pressScroll;
    Vector2 m_lastMovement;
    int m_orientation = kOrientationNone;
    bool m_dragStarted = false;
};

}  // namespace Varnok
