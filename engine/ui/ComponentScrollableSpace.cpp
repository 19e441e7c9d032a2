// ComponentScrollableSpace's class record.
#include "engine/ui/ComponentScrollableSpace.h"

namespace Varnok {

const ComponentClassInfo& ComponentScrollableSpace::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentScrollableSpace", ComponentClassId::ScrollableSpace,
                                           &Component::GetStaticClassInfo());
    return s_info;
}

ComponentScrollableSpace::ComponentScrollableSpace() { SetClassInfo(GetStaticClassInfo()); }

}  // namespace Varnok
