// Named, typed UI properties: a component's settings. A property may be
// linked to a property of the same type on another component; the value of a
// linked property is the value at the end of its link chain, and setting any
// property of a chain writes the end and copies the value to every property
// linked to it, each owner whose value changed hearing of it once.
#pragma once

#include "engine/ui/UIValue.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace Varnok {

class Component;
class UIPropertyTableBase;

class UIPropertyBase {
public:
    virtual ~UIPropertyBase() = default;
    UIPropertyBase(const UIPropertyBase&) = delete;
    UIPropertyBase& operator=(const UIPropertyBase&) = delete;

    // The property's own stored value as text (after any set, equal to the
    // end of its chain).
    virtual AsciiString ToString() const = 0;
    // Parses with the type's text form and sets through the chain.
    virtual void SetFromString(const char* text) = 0;
    // The loaded value becomes the current value of the chain's end.
    virtual void StoreLoadedValue() = 0;
    // Sets the loaded value held by the chain's end.
    virtual void RestoreLoadedValue() = 0;
    virtual bool IsLinked() const = 0;

    UIPropertyType GetType() const { return m_type; }
    const AsciiString& GetName() const { return m_name; }
    int GetIndex() const { return m_index; }
    UIPropertyTableBase* GetTable() const { return m_table; }
    // The component that owns the property's table; null without one.
    Component* GetOwner() const;

protected:
    explicit UIPropertyBase(UIPropertyType type) : m_type(type) {}

    UIPropertyType m_type = UIPT_Invalid;
    AsciiString m_name;
    int m_index = -1;                       // in its table; -1 until added
    UIPropertyTableBase* m_table = nullptr;  // not owned

    template <typename T>
    friend class UIPropertyTable;
};

template <typename T>
class UIProperty final : public UIPropertyBase {
public:
    // What a linked property mirrors: a property of the same type owned by
    // `component`. Neither is owned.
    struct Link {
        Component* component = nullptr;
        UIProperty<T>* target = nullptr;
    };

    UIProperty()
        : UIPropertyBase(UIValue<T>::TypeId()),
          m_value(UIValue<T>::Default()),
          m_loadedValue(UIValue<T>::Default()) {}
    // Unlinks both ways, so that neither a target nor a dependent is left
    // pointing at a freed property.
    ~UIProperty() override;

    // The value at the end of the link chain.
    const T& Get() const { return ChainEnd()->m_value; }
    const T& GetLoadedValue() const { return m_loadedValue; }

    // Writes the chain's end when the value differs (notifying its owner),
    // then synchronises every dependent of the end, changed or not.
    void Set(const T& value);
    void NotifyOwner();
    // Copies the chain end's value into this property (notifying this
    // property's owner when it differs), then synchronises its dependents.
    void SyncFromTarget();
    void SyncDependents();
    // Mirrors target from now on; the value is not copied. A link that
    // would close a cycle is refused with a log line.
    bool LinkTo(Component* component, UIProperty<T>* target);
    void RemoveDependent(UIProperty<T>* property);

    const Link* GetLink() const { return m_link.get(); }
    const std::vector<UIProperty<T>*>& GetDependents() const { return m_dependents; }
    UIProperty<T>* ChainEnd() {
        UIProperty<T>* end = this;
        while (end->m_link != nullptr && end->m_link->target != nullptr) {
            end = end->m_link->target;
        }
        return end;
    }
    const UIProperty<T>* ChainEnd() const { return const_cast<UIProperty<T>*>(this)->ChainEnd(); }

    AsciiString ToString() const override { return UIValue<T>::ToString(m_value); }
    void SetFromString(const char* text) override { Set(UIValue<T>::FromString(text)); }
    void StoreLoadedValue() override { m_loadedValue = ChainEnd()->m_value; }
    void RestoreLoadedValue() override {
        const T loaded = ChainEnd()->m_loadedValue;
        Set(loaded);
    }
    bool IsLinked() const override { return m_link != nullptr; }

private:
    T m_value;
    T m_loadedValue;
    std::unique_ptr<Link> m_link;              // null when not linked
    std::vector<UIProperty<T>*> m_dependents;  // properties linked to this one

    template <typename U>
    friend class UIPropertyTable;
};

// Equality as property sets see it: floats component by component with !=
// (so NaN always differs), colours as packed words, strings byte-exact.
bool UIValuesEqual(bool a, bool b);
bool UIValuesEqual(const AsciiString& a, const AsciiString& b);
bool UIValuesEqual(const Vector3& a, const Vector3& b);
bool UIValuesEqual(const Vector2& a, const Vector2& b);
bool UIValuesEqual(float a, float b);
bool UIValuesEqual(const Rotation& a, const Rotation& b);
bool UIValuesEqual(int a, int b);
bool UIValuesEqual(const Colour& a, const Colour& b);

