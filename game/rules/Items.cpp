// Reading the catalogue and the item save, equipping, and the blade's sounds.
#include "game/rules/Items.h"

#include "engine/audio/Sound.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "engine/iOS/VarnokGame.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameRecord.h"
#include "game/rules/SoundPlayer.h"
#include "game/rules/StringTables.h"
#include "game/rules/UnlockQueue.h"
#include "game/screens/GameUi.h"
#include "game/world/BladeColours.h"
#include "game/world/ParticleManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

constexpr float kOwedStart = 0.999f;
constexpr float kLoopFadePerSecond = 2.0f;
constexpr int kLoadApplications = 3;

uint32_t Hash(const char* text) {
    return text != nullptr ? HashName(text, static_cast<int>(std::strlen(text))) : 0;
}

bool IsTrue(const char* text) {
    return text != nullptr && std::strcmp(text, "true") == 0;
}

std::string Localised(const char* key) {
    if (key == nullptr) {
        return std::string();
    }
    const char* text = StringTables::Get(key);
    return text != nullptr ? std::string(text) : std::string(key);
}

void ReadFloat(const TiXmlElement& element, const char* name, float& value) {
    double read = 0.0;
    if (element.QueryDoubleAttribute(name, &read) == TIXML_SUCCESS) {
        value = static_cast<float>(read);
    }
}

void ReadText(const TiXmlElement& element, const char* name, std::string& value) {
    if (const char* text = element.Attribute(name)) {
        value = text;
    }
}

