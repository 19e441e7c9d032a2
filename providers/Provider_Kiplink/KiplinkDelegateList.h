// The engine delegates one library listener of the online provider calls:
// kept in order of addition, duplicates too, so that a delegate added twice
// runs twice and one removal drops every copy.
#pragma once

#include "engine/core/Delegate.h"

#include <algorithm>
#include <vector>

namespace Varnok {

class KiplinkDelegateList {
public:
    void Add(const Delegate0<void>& listener) { m_listeners.push_back(listener); }
    void RemoveAll(const Delegate0<void>& listener) {
        m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
    }
    // Walks a copy: a delegate may add or remove listeners while it runs.
    void CallAll() const {
        const std::vector<Delegate0<void>> listeners = m_listeners;
        for (const auto& listener : listeners) {
            if (!listener.IsEmpty()) {
                listener();
            }
        }
    }
    size_t Size() const { return m_listeners.size(); }

private:
    std::vector<Delegate0<void>> m_listeners;
};

}  // namespace Varnok
