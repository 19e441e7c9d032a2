// Named blocks carved out of one big block, first fit, with freed neighbours
// merged and freed top blocks returned to the bump area.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Varnok {

// Used on one thread. Every block has a header {previous block, next block,
// name, free-list links, whole size, tag}; block and data sizes are multiples
// of 8 so that data is pointer-aligned.
class ArenaAllocator {
public:
    // capacity is rounded up to 8. name labels the arena in diagnostics and
    // must outlive it.
    explicit ArenaAllocator(size_t capacity, const char* name = "");
    ~ArenaAllocator();
    ArenaAllocator(const ArenaAllocator&) = delete;
    ArenaAllocator& operator=(const ArenaAllocator&) = delete;

    // size bytes (rounded up to 8) named name (a string that outlives the
    // block). Reuses the first free block that is large enough, splitting off
    // the rest when that is worth a block; otherwise takes fresh space. Null
    // when the arena is full.
    void* Alloc(size_t size, const char* name);
    // Marks the block free (named "unnamed"). A freed top block goes back to
    // the bump area with the free blocks right below it; any other freed block
    // merges with its free neighbours. Null, or a block already free, does
    // nothing.
    void Free(void* data);

    // Bytes between the base and the bump pointer.
    size_t GetUsedBytes() const { return static_cast<size_t>(m_bump - m_base); }
    size_t GetCapacity() const { return static_cast<size_t>(m_end - m_base); }
    // The name a live or free block carries; null for null.
    static const char* GetBlockName(const void* data);

private:
    enum Tag : uint8_t { kTagFree = 1, kTagInUse = 2 };

    struct Block {
        Block* prev;      // lower neighbour
        Block* next;      // higher neighbour
        const char* name;
        Block* prevFree;  // free-list links, valid while free
        Block* nextFree;
        uint32_t size;    // the whole block, header included
        uint8_t tag;
    };

    static Block* BlockOf(const void* data);
    static uint8_t* DataOf(Block* block);
    void AppendFree(Block* block);
    void RemoveFree(Block* block);
    Block* TakeFirstFit(uint32_t wholeSize);

    Block* m_freeFirst = nullptr;
    Block* m_freeLast = nullptr;
    Block* m_first = nullptr;  // lowest block
    Block* m_top = nullptr;    // highest block; never free
    uint8_t* m_base;
    uint8_t* m_bump;
    uint8_t* m_end;
    const char* m_name;
};

}  // namespace Varnok
