// Holds one object derived from T, built in place in an inline buffer when it
// fits, so small polymorphic values (delegates' callables) never allocate.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

namespace Varnok {

// T must have a virtual destructor and a `void Clone(StackAllocatedPointer&)
// const` that rebuilds a copy of itself in the given holder (usually through
// CopyConstruct). Not synchronised.
template <typename T, int N = 32>
class StackAllocatedPointer {
public:
    StackAllocatedPointer() { m_union.pointer = nullptr; }
    StackAllocatedPointer(const StackAllocatedPointer& other) : StackAllocatedPointer() {
        *this = other;
    }
    ~StackAllocatedPointer() { Delete(); }

    // A copy of the source's object, built by its Clone; an empty source
    // empties this holder.
    StackAllocatedPointer& operator=(const StackAllocatedPointer& other) {
        if (this == &other) {
            return *this;
        }
        const T* source = other.Get();
        if (source != nullptr) {
            source->Clone(*this);
        } else {
            Delete();
        }
        return *this;
    }

    // Destroys the content (in place or on the heap); the holder is empty.
    void Delete() {
        if (m_isPointer) {
            delete m_union.pointer;
        } else {
            InPlace()->~T();
            m_isPointer = true;
        }
        m_union.pointer = nullptr;
    }

    // Replaces the content with a copy of `callable`: in the buffer when it
    // fits, else on the heap.
    template <typename C>
    void CopyConstruct(const C& callable) {
        Delete();
        if constexpr (sizeof(C) <= N && alignof(C) <= alignof(PointerBufferUnion)) {
            C* built = new (m_union.buffer) C(callable);
            // Get() reads the buffer as a T: the T part must start the object.
            static_assert(std::is_base_of<T, C>::value, "C must derive from T");
            if (static_cast<T*>(built) != reinterpret_cast<T*>(built)) {
                built->~C();
                m_union.pointer = new C(callable);
                return;
            }
            m_isPointer = false;
        } else {
            m_union.pointer = new C(callable);
        }
    }

    T* Get() { return m_isPointer ? m_union.pointer : InPlace(); }
    const T* Get() const { return m_isPointer ? m_union.pointer : InPlace(); }
    bool IsEmpty() const { return Get() == nullptr; }
    // True when the content lives in the inline buffer.
    bool IsInPlace() const { return !m_isPointer; }

private:
    union PointerBufferUnion {
        T* pointer;
        alignas(void*) unsigned char buffer[N];
    };

    T* InPlace() { return std::launder(reinterpret_cast<T*>(m_union.buffer)); }
    const T* InPlace() const {
        return std::launder(reinterpret_cast<const T*>(m_union.buffer));
    }

    PointerBufferUnion m_union;
    bool m_isPointer = true;  // set: m_union.pointer is the content (or null)
};

}  // namespace Varnok
