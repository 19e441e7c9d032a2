// The one definition of a component class: its properties with types and
// defaults, aliases to prefab children's properties, prefab children and an
// optional base definition. Owned by the UI manager; read once from
// "<root>/components/<class>.xml" (lower case) on first use.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/ui/UIValue.h"

#include <memory>
#include <vector>

class TiXmlElement;

namespace Varnok {

class ComponentDesc;

// A property of a prefab child that a defined property stands for.
struct UIPropertyAlias {
    AsciiString m_childPath;  // dotted id path below the component; may be empty
    AsciiString m_property;   // the child's property
};

class UIPropertyDefinition {
public:
    virtual ~UIPropertyDefinition() = default;

    AsciiString m_name;
    AsciiString m_category;
    AsciiString m_dropDownSource;
    std::vector<UIPropertyAlias> m_aliases;
    bool m_bHasDefault = false;
    UIPropertyType m_type = UIPT_Invalid;

protected:
    explicit UIPropertyDefinition(UIPropertyType type) : m_type(type) {}
};

template <typename T>
class UITypedPropertyDefinition final : public UIPropertyDefinition {
public:
    UITypedPropertyDefinition() : UIPropertyDefinition(UIValue<T>::TypeId()) {}

    T m_default = UIValue<T>::Default();
    std::vector<T> m_items;  // drop-down choices in file order
};

class ComponentDefinition {
public:
    explicit ComponentDefinition(const AsciiString& className);
    ~ComponentDefinition();
    ComponentDefinition(const ComponentDefinition&) = delete;
    ComponentDefinition& operator=(const ComponentDefinition&) = delete;

    // The class name exactly as registered or asked for.
    const AsciiString& GetName() const { return m_name; }
    void SetName(const AsciiString& name) { m_name = name; }
    // Null when the definition names no base.
    ComponentDefinition* GetBaseDefinition() const { return m_baseDefinition; }
    void SetBaseDefinition(ComponentDefinition* base) { m_baseDefinition = base; }
    bool IsLoaded() const { return m_bLoaded; }
    bool IsLoading() const { return m_bLoading; }

    // Reads the definition file through the UI manager's root path; a missing
    // or malformed file leaves the definition empty. Marks it loaded.
    void Load();
    // The same from an element already parsed; the first element must be
    // "componentDefinition".
    void ReadXml(const TiXmlElement* root);

    int GetPropertyDefinitionCount() const { return static_cast<int>(m_propertyDefinitions.size()); }
    // Requires: index < GetPropertyDefinitionCount().
    UIPropertyDefinition* GetPropertyDefinition(int index) const {
        return m_propertyDefinitions[static_cast<size_t>(index)].get();
    }
    // Last to first, then the bases' likewise; outHolder (may be null) gets
    // the definition of the chain that holds the match. Null-safe.
    static UIPropertyDefinition* FindPropertyDefinition(const ComponentDefinition* definition,
                                                        const AsciiString& name,
                                                        const ComponentDefinition** outHolder);
    UIPropertyDefinition* FindPropertyDefinition(const AsciiString& name) const {
        return FindPropertyDefinition(this, name, nullptr);
    }
    bool HasPropertyDefinition(const AsciiString& name) const {
        return FindPropertyDefinition(name) != nullptr;
    }
    // The class definition of the prefab child the dotted path names, in this
    // definition's prefabs and then its bases'; null when none.
    ComponentDefinition* FindPrefabChildDefinition(const AsciiString& path) const;
    // The default of a property as T, following aliases into prefab
    // children; outFound tells whether a definition supplied it.
    template <typename T>
    T GetDefault(const AsciiString& name, bool& outFound) const;

    // Calls f(property definition) in lookup order over the whole chain.
    template <typename F>
    void ForEachPropertyDefinition(F&& f) const;

    const std::vector<std::unique_ptr<ComponentDesc>>& GetPrefabs() const { return m_prefabs; }
    const std::vector<std::unique_ptr<ComponentDesc>>& GetEditorPrefabs() const {
        return m_editorPrefabs;
    }

private:
    template <typename T>
    T GetDefaultAtDepth(const AsciiString& name, bool& outFound, int depth) const;
    void ReadPropertyDefinition(const TiXmlElement& element);
    // How many definitions a base chain may hold before it counts as a cycle.
    static constexpr int kMaxChain = 64;

    AsciiString m_name;
    std::vector<std::unique_ptr<UIPropertyDefinition>> m_propertyDefinitions;
    ComponentDefinition* m_baseDefinition = nullptr;  // not owned
    bool m_bLoaded = false;   // the file was read (or found missing); never cleared
    bool m_bLoading = false;  // the file is being read now
    std::vector<std::unique_ptr<ComponentDesc>> m_prefabs;
    std::vector<std::unique_ptr<ComponentDesc>> m_editorPrefabs;
};

template <typename F>
void ComponentDefinition::ForEachPropertyDefinition(F&& f) const {
    int depth = 0;
    for (const ComponentDefinition* d = this; d != nullptr && depth < kMaxChain;
         d = d->m_baseDefinition, ++depth) {
        for (size_t i = d->m_propertyDefinitions.size(); i-- > 0;) {
            f(*d->m_propertyDefinitions[i]);
        }
    }
}

template <typename T>
T ComponentDefinition::GetDefault(const AsciiString& name, bool& outFound) const {
    return GetDefaultAtDepth<T>(name, outFound, 0);
}

template <typename T>
T ComponentDefinition::GetDefaultAtDepth(const AsciiString& name, bool& outFound,
                                         int depth) const {
    outFound = false;
    const UIPropertyDefinition* found = FindPropertyDefinition(this, name, nullptr);
    if (found == nullptr || found->m_type != UIValue<T>::TypeId()) {
        return UIValue<T>::Default();
    }
    const auto* typed = static_cast<const UITypedPropertyDefinition<T>*>(found);
    if (typed->m_bHasDefault) {
        outFound = true;
        return typed->m_default;
    }
    // Aliases may lead through prefab classes back here; a few levels are
    // all real definitions use.
    if (depth >= 8) {
        return UIValue<T>::Default();
    }
    for (const UIPropertyAlias& alias : typed->m_aliases) {
        if (alias.m_childPath.IsEmpty()) {
            continue;
        }
        const ComponentDefinition* child = FindPrefabChildDefinition(alias.m_childPath);
        if (child == nullptr) {
            continue;
        }
        bool childFound = false;
        T value = child->GetDefaultAtDepth<T>(alias.m_property, childFound, depth + 1);
        if (childFound) {
            outFound = true;
            return value;
        }
    }
    return UIValue<T>::Default();
}

}  // namespace Varnok
