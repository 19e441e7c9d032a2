// A two-state button: each completed press flips "checked", which shows the
// child "enabledTexture" (checked) or "disabledTexture" (unchecked) and fires
// the check events. Its first state may come from a registered variable
// named by "initStateVar".
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentButtonToggle : public ComponentVisual {
public:
    // Handlers get the new state and may change it: a different value is
    // written back to "checked" after the dispatch.
    using CheckChangedEvent = UIComponentEvent<bool*>;
    using ToggleEvent = UIComponentEvent<>;

    ComponentButtonToggle();

    static const ComponentClassInfo& GetStaticClassInfo();

    void OnFinishedLoading() override;
    void OnPropertyChanged(UIPropertyBase* property) override;

    void ShowPressed();
    void ShowReleased();
    // Sizes the two image children after the toggle, then shows one.
    void UpdateLook();
    void ShowCheckedChildren();

    bool IsChecked() const { return m_checked->Get(); }
    bool IsPressed() const { return m_pressed; }
    // Null when the child is missing.
    Component* GetCheckedImage() const { return m_checkedImage; }
    Component* GetUncheckedImage() const { return m_uncheckedImage; }

    CheckChangedEvent OnCheckChanged{this};
    ToggleEvent OnToggleOn{this};
    ToggleEvent OnToggleOff{this};

protected:
    // Active, enabled, and input enabled up to the root.
    bool GateOpen() const { return TakesInput(); }
    UIProperty<bool>* GetCheckedProperty() const { return m_checked; }

private:
    // "checked" from the variable "initStateVar" names; unchanged when the
    // name answers nothing.
    void LoadInitialState();
    void OnTouchDown(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUp(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUpOutside(Component* sender, const Vector2& point, bool& handled);
    void OnTouchMovedOutside(Component* sender, const Vector2& point, bool& handled);
    void OnFocusLostHandler(Component* sender, bool& handled);

    UIProperty<bool>* m_checked;
    UIProperty<Colour>* m_normalColour;
    UIProperty<Colour>* m_pressedColour;
    bool m_pressed = false;
    bool m_imagesSearched = false;
    Component* m_checkedImage = nullptr;    // "enabledTexture"; owned by the tree
    Component* m_uncheckedImage = nullptr;  // "disabledTexture"; owned by the tree
};

}  // namespace Varnok
