// The screen class's record and factory.
#include "engine/ui/ComponentScreen.h"

namespace Varnok {

const ComponentClassInfo& ComponentScreen::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentScreen", ComponentClassId::Screen,
                                           &Component::GetStaticClassInfo());
    return s_info;
}

ComponentScreen::ComponentScreen() { SetClassInfo(GetStaticClassInfo()); }

}  // namespace Varnok
