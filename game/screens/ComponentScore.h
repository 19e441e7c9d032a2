// The game's counting score label. The counting comes with the HUD; here is
// its class.
#pragma once

#include "engine/ui/ComponentText.h"

namespace Varnok {

class ComponentScore : public ComponentText {
public:
    ComponentScore();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
