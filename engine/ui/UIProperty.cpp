// The untyped half of properties and tables.
#include "engine/ui/UIProperty.h"

#include "engine/core/Log.h"
#include "engine/ui/Component.h"

namespace Varnok {

Component* UIPropertyBase::GetOwner() const {
    return m_table != nullptr ? m_table->GetOwner() : nullptr;
}

void LogRefusedPropertyLink(const AsciiString& name) {
    Log("UIProperty: linking \"%s\" would close a cycle; not linked", name.c_str());
}

bool UIValuesEqual(bool a, bool b) { return a == b; }
bool UIValuesEqual(const AsciiString& a, const AsciiString& b) { return a.Equals(b); }
bool UIValuesEqual(const Vector3& a, const Vector3& b) {
    return !(a.x != b.x || a.y != b.y || a.z != b.z);
}
bool UIValuesEqual(const Vector2& a, const Vector2& b) { return !(a.x != b.x || a.y != b.y); }
bool UIValuesEqual(float a, float b) { return !(a != b); }
bool UIValuesEqual(const Rotation& a, const Rotation& b) {
    return !(a.x != b.x || a.y != b.y || a.z != b.z);
}
bool UIValuesEqual(int a, int b) { return a == b; }
bool UIValuesEqual(const Colour& a, const Colour& b) { return a.GetPacked() == b.GetPacked(); }

void UIPropertyTableBase::Init(Component* owner, UIPropertyType type, unsigned capacity) {
    m_owner = owner;
    m_type = type;
    m_name = GetUIPropertyTypeName(type);
    Reserve(capacity);
}

void UIPropertyTableBase::NotifyOwner(UIPropertyBase* property) {
    if (m_owner != nullptr) {
        m_owner->OnPropertyChanged(property);
    }
}

bool UIPropertyTableBase::FindIndex(const AsciiString& name, unsigned& outIndex) const {
    for (unsigned i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->GetName().EqualsNoCase(name)) {
            outIndex = i;
            return true;
        }
    }
    return false;
}

UIPropertyBase* UIPropertyTableBase::FindItem(const AsciiString& name) const {
    unsigned index = 0;
    return FindIndex(name, index) ? m_items[index].get() : nullptr;
}

void UIPropertyTableBase::Reserve(unsigned n) {
    if (m_capacity >= n) {
        return;
    }
    const unsigned grown = m_capacity * 3 / 2 + 1;
    m_capacity = n > grown ? n : grown;
    m_items.reserve(m_capacity);
}

}  // namespace Varnok
