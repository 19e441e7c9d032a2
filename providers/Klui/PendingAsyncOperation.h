// The one asynchronous login operation under way, by name, with the check
// that says when it is over. While busy it asks the check once per frame
// (the event hub's post-update) and clears itself when the check answers
// true, so that a later login can start.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"

namespace Klui {

class PendingAsyncOperation {
public:
    using Check = Varnok::Delegate0<bool>;

    // The process's marker, made on first use.
    static PendingAsyncOperation& Get();

    // Listens to the hub's frames until destroyed; idle.
    PendingAsyncOperation();
    ~PendingAsyncOperation();
    PendingAsyncOperation(const PendingAsyncOperation&) = delete;
    PendingAsyncOperation& operator=(const PendingAsyncOperation&) = delete;

    // False, changing nothing, while another operation is under way;
    // otherwise keeps the name and a copy of the check and answers true.
    bool Start(const char* name, const Check& check);

    bool IsBusy() const { return m_busy; }
    // Empty while idle.
    const Varnok::AsciiString& GetName() const { return m_name; }

    // One frame: while busy, asks the check once.
    void OnFrame(float stepSeconds);

private:
    Varnok::AsciiString m_name;
    Check m_check;
    bool m_busy = false;
};

}  // namespace Klui
