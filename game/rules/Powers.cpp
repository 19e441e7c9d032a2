// Activation, the per-step update, the effect sets, saving and restoring.
#include "game/rules/Powers.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "game/rules/BonusStar.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/SoundPlayer.h"
#include "game/screens/BonusTimeLabel.h"
#include "game/screens/GameHud.h"
#include "game/screens/HudPopup.h"
#include "game/screens/ScreenList.h"
#include "game/world/ParticleManager.h"
#include "game/world/Slash.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

constexpr float kOsaInPerSecond = 4.0f;
constexpr float kOsaOutPerSecond = 12.0f;
constexpr float kBarHalfStep = 55.0f;
constexpr float kBarEase = 0.2f;
constexpr float kParticleStopTime = 0.8f;
constexpr float kKeptFraction = 0.01f;
constexpr float kReferenceWidth = 480.0f;
constexpr float kPulseUnitsPerSecond = 32760.0f;
constexpr float kLoopedVolume = 0.66f;
constexpr float kStartedMark = 100.0f;

uint32_t Hash(const char* text) {
    return text != nullptr ? HashName(text, static_cast<int>(std::strlen(text))) : 0;
}

ScreenList* Screens() {
    return GetGameRecord().screenList;
}

Vector3 ScreenPlace(const Vector3& offset, const Vector3& fraction) {
    return Vector3{offset.x + LogicalScreenWidth() * fraction.x, offset.y + LogicalScreenHeight() * fraction.y,
                   offset.z};
}

Vector3 EntryScale(const PowerSpriteEntry& entry, float factor) {
    Vector3 scale{entry.scale.x * factor, entry.scale.y * factor, entry.scale.z * factor};
    if (entry.scaleToScreen != 0) {
        scale.x *= LogicalScreenWidth() / kReferenceWidth;
        scale.y *= LogicalScreenHeight() / 320.0f;
    }
    return scale;
}

// Visibility of a sprite or tint entry at time left T of S; answers whether
// it is fading out.
bool Visibility(float& v, float fade, float start, float end, float dt, float T, float S, bool tint) {
    const float A = S * start;
    const float E = S * end;
    if (fade > 0.0f) {
        if (T > A) {
            v = 0.0f;
            return false;
        }
        if (T > E + fade) {
            v = std::min(v + dt / fade, 1.0f);
            return false;
        }
        v = std::clamp((T - E) / fade, 0.0f, 1.0f);
        return true;
    }
    if (tint) {
        v = 1.0f;
    } else {
        v = T < E ? 0.0f : (T <= A ? 1.0f : 0.0f);
    }
    return false;
}

// The item is still the list's to touch (it was never added, or the list
// has not deleted it).
bool ItemAlive(const PowerSpriteEntry& entry) {
    if (entry.item == nullptr) {
        return false;
    }
    if (entry.added == 0) {
        return true;
    }
    ScreenList* screens = Screens();
    return screens != nullptr && screens->Contains(entry.item);
}

}  // namespace

// --- Sub-effects -------------------------------------------------------------

int PowerSubEffect::WithholdPoints(int points) {
    if (owner != nullptr) {
        owner->AddDeferedPoints(points);
    }
    withheldTotal += points;
    return 0;
}

// --- Effect sets ----------------------------------------------------------------

PowerEffects::PowerEffects(const PowerEffects& other)
    : particles(other.particles),
      sprites(other.sprites),
      tints(other.tints),
      sounds(other.sounds),
      owner(other.owner),
      ownTime(other.ownTime),
      ownTotal(other.ownTotal) {}

PowerEffects::~PowerEffects() {
    StopVoices();
    // Items never handed to a list are still ours.
    for (PowerSpriteEntry& entry : sprites) {
        if (entry.item != nullptr && entry.added == 0) {
            delete entry.item;
            entry.item = nullptr;
        }
    }
}

void PowerEffects::StopVoices() {
    SoundPlayer* player = GetGameRecord().soundPlayer;
    for (PowerSoundEntry& entry : sounds) {
        if (entry.voice != nullptr && player != nullptr) {
            player->Stop(entry.voice, entry.name);
        }
        entry.voice = nullptr;
    }
}

