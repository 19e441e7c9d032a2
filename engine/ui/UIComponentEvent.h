// A component's event: the scripted command list bound to it and the native
// listeners. Raising runs the commands first; the listeners are called only
// when the commands ran to the end.
#pragma once

#include "engine/core/EventList.h"
#include "engine/ui/UiActionList.h"

namespace Varnok {

class Component;

class UIComponentEventBase : public UiActionList {
public:
    explicit UIComponentEventBase(Component* sender) : UiActionList(sender) {}
    Component* GetSender() const { return GetOwner(); }
};

// Listeners receive the sender followed by Args.
template <typename... Args>
class UIComponentEvent final : public UIComponentEventBase {
public:
    using Listeners = ListenerList<Component*, Args...>;
    using Listener = typename Listeners::DelegateType;

    explicit UIComponentEvent(Component* sender) : UIComponentEventBase(sender) {}

    void AddListener(const Listener& listener) { m_listeners.Add(listener); }
    void RemoveListener(const Listener& listener) { m_listeners.Remove(listener); }
    Listeners& GetListeners() { return m_listeners; }

    // False when the command list stopped (no listener was called).
    bool Raise(Args... args) {
        if (!Run()) {
            return false;
        }
        m_listeners.Invoke(GetSender(), args...);
        return true;
    }

private:
    Listeners m_listeners;
};

}  // namespace Varnok
