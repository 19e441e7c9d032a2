// ComponentChallengeTotalScore's class record.
#include "game/screens/ComponentChallengeTotalScore.h"

namespace Varnok {

const ComponentClassInfo& ComponentChallengeTotalScore::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentChallengeTotalScore", ComponentClassInfo::kNextFreeId,
                                           &ComponentChallengeScore::GetStaticClassInfo());
    return s_info;
}

ComponentChallengeTotalScore::ComponentChallengeTotalScore() {
    SetClassInfo(GetStaticClassInfo());
}

}  // namespace Varnok
