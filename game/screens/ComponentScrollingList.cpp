// The scrolling list's rows, drag, slide back, wrapping and row visibility.
#include "game/screens/ComponentScrollingList.h"

#include "engine/ui/UIManager.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

ComponentVisual* AsVisual(Component* component) {
    return component != nullptr && component->IsKindOf(ComponentVisual::GetStaticClassInfo())
               ? static_cast<ComponentVisual*>(component)
               : nullptr;
}

UIProperty<Vector3>& PositionOf(Component& component) {
    return *component.GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{});
}

float HeightOf(Component& component) {
    const ComponentVisual* visual = AsVisual(&component);
    return visual != nullptr ? visual->GetHeight() : 0.0f;
}

}  // namespace

const ComponentClassInfo& ComponentScrollingList::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentScrollingList", ComponentClassInfo::kNextFreeId,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentScrollingList::ComponentScrollingList()
    : m_clamping(GetOrAddProperty<bool>(AsciiString("clamping"), false)),
      m_softClamping(GetOrAddProperty<bool>(AsciiString("softClamping"), false)),
      m_softClampingSpeedInc(GetOrAddProperty<float>(AsciiString("softClampingSpeedInc"), 0.0f)),
      m_softClampingSpeedMax(GetOrAddProperty<float>(AsciiString("softClampingSpeedMax"), 0.0f)),
      m_softClampingDrag(GetOrAddProperty<float>(AsciiString("softClampingDrag"), 0.0f)),
      m_scrollVertically(GetOrAddProperty<bool>(AsciiString("scrollVertically"), false)),
      m_extentsBegin(GetOrAddProperty<float>(AsciiString("extentsBegin"), 0.0f)),
      m_extentsEnd(GetOrAddProperty<float>(AsciiString("extentsEnd"), 0.0f)),
      m_snapToItem(GetOrAddProperty<bool>(AsciiString("snapToItem"), false)),
      m_itemsWrap(GetOrAddProperty<bool>(AsciiString("itemsWrap"), false)),
      m_controlItemVisibility(GetOrAddProperty<bool>(AsciiString("controlItemVisibility"), true)) {
    SetClassInfo(GetStaticClassInfo());
    OnTouchDownEvent.AddListener(TouchEvent::Listener(this, &ComponentScrollingList::OnTouchDown));
    OnTouchUpEvent.AddListener(TouchEvent::Listener(this, &ComponentScrollingList::OnTouchUp));
    OnTouchUpHeldOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentScrollingList::OnTouchUp));
    OnTouchMovedEvent.AddListener(TouchEvent::Listener(this, &ComponentScrollingList::OnTouchMoved));
    OnTouchMovedOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentScrollingList::OnTouchMoved));
}

float ComponentScrollingList::ExtentsBegin() const {
    const float begin = m_extentsBegin->Get();
    return begin == -1.0f ? 0.0f : begin;
}

float ComponentScrollingList::ExtentsEnd() const {
    const float end = m_extentsEnd->Get();
    if (end == -1.0f) {
        return IsVertical() ? GetHeight() : GetWidth();
    }
    return end;
}

float ComponentScrollingList::ItemLength(Component& item) const {
    const ComponentVisual* visual = AsVisual(&item);
    if (visual == nullptr) {
        return 0.0f;
    }
    return IsVertical() ? visual->GetHeight() : visual->GetWidth();
}

// ---- rows ----

void ComponentScrollingList::AddItem(Component* item) {
    if (item == nullptr) {
        return;
    }
    const float begin = ExtentsBegin();
    if (m_items.empty()) {
        m_offset = begin;
        m_target = begin;
    }
    const float along = m_contentLength + begin;
    PositionOf(*item).Set(IsVertical() ? Vector3{0.0f, along, 0.0f} : Vector3{along, 0.0f, 0.0f});
    m_contentLength += ItemLength(*item);
    m_items.push_back(item);
}

void ComponentScrollingList::ResetItemArray() {
    m_items.clear();
    m_contentLength = 0.0f;
    m_offset = ExtentsBegin();
    m_target = m_offset;
    m_wrapped = false;
}

void ComponentScrollingList::ClearItems() {
    UIManager& ui = UIManager::Get();
    for (Component* item : m_items) {
        ui.DeferredDelete(item);
    }
    ResetItemArray();
}

