// A standard-library allocator over a shared PagePool, so that the containers
// of one cache entry take their memory from that entry's pages.
#pragma once

#include "engine/core/Log.h"
#include "engine/core/PagePool.h"

#include <cstddef>
#include <cstdlib>

namespace Varnok {

// Each allocator (and each copy a container makes) holds one pool reference.
// Blocks are 8-aligned, enough for every type stored here.
template <typename T>
class PagePoolAllocator {
public:
    using value_type = T;

    explicit PagePoolAllocator(PagePool& pool) : m_pool(&pool) { m_pool->AddRef(); }
    PagePoolAllocator(const PagePoolAllocator& other) : m_pool(other.m_pool) { m_pool->AddRef(); }
    template <typename U>
    PagePoolAllocator(const PagePoolAllocator<U>& other) : m_pool(other.GetPool()) {
        m_pool->AddRef();
    }
    PagePoolAllocator& operator=(const PagePoolAllocator& other) {
        other.m_pool->AddRef();
        m_pool->Release();
        m_pool = other.m_pool;
        return *this;
    }
    ~PagePoolAllocator() { m_pool->Release(); }

    T* allocate(size_t count) {
        static_assert(alignof(T) <= 8, "pool blocks are 8-aligned");
        void* block = count <= m_pool->GetMaxAllocation() / sizeof(T)
                          ? m_pool->Alloc(count * sizeof(T))
                          : nullptr;
        if (block == nullptr) {
            // As with operator new, a container cannot go on without memory.
            Log("PagePoolAllocator: out of memory for %zu bytes", count * sizeof(T));
            std::abort();
        }
        return static_cast<T*>(block);
    }
    void deallocate(T* block, size_t /*count*/) { m_pool->Free(block); }

    PagePool* GetPool() const { return m_pool; }

    template <typename U>
    bool operator==(const PagePoolAllocator<U>& other) const {
        return m_pool == other.GetPool();
    }
    template <typename U>
    bool operator!=(const PagePoolAllocator<U>& other) const {
        return m_pool != other.GetPool();
    }

private:
    PagePool* m_pool;  // counted
};

}  // namespace Varnok
