// A reference that does not keep its object alive; Lock() gives a counted
// pointer while the object lives and null once it is gone. Used by caches.
#pragma once

#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"

namespace Varnok {

template <typename T>
class WeakPtr {
public:
    WeakPtr() = default;
    // Requires: object alive (the caller holds a reference) or null.
    WeakPtr(T* object) { Attach(object); }
    WeakPtr(const SmartPtr<T>& object) { Attach(object.Get()); }

    WeakPtr& operator=(T* object) {
        m_block.Clear();
        m_object = nullptr;
        Attach(object);
        return *this;
    }
    WeakPtr& operator=(const SmartPtr<T>& object) { return *this = object.Get(); }

    SmartPtr<T> Lock() const {
        SmartPtr<T> result;
        WeakReferenceData* block = m_block.Get();
        if (block != nullptr && block->TryLock()) {
            result.Reset(m_object);  // TryLock added the reference
        }
        return result;
    }

    void Clear() {
        m_block.Clear();
        m_object = nullptr;
    }
    // The shared block, or null; for diagnostics.
    const WeakReferenceData* GetBlock() const { return m_block.Get(); }

private:
    void Attach(T* object) {
        if (object == nullptr) {
            return;
        }
        m_object = object;
        m_block = static_cast<__ReferenceCounterData*>(object)->AcquireWeakBlock();
    }

    T* m_object = nullptr;  // not counted
    SmartPtr<WeakReferenceData> m_block;
};

}  // namespace Varnok
