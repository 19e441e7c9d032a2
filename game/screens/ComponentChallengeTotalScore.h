// The challenge run's running total: a challenge score that starts from the
// total before the round. The counting comes with the challenge screens.
#pragma once

#include "game/screens/ComponentChallengeScore.h"

namespace Varnok {

class ComponentChallengeTotalScore : public ComponentChallengeScore {
public:
    ComponentChallengeTotalScore();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
