// The base of everything that takes part in play (fruit, bombs, slashes,
// blasts, jiblets, fruit rays, balloons), its flag word and type ids, and the
// class-wide arena every world object's storage comes from.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/model/CollisionVolume.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Varnok {

class ArenaAllocator;

// The manager keeps one list per id and walks them in this order.
enum class WorldObjectType : uint8_t {
    Balloon = 0,
    Fruit = 1,
    Bomb = 2,
    Coin = 3,  // has a name but no class: the factory makes none
    Slash = 4,
    Blast = 5,
    Jiblet = 6,
    FruitRay = 7,
};
constexpr int kWorldObjectTypeCount = 8;

class WorldObject {
public:
    // Neither updated nor drawn.
    static constexpr uint32_t kFlagSuspended = 0x01;
    // Finished: leaves its list at the end of the manager's pass.
    static constexpr uint32_t kFlagDead = 0x10;
    // Gone at once without running again.
    static constexpr uint32_t kFlagsRetired = kFlagSuspended | kFlagDead;

    // The arena the game flow makes on its first entry into play.
    static constexpr size_t kDefaultPoolBytes = 131072;

    WorldObject() = default;
    virtual ~WorldObject() = default;
    WorldObject(const WorldObject&) = delete;
    WorldObject& operator=(const WorldObject&) = delete;

    // Storage comes from the class-wide arena; null (and no object) when it
    // is full or missing. Deleting an object gives exactly its block back.
    static void* operator new(size_t bytes) noexcept { return Allocate(bytes); }
    static void operator delete(void* data) noexcept { Free(data); }

    // Each class takes its own launch arguments; the base takes none.
    virtual void Spawn() {}
    // Releases what the object owns while it is out of play. Derived classes
    // release their own things first and then call this.
    virtual void Deactivate();
    virtual void Update(float stepSeconds) = 0;
    virtual void Render() = 0;
    // Runs right after Update with the same step.
    virtual void PostUpdate(float stepSeconds) = 0;
    // Moves the volume to `position` and tests it against `other`; false
    // without a volume.
    virtual bool CollisionTest(CollisionVolume& other);
    // hitter is null when the playfield is cleared; the slash passes itself,
    // 0, 0 and its stroke (direction of the cut, length the swipe speed).
    virtual int OnHit(WorldObject* hitter, int valueA, int valueB, const Vector3& stroke);
    // 1 when the volume, where it stands, touches `other`, with the contact
    // in outPoint; 0 without a volume.
    virtual int SegmentTest(CollisionVolume& other, Vector3& outPoint);
    // 1 sets the suspended bit, 0 clears it, anything else leaves it.
    virtual void SetSuspended(int value);

    bool IsSuspended() const { return (flags & kFlagSuspended) != 0; }
    bool IsDead() const { return (flags & kFlagDead) != 0; }
    // Neither suspended nor dead: the manager runs and draws it.
    bool IsActive() const { return (flags & kFlagsRetired) == 0; }

    // ---- The class-wide pool ----
    // Creates the arena over `bytes` (replacing one that exists).
    static void CreatePool(size_t bytes);
    // n bytes from the arena, untagged; null when it has no room or none
    // exists.
    static void* Allocate(size_t bytes);
    // Null is ignored.
    static void Free(void* data);
    // Deletes the arena when there is one; the recorded size becomes 0.
    // Requires: every world object already deleted.
    static void DestroyPool();
    static bool IsPoolCreated();
    static size_t GetPoolBytes();
    // Null while no pool exists; for diagnostics and tests.
    static const ArenaAllocator* GetPool();

    uint32_t id = 0;  // given by the game (stack columns); saved as "id"
    uint32_t flags = 0;
    Vector3 position;  // logical screen units, y up, z towards the viewer
    Vector3 velocity;  // in the unit of the class
    Vector3 scale;     // set by each class when it spawns
    uint8_t typeId = 0;  // written by the manager when it hands the object out
    Angle angle = 0;     // the slash's stroke angle, the blast's direction
    std::unique_ptr<CollisionVolume> collision;  // null when the object cannot be hit
};

}  // namespace Varnok
