// An invisible component that names a reaction: firing it runs its
// "OnTrigger" event and then tells the UI manager's trigger listeners.
#pragma once

#include "engine/ui/Component.h"

namespace Varnok {

class ComponentTrigger : public Component {
public:
    ComponentTrigger();

    static const ComponentClassInfo& GetStaticClassInfo();

    // The event's commands, its listeners when the commands ran to the end,
    // then the manager's trigger listeners whatever the commands did.
    void Fire();

    PlainEvent OnTrigger{this};

private:
    UIProperty<AsciiString>* m_triggerPacket;  // carried for whoever handles it
};

}  // namespace Varnok
