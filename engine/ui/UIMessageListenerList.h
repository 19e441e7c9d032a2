// The listeners of UI messages, kept by the UI manager. There is no removal:
// a listener stays for the life of the manager and its owner keeps it alive.
#pragma once

#include <cstdint>
#include <memory>

namespace Varnok {

class UIMessageListener;

class UIMessageListenerList {
public:
    static constexpr uint32_t kInitialCapacity = 16;

    UIMessageListenerList();
    UIMessageListenerList(const UIMessageListenerList&) = delete;
    UIMessageListenerList& operator=(const UIMessageListenerList&) = delete;

    // False, changing nothing, when the very same listener is already in.
    bool Add(UIMessageListener* listener);
    // Forgets every listener (the manager shuts down); the storage stays.
    void Clear() {
        m_count = 0;
        ++m_version;
    }

    uint32_t GetVersion() const { return m_version; }
    uint32_t GetCapacity() const { return m_capacity; }
    uint32_t GetCount() const { return m_count; }
    UIMessageListener* Get(uint32_t index) const { return m_items[index]; }

private:
    uint32_t m_version = 0;
    uint32_t m_capacity = kInitialCapacity;
    uint32_t m_count = 0;
    std::unique_ptr<UIMessageListener*[]> m_items;  // the pointers are not owned
};

}  // namespace Varnok
