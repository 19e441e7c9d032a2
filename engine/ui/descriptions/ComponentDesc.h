// A description node: what to build for one component (class, id, values
// per SKU, animations per SKU, event command lists). Nodes form a tree of
// their own that mirrors the component tree; a node owns its children.
#pragma once

#include "engine/core/NameMap.h"
#include "engine/ui/UiActionList.h"
#include "engine/ui/descriptions/UIDescValues.h"
#include "engine/ui/descriptions/UIPerType.h"

#include <cstdint>
#include <memory>
#include <vector>

class TiXmlElement;

namespace Varnok {

class ComponentDefinition;
struct UIBinaryComponent;
struct UIScreenFile;

class ComponentDesc {
public:
    ComponentDesc() = default;
    explicit ComponentDesc(bool isScreen) : m_bIsScreen(isScreen ? 1 : 0) {}
    // Destroys the children, first to last. Does not unlink this node from
    // its parent: the owner unlinks it first when the parent lives on.
    ~ComponentDesc();
    ComponentDesc(const ComponentDesc&) = delete;
    ComponentDesc& operator=(const ComponentDesc&) = delete;

    static ComponentDesc* Create() { return new ComponentDesc(); }
    // A "ComponentScreen" node with its definition resolved.
    static ComponentDesc* CreateScreen();

    // ---- tree ----
    // Unlinks child from wherever it hangs and appends it.
    void AppendChild(ComponentDesc* child);
    // Before `before`, which must be a child of this node; appended when
    // before is null.
    void InsertChildBefore(ComponentDesc* child, ComponentDesc* before);
    // The child at index (from 0), or null when there are fewer.
    ComponentDesc* GetChildAt(int index) const;
    int GetChildCount() const;
    // Unlinks from the parent; nothing for a root.
    void Detach();

    ComponentDesc* GetParent() const { return m_parent; }
    ComponentDesc* GetFirstChild() const { return m_firstChild; }
    ComponentDesc* GetLastChild() const { return m_lastChild; }
    ComponentDesc* GetNextSibling() const { return m_nextSibling; }
    ComponentDesc* GetPrevSibling() const { return m_prevSibling; }

    // The first segment matches the roots' ids without letter case (the last
    // match wins), the rest goes down the match's children likewise.
    static ComponentDesc* FindChildByPath(const AsciiString& path,
                                          const std::vector<std::unique_ptr<ComponentDesc>>& roots);
    // The rest of a path below this node.
    ComponentDesc* FindDescendantByPath(const char* path) const;

    // ---- class and identity ----
    const AsciiString& GetClassName() const { return m_className; }
    void SetClassName(const AsciiString& name);
    // Definition and screen mark from the class name.
    void ResolveDefinition();
    const AsciiString& GetId() const { return m_id; }
    void SetId(const AsciiString& id) { m_id = id; }
    bool IsScreen() const { return m_bIsScreen != 0; }
    ComponentDefinition* GetDefinition() const { return m_definition; }
    bool IsInDefinition() const { return m_inDefinition != 0; }
    void SetInDefinition(bool inDefinition) { m_inDefinition = inDefinition ? 1 : 0; }
    const AsciiString& GetVersion() const { return m_version; }
    void SetVersion(const AsciiString& version) { m_version = version; }
    bool IsSerialisable() const { return m_bSerialisable != 0; }
    void SetSerialisable(bool serialisable) { m_bSerialisable = serialisable ? 1 : 0; }
    int32_t GetFileChangeIndex() const { return m_fileChangeIndex; }
    int32_t GetChangeIndex() const { return m_changeIndex; }
    void SetChangeIndex(int32_t index) { m_changeIndex = index; }

    // ---- values ----
    template <typename T>
    UIDescPropertyMap<T>& Properties() { return m_properties.Get<T>(); }
    template <typename T>
    const UIDescPropertyMap<T>& Properties() const { return m_properties.Get<T>(); }

    // ---- animations ----
    NameMap<UISkuAnimationMap>& GetAnimations() { return m_animations; }
    const NameMap<UISkuAnimationMap>& GetAnimations() const { return m_animations; }
    // Inserted empty when missing.
    UISkuAnimationMap& GetSkuAnimations(const AsciiString& name) { return m_animations[name]; }
    static UIAnimationDesc& GetAnimationDesc(UISkuAnimationMap& map, const AsciiString& sku) {
        return map[sku];
    }
    const UISkuAnimationMap* FindSkuAnimations(const AsciiString& name) const;
    const UIAnimationDesc* FindAnimationForSku(const AsciiString& name, const AsciiString& sku) const;
    // A description of that SKU made from this node's definition, unless
    // one exists.
    void AddAnimation(const AsciiString& name, const AsciiString& sku);
    // The running SKU's variant, or one along its fallbacks short of
    // "~default"; null when none.
    const UIAnimationDesc* FindAnimation(const AsciiString& name) const;

    // ---- events ----
    NameMap<UiActionList>& GetEvents() { return m_events; }
    const NameMap<UiActionList>& GetEvents() const { return m_events; }
    // Inserted empty when missing.
    std::vector<UICommandCall>& GetEventCommands(const AsciiString& name) {
        return m_events[name].GetCalls();
    }

    // ---- copies ----
    // The target takes this node's content (not its children); the target's
    // own children are detached first, its links and change indexes stay.
    void CopyTo(ComponentDesc& target) const;
    void CopyPropertyMapsTo(ComponentDesc& target) const;
    // A new node with this content and no children.
    ComponentDesc* Clone() const;
    // A deep copy.
    ComponentDesc* CloneTree() const;

    // ---- readers ----
    // A "screen" or "component" element into this node and new children.
    // False when a component names no class; nothing else is read then.
    bool ReadXml(const TiXmlElement& element, bool inDefinition);
    // Builds the tree from a screen file's records; this node becomes record
    // 0. Records whose class, parent or SKU indexes do not fit are left out.
    void BuildFromBinary(const UIScreenFile& file);
    void ReadBinaryRecord(const UIScreenFile& file, size_t index);
    void ReadBinaryProperties(const UIScreenFile& file, const UIBinaryComponent& record);
    void ReadBinaryAnimations(const UIScreenFile& file, const UIBinaryComponent& record);
    void ReadBinaryEvents(const UIBinaryComponent& record);

private:
    template <typename T>
    void ReadXmlProperty(const AsciiString& name, const TiXmlElement& element);
    void ReadXmlChildren(const TiXmlElement& element, bool inDefinition);

    ComponentDesc* m_parent = nullptr;
    ComponentDesc* m_prevSibling = nullptr;
    ComponentDesc* m_nextSibling = nullptr;
    ComponentDesc* m_firstChild = nullptr;
    ComponentDesc* m_lastChild = nullptr;
    AsciiString m_className;  // empty: none
    AsciiString m_id;
    UIPerType<UIDescPropertyMap> m_properties;
    NameMap<UISkuAnimationMap> m_animations;  // animation name, then SKU name
    NameMap<UiActionList> m_events;           // event name to its command list
    int32_t m_inDefinition = 0;
    int32_t m_bIsScreen = 0;
    AsciiString m_version;
    int32_t m_bSerialisable = 1;
    ComponentDefinition* m_definition = nullptr;  // not owned
    int32_t m_fileChangeIndex = 0;
    int32_t m_changeIndex = 0;
};

}  // namespace Varnok
