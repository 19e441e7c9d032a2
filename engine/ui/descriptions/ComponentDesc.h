// A description node: what to build for one component (class, id, values,
// animations, event command lists). Nodes form a tree of their own that
// mirrors the component tree; a node owns its children.
#pragma once

#include "engine/core/NameMap.h"
#include "engine/ui/UiActionList.h"

#include <cstdint>

namespace Varnok {

class ComponentDefinition;

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

    // Unlinks child from wherever it hangs and appends it.
    void AppendChild(ComponentDesc* child);
    // Before `before`, which must be a child of this node; appended when
    // before is null.
    void InsertChildBefore(ComponentDesc* child, ComponentDesc* before);
    // The child at index (from 0), or null when there are fewer.
    ComponentDesc* GetChildAt(int index) const;
    // Unlinks from the parent; nothing for a root.
    void Detach();

    ComponentDesc* GetParent() const { return m_parent; }
    ComponentDesc* GetFirstChild() const { return m_firstChild; }
    ComponentDesc* GetLastChild() const { return m_lastChild; }
    ComponentDesc* GetNextSibling() const { return m_nextSibling; }
    ComponentDesc* GetPrevSibling() const { return m_prevSibling; }

    const AsciiString& GetClassName() const { return m_className; }
    const AsciiString& GetId() const { return m_id; }
    void SetId(const AsciiString& id) { m_id = id; }
    bool IsScreen() const { return m_bIsScreen != 0; }
    ComponentDefinition* GetDefinition() const { return m_definition; }
    NameMap<UiActionList>& GetEvents() { return m_events; }
    bool IsInDefinition() const { return m_inDefinition != 0; }
    void SetInDefinition(bool inDefinition) { m_inDefinition = inDefinition ? 1 : 0; }
    const AsciiString& GetVersion() const { return m_version; }
    bool IsSerialisable() const { return m_bSerialisable != 0; }
    void SetSerialisable(bool serialisable) { m_bSerialisable = serialisable ? 1 : 0; }
    int32_t GetFileChangeIndex() const { return m_fileChangeIndex; }
    int32_t GetChangeIndex() const { return m_changeIndex; }

private:
    ComponentDesc* m_parent = nullptr;
    ComponentDesc* m_prevSibling = nullptr;
    ComponentDesc* m_nextSibling = nullptr;
    ComponentDesc* m_firstChild = nullptr;
    ComponentDesc* m_lastChild = nullptr;
    AsciiString m_className;  // empty: none
    AsciiString m_id;
    NameMap<UiActionList> m_events;  // event name to its command list
    int32_t m_inDefinition = 0;
    int32_t m_bIsScreen = 0;
    AsciiString m_version;
    int32_t m_bSerialisable = 1;
    ComponentDefinition* m_definition = nullptr;  // not owned
    int32_t m_fileChangeIndex = 0;
    int32_t m_changeIndex = 0;
};

}  // namespace Varnok
