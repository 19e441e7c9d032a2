// A UI screen: a child of the UI root that holds one screen's components.
#pragma once

#include "engine/ui/Component.h"

namespace Varnok {

class ComponentScreen : public Component {
public:
    ComponentScreen();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
