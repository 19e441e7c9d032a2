// Tells the game where the shared scrolling background should sit for the screen that carries it.
// Its motion comes with the menus; here is its class.
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentBackgroundControl : public ComponentVisual {
public:
    ComponentBackgroundControl();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
