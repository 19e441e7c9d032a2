// The classes the world-object factory builds, and the size of the arena
// they share, taken from their sizes on this platform at compile time.
#pragma once

#include "game/world/Balloon.h"
#include "game/world/Blast.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/FruitRay.h"
#include "game/world/Jiblet.h"
#include "game/world/Slash.h"
#include "game/world/WorldObject.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>

namespace Varnok {

template <typename... Classes>
struct WorldObjectClassList {
    static_assert(sizeof...(Classes) > 0, "list at least one class");
    static_assert((std::is_base_of_v<WorldObject, Classes> && ...),
                  "only world objects live in the world-object arena");
    // The arena hands out blocks aligned to 8 bytes.
    static_assert(((alignof(Classes) <= 8) && ...),
                  "a world object may not need more than 8-byte alignment");

    static constexpr size_t kLargestBytes = std::max({sizeof(Classes)...});
};

// Every class the factory builds joins this list as it lands (Balloon, Fruit,
// Bomb, Slash, Blast, Jiblet, FruitRay), so the arena grows with the largest.
using WorldObjectClasses = WorldObjectClassList<WorldObject, Balloon, Fruit, Bomb, Slash, Blast, Jiblet, FruitRay>;

// What each arena block costs beyond its data: at least the arena's header
// (48 bytes on x86_64) and the rounding of the size to 8.
constexpr size_t kWorldObjectBlockOverhead = 64;
// Objects of the largest class the arena must hold at once: as many as the
// manager's free pool can keep.
constexpr size_t kWorldObjectBudget = 512;

constexpr size_t kWorldObjectBlockBytes =
    (WorldObjectClasses::kLargestBytes + 7) / 8 * 8 + kWorldObjectBlockOverhead;

// The 128 KiB that the game's 32-bit layouts fitted in, or more when the
// classes are larger here.
constexpr size_t kWorldObjectPoolBytes =
    std::max(WorldObject::kDefaultPoolBytes, kWorldObjectBudget * kWorldObjectBlockBytes);

static_assert(kWorldObjectPoolBytes >= kWorldObjectBudget * kWorldObjectBlockBytes,
              "the world-object arena must hold the budget of the largest class");
static_assert(kWorldObjectPoolBytes <= 0xFFFFFFFFu, "arena block sizes are 32-bit");

}  // namespace Varnok
