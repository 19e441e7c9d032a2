// One-word counted pointer to an object derived from ReferenceCounter.
#pragma once

#include "engine/core/Atomic.h"
#include "engine/core/ReferenceCounter.h"

#include <cstddef>

namespace Varnok {

template <typename T>
class WeakPtr;

// A non-null SmartPtr always owns one count of its object. One SmartPtr may be
// assigned by two threads at once; each releases what it displaced.
template <typename T>
class SmartPtr {
public:
    SmartPtr() = default;
    SmartPtr(std::nullptr_t) {}
    SmartPtr(T* object) { Assign(object); }
    SmartPtr(const SmartPtr& other) { Assign(other.Get()); }
    template <typename U>
    SmartPtr(const SmartPtr<U>& other) { Assign(other.Get()); }
    SmartPtr(SmartPtr&& other) noexcept : m_ptr(other.m_ptr.Exchange(nullptr)) {}
    ~SmartPtr() { Clear(); }

    SmartPtr& operator=(const SmartPtr& other) {
        Assign(other.Get());
        return *this;
    }
    template <typename U>
    SmartPtr& operator=(const SmartPtr<U>& other) {
        Assign(other.Get());
        return *this;
    }
    SmartPtr& operator=(SmartPtr&& other) noexcept {
        if (this != &other) {
            Reset(other.m_ptr.Exchange(nullptr));
        }
        return *this;
    }
    SmartPtr& operator=(T* object) {
        Assign(object);
        return *this;
    }
    SmartPtr& operator=(std::nullptr_t) {
        Clear();
        return *this;
    }

    // Adds the new reference before the swap, so assigning the object already
    // held is safe.
    void Assign(T* object) {
        if (object != nullptr) {
            Base(object)->AddReference();
        }
        Reset(object);
    }
    void Assign(const SmartPtr& other) { Assign(other.Get()); }
    void Clear() { Reset(nullptr); }

    T* Get() const { return m_ptr.Get(); }
    T* operator->() const { return Get(); }
    T& operator*() const { return *Get(); }
    explicit operator bool() const { return Get() != nullptr; }

private:
    friend class WeakPtr<T>;

    static __ReferenceCounterData* Base(T* object) {
        return static_cast<__ReferenceCounterData*>(object);
    }
    // Swaps in an already-counted pointer and releases the displaced one.
    void Reset(T* counted) {
        T* old = m_ptr.Exchange(counted);
        if (old != nullptr) {
            Base(old)->Release();
        }
    }

    InterlockedPointer<T> m_ptr;
};

template <typename T, typename U>
bool operator==(const SmartPtr<T>& a, const SmartPtr<U>& b) {
    return a.Get() == b.Get();
}
template <typename T, typename U>
bool operator!=(const SmartPtr<T>& a, const SmartPtr<U>& b) {
    return a.Get() != b.Get();
}
template <typename T>
bool operator==(const SmartPtr<T>& a, const T* b) {
    return a.Get() == b;
}
template <typename T>
bool operator!=(const SmartPtr<T>& a, const T* b) {
    return a.Get() != b;
}
template <typename T>
bool operator==(const SmartPtr<T>& a, std::nullptr_t) {
    return a.Get() == nullptr;
}
template <typename T>
bool operator!=(const SmartPtr<T>& a, std::nullptr_t) {
    return a.Get() != nullptr;
}

}  // namespace Varnok
