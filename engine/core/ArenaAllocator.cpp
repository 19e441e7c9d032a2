// First-fit allocation, splitting and merging inside one arena.
#include "engine/core/ArenaAllocator.h"

#include "engine/core/Log.h"

#include <new>

namespace Varnok {
namespace {

constexpr size_t kAlignment = 8;
constexpr const char* kUnnamed = "unnamed";

constexpr size_t RoundUp(size_t value, size_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

}  // namespace

ArenaAllocator::ArenaAllocator(size_t capacity, const char* name)
    : m_name(name != nullptr ? name : "") {
    capacity = RoundUp(capacity, kAlignment);
    m_base = static_cast<uint8_t*>(::operator new(capacity == 0 ? 1 : capacity));
    m_bump = m_base;
    m_end = m_base + capacity;
}

ArenaAllocator::~ArenaAllocator() {
    ::operator delete(m_base);
}

ArenaAllocator::Block* ArenaAllocator::BlockOf(const void* data) {
    return reinterpret_cast<Block*>(const_cast<uint8_t*>(static_cast<const uint8_t*>(data)) -
                                    RoundUp(sizeof(Block), kAlignment));
}

uint8_t* ArenaAllocator::DataOf(Block* block) {
    return reinterpret_cast<uint8_t*>(block) + RoundUp(sizeof(Block), kAlignment);
}

const char* ArenaAllocator::GetBlockName(const void* data) {
    return data != nullptr ? BlockOf(data)->name : nullptr;
}

void ArenaAllocator::AppendFree(Block* block) {
    block->prevFree = m_freeLast;
    block->nextFree = nullptr;
    if (m_freeLast != nullptr) {
        m_freeLast->nextFree = block;
    } else {
        m_freeFirst = block;
    }
    m_freeLast = block;
}

void ArenaAllocator::RemoveFree(Block* block) {
    (block->prevFree != nullptr ? block->prevFree->nextFree : m_freeFirst) = block->nextFree;
    (block->nextFree != nullptr ? block->nextFree->prevFree : m_freeLast) = block->prevFree;
    block->prevFree = block->nextFree = nullptr;
}

ArenaAllocator::Block* ArenaAllocator::TakeFirstFit(uint32_t wholeSize) {
    const uint32_t header = static_cast<uint32_t>(RoundUp(sizeof(Block), kAlignment));
    for (Block* block = m_freeFirst; block != nullptr; block = block->nextFree) {
        if (block->size < wholeSize) {
            continue;
        }
        RemoveFree(block);
        const uint32_t rest = block->size - wholeSize;
        // A rest no bigger than a header could hold no data: take it whole.
        if (rest > header) {
            Block* remainder = reinterpret_cast<Block*>(reinterpret_cast<uint8_t*>(block) +
                                                        wholeSize);
            remainder->prev = block;
            remainder->next = block->next;
            remainder->name = block->name;
            remainder->size = rest;
            remainder->tag = kTagFree;
            if (block->next != nullptr) {
                block->next->prev = remainder;
            }
            block->next = remainder;
            block->size = wholeSize;
            AppendFree(remainder);
        }
        return block;
    }
    return nullptr;
}

void* ArenaAllocator::Alloc(size_t size, const char* name) {
    const size_t header = RoundUp(sizeof(Block), kAlignment);
    if (size > GetCapacity()) {
        return nullptr;
    }
    const size_t whole = header + RoundUp(size, kAlignment);
    if (whole > GetCapacity() || whole > UINT32_MAX) {
        return nullptr;
    }
    Block* block = TakeFirstFit(static_cast<uint32_t>(whole));
    if (block == nullptr) {
        if (whole > static_cast<size_t>(m_end - m_bump)) {
            return nullptr;
        }
        block = reinterpret_cast<Block*>(m_bump);
        m_bump += whole;
        block->prev = m_top;
        block->next = nullptr;
        block->size = static_cast<uint32_t>(whole);
        if (m_top != nullptr) {
            m_top->next = block;
        } else {
            m_first = block;
        }
        m_top = block;
    }
    block->name = name;
    block->tag = kTagInUse;
    block->prevFree = block->nextFree = nullptr;
    return DataOf(block);
}

void ArenaAllocator::Free(void* data) {
    if (data == nullptr) {
        return;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (bytes < m_base + RoundUp(sizeof(Block), kAlignment) || bytes > m_bump) {  // a zero-sized top block ends at the bump pointer
        Log("ArenaAllocator \"%s\": %p is not a block of this arena", m_name, data);
        return;
    }
    Block* block = BlockOf(data);
    if (block->tag != kTagInUse) {
        return;
    }
    block->tag = kTagFree;
    block->name = kUnnamed;

    if (block == m_top) {
        // The top and every free block right below it go back to the bump area.
        while (m_top != nullptr && (m_top == block || m_top->tag == kTagFree)) {
            Block* gone = m_top;
            if (gone != block) {
                RemoveFree(gone);
            }
            m_bump = reinterpret_cast<uint8_t*>(gone);
            m_top = gone->prev;
            if (m_top != nullptr) {
                m_top->next = nullptr;
            }
        }
        if (m_top == nullptr) {
            m_first = nullptr;
            m_bump = m_base;
        }
        return;
    }

    // Merge the run of free blocks around this one into its first block.
    AppendFree(block);
    Block* start = block;
    while (start->prev != nullptr && start->prev->tag == kTagFree) {
        start = start->prev;
    }
    while (start->next != nullptr && start->next->tag == kTagFree) {
        Block* merged = start->next;
        RemoveFree(merged);
        start->size += merged->size;
        start->next = merged->next;
        if (merged->next != nullptr) {
            merged->next->prev = start;
        }
    }
}

}  // namespace Varnok
