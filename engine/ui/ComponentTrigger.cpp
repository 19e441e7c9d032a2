#include "engine/ui/ComponentTrigger.h"

#include "engine/ui/UIManager.h"

namespace Varnok {

const ComponentClassInfo& ComponentTrigger::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentTrigger", ComponentClassInfo::kNextFreeId,
                                           &Component::GetStaticClassInfo());
    return s_info;
}

ComponentTrigger::ComponentTrigger()
    : m_triggerPacket(GetOrAddProperty<AsciiString>(AsciiString("triggerPacket"), AsciiString())) {
    SetClassInfo(GetStaticClassInfo());
    RegisterEvent(AsciiString("OnTrigger"), &OnTrigger);
}

void ComponentTrigger::Fire() {
    OnTrigger.Raise();
    UIManager::Get().TriggerFiredListeners().Invoke(this);
}

}  // namespace Varnok
