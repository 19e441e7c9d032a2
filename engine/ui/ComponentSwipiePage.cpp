// ComponentSwipiePage's class record and property.
#include "engine/ui/ComponentSwipiePage.h"

namespace Varnok {

const ComponentClassInfo& ComponentSwipiePage::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentSwipiePage", ComponentClassInfo::kNextFreeId,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentSwipiePage::ComponentSwipiePage() {
    SetClassInfo(GetStaticClassInfo());
    // Free for screens and commands; the pane never reads it.
    GetOrAddProperty<int>(AsciiString("dataSourceIndex"), -1);
}

}  // namespace Varnok
