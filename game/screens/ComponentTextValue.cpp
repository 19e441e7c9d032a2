// ComponentTextValue's class record.
#include "game/screens/ComponentTextValue.h"

namespace Varnok {

const ComponentClassInfo& ComponentTextValue::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentTextValue", ComponentClassInfo::kNextFreeId,
                                           &ComponentText::GetStaticClassInfo());
    return s_info;
}

ComponentTextValue::ComponentTextValue() {
    SetClassInfo(GetStaticClassInfo());
}

}  // namespace Varnok
