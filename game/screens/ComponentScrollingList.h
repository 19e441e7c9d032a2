// The game's own list of rows laid end to end and moved together by a scroll
// offset. The motion comes with the shop and news screens; here is its class.
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentScrollingList : public ComponentVisual {
public:
    ComponentScrollingList();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
