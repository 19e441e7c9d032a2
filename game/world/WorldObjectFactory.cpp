// CreateWorldObject and the type-name table.
#include "game/world/WorldObjectFactory.h"

#include "engine/core/HashName.h"
#include "game/world/Balloon.h"
#include "game/world/Blast.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/FruitRay.h"
#include "game/world/Jiblet.h"
#include "game/world/Slash.h"

#include <array>
#include <cstring>

namespace Varnok {

WorldObject* CreateWorldObject(uint32_t typeId) {
    switch (static_cast<WorldObjectType>(typeId)) {
        // Each class joins here as it lands, made by NewWorldObject (jiblets
        // and fruit rays by NewZeroedWorldObject), and joins
        // WorldObjectClasses so that the arena is sized for it.
        case WorldObjectType::Fruit:
            return NewWorldObject<Fruit>();
        case WorldObjectType::Slash:
            return NewWorldObject<Slash>();
        case WorldObjectType::Bomb:
            return NewWorldObject<Bomb>();
        case WorldObjectType::Blast:
            return NewWorldObject<Blast>();
        case WorldObjectType::Balloon:
            return NewWorldObject<Balloon>();
        case WorldObjectType::Jiblet:
            return NewZeroedWorldObject<Jiblet>();
        case WorldObjectType::FruitRay:
            return NewZeroedWorldObject<FruitRay>();
        case WorldObjectType::Coin:
            return nullptr;
    }
    return nullptr;
}

int32_t WorldObjectTypeFromName(uint32_t nameHash, bool& outFound) {
    struct Entry {
        uint32_t hash;
        int32_t typeId;
    };
    static const auto table = [] {
        const struct {
            const char* name;
            WorldObjectType type;
        } names[] = {
            {"fruit", WorldObjectType::Fruit}, {"bomb", WorldObjectType::Bomb},
            {"slash", WorldObjectType::Slash}, {"blast", WorldObjectType::Blast},
            {"coin", WorldObjectType::Coin},   {"jiblet", WorldObjectType::Jiblet},
            {"fruitray", WorldObjectType::FruitRay},
        };
        std::array<Entry, 7> entries{};
        for (size_t i = 0; i < entries.size(); ++i) {
            entries[i] = {HashName(names[i].name, static_cast<int>(std::strlen(names[i].name))),
                          static_cast<int32_t>(names[i].type)};
        }
        return entries;
    }();
    for (const Entry& entry : table) {
        if (entry.hash == nameHash) {
            outFound = true;
            return entry.typeId;
        }
    }
    outFound = false;
    return -1;
}

}  // namespace Varnok