void ComponentScrollingList::ResetScroll() {
    m_target = 0.0f;
    m_offset = 0.0f;
    m_contentLength = 0.0f;
    m_wrapped = false;
    for (Component* item : m_items) {
        PositionOf(*item).Set(IsVertical() ? Vector3{0.0f, m_contentLength, 0.0f}
                                           : Vector3{m_contentLength, 0.0f, 0.0f});
        m_contentLength += ItemLength(*item);
    }
}

void ComponentScrollingList::ScrollBy(float delta) {
    m_offset += delta;
    Layout(delta);
}

void ComponentScrollingList::ScrollToItem(int index, bool animated) {
    float t = ExtentsBegin();
    for (int i = 0; i < index && i < GetItemCount(); ++i) {
        t -= ItemLength(*m_items[i]);
    }
    // Only the slide back of soft clamping ever releases the lock: without
    // it the list jumps.
    if (animated && m_softClamping->Get()) {
        m_locked = true;
        m_slideSpeed = 0.0f;
        m_target = t;
        return;
    }
    const float old = m_offset;
    m_offset = t;
    m_target = t;
    Layout(t - old);
}

void ComponentScrollingList::Layout(float delta) {
    if (delta != 0.0f) {
        for (Component* item : m_items) {
            Vector3 position = PositionOf(*item).Get();
            (IsVertical() ? position.y : position.x) += delta;
            PositionOf(*item).Set(position);
        }
    }
    if (m_itemsWrap->Get()) {
        PlaceWrapped();
    }
    UpdateItemVisibility();
}

void ComponentScrollingList::PlaceWrapped() {
    const float listHeight = GetHeight();
    const int count = GetItemCount();
    if (count == 0) {
        return;
    }
    // Each gap is filled with one lap of rows at most: a list shorter than
    // its own height leaves the rest of the gap empty.
    if (m_offset + m_contentLength < listHeight) {
        float y = m_offset + m_contentLength;
        for (int i = 0; i < count && y < listHeight; ++i) {
            PositionOf(*m_items[i]).Set(Vector3{0.0f, y, 0.0f});
            y += HeightOf(*m_items[i]);
        }
        m_wrapped = true;
    } else if (m_offset > 0.0f) {
        float y = m_offset;
        for (int i = count - 1; i >= 0 && y > 0.0f; --i) {
            y -= HeightOf(*m_items[i]);
            PositionOf(*m_items[i]).Set(Vector3{0.0f, y, 0.0f});
        }
        m_wrapped = true;
    } else if (m_wrapped) {
        float y = m_offset;
        for (Component* item : m_items) {
            PositionOf(*item).Set(Vector3{0.0f, y, 0.0f});
            y += HeightOf(*item);
        }
        m_wrapped = false;
    }
}

void ComponentScrollingList::UpdateItemVisibility() {
    if (!m_controlItemVisibility->Get()) {
        return;
    }
    const UIRect list = GetLocalRect();
    const float begin = ExtentsBegin();
    for (Component* item : m_items) {
        if (!item->IsActive()) {
            item->Update(0.0f);  // so that its geometry is current
        }
        ComponentVisual* visual = AsVisual(item);
        if (visual == nullptr) {
            continue;
        }
        // Where the row sits now: its position (offset included) less its
        // pivot, with the extents' start taken off along y.
        const Vector3 position = PositionOf(*item).Get();
        const Vector3 pivot = visual->GetPivot();
        const float left = position.x - pivot.x;
        const float top = position.y - pivot.y - begin;
        const float right = left + visual->GetWidth();
        const float bottom = top + visual->GetHeight();
        const bool overlaps =
            left < list.right && right > list.left && top < list.bottom && bottom > list.top;
        item->GetEnabledProperty()->Set(overlaps);
    }
}

// ---- per update ----

void ComponentScrollingList::Update(float dt) {
    if (m_itemsWrap->Get() && !m_items.empty() && m_contentLength > 0.0f) {
        if (m_offset <= -m_contentLength) {
            m_offset += m_contentLength;
            Layout(m_contentLength);
        }
        if (m_offset >= GetHeight()) {
            m_offset -= m_contentLength;
            Layout(-m_contentLength);
        }
    }
    if (!m_softClamping->Get() || m_dragging) {
        UpdateItemVisibility();
    } else {
        SlideBack();
    }
    ComponentVisual::Update(dt);
}

