// Fixed-size block recycling over the heap or a bump-pointer arena.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Varnok {

// Fills count bytes at buffer with value.
void MemFill(void* buffer, uint8_t value, size_t count);

// Hands out blocks from one fixed region by bumping a pointer; blocks are
// never returned. Unless raw, each block carries an 8-byte header {whole
// size, tag}, and with a guard its data is framed by 0xDEADC0DE words (half
// the guard before the data, half after). Sizes are rounded up to 8 so that
// every block is pointer-aligned.
class LinearArena {
public:
    static constexpr uint32_t kGuardWord = 0xDEADC0DE;

    // guardBytes is rounded up to 16 (0 for none).
    explicit LinearArena(size_t capacity, uint16_t guardBytes = 0, bool raw = false);
    ~LinearArena();
    LinearArena(const LinearArena&) = delete;
    LinearArena& operator=(const LinearArena&) = delete;

    // Null when the whole block would not end within the arena.
    void* Alloc(size_t size, uint32_t tag);

    size_t GetUsedBytes() const { return static_cast<size_t>(m_bump - m_base); }
    size_t GetCapacity() const { return static_cast<size_t>(m_end - m_base); }

private:
    uint8_t* m_base;
    uint8_t* m_bump;
    uint8_t* m_end;
    uint16_t m_guardSize;
    bool m_raw;
};

// Recycles blocks of one size: freed blocks go on a free list (linked through
// their first word) and are handed out again before any new block is made.
// Blocks in use are not tracked. Not thread-safe.
class FixedPool {
public:
    // blockSize is raised to at least a pointer and rounded up to 8. New blocks
    // come from arena when given (it must outlive the pool), else the heap.
    explicit FixedPool(size_t blockSize, LinearArena* arena = nullptr);
    // Frees the heap blocks on the free list; blocks still in use are the
    // caller's to return first.
    ~FixedPool();
    FixedPool(const FixedPool&) = delete;
    FixedPool& operator=(const FixedPool&) = delete;

    // Null when the arena is full.
    void* Alloc();
    // Null does nothing.
    void Free(void* block);

    size_t GetBlockSize() const { return m_blockSize; }

private:
    struct FreeBlock {
        FreeBlock* next;
    };

    LinearArena* m_arena;
    size_t m_blockSize;
    FreeBlock* m_freeList = nullptr;
};

}  // namespace Varnok
