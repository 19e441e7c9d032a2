// A scrolling list of leaderboard rows. The rows come with the results
// screens; here is its class.
#pragma once

#include "game/screens/ComponentScrollingList.h"

namespace Varnok {

class ComponentLeaderboard : public ComponentScrollingList {
public:
    ComponentLeaderboard();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
