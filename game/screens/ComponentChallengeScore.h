// A challenge screen's score text that counts its shown number up with a tick.
// The counting comes with the challenge screens; here is its class.
#pragma once

#include "engine/ui/ComponentText.h"

namespace Varnok {

class ComponentChallengeScore : public ComponentText {
public:
    ComponentChallengeScore();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
