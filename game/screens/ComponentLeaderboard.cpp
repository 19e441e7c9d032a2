// ComponentLeaderboard's class record.
#include "game/screens/ComponentLeaderboard.h"

namespace Varnok {

const ComponentClassInfo& ComponentLeaderboard::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentLeaderboard", ComponentClassInfo::kNextFreeId,
                                           &ComponentScrollingList::GetStaticClassInfo());
    return s_info;
}

ComponentLeaderboard::ComponentLeaderboard() {
    SetClassInfo(GetStaticClassInfo());
}

}  // namespace Varnok
