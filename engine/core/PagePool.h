// A shared, counted pool of pages with first-fit blocks: the container
// allocator of the sprite batch and the batch texture cache.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace Varnok {

// Allocation is not locked: users that share a pool across threads hold their
// own mutex. Only the reference count is atomic.
class PagePool {
public:
    // Made with a count of 0: every holder calls AddRef(), and the Release()
    // that brings the count back to 0 frees the pages and the pool, so a pool
    // must be made with new. A growable pool makes pages large enough for any
    // request; a fixed one has at most one page.
    PagePool(size_t pageSize, bool growable);
    PagePool(const PagePool&) = delete;
    PagePool& operator=(const PagePool&) = delete;

    void AddRef();
    void Release();
    int32_t GetReferenceCount() const { return m_refCount.load(); }

    // First fit over the pages; data sizes are rounded up to 8. Null when the
    // request cannot be met.
    void* Alloc(size_t size);
    // Returns the block to its page, merging it with free neighbours. Null
    // does nothing.
    void Free(void* data);

    // The largest request that can succeed: the page size, or 0x7FFFFFFF for
    // a growable pool.
    size_t GetMaxAllocation() const;
    int GetPageCount() const;

private:
    struct Page;
    struct Block;

    ~PagePool();

    Page* MakePage(size_t dataBytes);
    static void* TakeFromPage(Page* page, size_t size);

    std::atomic<int32_t> m_refCount{0};
    bool m_growable;
    size_t m_pageSize;
    Page* m_firstPage = nullptr;
};

}  // namespace Varnok
