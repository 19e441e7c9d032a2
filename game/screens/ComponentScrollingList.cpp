// ComponentScrollingList's class record.
#include "game/screens/ComponentScrollingList.h"

namespace Varnok {

const ComponentClassInfo& ComponentScrollingList::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentScrollingList", ComponentClassInfo::kNextFreeId,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentScrollingList::ComponentScrollingList() {
    SetClassInfo(GetStaticClassInfo());
}

}  // namespace Varnok
