// The description tree's links.
#include "engine/ui/descriptions/ComponentDesc.h"

namespace Varnok {

ComponentDesc::~ComponentDesc() {
    ComponentDesc* child = m_firstChild;
    while (child != nullptr) {
        ComponentDesc* next = child->m_nextSibling;
        child->m_parent = nullptr;
        delete child;
        child = next;
    }
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
    if (child == nullptr || child == before) {
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

}  // namespace Varnok