void ComponentScrollingList::SlideBack() {
    const float begin = ExtentsBegin();
    const bool wrap = m_itemsWrap->Get();
    const bool wasLocked = m_locked;
    float t = wrap ? m_offset : std::min(std::max(ExtentsEnd() - m_contentLength, m_offset), begin);
    if (!wasLocked && m_snapToItem->Get() && !m_items.empty()) {
        const float firstHeight = HeightOf(*m_items[0]);
        const int h = static_cast<int>(firstHeight);
        if (h > 0) {  // a zero-height row gives no boundaries to snap to
            const float r = t - begin;
            const float fromHalf = r - static_cast<float>(h / 2);
            const int q = static_cast<int>(std::trunc(fromHalf)) / h;
            t = begin + static_cast<float>(q * h);
            if (wrap && fromHalf >= 0.0f) {
                m_locked = true;
                m_target = t + firstHeight;  // later updates head here
            }
        }
    }
    if (wasLocked) {
        t = m_target;
    }
    if (m_offset != t && !(m_offset < t && m_contentLength == 0.0f)) {
        const float next = m_offset > t ? std::max(m_offset - m_slideSpeed, t) : std::min(m_offset + m_slideSpeed, t);
        const float old = m_offset;
        m_offset = next;
        Layout(next - old);
        m_slideSpeed = std::min(m_slideSpeed + m_softClampingSpeedInc->Get(), m_softClampingSpeedMax->Get());
    } else {
        UpdateItemVisibility();
    }
    if (m_offset == t || m_contentLength == 0.0f) {
        m_target = m_offset;
        m_locked = false;
    }
}

// ---- touches ----

void ComponentScrollingList::OnTouchDown(Component*, const Vector2& point, bool& handled) {
    if (m_locked) {
        return;
    }
    SetFocus();
    m_dragging = true;
    m_lastTouch = point;
    handled = true;
}

void ComponentScrollingList::OnTouchMoved(Component*, const Vector2& point, bool& handled) {
    if (m_locked || !m_dragging) {
        return;
    }
    handled = true;
    const bool vertical = IsVertical();
    float d = vertical ? point.y - m_lastTouch.y : point.x - m_lastTouch.x;
    const float o = m_offset;
    const float begin = ExtentsBegin();
    const float lowest = ExtentsEnd() - m_contentLength;
    if (m_softClamping->Get()) {
        const float n = o + d;
        const float overshoot = n > begin ? n - begin : (n < lowest ? lowest - n : 0.0f);
        if (overshoot > 0.0f) {
            const float h = GetHeight();
            // A list of no height resists fully rather than dividing by 0.
            const float give = h > 0.0f ? 1.0f - std::min(overshoot, h) / h : 0.0f;
            d *= give * m_softClampingDrag->Get();
        }
    }
    m_offset = o + d;
    m_lastTouch = point;
    if (m_clamping->Get() && !m_softClamping->Get() && !m_itemsWrap->Get()) {
        m_offset = std::max(lowest, std::min(m_offset, begin));
        m_target = m_offset;
    }
    Layout(m_offset - o);
}

void ComponentScrollingList::OnTouchUp(Component*, const Vector2& point, bool& handled) {
    if (m_locked) {
        return;
    }
    UIManager& ui = UIManager::Get();
    ReleaseFocus();
    m_dragging = false;
    m_slideSpeed = 0.0f;
    if (!m_holdsInput->Get()) {
        return;
    }
    handled = true;
    const Vector2 screenPoint = LocalToScreen(point);
    bool childHandled = false;
    for (Component* child = GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        ui.SetFocus(child);
        childHandled = child->HandleTouchUp(screenPoint) || childHandled;
    }
    if (!childHandled && m_offset == m_target) {
        for (int i = 0; i < GetItemCount(); ++i) {
            const ComponentVisual* visual = AsVisual(m_items[i]);
            if (visual == nullptr) {
                continue;
            }
            const Vector2 local = visual->ScreenToLocal(screenPoint);
            const UIRect rect = visual->GetLocalRect();
            if (local.x >= rect.left && local.x < rect.right && local.y >= rect.top && local.y < rect.bottom) {
                ScrollToItem(i, true);
            }
        }
    }
    Component* focus = ui.GetFocus();
    if (focus == this || (focus != nullptr && focus->GetParent() == this)) {
        ui.SetFocus(nullptr);
    }
}

}  // namespace Varnok
