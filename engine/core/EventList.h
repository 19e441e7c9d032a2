// Listener lists: Event0 (no arguments) and Event1 .. Event4. Listeners may be
// added and removed during a dispatch, from inside a listener and from nested
// dispatches of the same list; a generation and a state on each entry fix who
// is called, and the changes settle when the outermost dispatch ends.
#pragma once

#include "engine/core/Delegate.h"

#include <list>
#include <utility>

namespace Varnok {

template <typename... Args>
struct ListenerDelegate;
template <>
struct ListenerDelegate<> {
    using Type = Delegate0<void>;
};
template <typename A1>
struct ListenerDelegate<A1> {
    using Type = Delegate1<void, A1>;
};
template <typename A1, typename A2>
struct ListenerDelegate<A1, A2> {
    using Type = Delegate2<void, A1, A2>;
};
template <typename A1, typename A2, typename A3>
struct ListenerDelegate<A1, A2, A3> {
    using Type = Delegate3<void, A1, A2, A3>;
};
template <typename A1, typename A2, typename A3, typename A4>
struct ListenerDelegate<A1, A2, A3, A4> {
    using Type = Delegate4<void, A1, A2, A3, A4>;
};

// The shared body of Event0 .. Event4. Main thread only.
template <typename... Args>
class ListenerList {
public:
    using DelegateType = typename ListenerDelegate<Args...>::Type;

    enum State : int { Active = 0, Added = 1, Removed = 2 };

    struct EventDelegate {
        DelegateType delegate;
        int generation = 0;  // 0 settled, else the depth of the change
        int state = Active;
    };

    ListenerList() = default;
    // A copy holds the listeners as they will be once running dispatches end.
    ListenerList(const ListenerList& other) { CopySettled(other); }
    ListenerList& operator=(const ListenerList& other) {
        if (this != &other) {
            Clear();
            CopySettled(other);
        }
        return *this;
    }

    // Appended; during a dispatch the new listener waits for the next one
    // (or a nested one).
    void Add(const DelegateType& delegate) {
        EventDelegate entry;
        entry.delegate = delegate;
        if (m_depth != 0) {
            entry.generation = m_depth;
            entry.state = Added;
            ++m_pending;
        }
        m_entries.push_back(std::move(entry));
    }

    // Every entry equal to delegate. During a dispatch the entries stay,
    // marked, until the outermost dispatch ends; they are not called again.
    void Remove(const DelegateType& delegate) {
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (!(it->delegate == delegate)) {
                ++it;
            } else if (m_depth == 0) {
                it = m_entries.erase(it);
            } else {
                it->generation = m_depth;
                it->state = Removed;
                ++m_pending;
                ++it;
            }
        }
    }

    void Invoke(Args... args) {
        ++m_depth;
        // Entries appended meanwhile are reached too, and skipped by the rule.
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            const bool call = it->generation == 0 ||
                              (it->state == Added && it->generation < m_depth);
            if (call && !it->delegate.IsEmpty()) {
                it->delegate(args...);
            }
        }
        EndInvoke();
    }
    void operator()(Args... args) { Invoke(args...); }

    // The sweep after each dispatch: removals and additions of dispatches that
    // have ended are carried down a level, and settled at the outermost.
    void EndInvoke() {
        const int depth = --m_depth;
        if (m_pending <= 0) {
            return;
        }
        m_pending = 0;
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (it->generation <= depth) {
                if (it->state != Active) {
                    ++m_pending;  // belongs to a dispatch still running
                }
            } else if (it->state == Removed) {
                if (depth == 0) {
                    it = m_entries.erase(it);
                    continue;
                }
                ++m_pending;
            } else if (it->state == Added) {
                it->generation = depth;
                if (depth == 0) {
                    it->state = Active;
                } else {
                    ++m_pending;
                }
            }
            ++it;
        }
    }

    // During a dispatch every entry is marked removed instead, so the running
    // walk stays valid.
    void Clear() {
        if (m_depth == 0) {
            m_entries.clear();
            m_pending = 0;
            return;
        }
        for (EventDelegate& entry : m_entries) {
            entry.generation = m_depth;
            entry.state = Removed;
            ++m_pending;
        }
    }

    // Entries in the list, marked ones included.
    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    // Listeners a dispatch started now would call.
    int ListenerCount() const {
        int count = 0;
        for (const EventDelegate& entry : m_entries) {
            count += entry.state != Removed ? 1 : 0;
        }
        return count;
    }
    bool IsEmpty() const { return ListenerCount() == 0; }
    int GetDepth() const { return m_depth; }
    int GetPending() const { return m_pending; }
    const std::list<EventDelegate>& GetEntries() const { return m_entries; }

private:
    void CopySettled(const ListenerList& other) {
        // Through Add, so that assigning to a list while it is dispatched
        // defers the new listeners like any other addition.
        for (const EventDelegate& entry : other.m_entries) {
            if (entry.state != Removed) {
                Add(entry.delegate);
            }
        }
    }

    std::list<EventDelegate> m_entries;
    int m_depth = 0;    // dispatches of this list now running
    int m_pending = 0;  // entries whose change is still to be settled
};

class Event0 : public ListenerList<> {};

template <typename A1>
class Event1 : public ListenerList<A1> {};

template <typename A1, typename A2>
class Event2 : public ListenerList<A1, A2> {};

template <typename A1, typename A2, typename A3>
class Event3 : public ListenerList<A1, A2, A3> {};

template <typename A1, typename A2, typename A3, typename A4>
class Event4 : public ListenerList<A1, A2, A3, A4> {};

}  // namespace Varnok
