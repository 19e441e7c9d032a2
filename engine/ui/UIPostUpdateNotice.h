// Work queued with the UI manager during its update pass and run after it:
// finished-animation notices and the command lists of event keyframes.
#pragma once

#include "engine/ui/UiActionList.h"

namespace Varnok {

class Component;

class UIPostUpdateNotice {
public:
    explicit UIPostUpdateNotice(Component* sender) : m_sender(sender) {}
    virtual ~UIPostUpdateNotice() = default;
    UIPostUpdateNotice(const UIPostUpdateNotice&) = delete;
    UIPostUpdateNotice& operator=(const UIPostUpdateNotice&) = delete;

    virtual void Run() = 0;

    Component* GetSender() const { return m_sender; }
    void SetSender(Component* sender) { m_sender = sender; }

private:
    Component* m_sender;  // not owned; may be null
};

// An event keyframe's command list; it belongs to its animation.
class UICommandListNotice final : public UIPostUpdateNotice {
public:
    explicit UICommandListNotice(Component* owner) : UIPostUpdateNotice(owner), m_list(owner) {}

    void Run() override { m_list.Run(); }

    UiActionList& GetList() { return m_list; }
    const UiActionList& GetList() const { return m_list; }
    void SetOwner(Component* owner) {
        SetSender(owner);
        m_list.SetOwner(owner);
    }

private:
    UiActionList m_list;
};

}  // namespace Varnok
