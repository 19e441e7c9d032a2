// A menu choice shown as a live fruit that the player slices. The element
// carries the hosted object's settings as properties; the placement rules
// that put a world object at the element and give it its menu spin are
// here. Hosting the object itself (creation, slicing, the sliced event)
// comes with the menus that slice it.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentFruit : public ComponentVisual {
public:
    ComponentFruit();

    static const ComponentClassInfo& GetStaticClassInfo();

    // The hosted object is drawn by the world.
    void Draw() override {}

    // "respondsToBackButton" from the definition or the screen file; false
    // when neither gives it.
    bool RespondsToBackButton() const;

    // A menu fruit's spin from the spin its launch gave it: a fifth of it,
    // at least 0.75 about x and 0.5 about y (keeping the sign, 0 counting as
    // positive), z unchanged.
    static Vector3 MenuSpinFromLaunch(const Vector3& launchSpin);
    // A UI position (workspace units, y down) on a UI screen of that size in
    // logical game units (y up, centred); z unchanged.
    static Vector3 UiToLogical(const Vector3& uiPosition, const Vector2& uiScreenSize);

private:
    UIProperty<AsciiString>* m_fruitType;
    UIProperty<float>* m_fruitScale;
    UIProperty<Rotation>* m_rotationSpeed;
    UIProperty<bool>* m_recreate;
    UIProperty<bool>* m_tutorialStart;
    UIProperty<Vector3>* m_shadowOffset;
};

}  // namespace Varnok
