// The component tree: adding and detaching children, ids, cached paths,
// path lookup and the conversion of points between screen and component.
#include "engine/ui/Component.h"

#include "engine/core/HashName.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/UIClip.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDesc.h"

namespace Varnok {

namespace {

bool IsNameChar(char c) { return c != '.' && c != ':' && c != '@' && c != '^' && c != '\0'; }

int NameRunLength(const char* text) {
    int length = 0;
    while (IsNameChar(text[length])) {
        ++length;
    }
    return length;
}

bool IdMatches(const Component& component, const char* id, int length, uint32_t hash) {
    return component.GetId().EqualsNoCase(id, length, hash);
}

}  // namespace

int Component::GetChildCount() const {
    int count = 0;
    for (const Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        ++count;
    }
    return count;
}

int Component::AddChild(Component* child, int index) {
    if (child == nullptr || child == this) {
        return -1;
    }
    // A component never goes below itself: that would cut the subtree loose.
    for (const Component* ancestor = m_parent; ancestor != nullptr; ancestor = ancestor->m_parent) {
        if (ancestor == child) {
            return -1;
        }
    }
    child->Detach();
    if (child->m_parent != nullptr) {
        return -1;  // refused: the manager is walking the tree
    }
    child->m_parentTransformRevision = 1;
    child->m_parentLayoutRevision = 1;

    Component* before = nullptr;
    int result = -1;
    if (index != -1) {
        result = 0;
        before = m_firstChild;
        while (before != nullptr && result < index) {
            before = before->m_nextSibling;
            ++result;
        }
    }
    child->m_parent = this;
    if (before == nullptr) {
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

    ComponentDesc* node = child->GetDesc();
    ComponentDesc* parentNode = GetDesc();
    if (node != nullptr && parentNode != nullptr && node->GetParent() != parentNode) {
        parentNode->InsertChildBefore(node, index == -1 ? nullptr : parentNode->GetChildAt(index));
    }

    child->RefreshActiveState();
    InvalidateLayout();
    return result;
}

void Component::Detach() {
    if (m_parent == nullptr || UIManager::Get().IsBusy()) {
        return;
    }
    m_parent->InvalidateLayout();
    ComponentDesc* node = GetDesc();
    if (node != nullptr && node->GetParent() != nullptr && !node->IsScreen()) {
        node->Detach();
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

Component* Component::FindParentScreen() {
    for (Component* component = this; component != nullptr; component = component->m_parent) {
        if (component->IsKindOf(ComponentScreen::GetStaticClassInfo())) {
            return component;
        }
    }
    return nullptr;
}

void Component::SetId(const AsciiString& id) {
    if (m_id.Equals(RootId())) {
        m_parentPath = AsciiString::Empty();
        m_path = AsciiString(".");
    }
    if (m_id.Equals(id) || !m_canRename || m_isDeleted) {
        return;
    }
    m_id = id;
    m_idHash = id.GetHash();
    if (m_desc != nullptr) {
        m_desc->SetId(id);
    }
    m_path = m_parentPath;
    m_path.AppendChar('.');
    m_path.AppendString(m_id);
}

const AsciiString& Component::GetPath() {
    if (m_parent == nullptr) {
        if (!m_path.Equals(m_id)) {
            m_path = m_id;
        }
    } else if (m_parent != UIManager::Get().GetRoot()) {
        const AsciiString& parentPath = m_parent->GetPath();
        if (!parentPath.Equals(m_parentPath)) {
            m_parentPath = parentPath;
            m_path = parentPath;
            m_path.AppendChar('.');
            m_path.AppendString(m_id);
        }
    }
    return m_path;
}

Component* Component::FindChild(const AsciiString& path) {
    if (path.IsEmpty()) {
        return nullptr;
    }
    return FindChildByPath(path.c_str());
}

Component* Component::FindDirectChild(const AsciiString& id) const {
    const uint32_t hash = HashName(id.c_str(), id.Length());
    for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        if (IdMatches(*child, id.c_str(), id.Length(), hash)) {
            return child;
        }
    }
    return nullptr;
}

Component* Component::FindInSubtree(const char* id, int length, uint32_t hash) const {
    for (Component* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
        if (IdMatches(*child, id, length, hash)) {
            return child;
        }
        if (Component* found = child->FindInSubtree(id, length, hash)) {
            return found;
        }
    }
    return nullptr;
}

Component* Component::FindChildByPath(const char* path) {
    Component* current = this;
    const char* p = path;
    const Component* root = UIManager::Get().GetRoot();
    while (current != nullptr && *p != '\0') {
        const char op = *p;
        if (op == ':') {
            while (current->m_parent != nullptr && current->m_parent != root) {
                current = current->m_parent;
            }
            ++p;
            continue;
        }
        if (op == '^' && !IsNameChar(p[1])) {
            current = current->m_parent;
            ++p;
            continue;
        }
        if (op == '.' || op == '@' || op == '^') {
            ++p;
        }
        const int length = NameRunLength(p);
        const uint32_t hash = HashName(p, length);
        Component* found = nullptr;
        if (op == '@') {
            found = current->FindInSubtree(p, length, hash);
        } else if (op == '^') {
            for (Component* ancestor = current->m_parent; ancestor != nullptr;
                 ancestor = ancestor->m_parent) {
                if (IdMatches(*ancestor, p, length, hash)) {
                    found = ancestor;
                    break;
                }
            }
        } else {
            for (Component* child = current->m_firstChild; child != nullptr;
                 child = child->m_nextSibling) {
                if (IdMatches(*child, p, length, hash)) {
                    found = child;
                    break;
                }
            }
        }
        current = found;
        p += length;
    }
    return current;
}

void Component::BringToFront() { UIManager::Get().MoveToEndOfParent(this); }

Vector2 Component::LocalToScreen(const Vector2& point) const {
    return GetWorldTransform().TransformPoint(point.x, point.y);
}

Vector2 Component::ScreenToLocal(const Vector2& point) const {
    UITransform inverse;
    if (!UITransform::Invert(GetWorldTransform(), inverse)) {
        return Vector2{kUnreachableCoordinate, kUnreachableCoordinate};
    }
    return inverse.TransformPoint(point.x, point.y);
}

bool Component::ContainsPoint(const Vector2& screenPoint) const {
    const Vector2 local = ScreenToLocal(screenPoint);
    const UIRect rect = GetLocalRect();
    if (!(local.x >= rect.left && local.x <= rect.right && local.y >= rect.top &&
          local.y <= rect.bottom)) {
        return false;
    }
    return ContainsPointInVertices(GetVertices(), screenPoint);
}

bool Component::ContainsPointInVertices(const UIVertexList& vertices, const Vector2& point) {
    if (vertices.size() < 3) {
        return false;
    }
    // The edge walk of clipping: what is drawn and what is hit agree.
    UIClipEdgeIterator edge(vertices);
    while (edge.Next()) {
        if (edge.Distance(point.x, point.y) < 0.0f) {
            return false;
        }
    }
    return true;
}

}  // namespace Varnok