class UIPropertyTableBase {
public:
    UIPropertyTableBase() = default;
    virtual ~UIPropertyTableBase() = default;
    UIPropertyTableBase(const UIPropertyTableBase&) = delete;
    UIPropertyTableBase& operator=(const UIPropertyTableBase&) = delete;

    // Names the table after its type and sets its owner and first capacity.
    void Init(Component* owner, UIPropertyType type, unsigned capacity);

    unsigned GetCount() const { return static_cast<unsigned>(m_items.size()); }
    unsigned GetCapacity() const { return m_capacity; }
    // Requires: index < GetCount().
    UIPropertyBase* GetItem(unsigned index) const { return m_items[index].get(); }
    bool HasOwner() const { return m_owner != nullptr; }
    Component* GetOwner() const { return m_owner; }
    const AsciiString& GetName() const { return m_name; }
    UIPropertyType GetType() const { return m_type; }

    // The owner's OnPropertyChanged, when there is an owner.
    void NotifyOwner(UIPropertyBase* property);
    // The first property whose name matches without regard to letter case.
    bool FindIndex(const AsciiString& name, unsigned& outIndex) const;
    UIPropertyBase* FindItem(const AsciiString& name) const;
    // Room for n: grows to the larger of n and capacity * 3 / 2 + 1.
    void Reserve(unsigned n);

protected:
    Component* m_owner = nullptr;  // not owned
    AsciiString m_name;
    unsigned m_capacity = 0;
    UIPropertyType m_type = UIPT_Invalid;
    std::vector<std::unique_ptr<UIPropertyBase>> m_items;  // only appended
};

template <typename T>
class UIPropertyTable final : public UIPropertyTableBase {
public:
    UIProperty<T>* Get(unsigned index) const {
        return static_cast<UIProperty<T>*>(m_items[index].get());
    }
    UIProperty<T>* Find(const AsciiString& name) const {
        return static_cast<UIProperty<T>*>(FindItem(name));
    }
    // The property of that name; created with defaultValue when missing
    // (its loaded value then is the default too, and nobody is notified).
    UIProperty<T>* GetOrAdd(const AsciiString& name, const T& defaultValue) {
        unsigned index = 0;
        if (FindIndex(name, index)) {
            return Get(index);
        }
        Reserve(GetCount() + 1);
        auto property = std::make_unique<UIProperty<T>>();
        UIProperty<T>* raw = property.get();
        raw->m_name = name;
        raw->Set(defaultValue);  // no table yet: nobody hears of it
        raw->m_index = static_cast<int>(GetCount());
        raw->StoreLoadedValue();
        m_items.push_back(std::move(property));
        raw->m_table = this;
        return raw;
    }
};

template <typename T>
UIProperty<T>::~UIProperty() {
    if (m_link != nullptr && m_link->target != nullptr) {
        m_link->target->RemoveDependent(this);
    }
    for (UIProperty<T>* dependent : m_dependents) {
        dependent->m_link.reset();
    }
}

template <typename T>
void UIProperty<T>::Set(const T& value) {
    UIProperty<T>* end = ChainEnd();
    if (!UIValuesEqual(end->m_value, value)) {
        end->m_value = value;
        end->NotifyOwner();
    }
    end->SyncDependents();
}

template <typename T>
void UIProperty<T>::NotifyOwner() {
    if (m_table != nullptr) {
        m_table->NotifyOwner(this);
    }
}

template <typename T>
void UIProperty<T>::SyncFromTarget() {
    UIProperty<T>* end = ChainEnd();
    if (end != this && !UIValuesEqual(m_value, end->m_value)) {
        m_value = end->m_value;
        NotifyOwner();
    }
    SyncDependents();
}

template <typename T>
void UIProperty<T>::SyncDependents() {
    // By index: a listener may link or unlink while we walk.
    for (size_t i = 0; i < m_dependents.size(); ++i) {
        m_dependents[i]->SyncFromTarget();
    }
}

void LogRefusedPropertyLink(const AsciiString& name);

template <typename T>
bool UIProperty<T>::LinkTo(Component* component, UIProperty<T>* target) {
    if (target != nullptr && target->ChainEnd() == this) {
        LogRefusedPropertyLink(m_name);
        return false;
    }
    auto link = std::make_unique<Link>();
    link->component = component;
    link->target = target;
    if (m_link != nullptr && m_link->target != nullptr) {
        m_link->target->RemoveDependent(this);
    }
    m_link = std::move(link);
    if (target != nullptr) {
        target->m_dependents.push_back(this);
    }
    return true;
}

template <typename T>
void UIProperty<T>::RemoveDependent(UIProperty<T>* property) {
    for (auto it = m_dependents.begin(); it != m_dependents.end(); ++it) {
        if (*it == property) {
            m_dependents.erase(it);
            return;
        }
    }
}

}  // namespace Varnok
