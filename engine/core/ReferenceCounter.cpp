// Release and weak locking. The live counter of the weak block decides who
// deletes an object whose last reference goes while weak pointers lock it.
//
// m_live counts one unit for the object itself plus one per lock in progress.
// The release that brings the count to 0 gives up the object's unit; a lock
// pins the object by raising m_live from a nonzero value and adds a reference
// only when the count is still nonzero. Whoever brings m_live to 0 deletes the
// object, so it is deleted exactly once, never while a lock is reading it, and
// a locker either holds a counted reference or gets null.
#include "engine/core/ReferenceCounter.h"

namespace Varnok {

__ReferenceCounterData::~__ReferenceCounterData() {
    // An object destroyed without its last release (a member, a stack object)
    // still tells its weak pointers that it is gone.
    WeakReferenceData* weak = m_weak.exchange(nullptr);
    if (weak != nullptr) {
        AtomicDecrement(weak->m_live);
        weak->Release();
    }
}

int __ReferenceCounterData::Release() {
    if (AtomicDecrement(m_count) != 0) {
        return 1;
    }
    WeakReferenceData* weak = m_weak.load();
    if (weak != nullptr && AtomicDecrement(weak->m_live) != 0) {
        return 1;  // a lock is in progress; the last locker deletes the object
    }
    DestroyAfterLastRelease();
    return 0;
}

void __ReferenceCounterData::DestroyAfterLastRelease() {
    WeakReferenceData* weak = m_weak.exchange(nullptr);
    if (weak != nullptr) {
        weak->Release();  // the object's hold on its block
    }
    DeleteSelf();
}

WeakReferenceData* __ReferenceCounterData::AcquireWeakBlock() {
    WeakReferenceData* existing = m_weak.load();
    if (existing != nullptr) {
        return existing;
    }
    auto* fresh = new WeakReferenceData(this);
    fresh->AddReference();  // the object's hold
    WeakReferenceData* found = AtomicCompareExchangePointer(m_weak, fresh, nullptr);
    if (found != nullptr) {
        fresh->Release();  // another thread installed one first
        return found;
    }
    return fresh;
}

bool WeakReferenceData::TryLock() {
    int32_t live = m_live.load();
    do {
        if (live == 0) {
            return false;
        }
    } while (!m_live.compare_exchange_weak(live, live + 1));

    // Pinned: the object cannot be deleted until m_live drops again.
    __ReferenceCounterData* object = m_object;
    int32_t count = object->m_count.load();
    bool locked = false;
    while (count != 0) {
        if (object->m_count.compare_exchange_weak(count, count + 1)) {
            locked = true;
            break;
        }
    }
    if (AtomicDecrement(m_live) == 0) {
        // The last release ran while we were pinned and left the object to us.
        object->DestroyAfterLastRelease();
    }
    return locked;
}

}  // namespace Varnok
