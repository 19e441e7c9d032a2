// A text that shows a named game value. The values come with the menus;
// here is its class.
#pragma once

#include "engine/ui/ComponentText.h"

namespace Varnok {

class ComponentTextValue : public ComponentText {
public:
    ComponentTextValue();

    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
