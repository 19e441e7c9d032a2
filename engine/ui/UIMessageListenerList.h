// The listeners of UI messages, kept by the UI manager.
#pragma once

namespace Varnok {

class UIMessageListenerList {
public:
    UIMessageListenerList() = default;
    UIMessageListenerList(const UIMessageListenerList&) = delete;
    UIMessageListenerList& operator=(const UIMessageListenerList&) = delete;
};

}  // namespace Varnok
