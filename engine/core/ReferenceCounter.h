// Intrusive reference counting for shared engine objects, with the weak block
// that lets caches hold objects without keeping them alive.
#pragma once

#include "engine/core/Atomic.h"

#include <cstdint>

namespace Varnok {

class WeakReferenceData;

// The virtual base of every counted object: one count however many paths a
// class inherits counting along. Objects start at count 0; each holder adds one.
class __ReferenceCounterData {
public:
    __ReferenceCounterData() = default;
    // A copy is a new object: it starts uncounted and without a weak block.
    __ReferenceCounterData(const __ReferenceCounterData&) {}
    __ReferenceCounterData& operator=(const __ReferenceCounterData&) { return *this; }
    virtual ~__ReferenceCounterData();

    // Deletes the object through its deleting destructor.
    virtual void DeleteSelf() { delete this; }

    void AddReference() { AtomicIncrement(m_count); }
    // Drops one reference; returns 0 when this call deleted the object,
    // nonzero otherwise. The object must not be touched after a 0.
    int Release();

    int32_t GetReferenceCount() const { return m_count.load(); }

    // The object's weak block, made on first use. Requires: the caller holds
    // a reference (or otherwise keeps the object alive).
    WeakReferenceData* AcquireWeakBlock();

private:
    friend class WeakReferenceData;

    // Called once, by whoever settles the object's death.
    void DestroyAfterLastRelease();

    std::atomic<int32_t> m_count{0};
    std::atomic<WeakReferenceData*> m_weak{nullptr};
};

// The base class of counted engine objects.
class ReferenceCounter : public virtual __ReferenceCounterData {
public:
    ~ReferenceCounter() override = default;
};

// Shared by an object and its weak pointers, and counted by them; it outlives
// the object while weak pointers remain.
class WeakReferenceData final : public __ReferenceCounterData {
public:
    explicit WeakReferenceData(__ReferenceCounterData* object) : m_object(object) {}

    // Adds a reference to the object when it is still alive; false when it
    // is gone (or going). See ReferenceCounter.cpp for the protocol.
    bool TryLock();

    // 1 while the object lives, 0 once it is gone, above 1 while locks run.
    int32_t GetLiveCount() const { return m_live.load(); }

private:
    friend class __ReferenceCounterData;

    __ReferenceCounterData* m_object;  // valid while m_live > 0
    std::atomic<int32_t> m_live{1};
};

}  // namespace Varnok
