// ComponentChallengeScore's class record.
#include "game/screens/ComponentChallengeScore.h"

namespace Varnok {

const ComponentClassInfo& ComponentChallengeScore::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentChallengeScore", ComponentClassInfo::kNextFreeId,
                                           &ComponentText::GetStaticClassInfo());
    return s_info;
}

ComponentChallengeScore::ComponentChallengeScore() {
    SetClassInfo(GetStaticClassInfo());
}

}  // namespace Varnok
