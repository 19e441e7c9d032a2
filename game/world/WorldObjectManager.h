// Owns every world object in play: one list per type id walked in id order,
// a free pool of dead objects kept for reuse by type, and the deferred
// removal of objects that die during the update pass. Main thread only.
#pragma once

#include "engine/core/Delegate.h"
#include "game/world/WorldObject.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class ArenaAllocator;

class WorldObjectManager {
public:
    // The free pool and the removal list hold at most this many objects;
    // dead objects beyond it are deleted instead of kept.
    static constexpr int kMaxPooled = 512;
    // What the game asks for: 8 types, lists in 8 KiB.
    static constexpr int kDefaultListArenaBytes = 8192;

    // Builds an object of a type id from the class pool; null for none.
    using Factory = Delegate1<WorldObject*, uint32_t>;
    // The type id of a type name's hash, or -1 with outFound cleared.
    using TypeNameLookup = Delegate2<int32_t, uint32_t, bool&>;

    struct Node;
    // A position in one type's list, for First and Next.
    using Cursor = Node*;

    // The game's one manager, made on first use.
    static WorldObjectManager& Instance();

    WorldObjectManager();
    // Deletes what is still listed or pooled only while the class pool
    // exists (the storage is gone once it does not).
    ~WorldObjectManager();
    WorldObjectManager(const WorldObjectManager&) = delete;
    WorldObjectManager& operator=(const WorldObjectManager&) = delete;

    // Makes typeCount empty lists in an arena of listArenaBytes (after
    // shutting down lists made before). Answers whether the class-wide
    // world-object pool exists and the lists could be made.
    bool Init(int typeCount, int listArenaBytes);
    void SetFactory(const Factory& factory) { m_factory = factory; }
    void SetTypeNameLookup(const TypeNameLookup& lookup) { m_typeNameLookup = lookup; }
    const TypeNameLookup& GetTypeNameLookup() const { return m_typeNameLookup; }

    // The newest pooled object of the type (suspended bit cleared, every
    // other field as it died), else a new one from the factory; appended to
    // the type's list. Null when neither gives one, before Init, or for a
    // type id past the type count.
    WorldObject* Acquire(uint32_t typeId);

    // Updates and post-updates every active object in type then list order;
    // objects found dead leave their lists for the free pool after the pass.
    void UpdateAll(float stepSeconds);
    void RenderAll();
    // Deactivates and deletes every listed and every pooled object.
    void Clear();
    // Clear, then releases the lists; UpdateAll and RenderAll do nothing
    // until Init runs again.
    void Shutdown();

    // Listed objects (dying ones included until the end of the pass).
    int Count() const;
    int Count(uint32_t typeId) const;
    // Null past the end.
    WorldObject* GetNth(uint32_t typeId, int n) const;
    // Both answer null at the end. Iteration sees dead objects too.
    WorldObject* First(uint32_t typeId, Cursor& cursor) const;
    WorldObject* Next(uint32_t typeId, Cursor& cursor) const;

    int GetPooledCount() const { return m_pooledCount; }
    WorldObject* GetPooled(int index) const;
    int GetTypeCount() const { return m_typeCount; }
    bool IsInitialised() const { return m_heads != nullptr; }

private:
    struct ListHead;

    ListHead* HeadOf(uint32_t typeId) const;
    Node* TakeNode();
    void ReleaseNode(Node* node);
    void Append(uint32_t typeId, WorldObject* object);
    // Unlinks a dying object's node and pools the object (or deletes it when
    // the pool is full).
    void Retire(Node* node);
    static void Destroy(WorldObject* object);

    std::unique_ptr<ArenaAllocator> m_listArena;
    int m_listArenaBytes = 0;
    WorldObject* m_pooled[kMaxPooled] = {};  // oldest first
    int m_pooledCount = 0;
    // Nodes rather than objects: the node of an object is known when it is
    // found dead, so leaving its list needs no search.
    Node* m_removals[kMaxPooled] = {};
    int m_removalCount = 0;
    ListHead* m_heads = nullptr;  // in m_listArena
    int m_typeCount = 0;
    Factory m_factory;
    TypeNameLookup m_typeNameLookup;

    // Nodes are recycled so that steady play allocates nothing.
    std::vector<std::unique_ptr<Node>> m_nodes;
    Node* m_freeNodes = nullptr;
    bool m_poolFullLogged = false;
};

}  // namespace Varnok
