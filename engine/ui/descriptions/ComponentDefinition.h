// The one definition of a component class: its properties with types and
// defaults, aliases to prefab children's properties, prefab children and an
// optional base definition. Owned by the UI manager.
#pragma once

#include "engine/core/AsciiString.h"

namespace Varnok {

class ComponentDefinition {
public:
    explicit ComponentDefinition(const AsciiString& className) : m_name(className) {}
    ComponentDefinition(const ComponentDefinition&) = delete;
    ComponentDefinition& operator=(const ComponentDefinition&) = delete;

    // The class name exactly as registered or asked for.
    const AsciiString& GetName() const { return m_name; }
    // Null when the definition names no base.
    ComponentDefinition* GetBaseDefinition() const { return m_baseDefinition; }
    void SetBaseDefinition(ComponentDefinition* base) { m_baseDefinition = base; }
    bool IsLoaded() const { return m_bLoaded; }

private:
    AsciiString m_name;
    ComponentDefinition* m_baseDefinition = nullptr;  // not owned
    bool m_bLoaded = false;  // the file was read (or found missing); never cleared
};

}  // namespace Varnok
