#include "engine/ui/UIManager.h"
#include "engine/ui/UIMessages.h"

namespace Varnok {

bool UIManager::AddMessageListener(UIMessageListener* listener) {
    if (listener == nullptr) {
        return false;
    }
    return m_messageListeners.Add(listener);
}

bool UIManager::DispatchMessage(const UIMessage& message) {
    // A listener added by a handler is reached in this same walk: the list
    // only grows, and the count is read each time round.
    for (uint32_t i = 0; i < m_messageListeners.GetCount(); ++i) {
        int32_t result = 0;
        bool stop = false;
        m_messageListeners.Get(i)->Offer(message, result, stop);
        if (result == 2) {
            return false;
        }
        if (stop) {
            return true;
        }
    }
    return true;
}

}  // namespace Varnok