void PlayThroughGame(const char* name, float mix, float volume) {
    if (SoundPlayer* sounds = GetGameRecord().soundPlayer) {
        sounds->Play(name, mix, volume, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

ItemSoundSink s_sink = &PlayThroughGame;

}  // namespace

int32_t ItemTypeFromName(const char* name) {
    if (name == nullptr) {
        return -1;
    }
    if (std::strcmp(name, "SLASH_MODIFIER") == 0) {
        return kItemSlashModifier;
    }
    if (std::strcmp(name, "BACKGROUND") == 0) {
        return kItemBackground;
    }
    return std::strcmp(name, "REMOVEADS") == 0 ? kItemRemoveAds : -1;
}

// --- SoundSet ---------------------------------------------------------------

void SoundSet::Parse(const TiXmlElement& element) {
    m_nextIndex = IsTrue(element.Attribute("play_sequentialy")) ? 0 : -1;
    m_notOnTop = !IsTrue(element.Attribute("play_ontop"));
    ReadFloat(element, "time_per_sound", m_timePerSound);
    float setVolume = 1.0f;
    ReadFloat(element, "vol", setVolume);
    m_names.clear();
    m_volumes.clear();
    for (const TiXmlElement* s = element.FirstChildElement("sound"); s != nullptr; s = s->NextSiblingElement("sound")) {
        m_names.emplace_back(s->GetText() != nullptr ? s->GetText() : "");
        float volume = setVolume;
        ReadFloat(*s, "vol", volume);
        m_volumes.push_back(volume);
    }
    int avoid = 0;
    (void)element.QueryIntAttribute("previous_sounds_to_avoid", &avoid);
    avoid = std::clamp(avoid, 0, std::max(Count() - 1, 0));
    m_recent.assign(static_cast<size_t>(avoid), -1);
}

int SoundSet::PickIndex(Random& random) {
    const int32_t count = Count();
    if (count == 0) {
        return -1;
    }
    if (count == 1) {
        return 0;
    }
    if (m_nextIndex >= 0) {
        const int index = m_nextIndex % count;
        m_nextIndex = m_nextIndex + 1 >= count ? 0 : m_nextIndex + 1;
        return index;
    }
    int draw = static_cast<int>(random.NextBelow(static_cast<uint32_t>(count)));
    for (int32_t recent : m_recent) {
        if (recent == draw) {
            draw = static_cast<int>(random.NextBelow(static_cast<uint32_t>(count)));
        }
    }
    if (!m_recent.empty()) {
        std::rotate(m_recent.rbegin(), m_recent.rbegin() + 1, m_recent.rend());
        m_recent.front() = draw;
    }
    return draw;
}

void SoundSet::PlayIndex(int index) {
    if (index < 0 || index >= Count() || m_names[static_cast<size_t>(index)].empty()) {
        return;
    }
    if (s_sink != nullptr) {
        s_sink(m_names[static_cast<size_t>(index)].c_str(), m_mix, m_volumes[static_cast<size_t>(index)]);
    }
}

void SoundSet::Play(int index, float mix) {
    if (Count() == 0) {
        return;
    }
    m_mix = mix;
    if (index >= 0) {
        PlayIndex(std::min(index, Count() - 1));
        return;
    }
    if (m_pending > 0.0f) {
        m_pending += 1.0f;  // spaced out by Update
        return;
    }
    const int picked = PickIndex(GlobalRandom());
    PlayIndex(picked);
    if (picked >= 0 && m_timePerSound > 0.0f) {
        m_pending = kOwedStart;
    }
}

void SoundSet::Update(float stepSeconds) {
    if (!(m_pending > 0.0f)) {
        return;
    }
    if (!(m_timePerSound > 0.0f)) {
        m_pending = 0.0f;
        return;
    }
    const float before = m_pending;
    m_pending = std::max(0.0f, m_pending - stepSeconds / m_timePerSound);
    const int owed = static_cast<int>(std::floor(before)) - static_cast<int>(std::floor(m_pending));
    for (int i = 0; i < owed; ++i) {
        PlayIndex(PickIndex(GlobalRandom()));
    }
}

void SoundSet::ResetPlayback() {
    m_pending = 0.0f;
    m_mix = 1.0f;
    std::fill(m_recent.begin(), m_recent.end(), -1);
}

// --- LoopSound --------------------------------------------------------------

void LoopSound::Update(float stepSeconds) {
    const float step = kLoopFadePerSecond * stepSeconds;
    level = level < target ? std::min(level + step, target) : std::max(level - step, target);
    SoundPlayer* sounds = GetGameRecord().soundPlayer;
    if (name.empty() || sounds == nullptr) {
        return;
    }
    if (level > 0.0f) {
        if (voice == nullptr) {
            voice = sounds->Play(name.c_str(), 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
        }
        if (voice != nullptr) {
            voice->SetVolume(level);
        }
    } else if (voice != nullptr) {
        sounds->Stop(voice, name.c_str());
        voice = nullptr;
    }
}

void LoopSound::Stop() {
    target = 0.0f;
    level = 0.0f;
    SoundPlayer* sounds = GetGameRecord().soundPlayer;
    if (voice != nullptr && sounds != nullptr) {
        sounds->Stop(voice, name.c_str());
    }
    voice = nullptr;
}

// --- Items ------------------------------------------------------------------

void Item::Parse(const TiXmlElement& element) {
    ReadText(element, "name", name);
    nameHash = Hash(name.c_str());
    type = ItemTypeFromName(element.Attribute("type"));
    title = Localised(element.Attribute("title"));
    if (const TiXmlElement* d = element.FirstChildElement("description")) {
        description = Localised(d->GetText());
    }
    if (const TiXmlElement* r = element.FirstChildElement("requirements")) {
        lockCount = 1;
        const char* written = r->Attribute("description");
        requirementText = written != nullptr ? std::string(written) : Localised(r->GetText());
        if (const char* one = r->Attribute("singular")) {
            singular = Localised(one);
        }
        ReadText(*r, "total", total);
        (void)r->QueryIntAttribute("countDownFrom", &countDownFrom);
    }
    showIf = IsTrue(element.Attribute("showIfUpsideDown"))    ? 1
             : IsTrue(element.Attribute("showIfPlayedToday")) ? 2
             : IsTrue(element.Attribute("showJoinButtons"))   ? 3
                                                              : 0;
    ReadText(element, "texture", texture);
    ParseColour(colour, element.Attribute("colour"));
    titleColour = colour;
    ParseColour(titleColour, element.Attribute("titleolour"));
    ReadFloat(element, "falloff", falloff);
    tiles = IsTrue(element.Attribute("tiles"));
}

void SlashModifierItem::Parse(const TiXmlElement& element) {
    Item::Parse(element);
    if (const TiXmlElement* info = element.FirstChildElement("slashModInfo")) {
        ParseInfo(*info);
    }
    if (colours.empty()) {
        colours.push_back(colour);
    }
}

void SlashModifierItem::ParseInfo(const TiXmlElement& info) {
    ReadFloat(info, "speed", speed);
    if (const char* mode = info.Attribute("type")) {
        colourMode = BladeModeFromName(mode);
    }
    ReadText(info, "particles", particles);
    ReadText(info, "release_particles", releaseParticles);
    ReadText(info, "contact_particles", contactParticles);
    slashFlash = IsTrue(info.Attribute("slash_flash"));
    particlesDirectional = IsTrue(info.Attribute("particles_directional"));
    flipForUpsideDown = IsTrue(info.Attribute("flipForUpsideDown"));
    ParseColour(splatOverride, info.Attribute("splat_override"));
    if (const char* tex = info.Attribute("texture")) {
        char path[kTextureBytes];
        const int written = std::snprintf(path, sizeof(path), "%s.tex", tex);
        if (written >= 0 && written < kTextureBytes) {
            bladeTexture = path;
        } else {
            Log("ItemManager: blade texture name of %zu characters refused", std::strlen(tex));
        }
    }
    const ParticleManager& systems = ParticleManager::Instance();
    for (const TiXmlElement* p = info.FirstChildElement("particle"); p != nullptr; p = p->NextSiblingElement("particle")) {
        const uint32_t hash = Hash(p->GetText());
        if (hash != 0 && systems.HasSystem(hash) && impactParticles.size() < kMaxImpactParticles) {
            impactParticles.push_back(hash);
        }
    }
    if (const TiXmlElement* scales = info.FirstChildElement("scales")) {
        ReadFloat(*scales, "start_thickness", startThickness);
        ReadFloat(*scales, "end_thickness", endThickness);
        ReadFloat(*scales, "length", length);
        ReadFloat(*scales, "point_scale", pointScale);
        ReadFloat(*scales, "UV_length", uvLength);
    }
    for (const TiXmlElement* c = info.FirstChildElement("colour"); c != nullptr; c = c->NextSiblingElement("colour")) {
        Colour value = kColourWhite;
        ParseColour(value, c->GetText());
        colours.push_back(value);
    }
    if (const TiXmlElement* swipe = info.FirstChildElement("swipeSounds")) {
        swipeSounds.Parse(*swipe);
        ReadText(*swipe, "loop", loopSound.name);
    }
    if (const TiXmlElement* impact = info.FirstChildElement("impactSounds")) {
        impactSounds.Parse(*impact);
    }
    if (const TiXmlElement* combo = info.FirstChildElement("comboSounds")) {
        comboSounds.Parse(*combo);
    }
}

void SlashModifierItem::OnUnequip() {
    loopSound.Stop();
}

void SlashModifierItem::OnEquip() {
    BladeItemDef def;
    def.colours = colours.data();
    def.count = static_cast<int32_t>(colours.size());
    def.mode = colourMode;
    def.speed = speed;
    def.splatColour = splatOverride;
    if (!bladeTexture.empty()) {
        LoadLocalizedTexture(def.texture, bladeTexture.c_str());
    }
    const ParticleManager& systems = ParticleManager::Instance();
    auto known = [&systems](const std::string& name) {
        const uint32_t hash = Hash(name.c_str());
        return hash != 0 && systems.HasSystem(hash) ? hash : 0u;
    };
    def.particles = known(particles);
    def.directional = particlesDirectional;
    def.contactParticles = known(contactParticles);
    def.releaseParticles = known(releaseParticles);
    ApplyBladeItem(def, GlobalRandom());
    BladeColourCycle::SetParameters(length, startThickness, endThickness, pointScale, slashFlash ? 1 : 0,
                                    flipForUpsideDown ? 1 : 0, uvLength);
    swipeSounds.ResetPlayback();
    impactSounds.ResetPlayback();
    comboSounds.ResetPlayback();
}

// --- ItemManager ------------------------------------------------------------

ItemManager& ItemManager::Instance() {
    static ItemManager manager;
    return manager;
}

void ItemManager::SetSoundSink(ItemSoundSink sink) {
    s_sink = sink != nullptr ? sink : &PlayThroughGame;
}

ItemSoundSink ItemManager::GetSoundSink() {
    return s_sink;
}

const char* ItemManager::SavePath() {
    // The platform has no save folder: the name lands in the save container.
    static const std::string s_path = std::string("C:\\") + kSaveName;
    return s_path.c_str();
}

void ItemManager::DestroyItems() {
    if (SlashModifierItem* blade = EquippedBlade()) {
        blade->loopSound.Stop();
    }
    for (Item*& item : m_equipped) {
        item = nullptr;
    }
    for (auto& map : m_byType) {
        map.clear();
    }
    m_byName.clear();
    m_items.clear();
}

void ItemManager::Load() {
    TiXmlDocument catalogue;
    (void)LoadXmlDocument(catalogue, kFileName);  // ReadCatalogue reports a refusal
    TiXmlDocument save;
    const bool haveSave = LoadXmlDocument(save, SavePath());
    if (!haveSave && save.ErrorId() != TiXmlBase::TIXML_ERROR_OPENING_FILE) {
        Log("ItemManager: the item save did not read (%s), defaults kept", save.ErrorDesc());
    }
    m_applyCount = 0;
    ReadCatalogue(catalogue, kFileName);
    if (haveSave) {
        ReadSave(save);
    }
    for (int type = 0; type < kItemTypeCount; ++type) {
        ApplyEquipped(type, m_equipped[type]);
    }
}

void ItemManager::LoadFromDocuments(const TiXmlDocument& catalogue, const TiXmlDocument* save) {
    m_applyCount = 0;
    ReadCatalogue(catalogue, "item catalogue");
    if (save != nullptr) {
        ReadSave(*save);
    }
    for (int type = 0; type < kItemTypeCount; ++type) {
        ApplyEquipped(type, m_equipped[type]);
    }
}

void ItemManager::LoadCatalogueText(const char* text, size_t length) {
    TiXmlDocument document("item catalogue text");
    (void)ParseXmlDocument(document, text, length);
    m_applyCount = 0;
    ReadCatalogue(document, "item catalogue text");
}

void ItemManager::ReadSaveText(const char* text, size_t length) {
    TiXmlDocument document("item save text");
    if (ParseXmlDocument(document, text, length)) {
        ReadSave(document);
    }
}

void ItemManager::ReadCatalogue(const TiXmlDocument& catalogue, const char* source) {
    DestroyItems();
    const TiXmlElement* root = catalogue.RootElement();
    const TiXmlElement* file = nullptr;
    if (root != nullptr) {
        file = std::strcmp(root->Value(), "itemManagerFile") == 0 ? root : root->FirstChildElement("itemManagerFile");
    }
    if (catalogue.Error() || file == nullptr) {
        Log("ItemManager: %s not read (%s), no items", source,
            catalogue.Error() ? catalogue.ErrorDesc() : "no itemManagerFile element");
        return;
    }
    const GameStats* stats = GetGameRecord().stats;
    const AchievementManager& achievements = AchievementManager::Instance();
    for (const TiXmlElement* e = file->FirstChildElement("item"); e != nullptr; e = e->NextSiblingElement("item")) {
        const int32_t type = ItemTypeFromName(e->Attribute("type"));
        const char* name = e->Attribute("name");
        if (type < 0 || name == nullptr || name[0] == '\0') {
            Log("ItemManager: item \"%s\" of type \"%s\" is not a catalogue item, skipped", name != nullptr ? name : "",
                e->Attribute("type") != nullptr ? e->Attribute("type") : "");
            continue;
        }
        std::unique_ptr<Item> item =
            type == kItemSlashModifier ? std::make_unique<SlashModifierItem>() : std::make_unique<Item>();
        item->Parse(*e);
        if (m_byName.count(item->nameHash) != 0) {
            Log("ItemManager: item \"%s\" listed twice, the second skipped", name);
            continue;
        }
        if (stats != nullptr && UnlockQueue::StateOf(*stats, item->nameHash) != UnlockQueue::kNone) {
            item->lockCount = -1;
        } else if (!achievements.Exists(item->nameHash) && item->lockCount >= 1) {
            // Nothing in the game would unlock it: it is the player's now.
            item->lockCount = -1;
            item->seen = false;
            if (m_newItemListener != nullptr) {
                m_newItemListener();
            }
        }
        Item* kept = item.get();
        m_items.push_back(std::move(item));
        m_byName[kept->nameHash] = kept;
        m_byType[type][kept->nameHash] = kept;
        if (m_equipped[type] == nullptr && type != kItemRemoveAds) {
            m_equipped[type] = kept;
        }
    }
}

void ItemManager::ReadSave(const TiXmlDocument& save) {
    const TiXmlElement* root = save.RootElement();
    const TiXmlElement* file = nullptr;
    if (root != nullptr) {
        file = std::strcmp(root->Value(), "item_save_file") == 0 ? root : root->FirstChildElement("item_save_file");
    }
    if (file == nullptr) {
        Log("ItemManager: the item save has no item_save_file element, defaults kept");
        return;
    }
    GameRecord& game = GetGameRecord();
    (void)file->QueryIntAttribute("coins", &game.coins);
    (void)file->QueryIntAttribute("coinsTotal", &game.coinsEarned);
    (void)file->QueryIntAttribute("levelStartCoins", &game.coinsAtRoundStart);
    if (const TiXmlElement* bought = file->FirstChildElement("boughtItems")) {
        for (const TiXmlElement* e = bought->FirstChildElement("item"); e != nullptr; e = e->NextSiblingElement("item")) {
            const char* name = e->Attribute("name");
            if (name == nullptr || name[0] == '\0') {
                continue;
            }
            if (Item* item = FindItem(Hash(name))) {
                item->lockCount = -1;
                item->seen = IsTrue(e->Attribute("seen"));
            }
        }
    }
    if (const TiXmlElement* equipped = file->FirstChildElement("equippedItems")) {
        for (const TiXmlElement* e = equipped->FirstChildElement("item"); e != nullptr;
             e = e->NextSiblingElement("item")) {
            Item* item = FindItem(Hash(e->Attribute("name")));
            // A locked item is never equipped, whatever a save says.
            if (item != nullptr && item->lockCount < 1 && item->type >= 0 && item->type < kItemTypeCount) {
                m_equipped[item->type] = item;
            }
        }
    }
}

void ItemManager::WriteSave(TiXmlDocument& document) const {
    const GameRecord& game = GetGameRecord();
    TiXmlElement root("item_save_file");
    const VarnokGame* app = VarnokGame::Get();
    root.SetAttribute("version", app != nullptr ? app->GetVersionText() : "");
    root.SetAttribute("coins", game.coins);
    root.SetAttribute("coinsTotal", game.coinsEarned);
    root.SetAttribute("levelStartCoins", game.coinsAtRoundStart);
    TiXmlElement bought("boughtItems");
    for (const auto& item : m_items) {
        if (item->lockCount < 0) {
            TiXmlElement entry("item");
            entry.SetAttribute("name", item->name.c_str());
            entry.SetAttribute("seen", item->seen ? "true" : "false");
            bought.InsertEndChild(entry);
        }
    }
    root.InsertEndChild(bought);
    TiXmlElement equipped("equippedItems");
    for (const Item* item : m_equipped) {
        if (item != nullptr && item->lockCount < 1) {
            TiXmlElement entry("item");
            entry.SetAttribute("name", item->name.c_str());
            equipped.InsertEndChild(entry);
        }
    }
    root.InsertEndChild(equipped);
    document.Clear();
    document.InsertEndChild(TiXmlDeclaration("1.0", "UTF-8", ""));
    document.InsertEndChild(root);
}

bool ItemManager::Save() {
    TiXmlDocument document;
    WriteSave(document);
    if (!SaveXmlDocument(document, SavePath())) {
        Log("ItemManager: the item save was not written");
        return false;
    }
    return true;
}

Item* ItemManager::FindItem(uint32_t nameHash) const {
    auto it = m_byName.find(nameHash);
    return it != m_byName.end() ? it->second : nullptr;
}

bool ItemManager::UnlockItem(uint32_t nameHash) {
    Item* item = FindItem(nameHash);
    if (item == nullptr) {
        return false;
    }
    item->lockCount = -1;
    item->seen = false;
    return true;
}

int32_t ItemManager::CountUnlocked() const {
    return static_cast<int32_t>(
        std::count_if(m_items.begin(), m_items.end(), [](const auto& item) { return item->lockCount < 1; }));
}

bool ItemManager::HasUnseenItems() const {
    return std::any_of(m_items.begin(), m_items.end(), [](const auto& item) { return !item->seen; });
}

bool ItemManager::EquipByHash(uint32_t nameHash) {
    Item* item = FindItem(nameHash);
    if (item == nullptr) {
        return false;
    }
    if (Item* before = m_equipped[item->type]) {
        before->OnUnequip();
    }
    ApplyEquipped(item->type, item);
    return true;
}

void ItemManager::ApplyEquipped(int type, Item* item) {
    if (type < 0 || type >= kItemTypeCount) {
        return;
    }
    const bool fromLoad = m_applyCount < kLoadApplications;
    ++m_applyCount;
    if (type == kItemBackground) {
        if (!(fromLoad && GetBackgroundTexture())) {
            LoadBackgroundTextures(item != nullptr && !item->texture.empty() ? item->texture.c_str() : nullptr);
        }
    } else if (type == kItemSlashModifier) {
        if (Item* before = m_equipped[type]; before != nullptr && before != item) {
            before->OnUnequip();
        }
        if (item != nullptr) {
            item->OnEquip();
        } else {
            BladeColourCycle::Reset();
            BladeColourCycle::SetParameters(BladeShape{});
        }
    }
    m_equipped[type] = item;
    if (item != nullptr) {
        item->seen = true;
    }
}

SlashModifierItem* ItemManager::EquippedBlade() const {
    return static_cast<SlashModifierItem*>(m_equipped[kItemSlashModifier]);
}

bool ItemManager::PlaySwipeSound(float mix) {
    SlashModifierItem* blade = EquippedBlade();
    if (blade == nullptr || blade->swipeSounds.Count() == 0) {
        return false;
    }
    blade->swipeSounds.Play(-1, mix);
    return blade->swipeSounds.NotOnTop();
}

bool ItemManager::PlayImpactSound(float mix) {
    SlashModifierItem* blade = EquippedBlade();
    if (blade == nullptr || blade->impactSounds.Count() == 0) {
        return false;
    }
    blade->impactSounds.Play(-1, mix);
    return blade->impactSounds.NotOnTop();
}

void ItemManager::PlayComboSound(int n) {
    if (SlashModifierItem* blade = EquippedBlade()) {
        blade->comboSounds.Play(std::clamp(n, 0, std::max(blade->comboSounds.Count() - 1, 0)), 1.0f);
    }
}

bool ItemManager::SpawnImpactParticles(const Vector3& position) {
    SlashModifierItem* blade = EquippedBlade();
    if (blade == nullptr || blade->impactParticles.empty()) {
        return false;
    }
    const uint32_t pick = GlobalRandom().NextBelow(static_cast<uint32_t>(blade->impactParticles.size()));
    ParticleSystem* system = ParticleManager::Instance().Spawn(blade->impactParticles[pick], nullptr);
    if (system == nullptr) {
        return false;
    }
    system->position = position;
    return true;
}

void ItemManager::SetBladeLoopValue(float value) {
    SlashModifierItem* blade = EquippedBlade();
    if (blade != nullptr && !blade->loopSound.name.empty()) {
        blade->loopSound.target = value;
    }
}

void ItemManager::UpdateSounds(float stepSeconds) {
    if (SlashModifierItem* blade = EquippedBlade()) {
        blade->swipeSounds.Update(stepSeconds);
        blade->impactSounds.Update(stepSeconds);
        blade->comboSounds.Update(stepSeconds);
        blade->loopSound.Update(stepSeconds);
    }
}

}  // namespace Varnok
