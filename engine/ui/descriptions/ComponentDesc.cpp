// The description tree's links, copies, path lookup and animation choice.
#include "engine/ui/descriptions/ComponentDesc.h"

#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDefinition.h"

#include <cstring>

namespace Varnok {

namespace {

const AsciiString& ScreenClassName() {
    static const AsciiString s_name("ComponentScreen");
    return s_name;
}

// The segment of path up to the next '.' or the end.
AsciiString Segment(const char* path, const char** outRest) {
    const char* dot = std::strchr(path, '.');
    if (dot == nullptr) {
        *outRest = nullptr;
        return AsciiString(path);
    }
    *outRest = dot + 1;
    return AsciiString(path, static_cast<int>(dot - path));
}

}  // namespace

const UISkuDefinition* GetUIDefaultSku() { return UIManager::Get().GetDefaultSku(); }
const UISkuDefinition* GetUIActiveSku() { return UIManager::Get().GetActiveSku(); }
size_t GetUISkuCount() { return UIManager::Get().GetSettings().skus.size(); }

ComponentDesc::~ComponentDesc() {
    ComponentDesc* child = m_firstChild;
    while (child != nullptr) {
        ComponentDesc* next = child->m_nextSibling;
        child->m_parent = nullptr;
        delete child;
        child = next;
    }
}

ComponentDesc* ComponentDesc::CreateScreen() {
    auto* node = new ComponentDesc(true);
    node->SetClassName(ScreenClassName());
    return node;
}

void ComponentDesc::SetClassName(const AsciiString& name) {
    m_className = name;
    ResolveDefinition();
}

void ComponentDesc::ResolveDefinition() {
    if (m_className.IsEmpty()) {
        m_definition = nullptr;
        m_bIsScreen = 0;
        return;
    }
    m_definition = UIManager::Get().GetDefinition(m_className);
    m_bIsScreen = m_className.Equals(ScreenClassName()) ? 1 : 0;
}

void ComponentDesc::Detach() {
    if (m_parent == nullptr) {
        return;
    }
    if (m_prevSibling != nullptr) {
        m_prevSibling->m_nextSibling = m_nextSibling;
    } else {
        m_parent->m_firstChild = m_nextSibling;
    }
    if (m_nextSibling != nullptr) {
        m_nextSibling->m_prevSibling = m_prevSibling;
    } else {
        m_parent->m_lastChild = m_prevSibling;
    }
    m_parent = nullptr;
    m_prevSibling = nullptr;
    m_nextSibling = nullptr;
}

void ComponentDesc::AppendChild(ComponentDesc* child) { InsertChildBefore(child, nullptr); }

void ComponentDesc::InsertChildBefore(ComponentDesc* child, ComponentDesc* before) {
    if (child == nullptr || child == before || child == this) {
        return;
    }
    child->Detach();
    if (before == nullptr || before->m_parent != this) {
        child->m_prevSibling = m_lastChild;
        if (m_lastChild != nullptr) {
            m_lastChild->m_nextSibling = child;
        } else {
            m_firstChild = child;
        }
        m_lastChild = child;
    } else {
        child->m_nextSibling = before;
        child->m_prevSibling = before->m_prevSibling;
        if (before->m_prevSibling != nullptr) {
            before->m_prevSibling->m_nextSibling = child;
        } else {
            m_firstChild = child;
        }
        before->m_prevSibling = child;
    }
    child->m_parent = this;
}

ComponentDesc* ComponentDesc::GetChildAt(int index) const {
    ComponentDesc* child = m_firstChild;
    for (int i = 0; child != nullptr && i < index; ++i) {
        child = child->m_nextSibling;
    }
    return index < 0 ? nullptr : child;
}

int ComponentDesc::GetChildCount() const {
    int count = 0;
    for (const ComponentDesc* c = m_firstChild; c != nullptr; c = c->m_nextSibling) {
        ++count;
    }
    return count;
}

ComponentDesc* ComponentDesc::FindChildByPath(
    const AsciiString& path, const std::vector<std::unique_ptr<ComponentDesc>>& roots) {
    const char* text = path.c_str();
    if (text[0] == '.') {
        ++text;
    }
    const char* rest = nullptr;
    const AsciiString segment = Segment(text, &rest);
    ComponentDesc* match = nullptr;
    for (const auto& root : roots) {
        if (root != nullptr && root->m_id.EqualsNoCase(segment)) {
            match = root.get();
        }
    }
    if (match == nullptr || rest == nullptr) {
        return match;
    }
    return match->FindDescendantByPath(rest);
}

ComponentDesc* ComponentDesc::FindDescendantByPath(const char* path) const {
    const ComponentDesc* node = this;
    const char* rest = path;
    while (rest != nullptr) {
        const AsciiString segment = Segment(rest, &rest);
        ComponentDesc* match = nullptr;
        for (ComponentDesc* c = node->m_firstChild; c != nullptr; c = c->m_nextSibling) {
            if (c->m_id.EqualsNoCase(segment)) {
                match = c;
            }
        }
        if (match == nullptr) {
            return nullptr;
        }
        node = match;
    }
    return const_cast<ComponentDesc*>(node);
}

const UISkuAnimationMap* ComponentDesc::FindSkuAnimations(const AsciiString& name) const {
    auto it = m_animations.find(name);
    return it != m_animations.end() ? &it->second : nullptr;
}

const UIAnimationDesc* ComponentDesc::FindAnimationForSku(const AsciiString& name,
                                                          const AsciiString& sku) const {
    const UISkuAnimationMap* map = FindSkuAnimations(name);
    if (map == nullptr) {
        return nullptr;
    }
    auto it = map->find(sku);
    return it != map->end() ? &it->second : nullptr;
}

void ComponentDesc::AddAnimation(const AsciiString& name, const AsciiString& sku) {
    if (FindAnimationForSku(name, sku) != nullptr) {
        return;
    }
    UIAnimationDesc& desc = GetAnimationDesc(GetSkuAnimations(name), sku);
    desc = UIAnimationDesc(m_definition);
    desc.m_name = name;
    desc.m_sku = sku;
}

const UIAnimationDesc* ComponentDesc::FindAnimation(const AsciiString& name) const {
    const UISkuAnimationMap* map = FindSkuAnimations(name);
    if (map == nullptr || map->empty()) {
        return nullptr;
    }
    const UISkuDefinition* active = GetUIActiveSku();
    const AsciiString& activeName = active != nullptr ? active->name : AsciiString::Empty();
    auto it = map->find(activeName);
    if (it != map->end()) {
        return &it->second;
    }
    // Unlike property values, an animation never falls back to "~default".
    const UISkuDefinition* defaultSku = GetUIDefaultSku();
    const UISkuDefinition* current = active;
    const size_t steps = GetUISkuCount();
    for (size_t step = 0; step < steps && current != nullptr; ++step) {
        const UISkuDefinition* next = current->fallback;
        if (next == nullptr || next == current || next == defaultSku) {
            return nullptr;
        }
        it = map->find(next->name);
        if (it != map->end()) {
            return &it->second;
        }
        current = next;
    }
    return nullptr;
}

void ComponentDesc::CopyPropertyMapsTo(ComponentDesc& target) const {
    target.m_properties = m_properties;
}

void ComponentDesc::CopyTo(ComponentDesc& target) const {
    if (&target == this) {
        return;
    }
    while (target.m_firstChild != nullptr) {
        target.m_firstChild->Detach();  // the detached nodes stay their holders'
    }
    target.m_className = m_className;
    target.m_id = m_id;
    target.m_properties = m_properties;
    target.m_animations = m_animations;
    target.m_events = m_events;
    target.m_inDefinition = m_inDefinition;
    target.m_bIsScreen = m_bIsScreen;
    target.m_version = m_version;
    target.m_bSerialisable = m_bSerialisable;
    target.m_definition = m_definition;
}

ComponentDesc* ComponentDesc::Clone() const {
    auto* copy = new ComponentDesc();
    CopyTo(*copy);
    return copy;
}

ComponentDesc* ComponentDesc::CloneTree() const {
    ComponentDesc* copy = Clone();
    for (const ComponentDesc* c = m_firstChild; c != nullptr; c = c->m_nextSibling) {
        copy->AppendChild(c->CloneTree());
    }
    return copy;
}

}  // namespace Varnok
