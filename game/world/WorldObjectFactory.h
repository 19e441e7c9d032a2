// The factory the game installs into the world-object manager, and the
// names of the world-object types in data files.
#pragma once

#include "game/world/WorldObject.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace Varnok {

// A new object of the type id from the class pool: Balloon 0, Fruit 1,
// Bomb 2, Slash 4, Blast 5, Jiblet 6, FruitRay 7. Null for "coin" (3), ids
// above 7, a class not built yet, or a full pool.
WorldObject* CreateWorldObject(uint32_t typeId);

// The type id named by a name hash: "fruit" 1, "bomb" 2, "slash" 4,
// "blast" 5, "coin" 3, "jiblet" 6, "fruitray" 7. Anything else (balloons have
// no name) gives -1 with outFound cleared.
int32_t WorldObjectTypeFromName(uint32_t nameHash, bool& outFound);

// Constructs T in storage from the class pool; null when the pool has none.
template <typename T>
T* NewWorldObject() {
    void* storage = WorldObject::Allocate(sizeof(T));
    return storage != nullptr ? ::new (storage) T() : nullptr;
}

// The same for classes whose every byte starts zeroed, the base's included.
template <typename T>
T* NewZeroedWorldObject() {
    void* storage = WorldObject::Allocate(sizeof(T));
    if (storage == nullptr) {
        return nullptr;
    }
    std::memset(storage, 0, sizeof(T));
    return ::new (storage) T();
}

}  // namespace Varnok
