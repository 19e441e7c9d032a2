// A component's side of input: whether it takes input, collecting the
// components under a point or answering a key, hit tests, touch and key
// events, and focus notifications.
#include "engine/ui/Component.h"

#include "engine/ui/UIManager.h"

namespace Varnok {

bool Component::TakesInput() const {
    if (!IsActive()) {
        return false;
    }
    // The UI root is the screens' holder, not an element: a plain component
    // whose "inputEnabled" stays false, so the walk stops below it.
    UIManager& ui = UIManager::Get();
    const Component* root = ui.GetRoot();
    for (const Component* c = this; c != nullptr && c != root; c = c->m_parent) {
        if (!c->m_inputEnabled->Get()) {
            return false;
        }
    }
    return (m_effectiveUpdateMask & ui.GetUpdateMask()) != 0;
}

void Component::InsertByLayer(std::vector<Component*>& list) {
    if (list.empty() || m_effectiveLayer >= list.back()->m_effectiveLayer) {
        list.push_back(this);
        return;
    }
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->m_effectiveLayer > m_effectiveLayer) {
            list.insert(it, this);
            return;
        }
    }
    list.push_back(this);
}

bool Component::CollectComponentsAtPoint(const Vector2& point, std::vector<Component*>& list) {
    if (!TakesInput()) {
        return false;
    }
    bool added = false;
    if (ContainsPoint(point)) {
        InsertByLayer(list);
        added = true;
    }
    for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        added = child->CollectComponentsAtPoint(point, list) || added;
    }
    return added;
}

bool Component::CollectComponentsForKey(const InputEvent& key, std::vector<Component*>& list) {
    if (!TakesInput()) {
        return false;
    }
    bool added = false;
    if (MatchesKey(key)) {
        InsertByLayer(list);
        added = true;
    }
    for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        added = child->CollectComponentsForKey(key, list) || added;
    }
    return added;
}

bool Component::HitTest(const Vector2& point, Component** out) {
    if (!TakesInput()) {
        return false;
    }
    if (BlocksInputFromGame() && ContainsPoint(point)) {
        if (out != nullptr) {
            *out = this;
        }
        return true;
    }
    for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        if (child->HitTest(point, out)) {
            return true;
        }
    }
    return false;
}

bool Component::FindChildAtPoint(const Vector2& point, Component** out) const {
    Component* found = nullptr;
    for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        if (child->ContainsPoint(point)) {
            found = child;
        }
    }
    if (found != nullptr && out != nullptr) {
        *out = found;
    }
    return found != nullptr;
}

bool Component::RaiseTouch(TouchEvent& event, const Vector2& screenPoint) {
    const Vector2 local = ScreenToLocal(screenPoint);
    bool handled = false;
    event.Raise(local, handled);
    return handled;
}

bool Component::HandleTouchDown(const Vector2& point, bool obscured) {
    if (!TakesInput()) {
        return false;
    }
    return RaiseTouch(obscured ? OnTouchDownObscuredEvent : OnTouchDownEvent, point);
}

bool Component::HandleTouchDownOutside(const Vector2& point) {
    if (!TakesInput() || !HasFocus()) {
        return false;
    }
    const Vector2 local = ScreenToLocal(point);
    bool handled = false;
    if (OnTouchDownOutsideEvent.Raise(local, handled) && handled) {
        return true;
    }
    ReleaseFocus();
    return false;
}

bool Component::HandleTouchMoved(const Vector2& point) {
    if (!TakesInput()) {
        return false;
    }
    return RaiseTouch(ContainsPoint(point) ? OnTouchMovedEvent : OnTouchMovedOutsideEvent, point);
}

bool Component::HandleTouchUp(const Vector2& point) {
    if (TakesInput()) {
        TouchEvent& event = ContainsPoint(point) ? OnTouchUpEvent : OnTouchUpHeldOutsideEvent;
        const Vector2 local = ScreenToLocal(point);
        bool handled = false;
        if (event.Raise(local, handled) && handled) {
            return true;
        }
    }
    ReleaseFocus();
    return false;
}

bool Component::HandleKeyEvent(InputEvent& event) {
    if (!TakesInput()) {
        return false;
    }
    bool handled = false;
    m_keyEvent.Raise(event, handled);
    return handled;
}

void Component::SetFocus() { UIManager::Get().SetFocus(this); }

bool Component::HasFocus() const { return UIManager::Get().GetFocus() == this; }

bool Component::ContainsFocus() const {
    for (const Component* c = UIManager::Get().GetFocus(); c != nullptr; c = c->m_parent) {
        if (c == this) {
            return true;
        }
    }
    return false;
}

void Component::ReleaseFocus() {
    UIManager& ui = UIManager::Get();
    if (ui.GetFocus() == this) {
        ui.ClearFocus(this);
    }
}

void Component::OnFocusLost() {
    m_bHasFocus = false;
    bool handled = false;
    OnFocusLostEvent.Raise(handled);
}

void Component::OnFocusGained() {
    m_bHasFocus = true;
    bool handled = false;
    OnFocusGainedEvent.Raise(handled);
}

}  // namespace Varnok
