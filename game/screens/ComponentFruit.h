// A menu choice shown as a live fruit that the player slices. The hosted
// fruit comes with the menus; here is its class, which draws nothing itself.
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentFruit : public ComponentVisual {
public:
    ComponentFruit();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
