// Pages of first-fit blocks: split on allocation, merged on free.
#include "engine/core/PagePool.h"

#include "engine/core/Atomic.h"
#include "engine/core/Log.h"

#include <new>

namespace Varnok {
namespace {

constexpr size_t RoundUp(size_t value, size_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

constexpr size_t kMaxGrowableRequest = 0x7FFFFFFF;

}  // namespace

// A page: this header, then blocks up to end.
struct PagePool::Page {
    uint32_t blockCount;
    uint32_t freeCount;
    Page* next;
    Block* firstFree;
    uint8_t* end;
};

// A block's room runs from its data to the next block (or the page end).
struct PagePool::Block {
    Page* page;
    Block* next;
    Block* prev;
    Block** freeLink;  // the link that points at this block; null while in use
    Block* nextFree;

    uint8_t* Data() { return reinterpret_cast<uint8_t*>(this) + kHeaderSize; }
    uint8_t* RoomEnd() { return next != nullptr ? reinterpret_cast<uint8_t*>(next) : page->end; }
    bool IsFree() const { return freeLink != nullptr; }

    static const size_t kHeaderSize;
};

const size_t PagePool::Block::kHeaderSize = RoundUp(sizeof(PagePool::Block), 8);

namespace {

constexpr size_t kMinSplitData = 8;

}  // namespace

PagePool::PagePool(size_t pageSize, bool growable) : m_growable(growable), m_pageSize(pageSize) {}

PagePool::~PagePool() {
    while (m_firstPage != nullptr) {
        Page* next = m_firstPage->next;
        ::operator delete(m_firstPage);
        m_firstPage = next;
    }
}

void PagePool::AddRef() {
    AtomicIncrement(m_refCount);
}

void PagePool::Release() {
    if (AtomicDecrement(m_refCount) == 0) {
        delete this;
    }
}

size_t PagePool::GetMaxAllocation() const {
    return m_growable ? kMaxGrowableRequest : m_pageSize;
}

int PagePool::GetPageCount() const {
    int count = 0;
    for (Page* page = m_firstPage; page != nullptr; page = page->next) {
        ++count;
    }
    return count;
}

PagePool::Page* PagePool::MakePage(size_t dataBytes) {
    const size_t pageHeader = RoundUp(sizeof(Page), 8);
    dataBytes = RoundUp(dataBytes, 16);
    uint8_t* memory =
        static_cast<uint8_t*>(::operator new(pageHeader + Block::kHeaderSize + dataBytes));
    Page* page = reinterpret_cast<Page*>(memory);
    Block* block = reinterpret_cast<Block*>(memory + pageHeader);
    page->blockCount = 1;
    page->freeCount = 1;
    page->next = m_firstPage;
    page->firstFree = block;
    page->end = memory + pageHeader + Block::kHeaderSize + dataBytes;
    block->page = page;
    block->next = nullptr;
    block->prev = nullptr;
    block->freeLink = &page->firstFree;
    block->nextFree = nullptr;
    m_firstPage = page;
    return page;
}

void* PagePool::TakeFromPage(Page* page, size_t size) {
    if (page->freeCount == 0) {
        return nullptr;
    }
    for (Block* block = page->firstFree; block != nullptr; block = block->nextFree) {
        const size_t room = static_cast<size_t>(block->RoomEnd() - block->Data());
        if (room < size) {
            continue;
        }
        if (room >= size + Block::kHeaderSize + kMinSplitData) {
            // The rest becomes a free block that takes this one's place in the
            // free list.
            Block* rest = reinterpret_cast<Block*>(block->Data() + size);
            rest->page = page;
            rest->prev = block;
            rest->next = block->next;
            if (block->next != nullptr) {
                block->next->prev = rest;
            }
            block->next = rest;
            rest->freeLink = block->freeLink;
            *rest->freeLink = rest;
            rest->nextFree = block->nextFree;
            if (rest->nextFree != nullptr) {
                rest->nextFree->freeLink = &rest->nextFree;
            }
            ++page->blockCount;
        } else {
            *block->freeLink = block->nextFree;
            if (block->nextFree != nullptr) {
                block->nextFree->freeLink = block->freeLink;
            }
            --page->freeCount;
        }
        block->freeLink = nullptr;
        block->nextFree = nullptr;
        return block->Data();
    }
    return nullptr;
}

void* PagePool::Alloc(size_t size) {
    if (size > kMaxGrowableRequest) {
        return nullptr;
    }
    size = RoundUp(size, 8);
    for (Page* page = m_firstPage; page != nullptr; page = page->next) {
        if (void* data = TakeFromPage(page, size)) {
            return data;
        }
    }
    if (!m_growable && m_firstPage != nullptr) {
        return nullptr;
    }
    const size_t pageBytes = m_growable && size > m_pageSize ? size : m_pageSize;
    return TakeFromPage(MakePage(pageBytes), size);
}

void PagePool::Free(void* data) {
    if (data == nullptr) {
        return;
    }
    Block* block = reinterpret_cast<Block*>(static_cast<uint8_t*>(data) - Block::kHeaderSize);
    if (block->IsFree()) {
        Log("PagePool: block %p freed twice", data);
        return;
    }
    Page* page = block->page;
    // Absorb the free blocks that follow.
    while (block->next != nullptr && block->next->IsFree()) {
        Block* absorbed = block->next;
        *absorbed->freeLink = absorbed->nextFree;
        if (absorbed->nextFree != nullptr) {
            absorbed->nextFree->freeLink = absorbed->freeLink;
        }
        block->next = absorbed->next;
        if (absorbed->next != nullptr) {
            absorbed->next->prev = block;
        }
        --page->blockCount;
        --page->freeCount;
    }
    if (block->prev != nullptr && block->prev->IsFree()) {
        // The free block before takes this one in and stays in the free list.
        Block* before = block->prev;
        before->next = block->next;
        if (block->next != nullptr) {
            block->next->prev = before;
        }
        --page->blockCount;
        return;
    }
    block->nextFree = page->firstFree;
    if (block->nextFree != nullptr) {
        block->nextFree->freeLink = &block->nextFree;
    }
    page->firstFree = block;
    block->freeLink = &page->firstFree;
    ++page->freeCount;
}

}  // namespace Varnok
