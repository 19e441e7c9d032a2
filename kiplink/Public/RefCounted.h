// Reference counting shared by every object the client library hands across
// its interfaces, the handle that holds one reference, the listener sets of
// objects that report events, and the library-wide call ids.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

namespace Kiplink {

// Stops the program with the file, line and condition: a caller's bug, never
// bad outside data.
[[noreturn]] void AssertionFailed(const char* file, int line, const char* condition);

}  // namespace Kiplink

#define KIPLINK_ASSERT(condition) \
    ((condition) ? static_cast<void>(0) : ::Kiplink::AssertionFailed(__FILE__, __LINE__, #condition))

namespace Kiplink {

// Counts its references; the Release that brings the count to 0 deletes the
// object. A new object starts at 0 and its creator takes the first reference
// (values and text buffers start at 1). Game thread only: nothing is atomic.
class RefCounted {
public:
    virtual ~RefCounted();

    // Returns the new count.
    virtual int Reference() const;
    // Returns the new count; at 0 the object is gone.
    virtual int Release() const;
    virtual int GetRefCount() const;

protected:
    RefCounted() = default;
    explicit RefCounted(int initialCount) : m_refCount(initialCount) {}
    RefCounted(const RefCounted&) : m_refCount(0) {}
    RefCounted& operator=(const RefCounted&) { return *this; }

    mutable int32_t m_refCount = 0;
};

// One reference on a counted object, or nothing.
template <class T>
class RefPtr {
public:
    RefPtr() = default;
    RefPtr(T* object) : m_object(object) {  // NOLINT: implicit by design
        if (m_object != nullptr) {
            m_object->Reference();
        }
    }
    RefPtr(const RefPtr& other) : RefPtr(other.m_object) {}
    RefPtr(RefPtr&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    template <class U>
    RefPtr(const RefPtr<U>& other) : RefPtr(other.Get()) {}
    ~RefPtr() { Reset(); }

    RefPtr& operator=(const RefPtr& other) {
        Assign(other.m_object);
        return *this;
    }
    RefPtr& operator=(RefPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_object = other.m_object;
            other.m_object = nullptr;
        }
        return *this;
    }
    RefPtr& operator=(T* object) {
        Assign(object);
        return *this;
    }

    void Reset() {
        T* old = m_object;
        m_object = nullptr;
        if (old != nullptr) {
            old->Release();
        }
    }
    // Takes over a reference the caller already owns (a new value, a getter's
    // added reference) without adding one.
    static RefPtr Adopt(T* object) {
        RefPtr handle;
        handle.m_object = object;
        return handle;
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    void Assign(T* object) {
        if (object != nullptr) {
            object->Reference();  // first, in case object is the one held
        }
        T* old = m_object;
        m_object = object;
        if (old != nullptr) {
            old->Release();
        }
    }

    T* m_object = nullptr;
};

// The listeners of one event source, ordered by pointer value, each held by
// one reference. A notification walks a copy, so a listener may add or remove
// listeners (itself included) from its handler; every listener of the copy is
// referenced until the walk ends, so one that another party releases
// mid-walk is never called after its destruction.
template <class Listener>
class ListenerSet {
public:
    ListenerSet() = default;
    ListenerSet(const ListenerSet&) = delete;
    ListenerSet& operator=(const ListenerSet&) = delete;
    ~ListenerSet() { Clear(); }

    // A second add of the same listener takes no second reference.
    void Add(Listener* listener) {
        if (listener == nullptr || m_listeners.count(listener) != 0) {
            return;
        }
        listener->Reference();
        m_listeners.insert(listener);
    }
    void Remove(Listener* listener) {
        auto found = m_listeners.find(listener);
        if (found == m_listeners.end()) {
            return;
        }
        m_listeners.erase(found);
        listener->Release();
    }
    void Clear() {
        std::set<Listener*> old;
        old.swap(m_listeners);
        for (Listener* listener : old) {
            listener->Release();
        }
    }
    bool Contains(Listener* listener) const { return m_listeners.count(listener) != 0; }
    size_t Size() const { return m_listeners.size(); }

    // Calls (listener->*handler)(args...) on each listener, in increasing
    // pointer order; listeners added meanwhile are first called next time.
    template <class Handler, class... Args>
    void Notify(Handler handler, const Args&... args) {
        std::vector<Listener*> walk(m_listeners.begin(), m_listeners.end());
        for (Listener* listener : walk) {
            listener->Reference();
        }
        for (Listener* listener : walk) {
            (listener->*handler)(args...);
        }
        for (Listener* listener : walk) {
            listener->Release();
        }
    }

private:
    std::set<Listener*> m_listeners;
};

// The library-wide call id: returns the current value (the first is 1) and
// advances; outId, when given, receives the same value.
uint32_t NextCallId(uint32_t* outId = nullptr);
// The same counter under the name the cloud-object requests use.
inline uint32_t NextRequestId(uint32_t* outId = nullptr) { return NextCallId(outId); }

}  // namespace Kiplink
