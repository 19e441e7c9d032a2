// The content container of a scrolling pane: a plain visual whose children
// (pages, rows) are placed in content coordinates; the pane scrolls by
// moving it.
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentScrollableSpace : public ComponentVisual {
public:
    ComponentScrollableSpace();

    // Its registered parent is Component, so it does not test as a
    // ComponentVisual by class chain even though it is one.
    static const ComponentClassInfo& GetStaticClassInfo();
};

}  // namespace Varnok
