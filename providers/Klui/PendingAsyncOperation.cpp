// The pending login operation and its once-a-frame check.
#include "providers/Klui/PendingAsyncOperation.h"

#include "engine/core/PlatformEventHub.h"

namespace Klui {

PendingAsyncOperation& PendingAsyncOperation::Get() {
    static PendingAsyncOperation s_operation;
    return s_operation;
}

PendingAsyncOperation::PendingAsyncOperation() {
    Varnok::PlatformEventHub::Get().postUpdate.Add(
        Varnok::Delegate1<void, float>(this, &PendingAsyncOperation::OnFrame));
}

PendingAsyncOperation::~PendingAsyncOperation() {
    Varnok::PlatformEventHub::Get().postUpdate.Remove(
        Varnok::Delegate1<void, float>(this, &PendingAsyncOperation::OnFrame));
}

bool PendingAsyncOperation::Start(const char* name, const Check& check) {
    if (m_busy) {
        return false;
    }
    m_busy = true;
    m_name = Varnok::AsciiString(name);
    m_check = check;
    return true;
}

void PendingAsyncOperation::OnFrame(float /*stepSeconds*/) {
    if (!m_busy) {
        return;
    }
    // An empty check never answers: nothing would ever clear the operation,
    // so it counts as over.
    if (m_check.IsEmpty() || m_check()) {
        m_busy = false;
        m_name = Varnok::AsciiString();
        m_check.Clear();
    }
}

}  // namespace Klui
