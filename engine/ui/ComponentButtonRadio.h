// A toggle that belongs to a numbered group of the UI manager.
#pragma once

#include "engine/ui/ComponentButtonToggle.h"

namespace Varnok {

// A toggle in a numbered group kept by the UI manager: checking one radio
// unchecks the others of its group. A negative "groupId" means no group.
class ComponentButtonRadio : public ComponentButtonToggle {
public:
    ComponentButtonRadio();
    ~ComponentButtonRadio() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    void OnCreated() override;

    // Moves the radio to the list of its current "groupId".
    void UpdateGroupMembership();
    void LeaveGroup();
    int32_t GetCurrentGroup() const { return m_currentGroup; }

private:
    void OnOwnPropertyChanged(Component* sender, UIPropertyBase* property, bool& handled);

    UIProperty<int>* m_groupId;
    int32_t m_currentGroup = -1;  // -1: in no group's list
};

}  // namespace Varnok
