// Prepared copies of the small meshes that ".tex" textures may carry, made
// once per texture for the sprite batch: the pairs as a vertex table with a
// lookup back to their positions, and the 16-bit list as an index list.
#pragma once

#include "engine/core/EventList.h"
#include "engine/core/PagePool.h"
#include "engine/render/PagePoolAllocator.h"
#include "engine/render/TextureImage.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace Varnok {

class Texture;

// Pairs order by their first value, then their second.
struct TexturePairLess {
    bool operator()(const TexturePair& a, const TexturePair& b) const {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    }
};

// One index list over an index set's vertex table.
struct BatchIndexNode {
    explicit BatchIndexNode(PagePool& pool) : indices(PagePoolAllocator<uint16_t>(pool)) {}

    std::vector<uint16_t, PagePoolAllocator<uint16_t>> indices;
    BatchIndexNode* next = nullptr;  // owned by the set's list
    uint32_t value = 0;              // the texture's extra word
    uint16_t firstVertex = 0;
    uint16_t vertexCount = 0;
};

class BatchIndexSet {
public:
    static constexpr int kSlotCount = 9;
    using ChangeEvent = Event1<BatchIndexSet*>;

    // Holds a reference to the pool while it lives.
    explicit BatchIndexSet(PagePool& pool);
    ~BatchIndexSet();
    BatchIndexSet(const BatchIndexSet&) = delete;
    BatchIndexSet& operator=(const BatchIndexSet&) = delete;

    // Replaces everything by one index node over a copy of pairs; dispatches
    // the change event. Positions past 65535 cannot be indexed: such pairs
    // are kept in the table but not entered in the lookup.
    void Build(const std::vector<TexturePair>& pairs, const std::vector<uint16_t>& indices,
               uint32_t value);

    const std::vector<TexturePair, PagePoolAllocator<TexturePair>>& GetVertexTable() const {
        return m_vertexTable;
    }
    // The position of a pair (the last one when it repeats); false when absent.
    bool FindPair(const TexturePair& pair, uint16_t& outPosition) const;
    const BatchIndexNode* GetFirstNode() const { return m_firstNode; }
    // Null for an empty slot; slot must lie in 0..kSlotCount - 1.
    BatchIndexNode* GetSlot(int slot) const { return m_slots[slot]; }
    bool IsBusy() const { return m_busy; }
    ChangeEvent& GetChangeEvent() { return m_changeEvent; }

private:
    using PairLookup = std::map<TexturePair, uint16_t, TexturePairLess,
                                PagePoolAllocator<std::pair<const TexturePair, uint16_t>>>;

    void FreeNodes();

    PagePool& m_pool;  // counted
    std::vector<TexturePair, PagePoolAllocator<TexturePair>> m_vertexTable;
    PairLookup m_pairLookup;
    BatchIndexNode* m_firstNode = nullptr;  // the list, allocated from the pool
    BatchIndexNode* m_slots[kSlotCount] = {};
    bool m_busy = false;
    bool m_changed = false;
    ChangeEvent m_changeEvent;
};

class BatchTextureEntry {
public:
    // Builds the index set from the texture's mesh; texture may be null
    // (an empty entry).
    explicit BatchTextureEntry(const Texture* texture);
    ~BatchTextureEntry();
    BatchTextureEntry(const BatchTextureEntry&) = delete;
    BatchTextureEntry& operator=(const BatchTextureEntry&) = delete;

    BatchIndexSet& GetIndexSet() { return *m_indexSet; }
    const BatchIndexSet& GetIndexSet() const { return *m_indexSet; }
    PagePool& GetPool() const { return *m_pool; }

private:
    void OnIndexSetChanged(BatchIndexSet* set);

    PagePool* m_pool;  // counted; made with the entry
    std::unique_ptr<BatchIndexSet> m_indexSet;
};

// Draw thread only: there is no lock.
class BatchTextureCache {
public:
    // The one cache, made on first use and kept until the program exits.
    static BatchTextureCache& Get();

    // The entry for the texture's hash, made on the first request; textures
    // with the same hash share the first one's entry. Never null.
    BatchTextureEntry* GetEntry(const Texture* texture);
    void ClearAll();

    int EntryCount() const { return static_cast<int>(m_entries.size()); }

private:
    BatchTextureCache() = default;

    std::map<uint32_t, std::unique_ptr<BatchTextureEntry>> m_entries;
};

// Empties the cache; the game does it at start-up.
void ClearBatchTextureCache();

}  // namespace Varnok