void PowerEffects::Create() {
    ParticleManager& systems = ParticleManager::Instance();
    for (PowerParticleEntry& entry : particles) {
        entry.system = nullptr;
        if (systems.HasSystem(entry.nameHash)) {
            entry.system = systems.Spawn(entry.nameHash, nullptr);
            if (entry.system != nullptr) {
                entry.system->position = ScreenPlace(entry.offset, entry.fraction);
            }
        }
    }
    ScreenList* screens = Screens();
    for (PowerSpriteEntry& entry : sprites) {
        SpriteScreenItem* item = nullptr;
        if (entry.kind == PowerSpriteEntry::kBonusTimeLabel) {
            auto* label = new BonusTimeLabel();
            label->m_source = this;
            item = label;
        } else if (entry.kind == PowerSpriteEntry::kBonusStar) {
            auto* star = new BonusStarItem();
            star->m_owner = owner;
            item = star;
        } else {
            item = new SpriteScreenItem();
        }
        entry.image.Load();
        item->m_texture = entry.image.GetTexture();
        item->m_offset = ScreenPlace(entry.offset, entry.fraction);
        item->m_colour = entry.colour;
        item->m_layerMask = entry.layerMask;
        item->m_scale = (entry.flags & 1) != 0 ? Vector3{} : EntryScale(entry, 1.0f);
        if ((entry.flags & 2) != 0) {
            item->m_colour.a = 0;
        }
        entry.item = item;
        entry.added = 0;
        if (screens != nullptr) {
            screens->Add(item);
            entry.added = 1;
        }
    }
}

