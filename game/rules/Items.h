// The catalogue of things the player owns and equips, read from
// "xml/itemList.xml": blades (their colours, trail shape, particles and
// sounds), backgrounds and the ad-removal entry. It knows which items are
// unlocked, keeps one equipped item per type, applies the equipped blade and
// background, plays the blade's sounds and keeps coins, unlocked and
// equipped items in the item save. Main thread only.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class Random;
class Sound;

enum ItemType : int32_t { kItemSlashModifier = 0, kItemBackground = 1, kItemRemoveAds = 2, kItemTypeCount = 3 };

// "SLASH_MODIFIER", "BACKGROUND", "REMOVEADS"; -1 otherwise.
int32_t ItemTypeFromName(const char* name);

// Where item sounds go: a name, the caller's factor and the sound's volume.
// The game's sound player by default; tests listen here.
using ItemSoundSink = void (*)(const char* name, float mix, float volume);

// Alternative sounds for one event, picked in order or at random (avoiding
// the last few) and spaced out when requests come faster than timePerSound.
class SoundSet {
public:
    void Parse(const TiXmlElement& element);
    // -1 without sounds; in order or at random, avoiding recent picks.
    int PickIndex(Random& random);
    // index -1 picks (or, while sounds are owed, owes one more); a given
    // index plays that sound at once.
    void Play(int index, float mix);
    void Update(float stepSeconds);
    void ResetPlayback();

    int32_t Count() const { return static_cast<int32_t>(m_names.size()); }
    int32_t AvoidCount() const { return static_cast<int32_t>(m_recent.size()); }
    const std::vector<int32_t>& Recent() const { return m_recent; }
    float Pending() const { return m_pending; }
    bool NotOnTop() const { return m_notOnTop; }
    float TimePerSound() const { return m_timePerSound; }
    const std::vector<std::string>& Names() const { return m_names; }

private:
    void PlayIndex(int index);

    std::vector<std::string> m_names;
    std::vector<float> m_volumes;
    float m_timePerSound = 0.0f;
    int32_t m_nextIndex = -1;  // -1: random choice
    float m_pending = 0.0f;    // sounds still owed
    float m_mix = 1.0f;
    std::vector<int32_t> m_recent;
    bool m_notOnTop = true;
};

// The blade's hum, faded towards the trail's activity.
struct LoopSound {
    float target = 0.0f;
    float level = 0.0f;
    Sound* voice = nullptr;
    std::string name;

    void Update(float stepSeconds);
    void Stop();
};

class Item {
public:
    Item() = default;
    virtual ~Item() = default;
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    virtual void OnUnequip() {}
    virtual void OnEquip() {}
    virtual void Parse(const TiXmlElement& element);

    std::string name;
    uint32_t nameHash = 0;
    int32_t lockCount = 0;  // above 0 locked, 0 free, -1 unlocked
    int32_t type = -1;
    std::string title;
    std::string description;
    std::string requirementText;
    std::string singular;
    int32_t showIf = 0;
    std::string total;
    int32_t countDownFrom = 0;
    std::string texture;
    Colour colour{255, 255, 255, 255};
    Colour titleColour{255, 255, 255, 255};
    float falloff = 0.125f;
    bool tiles = false;
    bool seen = true;
};

class SlashModifierItem final : public Item {
public:
    static constexpr int kMaxImpactParticles = 10;
    static constexpr int kTextureBytes = 64;

    void OnUnequip() override;
    void OnEquip() override;
    void Parse(const TiXmlElement& element) override;

    SoundSet swipeSounds;
    SoundSet impactSounds;
    SoundSet comboSounds;
    LoopSound loopSound;
    std::vector<Colour> colours;
    int32_t colourMode = 0;
    float speed = 1.0f;
    bool particlesDirectional = false;
    bool slashFlash = false;
    bool flipForUpsideDown = false;
    Colour splatOverride{0, 0, 0, 255};
    std::string particles;
    std::string bladeTexture;  // "<texture>.tex", at most 63 characters
    std::vector<uint32_t> impactParticles;
    std::string contactParticles;
    std::string releaseParticles;
    float startThickness = 1.0f;
    float endThickness = 0.0f;
    float length = 1.0f;
    float pointScale = 1.0f;
    float uvLength = 0.0f;

private:
    void ParseInfo(const TiXmlElement& info);
};

class ItemManager {
public:
    static constexpr const char* kFileName = "xml/itemList.xml";
    static constexpr const char* kSaveName = "ItemSave.xml";

    static ItemManager& Instance();

    // The catalogue, then the item save, then the equipped items applied.
    void Load();
    // The same from parsed documents (the save may be null: none).
    void LoadFromDocuments(const TiXmlDocument& catalogue, const TiXmlDocument* save);
    void LoadCatalogueText(const char* text, size_t length);
    // Reads an item save over the loaded catalogue.
    void ReadSave(const TiXmlDocument& save);
    void ReadSaveText(const char* text, size_t length);
    // Writes the item save; false (with one log line) when it was not written.
    bool Save();
    void WriteSave(TiXmlDocument& document) const;
    // The save's path: the save folder when the platform has one, else the
    // keyless save container's "C:\" name.
    static const char* SavePath();

    Item* FindItem(uint32_t nameHash) const;
    bool UnlockItem(uint32_t nameHash);
    int32_t CountUnlocked() const;
    bool HasUnseenItems() const;
    bool EquipByHash(uint32_t nameHash);
    void ApplyEquipped(int type, Item* item);
    Item* Equipped(int type) const { return type >= 0 && type < kItemTypeCount ? m_equipped[type] : nullptr; }
    const std::vector<std::unique_ptr<Item>>& Items() const { return m_items; }

    bool PlaySwipeSound(float mix);
    bool PlayImpactSound(float mix);
    void PlayComboSound(int n);
    bool SpawnImpactParticles(const Vector3& position);
    void SetBladeLoopValue(float value);
    void UpdateSounds(float stepSeconds);
    void DestroyItems();

    // Told when an item is unlocked at load (the shop forgets its scroll).
    void SetNewItemListener(void (*listener)()) { m_newItemListener = listener; }
    static void SetSoundSink(ItemSoundSink sink);
    static ItemSoundSink GetSoundSink();

private:
    SlashModifierItem* EquippedBlade() const;
    void ReadCatalogue(const TiXmlDocument& catalogue, const char* source);

    Item* m_equipped[kItemTypeCount] = {};
    std::vector<std::unique_ptr<Item>> m_items;
    std::map<uint32_t, Item*> m_byName;
    std::map<uint32_t, Item*> m_byType[kItemTypeCount];
    int m_applyCount = 0;  // the first three applications come from Load
    void (*m_newItemListener)() = nullptr;
};

}  // namespace Varnok
