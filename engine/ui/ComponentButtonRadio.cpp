// Group membership and exclusivity of the radio button.
#include "engine/ui/ComponentButtonRadio.h"

#include "engine/ui/UIManager.h"

#include <algorithm>

namespace Varnok {

const ComponentClassInfo& ComponentButtonRadio::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentButtonRadio", ComponentClassId::ButtonRadio,
                                           &ComponentButtonToggle::GetStaticClassInfo());
    return s_info;
}

ComponentButtonRadio::ComponentButtonRadio()
    : m_groupId(GetOrAddProperty<int>(AsciiString("groupId"), 0)) {
    SetClassInfo(GetStaticClassInfo());
    OnPropertyChangedEvent.AddListener(
        PropertyChangedEvent::Listener(this, &ComponentButtonRadio::OnOwnPropertyChanged));
}

ComponentButtonRadio::~ComponentButtonRadio() { LeaveGroup(); }

void ComponentButtonRadio::Update(float dt) {
    ComponentButtonToggle::Update(dt);
    UpdateGroupMembership();
}

void ComponentButtonRadio::OnCreated() {
    ComponentButtonToggle::OnCreated();
    UpdateGroupMembership();
}

void ComponentButtonRadio::UpdateGroupMembership() {
    const int32_t group = m_groupId->Get();
    if (group == m_currentGroup) {
        return;
    }
    UIManager& ui = UIManager::Get();
    if (m_currentGroup >= 0) {
        std::vector<Component*>& members = ui.GetRadioGroup(m_currentGroup);
        members.erase(std::remove(members.begin(), members.end(), this), members.end());
    }
    if (group >= 0) {
        ui.GetRadioGroup(group).push_back(this);
    }
    m_currentGroup = group;
}

void ComponentButtonRadio::LeaveGroup() {
    if (m_currentGroup < 0) {
        return;
    }
    std::vector<Component*>& members = UIManager::Get().GetRadioGroup(m_currentGroup);
    members.erase(std::remove(members.begin(), members.end(), this), members.end());
    m_currentGroup = -1;
}

void ComponentButtonRadio::OnOwnPropertyChanged(Component*, UIPropertyBase* property, bool&) {
    if (!IsLoaded()) {
        return;
    }
    if (property == m_groupId) {
        UpdateGroupMembership();
        return;
    }
    if (property != GetCheckedProperty() || !IsChecked() || m_groupId->Get() < 0) {
        return;
    }
    // A copy: unchecking a member runs its handlers, which may change the list.
    const std::vector<Component*> members = UIManager::Get().GetRadioGroup(m_groupId->Get());
    for (Component* member : members) {
        if (member == this || !member->IsKindOf(GetStaticClassInfo())) {
            continue;
        }
        auto* other = static_cast<ComponentButtonRadio*>(member);
        if (!other->GateOpen() || !other->IsChecked()) {
            continue;
        }
        other->GetCheckedProperty()->Set(false);
        bool value = false;
        other->OnCheckChanged.Raise(&value);
        if (Component* image = other->FindChild(AsciiString("disabledTexture"))) {
            image->GetOrAddProperty<Colour>(AsciiString("colour"), kColourWhite)->Set(kColourWhite);
        }
    }
}

}  // namespace Varnok
