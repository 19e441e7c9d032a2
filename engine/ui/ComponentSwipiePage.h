// A page of a swipe pane: a visual with a free "dataSourceIndex" for the
// screens, and its place in its pane.
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentSwipie;

class ComponentSwipiePage : public ComponentVisual {
public:
    ComponentSwipiePage();

    static const ComponentClassInfo& GetStaticClassInfo();

    int GetPageIndex() const { return m_pageIndex; }
    void SetPageIndex(int index) { m_pageIndex = index; }
    // Null before a pane took the page.
    ComponentSwipie* GetOwner() const { return m_owner; }
    void SetOwner(ComponentSwipie* owner) { m_owner = owner; }
    bool IsSizeProperty(const UIPropertyBase* property) const {
        return property == m_width || property == m_height;
    }
    Vector3 GetScale() const { return m_scale->Get(); }
    UIProperty<Vector3>& PositionProperty() { return *m_position; }
    UIProperty<Colour>& ColourProperty() { return *m_colour; }

private:
    int m_pageIndex = -1;
    ComponentSwipie* m_owner = nullptr;  // not owned
};

}  // namespace Varnok
