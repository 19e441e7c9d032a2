// The game's own scrolling list: rows laid end to end along one axis and
// moved together by a scroll offset. The finger drags the rows; with soft
// clamping a released list slides back inside its extents (or onto a row
// boundary) at a growing speed; with hard clamping it never leaves them;
// with wrapping (vertical lists) the rows repeat. A tap on a row no child
// took scrolls the list to that row. Speeds are units per update.
#pragma once

#include "engine/ui/ComponentVisual.h"

#include <vector>

namespace Varnok {

class ComponentScrollingList : public ComponentVisual {
public:
    ComponentScrollingList();

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    virtual void ResetScroll();

    // The caller creates the row as a child of the list; it is placed as if
    // the list were unscrolled.
    void AddItem(Component* item);
    // Forgets the rows (they stay in the tree).
    void ResetItemArray();
    // Hands every row to the deferred deletion and forgets them.
    void ClearItems();
    void ScrollBy(float delta);
    // Animated only with soft clamping (the slide carries the list there);
    // otherwise at once.
    void ScrollToItem(int index, bool animated);
    // Moves every row by delta, then the wrap placement and the visibility.
    void Layout(float delta);

    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    Component* GetItem(int index) const { return m_items[index]; }
    float GetOffset() const { return m_offset; }
    float GetTarget() const { return m_target; }
    float GetContentLength() const { return m_contentLength; }
    float GetSlideSpeed() const { return m_slideSpeed; }
    bool IsLocked() const { return m_locked; }
    bool IsDragging() const { return m_dragging; }

protected:
    bool IsVertical() const { return m_scrollVertically->Get(); }
    float ExtentsBegin() const;
    float ExtentsEnd() const;
    float ItemLength(Component& item) const;

private:
    void PlaceWrapped();
    void UpdateItemVisibility();
    void SlideBack();
    void OnTouchDown(Component* sender, const Vector2& point, bool& handled);
    void OnTouchMoved(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUp(Component* sender, const Vector2& point, bool& handled);

    UIProperty<bool>* m_clamping;
    UIProperty<bool>* m_softClamping;
    UIProperty<float>* m_softClampingSpeedInc;
    UIProperty<float>* m_softClampingSpeedMax;
    UIProperty<float>* m_softClampingDrag;
    UIProperty<bool>* m_scrollVertically;
    UIProperty<float>* m_extentsBegin;
    UIProperty<float>* m_extentsEnd;
    UIProperty<bool>* m_snapToItem;
    UIProperty<bool>* m_itemsWrap;
    UIProperty<bool>* m_controlItemVisibility;

    std::vector<Component*> m_items;  // owned by the tree, in order
    float m_contentLength = 0.0f;
    float m_offset = 0.0f;
    Vector2 m_lastTouch;
    bool m_dragging = false;
    float m_slideSpeed = 0.0f;
    bool m_wrapped = false;
    float m_target = 0.0f;
    bool m_locked = false;
};

}  // namespace Varnok
