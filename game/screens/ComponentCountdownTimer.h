// The challenge HUD's clock face, registered as "ComponentTimer" before the
// UI manager's built-ins so layouts naming that class get this one. Its
// drawing comes with the challenge HUD; here is its class.
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentCountdownTimer : public ComponentVisual {
public:
    ComponentCountdownTimer();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
