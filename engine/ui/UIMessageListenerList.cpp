#include "engine/ui/UIMessageListenerList.h"

#include <algorithm>

namespace Varnok {

UIMessageListenerList::UIMessageListenerList() : m_items(new UIMessageListener*[kInitialCapacity]()) {}

bool UIMessageListenerList::Add(UIMessageListener* listener) {
    for (uint32_t i = 0; i < m_count; ++i) {
        if (m_items[i] == listener) {
            return false;
        }
    }
    if (m_count == m_capacity) {
        const uint32_t capacity = std::max(m_capacity * 3 / 2 + 1, m_count + 1);
        std::unique_ptr<UIMessageListener*[]> grown(new UIMessageListener*[capacity]());
        std::copy(m_items.get(), m_items.get() + m_count, grown.get());
        m_items = std::move(grown);
        m_capacity = capacity;
    }
    m_items[m_count++] = listener;
    ++m_version;
    return true;
}

}  // namespace Varnok
