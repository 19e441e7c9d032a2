// Atomic primitives under reference counts, weak blocks and shared pointer
// slots. Every operation is sequentially consistent (a full barrier).
#pragma once

#include <atomic>
#include <cstdint>

namespace Varnok {

// Keeps value arguments out of template deduction, so nullptr may be passed.
template <typename T>
struct AtomicArg {
    using Type = T;
};

// Add 1 or -1; return the new value.
inline int32_t AtomicIncrement(std::atomic<int32_t>& value) {
    return value.fetch_add(1) + 1;
}
inline int32_t AtomicDecrement(std::atomic<int32_t>& value) {
    return value.fetch_sub(1) - 1;
}

// Store value; return the previous one.
inline int32_t AtomicExchange(std::atomic<int32_t>& slot, int32_t value) {
    return slot.exchange(value);
}
template <typename T>
T* AtomicExchangePointer(std::atomic<T*>& slot, typename AtomicArg<T*>::Type value) {
    return slot.exchange(value);
}

// Store newValue only when the slot holds expected; return the value found.
inline int32_t AtomicCompareExchange(std::atomic<int32_t>& slot, int32_t newValue,
                                     int32_t expected) {
    slot.compare_exchange_strong(expected, newValue);
    return expected;  // on failure compare_exchange wrote the value found
}
template <typename T>
T* AtomicCompareExchangePointer(std::atomic<T*>& slot, typename AtomicArg<T*>::Type newValue,
                                typename AtomicArg<T*>::Type expected) {
    slot.compare_exchange_strong(expected, newValue);
    return expected;
}

// As AtomicCompareExchange; true when it stored.
inline bool AtomicCompareExchangeBool(std::atomic<int32_t>& slot, int32_t newValue,
                                      int32_t expected) {
    return slot.compare_exchange_strong(expected, newValue);
}
template <typename T>
bool AtomicCompareExchangeBool(std::atomic<T*>& slot, typename AtomicArg<T*>::Type newValue,
                               typename AtomicArg<T*>::Type expected) {
    return slot.compare_exchange_strong(expected, newValue);
}

// A pointer slot that several threads may swap at once.
template <typename T>
class InterlockedPointer {
public:
    InterlockedPointer() = default;
    explicit InterlockedPointer(T* value) : m_value(value) {}
    InterlockedPointer(const InterlockedPointer&) = delete;
    InterlockedPointer& operator=(const InterlockedPointer&) = delete;

    T* Get() const { return m_value.load(); }
    T* Exchange(T* value) { return AtomicExchangePointer(m_value, value); }
    T* CompareExchange(T* newValue, T* expected) {
        return AtomicCompareExchangePointer(m_value, newValue, expected);
    }

private:
    std::atomic<T*> m_value{nullptr};
};

}  // namespace Varnok
