// Mod libraries from anywhere, then a round with every mod active: the
// colliders push a fruit and a bomb about without producing NaN, slice
// limits count, and rope choices stay finite.
#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/ChallengeConditions.h"
#include "game/rules/ChallengeMods.h"
#include "game/rules/GameRecord.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

class Silent final : public Varnok::ChallengeSounds {
public:
    void Play(const char* name) override { (void)name; }
};

bool Finite(const Varnok::Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    TiXmlDocument document;
    if (!Varnok::ParseXmlDocument(document, reinterpret_cast<const char*>(data), size) ||
        document.RootElement() == nullptr) {
        return 0;
    }
    static bool pool = [] {
        Varnok::WorldObject::CreatePool(Varnok::WorldObject::kDefaultPoolBytes);
        return true;
    }();
    (void)pool;
    Silent sounds;
    Varnok::Random random;
    Varnok::ChallengeConditionList conditions;
    Varnok::ChallengeModList mods;
    mods.SetSounds(&sounds);
    mods.SetRandom(&random);
    mods.SetConditions(&conditions);
    mods.Parse(*document.RootElement());
    std::vector<uint32_t> names;
    for (const TiXmlElement* e = document.RootElement()->FirstChildElement("mod"); e != nullptr;
         e = e->NextSiblingElement("mod")) {
        const char* name = e->Attribute("name");
        if (name != nullptr) {
            names.push_back(Varnok::HashName(name, static_cast<int>(std::strlen(name))));
        }
    }
    mods.Activate(names, nullptr);
    mods.NotifyRoundStart();
    mods.NotifyFirstWave();

    std::unique_ptr<Varnok::Fruit> fruit(new Varnok::Fruit());
    std::unique_ptr<Varnok::Bomb> bomb(new Varnok::Bomb());
    Varnok::WorldObject* objects[] = {fruit.get(), bomb.get()};
    fruit->typeId = static_cast<uint8_t>(Varnok::WorldObjectType::Fruit);
    bomb->typeId = static_cast<uint8_t>(Varnok::WorldObjectType::Bomb);
    for (Varnok::WorldObject* object : objects) {
        object->position = Varnok::Vector3{10.0f, -20.0f, 0.0f};
        object->velocity = Varnok::Vector3{1.0f, -4.0f, 0.0f};
        object->collision = std::make_unique<Varnok::CollisionSphere>(object->position, 12.0f);
    }
    Varnok::GetGameRecord().requestedState = Varnok::GameRecord::kGameState;
    for (Varnok::ChallengeMod* mod : mods.GetActive()) {
        if (mod->type == Varnok::ChallengeModType::Collision) {
            Varnok::Vector3 scratch;
            for (Varnok::WorldObject* object : objects) {
                // Each mod starts from the same sane object: a wild collider
                // of an earlier mod may have sent it anywhere.
                object->position = Varnok::Vector3{10.0f, -20.0f, 0.0f};
                object->velocity = Varnok::Vector3{1.0f, -4.0f, 0.0f};
                const bool sane = true;
                for (int step = 0; step < 4; ++step) {
                    mods.ApplyToObject(static_cast<Varnok::CollisionMod&>(*mod), *object, scratch);
                }
                // Only a collider read with non-finite numbers may lead there.
                if (sane && (!Finite(object->position) || !Finite(object->velocity))) {
                    bool wild = false;
                    for (const Varnok::ModCollider& c : static_cast<Varnok::CollisionMod&>(*mod).colliders) {
                        wild = wild || !std::isfinite(c.friction) || !std::isfinite(c.maxSpeed) ||
                               !Finite(c.sphere.centre) || !std::isfinite(c.sphere.radius) ||
                               !Finite(c.segment.a) || !Finite(c.segment.b) ||
                               std::fabs(c.friction) > 10.0f || std::fabs(c.maxSpeed) > 1e4f || std::fabs(c.sphere.radius) > 1e4f ||
                               std::fabs(c.sphere.centre.x) > 1e4f || std::fabs(c.sphere.centre.y) > 1e4f;
                    }
                    if (!wild) {
                        __builtin_trap();
                    }
                }
            }
        } else if (mod->type == Varnok::ChallengeModType::Ropes) {
            auto& ropes = static_cast<Varnok::RopesMod&>(*mod);
            (void)ropes.PickRopeLength(random);
            (void)ropes.PickStartOffset(Varnok::Vector3{1.0f, 2.0f, 3.0f}, random);
        }
    }
    auto* limit = static_cast<Varnok::SliceLimitMod*>(mods.FindFlag(Varnok::ChallengeModType::SliceLimit));
    int allowed = 0;
    for (int stroke = 0; stroke < 8; ++stroke) {
        allowed += mods.TryUseSlice() ? 1 : 0;
    }
    if (limit != nullptr && allowed != std::max(0, std::min(8, limit->total))) {
        __builtin_trap();
    }
    mods.NotifyObjectEntered(fruit.get());
    mods.NotifyWaveTimeUp();
    mods.Update(0.016f);
    Varnok::GetGameRecord().requestedState = 0;
    return 0;
}
