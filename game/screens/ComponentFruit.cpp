// ComponentFruit's class record.
#include "game/screens/ComponentFruit.h"

namespace Varnok {

const ComponentClassInfo& ComponentFruit::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentFruit", ComponentClassInfo::kNextFreeId,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentFruit::ComponentFruit() {
    SetClassInfo(GetStaticClassInfo());
}

}  // namespace Varnok
