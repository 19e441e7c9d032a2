// World objects recycled through the class-wide arena and the manager's
// free pool, against the same classes made with std::make_unique and deleted
// on the general heap, on one workload: every frame 60 objects of three
// classes spawn (each living 1 to 4 frames), every live object updates and
// post-updates in type order, and the dead leave their lists. Both sides
// keep one list per type in spawn order and walk them the same way; ours
// recycles dead objects by type, the heap side deletes them and allocates
// new ones. The figure is the median time of a batch of frames.
#include "bench/SideBySide.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectFactory.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

namespace {

using Varnok::WorldObject;
using Varnok::WorldObjectManager;

constexpr int kSpawnsPerFrame = 60;
constexpr int kTypes = 3;
constexpr int kWarmUpFrames = 500;
constexpr int kFramesPerBatch = 1000;
constexpr int kBatches = 31;
constexpr float kStep = 1.0f / 60.0f;

// The heap side's base: the same object, allocated by the global operators.
class HeapWorldObject : public WorldObject {
public:
    static void* operator new(size_t bytes) { return ::operator new(bytes); }
    static void operator delete(void* data) { ::operator delete(data); }
};

// One bench class body over either base; Bytes of payload make the three
// classes the sizes of small, middling and large play objects.
template <typename Base, size_t Bytes>
class BenchObject final : public Base {
public:
    void Launch(int lifeFrames, float speed) {
        this->flags = 0;
        this->velocity = Varnok::Vector3{speed, speed * 0.5f, 0.0f};
        m_lifeFrames = lifeFrames;
    }
    void Update(float step) override {
        this->position.x += this->velocity.x * 60.0f * step;
        this->position.y += this->velocity.y * 60.0f * step;
        m_payload[m_lifeFrames % Bytes] ^= 1;
        if (--m_lifeFrames <= 0) {
            this->flags |= WorldObject::kFlagDead;
        }
    }
    void PostUpdate(float) override { this->scale.x = this->position.x * 0.001f; }
    void Render() override {}

private:
    int m_lifeFrames = 0;
    unsigned char m_payload[Bytes] = {};
};

template <typename Base>
using Small = BenchObject<Base, 48>;
template <typename Base>
using Middling = BenchObject<Base, 160>;
template <typename Base>
using Large = BenchObject<Base, 320>;

// The same spawn pattern on both sides.
int LifeOf(int spawn) {
    return spawn % 4 + 1;
}

template <typename Base>
void LaunchAs(WorldObject* object, int type, int spawn) {
    const float speed = 0.5f + static_cast<float>(spawn % 7);
    switch (type) {
        case 0: static_cast<Small<Base>*>(object)->Launch(LifeOf(spawn), speed); break;
        case 1: static_cast<Middling<Base>*>(object)->Launch(LifeOf(spawn), speed); break;
        default: static_cast<Large<Base>*>(object)->Launch(LifeOf(spawn), speed); break;
    }
}

WorldObject* MakePooled(uint32_t typeId) {
    switch (typeId) {
        case 0: return Varnok::NewWorldObject<Small<WorldObject>>();
        case 1: return Varnok::NewWorldObject<Middling<WorldObject>>();
        case 2: return Varnok::NewWorldObject<Large<WorldObject>>();
        default: return nullptr;
    }
}

template <typename RunFrame>
double MedianBatchMicroseconds(RunFrame&& runFrame) {
    for (int f = 0; f < kWarmUpFrames; ++f) {
        runFrame();
    }
    std::vector<double> batches;
    for (int b = 0; b < kBatches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int f = 0; f < kFramesPerBatch; ++f) {
            runFrame();
        }
        const std::chrono::duration<double, std::micro> spent =
            std::chrono::steady_clock::now() - start;
        batches.push_back(spent.count() / kFramesPerBatch);
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

double MeasurePool() {
    WorldObject::CreatePool(Varnok::kWorldObjectPoolBytes);
    WorldObjectManager manager;
    if (!manager.Init(kTypes, WorldObjectManager::kDefaultListArenaBytes)) {
        return -1.0;
    }
    manager.SetFactory(WorldObjectManager::Factory(&MakePooled));
    int spawn = 0;
    bool failed = false;
    const double figure = MedianBatchMicroseconds([&] {
        for (int i = 0; i < kSpawnsPerFrame; ++i, ++spawn) {
            const int type = spawn % kTypes;
            WorldObject* object = manager.Acquire(static_cast<uint32_t>(type));
            if (object == nullptr) {
                failed = true;
                continue;
            }
            LaunchAs<WorldObject>(object, type, spawn);
        }
        manager.UpdateAll(kStep);
    });
    std::printf("  pool: %d live, %d pooled after the run; arena %zu bytes\n", manager.Count(),
                manager.GetPooledCount(), Varnok::kWorldObjectPoolBytes);
    manager.Clear();
    manager.Shutdown();
    WorldObject::DestroyPool();
    return failed ? -1.0 : figure;
}

double MeasureHeap() {
    std::vector<std::unique_ptr<WorldObject>> lists[kTypes];
    for (auto& list : lists) {
        list.reserve(1024);
    }
    int spawn = 0;
    const double figure = MedianBatchMicroseconds([&] {
        for (int i = 0; i < kSpawnsPerFrame; ++i, ++spawn) {
            const int type = spawn % kTypes;
            std::unique_ptr<WorldObject> object;
            switch (type) {
                case 0: object = std::make_unique<Small<HeapWorldObject>>(); break;
                case 1: object = std::make_unique<Middling<HeapWorldObject>>(); break;
                default: object = std::make_unique<Large<HeapWorldObject>>(); break;
            }
            LaunchAs<HeapWorldObject>(object.get(), type, spawn);
            lists[type].push_back(std::move(object));
        }
        for (auto& list : lists) {
            for (size_t k = 0; k < list.size(); ++k) {  // spawns during the walk would append
                WorldObject* object = list[k].get();
                if (object->IsActive()) {
                    object->Update(kStep);
                    object->PostUpdate(kStep);
                }
            }
        }
        for (auto& list : lists) {
            list.erase(std::remove_if(list.begin(), list.end(),
                                      [](const std::unique_ptr<WorldObject>& o) {
                                          return o->IsDead();
                                      }),
                       list.end());
        }
    });
    size_t live = 0;
    for (auto& list : lists) {
        live += list.size();
    }
    std::printf("  heap: %zu live after the run\n", live);
    return figure;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "60 world objects spawned a frame in three classes (48, 160 and 320 bytes of payload "
        "over the same base), each living 1 to 4 frames (90 live at the end of a frame); every frame all live "
        "objects update and post-update in type order and the dead leave their lists.\n"
        "  varnok pool: WorldObjectManager::Acquire (newest pooled object of the type, else the "
        "factory from the class-wide arena), UpdateAll (dead objects to the free pool).\n"
        "  std::make_unique/delete: the same classes on the general heap, one vector of "
        "unique_ptr per type, dead ones erased (deleted) after the walk.\n"
        "  Median of 31 batches of 1000 frames after 500 warm-up frames.";
    comparison.unit = "us per frame";
    comparison.rounds = 5;
    comparison.contenders = {
        {"varnok pool", [] { return MeasurePool(); }},
        {"std::make_unique/delete", [] { return MeasureHeap(); }},
    };
    return Bench::RunSideBySide(argc, argv, comparison);
}
