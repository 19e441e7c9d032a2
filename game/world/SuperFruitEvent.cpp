// The shared life of super-fruit events: registry, callbacks, hit
// acceptance, rays, clean-up and the glow.
#include "game/world/SuperFruitEvent.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/screens/ScreenList.h"
#include "game/world/Fruit.h"
#include "game/world/FruitImpacts.h"
#include "game/rules/GameHelpers.h"
#include "game/world/FruitRay.h"
#include "game/world/GameCamera.h"
#include "game/world/ParticleManager.h"
#include "game/world/SuperChestEvent.h"
#include "game/world/Slash.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

SuperFruitResources& SharedResources() {
    static SuperFruitResources resources;
    return resources;
}

bool s_callbacksAdded = false;
uint32_t s_rayCount = 0;

Quaternion Product(const Quaternion& a, const Quaternion& b) {
    return Quaternion{a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Quaternion AboutAxis(float x, float y, float z, float degrees) {
    return Quaternion::FromAxisAngle(x, y, z, AngleFromDegrees(degrees));
}

SmartPtr<MeshModel> OptionalModel(const char* name) {
    return ModelFileExists(name) ? LoadNamedModel(name) : SmartPtr<MeshModel>();
}

}  // namespace

std::map<const Fruit*, SuperFruitEvent*>& SuperFruitEvent::Registry() {
    static std::map<const Fruit*, SuperFruitEvent*> registry;
    return registry;
}

ScreenList* SuperFruitEvent::List() {
    return GetGameRecord().screenList;
}

SuperFruitEvent::SuperFruitEvent() {
    m_layerMask = 0;
}

SuperFruitEvent::SuperFruitEvent(Fruit& target) : fruit(&target), key(&target) {
    m_fruitSerial = target.spawnSerial;
    m_layerMask = kLayerEvent;
    Registry()[key] = this;
    Slash::SlashEnded.Add(ListenerList<Slash*>::DelegateType(this, &SuperFruitEvent::OnSlashEnded));
    m_listening = true;
}

SuperFruitEvent::~SuperFruitEvent() {
    Cleanup();
}

void SuperFruitEvent::Close() {
    Cleanup();
}

void SuperFruitEvent::Cleanup() {
    if (m_cleanedUp) {
        return;
    }
    m_cleanedUp = true;
    if (m_listening) {
        Slash::SlashEnded.Remove(ListenerList<Slash*>::DelegateType(this, &SuperFruitEvent::OnSlashEnded));
        m_listening = false;
    }
    if (key != nullptr) {
        auto found = Registry().find(key);
        if (found != Registry().end() && found->second == this) {
            Registry().erase(found);
        }
    }
    // Rays let go before the fruit is given up, so none reads it recycled.
    EndShockRays();
    if (fruit != nullptr) {
        Fruit* released = fruit;
        fruit = nullptr;
        if (released->spawnSerial == m_fruitSerial && !released->IsDead()) {
            released->OnDropped(0);
        }
    }
    if (time < sliceTime + 0.1f) {
        if (ScreenList* list = List()) {
            std::fill(std::begin(list->m_tint), std::end(list->m_tint), 1.0f);
        }
    }
}

void SuperFruitEvent::Reset() {
    WaveManager& waves = WaveManager::Instance();
    waves.paused = false;
    waves.timeScale = 1.0f;
    ParticleManager& particles = ParticleManager::Instance();
    particles.blastRadius = 0.0f;
    particles.blastFactor = 1.0f;
    if (ScreenList* list = List()) {
        list->m_timeScale = 1.0f;
    }
    FruitImpacts::Get().ClearOwners();
    FruitRay::KillAll();
    m_finished = true;
}

int SuperFruitEvent::RequestClose() {
    FruitRay::KillAll();
    if (GameCamera* camera = GetGameRecord().camera) {
        camera->progress = 0.0f;
    }
    Close();
    return ScreenItem::RequestClose();
}

void SuperFruitEvent::Draw(const float tint[3], uint32_t layerMask) {
    // Only the shock discs are drawn; the event's text is kept, not shown.
    const SmartPtr<Texture>& disc = Resources().shockDisc;
    if ((layerMask & kLayerShockDiscs) == 0 || !disc) {
        return;
    }
    const float radii[2] = {shockRadius1, shockRadius2};
    const float ends[2] = {sliceTime + 0.7f, sliceTime + 1.9f};
    const Vector3 offset = m_offset;
    const Vector3 anchor = m_anchor;
    const Vector3 scale = m_scale;
    const SmartPtr<Texture> texture = m_texture;
    const Colour colour = m_colour;
    m_texture = disc;
    m_offset = burstPoint;
    m_anchor = Vector3{};
    for (int i = 0; i < 2; ++i) {
        const float alpha = 128.0f * std::clamp((ends[i] - time) / 0.25f, 0.0f, 1.0f);
        const float size = radii[i] * 2.0f / 0.84375f;  // the ring fills 0.84375 of the texture
        if (size <= 0.0f || alpha <= 0.0f) {
            continue;
        }
        m_scale = Vector3{size, size, 1.0f};
        m_colour = Colour(255, 150, 175, static_cast<uint8_t>(alpha));
        SpriteScreenItem::Render(tint);
    }
    m_offset = offset;
    m_anchor = anchor;
    m_scale = scale;
    m_texture = texture;
    m_colour = colour;
}

bool SuperFruitEvent::AcceptHit() {
    if (time < 0.0f) {
        time = 0.0f;
    } else if (pulse > kPulseRefused) {
        return false;
    }
    pulse += 1.0f;
    hits += 1;
    return true;
}

bool SuperFruitEvent::BeginUpdate(float stepSeconds) {
    if (GetGameRecord().paused) {
        return false;
    }
    time += stepSeconds;
    pulse = std::max(0.0f, pulse - kPulseFallPerSecond * stepSeconds);
    if (fruit != nullptr && fruit->hitTimer > 0.0f) {
        fruit->hitTimer = 1.0f;
    }
    return true;
}

void SuperFruitEvent::OnSlashEnded(Slash* /*slash*/) {
    if (fruit != nullptr && time < sliceTime) {
        fruit->hitTimer = -1.0f;  // the next stroke may hit it again
    }
}

void SuperFruitEvent::EndShockRays() {
    FruitRay::EndAll();
    if (fruit != nullptr) {
        fruit->halfSpin[0] = fruit->halfSpin[1] = Vector3{};
    }
}

void SuperFruitEvent::SpawnRay() {
    if (fruit == nullptr) {
        return;
    }
    static const int kPattern[8] = {1, 3, 5, 7, 2, 4, 0, 6};
    const uint32_t n = s_rayCount++ % 8;
    const int k = kPattern[n];
    Random& random = GlobalRandom();
    const float roll = 180.0f * random.NextFloat();
    const bool low = ((0x53u >> n) & 1u) != 0;
    const float lo = low ? -35.0f : 5.0f;
    const float hi = low ? -5.0f : 70.0f;
    const float tilt = lo + (hi - lo) * random.NextFloat();
    const float turn = 90.0f * static_cast<float>(k % 4) + 80.0f * random.NextFloat();
    // Turned about x first, then y, then z (q = qz·qy·qx applies qx first).
    const Quaternion q = Product(Product(AboutAxis(0.0f, 0.0f, 1.0f, roll), AboutAxis(0.0f, 1.0f, 0.0f, tilt)),
                                 AboutAxis(1.0f, 0.0f, 0.0f, turn));
    WorldObject* object = WorldObjectManager::Instance().Acquire(static_cast<uint32_t>(WorldObjectType::FruitRay));
    if (object != nullptr) {
        static_cast<FruitRay*>(object)->Start(*fruit, q);
    }
}

SuperFruitEvent* SuperFruitEvent::Find(const Fruit* target) {
    auto found = Registry().find(target);
    return found != Registry().end() ? found->second : nullptr;
}

void SuperFruitEvent::EndAll() {
    // Reset only marks finished; the screen list deletes them.
    std::vector<SuperFruitEvent*> running;
    for (auto& entry : Registry()) {
        running.push_back(entry.second);
    }
    for (SuperFruitEvent* event : running) {
        event->Reset();
    }
}

void SuperFruitEvent::LoadResources() {
    SuperFruitResources& r = SharedResources();
    LoadLocalizedTexture(r.glow, "effects/rays.tex");
    LoadLocalizedTexture(r.shockDisc, "effects/explosion_radius.tex");
    LoadLocalizedTexture(r.rays, "effects/pomegranate_rays.tex");
    FruitRay::SetTexture(r.rays);
    r.jiblet = OptionalModel("models/fruit/pomegranate_jiblet");
    char name[64];
    for (int i = 0; i < SuperFruitResources::kChestPieces; ++i) {
        std::snprintf(name, sizeof(name), "models/Fruit/chest_c_piece_%d", i + 1);
        r.chestPieces[i] = OptionalModel(name);
    }
    // Once for both kinds: one glow and one count per launch, one event
    // decision per hit.
    if (!s_callbacksAdded) {
        Fruit::AnyLaunchedEvent().Add(Event1<Fruit*>::DelegateType(&SuperFruitEvent::OnKindSpawned));
        Fruit::SuperFruitHitEvent().Add(
            Event3<Fruit*, int, WorldObject*>::DelegateType(&SuperFruitEvent::OnKindSliced));
        s_callbacksAdded = true;
    }
}

void SuperFruitEvent::UnloadResources() {
    if (s_callbacksAdded) {
        Fruit::AnyLaunchedEvent().Remove(Event1<Fruit*>::DelegateType(&SuperFruitEvent::OnKindSpawned));
        Fruit::SuperFruitHitEvent().Remove(
            Event3<Fruit*, int, WorldObject*>::DelegateType(&SuperFruitEvent::OnKindSliced));
        s_callbacksAdded = false;
    }
    FruitRay::SetTexture(SmartPtr<Texture>());
    SharedResources() = SuperFruitResources{};
}

const SuperFruitResources& SuperFruitEvent::Resources() {
    return SharedResources();
}

void SuperFruitEvent::OnKindSpawned(Fruit* fruit) {
    if (fruit == nullptr || !fruit->IsSuper() || fruit->IsDead()) {
        return;
    }
    fruit->effectDepth = -5.0f;
    if (fruit->isSuperPomegranate && WaveManager::Instance().GetRandom().NextBelow(100) <= 50) {
        fruit->position.x = -fruit->position.x;
        fruit->velocity.x = -fruit->velocity.x;
    }
    if (GameStats* stats = GetGameRecord().stats) {
        (void)stats->Add("super_pomegranates_spawned", 1, 1, 1);
    }
    if (ScreenList* list = List()) {
        list->Add(new SuperFruitGlow(*fruit));
    }
}

void SuperFruitEvent::OnKindSliced(Fruit* fruit, int /*ignored*/, WorldObject* hitter) {
    if (fruit == nullptr || !fruit->IsSuper()) {
        return;
    }
    if (SuperFruitEvent* event = Find(fruit)) {
        event->OnHit(hitter);
        return;
    }
    if (GetGameRecord().notInPlay) {
        fruit->hitTimer = 0.0f;  // sliced like any other fruit
        return;
    }
    if (IsActive()) {
        return;  // one event at a time; the fruit stays whole
    }
    ScreenList* list = List();
    if (list == nullptr || fruit->isSuperPomegranate) {
        // The pomegranate's rope event is not part of this game yet: it is
        // sliced like any other fruit, as is any super fruit without a
        // screen list to run its event in.
        fruit->hitTimer = 0.0f;
        return;
    }
    SuperChestEvent* event = new SuperChestEvent(*fruit);
    list->Add(event);
    // The creating hit counts at once.
    event->OnHit(hitter);
}

SuperFruitGlow::SuperFruitGlow(Fruit& target) : fruit(&target), m_fruitSerial(target.spawnSerial) {
    m_texture = SuperFruitEvent::Resources().glow;
    m_layerMask = SuperFruitEvent::kLayerEvent;
    m_scale = Vector3{150.0f, 150.0f, 150.0f};
    m_rotation = 10.0f + std::trunc(160.0f * GlobalRandom().NextFloat());
    m_colour = Colour(255, 255, 255, 0);
    target.droppedEvent.Add(Event1<Fruit*>::DelegateType(this, &SuperFruitGlow::OnFruitRemoved));
}

SuperFruitGlow::~SuperFruitGlow() {
    if (fruit != nullptr && fruit->spawnSerial == m_fruitSerial) {
        fruit->droppedEvent.Remove(Event1<Fruit*>::DelegateType(this, &SuperFruitGlow::OnFruitRemoved));
    }
}

void SuperFruitGlow::OnFruitRemoved(Fruit* removed) {
    if (removed == fruit) {
        fruit->droppedEvent.Remove(Event1<Fruit*>::DelegateType(this, &SuperFruitGlow::OnFruitRemoved));
        fruit = nullptr;
        fading = 1;
    }
}

void SuperFruitGlow::Update(float stepSeconds) {
    if (fruit != nullptr && fruit->spawnSerial != m_fruitSerial) {
        fruit = nullptr;  // recycled without a drop: let go all the same
        fading = 1;
    }
    if (fruit != nullptr) {
        m_offset = Vector3{fruit->position.x, fruit->position.y, fruit->effectDepth - 40.0f};
    }
    if (GetGameRecord().paused) {
        return;
    }
    m_rotation += 60.0f * stepSeconds;
    if (fruit != nullptr && (fruit->destroyed || fruit->sliced)) {
        fading = 1;
    }
    if (fading != 0) {
        level -= 2.0f * stepSeconds;
        if (level <= 0.0f) {
            m_finished = true;
        }
    } else {
        level = std::min(1.0f, level + 2.0f * stepSeconds);
    }
    m_colour.a = static_cast<uint8_t>(std::clamp(75.0f * level, 0.0f, 255.0f));
}

void SuperFruitGlow::Draw(const float tint[3], uint32_t /*layerMask*/) {
    if (!m_texture || level <= 0.0f) {
        return;
    }
    const Vector3 scale = m_scale;
    const float rotation = m_rotation;
    m_scale = Scale(scale, level);
    SpriteScreenItem::Render(tint);
    m_rotation = -rotation;
    SpriteScreenItem::Render(tint);
    m_scale = scale;
    m_rotation = rotation;
}

}  // namespace Varnok