void PowerEffects::Update(float dt, float T, float S) {
    if (ownTime > 0.0f) {
        T = ownTime;
        S = ownTotal;
        ownTime -= dt;
    }
    ScreenList* screens = Screens();
    for (PowerSpriteEntry& entry : sprites) {
        if (!ItemAlive(entry)) {
            continue;
        }
        if (screens != nullptr && entry.added == 0) {
            screens->Add(entry.item);
            entry.added = 1;
        }
        const bool out = Visibility(entry.visibility, entry.fade, entry.start, entry.end, dt, T, S, false);
        const float v = entry.visibility;
        const float w = (1.0f - v) * (1.0f - v);
        const Vector3& P = out ? entry.outOffset : entry.inOffset;
        const Vector3 place = ScreenPlace(entry.offset, entry.fraction);
        SpriteScreenItem* item = entry.item;
        item->m_offset = Vector3{place.x + w * P.x, place.y + w * P.y, place.z + w * P.z};
        item->m_scale = EntryScale(entry, (entry.flags & 1) != 0 ? 1.0f - w : 1.0f);
        float alpha = (entry.flags & 2) != 0 ? static_cast<float>(static_cast<int>(entry.colour.a * v))
                                             : static_cast<float>(entry.colour.a);
        if (screens != nullptr) {
            alpha = static_cast<float>(static_cast<int>(alpha * screens->m_popupAlpha));
        }
        item->m_colour.a = static_cast<uint8_t>(std::clamp(alpha, 0.0f, 255.0f));
        entry.pulseAngle = static_cast<uint16_t>(entry.pulseAngle +
                                                 static_cast<int32_t>(dt * kPulseUnitsPerSecond * entry.pulseRate));
        const float s = SinLookup(entry.pulseAngle);
        const float pulse = 1.0f + s * (s > 0.0f ? entry.pulseUp : entry.pulseDown);
        item->m_scale = Vector3{item->m_scale.x * pulse, item->m_scale.y * pulse, item->m_scale.z * pulse};
    }
    for (PowerTintEntry& entry : tints) {
        (void)Visibility(entry.visibility, entry.fade, entry.start, entry.end, dt, T, S, true);
        if (screens == nullptr) {
            continue;
        }
        const float v = entry.visibility;
        for (int k = 0; k < 3; ++k) {
            screens->m_worldTint[k] *= std::clamp(1.0f + v * (entry.sliceTint[k] - 1.0f), 0.0f, 1.0f);
            screens->m_tint[k] *= std::clamp(1.0f + v * (entry.colourFactor[k] - 1.0f), 0.0f, 1.0f);
        }
    }
    if (T < kParticleStopTime) {
        for (PowerParticleEntry& entry : particles) {
            if (entry.system != nullptr) {
                entry.system->rate = 0.0f;
            }
        }
    }
    SoundPlayer* player = GetGameRecord().soundPlayer;
    for (auto it = sounds.begin(); it != sounds.end();) {
        PowerSoundEntry& entry = *it;
        if (T > S * entry.start) {
            ++it;
            continue;
        }
        if (S * entry.end < 0.0f) {
            if (player != nullptr) {
                player->Play(entry.name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
            }
            it = sounds.erase(it);
            continue;
        }
        entry.start = kStartedMark;
        if (entry.voice == nullptr && player != nullptr) {
            entry.voice = player->Play(entry.name, kLoopedVolume, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
        }
        if (T < S * entry.end) {
            if (entry.voice != nullptr && player != nullptr) {
                player->Stop(entry.voice, entry.name);
            }
            it = sounds.erase(it);
            continue;
        }
        ++it;
    }
}

void PowerEffects::Remove() {
    ParticleManager& systems = ParticleManager::Instance();
    for (PowerParticleEntry& entry : particles) {
        if (entry.system != nullptr) {
            systems.ReleaseEmitter(entry.system);
            entry.system = nullptr;
        }
    }
    const bool timeLeft = owner != nullptr && owner->totalTime > 0.0f &&
                          owner->time / owner->totalTime > kKeptFraction;
    for (PowerSpriteEntry& entry : sprites) {
        if (!ItemAlive(entry)) {
            entry.item = nullptr;
            continue;
        }
        if (entry.added == 0) {
            delete entry.item;  // never shown
        } else if (entry.kind == PowerSpriteEntry::kBonusTimeLabel) {
            auto* label = static_cast<BonusTimeLabel*>(entry.item);
            if (timeLeft) {
                label->m_target = 0.0f;
            }
            label->m_source = nullptr;
        } else if (entry.kind == PowerSpriteEntry::kBonusStar) {
            auto* star = static_cast<BonusStarItem*>(entry.item);
            const int32_t withheld = owner != nullptr ? std::max(owner->deferedPoints, 0) : 0;
            star->Release(timeLeft ? 0 : 2 * withheld);
        } else {
            entry.item->m_finished = true;
        }
        entry.item = nullptr;
    }
    sprites.clear();
    tints.clear();
    particles.clear();
    StopVoices();
    sounds.clear();
}

void PowerEffects::PreloadImages() {
    for (PowerSpriteEntry& entry : sprites) {
        entry.image.Load();
    }
}

// --- Records ---------------------------------------------------------------------

PowerRecord::~PowerRecord() {
    Clear();
}

void PowerRecord::SetName(const char* text) {
    std::snprintf(name, sizeof(name), "%s", text != nullptr ? text : "");
    nameHash = Hash(name);
}

void PowerRecord::Start(bool withEffects, bool restored, const Vector3& position, const float* argument) {
    if (!restored) {
        if (icon) {
            if (HudPopup* popup = GameHud::NextFreePopup()) {
                popup->ShowIcon(position, 0, icon);
                popup->m_layerMask = ScreenLayer::Powers;
            }
        }
        if (purchase != nullptr) {
            AddCoins(-purchase->cost);
        }
    }
    for (auto& effect : subEffects) {
        if (effect->dormant == 0) {
            effect->Start(restored, argument);
        }
    }
    if (withEffects && effects != nullptr) {
        effects->Create();
    }
}

int PowerRecord::Update(float dt) {
    time = 0.0f;
    for (auto it = subEffects.begin(); it != subEffects.end();) {
        if ((*it)->Update(dt) == 1) {
            (*it)->Stop();
            it = subEffects.erase(it);
            continue;
        }
        if ((*it)->remaining > time) {
            time = (*it)->remaining;
            totalTime = std::max(totalTime, time);
        }
        ++it;
    }
    if (effects != nullptr) {
        effects->Update(dt, time, totalTime);
    }
    if (time > 0.0f) {
        osa = std::min(osa + kOsaInPerSecond * dt, 1.0f);
    }
    if (purchase != nullptr) {
        return subEffects.empty() && purchase->uses < 0 ? 1 : 0;
    }
    if (!subEffects.empty()) {
        return 0;
    }
    if (osa <= 0.0f) {
        return 1;
    }
    osa = std::max(osa - kOsaOutPerSecond * dt, 0.0f);
    return 0;
}

void PowerRecord::Stop(bool force) {
    for (auto& effect : subEffects) {
        if (effect->dormant == 0 || force) {
            effect->Stop();
        }
    }
    subEffects.clear();
    if (effects != nullptr) {
        effects->Remove();
        effects.reset();
    }
}

void PowerRecord::Clear() {
    subEffects.clear();
    if (effects != nullptr) {
        effects->Remove();
        effects.reset();
    }
    purchase.reset();
    barImage = SmartPtr<Texture>();
    icon = SmartPtr<Texture>();
}

void PowerRecord::Render() const {
    if (!(osa > 0.0f) || !barImage) {
        return;
    }
    const TextureDescription& d = barImage->GetDescription();
    const float w = static_cast<float>(d.apparentWidth);
    const float h = static_cast<float>(d.apparentHeight);
    const float presence = 1.0f;
    const float slide = (1.0f - osa * presence) * (1.0f - osa * presence);
    Matrix4 world = Matrix4::Identity();
    Matrix4::Scale(world, w, h, 0.0f);
    world.m[12] = displayOffset;
    world.m[13] = LogicalScreenHeight() / 2.0f + (slide - 0.5f) * h + 1.0f;
    world.m[14] = 0.0f;
    RenderTransforms::Get().World().Set(world);
    RenderTransforms::Get().Apply(false);
    barImage->Bind();
    DrawColouredQuad(Colour(255, 255, 255, 255));
    barImage->Unbind();
}

float PowerRecord::LongestDuration() const {
    float longest = -1.0f;
    for (const auto& effect : subEffects) {
        longest = std::max(longest, effect->duration);
    }
    return longest;
}

std::unique_ptr<PowerRecord> PowerRecord::Clone() const {
    auto copy = std::make_unique<PowerRecord>();
    copy->nameHash = nameHash;
    std::memcpy(copy->name, name, sizeof(name));
    copy->keyed = keyed;
    copy->stacks = stacks;
    copy->totalTime = totalTime;
    copy->barImage = barImage;
    copy->icon = icon;
    if (purchase != nullptr) {
        copy->purchase = std::make_unique<PowerPurchase>(*purchase);
    }
    if (effects != nullptr) {
        copy->effects = std::make_unique<PowerEffects>(*effects);
        copy->effects->owner = copy.get();
    }
    for (const auto& effect : subEffects) {
        std::unique_ptr<PowerSubEffect> clone = effect->Clone();
        clone->owner = copy.get();
        copy->subEffects.push_back(std::move(clone));
    }
    return copy;
}

void PowerRecord::SetTotalTime(float seconds) {
    totalTime = seconds;
    osa = std::min(kOsaInPerSecond * (seconds - time), 1.0f);
    if (effects != nullptr) {
        effects->Update(seconds - time, time, seconds);
    }
}

void PowerRecord::AddDeferedPoints(int points) {
    deferedPoints = std::max(deferedPoints, 0) + points;
}

void PowerRecord::Preload() {
    if (effects != nullptr) {
        effects->PreloadImages();
    }
    if (purchase != nullptr) {
        for (TextureRef& image : purchase->images) {
            image.Load();
        }
    }
}

// --- Manager ------------------------------------------------------------------

PowerManager& PowerManager::Instance() {
    static PowerManager manager;
    return manager;
}

void PowerManager::AddDefinition(std::unique_ptr<PowerRecord> prototype) {
    if (prototype == nullptr) {
        return;
    }
    for (auto& effect : prototype->subEffects) {
        effect->owner = prototype.get();
    }
    const uint32_t hash = prototype->nameHash;
    m_definitions[hash] = std::move(prototype);
}

void PowerManager::ClearActive() {
    for (auto& record : m_active) {
        record->Stop(false);
        record->Clear();
    }
    m_active.clear();
    m_byName.clear();
    m_lingering.clear();
    if (m_hooked != nullptr) {
        m_hooked = nullptr;
        SetPointsModifier(PointsModifier());
    }
}

void PowerManager::Clear() {
    ClearActive();
    m_definitions.clear();
    for (auto& entry : m_effectTemplates) {
        entry.second.Remove();
    }
    m_effectTemplates.clear();
}

int PowerManager::CountExclusive() const {
    return static_cast<int>(
        std::count_if(m_active.begin(), m_active.end(), [](const auto& record) { return record->IsExclusive(); }));
}

PowerRecord* PowerManager::Activate(uint32_t nameHash, const Vector3& position, const float* restoreTime) {
    auto definition = m_definitions.find(nameHash);
    if (definition == m_definitions.end()) {
        return nullptr;
    }
    const bool restored = restoreTime != nullptr;
    auto running = m_byName.find(nameHash);
    if (running != m_byName.end()) {
        PowerRecord* record = running->second;
        const float longest = record->LongestDuration();
        record->Start(false, restored, position, &longest);
        return record;
    }
    m_active.push_back(definition->second->Clone());
    PowerRecord* record = m_active.back().get();
    const int exclusive = CountExclusive();
    if (exclusive != 0 && record->stacks == 0 && record->IsFree() && !restored) {
        float shortest = record->LongestDuration();
        for (const auto& other : m_active) {
            if (other->IsExclusive()) {
                shortest = std::min(shortest, other->LongestDuration());
            }
        }
        for (const auto& other : m_active) {
            if (other.get() != record && other->IsExclusive()) {
                other->Start(false, false, Vector3{}, &shortest);
            }
        }
        record->Start(true, false, position, &shortest);
    } else {
        record->Start(true, restored, position, restoreTime);
    }
    record->displayOffset = kBarHalfStep * static_cast<float>(CountExclusive());
    if (record->keyed != 0) {
        m_byName[nameHash] = record;
    }
    return record;
}

PowerRecord* PowerManager::Find(uint32_t nameHash) const {
    auto it = m_byName.find(nameHash);
    return it != m_byName.end() ? it->second : nullptr;
}

void PowerManager::ResetModifiers() {
    powerTimeScale = 1.0f;
    speedFactor = 1.0f;
    countdownRate = 1.0f;
    bonusSeconds = 0.0f;
    Slash::interactionFlags = 0;
    if (ScreenList* screens = Screens()) {
        for (int k = 0; k < 3; ++k) {
            screens->m_tint[k] = 1.0f;
            screens->m_worldTint[k] = 1.0f;
        }
    }
}

void PowerManager::Retire(std::unique_ptr<PowerRecord>& record) {
    auto named = m_byName.find(record->nameHash);
    if (named != m_byName.end() && named->second == record.get()) {
        m_byName.erase(named);
    }
    record->Stop(false);
    record->Clear();
}

void PowerManager::UpdateAll(float dt) {
    const float scale = stepTimeScale;
    ResetModifiers();
    int k = 0;
    for (auto it = m_active.begin(); it != m_active.end();) {
        PowerRecord& record = **it;
        const bool bought = record.purchase != nullptr && record.purchase->cost != 0;
        if (record.Update(bought ? dt : dt * scale) == 1) {
            Retire(*it);
            it = m_active.erase(it);
            continue;
        }
        const float n = static_cast<float>(CountExclusive());
        record.displayOffset +=
            (kBarSpacing * static_cast<float>(k) - kBarHalfStep * (n - 1.0f) - record.displayOffset) * kBarEase;
        if (record.IsExclusive()) {
            ++k;
        }
        ++it;
    }
    for (auto it = m_lingering.begin(); it != m_lingering.end();) {
        (*it)->Update(dt, 0.0f, 0.0f);
        if ((*it)->ownTime <= 0.0f) {
            (*it)->Remove();
            it = m_lingering.erase(it);
        } else {
            ++it;
        }
    }
    stepTimeScale = powerTimeScale;
    if (m_hooked != nullptr && !HookAlive()) {
        RefreshPointsHook();  // never leave the score calling a finished effect
    }
}

bool PowerManager::HookAlive() const {
    for (const auto& record : m_active) {
        for (const auto& effect : record->subEffects) {
            if (effect.get() == m_hooked) {
                return true;
            }
        }
    }
    return false;
}

void PowerManager::RenderAll() const {
    for (const auto& record : m_active) {
        record->Render();
    }
}

void PowerManager::Save(TiXmlElement& parent) const {
    for (const auto& record : m_active) {
        TiXmlElement power("power");
        power.SetAttribute("name", record->name);
        power.SetDoubleAttribute("time", static_cast<double>(record->time));
        power.SetDoubleAttribute("totalTime", static_cast<double>(record->totalTime));
        power.SetDoubleAttribute("osa", static_cast<double>(record->osa));
        if (record->deferedPoints >= 0) {
            power.SetDoubleAttribute("deferedPoints", static_cast<double>(record->deferedPoints));
        }
        parent.InsertEndChild(power);
    }
}

void PowerManager::Load(const TiXmlElement& element, int mode) {
    if (mode >= 2) {
        return;  // no game in progress travels with such a file
    }
    for (const TiXmlElement* e = element.FirstChildElement("power"); e != nullptr; e = e->NextSiblingElement("power")) {
        double t = 0.0;
        (void)e->QueryDoubleAttribute("time", &t);
        const uint32_t hash = Hash(e->Attribute("name"));
        auto definition = m_definitions.find(hash);
        if (hash == 0 || definition == m_definitions.end()) {
            continue;
        }
        const PowerRecord& prototype = *definition->second;
        const bool untimed = prototype.totalTime <= 0.0f;
        const bool bought = prototype.purchase != nullptr && prototype.purchase->cost != 0;
        if (prototype.stacks != 0 || !(untimed || bought)) {
            continue;  // free timed powers do not come back
        }
        float time = static_cast<float>(t);
        PowerRecord* record = Activate(hash, Vector3{}, &time);
        if (record == nullptr) {
            continue;
        }
        record->time = time;
        double total = t;
        (void)e->QueryDoubleAttribute("totalTime", &total);
        record->SetTotalTime(static_cast<float>(total));
        double osa = total;
        (void)e->QueryDoubleAttribute("osa", &osa);
        record->osa = static_cast<float>(osa);
        double points = -1.0;
        if (e->QueryDoubleAttribute("deferedPoints", &points) == TIXML_SUCCESS && points >= 0.0) {
            AddPoints(static_cast<int>(points), 0, 0);
        }
    }
}

float PowerManager::RemainingFraction(float lookahead) const {
    const PowerRecord* last = nullptr;
    for (const auto& record : m_active) {
        if (record->IsExclusive()) {
            last = record.get();
        }
    }
    if (last == nullptr) {
        return kNoPower;
    }
    const float T = last->totalTime;
    const float t = last->time;
    if (lookahead > 0.0f && T > 0.0f) {
        return (t - lookahead) / T;
    }
    return T > 0.0f ? t / T : 0.0f;
}

void PowerManager::Preload() {
    for (auto& entry : m_definitions) {
        entry.second->Preload();
    }
    for (auto& entry : m_effectTemplates) {
        entry.second.PreloadImages();
    }
}

void PowerManager::RefreshPointsHook() {
    for (const auto& record : m_active) {
        for (const auto& effect : record->subEffects) {
            if (effect->Type() == PowerSubEffect::kWithholdsPointsType && effect->withholdsPoints != 0) {
                m_hooked = effect.get();
                SetPointsModifier(PointsModifier(effect.get(), &PowerSubEffect::WithholdPoints));
                return;
            }
        }
    }
    m_hooked = nullptr;
    SetPointsModifier(PointsModifier());
}

}  // namespace Varnok
