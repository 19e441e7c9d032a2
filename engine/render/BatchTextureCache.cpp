// Building the index sets of the batch texture cache.
#include "engine/render/BatchTextureCache.h"

#include "engine/core/Log.h"
#include "engine/render/Texture.h"

#include <cstdlib>
#include <new>

namespace Varnok {
namespace {

constexpr size_t kEntryPageSize = 512;
constexpr size_t kMaxIndexedPairs = 0x10000;  // positions are 16-bit

}  // namespace

BatchIndexSet::BatchIndexSet(PagePool& pool)
    : m_pool(pool),
      m_vertexTable(PagePoolAllocator<TexturePair>(pool)),
      m_pairLookup(TexturePairLess(),
                   PagePoolAllocator<std::pair<const TexturePair, uint16_t>>(pool)) {
    m_pool.AddRef();
}

BatchIndexSet::~BatchIndexSet() {
    FreeNodes();
    // The containers' allocators hold references of their own, so the pool
    // outlives them whatever the order.
    m_pool.Release();
}

void BatchIndexSet::FreeNodes() {
    while (m_firstNode != nullptr) {
        BatchIndexNode* next = m_firstNode->next;
        m_firstNode->~BatchIndexNode();
        m_pool.Free(m_firstNode);
        m_firstNode = next;
    }
    for (BatchIndexNode*& slot : m_slots) {
        slot = nullptr;
    }
}

void BatchIndexSet::Build(const std::vector<TexturePair>& pairs,
                          const std::vector<uint16_t>& indices, uint32_t value) {
    m_busy = true;
    m_changed = true;
    FreeNodes();

    m_vertexTable.assign(pairs.begin(), pairs.end());
    m_pairLookup.clear();
    const size_t indexed = pairs.size() < kMaxIndexedPairs ? pairs.size() : kMaxIndexedPairs;
    if (indexed < pairs.size()) {
        Log("BatchTextureCache: %zu mesh pairs, only the first %zu can be indexed", pairs.size(),
            indexed);
    }
    for (size_t i = 0; i < indexed; ++i) {
        m_pairLookup[pairs[i]] = static_cast<uint16_t>(i);
    }

    void* block = m_pool.Alloc(sizeof(BatchIndexNode));
    if (block == nullptr) {
        Log("BatchTextureCache: out of memory for an index node");
        std::abort();
    }
    auto* node = new (block) BatchIndexNode(m_pool);
    node->indices.assign(indices.begin(), indices.end());
    node->value = value;
    node->firstVertex = 0;
    node->vertexCount = static_cast<uint16_t>(indexed < 0xFFFF ? indexed : 0xFFFF);
    m_firstNode = node;
    for (int i = 0; i < kSlotCount - 1; ++i) {
        m_slots[i] = node;
    }

    if (m_changed) {
        m_changed = false;
        m_changeEvent.Invoke(this);
    }
    m_busy = false;
}

bool BatchIndexSet::FindPair(const TexturePair& pair, uint16_t& outPosition) const {
    const auto it = m_pairLookup.find(pair);
    if (it == m_pairLookup.end()) {
        return false;
    }
    outPosition = it->second;
    return true;
}

BatchTextureEntry::BatchTextureEntry(const Texture* texture)
    : m_pool(new PagePool(kEntryPageSize, true)) {
    m_pool->AddRef();
    m_indexSet = std::make_unique<BatchIndexSet>(*m_pool);
    m_indexSet->GetChangeEvent().Add(
        BatchIndexSet::ChangeEvent::DelegateType(this, &BatchTextureEntry::OnIndexSetChanged));
    static const std::vector<TexturePair> kNoPairs;
    static const std::vector<uint16_t> kNoIndices;
    m_indexSet->Build(texture != nullptr ? texture->GetPairList() : kNoPairs,
                      texture != nullptr ? texture->GetShortList() : kNoIndices,
                      texture != nullptr ? texture->GetExtraWord() : 0);
}

BatchTextureEntry::~BatchTextureEntry() {
    m_indexSet.reset();
    m_pool->Release();
}

void BatchTextureEntry::OnIndexSetChanged(BatchIndexSet* /*set*/) {
    // Nothing to do: the sprite batch reads the set when it draws.
}

BatchTextureCache& BatchTextureCache::Get() {
    static BatchTextureCache s_cache;
    return s_cache;
}

BatchTextureEntry* BatchTextureCache::GetEntry(const Texture* texture) {
    const uint32_t key = texture != nullptr ? texture->GetHash() : 0;
    std::unique_ptr<BatchTextureEntry>& entry = m_entries[key];
    if (entry == nullptr) {
        entry = std::make_unique<BatchTextureEntry>(texture);
    }
    return entry.get();
}

void BatchTextureCache::ClearAll() {
    m_entries.clear();
}

void ClearBatchTextureCache() {
    BatchTextureCache::Get().ClearAll();
}

}  // namespace Varnok
