// ComponentCountdownTimer's class record.
#include "game/screens/ComponentCountdownTimer.h"

namespace Varnok {

const ComponentClassInfo& ComponentCountdownTimer::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentCountdownTimer", ComponentClassInfo::kNextFreeId,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentCountdownTimer::ComponentCountdownTimer() {
    SetClassInfo(GetStaticClassInfo());
}

}  // namespace Varnok
