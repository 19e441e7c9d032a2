// ComponentScore's class record.
#include "game/screens/ComponentScore.h"

namespace Varnok {

const ComponentClassInfo& ComponentScore::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentScore", ComponentClassInfo::kNextFreeId,
                                           &ComponentText::GetStaticClassInfo());
    return s_info;
}

ComponentScore::ComponentScore() {
    SetClassInfo(GetStaticClassInfo());
}

}  // namespace Varnok
