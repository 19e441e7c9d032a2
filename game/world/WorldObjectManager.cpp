// WorldObjectManager: the per-type lists, the free pool and the passes.
#include "game/world/WorldObjectManager.h"

#include "engine/core/ArenaAllocator.h"
#include "engine/core/Log.h"

#include <cstring>
#include <new>

namespace Varnok {

struct WorldObjectManager::Node {
    WorldObject* object = nullptr;
    Node* prev = nullptr;
    Node* next = nullptr;  // also links the spare nodes
    uint32_t typeId = 0;
    bool dying = false;  // found dead in this pass; leaves at its end
};

struct WorldObjectManager::ListHead {
    Node* first = nullptr;
    Node* last = nullptr;
    int count = 0;
};

WorldObjectManager& WorldObjectManager::Instance() {
    static WorldObjectManager manager;
    return manager;
}

WorldObjectManager::WorldObjectManager() = default;

WorldObjectManager::~WorldObjectManager() {
    if (WorldObject::IsPoolCreated()) {
        Shutdown();
    }
}

bool WorldObjectManager::Init(int typeCount, int listArenaBytes) {
    if (m_heads != nullptr) {
        Shutdown();
    }
    if (typeCount <= 0 || listArenaBytes <= 0) {
        Log("WorldObjectManager: cannot make %d lists in %d bytes", typeCount, listArenaBytes);
        return false;
    }
    m_listArena = std::make_unique<ArenaAllocator>(static_cast<size_t>(listArenaBytes),
                                                   "WorldObjectLists");
    m_listArenaBytes = listArenaBytes;
    m_typeCount = typeCount;
    void* heads = m_listArena->Alloc(sizeof(ListHead) * static_cast<size_t>(typeCount), "Lists");
    if (heads == nullptr) {
        Log("WorldObjectManager: %d bytes hold no %d lists", listArenaBytes, typeCount);
        m_listArena.reset();
        m_listArenaBytes = 0;
        m_typeCount = 0;
        return false;
    }
    m_heads = static_cast<ListHead*>(heads);
    for (int t = 0; t < typeCount; ++t) {
        new (&m_heads[t]) ListHead();
    }
    return WorldObject::IsPoolCreated();
}

WorldObjectManager::ListHead* WorldObjectManager::HeadOf(uint32_t typeId) const {
    if (m_heads == nullptr || typeId >= static_cast<uint32_t>(m_typeCount)) {
        return nullptr;
    }
    return &m_heads[typeId];
}

WorldObjectManager::Node* WorldObjectManager::TakeNode() {
    Node* node = m_freeNodes;
    if (node != nullptr) {
        m_freeNodes = node->next;
        *node = Node();
        return node;
    }
    m_nodes.push_back(std::make_unique<Node>());
    return m_nodes.back().get();
}

void WorldObjectManager::ReleaseNode(Node* node) {
    node->object = nullptr;
    node->prev = nullptr;
    node->next = m_freeNodes;
    m_freeNodes = node;
}

void WorldObjectManager::Append(uint32_t typeId, WorldObject* object) {
    ListHead& head = m_heads[typeId];
    Node* node = TakeNode();
    node->object = object;
    node->typeId = typeId;
    node->prev = head.last;
    if (head.last != nullptr) {
        head.last->next = node;
    } else {
        head.first = node;
    }
    head.last = node;
    ++head.count;
}

WorldObject* WorldObjectManager::Acquire(uint32_t typeId) {
    if (HeadOf(typeId) == nullptr) {
        return nullptr;
    }
    for (int i = m_pooledCount - 1; i >= 0; --i) {
        WorldObject* object = m_pooled[i];
        if (object->typeId != typeId) {
            continue;
        }
        // The younger entries move down one place, keeping their order.
        std::memmove(&m_pooled[i], &m_pooled[i + 1],
                     sizeof(WorldObject*) * static_cast<size_t>(m_pooledCount - i - 1));
        m_pooled[--m_pooledCount] = nullptr;
        Append(typeId, object);
        object->flags &= ~WorldObject::kFlagSuspended;
        return object;
    }
    WorldObject* object = m_factory(typeId);
    if (object == nullptr) {
        return nullptr;
    }
    Append(typeId, object);
    object->typeId = static_cast<uint8_t>(typeId);
    return object;
}

void WorldObjectManager::UpdateAll(float stepSeconds) {
    if (m_heads == nullptr) {
        return;
    }
    bool overflow = false;
    for (int t = 0; t < m_typeCount; ++t) {
        // Objects acquired meanwhile are appended, so the walk reaches them.
        for (Node* node = m_heads[t].first; node != nullptr; node = node->next) {
            WorldObject* object = node->object;
            if (object->IsActive()) {
                object->Update(stepSeconds);
                object->PostUpdate(stepSeconds);
            }
            if (object->IsDead()) {
                node->dying = true;
                if (m_removalCount < kMaxPooled) {
                    m_removals[m_removalCount++] = node;
                } else {
                    overflow = true;
                }
            }
        }
    }
    for (int i = 0; i < m_removalCount; ++i) {
        Retire(m_removals[i]);
        m_removals[i] = nullptr;
    }
    m_removalCount = 0;
    if (!overflow) {
        return;
    }
    // More died than the removal list holds: the rest leave in the same
    // order, found by their marks.
    for (int t = 0; t < m_typeCount; ++t) {
        Node* node = m_heads[t].first;
        while (node != nullptr) {
            Node* next = node->next;
            if (node->dying) {
                Retire(node);
            }
            node = next;
        }
    }
}

void WorldObjectManager::Retire(Node* node) {
    ListHead& head = m_heads[node->typeId];
    (node->prev != nullptr ? node->prev->next : head.first) = node->next;
    (node->next != nullptr ? node->next->prev : head.last) = node->prev;
    --head.count;
    WorldObject* object = node->object;
    ReleaseNode(node);
    if (m_pooledCount < kMaxPooled) {
        m_pooled[m_pooledCount++] = object;
        return;
    }
    if (!m_poolFullLogged) {
        Log("WorldObjectManager: free pool full (%d); deleting dead objects beyond it",
            kMaxPooled);
        m_poolFullLogged = true;
    }
    Destroy(object);
}

void WorldObjectManager::Destroy(WorldObject* object) {
    object->Deactivate();
    delete object;
}

void WorldObjectManager::RenderAll() {
    if (m_heads == nullptr) {
        return;
    }
    for (int t = 0; t < m_typeCount; ++t) {
        for (Node* node = m_heads[t].first; node != nullptr; node = node->next) {
            if (node->object->IsActive()) {
                node->object->Render();
            }
        }
    }
}

void WorldObjectManager::Clear() {
    for (int i = 0; i < m_removalCount; ++i) {
        m_removals[i] = nullptr;
    }
    m_removalCount = 0;
    if (m_heads != nullptr) {
        for (int t = 0; t < m_typeCount; ++t) {
            ListHead& head = m_heads[t];
            Node* node = head.first;
            while (node != nullptr) {
                Node* next = node->next;
                Destroy(node->object);
                ReleaseNode(node);
                node = next;
            }
            head = ListHead();
        }
    }
    for (int i = 0; i < m_pooledCount; ++i) {
        Destroy(m_pooled[i]);
        m_pooled[i] = nullptr;
    }
    m_pooledCount = 0;
}

void WorldObjectManager::Shutdown() {
    Clear();
    m_heads = nullptr;  // the heads are plain data in the arena
    m_listArena.reset();
    m_listArenaBytes = 0;
    m_typeCount = 0;
    m_freeNodes = nullptr;
    m_nodes.clear();
}

int WorldObjectManager::Count() const {
    int total = 0;
    for (int t = 0; t < (m_heads != nullptr ? m_typeCount : 0); ++t) {
        total += m_heads[t].count;
    }
    return total;
}

int WorldObjectManager::Count(uint32_t typeId) const {
    const ListHead* head = HeadOf(typeId);
    return head != nullptr ? head->count : 0;
}

WorldObject* WorldObjectManager::GetNth(uint32_t typeId, int n) const {
    const ListHead* head = HeadOf(typeId);
    if (head == nullptr || n < 0) {
        return nullptr;
    }
    Node* node = head->first;
    for (; node != nullptr && n > 0; --n) {
        node = node->next;
    }
    return node != nullptr ? node->object : nullptr;
}

WorldObject* WorldObjectManager::First(uint32_t typeId, Cursor& cursor) const {
    const ListHead* head = HeadOf(typeId);
    cursor = head != nullptr ? head->first : nullptr;
    return cursor != nullptr ? cursor->object : nullptr;
}

WorldObject* WorldObjectManager::Next(uint32_t /*typeId*/, Cursor& cursor) const {
    if (cursor != nullptr) {
        cursor = cursor->next;
    }
    return cursor != nullptr ? cursor->object : nullptr;
}

WorldObject* WorldObjectManager::GetPooled(int index) const {
    return index >= 0 && index < m_pooledCount ? m_pooled[index] : nullptr;
}

}  // namespace Varnok
