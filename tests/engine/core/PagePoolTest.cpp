#include "engine/core/PagePool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace Varnok {
namespace {

// Holds one reference for the test's duration.
class PoolRef {
public:
    PoolRef(size_t pageSize, bool growable) : m_pool(new PagePool(pageSize, growable)) {
        m_pool->AddRef();
    }
    ~PoolRef() { m_pool->Release(); }
    PagePool* operator->() const { return m_pool; }

private:
    PagePool* m_pool;
};

uint8_t* Bytes(void* p) {
    return static_cast<uint8_t*>(p);
}

TEST(PagePool, FixedPoolRefusesWhatItsPageCannotHold) {
    PoolRef pool(4096, false);
    EXPECT_EQ(pool->GetMaxAllocation(), 4096u);
    EXPECT_EQ(pool->Alloc(5000), nullptr);
    void* all = pool->Alloc(4096);
    ASSERT_NE(all, nullptr);
    std::memset(all, 0x5A, 4096);  // the whole page is usable
    EXPECT_EQ(pool->Alloc(8), nullptr);  // no second page
    EXPECT_EQ(pool->GetPageCount(), 1);
    pool->Free(all);
    EXPECT_EQ(pool->Alloc(4096), all);
}

TEST(PagePool, GrowablePoolMakesAPageForALargeRequest) {
    PoolRef pool(4096, true);
    EXPECT_EQ(pool->GetMaxAllocation(), 0x7FFFFFFFu);
    void* small = pool->Alloc(100);
    void* large = pool->Alloc(5000);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    std::memset(large, 0x5A, 5000);
    EXPECT_EQ(pool->GetPageCount(), 2);
    // The small page still has room: no third page.
    EXPECT_NE(pool->Alloc(100), nullptr);
    EXPECT_EQ(pool->GetPageCount(), 2);
    EXPECT_EQ(pool->Alloc(SIZE_MAX), nullptr);
}

TEST(PagePool, FirstFitReusesAFreedBlock) {
    PoolRef pool(4096, false);
    void* a = pool->Alloc(100);
    void* b = pool->Alloc(100);
    void* c = pool->Alloc(100);
    ASSERT_NE(c, nullptr);
    EXPECT_GT(Bytes(b), Bytes(a));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 8, 0u);
    pool->Free(b);
    EXPECT_EQ(pool->Alloc(100), b);
    EXPECT_EQ(pool->Alloc(1), Bytes(c) + (Bytes(c) - Bytes(b)));  // fresh space after c
}

TEST(PagePool, FreedNeighboursMerge) {
    PoolRef pool(4096, false);
    void* a = pool->Alloc(64);
    void* b = pool->Alloc(64);
    void* c = pool->Alloc(64);
    void* d = pool->Alloc(64);
    ASSERT_NE(d, nullptr);
    const size_t stride = static_cast<size_t>(Bytes(b) - Bytes(a));

    pool->Free(c);  // free on its own
    pool->Free(b);  // absorbs c after it
    pool->Free(a);  // absorbs b (and c)
    // One block spanning a, b and c.
    EXPECT_EQ(pool->Alloc(2 * stride + 64), a);
    pool->Free(a);

    // The block before a freed block takes it in.
    void* a2 = pool->Alloc(64);
    void* b2 = pool->Alloc(64);
    EXPECT_EQ(a2, a);
    EXPECT_EQ(b2, b);
    pool->Free(a2);
    pool->Free(b2);
    pool->Free(d);  // merges into the whole free run: the page is one block again
    EXPECT_EQ(pool->Alloc(4096), a);
}

TEST(PagePool, DoubleFreeIsRefused) {
    PoolRef pool(1024, false);
    void* a = pool->Alloc(64);
    void* b = pool->Alloc(64);
    pool->Free(a);
    pool->Free(a);  // logged and ignored
    pool->Free(nullptr);
    EXPECT_EQ(pool->Alloc(64), a);
    EXPECT_NE(pool->Alloc(64), a);
    (void)b;
}

TEST(PagePool, SharedByCount) {
    PagePool* pool = new PagePool(256, true);
    pool->AddRef();
    pool->AddRef();
    EXPECT_EQ(pool->GetReferenceCount(), 2);
    EXPECT_NE(pool->Alloc(1000), nullptr);
    pool->Release();
    EXPECT_EQ(pool->GetReferenceCount(), 1);
    pool->Release();  // frees every page and the pool (the sanitizer checks)
}

}  // namespace
}  // namespace Varnok
