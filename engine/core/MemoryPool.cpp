// The bump arena and the fixed-size pool.
#include "engine/core/MemoryPool.h"

#include "engine/core/Log.h"

#include <cstring>
#include <new>

namespace Varnok {
namespace {

constexpr size_t kAlignment = 8;

constexpr size_t RoundUp(size_t value, size_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

struct ArenaHeader {
    uint32_t wholeSize;
    uint32_t tag;
};
static_assert(sizeof(ArenaHeader) == 8, "the linear arena's header is two words");

void FillGuard(uint8_t* at, size_t bytes) {
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        const uint32_t word = LinearArena::kGuardWord;
        std::memcpy(at + i, &word, 4);
    }
}

}  // namespace

void MemFill(void* buffer, uint8_t value, size_t count) {
    if (buffer != nullptr && count > 0) {
        std::memset(buffer, value, count);
    }
}

LinearArena::LinearArena(size_t capacity, uint16_t guardBytes, bool raw)
    : m_guardSize(static_cast<uint16_t>(RoundUp(guardBytes, 16))), m_raw(raw) {
    capacity = RoundUp(capacity, kAlignment);
    m_base = static_cast<uint8_t*>(::operator new(capacity == 0 ? 1 : capacity));
    m_bump = m_base;
    m_end = m_base + capacity;
}

LinearArena::~LinearArena() {
    ::operator delete(m_base);
}

void* LinearArena::Alloc(size_t size, uint32_t tag) {
    const size_t room = static_cast<size_t>(m_end - m_bump);
    if (size > room) {
        return nullptr;
    }
    size = RoundUp(size, kAlignment);
    if (m_raw) {
        if (size > room) {
            return nullptr;
        }
        void* data = m_bump;
        m_bump += size;
        return data;
    }
    const size_t whole = sizeof(ArenaHeader) + m_guardSize + size;
    if (whole > room || whole > UINT32_MAX) {
        return nullptr;
    }
    ArenaHeader header{static_cast<uint32_t>(whole), tag};
    std::memcpy(m_bump, &header, sizeof header);
    const size_t halfGuard = m_guardSize / 2u;
    uint8_t* data = m_bump + sizeof(ArenaHeader) + halfGuard;
    FillGuard(data - halfGuard, halfGuard);
    FillGuard(data + size, halfGuard);
    m_bump += whole;
    return data;
}

FixedPool::FixedPool(size_t blockSize, LinearArena* arena)
    : m_arena(arena),
      m_blockSize(RoundUp(blockSize < sizeof(FreeBlock) ? sizeof(FreeBlock) : blockSize,
                          kAlignment)) {}

FixedPool::~FixedPool() {
    if (m_arena != nullptr) {
        return;  // the arena owns its memory
    }
    while (m_freeList != nullptr) {
        FreeBlock* next = m_freeList->next;
        ::operator delete(m_freeList);
        m_freeList = next;
    }
}

void* FixedPool::Alloc() {
    if (m_freeList != nullptr) {
        FreeBlock* block = m_freeList;
        m_freeList = block->next;
        return block;
    }
    if (m_arena != nullptr) {
        return m_arena->Alloc(m_blockSize, 0);
    }
    return ::operator new(m_blockSize);
}

void FixedPool::Free(void* block) {
    if (block == nullptr) {
        return;
    }
    FreeBlock* freed = new (block) FreeBlock{m_freeList};
    m_freeList = freed;
}

}  // namespace Varnok
