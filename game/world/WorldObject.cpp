// WorldObject: the base operations and the class-wide arena.
#include "game/world/WorldObject.h"

#include "engine/core/ArenaAllocator.h"

namespace Varnok {

namespace {

// The arena lives from the game flow's first entry into play to its exit.
std::unique_ptr<ArenaAllocator>& Pool() {
    static std::unique_ptr<ArenaAllocator> pool;
    return pool;
}

size_t& PoolBytes() {
    static size_t bytes = 0;
    return bytes;
}

// Where a volume of each kind stands.
void MoveVolumeTo(CollisionVolume& volume, const Vector3& position) {
    switch (volume.GetType()) {
        case CollisionType::Box: {
            auto& box = static_cast<CollisionBox&>(volume);
            box.centre = position;
            box.UpdateCorners();
            break;
        }
        case CollisionType::Sphere:
            static_cast<CollisionSphere&>(volume).centre = position;
            break;
        case CollisionType::Segment:
            break;  // a segment is placed by its two ends, which its owner sets
    }
}

}  // namespace

void WorldObject::Deactivate() {
    collision.reset();
}

bool WorldObject::CollisionTest(CollisionVolume& other) {
    if (!collision) {
        return false;
    }
    MoveVolumeTo(*collision, position);
    Vector3 contact;  // not wanted here
    return collision->Intersect(other, &contact);
}

int WorldObject::OnHit(WorldObject* /*hitter*/, int /*valueA*/, int /*valueB*/,
                       const Vector3& /*stroke*/) {
    return 0;
}

int WorldObject::SegmentTest(CollisionVolume& other, Vector3& outPoint) {
    if (!collision) {
        return 0;
    }
    return collision->Intersect(other, &outPoint) ? 1 : 0;
}

void WorldObject::SetSuspended(int value) {
    if (value == 1) {
        flags |= kFlagSuspended;
    } else if (value == 0) {
        flags &= ~kFlagSuspended;
    }
}

void WorldObject::CreatePool(size_t bytes) {
    Pool() = std::make_unique<ArenaAllocator>(bytes, "WorldObject");
    PoolBytes() = bytes;
}

void* WorldObject::Allocate(size_t bytes) {
    ArenaAllocator* pool = Pool().get();
    return pool != nullptr ? pool->Alloc(bytes, nullptr) : nullptr;
}

void WorldObject::Free(void* data) {
    if (data != nullptr && Pool()) {
        Pool()->Free(data);
    }
}

void WorldObject::DestroyPool() {
    Pool().reset();
    PoolBytes() = 0;
}

bool WorldObject::IsPoolCreated() {
    return Pool() != nullptr;
}

size_t WorldObject::GetPoolBytes() {
    return PoolBytes();
}

const ArenaAllocator* WorldObject::GetPool() {
    return Pool().get();
}

}  // namespace Varnok
