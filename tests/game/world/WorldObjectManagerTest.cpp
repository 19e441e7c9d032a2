// The world-object pool, the manager's passes and the factory, on probe
// objects that record what the manager does to them.
#include "game/world/WorldObjectManager.h"

#include "engine/core/ArenaAllocator.h"
#include "engine/core/HashName.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectFactory.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace Varnok {
namespace {

std::vector<std::string> g_events;  // what the probes saw, in order
int g_liveProbes = 0;

class Probe : public WorldObject {
public:
    Probe() { ++g_liveProbes; }
    ~Probe() override { --g_liveProbes; }

    void Update(float) override {
        Note("update");
        if (onUpdate) {
            onUpdate(*this);
        }
    }
    void PostUpdate(float) override { Note("post"); }
    void Render() override { Note("render"); }
    void Deactivate() override {
        ++deactivations;
        WorldObject::Deactivate();
    }

    void Note(const char* what) { g_events.push_back(label + ":" + what); }

    std::string label;
    std::function<void(Probe&)> onUpdate;
    int deactivations = 0;
};

// Ids as the game's factory gives them: none for "coin" or past 7.
WorldObject* MakeProbe(uint32_t typeId) {
    if (typeId == static_cast<uint32_t>(WorldObjectType::Coin) || typeId >= 8) {
        return nullptr;
    }
    return NewWorldObject<Probe>();
}

constexpr uint32_t kBalloon = 0;
constexpr uint32_t kFruit = 1;
constexpr uint32_t kBomb = 2;

// A pool, an initialised manager with the probe factory, and a clean journal.
struct World {
    World() {
        g_events.clear();
        WorldObject::CreatePool(kWorldObjectPoolBytes);
        EXPECT_TRUE(manager.Init(kWorldObjectTypeCount, WorldObjectManager::kDefaultListArenaBytes));
        manager.SetFactory(WorldObjectManager::Factory(&MakeProbe));
        manager.SetTypeNameLookup(WorldObjectManager::TypeNameLookup(&WorldObjectTypeFromName));
    }
    ~World() {
        manager.Clear();
        manager.Shutdown();
        WorldObject::DestroyPool();
        EXPECT_EQ(g_liveProbes, 0);
    }

    Probe* Acquire(uint32_t typeId, const char* label) {
        auto* probe = static_cast<Probe*>(manager.Acquire(typeId));
        if (probe != nullptr) {
            probe->label = label;
        }
        return probe;
    }
    std::vector<std::string> TakeEvents() {
        std::vector<std::string> events;
        events.swap(g_events);
        return events;
    }

    WorldObjectManager manager;
};

using Events = std::vector<std::string>;

TEST(WorldObjectManager, EdgeCases) {
    const struct {
        const char* what;
        std::function<void(World&)> run;
    } cases[] = {
        {"both bits set: neither run nor drawn, recycled after the next pass",
         [](World& w) {
             Probe* p = w.Acquire(kFruit, "f");
             p->flags |= WorldObject::kFlagsRetired;
             w.manager.RenderAll();
             w.manager.UpdateAll(0.01f);
             EXPECT_TRUE(w.TakeEvents().empty());
             EXPECT_EQ(w.manager.Count(kFruit), 0);
             EXPECT_EQ(w.manager.GetPooled(0), p);
         }},
        {"SetSuspended: 1 sets, 0 clears, 2 changes nothing",
         [](World& w) {
             Probe* p = w.Acquire(kFruit, "f");
             p->SetSuspended(2);
             EXPECT_FALSE(p->IsSuspended());
             p->SetSuspended(1);
             p->SetSuspended(2);
             EXPECT_TRUE(p->IsSuspended());
             p->SetSuspended(0);
             EXPECT_FALSE(p->IsSuspended());
         }},
        {"an object dying in its own update is post-updated and then pooled",
         [](World& w) {
             Probe* p = w.Acquire(kFruit, "f");
             p->onUpdate = [](Probe& self) { self.flags |= WorldObject::kFlagDead; };
             w.manager.UpdateAll(0.01f);
             EXPECT_EQ(w.TakeEvents(), (Events{"f:update", "f:post"}));
             EXPECT_EQ(w.manager.Count(kFruit), 0);
             EXPECT_EQ(w.manager.GetPooledCount(), 1);
             EXPECT_EQ(p->deactivations, 0);  // kept whole for reuse
         }},
        {"acquire takes the newest pooled object of the type, appended, dead bit kept",
         [](World& w) {
             Probe* older = w.Acquire(kFruit, "old");
             Probe* bomb = w.Acquire(kBomb, "bomb");
             Probe* newer = w.Acquire(kFruit, "new");
             Probe* stays = w.Acquire(kFruit, "stays");
             for (Probe* p : {older, bomb, newer}) {
                 p->flags |= WorldObject::kFlagsRetired;
             }
             w.manager.UpdateAll(0.01f);
             ASSERT_EQ(w.manager.GetPooledCount(), 3);
             WorldObject* again = w.manager.Acquire(kFruit);
             EXPECT_EQ(again, newer);
             EXPECT_EQ(again->flags, WorldObject::kFlagDead);
             EXPECT_EQ(w.manager.GetNth(kFruit, 0), stays);
             EXPECT_EQ(w.manager.GetNth(kFruit, 1), newer);
             // The entries after it moved down in order.
             EXPECT_EQ(w.manager.GetPooled(0), older);
             EXPECT_EQ(w.manager.GetPooled(1), bomb);
             EXPECT_EQ(w.manager.GetPooledCount(), 2);
         }},
        {"an object acquired in a pass: a later type runs at once, an earlier one next frame",
         [](World& w) {
             Probe* balloon = w.Acquire(kBalloon, "b");
             balloon->onUpdate = [&w](Probe& self) {
                 w.Acquire(kFruit, "f2");
                 self.onUpdate = nullptr;
             };
             Probe* fruit = w.Acquire(kFruit, "f");
             fruit->onUpdate = [&w](Probe& self) {
                 w.Acquire(kBalloon, "b2");
                 self.onUpdate = nullptr;
             };
             w.manager.UpdateAll(0.01f);
             EXPECT_EQ(w.TakeEvents(),
                       (Events{"b:update", "b:post", "f:update", "f:post", "f2:update", "f2:post"}));
             w.manager.UpdateAll(0.01f);
             EXPECT_EQ(w.TakeEvents(), (Events{"b:update", "b:post", "b2:update", "b2:post",
                                               "f:update", "f:post", "f2:update", "f2:post"}));
         }},
        {"type names: balloon has none, coin is 3 and yields no object",
         [](World& w) {
             bool found = true;
             EXPECT_EQ(WorldObjectTypeFromName(HashName("balloon", 7), found), -1);
             EXPECT_FALSE(found);
             EXPECT_EQ(w.manager.GetTypeNameLookup()(HashName("COIN", 4), found), 3);
             EXPECT_TRUE(found);
             EXPECT_EQ(WorldObjectTypeFromName(HashName("FruitRay", 8), found), 7);
             EXPECT_EQ(w.manager.Acquire(3), nullptr);
             EXPECT_EQ(w.manager.Acquire(8), nullptr);
             EXPECT_EQ(w.manager.Acquire(200), nullptr);
             EXPECT_EQ(w.manager.Count(), 0);
         }},
        {"a type's count includes objects dying in this pass",
         [](World& w) {
             Probe* first = w.Acquire(kFruit, "a");
             w.Acquire(kFruit, "b");
             std::vector<int> seen;
             first->onUpdate = [&](Probe& self) { self.flags |= WorldObject::kFlagDead; };
             w.Acquire(kBomb, "bomb")->onUpdate = [&](Probe&) {
                 seen.push_back(w.manager.Count(kFruit));
                 WorldObjectManager::Cursor cursor;
                 seen.push_back(w.manager.First(kFruit, cursor) == first ? 1 : 0);
             };
             w.manager.UpdateAll(0.01f);
             EXPECT_EQ(seen, (std::vector<int>{2, 1}));
             EXPECT_EQ(w.manager.Count(kFruit), 1);
         }},
        {"iteration and GetNth end with null",
         [](World& w) {
             Probe* a = w.Acquire(kBomb, "a");
             Probe* b = w.Acquire(kBomb, "b");
             WorldObjectManager::Cursor cursor;
             EXPECT_EQ(w.manager.First(kBomb, cursor), a);
             EXPECT_EQ(w.manager.Next(kBomb, cursor), b);
             EXPECT_EQ(w.manager.Next(kBomb, cursor), nullptr);
             EXPECT_EQ(w.manager.Next(kBomb, cursor), nullptr);
             EXPECT_EQ(w.manager.First(kFruit, cursor), nullptr);
             EXPECT_EQ(w.manager.GetNth(kBomb, 2), nullptr);
             EXPECT_EQ(w.manager.GetNth(kBomb, -1), nullptr);
         }},
        {"more than 512 dying in one pass: 512 pooled in order, the rest deleted",
         [](World& w) {
             constexpr int kDying = WorldObjectManager::kMaxPooled + 40;
             std::vector<WorldObject*> made;
             for (int i = 0; i < kDying; ++i) {
                 made.push_back(w.manager.Acquire(kFruit));
                 made.back()->flags |= WorldObject::kFlagsRetired;
             }
             TestSupport::LogCapture log;
             w.manager.UpdateAll(0.01f);
             EXPECT_TRUE(TestSupport::IsOneLogLineNaming(log.Take(), "WorldObjectManager",
                                                         "free pool full"));
             EXPECT_EQ(w.manager.Count(), 0);
             EXPECT_EQ(w.manager.GetPooledCount(), WorldObjectManager::kMaxPooled);
             EXPECT_EQ(g_liveProbes, WorldObjectManager::kMaxPooled);
             EXPECT_EQ(w.manager.GetPooled(0), made[0]);
             EXPECT_EQ(w.manager.GetPooled(511), made[511]);
         }},
        {"a full pool already: the next dead object is deleted",
         [](World& w) {
             for (int i = 0; i < WorldObjectManager::kMaxPooled; ++i) {
                 w.manager.Acquire(kBomb)->flags |= WorldObject::kFlagsRetired;
             }
             w.manager.UpdateAll(0.01f);
             Probe* fruit = w.Acquire(kFruit, "f");
             fruit->deactivations = 0;
             fruit->flags |= WorldObject::kFlagDead;
             TestSupport::LogCapture log;
             w.manager.UpdateAll(0.01f);
             log.Take();
             EXPECT_EQ(w.manager.GetPooledCount(), WorldObjectManager::kMaxPooled);
             EXPECT_EQ(g_liveProbes, WorldObjectManager::kMaxPooled);
         }},
        {"an arena without room: acquire answers null",
         [](World& w) {
             w.manager.Clear();
             WorldObject::CreatePool(sizeof(Probe) + kWorldObjectBlockOverhead);
             EXPECT_NE(w.manager.Acquire(kFruit), nullptr);
             EXPECT_EQ(w.manager.Acquire(kFruit), nullptr);
             EXPECT_EQ(w.manager.Count(kFruit), 1);
         }},
        {"clear deactivates and deletes listed and pooled objects",
         [](World& w) {
             w.Acquire(kFruit, "f");
             w.Acquire(kBomb, "b")->flags |= WorldObject::kFlagsRetired;
             w.manager.UpdateAll(0.01f);
             w.TakeEvents();
             w.manager.Clear();
             EXPECT_EQ(g_liveProbes, 0);
             EXPECT_EQ(w.manager.Count(), 0);
             EXPECT_EQ(w.manager.GetPooledCount(), 0);
             EXPECT_NE(w.manager.Acquire(kFruit), nullptr);  // still initialised
         }},
        {"after shutdown the passes do nothing until Init",
         [](World& w) {
             w.Acquire(kFruit, "f");
             w.manager.Shutdown();
             EXPECT_EQ(g_liveProbes, 0);
             EXPECT_EQ(w.manager.Acquire(kFruit), nullptr);
             w.manager.UpdateAll(0.01f);
             w.manager.RenderAll();
             EXPECT_TRUE(w.TakeEvents().empty());
             EXPECT_TRUE(w.manager.Init(8, 8192));
             EXPECT_NE(w.Acquire(kFruit, "g"), nullptr);
         }},
        {"render draws active objects in type order only",
         [](World& w) {
             w.Acquire(kBomb, "bomb");
             w.Acquire(kFruit, "f");
             w.Acquire(kBalloon, "b")->flags |= WorldObject::kFlagSuspended;
             w.manager.RenderAll();
             EXPECT_EQ(w.TakeEvents(), (Events{"f:render", "bomb:render"}));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        c.run(world);
    }
}

TEST(WorldObject, DeletingReturnsExactlyItsBlock) {
    WorldObject::CreatePool(4096);
    std::vector<WorldObject*> objects;
    while (WorldObject* p = NewWorldObject<Probe>()) {
        objects.push_back(p);
    }
    ASSERT_GT(objects.size(), 2u);
    EXPECT_EQ(WorldObject::Allocate(sizeof(Probe)), nullptr);
    delete objects[1];
    void* again = WorldObject::Allocate(sizeof(Probe));
    EXPECT_EQ(again, objects[1]);
    WorldObject::Free(again);
    WorldObject::Free(nullptr);
    for (WorldObject* p : objects) {
        if (p != objects[1]) {
            delete p;
        }
    }
    EXPECT_EQ(g_liveProbes, 0);
    WorldObject::DestroyPool();
    EXPECT_FALSE(WorldObject::IsPoolCreated());
    EXPECT_EQ(WorldObject::GetPoolBytes(), 0u);
    EXPECT_EQ(WorldObject::Allocate(8), nullptr);
    WorldObject::DestroyPool();  // without a pool: only the size resets
}

TEST(WorldObject, ArenaHoldsTheBudgetOfTheLargestClass) {
    WorldObject::CreatePool(kWorldObjectPoolBytes);
    EXPECT_GE(kWorldObjectPoolBytes, WorldObject::kDefaultPoolBytes);
    std::vector<void*> blocks;
    for (size_t i = 0; i < kWorldObjectBudget; ++i) {
        void* block = WorldObject::Allocate(WorldObjectClasses::kLargestBytes);
        ASSERT_NE(block, nullptr) << "block " << i;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 8, 0u);
        blocks.push_back(block);
    }
    for (void* block : blocks) {
        WorldObject::Free(block);
    }
    WorldObject::DestroyPool();
}

TEST(WorldObject, CollisionTestsNeedAVolume) {
    WorldObject::CreatePool(4096);
    Probe* probe = NewWorldObject<Probe>();
    CollisionSphere target(Vector3{100.0f, 0.0f, 0.0f}, 10.0f);
    Vector3 contact{7.0f, 7.0f, 7.0f};
    EXPECT_FALSE(probe->CollisionTest(target));
    EXPECT_EQ(probe->SegmentTest(target, contact), 0);
    EXPECT_EQ(probe->OnHit(nullptr, 0, 0, Vector3{}), 0);

    probe->collision = std::make_unique<CollisionSphere>(Vector3{}, 5.0f);
    EXPECT_FALSE(probe->CollisionTest(target));  // the volume stands at the origin
    probe->position = Vector3{95.0f, 0.0f, 0.0f};
    EXPECT_TRUE(probe->CollisionTest(target));   // moved to the position first
    EXPECT_EQ(probe->SegmentTest(target, contact), 1);
    probe->Deactivate();
    EXPECT_EQ(probe->collision, nullptr);
    delete probe;
    WorldObject::DestroyPool();
}

}  // namespace
}  // namespace Varnok
